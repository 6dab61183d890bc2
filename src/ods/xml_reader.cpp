#include "ods/xml_reader.h"

#include "ods/error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <exception>
#include <expat.h>

namespace ods {

namespace {

// Separates a namespace URI from the local name in expat's names; it cannot occur in a URI.
constexpr char kSeparator = '\x01';

std::pair<std::string_view, std::string_view> splitName(const XML_Char* name) {
    const std::string_view full(name);
    const auto cut = full.find(kSeparator);
    if (cut == std::string_view::npos) {
        return {{}, full};
    }
    return {full.substr(0, cut), full.substr(cut + 1)};
}

// The single-byte encodings beyond expat's own (UTF-8, UTF-16, ISO-8859-1, US-ASCII) that the
// office reads in documents: the characters of bytes 0x80 to 0xBF, the others being Latin-1's.
struct SingleByteEncoding {
    std::array<std::string_view, 3> names;
    std::array<std::uint16_t, 64> high;
};

constexpr std::array<std::uint16_t, 64> latin1High() {
    std::array<std::uint16_t, 64> table{};
    for (std::uint16_t i = 0; i < 64; ++i)
        table[i] = static_cast<std::uint16_t>(0x80 + i);
    return table;
}

constexpr std::array<std::uint16_t, 64> windows1252High() {
    std::array<std::uint16_t, 64> table = latin1High();
    constexpr std::array<std::uint16_t, 32> c1 = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (std::size_t i = 0; i < c1.size(); ++i)
        table[i] = c1[i];
    return table;
}

constexpr std::array<std::uint16_t, 64> latin9High() {
    std::array<std::uint16_t, 64> table = latin1High();
    table[0x24] = 0x20AC;
    table[0x26] = 0x0160;
    table[0x28] = 0x0161;
    table[0x34] = 0x017D;
    table[0x38] = 0x017E;
    table[0x3C] = 0x0152;
    table[0x3D] = 0x0153;
    table[0x3E] = 0x0178;
    return table;
}

constexpr std::array<SingleByteEncoding, 2> kSingleByteEncodings = {{
    {{"windows-1252", "cp1252", "x-cp1252"}, windows1252High()},
    {{"iso-8859-15", "latin-9", "latin9"}, latin9High()},
}};

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

struct ParserDeleter {
    void operator()(XML_ParserStruct* parser) const noexcept { XML_ParserFree(parser); }
};

} // namespace

struct XmlReader::Impl {
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser;
    std::vector<XmlAttribute> attributes;
    std::string refusal;
    // An exception thrown by a handler cannot cross expat's C frames; it waits here.
    std::exception_ptr pending;
    XmlReader* owner = nullptr;
    std::uint64_t events = 0;
    std::uint64_t deliverFrom = 0;
    std::size_t depth = 0;

    bool delivers() const {
        if (deliverFrom == 0) {
            return true;
        }
        const auto at = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser.get()));
        // expat places the end of an empty element (<a/>) after its tag, with no bytes of its
        // own: that tag began before deliverFrom unless it ends past it.
        return XML_GetCurrentByteCount(parser.get()) == 0 ? at > deliverFrom : at >= deliverFrom;
    }
    // The part of character data at or after deliverFrom. Data characters map one to one to
    // their bytes, so a run that began before it is cut there; a reference or line break is
    // whole on one side.
    std::string_view deliveredText(std::string_view text) const {
        if (deliverFrom == 0) {
            return text;
        }
        const auto start = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser.get()));
        if (start >= deliverFrom) {
            return text;
        }
        const auto bytes = static_cast<std::uint64_t>(XML_GetCurrentByteCount(parser.get()));
        if (bytes == text.size() && start + bytes > deliverFrom) {
            return text.substr(static_cast<std::size_t>(deliverFrom - start));
        }
        return {};
    }

    static void onStart(void* data, const XML_Char* name, const XML_Char** atts) {
        auto& self = *static_cast<Impl*>(data);
        ++self.events;
        if (++self.depth > kMaxXmlDepth) {
            self.refusal =
                "its elements nest more than " + std::to_string(kMaxXmlDepth) + " levels deep";
            XML_StopParser(self.parser.get(), XML_FALSE);
            return;
        }
        if (self.pending || !self.delivers()) {
            return;
        }
        try {
            self.attributes.clear();
            for (const XML_Char** a = atts; *a != nullptr; a += 2) {
                const auto [ns, local] = splitName(a[0]);
                self.attributes.push_back({ns, local, std::string_view(a[1])});
            }
            const auto [ns, local] = splitName(name);
            self.owner->handler_.startElement(ns, local, self.attributes);
        } catch (...) {
            self.pending = std::current_exception();
            XML_StopParser(self.parser.get(), XML_FALSE);
        }
    }
    static void onEnd(void* data, const XML_Char* name) {
        auto& self = *static_cast<Impl*>(data);
        ++self.events;
        --self.depth;
        if (self.pending || !self.delivers()) {
            return;
        }
        try {
            const auto [ns, local] = splitName(name);
            self.owner->handler_.endElement(ns, local);
        } catch (...) {
            self.pending = std::current_exception();
            XML_StopParser(self.parser.get(), XML_FALSE);
        }
    }
    static void onText(void* data, const XML_Char* text, int length) {
        auto& self = *static_cast<Impl*>(data);
        ++self.events;
        if (self.pending) {
            return;
        }
        try {
            const std::string_view delivered =
                self.deliveredText(std::string_view(text, static_cast<std::size_t>(length)));
            if (!delivered.empty()) {
                self.owner->handler_.characters(delivered);
            }
        } catch (...) {
            self.pending = std::current_exception();
            XML_StopParser(self.parser.get(), XML_FALSE);
        }
    }
    static int onUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info) {
        auto& self = *static_cast<Impl*>(data);
        for (const SingleByteEncoding& encoding : kSingleByteEncodings) {
            if (std::none_of(encoding.names.begin(), encoding.names.end(),
                             [name](std::string_view known) { return sameLetters(known, name); }))
                continue;
            for (int byte = 0; byte < 256; ++byte)
                info->map[byte] = byte < 0x80 || byte >= 0xC0 ? byte : encoding.high[byte - 0x80];
            info->data = nullptr;
            info->convert = nullptr;
            info->release = nullptr;
            return XML_STATUS_OK;
        }
        // Kept short: the name comes from the file.
        self.refusal = "its XML is in an encoding that cannot be read (" +
                       std::string(std::string_view(name).substr(0, 40)) + ")";
        return XML_STATUS_ERROR;
    }
    static void onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        auto& self = *static_cast<Impl*>(data);
        self.refusal = "it declares a document type (DTD), which is not allowed";
        XML_StopParser(self.parser.get(), XML_FALSE);
    }
    static void onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                         const XML_Char*, const XML_Char*, const XML_Char*) {
        auto& self = *static_cast<Impl*>(data);
        self.refusal = "it declares entities, which is not allowed";
        XML_StopParser(self.parser.get(), XML_FALSE);
    }
};

