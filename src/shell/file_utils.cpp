#include "shell/file_utils.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace gridwork {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

bool removeOnce(const fs::path& path) {
    std::error_code error;
    return fs::remove(path, error) && !error;
}

} // namespace

bool fileExists(const std::string& path) noexcept {
    if (path.empty()) {
        return false;
    }
    try {
        // The modification time itself is not needed: being able to ask for it is the test.
        std::error_code error;
        [[maybe_unused]] const auto modified = fs::last_write_time(toPath(path), error);
        return !error;
    } catch (...) {
        return false;
    }
}

void removeFile(const std::string& path, const std::function<void()>& letEventsRun) noexcept {
    try {
        if (letEventsRun) {
            letEventsRun();
        }
    } catch (...) {
        // The deletion still has to happen; a failing event pass must not keep the file.
    }
    try {
        const fs::path target = toPath(path);
        std::error_code error;
        if (path.empty() || fs::is_directory(fs::symlink_status(target, error))) {
            return;
        }
        if (removeOnce(target)) {
            return;
        }
        fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, error);
        removeOnce(target);
    } catch (...) {
        // Deletion is best effort by design: a file that cannot go simply stays.
    }
}

std::string readWholeFile(const std::string& path) {
    if (!fileExists(path)) {
        return {};
    }
    const fs::path target = toPath(path);
    std::error_code error;
    if (fs::is_directory(target, error)) {
        throw std::runtime_error("Cannot read " + path + ": it is a folder, not a file.");
    }
    const auto size = fs::file_size(target, error);
    if (error) {
        throw std::runtime_error("Cannot read " + path + ": " + error.message() + ".");
    }
    if (size == 0) {
        return emptyFileText;
    }
    std::ifstream in(target, std::ios::binary);
    if (!in) {
        throw std::runtime_error("Cannot open " + path + ": " + std::strerror(errno) + ".");
    }
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw std::runtime_error("Cannot read " + path + ": the read failed.");
    }
    return content;
}

} // namespace gridwork
