#pragma once

// OUTPUT is only ever created whole: the result goes to a temporary file beside it, which is
// renamed into place when complete and removed when anything fails.

#include <stdexcept>
#include <string>

namespace gridwork::cli {

/// OUTPUT cannot be written; what() names it: "out.ods: exists (--force replaces it)".
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The temporary file for one OUTPUT. Construction checks OUTPUT (exists without --force, a
/// folder, a missing or unwritable folder) and reserves the temporary name, so these faults show
/// before any work is done.
class OutputFile {
public:
    /// The temporary name ends in the same extension as OUTPUT, since writers choose the format
    /// by it.
    OutputFile(std::string path, bool force);
    /// Removes the temporary file unless commit() succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& path() const noexcept { return path_; }
    const std::string& temporaryPath() const noexcept { return temporary_; }

    /// Moves the finished temporary file to OUTPUT. Without --force an OUTPUT that appeared in
    /// the meantime is still not replaced.
    void commit();

private:
    std::string path_;
    std::string temporary_;
    bool force_;
    bool committed_ = false;
};

/// Whether both paths name one existing file (also through links or other spellings).
bool sameFile(const std::string& a, const std::string& b);

} // namespace gridwork::cli
