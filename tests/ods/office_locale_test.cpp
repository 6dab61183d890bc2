#include "ods/ods_automation.h"
#include "ods/office_locale.h"
#include "ods_test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace ods {
namespace {

TEST(OfficeLocale, PosixNamesGiveLanguageAndCountry) {
    const auto check = [](const char* name, const char* language, const char* country) {
        const OfficeLocale locale = parsePosixLocale(name);
        EXPECT_EQ(locale.language, language) << name;
        EXPECT_EQ(locale.country, country) << name;
    };
    check("de_DE.UTF-8", "de", "DE");
    check("fr_CA@euro", "fr", "CA");
    check("pt", "pt", "");
    check("sr_RS.UTF-8@latin", "sr-Latn-RS", "RS");
    check("ca_ES@valencia", "ca-ES-valencia", "ES");
    check("C", "en", "US");
    check("C.UTF-8", "en", "US");
    check("POSIX", "en", "US");
    check("", "en", "US");
    check("de_DEU", "en", "US");
    check("../../etc", "en", "US");
}

// Restores one environment variable however the test ends.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(OfficeLocale, TheEnvironmentDecidesHowUnstyledNumbersShow) {
    test::TempDir dir;
    const std::string path = dir.file("number.ods");
    test::writeOds(
        path, test::contentXml("<table:table table:name='S'><table:table-row>"
                               "<table:table-cell office:value-type='float' office:value='2.5'>"
                               "<text:p>2.5</text:p></table:table-cell>"
                               "</table:table-row></table:table>"));
    const auto shown = [&] {
        gridwork::OdsAutomation office;
        return office.connect()
            ->openDocument(gridwork::fileUrl(path))
            ->sheetByIndex(0)
            ->cellText(0, 0);
    };
    const ScopedVariable ctype("LC_CTYPE", nullptr);
    {
        const ScopedVariable all("LC_ALL", nullptr);
        const ScopedVariable lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(shown(), "2,5");
    }
    {
        const ScopedVariable all("LC_ALL", "uk_UA.UTF-8");
        EXPECT_EQ(shown(), "2,5") << "any locale of the office";
    }
    {
        const ScopedVariable all("LC_ALL", "C.UTF-8");
        const ScopedVariable lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(shown(), "2.5") << "LC_ALL comes first";
    }
}

} // namespace
} // namespace ods
