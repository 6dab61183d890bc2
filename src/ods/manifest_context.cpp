#include "ods/manifest_context.h"

#include "ods/namespaces.h"

namespace ods {

void ManifestContext::startElement(std::string_view ns, std::string_view local,
                                   std::span<const XmlAttribute> attributes) {
    if (ns != ns::manifest) {
        return;
    }
    if (local == "encryption-data") {
        encrypted_ = true;
        return;
    }
    if (local != "file-entry") {
        return;
    }
    std::string_view path;
    std::string_view type;
    for (const XmlAttribute& a : attributes) {
        if (a.ns == ns::manifest && a.local == "full-path") {
            path = a.value;
        } else if (a.ns == ns::manifest && a.local == "media-type") {
            type = a.value;
        }
    }
    if (path == "/") {
        mediaType_ = type;
    }
}

} // namespace ods
