#include "ods/error.h"
#include "ods/xml_reader.h"

#include <gtest/gtest.h>

namespace ods {
namespace {

// Records the events as text, e.g. "<{urn:a}x b=1>" "text" "</x>".
class Recorder : public XmlHandler {
public:
    void startElement(std::string_view ns, std::string_view local,
                      std::span<const XmlAttribute> attributes) override {
        events += "<{" + std::string(ns) + "}" + std::string(local);
        for (const XmlAttribute& a : attributes) {
            events +=
                " {" + std::string(a.ns) + "}" + std::string(a.local) + "=" + std::string(a.value);
        }
        events += ">";
    }
    void endElement(std::string_view, std::string_view local) override {
        events += "</" + std::string(local) + ">";
    }
    void characters(std::string_view text) override { events += text; }
    std::string events;
};

std::string parseError(const std::string& xml, std::size_t maxTokenBytes = 64u << 20) {
    Recorder recorder;
    XmlReader reader(recorder, "t.xml", maxTokenBytes);
    try {
        for (std::size_t i = 0; i < xml.size(); i += 65536) {
            reader.feed(std::string_view(xml).substr(i, 65536));
        }
        reader.finish();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(XmlReader, NamesArriveSplitIntoNamespaceAndLocalName) {
    Recorder recorder;
    XmlReader reader(recorder, "t.xml");
    const std::string xml = R"(<a:x xmlns:a="urn:a" xmlns:b="urn:b" b:k="v" plain="p">t)"
                            R"(<y>&amp;&#9;</y></a:x>)";
    // Split inside a tag, so that a name may arrive in two chunks.
    reader.feed(std::string_view(xml).substr(0, 17));
    reader.feed(std::string_view(xml).substr(17));
    reader.finish();
    EXPECT_EQ(recorder.events, "<{urn:a}x {urn:b}k=v {}plain=p>t<{}y>&\t</y></x>");
}

TEST(XmlReader, HandlerFailuresComeOutOfTheParser) {
    class Throwing : public Recorder {
        void endElement(std::string_view, std::string_view) override {
            throw Error("handler says no");
        }
    } handler;
    XmlReader reader(handler, "t.xml");
    EXPECT_THROW(
        {
            try {
                reader.feed("<a><b/></a>");
            } catch (const Error& error) {
                EXPECT_STREQ(error.what(), "handler says no");
                throw;
            }
        },
        Error);
}

TEST(XmlReader, OverlongTagsAndCommentsAreRefusedBeforeExpatHoldsThemWhole) {
    const std::string comment = "<a><!--" + std::string(3u << 20, 'x') + "--></a>";
    EXPECT_EQ(parseError(comment, 1u << 20),
              "cannot read t.xml: it holds a tag or comment longer than 1 MB");
    const std::string attribute = "<a v=\"" + std::string(3u << 20, 'x') + "\"/>";
    EXPECT_EQ(parseError(attribute, 1u << 20),
              "cannot read t.xml: it holds a tag or comment longer than 1 MB");
    const std::string text = "<a>" + std::string(3u << 20, 'x') + "</a>";
    EXPECT_EQ(parseError(text, 1u << 20), "no error");
    // Held back while a construct is open, chunks still give every event, in order.
    const std::string within = "<a><!--" + std::string(900000, 'x') + "--><b>t</b>" +
                               std::string(2000, 'y') + "<c v='" + std::string(500000, 'z') +
                               "'/></a>";
    Recorder recorder;
    XmlReader reader(recorder, "t.xml", 1u << 20);
    for (std::size_t i = 0; i < within.size(); i += 1000)
        reader.feed(std::string_view(within).substr(i, 1000));
    reader.finish();
    EXPECT_EQ(recorder.events, "<{}a><{}b>t</b>" + std::string(2000, 'y') +
                                   "<{}c {}v=" + std::string(500000, 'z') + "></c></a>");
}

} // namespace
} // namespace ods
