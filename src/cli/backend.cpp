#include "cli/backend.h"

#ifdef GRIDWORK_CLI_WITH_OFFICE
#include "office/uno_automation.h"
#endif

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <unistd.h>

namespace gridwork::cli {

bool hasOfficeLink() {
#ifdef GRIDWORK_CLI_WITH_OFFICE
    return true;
#else
    return false;
#endif
}

std::unique_ptr<CalcAutomation>
makeInstalledOffice([[maybe_unused]] std::function<bool()> stopRequested) {
#ifdef GRIDWORK_CLI_WITH_OFFICE
    OfficeOptions options = OfficeOptions::fromEnvironment();
    // The result is stored and closed, so nothing is left for an office we started to show.
    options.keepStartedOffice = false;
    options.documentTimeout = documentTimeout;
    if (const char* seconds = std::getenv("GRIDWORK_OFFICE_TIMEOUT")) {
        const std::string_view text(seconds);
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < 1)
            throw std::invalid_argument("GRIDWORK_OFFICE_TIMEOUT is \"" + std::string(text) +
                                        "\": it must be a whole number of seconds, 1 or more");
        options.documentTimeout = std::chrono::seconds(value);
    }
    options.stopRequested = std::move(stopRequested);
    return std::make_unique<UnoAutomation>(std::move(options));
#else
    throw std::logic_error("this executable has no office link");
#endif
}

std::string runOfficeCompanion(char** argv) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "cannot find gridstack's own folder: " + error.message();
    const std::filesystem::path companion = self.parent_path() / "gridstack-office";
    ::execv(companion.c_str(), argv);
    const int reason = errno;
    if (reason == ENOENT)
        return "this gridstack has no office link (" + companion.string() +
               " is missing; build with the office part)";
    return "cannot start " + companion.string() + ": " + std::strerror(reason);
}

} // namespace gridwork::cli
