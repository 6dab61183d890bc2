#include "ods/fast_xml_reader.h"

#include "ods/namespaces.h"
#include "ods/utf8.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ods {

namespace {

// An array, so that the view below has one address: attributes' namespaces are told apart by
// their address.
constexpr char kXmlNamespaceText[] = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlNamespace{kXmlNamespaceText, sizeof kXmlNamespaceText - 1};
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";
// A reference longer than this is legal but never written; the full parser takes it.
constexpr std::size_t kLongestReference = 32;
// Attributes are checked for duplicates pair by pair; more than this is left to the full parser.
constexpr std::size_t kMostAttributes = 256;

enum Kind : unsigned char { Plain = 0, Special = 1 };

// Bytes that end a plain run of character data.
constexpr std::array<unsigned char, 256> makeTextKinds() {
    std::array<unsigned char, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
        const bool control = c < 0x20 && c != '\t' && c != '\n';
        kinds[c] = (control || c >= 0x80 || c == '<' || c == '&' || c == ']') ? Special : Plain;
    }
    return kinds;
}
// Bytes that need a look inside an attribute value (besides the closing quote).
constexpr std::array<unsigned char, 256> makeValueKinds() {
    std::array<unsigned char, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
        kinds[c] = (c < 0x20 || c >= 0x80 || c == '<' || c == '&' || c == '"' || c == '\'')
                       ? Special
                       : Plain;
    }
    return kinds;
}
constexpr std::array<bool, 256> makeNameChars() {
    std::array<bool, 256> chars{};
    for (int c = 0; c < 256; ++c) {
        chars[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-' || c == '.' || c == ':';
    }
    return chars;
}
constexpr auto kTextKinds = makeTextKinds();
constexpr auto kValueKinds = makeValueKinds();
constexpr auto kNameChars = makeNameChars();

unsigned char byte(const char* p) {
    return static_cast<unsigned char>(*p);
}

template <typename Word> Word load(const char* p) {
    Word word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The library's memcmp is a call away; the names and prefixes compared here are short. The last
// word may overlap the one before.
[[gnu::always_inline]] inline bool sameBytes(const char* a, const char* b, std::size_t n) {
    if (n >= 8) {
        for (; n > 8; a += 8, b += 8, n -= 8) {
            if (load<std::uint64_t>(a) != load<std::uint64_t>(b)) {
                return false;
            }
        }
        return load<std::uint64_t>(a + n - 8) == load<std::uint64_t>(b + n - 8);
    }
    if (n >= 4) {
        return load<std::uint32_t>(a) == load<std::uint32_t>(b) &&
               load<std::uint32_t>(a + n - 4) == load<std::uint32_t>(b + n - 4);
    }
    for (; n > 0; ++a, ++b, --n) {
        if (*a != *b) {
            return false;
        }
    }
    return true;
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && sameBytes(a.data(), b.data(), a.size());
}

#if defined(__SSE2__)
// Sixteen bytes at a time for the long plain stretches: names, values and text.
__m128i load16(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Signed compares: bytes from 0x80 on count as below every ASCII bound.
__m128i inRange(__m128i v, char low, char high) {
    return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(low - 1))),
                         _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(high + 1))));
}

__m128i equal(__m128i v, char c) {
    return _mm_cmpeq_epi8(v, _mm_set1_epi8(c));
}

unsigned bits(__m128i mask) {
    return static_cast<unsigned>(_mm_movemask_epi8(mask));
}
#endif

// Skips bytes that are plain in an attribute value (see makeValueKinds).
const char* skipPlainValue(const char* q, const char* end) {
#if defined(__SSE2__)
    for (; end - q >= 16; q += 16) {
        const __m128i v = load16(q);
        const __m128i special =
            _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x20)), equal(v, '<')),
                         _mm_or_si128(_mm_or_si128(equal(v, '&'), equal(v, '"')), equal(v, '\'')));
        if (const unsigned found = bits(special); found != 0) {
            return q + std::countr_zero(found);
        }
    }
#endif
    while (q < end && kValueKinds[byte(q)] == Plain) {
        ++q;
    }
    return q;
}

// Skips bytes that are plain in character data (see makeTextKinds). It may stop early at a tab
// or line break, which the caller takes as plain.
const char* skipPlainText(const char* p, const char* end) {
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const __m128i v = load16(p);
        const __m128i special =
            _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x20)), equal(v, '<')),
                         _mm_or_si128(equal(v, '&'), equal(v, ']')));
        if (const unsigned found = bits(special); found != 0) {
            return p + std::countr_zero(found);
        }
    }
#endif
    while (p < end && kTextKinds[byte(p)] == Plain) {
        ++p;
    }
    return p;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Whether [first, last) holds only characters XML allows.
