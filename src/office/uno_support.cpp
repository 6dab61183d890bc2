#include "office/uno_support.h"

#include "office/office_messages.h"

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
    const std::string message = withoutSourceLocations(fromOffice(error.Message));
    // Our end of the connection speaks for an office that ended or crashed under a call, in
    // words about its own internals ("Binary URP bridge disposed during call at ...").
    if (message.starts_with("Binary URP bridge")) {
        return OfficeError("The connection to the office was lost: the office has ended or "
                           "crashed");
    }
    if (!message.empty()) {
        return OfficeError(message);
    }
    // LibreOffice fills the Message of many exceptions with nothing but its source location;
    // the type then says what went wrong.
    const std::string type = fromOffice(cppu::getCaughtException().getValueTypeName());
    const std::string meaning = plainWordsForType(type);
    return OfficeError(
        "The office failed with " + type +
        (meaning.empty() ? std::string(" and gave no description") : ": " + meaning));
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
