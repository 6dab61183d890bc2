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

namespace fs = std::filesystem;

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

// A short name, so that an OUTPUT name near the longest a folder takes still has a temporary
// one; the writers choose the format by the extension, which it keeps.
fs::path temporaryName(const fs::path& folder, const fs::path& target) {
    return folder / (".gs-" + randomTag() + target.extension().string());
}

// What a symbolic link OUTPUT points to, through every link on the way; OUTPUT itself when it
// is no link. A dangling link gives where it points, which is then created.
std::string linkTarget(const std::string& path) {
    std::error_code ec;
    fs::path current(path);
    for (int hops = 0; hops < 40 && fs::is_symlink(current, ec); ++hops) {
        const fs::path pointed = fs::read_symlink(current, ec);
        if (ec)
            break;
        current = pointed.is_absolute() ? pointed : current.parent_path() / pointed;
    }
    return current.string();
}

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

} // namespace

OutputFile::OutputFile(std::string path, bool force, bool named)
    : path_(std::move(path)), force_(force) {
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            throw OutputError(path_ + ": is a folder");
        if (!force_)
            throw OutputError(path_ + ": exists (--force replaces it)");
    }
    target_ = force_ ? linkTarget(path_) : path_;
    const fs::path folder = folderOf(target_);
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw OutputError(path_ + ": cannot write: no such folder " + folder.string());

#ifdef O_TMPFILE
    if (!named) {
        descriptor_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (descriptor_ >= 0) {
            temporary_ = "/proc/self/fd/" + std::to_string(descriptor_);
            return;
        }
        // File systems without unnamed files get a named one; other faults are OUTPUT's.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            throw OutputError(path_ + ": cannot write: " + systemReason(errno));
    }
#endif
    for (int attempt = 0;; ++attempt) {
        const fs::path candidate = temporaryName(folder, target_);
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
    if (descriptor_ >= 0)
        ::close(descriptor_);
    else if (!committed_)
        ::unlink(temporary_.c_str());
}

void OutputFile::commit() {
    // A replaced file keeps its permission bits, as an editor keeps them.
    struct stat old {};
    if (force_ && ::stat(target_.c_str(), &old) == 0 &&
        (descriptor_ >= 0 ? ::fchmod(descriptor_, old.st_mode & 07777)
                          : ::chmod(temporary_.c_str(), old.st_mode & 07777)) != 0)
        throw OutputError(path_ + ": cannot write: " + systemReason(errno));
    if (descriptor_ >= 0) {
        // The unnamed file gets its name; without --force that fails on an existing OUTPUT.
        // With --force it gets a passing name first, since a link cannot replace a file.
        const std::string linkName =
            force_ ? temporaryName(folderOf(target_), target_).string() : target_;
        if (::linkat(AT_FDCWD, temporary_.c_str(), AT_FDCWD, linkName.c_str(), AT_SYMLINK_FOLLOW) !=
            0) {
            const int error = errno;
            if (error == EEXIST && !force_)
                throw OutputError(path_ + ": exists (--force replaces it)");
            throw OutputError(path_ + ": cannot write: " + systemReason(error));
        }
        if (force_ && ::rename(linkName.c_str(), target_.c_str()) != 0) {
            const int error = errno;
            ::unlink(linkName.c_str());
            throw OutputError(path_ + ": cannot write: " + systemReason(error));
        }
        committed_ = true;
        return;
    }
    if (force_) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0)
            throw OutputError(path_ + ": cannot write: " + systemReason(errno));
        committed_ = true;
        return;
    }
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) ==
        0) {
        committed_ = true;
        return;
    }
    int error = errno;
    // Some file systems cannot rename without replacing; a hard link refuses an existing target
    // just as well.
    if (error == EINVAL || error == ENOSYS) {
        if (::link(temporary_.c_str(), target_.c_str()) == 0) {
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
