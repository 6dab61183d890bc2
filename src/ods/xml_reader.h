#pragma once

// The SAX layer: expat with namespace processing, fed chunk by chunk. Element and attribute
// names arrive split into namespace URI and local name. Document type declarations are refused,
// so no entity is ever declared, expanded or fetched.

#include "ods/data_styles.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ods {

/// Elements nested deeper are refused: the office's documents need a few dozen levels, and
/// every open level costs memory (libxml2 stops at the same depth).
inline constexpr std::size_t kMaxXmlDepth = 256;

/// A single tag or comment longer is refused: expat would have to hold it whole.
inline constexpr std::size_t kMaxXmlTokenBytes = 64u << 20;

/// Receives the events of one XML stream.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view ns, std::string_view local,
                              std::span<const XmlAttribute> attributes) = 0;
    virtual void endElement(std::string_view ns, std::string_view local) = 0;
    virtual void characters(std::string_view text) = 0;
};

class XmlReader {
public:
    /// `label` names the stream in errors, e.g. "report.ods (content.xml)". A single tag or
    /// comment longer than maxTokenBytes is refused: expat would have to hold it whole.
    XmlReader(XmlHandler& handler, std::string label,
              std::size_t maxTokenBytes = kMaxXmlTokenBytes);
    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    /// Parses the next chunk; throws Error on malformed XML or a document type declaration.
    void feed(std::string_view chunk);
    /// Ends the stream; throws Error when the document is incomplete.
    void finish();
    /// Parses the stream from its start but delivers only the events from this byte offset on:
    /// the ones before were delivered already (by FastXmlReader, which gave up there).
    void deliverFrom(std::uint64_t offset);

private:
    struct Impl;
    void check(int status);
    void parse(std::string_view chunk);

    XmlHandler& handler_;
    std::string label_;
    std::size_t maxTokenBytes_;
    std::size_t quietBytes_ = 0; ///< fed since the last event
    std::string held_;           ///< chunks not yet given to expat
    std::unique_ptr<Impl> impl_;
};

} // namespace ods
