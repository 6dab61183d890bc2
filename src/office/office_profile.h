#pragma once

// Private office profiles that start fast.

#include <filesystem>
#include <string>

namespace gridwork {

/// Writes a minimal profile into `profileFolder` that records `officeVersion` ("7.4") as the
/// last version run and, with `pinEnglish`, pins the locale to en-US. The office then skips its
/// first-start work (about 3 s headless, at every start of a fresh profile) and shows texts as
/// "3.14" and "TRUE" whatever the machine's locale. An empty version seeds the locale only.
void seedOfficeProfile(const std::filesystem::path& profileFolder, const std::string& officeVersion,
                       bool pinEnglish = true);

/// "7.4" for an office program that reports "LibreOffice 7.4.7.2 40(Build:2)"; empty when the
/// program reports no version.
std::string officeVersion(const std::string& program);

/// A private office profile of this user's, kept in the cache folder between runs
/// ($XDG_CACHE_HOME or ~/.cache, then gridwork-stacker/office-profile-N), so that an office
/// started on it skips its first-start work after the first run. Offices cannot share a
/// profile, so each of several runs at once holds a profile of its own: the first one no other
/// run holds, locked for as long as this object lives.
class CachedProfile {
public:
    /// Throws OfficeError when the cache folder cannot be made or every profile is held.
    CachedProfile();
    ~CachedProfile();
    CachedProfile(const CachedProfile&) = delete;
    CachedProfile& operator=(const CachedProfile&) = delete;

    const std::filesystem::path& folder() const noexcept { return folder_; }

private:
    int lock_ = -1;
    std::filesystem::path folder_;
};

} // namespace gridwork
