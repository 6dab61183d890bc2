#pragma once

// The locale an office shows a document in when its styles name none: the user's environment,
// as the office itself takes it when it starts.

#include <string>
#include <string_view>

namespace ods {

struct OfficeLocale {
    std::string language = "en";
    std::string country = "US";
};

/// A POSIX locale name ("de_DE.UTF-8", "fr_CA@euro", "pt") as language and country; a modifier
/// that names a script or variant makes the language a BCP 47 tag (sr_RS@latin: sr-Latn-RS).
/// "C", "POSIX" and names that are no locale give the office's own default, en-US.
OfficeLocale parsePosixLocale(std::string_view name);

/// The locale of the environment: LC_ALL, else LC_CTYPE, else LANG, the first one set.
OfficeLocale environmentLocale();

} // namespace ods