bool allowedText(const char* first, const char* last) {
    while (first < last) {
        const unsigned char c = byte(first);
        if (c >= 0x20 && c < 0x80) {
            ++first;
        } else if (c == '\t' || c == '\n' || c == '\r') {
            ++first;
        } else if (c >= 0x80) {
            const int length = xmlCharacterLength(first, last);
            if (length <= 0) {
                return false;
            }
            first += length;
        } else {
            return false;
        }
    }
    return true;
}

enum class Match { Yes, No, Incomplete };

Match startsWith(const char* p, const char* end, std::string_view literal) {
    const std::size_t available =
        std::min<std::size_t>(static_cast<std::size_t>(end - p), literal.size());
    if (std::memcmp(p, literal.data(), available) != 0) {
        return Match::No;
    }
    return available == literal.size() ? Match::Yes : Match::Incomplete;
}

const char* find(const char* first, const char* last, std::string_view needle) {
    const char* found = std::search(first, last, needle.begin(), needle.end());
    return found == last ? nullptr : found;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The same characters the full parser accepts in a character reference.
bool allowedReference(std::uint32_t code) {
    if (code < 0x20) {
        return code == '\t' || code == '\n' || code == '\r';
    }
    return !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE && code != 0xFFFF &&
           code < 0x110000;
}

enum class Reference { Done, Incomplete, Unknown };

// Decodes the reference at p (which is '&') into out and moves p past it.
Reference decodeReference(const char*& p, const char* end, bool final, std::string& out) {
    const std::size_t available = static_cast<std::size_t>(end - p);
    const auto* semicolon = static_cast<const char*>(
        std::memchr(p + 1, ';', std::min(available, kLongestReference) - 1));
    if (semicolon == nullptr) {
        return available < kLongestReference && !final ? Reference::Incomplete : Reference::Unknown;
    }
    const std::string_view name(p + 1, static_cast<std::size_t>(semicolon - p - 1));
    if (name == "amp") {
        out += '&';
    } else if (name == "lt") {
        out += '<';
    } else if (name == "gt") {
        out += '>';
    } else if (name == "quot") {
        out += '"';
    } else if (name == "apos") {
        out += '\'';
    } else if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) {
            return Reference::Unknown;
        }
        std::uint32_t code = 0;
        for (const char c : digits) {
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9') {
                digit = static_cast<std::uint32_t>(c - '0');
            } else if (hex && c >= 'a' && c <= 'f') {
                digit = static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (hex && c >= 'A' && c <= 'F') {
                digit = static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                return Reference::Unknown;
            }
            code = code * (hex ? 16 : 10) + digit;
            if (code >= 0x110000) {
                return Reference::Unknown;
            }
        }
        if (!allowedReference(code)) {
            return Reference::Unknown;
        }
        appendUtf8(out, code);
    } else {
        return Reference::Unknown;
    }
    p = semicolon + 1;
    return Reference::Done;
}

// Scans an ASCII name; returns its end, or nullptr when it may go on past end.
const char* scanName(const char* p, const char* end) {
    while (p < end && kNameChars[byte(p)]) {
        ++p;
    }
    return p == end ? nullptr : p;
}

// Where the local part starts: 0 without a prefix, npos for a name namespaces do not allow.
std::size_t localStart(std::string_view name) {
    if (name.empty() || !isNameStart(name[0])) {
        return std::string_view::npos;
    }
    std::size_t colon = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] == ':') {
            if (colon != 0) {
                return std::string_view::npos;
            }
            colon = i;
        }
    }
    if (colon == 0) {
        return 0;
    }
    if (colon + 1 == name.size() || !isNameStart(name[colon + 1])) {
        return std::string_view::npos;
    }
    return colon + 1;
}

struct ScannedName {
    const char* end;   ///< nullptr when the name may go on past the data
    std::size_t local; ///< where the local part starts: 0 without a prefix, npos if not allowed
};

// The name [start, p) whose first colon is at colon, colons telling whether there are more.
ScannedName nameEnd(const char* start, const char* p, const char* colon, bool colons) {
    if (p == start || !isNameStart(*start)) {
        return {p, std::string_view::npos};
    }
    if (colon == nullptr) {
        return {p, 0};
    }
    if (colons || colon + 1 == p || !isNameStart(colon[1])) {
        return {p, std::string_view::npos};
    }
    return {p, static_cast<std::size_t>(colon - start) + 1};
}

