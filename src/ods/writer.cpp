#include "ods/writer.h"

#include "ods/csv.h"
#include "ods/error.h"
#include "ods/output_file.h"
#include "ods/utf8.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <isa-l.h>
#include <libdeflate.h>
#include <map>
#include <memory>
#include <optional>
#include <vector>
#include <zip.h>

namespace ods {

namespace {

constexpr std::string_view kMimeType = "application/vnd.oasis.opendocument.spreadsheet";
// Rows are produced until this much XML waits to be compressed.
constexpr std::size_t kChunkBytes = 256 * 1024;

constexpr std::string_view kNamespaces =
    R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
    R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
    R"( xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")"
    R"( xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0")"
    R"( xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0")"
    R"( xmlns:loext="urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0")"
    R"( office:version="1.2")";

void appendNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void appendBlanks(std::string& out, std::size_t count) {
    if (count == 1) {
        out += "<text:s/>";
    } else {
        out += "<text:s text:c=\"";
        appendNumber(out, static_cast<std::int64_t>(count));
        out += "\"/>";
    }
}

void appendParagraph(std::string& out, std::string_view line) {
    if (line.empty()) {
        out += "<text:p/>";
        return;
    }
    out += "<text:p>";
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ') {
            std::size_t run = 1;
            while (i + run < line.size() && line[i + run] == ' ') {
                ++run;
            }
            // The office keeps one plain blank between words; anything more is spelled out.
            if (i == 0) {
                appendBlanks(out, run);
            } else {
                out += ' ';
                if (run > 1) {
                    appendBlanks(out, run - 1);
                }
            }
            i += run;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const int length = xmlCharacterLength(line.data() + i, line.data() + line.size());
            if (length <= 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(line.substr(i, static_cast<std::size_t>(length)));
                i += static_cast<std::size_t>(length);
            }
            continue;
        }
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
            // The office drops text:tab in cells when it reads them; the character survives.
            out += '\t';
            break;
        default:
            // Other control characters cannot be carried by XML 1.0 at all.
            if (byte >= 0x20) {
                out += c;
            }
        }
        ++i;
    }
    out += "</text:p>";
}

void appendAttributeText(std::string& out, std::string_view text) {
    const auto plain = [](char c) {
        return c >= 0x20 && c < 0x7F && c != '<' && c != '&' && c != '"';
    };
    if (std::all_of(text.begin(), text.end(), plain)) {
        out += text;
        return;
    }
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            const int length = xmlCharacterLength(text.data() + i, text.data() + text.size());
            out.append(length <= 0 ? std::string_view("\xEF\xBF\xBD")
                                   : text.substr(i, static_cast<std::size_t>(length)));
            i += length <= 0 ? 1 : static_cast<std::size_t>(length);
            continue;
        }
        switch (text[i]) {
        case '<':
            out += "&lt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (byte >= 0x20) {
                out += text[i];
            }
        }
        ++i;
    }
}

// content.xml, produced piece by piece as libzip asks for bytes.
class ContentStream {
public:
    explicit ContentStream(const Workbook& workbook) : workbook_(workbook) {
        buffer_.reserve(kChunkBytes * 2);
        // A cell style for each data style that values are shown with.
        for (const Sheet& sheet : workbook.sheets())
            for (const ValueFormat& format : sheet.formats())
                if (!format.dataStyle.empty() && workbook.dataStyles().contains(format.dataStyle) &&
                    !cellStyleOf_.contains(format.dataStyle))
                    cellStyleOf_.emplace(format.dataStyle,
                                         "gw" + std::to_string(cellStyleOf_.size() + 1));
    }

    /// The next piece of content.xml; empty once the document is all given.
    std::string_view next() {
        buffer_.clear();
        if (!produce())
            return {};
        return buffer_;
    }

private:
    enum class Stage { Head, SheetHead, Rows, Tail, Done };

