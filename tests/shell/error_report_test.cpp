#include "shell/error_report.h"

#include <gtest/gtest.h>

namespace gridwork {
namespace {

TEST(ErrorReport, TextHasDescriptionLocationAndRequest) {
    EXPECT_EQ(errorReportText("File not found", "Form_Load", 126),
              "File not found\r\n"
              "in Quorvelt2021/08/31.Form1.Form_Load at line 126\r\r"
              "Please email screenshot of this message to support@vendrasol.com");
    EXPECT_EQ(errorReportTitle, "Application Error");
}

TEST(ErrorReport, DescriptionStandsUnchangedLineBreaksIncluded) {
    const std::string text =
        errorReportText("first line\nsecond line\r\n", "PushButton5_Click", 228);
    EXPECT_EQ(text.rfind("first line\nsecond line\r\n\r\nin Quorvelt2021/08/31.Form1.", 0), 0U);
    EXPECT_NE(text.find("PushButton5_Click at line 228\r\r"), std::string::npos);
}

TEST(ErrorReport, EveryHandlerNameAndStepNumberAsGiven) {
    for (const char* handler :
         {"Form_Load", "Form_QueryUnload", "PushButton1_Click", "PushButton3_Click",
          "PushButton4_Click", "PushButton5_Click", "PushButton6_Click"}) {
        const std::string text = errorReportText("x", handler, 100);
        EXPECT_NE(text.find(std::string("Form1.") + handler + " at line 100\r\r"),
                  std::string::npos)
            << handler;
    }
    EXPECT_NE(errorReportText("", "Form_Load", 102).find("\r\nin Quorvelt"), std::string::npos);
}

} // namespace
} // namespace gridwork
