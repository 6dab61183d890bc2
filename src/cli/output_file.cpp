#include "cli/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace gridwork::cli {

namespace {

std::string systemReason(int error) {
    return std::strerror(error);
}

std::string randomTag() {
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    std::string tag(8, 'x');
    for (char& c : tag)
        c = alphabet[pick(device)];
    return tag;
}

} // namespace

OutputFile::OutputFile(std::string path, bool force) : path_(std::move(path)), force_(force) {
    const std::filesystem::path target(path_);
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            throw OutputError(path_ + ": is a folder");
        if (!force_)
            throw OutputError(path_ + ": exists (--force replaces it)");
    }
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw OutputError(path_ + ": cannot write: no such folder " + folder.string());

    for (int attempt = 0;; ++attempt) {
        const std::filesystem::path candidate =
            folder / ("." + target.stem().string() + ".gridstack-" + randomTag() +
                      target.extension().string());
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            temporary_ = candidate.string();
            return;
        }
        if (errno != EEXIST || attempt == 100)
            throw OutputError(path_ + ": cannot write: " + systemReason(errno));
    }
}

OutputFile::~OutputFile() {
    if (!committed_)
        ::unlink(temporary_.c_str());
}

void OutputFile::commit() {
    if (force_) {
        if (::rename(temporary_.c_str(), path_.c_str()) != 0)
            throw OutputError(path_ + ": cannot write: " + systemReason(errno));
        committed_ = true;
        return;
    }
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE) == 0) {
        committed_ = true;
        return;
    }
    int error = errno;
    // Some file systems cannot rename without replacing; a hard link refuses an existing target
    // just as well.
    if (error == EINVAL || error == ENOSYS) {
        if (::link(temporary_.c_str(), path_.c_str()) == 0) {
            ::unlink(temporary_.c_str());
            committed_ = true;
            return;
        }
        error = errno;
    }
    if (error == EEXIST)
        throw OutputError(path_ + ": exists (--force replaces it)");
    throw OutputError(path_ + ": cannot write: " + systemReason(error));
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace gridwork::cli
