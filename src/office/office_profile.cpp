#include "office/office_profile.h"

#include "join/calc_automation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <regex>
#include <sys/file.h>
#include <unistd.h>

namespace gridwork {

void seedOfficeProfile(const std::filesystem::path& profileFolder, const std::string& officeVersion,
                       bool pinEnglish) {
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
    if (pinEnglish) {
        item("/org.openoffice.Setup/L10N", "ooSetupSystemLocale", "en-US");
        item("/org.openoffice.Setup/L10N", "ooLocale", "en-US");
    }
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

namespace {

// More runs at once than this are no use on any desktop; each would start an office of its own.
constexpr int cachedProfiles = 16;

std::filesystem::path cacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        return cache;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home != '/') {
        throw OfficeError("Neither XDG_CACHE_HOME nor HOME names a folder for the office profile "
                          "gridstack keeps: set one of them");
    }
    return std::filesystem::path(home) / ".cache";
}

} // namespace

CachedProfile::CachedProfile() {
    const auto base = cacheFolder() / "gridwork-stacker";
    std::error_code error;
    std::filesystem::create_directories(base, error);
    if (error) {
        throw OfficeError("Cannot create the folder \"" + base.string() +
                          "\" for the office profile: " + error.message());
    }
    for (int slot = 0; slot < cachedProfiles; ++slot) {
        const auto name = "office-profile-" + std::to_string(slot);
        const auto lockPath = base / (name + ".lock");
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            throw OfficeError("Cannot open \"" + lockPath.string() + "\": " + std::strerror(errno));
        }
        // The lock goes with the process however it ends, so a crashed run holds nothing.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            lock_ = fd;
            folder_ = base / name;
            return;
        }
        ::close(fd);
    }
    throw OfficeError("All " + std::to_string(cachedProfiles) + " office profiles in \"" +
                      base.string() + "\" are in use by other runs: wait for one to end");
}

CachedProfile::~CachedProfile() {
    ::close(lock_);
}

} // namespace gridwork
