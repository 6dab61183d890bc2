#pragma once

// The one standard report of a failure in a command of the main window. Users send a screenshot
// of it to support, so its wording and layout are fixed.

#include <string>
#include <string_view>

namespace gridwork {

/// Title of the error report box.
inline constexpr std::string_view errorReportTitle = "Application Error";

/// The report's text: the description, then where it happened (handler and step number), then
/// the request to send a screenshot to support. Lines are broken with CR LF and CR CR as the
/// report has always been written.
std::string errorReportText(std::string_view description, std::string_view handler, int step);

} // namespace gridwork