    bool produce() {
        while (buffer_.size() < kChunkBytes) {
            switch (stage_) {
            case Stage::Head:
                buffer_ += R"(<?xml version="1.0" encoding="UTF-8"?>)"
                           "\n<office:document-content";
                buffer_ += kNamespaces;
                buffer_ += '>';
                appendAutomaticStyles();
                buffer_ += "<office:body><office:spreadsheet>";
                stage_ = Stage::SheetHead;
                break;
            case Stage::SheetHead:
                if (sheet_ == workbook_.sheets().size()) {
                    stage_ = Stage::Tail;
                    break;
                }
                startSheet(workbook_.sheets()[sheet_]);
                stage_ = Stage::Rows;
                break;
            case Stage::Rows:
                if (!writeRow(workbook_.sheets()[sheet_])) {
                    buffer_ += "</table:table>";
                    ++sheet_;
                    stage_ = Stage::SheetHead;
                }
                break;
            case Stage::Tail:
                buffer_ += "</office:spreadsheet></office:body></office:document-content>\n";
                stage_ = Stage::Done;
                return true;
            case Stage::Done:
                return !buffer_.empty();
            }
        }
        return true;
    }

    void startSheet(const Sheet& sheet) {
        // The attributes of a value cell up to its value, put together once per format and kind
        // rather than once per value.
        static constexpr std::array<std::string_view, 6> kinds{
            R"(float" office:value=")",     R"(percentage" office:value=")",
            R"(currency" office:value=")",  R"(date" office:date-value=")",
            R"(time" office:time-value=")", R"(boolean" office:boolean-value=")"};
        valueHeads_.clear();
        currencyTails_.clear();
        for (const ValueFormat& format : sheet.formats()) {
            std::string style;
            if (const auto found = cellStyleOf_.find(format.dataStyle); found != cellStyleOf_.end())
                style = " table:style-name=\"" + found->second + '"';
            auto& heads = valueHeads_.emplace_back();
            for (std::size_t kind = 0; kind < kinds.size(); ++kind)
                heads[kind] = style + " office:value-type=\"" + std::string(kinds[kind]);
            std::string tail = "\"";
            if (!format.currency.empty()) {
                tail += " office:currency=\"";
                appendAttributeText(tail, format.currency);
                tail += '"';
            }
            currencyTails_.push_back(tail + '>');
        }
        const Extent extent = sheet.extent();
        width_ = std::max(extent.columns, 1);
        row_ = 0;
        nextRow_ = 0;
        buffer_ += "<table:table table:name=\"";
        appendAttributeText(buffer_, sheet.name());
        buffer_ += "\"><table:table-column";
        appendRepeat("table:number-columns-repeated", width_);
        buffer_ += "/>";
        if (extent.rows == 0) {
            buffer_ += "<table:table-row><table:table-cell/></table:table-row>";
        }
    }

    void appendAutomaticStyles() {
        if (cellStyleOf_.empty())
            return;
        buffer_ += "<office:automatic-styles>";
        for (const auto& [name, xml] : workbook_.dataStyles())
            buffer_ += xml;
        for (const auto& [dataStyle, cellStyle] : cellStyleOf_) {
            buffer_ += R"(<style:style style:family="table-cell" style:parent-style-name="Default")"
                       R"( style:name=")";
            buffer_ += cellStyle;
            buffer_ += R"(" style:data-style-name=")";
            appendAttributeText(buffer_, dataStyle);
            buffer_ += "\"/>";
        }
        buffer_ += "</office:automatic-styles>";
    }

    void appendValue(const CellValueData& value) {
        const auto kind = static_cast<std::size_t>(value.kind);
        buffer_ += valueHeads_[value.format][kind];
        appendAttributeText(buffer_, value.value);
        buffer_ += value.kind == ValueKind::Currency
                       ? std::string_view(currencyTails_[value.format])
                       : std::string_view("\">");
    }

    void appendRepeat(std::string_view name, std::int64_t count) {
        if (count > 1) {
            buffer_ += ' ';
            buffer_ += name;
            buffer_ += "=\"";
            appendNumber(buffer_, count);
            buffer_ += '"';
        }
    }

    void appendEmptyCells(std::int64_t count) {
        buffer_ += "<table:table-cell";
        appendRepeat("table:number-columns-repeated", count);
        buffer_ += "/>";
    }

    // Writes the next row run (after the empty rows before it); false when the sheet is done.
    bool writeRow(const Sheet& sheet) {
        const auto& rows = sheet.rows();
        while (row_ < rows.size() && rows[row_].cells.empty()) {
            ++row_;
        }
        if (row_ == rows.size()) {
            return false;
        }
        const RowRun& run = rows[row_++];
        if (run.row > nextRow_) {
            buffer_ += "<table:table-row";
            appendRepeat("table:number-rows-repeated", run.row - nextRow_);
            buffer_ += '>';
            appendEmptyCells(width_);
            buffer_ += "</table:table-row>";
        }
        buffer_ += "<table:table-row";
        appendRepeat("table:number-rows-repeated", run.repeat);
        buffer_ += '>';
        std::int32_t column = 0;
        for (const CellRun& cell : run.cells) {
            if (cell.column > column) {
                appendEmptyCells(cell.column - column);
            }
            buffer_ += "<table:table-cell";
            appendRepeat("table:number-columns-repeated", cell.repeat);
            if (cell.value == 0)
                buffer_ += " office:value-type=\"string\">";
            else
                appendValue(sheet.values()[cell.value - 1]);
            appendTextParagraphs(buffer_, cell.text);
            buffer_ += "</table:table-cell>";
            column = cell.column + cell.repeat;
        }
        buffer_ += "</table:table-row>";
        nextRow_ = run.row + run.repeat;
        return true;
    }

    const Workbook& workbook_;
    std::map<std::string, std::string> cellStyleOf_; ///< data style -> the cell style showing it
    std::vector<std::array<std::string, 6>> valueHeads_; ///< of each format, by kind
    std::vector<std::string> currencyTails_; ///< of each format: its currency, the tag's end
    std::string buffer_;
    Stage stage_ = Stage::Head;
    std::size_t sheet_ = 0;
    std::size_t row_ = 0;
    std::int32_t nextRow_ = 0;
    std::int32_t width_ = 1;
};

