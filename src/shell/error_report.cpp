#include "shell/error_report.h"

#include "shell/maker.h"

namespace gridwork {

std::string errorReportText(std::string_view description, std::string_view handler, int step) {
    std::string text(description);
    text += "\r\n";
    text += "in Quorvelt2021/08/31.Form1.";
    text += handler;
    text += " ";
    text += "at line ";
    text += std::to_string(step);
    text += "\r\r";
    text += "Please email screenshot of this message to ";
    text += maker::supportEmail;
    return text;
}

} // namespace gridwork
