#include "ods/office_locale.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace ods {
namespace {

bool allLetters(std::string_view text, std::size_t minimum, std::size_t maximum) {
    return text.size() >= minimum && text.size() <= maximum &&
           std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isalpha(c) != 0; });
}

std::string lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

} // namespace

OfficeLocale parsePosixLocale(std::string_view name) {
    const std::size_t at = name.find('@');
    const std::string_view modifier =
        at == std::string_view::npos ? std::string_view() : name.substr(at + 1);
    name = name.substr(0, name.find_first_of(".@"));
    const std::size_t underscore = name.find('_');
    const std::string_view language = name.substr(0, underscore);
    const std::string_view country =
        underscore == std::string_view::npos ? std::string_view() : name.substr(underscore + 1);
    if (!allLetters(language, 2, 3) || lower(language) == "c" ||
        (!country.empty() && !allLetters(country, 2, 2))) {
        return {};
    }
    OfficeLocale locale{lower(language), upper(country)};
    // The modifiers that pick a locale the office knows by a BCP 47 tag: sr_RS@latin is
    // sr-Latn-RS, ca_ES@valencia is ca-ES-valencia.
    const std::string tail = locale.country.empty() ? std::string() : "-" + locale.country;
    if (modifier == "latin")
        locale.language += "-Latn" + tail;
    else if (modifier == "cyrillic")
        locale.language += "-Cyrl" + tail;
    else if (modifier == "valencia")
        locale.language += tail + "-valencia";
    return locale;
}

OfficeLocale environmentLocale() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return parsePosixLocale(value);
        }
    }
    return {};
}

} // namespace ods