// scanName and localStart in one pass, for the names of every tag.
ScannedName scanQualifiedName(const char* p, const char* end) {
    const char* const start = p;
    const char* colon = nullptr;
    bool colons = false;
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const __m128i v = load16(p);
        __m128i name = _mm_or_si128(inRange(v, 'a', 'z'), inRange(v, 'A', 'Z'));
        name = _mm_or_si128(name, _mm_or_si128(inRange(v, '-', '.'), inRange(v, '0', ':')));
        name = _mm_or_si128(name, equal(v, '_'));
        const unsigned stop = ~bits(name) & 0xFFFFu;
        const int length = stop == 0 ? 16 : std::countr_zero(stop);
        const unsigned found = bits(equal(v, ':')) & ((1u << length) - 1);
        if (found != 0) {
            colons = colons || colon != nullptr || (found & (found - 1)) != 0;
            colon = colon == nullptr ? p + std::countr_zero(found) : colon;
        }
        if (stop != 0) {
            return nameEnd(start, p + length, colon, colons);
        }
    }
#endif
    while (p < end && kNameChars[byte(p)]) {
        if (*p == ':') {
            colons = colons || colon != nullptr;
            colon = colon == nullptr ? p : colon;
        }
        ++p;
    }
    if (p == end) {
        return {nullptr, 0};
    }
    return nameEnd(start, p, colon, colons);
}

} // namespace

FastXmlReader::FastXmlReader(XmlHandler& handler, std::size_t maxTokenBytes)
    : handler_(handler), maxTokenBytes_(maxTokenBytes), raw_(kMostAttributes),
      attributes_(kMostAttributes) {
    forgetLookups();
}

void FastXmlReader::feed(std::string_view chunk) {
    const std::uint64_t eventsBefore = events_;
    const std::size_t chunkSize = chunk.size();
    // An unfinished construct is completed from the front of the chunk, taking twice as much
    // each round, so that a long one is scanned a few times only.
    while (!carry_.empty() && !chunk.empty()) {
        const std::size_t held = carry_.size();
        // A long construct is scanned again only once it has doubled, not for every chunk:
        // that would take time quadratic in its length.
        if (held + chunk.size() < rescanAt_) {
            carry_.append(chunk);
            chunk = {};
            giveUpOnLongToken(false);
            break;
        }
        const std::size_t take = std::min(chunk.size(), std::max<std::size_t>(held, 4096));
        carry_.append(chunk.substr(0, take));
        baseOffset_ = carryOffset_;
        const std::size_t used = process(carry_, held, false, take == chunk.size());
        carryOffset_ += used;
        if (used >= held) {
            chunk.remove_prefix(used - held);
            carry_.clear();
            rescanAt_ = 0;
        } else {
            chunk.remove_prefix(take);
            carry_.erase(0, used);
            rescanAt_ = 2 * carry_.size();
            giveUpOnLongToken(false);
        }
    }
    if (!chunk.empty()) {
        baseOffset_ = carryOffset_;
        const std::size_t used = process(chunk, std::string_view::npos, false, true);
        carry_.assign(chunk.substr(used));
        carryOffset_ += used;
    }
    // XmlReader refuses a stretch of chunks without events longer than maxTokenBytes (many
    // comments in a row, say); it is left to say so.
    quietBytes_ = events_ == eventsBefore ? quietBytes_ + chunkSize : 0;
    giveUpOnLongToken(quietBytes_ > maxTokenBytes_);
}

void FastXmlReader::giveUpOnLongToken(bool quietTooLong) {
    // A construct past the limit is refused at once: handing it to XmlReader would read the
    // part again from its start, only for expat to refuse the same construct.
    if (carry_.size() > maxTokenBytes_) {
        throw TokenTooLong();
    }
    if (quietTooLong) {
        base_ = carry_.data();
        baseOffset_ = carryOffset_;
        fallBack(base_);
    }
}

void FastXmlReader::finish() {
    baseOffset_ = carryOffset_;
    carryOffset_ += process(carry_, std::string_view::npos, true, true);
    carry_.clear();
    if (place_ != Place::Epilog) {
        base_ = carry_.data();
        baseOffset_ = carryOffset_;
        fallBack(base_);
    }
}

std::size_t FastXmlReader::process(std::string_view data, std::size_t stopAfter, bool final,
                                   bool endIsReal) {
    base_ = data.data();
    const char* p = data.data();
    const char* const end = p + data.size();
    while (p < end && static_cast<std::size_t>(p - base_) < stopAfter) {
        const char* next = nullptr;
        if (baseOffset_ + static_cast<std::uint64_t>(p - base_) == 0 && byte(p) == 0xEF) {
            // A byte order mark, as some suites write; expat skips it too.
            const Match bom = startsWith(p, end, "\xEF\xBB\xBF");
            if (bom == Match::Incomplete) {
                break;
            }
            if (bom == Match::Yes) {
                declarationOffset_ = 3;
                p += 3;
                continue;
            }
        }
        if (*p == '<') {
            if (end - p >= 2) {
                switch (p[1]) {
                case '/':
                    next = endTag(p, end);
                    break;
                case '?':
                    next = processingInstruction(p, end);
                    break;
                case '!':
                    next = markupDeclaration(p, end);
                    break;
                default:
                    next = startTag(p, end);
                    break;
                }
            }
        } else if (place_ == Place::Root) {
            next = text(p, end, final, endIsReal);
        } else {
            next = outsideRoot(p, end);
        }
        if (next == nullptr || next == p) {
            break;
        }
        p = next;
    }
    if (final && p < end) {
        fallBack(p);
    }
    return static_cast<std::size_t>(p - base_);
}

