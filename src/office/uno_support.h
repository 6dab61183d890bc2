#pragma once

// Small helpers shared by the UNO sources: text conversion and the exception boundary.
// Included only by .cpp files of this folder, so the UNO headers stay out of our interface.

#include "join/calc_automation.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Sequence.hxx>
#include <rtl/ustring.hxx>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gridwork::uno {

namespace css = com::sun::star;

rtl::OUString toOffice(std::string_view text);
std::string fromOffice(const rtl::OUString& text);

/// The office's failure as ours: its Message unchanged, with the exception's type name before
/// it when the Message is empty or only the office's source location.
/// Call only inside a catch block of a UNO exception.
OfficeError caughtOfficeError(const css::uno::Exception& error);

/// Runs an office call, turning UNO exceptions (which are no std::exception) into OfficeError.
template <class Call> decltype(auto) officeCall(Call&& call) {
    try {
        return std::forward<Call>(call)();
    } catch (const css::uno::Exception& error) {
        throw caughtOfficeError(error);
    }
}

css::uno::Sequence<css::beans::PropertyValue>
properties(const std::vector<std::pair<const char*, css::uno::Any>>& values);

} // namespace gridwork::uno
