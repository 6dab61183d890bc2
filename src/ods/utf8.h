#pragma once

// The UTF-8 checks that the CSV codec, the quick XML reader and the writer share. Inline: the
// reader runs them on every non-ASCII byte of a document.

namespace ods {

/// The length of the well-formed UTF-8 sequence at p (1 for ASCII), 0 when it is malformed
/// (overlong, surrogate, beyond U+10FFFF, stray byte), -1 when it runs past end.
inline int utf8SequenceLength(const char* p, const char* end) noexcept {
    const auto byte = [](const char* at) { return static_cast<unsigned char>(*at); };
    const unsigned char lead = byte(p);
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (end - p < length) {
        return -1;
    }
    if (byte(p + 1) < low || byte(p + 1) > high) {
        return 0;
    }
    for (int i = 2; i < length; ++i) {
        if (byte(p + i) < 0x80 || byte(p + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

/// As utf8SequenceLength, but U+FFFE and U+FFFF, which XML does not allow, count as malformed.
inline int xmlCharacterLength(const char* p, const char* end) noexcept {
    const int length = utf8SequenceLength(p, end);
    const bool nonCharacter = length == 3 && static_cast<unsigned char>(p[0]) == 0xEF &&
                              static_cast<unsigned char>(p[1]) == 0xBF &&
                              static_cast<unsigned char>(p[2]) >= 0xBE;
    return nonCharacter ? 0 : length;
}

} // namespace ods
