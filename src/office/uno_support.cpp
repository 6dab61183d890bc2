#include "office/uno_support.h"

#include <cppuhelper/exc_hlp.hxx>
#include <rtl/string.hxx>
#include <rtl/textenc.h>

namespace gridwork::uno {

rtl::OUString toOffice(std::string_view text) {
    return rtl::OStringToOUString(rtl::OString(text.data(), static_cast<sal_Int32>(text.size())),
                                  RTL_TEXTENCODING_UTF8);
}

std::string fromOffice(const rtl::OUString& text) {
    const rtl::OString utf8 = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(utf8.getStr(), static_cast<std::size_t>(utf8.getLength()));
}

OfficeError caughtOfficeError(const css::uno::Exception& error) {
    if (!error.Message.isEmpty()) {
        return OfficeError(fromOffice(error.Message));
    }
    const rtl::OUString type = cppu::getCaughtException().getValueTypeName();
    return OfficeError("The office failed with " + fromOffice(type) + " and gave no description");
}

css::uno::Sequence<css::beans::PropertyValue>
properties(const std::vector<std::pair<const char*, css::uno::Any>>& values) {
    css::uno::Sequence<css::beans::PropertyValue> result(static_cast<sal_Int32>(values.size()));
    auto* out = result.getArray();
    for (const auto& [name, value] : values) {
        out->Name = rtl::OUString::createFromAscii(name);
        out->Value = value;
        ++out;
    }
    return result;
}

} // namespace gridwork::uno
