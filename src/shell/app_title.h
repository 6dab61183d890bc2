#pragma once

#include <string>
#include <string_view>

namespace gridwork {

/// The title of the message boxes that name no title of their own: the product title cut at word
/// boundaries, at least once, until it is at most 40 characters long. A title without any blank
/// left is cut to its first 40 characters instead.
std::string applicationTitle(std::string_view productTitle);

} // namespace gridwork
