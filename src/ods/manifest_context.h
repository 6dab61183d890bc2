#pragma once

// META-INF/manifest.xml: the document's media type and whether any part is encrypted.

#include "ods/xml_reader.h"

#include <string>

namespace ods {

class ManifestContext : public XmlHandler {
public:
    void startElement(std::string_view ns, std::string_view local,
                      std::span<const XmlAttribute> attributes) override;
    void endElement(std::string_view, std::string_view) override {}
    void characters(std::string_view) override {}

    bool encrypted() const noexcept { return encrypted_; }
    /// The media type of the package root ("/"), empty when not given.
    const std::string& mediaType() const noexcept { return mediaType_; }

private:
    bool encrypted_ = false;
    std::string mediaType_;
};

} // namespace ods
