#include "ods_test_support.h"

#include "ods/reader.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <zip.h>

namespace ods::test {

TempDir::TempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("gridwork-ods-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeZip(const std::string& path, const Entries& entries) {
    int code = 0;
    zip* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    for (const auto& [name, data] : entries) {
        zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
        if (source == nullptr || zip_file_add(archive, name.c_str(), source, 0) < 0) {
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name);
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write " + path);
    }
}

void writeOds(const std::string& path, const std::string& content, const std::string& styles) {
    Entries entries{
        {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
        {"META-INF/manifest.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/></manifest:manifest>)"},
        {"content.xml", content}};
    if (!styles.empty()) {
        entries.emplace_back("styles.xml", styles);
    }
    writeZip(path, entries);
}

std::string contentXml(const std::string& tables) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>)"
           R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
           R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
           R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
           R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
           R"( xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0")"
           R"( xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0")"
           R"( xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.2">)"
           "<office:body><office:spreadsheet>" +
           tables + "</office:spreadsheet></office:body></office:document-content>";
}

Workbook readTables(const std::string& tables) {
    const TempDir dir;
    const std::string path = dir.file("t.ods");
    writeOds(path, contentXml(tables));
    return readWorkbook(path);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        any = true;
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<std::string> officeProgram() {
    for (const char* candidate : {"/usr/bin/soffice", "/usr/lib/libreoffice/program/soffice"}) {
        if (std::filesystem::exists(candidate)) {
            return std::string(candidate);
        }
    }
    return std::nullopt;
}

int convertToCsv(const std::string& document, const std::filesystem::path& folder,
                 const std::filesystem::path& profile) {
    const auto office = officeProgram();
    if (!office) {
        return -1;
    }
    // The paths are our own temporary folders and test data, quoted for the shell.
    const std::string command =
        "TMPDIR='" + profile.string() + "' '" + *office + "' -env:UserInstallation=file://" +
        profile.string() +
        " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,"
        "true,false,false,-1' --outdir '" +
        folder.string() + "' '" + document + "' >/dev/null 2>&1";
    return std::system(command.c_str());
}

bool isRecalculated(const Sheet& sheet, std::size_t column, std::size_t row) {
    return std::any_of(sheet.recalculated().begin(), sheet.recalculated().end(),
                       [&](const CellArea& a) {
                           return column >= static_cast<std::size_t>(a.column) &&
                                  column < static_cast<std::size_t>(a.column + a.columns) &&
                                  row >= static_cast<std::size_t>(a.row) &&
                                  row < static_cast<std::size_t>(a.row + a.rows);
                       });
}

} // namespace ods::test
