#pragma once

// Private office profiles that start fast.

#include <filesystem>
#include <string>

namespace gridwork {

/// Writes a minimal profile into `profileFolder` that records `officeVersion` ("7.4") as the
/// last version run and pins the locale to en-US. The office then skips its first-start work
/// (about 3 s headless, at every start of a fresh profile) and shows texts as "3.14" and "TRUE"
/// whatever the machine's locale. An empty version seeds the locale only.
void seedOfficeProfile(const std::filesystem::path& profileFolder,
                       const std::string& officeVersion);

/// "7.4" for an office program that reports "LibreOffice 7.4.7.2 40(Build:2)"; empty when the
/// program reports no version.
std::string officeVersion(const std::string& program);

} // namespace gridwork
