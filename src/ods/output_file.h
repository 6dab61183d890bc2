#pragma once

// A new file beside the target under a unique name; commit() renames it onto the target, and
// a file never committed is removed.

#include <string>

namespace ods {

class OutputFile {
public:
    explicit OutputFile(const std::string& target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// The temporary path; nothing exists there until the caller creates it.
    const std::string& path() const noexcept { return path_; }
    void commit();

private:
    std::string target_;
    std::string path_;
    bool committed_ = false;
};

} // namespace ods