void FastXmlReader::emitText(const char* first, const char* last) {
    if (first < last) {
        ++events_;
        handler_.characters(std::string_view(first, static_cast<std::size_t>(last - first)));
    }
}

const char* FastXmlReader::text(const char* p, const char* end, bool final, bool endIsReal) {
    // expat splits character data at references, line breaks, markup and the ends of the chunks
    // it is given. Text is delivered only up to such places, so that when a fall-back follows
    // in the same run, expat delivers the rest of it exactly as it would have alone.
    const char* run = p;
    const auto stopAtEnd = [&](const char* at) {
        if (!endIsReal) {
            return run;
        }
        emitText(run, at);
        return at;
    };
    while (p < end) {
        p = skipPlainText(p, end);
        if (p == end) {
            break;
        }
        if (kTextKinds[byte(p)] == Plain) {
            ++p;
            continue;
        }
        const unsigned char c = byte(p);
        if (c == '<') {
            break;
        }
        if (c == '&') {
            emitText(run, p);
            scratch_.clear();
            const Reference result = decodeReference(p, end, final, scratch_);
            if (result == Reference::Incomplete) {
                return p;
            }
            if (result == Reference::Unknown) {
                fallBack(p);
            }
            ++events_;
            handler_.characters(scratch_);
            run = p;
        } else if (c == '\r') {
            emitText(run, p);
            if (p + 1 == end && !final) {
                return p;
            }
            ++events_;
            handler_.characters("\n");
            p += p + 1 < end && p[1] == '\n' ? 2 : 1;
            run = p;
        } else if (c == ']') {
            if (end - p < 3 && !final) {
                return stopAtEnd(p);
            }
            if (end - p >= 3 && p[1] == ']' && p[2] == '>') {
                // "]]>" may not stand in character data; expat refuses the whole piece of text
                // since the last line break without delivering it.
                const char* piece = p;
                while (piece > run && piece[-1] != '\n') {
                    --piece;
                }
                emitText(run, piece);
                fallBack(piece);
            }
            ++p;
        } else if (c >= 0x80) {
            const int length = xmlCharacterLength(p, end);
            if (length > 0) {
                p += length;
                continue;
            }
            if (length < 0 && !final) {
                return stopAtEnd(p);
            }
            emitText(run, p);
            fallBack(p);
        } else {
            emitText(run, p);
            fallBack(p);
        }
    }
    if (p == end) {
        return stopAtEnd(p);
    }
    emitText(run, p);
    return p;
}

const char* FastXmlReader::outsideRoot(const char* p, const char* end) {
    while (p < end && isSpace(*p)) {
        ++p;
    }
    if (p < end && *p != '<') {
        fallBack(p);
    }
    return p;
}