// content.xml deflated ahead of the package. ISA-L's fastest level packs the cells about as
// tightly as zlib's fastest and in a fraction of its time; libzip takes the data as it is.
struct DeflatedContent {
    static constexpr std::size_t kBlockBytes = 4 * kChunkBytes;
    std::vector<std::string> blocks; ///< the deflate stream, in full blocks but the last
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::size_t block = 0; ///< where reading has come: a block and a position in it
    std::size_t position = 0;
    zip_error_t error{};

    /// `stop` is asked for every piece of the content; true stops the write with Stopped.
    DeflatedContent(const Workbook& workbook, const std::string& target,
                    const std::function<bool()>& stop) {
        ContentStream stream(workbook);
        std::vector<std::uint8_t> levelBuffer(ISAL_DEF_LVL1_DEFAULT);
        isal_zstream deflater{};
        isal_deflate_init(&deflater);
        deflater.level = 1;
        deflater.level_buf = levelBuffer.data();
        deflater.level_buf_size = static_cast<std::uint32_t>(levelBuffer.size());
        do {
            if (stop && stop())
                throw Stopped();
            const std::string_view piece = stream.next();
            if (!piece.empty()) // libdeflate starts over when given no buffer
                crc = static_cast<std::uint32_t>(libdeflate_crc32(crc, piece.data(), piece.size()));
            size += piece.size();
            deflater.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(piece.data()));
            deflater.avail_in = static_cast<std::uint32_t>(piece.size());
            deflater.end_of_stream = piece.empty() ? 1 : 0;
            do {
                if (blocks.empty() || deflater.avail_out == 0) {
                    blocks.emplace_back(kBlockBytes, '\0');
                    deflater.next_out = reinterpret_cast<std::uint8_t*>(blocks.back().data());
                    deflater.avail_out = static_cast<std::uint32_t>(kBlockBytes);
                }
                if (isal_deflate(&deflater) != COMP_OK)
                    throw Error("cannot write " + target + ": its content cannot be compressed");
            } while (deflater.avail_in > 0 || deflater.avail_out == 0 ||
                     (deflater.end_of_stream != 0 && deflater.internal_state.state != ZSTATE_END));
        } while (deflater.end_of_stream == 0);
        blocks.back().resize(kBlockBytes - deflater.avail_out);
    }

    std::uint64_t deflatedSize() const {
        return (blocks.size() - 1) * kBlockBytes + blocks.back().size();
    }

    std::size_t read(char* out, std::size_t length) {
        std::size_t given = 0;
        while (given < length && block < blocks.size()) {
            const std::string& from = blocks[block];
            const std::size_t piece = std::min(length - given, from.size() - position);
            std::memcpy(out + given, from.data() + position, piece);
            given += piece;
            position += piece;
            if (position == from.size()) {
                ++block;
                position = 0;
            }
        }
        return given;
    }

    static zip_int64_t callback(void* state, void* out, zip_uint64_t length,
                                zip_source_cmd_t command) {
        auto& self = *static_cast<DeflatedContent*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            self.block = 0;
            self.position = 0;
            return 0;
        case ZIP_SOURCE_READ:
            return static_cast<zip_int64_t>(
                self.read(static_cast<char*>(out), static_cast<std::size_t>(length)));
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = static_cast<zip_stat_t*>(out);
            zip_stat_init(stat);
            stat->size = self.size;
            stat->comp_size = self.deflatedSize();
            stat->crc = self.crc;
            stat->comp_method = ZIP_CM_DEFLATE;
            stat->mtime = std::time(nullptr);
            stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC |
                           ZIP_STAT_COMP_METHOD | ZIP_STAT_MTIME;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&self.error, out, length);
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&self.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

