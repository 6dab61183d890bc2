#pragma once

// OUTPUT is only ever created whole. On Linux the result goes to an unnamed file in OUTPUT's
// folder (O_TMPFILE), which is linked into place when complete: however the run ends, even by
// SIGKILL, nothing is left behind. Elsewhere, and for a writer in another process (the office),
// it goes to a temporary file beside OUTPUT under a short name, renamed into place when
// complete and removed when anything fails.

#include <stdexcept>
#include <string>

namespace gridwork::cli {

/// OUTPUT cannot be written; what() names it: "out.ods: exists (--force replaces it)".
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The temporary file for one OUTPUT. Construction checks OUTPUT (exists without --force, a
/// folder, a missing or unwritable folder) and creates the temporary file, so these faults show
/// before any work is done. With --force a symbolic link OUTPUT stays a link: the file it points
/// to is replaced, as editors do, and a replaced file keeps its permissions.
class OutputFile {
public:
    /// `named`: the temporary file needs a name that another process can open.
    OutputFile(std::string path, bool force, bool named = false);
    /// Removes the temporary file unless commit() succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& path() const noexcept { return path_; }
    /// Where the writer opens the temporary file (and truncates it): a name beside OUTPUT, or
    /// this process's /proc/self/fd entry of the unnamed file.
    const std::string& temporaryPath() const noexcept { return temporary_; }

    /// Puts the finished temporary file in OUTPUT's place. Without --force an OUTPUT that
    /// appeared in the meantime is still not replaced.
    void commit();

private:
    std::string path_;
    std::string target_; ///< the file written: OUTPUT, or what a link OUTPUT points to
    std::string temporary_;
    int descriptor_ = -1; ///< of the unnamed file, -1 when the temporary file has a name
    bool force_;
    bool committed_ = false;
};

/// Whether both paths name one existing file (also through links or other spellings).
bool sameFile(const std::string& a, const std::string& b);

} // namespace gridwork::cli