const char* FastXmlReader::startTag(const char* p, const char* end) {
    // Too deep a nesting gets XmlReader's refusal, which counts the same depth.
    if (place_ == Place::Epilog || depth_ >= kMaxXmlDepth) {
        fallBack(p);
    }
    const ScannedName scanned = scanQualifiedName(p + 1, end);
    const char* q = scanned.end;
    if (q == nullptr) {
        return nullptr;
    }
    const std::string_view name(p + 1, static_cast<std::size_t>(q - p - 1));
    const std::size_t nameLocal = scanned.local;
    if (nameLocal == std::string_view::npos) {
        fallBack(p);
    }
    std::size_t count = 0;
    bool declares = false; // whether an attribute may declare a namespace
    std::size_t decodedCount = 0;
    bool empty = false;
    for (;;) {
        const char* const gap = q;
        while (q < end && isSpace(*q)) {
            ++q;
        }
        if (q == end) {
            return nullptr;
        }
        if (*q == '>') {
            ++q;
            break;
        }
        if (*q == '/') {
            if (q + 1 == end) {
                return nullptr;
            }
            if (q[1] != '>') {
                fallBack(p);
            }
            q += 2;
            empty = true;
            break;
        }
        if (q == gap || count == kMostAttributes) {
            fallBack(p);
        }
        const char* const nameStart = q;
        std::size_t attributeLocal = 0;
        KnownNameUse known;
        q = knownAttributeName(nameStart, end, attributeLocal, known);
        if (q == nullptr) {
            const ScannedName attributeScanned = scanQualifiedName(nameStart, end);
            q = attributeScanned.end;
            if (q == nullptr) {
                return nullptr;
            }
            attributeLocal = attributeScanned.local;
            if (attributeLocal == std::string_view::npos) {
                fallBack(p);
            }
            known = rememberAttributeName(
                std::string_view(nameStart, static_cast<std::size_t>(q - nameStart)),
                attributeLocal, end);
        }
        const std::string_view attributeName(nameStart, static_cast<std::size_t>(q - nameStart));
        while (q < end && isSpace(*q)) {
            ++q;
        }
        if (q == end) {
            return nullptr;
        }
        if (*q != '=') {
            fallBack(p);
        }
        ++q;
        while (q < end && isSpace(*q)) {
            ++q;
        }
        if (q == end) {
            return nullptr;
        }
        const char quote = *q;
        if (quote != '"' && quote != '\'') {
            fallBack(p);
        }
        const char* const valueStart = ++q;
        bool needsDecoding = false;
        for (;;) {
            q = skipPlainValue(q, end);
            if (q == end) {
                return nullptr;
            }
            const unsigned char c = byte(q);
            if (c == static_cast<unsigned char>(quote)) {
                break;
            }
            if (c == '"' || c == '\'') {
                ++q;
            } else if (c == '&' || c == '\t' || c == '\n' || c == '\r') {
                needsDecoding = true;
                ++q;
            } else if (c >= 0x80) {
                const int length = xmlCharacterLength(q, end);
                if (length < 0) {
                    return nullptr;
                }
                if (length == 0) {
                    fallBack(p);
                }
                q += length;
            } else {
                fallBack(p);
            }
        }
        const char* const valueEnd = q++;
        RawAttribute attribute{
            attributeName, attributeLocal,
            std::string_view(valueStart, static_cast<std::size_t>(valueEnd - valueStart)), -1,
            known};
        if (needsDecoding) {
            if (decodedCount == decodedValues_.size()) {
                decodedValues_.emplace_back();
            }
            std::string& out = decodedValues_[decodedCount];
            out.clear();
            // Whitespace in a value reads as a space; written as a reference, it stays.
            for (const char* v = valueStart; v < valueEnd;) {
                if (*v == '&') {
                    if (decodeReference(v, valueEnd, true, out) != Reference::Done) {
                        fallBack(p);
                    }
                } else if (*v == '\r') {
                    out += ' ';
                    v += v + 1 < valueEnd && v[1] == '\n' ? 2 : 1;
                } else {
                    out += (*v == '\t' || *v == '\n') ? ' ' : *v;
                    ++v;
                }
            }
            attribute.decoded = static_cast<std::ptrdiff_t>(decodedCount++);
        }
        declares = declares || (attributeName.size() >= 5 && sameBytes(nameStart, "xmlns", 5));
        raw_[count++] = attribute;
    }
    const std::span<const RawAttribute> raw(raw_.data(), count);

    const std::size_t scopeStart = bindings_.size();
    for (const RawAttribute& attribute : declares ? raw : raw.first(0)) {
        const std::string_view value =
            attribute.decoded < 0 ? attribute.value
                                  : decodedValues_[static_cast<std::size_t>(attribute.decoded)];
        if (attribute.name == "xmlns") {
            declare({}, value, p, scopeStart);
        } else if (attribute.colon == 6 && attribute.name.starts_with("xmlns:")) {
            declare(attribute.name.substr(6), value, p, scopeStart);
        }
    }

    if (depth_ == open_.size()) {
        open_.emplace_back();
    }
    OpenElement& element = open_[depth_];
    // The element at this depth mostly has the name of the one before it, and while no binding
    // changed since, its namespace too.
    const bool sameName = sameText(element.name, name);
    std::ptrdiff_t binding = -1;
    if (sameName && element.generation == generation_) {
        binding = element.binding;
    } else if (nameLocal == 0) {
        binding = lookup({}, end);
    } else {
        const std::string_view prefix = name.substr(0, nameLocal - 1);
        binding = prefix == "xml" || prefix == "xmlns" ? -1 : lookup(prefix, end);
        if (binding < 0) {
            fallBack(p);
        }
    }

    std::size_t kept = 0;
    // Attributes mostly share a prefix with the one before.
    std::string_view lastPrefix;
    std::string_view lastUri;
    for (const RawAttribute& attribute : raw) {
        const std::string_view value =
            attribute.decoded < 0 ? attribute.value
                                  : decodedValues_[static_cast<std::size_t>(attribute.decoded)];
        if (attribute.colon == 0) {
            if (attribute.name != "xmlns") {
                attributes_[kept++] = {{}, attribute.name, value};
            }
            continue;
        }
        const std::string_view prefix = attribute.name.substr(0, attribute.colon - 1);
        const std::string_view local = attribute.name.substr(attribute.colon);
        if (attribute.colon == 6 && prefix == "xmlns") {
            continue;
        }
        std::string_view uri;
        if (attribute.colon == 4 && prefix == "xml") {
            uri = kXmlNamespace;
        } else if (KnownName* const known = knownName(attribute.known);
                   known != nullptr && known->generation == generation_) {
            uri = known->uri;
        } else {
            if (!lastUri.empty() && sameText(prefix, lastPrefix)) {
                uri = lastUri;
            } else {
                const std::ptrdiff_t found = lookup(prefix, end);
                if (found < 0) {
                    fallBack(p);
                }
                uri = bindings_[static_cast<std::size_t>(found)].uri;
                lastPrefix = prefix;
                lastUri = uri;
            }
            if (known != nullptr) {
                known->uri = uri;
                known->generation = generation_;
            }
        }
        attributes_[kept++] = {uri, local, value};
    }
    const std::span<const XmlAttribute> attributes(attributes_.data(), kept);
    // URIs are interned, so equal namespaces have equal addresses.
    for (std::size_t i = 0; i < kept; ++i) {
        for (std::size_t j = i + 1; j < kept; ++j) {
            if (attributes[i].ns.data() == attributes[j].ns.data() &&
                sameText(attributes[i].local, attributes[j].local)) {
                fallBack(p);
            }
        }
    }

    place_ = Place::Root;
    if (!sameName) {
        element.name.assign(name);
    }
    element.bindings = scopeStart;
    element.binding = binding;
    element.localOffset = nameLocal;
    element.generation = generation_;
    ++depth_;
    const std::string_view uri =
        binding < 0 ? std::string_view() : bindings_[static_cast<std::size_t>(binding)].uri;
    ++events_;
    handler_.startElement(uri, name.substr(nameLocal), attributes);
    if (empty) {
        closeElement();
    }
    return q;
}

