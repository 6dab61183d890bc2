#include "office/office_messages.h"

#include <array>
#include <fstream>
#include <regex>
#include <utility>
#include <vector>

namespace gridwork {

namespace {

std::filesystem::path lockFileOf(const std::filesystem::path& document) {
    return document.parent_path() / (".~lock." + document.filename().string() + "#");
}

// The fields of the lock file's one entry: "name,user,host,time,profile URL;", where a ',', ';'
// or '\' inside a field is escaped with '\'.
std::vector<std::string> lockFields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < text.size() && text[i] != ';'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            fields.back() += text[++i];
        } else if (text[i] == ',') {
            fields.emplace_back();
        } else {
            fields.back() += text[i];
        }
    }
    return fields;
}

// The head of an OpenDocument spreadsheet: its zip package starts with the stored "mimetype".
bool looksLikeOdsPackage(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, 128> head{};
    in.read(head.data(), head.size());
    const std::string_view read(head.data(), static_cast<std::size_t>(in.gcount()));
    return read.starts_with("PK\x03\x04") &&
           read.find("application/vnd.oasis.opendocument.spreadsheet") != std::string_view::npos;
}

} // namespace

std::string withoutSourceLocations(std::string_view message) {
    static const std::regex location(R"(\s*\bat \S+\.(cxx|hxx|cpp|hpp|c|h|mm):\d+)");
    return std::regex_replace(std::string(message), location, "");
}

std::string plainWordsForType(std::string_view type) {
    static const std::array<std::pair<std::string_view, std::string_view>, 6> words{{
        {"com.sun.star.lang.IndexOutOfBoundsException",
         "a sheet or cell position lies outside the document"},
        {"com.sun.star.container.NoSuchElementException", "the document has no such element"},
        {"com.sun.star.lang.IllegalArgumentException", "the office refused a value it was given"},
        {"com.sun.star.lang.DisposedException",
         "the object was gone: the office has ended, or the document has been closed"},
        {"com.sun.star.uno.RuntimeException",
         "the office could not carry out the call (was the document closed in the office?)"},
        {"com.sun.star.io.IOException", "the office could not read or write the file"},
    }};
    for (const auto& [name, meaning] : words) {
        if (name == type) {
            return std::string(meaning);
        }
    }
    return {};
}

std::optional<std::string> lockHolder(const std::filesystem::path& document) {
    std::ifstream in(lockFileOf(document), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text;
    std::getline(in, text);
    const auto fields = lockFields(text);
    const auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    const std::string name = field(0);
    const std::string user = field(1);
    const std::string who = !name.empty()   ? name
                            : !user.empty() ? "user " + user
                                            : std::string("an unknown user");
    std::string where = !name.empty() && !user.empty() ? "user " + user : std::string();
    if (const std::string host = field(2); !host.empty()) {
        where += (where.empty() ? "on " : " on ") + host;
    }
    if (const std::string time = field(3); !time.empty()) {
        where += (where.empty() ? "since " : ", since ") + time;
    }
    return where.empty() ? who : who + " (" + where + ")";
}

std::string noDocumentReason(const std::filesystem::path& path, bool officeAskedTheUser) {
    const std::string quoted = "\"" + path.string() + "\"";
    if (const auto holder = lockHolder(path)) {
        return quoted + " is locked: it is open in the office of " + *holder +
               (officeAskedTheUser ? ", and the office's \"Document in Use\" question was "
                                     "cancelled"
                                   : "") +
               ". Close it there first; if no office has it open any more (a lock left behind "
               "by a crash), delete the lock file \"" +
               lockFileOf(path).string() + "\" and try again";
    }
    if (looksLikeOdsPackage(path)) {
        return quoted + (officeAskedTheUser
                             ? " was not opened: a question the office asked about it (a "
                               "password, a repair) was cancelled"
                             : " was not opened: the office would have to ask about it (a "
                               "password, a repair); open it in the office to see why");
    }
    return quoted + " is not a spreadsheet document the office can open";
}

} // namespace gridwork
