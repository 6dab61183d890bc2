#include "office/office_profile.h"

#include "join/calc_automation.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>

namespace gridwork {

void seedOfficeProfile(const std::filesystem::path& profileFolder,
                       const std::string& officeVersion) {
    std::filesystem::create_directories(profileFolder / "user");
    const auto path = profileFolder / "user" / "registrymodifications.xcu";
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
           "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
    const auto item = [&](const char* node, const char* name, const std::string& value) {
        out << "<item oor:path=\"" << node << "\"><prop oor:name=\"" << name
            << "\" oor:op=\"fuse\"><value>" << value << "</value></prop></item>\n";
    };
    if (!officeVersion.empty()) {
        item("/org.openoffice.Setup/Product", "ooSetupLastVersion", officeVersion);
    }
    item("/org.openoffice.Setup/L10N", "ooSetupSystemLocale", "en-US");
    item("/org.openoffice.Setup/L10N", "ooLocale", "en-US");
    out << "</oor:items>\n";
    if (!out.flush()) {
        throw OfficeError("Cannot write the office profile \"" + path.string() + "\"");
    }
}

std::string officeVersion(const std::string& program) {
    std::string quoted = "'";
    for (const char c : program) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    const std::string command = quoted + "' --version 2>/dev/null";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    char line[256] = {};
    if (!pipe || std::fgets(line, sizeof line, pipe.get()) == nullptr) {
        return {};
    }
    std::cmatch match;
    return std::regex_search(line, match, std::regex(R"((\d+)\.(\d+)\.)"))
               ? match[1].str() + "." + match[2].str()
               : std::string();
}

} // namespace gridwork
