#include "ods/style_forwarder.h"

#include "ods/namespaces.h"

namespace ods {

bool StyleForwarder::startElement(std::string_view ns, std::string_view local,
                                  std::span<const XmlAttribute> attributes) {
    if (depth_ == 0 && ns::is(ns, ns::table) && local == "null-date") {
        styles_.startElement(ns, local, attributes);
        return true;
    }
    if (depth_ == 0 && (ns != ns::office || (local != "styles" && local != "automatic-styles"))) {
        return false;
    }
    ++depth_;
    styles_.startElement(ns, local, attributes);
    return true;
}

bool StyleForwarder::endElement(std::string_view ns, std::string_view local) {
    if (depth_ == 0) {
        return false;
    }
    --depth_;
    styles_.endElement(ns, local);
    return true;
}

bool StyleForwarder::characters(std::string_view text) {
    if (depth_ == 0) {
        return false;
    }
    styles_.characters(text);
    return true;
}

} // namespace ods