void FastXmlReader::declare(std::string_view prefix, std::string_view uri, const char* tag,
                            std::size_t scopeStart) {
    // Undeclaring a prefix, rebinding the reserved ones and declaring one twice on an element
    // are errors the full parser words.
    if ((uri.empty() && !prefix.empty()) || prefix == "xml" || prefix == "xmlns" ||
        uri == kXmlNamespace || uri == kXmlnsNamespace) {
        fallBack(tag);
    }
    for (std::size_t i = scopeStart; i < bindings_.size(); ++i) {
        if (bindings_[i].prefix == prefix) {
            fallBack(tag);
        }
    }
    bindings_.push_back({std::string(prefix), intern(uri)});
    forgetLookups();
}

namespace {

// The key of an attribute name that the tag's bytes have right before an '=', as written
// without spaces; 0 when there is none in reach. The caller has 32 bytes to read.
[[gnu::always_inline]] inline std::uint64_t attributeNameKey(const char* q, std::size_t& size) {
#if defined(__SSE2__)
    unsigned found = bits(equal(load16(q), '='));
    std::size_t offset = 0;
    if (found == 0) {
        found = bits(equal(load16(q + 16), '='));
        offset = 16;
    }
    if (found == 0) {
        return 0;
    }
    size = offset + static_cast<std::size_t>(std::countr_zero(found));
#else
    const auto* equals = static_cast<const char*>(std::memchr(q, '=', 32));
    if (equals == nullptr) {
        return 0;
    }
    size = static_cast<std::size_t>(equals - q);
#endif
    if (size == 0) {
        return 0;
    }
    std::uint64_t key = load<std::uint64_t>(q);
    if (size < 8) {
        key &= (std::uint64_t{1} << (8 * size)) - 1;
    }
    return key ^ size;
}

std::size_t knownNameSlot(std::uint64_t key, std::size_t slots) {
    return static_cast<std::size_t>(((key ^ (key >> 31)) * 0x9E3779B97F4A7C15u) >> 40) &
           (slots - 1);
}

} // namespace

const char* FastXmlReader::knownAttributeName(const char* q, const char* end, std::size_t& local,
                                              KnownNameUse& use) const {
    if (std::endian::native != std::endian::little || end - q < 32) {
        return nullptr;
    }
    std::size_t size = 0;
    const std::uint64_t key = attributeNameKey(q, size);
    if (key == 0) {
        return nullptr;
    }
    const std::size_t slot = knownNameSlot(key, knownNames_.size());
    const KnownName& known = knownNames_[slot];
    if (known.key != key || known.name.size() != size || !sameBytes(q, known.name.data(), size)) {
        return nullptr;
    }
    local = known.local;
    use = {slot, known.stamp};
    return q + size;
}

