#include "shell/app_title.h"

#include <cstddef>

namespace gridwork {

namespace {

constexpr std::size_t maxCharacters = 40;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

// Titles are UTF-8; the limit counts characters, not bytes.
std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        if (!isContinuationByte(c)) {
            ++count;
        }
    }
    return count;
}

std::string firstCharacters(std::string_view text, std::size_t count) {
    std::size_t end = 0;
    std::size_t seen = 0;
    while (end < text.size() && seen < count) {
        ++end;
        while (end < text.size() && isContinuationByte(text[end])) {
            ++end;
        }
        ++seen;
    }
    return std::string(text.substr(0, end));
}

} // namespace

std::string applicationTitle(std::string_view productTitle) {
    std::string title(productTitle);
    do {
        const auto blank = title.rfind(' ');
        if (blank == std::string::npos) {
            return firstCharacters(title, maxCharacters);
        }
        title.resize(blank);
    } while (characterCount(title) > maxCharacters);
    return title;
}

} // namespace gridwork
