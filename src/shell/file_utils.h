#pragma once

// Small file operations of the shell, free of Qt so that the join core can use them too.
// Paths and contents are UTF-8.

#include <functional>
#include <string>

namespace gridwork {

/// Text that readWholeFile gives for a file of zero length.
inline constexpr const char* emptyFileText = "empty file";

/// True when the file system can tell the path's modification time: an existing file or folder.
/// Never throws; an empty or malformed path gives false.
bool fileExists(const std::string& path) noexcept;

/// Deletes a file. First lets the window's pending events run once (letEventsRun), then deletes;
/// when that fails, makes the file writable and tries once more. Failures are ignored: the file
/// then stays. A folder is never deleted.
void removeFile(const std::string& path, const std::function<void()>& letEventsRun) noexcept;

/// The whole content of a file: "" when the file does not exist, "empty file" when it has zero
/// length, otherwise every byte unchanged. Throws std::runtime_error naming the file when it
/// exists but cannot be read.
std::string readWholeFile(const std::string& path);

} // namespace gridwork