struct ArchiveDeleter {
    void operator()(zip* archive) const noexcept { zip_discard(archive); }
};

class PackageWriter {
public:
    // The package is built in memory and then written to `file`: libzip would otherwise write
    // a temporary file of its own beside the target, which a killed run leaves behind.
    PackageWriter(std::FILE* file, const std::string& target) : file_(file), target_(target) {
        zip_error_t error;
        zip_error_init(&error);
        buffer_.reset(zip_source_buffer_create(nullptr, 0, 0, &error));
        if (buffer_) {
            zip_source_keep(buffer_.get());
            archive_.reset(zip_open_from_source(buffer_.get(), ZIP_TRUNCATE, &error));
        }
        if (!archive_) {
            const std::string text = zip_error_strerror(&error);
            zip_error_fini(&error);
            throw Error("cannot write " + target_ + ": " + text);
        }
        zip_error_fini(&error);
    }

    void addText(const char* name, std::string text, bool compress) {
        texts_.push_back(std::move(text));
        const std::string& kept = texts_.back();
        add(name, zip_source_buffer(archive_.get(), kept.data(), kept.size(), 0), compress);
    }

    /// Adds data the source gives already deflated, as its stat says; libzip copies it as it is.
    void addDeflated(const char* name, zip_source_t* source) { add(name, source, std::nullopt); }

    zip* archive() { return archive_.get(); }

    void close() {
        if (zip_close(archive_.get()) != 0) {
            fail();
        }
        archive_.release();
        if (zip_source_open(buffer_.get()) != 0) {
            throw Error("cannot write " + target_ + ": " +
                        zip_error_strerror(zip_source_error(buffer_.get())));
        }
        std::vector<char> chunk(1u << 16);
        for (;;) {
            const zip_int64_t got = zip_source_read(buffer_.get(), chunk.data(), chunk.size());
            if (got <= 0) {
                zip_source_close(buffer_.get());
                if (got < 0) {
                    throw Error("cannot write " + target_ + ": " +
                                zip_error_strerror(zip_source_error(buffer_.get())));
                }
                return;
            }
            if (std::fwrite(chunk.data(), 1, static_cast<std::size_t>(got), file_) !=
                static_cast<std::size_t>(got)) {
                zip_source_close(buffer_.get());
                throw Error("cannot write " + target_ + ": " + std::strerror(errno));
            }
        }
    }

private:
    void add(const char* name, zip_source_t* source, std::optional<bool> compress) {
        if (source == nullptr) {
            fail();
        }
        const zip_int64_t index = zip_file_add(archive_.get(), name, source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            fail();
        }
        if (!compress)
            return;
        const auto entry = static_cast<zip_uint64_t>(index);
        const int status = *compress
                               ? zip_set_file_compression(archive_.get(), entry, ZIP_CM_DEFLATE, 1)
                               : zip_set_file_compression(archive_.get(), entry, ZIP_CM_STORE, 0);
        if (status != 0) {
            fail();
        }
    }

    [[noreturn]] void fail() {
        throw Error("cannot write " + target_ + ": " +
                    zip_error_strerror(zip_get_error(archive_.get())));
    }