XmlReader::XmlReader(XmlHandler& handler, std::string label, std::size_t maxTokenBytes)
    : handler_(handler), label_(std::move(label)), maxTokenBytes_(maxTokenBytes),
      impl_(std::make_unique<Impl>()) {
    // No encoding is imposed: the document's declaration says how its bytes read, as it does
    // for the office.
    impl_->parser.reset(XML_ParserCreateNS(nullptr, kSeparator));
    if (!impl_->parser) {
        throw Error("cannot read " + label_ + ": out of memory");
    }
    impl_->owner = this;
    XML_Parser parser = impl_->parser.get();
    XML_SetUserData(parser, impl_.get());
    XML_SetElementHandler(parser, &Impl::onStart, &Impl::onEnd);
    XML_SetCharacterDataHandler(parser, &Impl::onText);
    XML_SetStartDoctypeDeclHandler(parser, &Impl::onDoctype);
    XML_SetEntityDeclHandler(parser, &Impl::onEntity);
    XML_SetUnknownEncodingHandler(parser, &Impl::onUnknownEncoding, impl_.get());
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlReader::~XmlReader() = default;

void XmlReader::check(int status) {
    if (impl_->pending) {
        std::rethrow_exception(impl_->pending);
    }
    if (!impl_->refusal.empty()) {
        throw Error("cannot read " + label_ + ": " + impl_->refusal);
    }
    if (status == XML_STATUS_ERROR) {
        XML_Parser parser = impl_->parser.get();
        const XML_Error code = XML_GetErrorCode(parser);
        const char* text = XML_ErrorString(code);
        throw Error("cannot read " + label_ + ": the XML is damaged (" +
                    std::string(text != nullptr ? text : "unknown error") + " at line " +
                    std::to_string(XML_GetCurrentLineNumber(parser)) + ")");
    }
}

void XmlReader::feed(std::string_view chunk) {
    // While a construct is open, expat scans it again from its start with every chunk. Chunks
    // are held back until they double what it has scanned, so that a long construct costs time
    // in proportion to its length and is refused once it passes the limit.
    if (quietBytes_ > 0 && held_.size() + chunk.size() < quietBytes_) {
        held_.append(chunk);
        if (quietBytes_ + held_.size() > maxTokenBytes_) {
            throw Error("cannot read " + label_ + ": it holds a tag or comment longer than " +
                        std::to_string(maxTokenBytes_ >> 20) + " MB");
        }
        return;
    }
    if (!held_.empty()) {
        held_.append(chunk);
        const std::string held = std::move(held_);
        held_.clear();
        parse(held);
        return;
    }
    parse(chunk);
}

void XmlReader::parse(std::string_view chunk) {
    while (!chunk.empty()) {
        const std::size_t piece = std::min<std::size_t>(chunk.size(), INT_MAX / 2);
        const std::uint64_t eventsBefore = impl_->events;
        check(XML_Parse(impl_->parser.get(), chunk.data(), static_cast<int>(piece), XML_FALSE));
        chunk.remove_prefix(piece);
        quietBytes_ = impl_->events == eventsBefore ? quietBytes_ + piece : 0;
        if (quietBytes_ > maxTokenBytes_) {
            throw Error("cannot read " + label_ + ": it holds a tag or comment longer than " +
                        std::to_string(maxTokenBytes_ >> 20) + " MB");
        }
    }
}

void XmlReader::deliverFrom(std::uint64_t offset) {
    impl_->deliverFrom = offset;
}

void XmlReader::finish() {
    if (!held_.empty()) {
        const std::string held = std::move(held_);
        held_.clear();
        parse(held);
    }
    check(XML_Parse(impl_->parser.get(), nullptr, 0, XML_TRUE));
}

} // namespace ods