FastXmlReader::KnownName* FastXmlReader::knownName(KnownNameUse use) {
    if (use.slot >= knownNames_.size() || knownNames_[use.slot].stamp != use.stamp) {
        return nullptr;
    }
    return &knownNames_[use.slot];
}

FastXmlReader::KnownNameUse
FastXmlReader::rememberAttributeName(std::string_view name, std::size_t local, const char* end) {
    const char* const q = name.data();
    if (std::endian::native != std::endian::little || end - q < 32) {
        return {};
    }
    std::size_t size = 0;
    const std::uint64_t key = attributeNameKey(q, size);
    // Only a name written right before its '=' is found again by its key.
    if (key == 0 || size != name.size()) {
        return {};
    }
    const std::size_t slot = knownNameSlot(key, knownNames_.size());
    KnownName& known = knownNames_[slot];
    known.key = key;
    known.name.assign(name);
    known.local = local;
    known.generation = 0;
    known.stamp = ++stamps_;
    return {slot, known.stamp};
}

std::string_view FastXmlReader::intern(std::string_view uri) {
    for (const std::string_view known : ns::known) {
        if (uri == known) {
            return known;
        }
    }
    if (uri.empty()) {
        return {};
    }
    return *uris_.emplace(uri).first;
}

std::ptrdiff_t FastXmlReader::lookup(std::string_view prefix, const char* readable) {
    // The first eight bytes of the prefix as a number, so that a cached prefix of up to eight
    // bytes is recognised by one comparison.
    std::uint64_t key = 0;
    const std::size_t keyBytes = std::min<std::size_t>(prefix.size(), 8);
    if (std::endian::native == std::endian::little && keyBytes > 0 &&
        readable - prefix.data() >= 8) {
        std::memcpy(&key, prefix.data(), 8);
        key &= keyBytes == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * keyBytes)) - 1;
    } else {
        for (std::size_t i = 0; i < keyBytes; ++i) {
            key |= std::uint64_t{byte(prefix.data() + i)} << (8 * i);
        }
    }
    CachedLookup& cached =
        lookups_[((key ^ (key >> 29) ^ prefix.size()) * 0x9E3779B97F4A7C15u) >> 58];
    if (cached.binding >= 0 && cached.key == key && cached.size == prefix.size() &&
        (prefix.size() <= 8 ||
         sameText(bindings_[static_cast<std::size_t>(cached.binding)].prefix, prefix))) {
        return cached.binding;
    }
    for (std::size_t i = bindings_.size(); i-- > 0;) {
        if (sameText(bindings_[i].prefix, prefix)) {
            cached = {key, prefix.size(), static_cast<std::ptrdiff_t>(i)};
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

void FastXmlReader::forgetLookups() {
    ++generation_;
    lookups_.fill({});
}

void FastXmlReader::closeElement() {
    const OpenElement& element = open_[depth_ - 1];
    const std::string_view uri = element.binding < 0
                                     ? std::string_view()
                                     : bindings_[static_cast<std::size_t>(element.binding)].uri;
    ++events_;
    handler_.endElement(uri, std::string_view(element.name).substr(element.localOffset));
    if (bindings_.size() != element.bindings) {
        bindings_.resize(element.bindings);
        forgetLookups();
    }
    if (--depth_ == 0) {
        place_ = Place::Epilog;
    }
}

const char* FastXmlReader::endTag(const char* p, const char* end) {
    if (depth_ == 0) {
        fallBack(p);
    }
    // The name must be the open element's, and no longer: compared in place, not scanned.
    const std::string& name = open_[depth_ - 1].name;
    const char* q = p + 2;
    const auto available = static_cast<std::size_t>(end - q);
    if (available <= name.size()) {
        if (!sameBytes(q, name.data(), available)) {
            fallBack(p);
        }
        return nullptr;
    }
    if (!sameBytes(q, name.data(), name.size()) || kNameChars[byte(q + name.size())]) {
        fallBack(p);
    }
    q += name.size();
    while (q < end && isSpace(*q)) {
        ++q;
    }
    if (q == end) {
        return nullptr;
    }
    if (*q != '>') {
        fallBack(p);
    }
    closeElement();
    return q + 1;
}

const char* FastXmlReader::markupDeclaration(const char* p, const char* end) {
    switch (startsWith(p, end, "<!--")) {
    case Match::Incomplete:
        return nullptr;
    case Match::Yes: {
        const char* const dashes = find(p + 4, end, "--");
        if (dashes == nullptr || dashes + 2 == end) {
            return nullptr;
        }
        if (dashes[2] != '>' || !allowedText(p + 4, dashes)) {
            fallBack(p);
        }
        return dashes + 3;
    }
    case Match::No:
        break;
    }
    switch (startsWith(p, end, "<![CDATA[")) {
    case Match::Incomplete:
        return nullptr;
    case Match::Yes: {
        if (place_ != Place::Root) {
            fallBack(p);
        }
        const char* const close = find(p + 9, end, "]]>");
        if (close == nullptr) {
            return nullptr;
        }
        if (!allowedText(p + 9, close)) {
            fallBack(p);
        }
        cdata(std::string_view(p + 9, static_cast<std::size_t>(close - p - 9)));
        return close + 3;
    }
    case Match::No:
        break;
    }
    // A document type declaration, or no XML at all.
    fallBack(p);
}

void FastXmlReader::cdata(std::string_view content) {
    while (!content.empty()) {
        const auto cr = content.find('\r');
        ++events_;
        handler_.characters(content.substr(0, cr));
        if (cr == std::string_view::npos) {
            return;
        }
        ++events_;
        handler_.characters("\n");
        content.remove_prefix(cr + (cr + 1 < content.size() && content[cr + 1] == '\n' ? 2 : 1));
    }
}

const char* FastXmlReader::processingInstruction(const char* p, const char* end) {
    if (baseOffset_ + static_cast<std::uint64_t>(p - base_) == declarationOffset_) {
        switch (startsWith(p, end, "<?xml")) {
        case Match::Incomplete:
            return nullptr;
        case Match::Yes:
            if (p + 5 == end) {
                return nullptr;
            }
            if (isSpace(p[5])) {
                return xmlDeclaration(p, end);
            }
            break;
        case Match::No:
            break;
        }
    }
    const char* q = scanName(p + 2, end);
    if (q == nullptr) {
        return nullptr;
    }
    const std::string_view target(p + 2, static_cast<std::size_t>(q - p - 2));
    // Targets starting with "xml" are reserved; the full parser knows which ones are wrong.
    if (localStart(target) != 0 || (target.size() >= 3 && (target[0] | 0x20) == 'x' &&
                                    (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l')) {
        fallBack(p);
    }
    // The target ends the instruction ("?>") or is followed by a space.
    if (*q == '?') {
        if (q + 1 == end) {
            return nullptr;
        }
        if (q[1] != '>') {
            fallBack(p);
        }
        return q + 2;
    }
    if (!isSpace(*q)) {
        fallBack(p);
    }
    const char* const close = find(q, end, "?>");
    if (close == nullptr) {
        return nullptr;
    }
    if (!allowedText(q, close)) {
        fallBack(p);
    }
    return close + 2;
}

const char* FastXmlReader::xmlDeclaration(const char* p, const char* end) {
    const char* const close = find(p + 5, end, "?>");
    if (close == nullptr) {
        if (end - p > 256) {
            fallBack(p);
        }
        return nullptr;
    }
    // Only version 1.0, UTF-8 and a standalone flag, in that order, as office suites write it.
    std::string_view rest(p + 5, static_cast<std::size_t>(close - p - 5));
    const auto space = [&rest] {
        const auto n = std::min(rest.find_first_not_of(" \t\r\n"), rest.size());
        rest.remove_prefix(n);
        return n > 0;
    };
    const auto pseudoAttribute = [&](std::string_view key, std::string_view& value) {
        const std::string_view before = rest;
        if (!space() || rest.substr(0, key.size()) != key) {
            rest = before;
            return false;
        }
        rest.remove_prefix(key.size());
        space();
        if (rest.empty() || rest[0] != '=') {
            fallBack(p);
        }
        rest.remove_prefix(1);
        space();
        if (rest.empty() || (rest[0] != '"' && rest[0] != '\'')) {
            fallBack(p);
        }
        const auto closing = rest.find(rest[0], 1);
        if (closing == std::string_view::npos) {
            fallBack(p);
        }
        value = rest.substr(1, closing - 1);
        rest.remove_prefix(closing + 1);
        return true;
    };
    std::string_view value;
    if (!pseudoAttribute("version", value) || value != "1.0") {
        fallBack(p);
    }
    if (pseudoAttribute("encoding", value)) {
        std::string lower(value);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
            return static_cast<char>(c | (c >= 'A' && c <= 'Z' ? 0x20 : 0));
        });
        if (lower != "utf-8") {
            fallBack(p);
        }
    }
    if (pseudoAttribute("standalone", value) && value != "yes" && value != "no") {
        fallBack(p);
    }
    space();
    if (!rest.empty()) {
        fallBack(p);
    }
    return close + 2;
}

void FastXmlReader::fallBack(const char* at) const {
    throw FallBack(baseOffset_ + static_cast<std::uint64_t>(at - base_));
}

} // namespace ods
