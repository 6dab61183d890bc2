#include "ods/reader.h"

#include "ods/content_context.h"
#include "ods/error.h"
#include "ods/fast_xml_reader.h"
#include "ods/manifest_context.h"
#include "ods/namespaces.h"
#include "ods/style_forwarder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>

namespace ods {

namespace {

constexpr std::string_view kSpreadsheetType = "application/vnd.oasis.opendocument.spreadsheet";
constexpr std::string_view kTemplateType =
    "application/vnd.oasis.opendocument.spreadsheet-template";
constexpr std::uint64_t kSmallPartBytes = 4u << 20;

bool isSpreadsheetType(std::string_view type) {
    return type == kSpreadsheetType || type == kTemplateType;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

[[noreturn]] void refuse(const ZipPackage& package, const std::string& problem) {
    throw Error("cannot read " + package.label() + ": " + problem);
}

class StylesContext : public XmlHandler {
public:
    explicit StylesContext(DataStyles& styles) : forwarder_(styles) {}
    void startElement(std::string_view ns, std::string_view local,
                      std::span<const XmlAttribute> attributes) override {
        forwarder_.startElement(ns, local, attributes);
    }
    void endElement(std::string_view ns, std::string_view local) override {
        forwarder_.endElement(ns, local);
    }
    void characters(std::string_view text) override { forwarder_.characters(text); }

private:
    StyleForwarder forwarder_;
};

void askToStop(const ReadOptions& options) {
    if (options.stop && options.stop()) {
        throw Stopped();
    }
}

// A flat file is read and parsed in pieces of a package part's size, asking between them.
constexpr std::size_t kFlatChunk = 128 * 1024;

template <typename Reader>
void feedFlat(Reader& reader, std::string_view text, const ReadOptions& options) {
    for (std::size_t at = 0; at < text.size(); at += kFlatChunk) {
        askToStop(options);
        reader.feed(text.substr(at, kFlatChunk));
    }
    reader.finish();
}

// meta.xml: the name of the writer (meta:generator), nothing else.
class GeneratorContext : public XmlHandler {
public:
    void startElement(std::string_view ns, std::string_view local,
                      std::span<const XmlAttribute>) override {
        inGenerator_ = ns::is(ns, ns::meta) && local == "generator";
    }
    void endElement(std::string_view, std::string_view) override { inGenerator_ = false; }
    void characters(std::string_view text) override {
        if (inGenerator_ && generator_.size() < 256) {
            generator_.append(text);
        }
    }
    const std::string& generator() const noexcept { return generator_; }

private:
    bool inGenerator_ = false;
    std::string generator_;
};

template <typename Reader>
void readInto(Reader& reader, const ZipPackage& package, std::string_view part,
              const ReadOptions& options, const std::function<bool()>& done) {
    bool stoppedEarly = false;
    package.readEntry(
        part,
        [&](std::string_view chunk) {
            askToStop(options);
            reader.feed(chunk);
            stoppedEarly = done && done();
            return !stoppedEarly;
        },
        options.maxXmlBytes, options.maxRatio);
    if (!stoppedEarly) {
        reader.finish();
    }
}

// The quick reader takes what office suites write; on anything else expat reads the part again
// from its start and delivers the events from where the quick reader stopped, so the handler
// sees each event once and a damaged part gets expat's own error.
void parsePart(const ZipPackage& package, std::string_view part, XmlHandler& handler,
               const ReadOptions& options, const std::function<bool()>& done = {}) {
    const std::string label = package.label() + " (" + std::string(part) + ")";
    std::uint64_t resumeAt = 0;
    try {
        FastXmlReader reader(handler);
        readInto(reader, package, part, options, done);
        return;
    } catch (const FastXmlReader::FallBack& fallBack) {
        resumeAt = fallBack.resumeAt();
    } catch (const FastXmlReader::TokenTooLong&) {
        throw Error("cannot read " + label + ": it holds a tag or comment longer than " +
                    std::to_string(kMaxXmlTokenBytes >> 20) + " MB");
    }
    XmlReader reader(handler, label);
    reader.deliverFrom(resumeAt);
    readInto(reader, package, part, options, done);
}

// The package must hold an unencrypted spreadsheet; anything else is refused with its reason.
void checkPackage(const ZipPackage& package) {
    std::string manifestType;
    if (package.hasEntry("META-INF/manifest.xml")) {
        ManifestContext manifest;
        XmlReader reader(manifest, package.label() + " (META-INF/manifest.xml)");
        reader.feed(package.readSmallEntry("META-INF/manifest.xml", kSmallPartBytes));
        reader.finish();
        if (manifest.encrypted()) {
            refuse(package, "it is password-protected; save it without a password first");
        }
        manifestType = manifest.mediaType();
    }
    std::string type;
    if (package.hasEntry("mimetype")) {
        type = trimmed(package.readSmallEntry("mimetype", 4096));
    } else {
        type = manifestType;
    }
    if (!type.empty() && !isSpreadsheetType(type)) {
        refuse(package, "it is no spreadsheet but a document of type " + type);
    }
    if (!package.hasEntry("content.xml")) {
        if (package.hasEntry("[Content_Types].xml")) {
            refuse(package, "it is an Office Open XML file (.xlsx, .docx), not an OpenDocument "
                            "spreadsheet");
        }
        refuse(package, "it is no OpenDocument spreadsheet (the package has no content.xml)");
    }
}

ContentOptions contentOptionsOf(const ReadOptions& options) {
    ContentOptions contentOptions;
    contentOptions.onlySheet = options.onlySheet;
    contentOptions.lastRow = std::clamp(options.lastRow, -1, kMaxRows - 1);
    contentOptions.maxExpandedText = options.maxXmlBytes;
    contentOptions.keepValues = options.keepValues;
    return contentOptions;
}

} // namespace

void readPackage(const ZipPackage& package, SheetOutput& output, const ReadOptions& options) {
    checkPackage(package);
    DataStyles styles;
    styles.setOfficeLocale(options.officeLocale.language, options.officeLocale.country);
    if (options.keepValues) {
        styles.keepDataStyleXml();
    }
    if (package.hasEntry("styles.xml")) {
        StylesContext context(styles);
        parsePart(package, "styles.xml", context, options);
    }
    ContentContext content(styles, output, contentOptionsOf(options), package.label());
    // The writer decides how far its cached formula results are the office's. The office opens
    // a document whose meta.xml it cannot read, and so does the engine.
    if (package.hasEntry("meta.xml")) {
        GeneratorContext meta;
        try {
            parsePart(package, "meta.xml", meta, options);
        } catch (const Error&) {
        }
        content.setGenerator(meta.generator());
    }
    parsePart(package, "content.xml", content, options, [&] { return content.done(); });
    if (!content.sawSpreadsheet()) {
        refuse(package, "it is no spreadsheet (content.xml holds no office:spreadsheet)");
    }
    output.dataStyles(styles.takeDataStyleXml());
    output.nullDate(styles.nullDate());
}

Workbook readWorkbook(const std::string& path, const ReadOptions& options) {
    const ZipPackage package = ZipPackage::openFile(path);
    WorkbookBuilder builder;
    readPackage(package, builder, options);
    return builder.take();
}

// The flat file holds the parts of a package one after the other under office:document; the
// content context takes the styles it meets on its way to the body, as it does in content.xml.
Workbook readFlatWorkbook(const std::string& path, const ReadOptions& options) {
    requireFile(path);
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        if (size > 0 && static_cast<std::uint64_t>(size) > options.maxXmlBytes)
            throw Error("cannot read " + path + ": the XML is larger than the reader takes (" +
                        std::to_string(options.maxXmlBytes) + " bytes)");
        in.seekg(0);
        text.reserve(static_cast<std::size_t>(std::max<std::streamoff>(size, 0)));
        std::string chunk(kFlatChunk, '\0');
        while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
               in.gcount() > 0) {
            askToStop(options);
            text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        }
    }
    if (!in && !in.eof())
        throw Error("cannot read " + path + ": " + std::strerror(errno));
    DataStyles styles;
    styles.setOfficeLocale(options.officeLocale.language, options.officeLocale.country);
    if (options.keepValues) {
        styles.keepDataStyleXml();
    }
    WorkbookBuilder builder;
    ContentContext content(styles, builder, contentOptionsOf(options), path);
    try {
        FastXmlReader reader(content);
        feedFlat(reader, text, options);
    } catch (const FastXmlReader::FallBack& fallBack) {
        XmlReader reader(content, path);
        reader.deliverFrom(fallBack.resumeAt());
        feedFlat(reader, text, options);
    }
    if (!content.sawSpreadsheet())
        throw Error("cannot read " + path +
                    ": it is no spreadsheet (no office:spreadsheet element)");
    builder.dataStyles(styles.takeDataStyleXml());
    builder.nullDate(styles.nullDate());
    return builder.take();
}

Workbook readWorkbook(std::span<const std::uint8_t> bytes, const std::string& label,
                      const ReadOptions& options) {
    const ZipPackage package = ZipPackage::openMemory(bytes, label);
    WorkbookBuilder builder;
    readPackage(package, builder, options);
    return builder.take();
}

} // namespace ods
