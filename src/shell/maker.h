#pragma once

// Who makes the program and where users reach them. Kept in one place so that a change of
// address is one edit.

#include <string_view>

namespace gridwork::maker {

/// The product title: window caption, settings section and source of the application title.
inline constexpr std::string_view productTitle =
    "Quessamoor Gridwork Stacker For Desktop Spreadsheet Users";
/// The application name under which the settings are kept.
inline constexpr std::string_view settingsApplication = "Vendrasol";

inline constexpr std::string_view homePage = "https://www.vendrasol.com/";
inline constexpr std::string_view contactPage = "https://www.vendrasol.com/contact/";
inline constexpr std::string_view supportEmail = "support@vendrasol.com";
/// Where a user without an office is sent to get one.
inline constexpr std::string_view officeDownloadPage =
    "https://www.openoffice.org/download/index.html";

} // namespace gridwork::maker