    struct SourceDeleter {
        void operator()(zip_source_t* source) const noexcept { zip_source_free(source); }
    };

    std::FILE* file_;
    std::string target_;
    std::unique_ptr<zip_source_t, SourceDeleter> buffer_;
    std::unique_ptr<zip, ArchiveDeleter> archive_; ///< freed before buffer_, which it holds
    std::vector<std::string> texts_;
};

std::string stylesXml() {
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                      "\n<office:document-styles";
    xml += kNamespaces;
    xml += R"(><office:styles><style:default-style style:family="table-cell"/>)"
           R"(<style:style style:name="Default" style:family="table-cell"/>)"
           "</office:styles></office:document-styles>\n";
    return xml;
}

std::string metaXml() {
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                      "\n<office:document-meta";
    xml += kNamespaces;
    xml += "><office:meta><meta:generator>Gridwork Stacker</meta:generator></office:meta>"
           "</office:document-meta>\n";
    return xml;
}

std::string manifestXml() {
    return R"(<?xml version="1.0" encoding="UTF-8"?>)"
           "\n"
           R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">)"
           R"(<manifest:file-entry manifest:full-path="/" manifest:version="1.2" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>)"
           R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>)"
           R"(<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>)"
           R"(<manifest:file-entry manifest:full-path="meta.xml" manifest:media-type="text/xml"/>)"
           "</manifest:manifest>\n";
}

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

} // namespace

void appendTextParagraphs(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        appendParagraph(out, text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return;
        }
        start = end + 1;
    }
}

void writeWorkbook(const Workbook& workbook, const std::string& path) {
    OutputFile output(path);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(output.path().c_str(), "wbx"));
    if (!file) {
        throw Error("cannot write " + path + ": " + std::strerror(errno));
    }
    writeWorkbook(workbook, file.get(), path);
    if (std::fclose(file.release()) != 0) {
        throw Error("cannot write " + path + ": " + std::strerror(errno));
    }
    output.commit();
}

void writeWorkbook(const Workbook& workbook, std::FILE* file, const std::string& label,
                   const std::function<bool()>& stop) {
    if (workbook.sheets().empty()) {
        throw Error("cannot write " + label + ": a document needs at least one sheet");
    }
    DeflatedContent content(workbook, label, stop);
    zip_error_init(&content.error);
    {
        PackageWriter package(file, label);
        // The mimetype comes first and uncompressed, so that the type can be told from the
        // first bytes of the file.
        package.addText("mimetype", std::string(kMimeType), false);
        package.addText("META-INF/manifest.xml", manifestXml(), true);
        package.addText("styles.xml", stylesXml(), true);
        package.addText("meta.xml", metaXml(), true);
        package.addDeflated(
            "content.xml",
            zip_source_function(package.archive(), &DeflatedContent::callback, &content));
        package.close();
    }
    zip_error_fini(&content.error);
}

void writeCsv(const Sheet& sheet, const std::string& path) {
    OutputFile output(path);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(output.path().c_str(), "wbx"));
    if (!file) {
        throw Error("cannot write " + path + ": " + std::strerror(errno));
    }
    const Extent extent = sheet.extent();
    std::string line;
    for (std::int32_t row = 0; row < extent.rows; ++row) {
        line.clear();
        const RowRun* run = sheet.findRow(row);
        std::size_t cell = 0;
        for (std::int32_t column = 0; column < extent.columns; ++column) {
            if (column > 0) {
                line += ',';
            }
            if (run == nullptr) {
                continue;
            }
            while (cell < run->cells.size() &&
                   run->cells[cell].column + run->cells[cell].repeat <= column) {
                ++cell;
            }
            if (cell < run->cells.size() && run->cells[cell].column <= column) {
                appendCsvField(line, run->cells[cell].text);
            }
        }
        line += '\n';
        if (std::fwrite(line.data(), 1, line.size(), file.get()) != line.size()) {
            throw Error("cannot write " + path + ": " + std::strerror(errno));
        }
    }
    if (std::fclose(file.release()) != 0) {
        throw Error("cannot write " + path + ": " + std::strerror(errno));
    }
    output.commit();
}

} // namespace ods
