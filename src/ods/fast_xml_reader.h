#pragma once

// A quick reader for the XML that office suites write, giving the same events as XmlReader.
// It knows the common subset only: elements, attributes, namespaces, the five predefined
// entities, character references, CDATA, comments and processing instructions. Whatever lies
// outside (a document type, an unknown entity, an unbound prefix, a name outside ASCII, broken
// XML) makes it throw FallBack before that construct reaches the handler; the caller then
// parses the stream again with XmlReader, which delivers only the events from the offset in
// FallBack on and reports errors in its own words.

#include "ods/xml_reader.h"

#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ods {

class FastXmlReader {
public:
    /// Thrown when the stream needs the full parser. Every event before resumeAt() has been
    /// delivered, none after it.
    class FallBack : public std::exception {
    public:
        explicit FallBack(std::uint64_t resumeAt) noexcept : resumeAt_(resumeAt) {}
        const char* what() const noexcept override { return "the XML needs the full parser"; }
        std::uint64_t resumeAt() const noexcept { return resumeAt_; }

    private:
        std::uint64_t resumeAt_;
    };

    /// Thrown for a single tag, comment or reference longer than maxTokenBytes, as soon as it
    /// passes that length.
    class TokenTooLong : public std::exception {
    public:
        const char* what() const noexcept override { return "an XML construct is too long"; }
    };

    explicit FastXmlReader(XmlHandler& handler, std::size_t maxTokenBytes = kMaxXmlTokenBytes);

    /// Reads the next chunk; throws FallBack, or whatever the handler throws.
    void feed(std::string_view chunk);
    /// Ends the stream; throws FallBack when it is incomplete.
    void finish();

private:
    struct Binding {
        std::string prefix;   ///< empty for the default namespace
        std::string_view uri; ///< interned; empty when the default namespace is undeclared
    };
    struct OpenElement {
        std::string name;         ///< as written, to match the end tag
        std::size_t bindings;     ///< bindings in scope before the element's own
        std::ptrdiff_t binding;   ///< of its namespace, -1 when none
        std::size_t localOffset;  ///< where the local name starts in name
        std::uint64_t generation; ///< of the bindings binding was looked up in
    };
    // Attribute names already checked, found again by their bytes up to the '='.
    struct KnownName {
        std::uint64_t key = 0; ///< 0 when the slot is empty
        std::string name;
        std::size_t local = 0;
        std::string_view uri;         ///< its namespace, while the bindings are of generation
        std::uint64_t generation = 0; ///< 0 when uri is not known
        std::uint64_t stamp = 0;      ///< changes whenever the slot takes another name
    };
    /// A known name's slot as a tag's attribute found it; stale once the slot is taken again.
    struct KnownNameUse {
        std::size_t slot = SIZE_MAX;
        std::uint64_t stamp = 0;
    };
    struct RawAttribute {
        std::string_view name;
        std::size_t colon;      ///< where the local name starts, 0 without a prefix
        std::string_view value; ///< raw, or decoded when decoded >= 0
        std::ptrdiff_t decoded; ///< index into decodedValues_, -1 when the raw value stands
        KnownNameUse known;
    };
    enum class Place { Prolog, Root, Epilog };

    /// endIsReal: data ends where a chunk ended, not where only a part of one was taken.
    std::size_t process(std::string_view data, std::size_t stopAfter, bool final, bool endIsReal);
    const char* text(const char* p, const char* end, bool final, bool endIsReal);
    const char* outsideRoot(const char* p, const char* end);
    const char* startTag(const char* p, const char* end);
    const char* endTag(const char* p, const char* end);
    const char* markupDeclaration(const char* p, const char* end);
    const char* processingInstruction(const char* p, const char* end);
    const char* xmlDeclaration(const char* p, const char* end);
    void cdata(std::string_view content);
    void declare(std::string_view prefix, std::string_view uri, const char* tag,
                 std::size_t scopeStart);
    /// readable: the prefix's bytes may be read up to there.
    std::ptrdiff_t lookup(std::string_view prefix, const char* readable);
    std::string_view intern(std::string_view uri);
    /// The end of the attribute name at q when it is one met before, checked then, or nullptr;
    /// local is set to where its local part starts.
    const char* knownAttributeName(const char* q, const char* end, std::size_t& local,
                                   KnownNameUse& use) const;
    KnownNameUse rememberAttributeName(std::string_view name, std::size_t local, const char* end);
    KnownName* knownName(KnownNameUse use);
    void closeElement();
    void forgetLookups();
    void emitText(const char* first, const char* last);
    void giveUpOnLongToken(bool quietTooLong);
    [[noreturn]] void fallBack(const char* at) const;

    XmlHandler& handler_;
    std::size_t maxTokenBytes_;
    std::string carry_;             ///< an unfinished construct from the previous chunks
    std::size_t rescanAt_ = 0;      ///< carry_ is scanned again once it is this long
    std::uint64_t carryOffset_ = 0; ///< stream offset of carry_, or of the next chunk
    const char* base_ = nullptr;    ///< buffer being processed, at stream offset baseOffset_
    std::uint64_t baseOffset_ = 0;
    std::uint64_t events_ = 0;
    std::uint64_t quietBytes_ = 0; ///< fed since the last event, in whole chunks
    Place place_ = Place::Prolog;
    std::uint64_t declarationOffset_ = 0; ///< where an XML declaration may stand: after a BOM
    std::vector<Binding> bindings_;
    // Every URI met, once: equal URIs are then equal views, the ones of ns:: for those it
    // knows. Nodes keep their strings in place.
    std::unordered_set<std::string> uris_;
    std::vector<OpenElement> open_;
    std::size_t depth_ = 0; ///< open elements; open_ may hold more, reused
    // Room for the most attributes a tag may have, so that a tag never grows them.
    std::vector<RawAttribute> raw_;
    std::vector<std::string> decodedValues_;
    std::vector<XmlAttribute> attributes_;
    std::string scratch_;
    // Prefix to binding index; most elements use a handful of prefixes declared on the root.
    struct CachedLookup {
        std::uint64_t key = 0; ///< the prefix's first eight bytes, zero-padded
        std::size_t size = 0;
        std::ptrdiff_t binding = -1; ///< -1 when the slot is empty
    };
    std::array<CachedLookup, 64> lookups_{};
    std::array<KnownName, 64> knownNames_{};
    std::uint64_t stamps_ = 0;
    std::uint64_t generation_ = 0; ///< changes whenever bindings_ does
};

} // namespace ods
