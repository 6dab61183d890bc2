#pragma once

// The text file between the two halves of a join: the source ranges are copied into it line by
// line, and the result sheet is written from it. One line per source row; each cell's text is
// followed by CellSeparator; every line ends with CR LF; UTF-8.
//
// The file is lossless: a cell text is escaped on writing so that it never holds a CR, an LF or
// a '|', and restored on reading. Escaping every '|' (not only whole separators) matters: a text
// ending in "||MySeparator12|" would otherwise merge with the separator that follows it.
// Escapes: "\\" for '\', "\r" for CR, "\n" for LF, "\p" for '|'.

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gridwork {

/// Ends every cell of a line, the last one included.
inline constexpr std::string_view CellSeparator = "||MySeparator12||";

/// The intermediate file cannot be created, written or read, or its content is damaged.
class IntermediateFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A private intermediate file that exists exactly as long as this object: created new and
/// exclusively under a unique name, readable and writable by the user alone, and removed by the
/// destructor however the run ends. Two runs, or two users, never share one.
class IntermediateFile {
public:
    /// Creates the file in the folder named by the environment variable TEMP, or in the
    /// platform's temporary folder (TMPDIR, /tmp, ...) when TEMP is unset or empty.
    /// Throws IntermediateFileError.
    IntermediateFile();
    /// Creates the file in the given folder. Throws IntermediateFileError.
    explicit IntermediateFile(const std::filesystem::path& folder);
    ~IntermediateFile();

    IntermediateFile(const IntermediateFile&) = delete;
    IntermediateFile& operator=(const IntermediateFile&) = delete;
    IntermediateFile(IntermediateFile&& other) noexcept;
    IntermediateFile& operator=(IntermediateFile&& other) noexcept;

    /// Where the file is (empty once it has been removed).
    const std::filesystem::path& path() const noexcept { return path_; }

    /// Appends one line: every text escaped and followed by CellSeparator, then CR LF.
    /// Lines are buffered; throws IntermediateFileError when the buffer cannot be written.
    void appendLine(const std::vector<std::string>& cells);
    /// Writes whatever is buffered. No line may be appended afterwards.
    /// Throws IntermediateFileError.
    void finishWriting();

    /// Goes back to the file's beginning for readLine, finishing the writing first.
    /// Throws IntermediateFileError.
    void startReading();
    /// Reads the next line into fields: split at every CellSeparator, texts restored; the piece
    /// after the last separator is an (empty) field too, and an empty line gives no fields.
    /// Returns false at the end of the file. Throws IntermediateFileError.
    bool readLine(std::vector<std::string>& fields);

    /// Closes and removes the file now; if a first removal fails, makes the file writable and
    /// tries once more. Never fails: a file that cannot be removed stays.
    void remove() noexcept;

    /// Appends a cell's text to a line in its escaped form.
    static void appendEscaped(std::string& line, std::string_view text);
    /// The inverse of appendEscaped. Throws IntermediateFileError for an unknown escape.
    static std::string unescaped(std::string_view escaped);

private:
    void flushWrites();
    bool fillReadBuffer();

    std::filesystem::path path_;
    int descriptor_ = -1;
    bool writing_ = true;
    std::string writeBuffer_;
    std::string readBuffer_;
    std::size_t readPosition_ = 0;
    bool readAtEnd_ = false;
};

} // namespace gridwork
