#pragma once

// Hands everything inside office:styles and office:automatic-styles (the containers included),
// and the document's table:null-date, to the data styles; every other event is left to the
// caller.

#include "ods/data_styles.h"

#include <span>
#include <string_view>

namespace ods {

class StyleForwarder {
public:
    explicit StyleForwarder(DataStyles& styles) : styles_(styles) {}

    /// Each gives true when the event belonged to a style section and was forwarded.
    bool startElement(std::string_view ns, std::string_view local,
                      std::span<const XmlAttribute> attributes);
    bool endElement(std::string_view ns, std::string_view local);
    bool characters(std::string_view text);

private:
    DataStyles& styles_;
    int depth_ = 0; ///< elements open inside a style section, the container counted
};

} // namespace ods
