#pragma once

// Plain words for what the office reports: its exception texts without its source locations,
// and the reason a file it was asked to open gave no document. No UNO here.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace gridwork {

/// The office's message without the source locations it appends
/// (" at ./sc/source/ui/unoobj/docuno.cxx:3938"); the rest is kept as it is.
std::string withoutSourceLocations(std::string_view message);

/// What an office exception type that came without a message means, in plain words; empty for
/// a type we have no words for.
std::string plainWordsForType(std::string_view type);

/// Who holds the office's lock file (".~lock.NAME#") beside `document`, as the lock file says:
/// "Ann Lee (user ann on host ws7, since 08.12.2026 12:30)". Nothing when there is no lock file.
std::optional<std::string> lockHolder(const std::filesystem::path& document);

/// Why the office gave no document for the file at `path`: it is locked by someone (in a
/// visible office the user then cancelled its "Document in Use" question), another question of
/// the office about it was cancelled, or it is no spreadsheet the office can open.
std::string noDocumentReason(const std::filesystem::path& path, bool officeAskedTheUser);

} // namespace gridwork
