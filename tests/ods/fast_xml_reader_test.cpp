// The quick reader against expat: the same events for what office suites write, and a fall-back
// that, finished by expat, gives the handler exactly expat's events and errors.

#include "ods/error.h"
#include "ods/fast_xml_reader.h"
#include "ods/namespaces.h"
#include "ods/xml_reader.h"
#include "ods/zip_package.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace ods {
namespace {

namespace fs = std::filesystem;

// Records events one per line. Adjacent character data is joined: either reader may split it.
class Recorder : public XmlHandler {
public:
    void startElement(std::string_view ns, std::string_view local,
                      std::span<const XmlAttribute> attributes) override {
        flushText();
        out += "<{" + std::string(ns) + "}" + std::string(local);
        for (const XmlAttribute& a : attributes) {
            out += " {" + std::string(a.ns) + "}" + std::string(a.local) + "=[" +
                   std::string(a.value) + "]";
        }
        out += ">\n";
    }
    void endElement(std::string_view ns, std::string_view local) override {
        flushText();
        out += "</{" + std::string(ns) + "}" + std::string(local) + ">\n";
    }
    void characters(std::string_view text) override { text_ += text; }
    std::string events() {
        flushText();
        return out;
    }
    std::string out;

private:
    void flushText() {
        if (!text_.empty()) {
            out += "[" + text_ + "]\n";
            text_.clear();
        }
    }
    std::string text_;
};

// Feeds xml in pieces: a cut at `cut` (two pieces), or pieces of `step` bytes.
template <typename Reader>
void feedPieces(Reader& reader, std::string_view xml, std::size_t step, std::size_t cut = 0) {
    if (cut > 0) {
        reader.feed(xml.substr(0, cut));
        reader.feed(xml.substr(cut));
        return;
    }
    for (std::size_t i = 0; i < xml.size(); i += step) {
        reader.feed(xml.substr(i, step));
    }
}

// expat alone: the events, then the error if any.
std::string expatEvents(std::string_view xml, std::size_t step = 65536, std::size_t cut = 0,
                        std::size_t maxTokenBytes = 64u << 20) {
    Recorder recorder;
    try {
        XmlReader reader(recorder, "t.xml", maxTokenBytes);
        feedPieces(reader, xml, step, cut);
        reader.finish();
    } catch (const Error& error) {
        return recorder.events() + "error: " + error.what();
    }
    return recorder.events();
}

struct Quick {
    std::string events;
    std::optional<std::uint64_t> resumeAt; ///< set when it fell back
    bool tooLong = false;                  ///< it refused a construct as too long
};

// The quick reader alone.
Quick quickEvents(std::string_view xml, std::size_t step = 65536, std::size_t cut = 0,
                  std::size_t maxTokenBytes = 64u << 20) {
    Recorder recorder;
    Quick quick;
    try {
        FastXmlReader reader(recorder, maxTokenBytes);
        feedPieces(reader, xml, step, cut);
        reader.finish();
    } catch (const FastXmlReader::FallBack& fallBack) {
        quick.resumeAt = fallBack.resumeAt();
    } catch (const FastXmlReader::TokenTooLong&) {
        quick.tooLong = true;
    }
    quick.events = recorder.events();
    return quick;
}

// The way documents are read: the quick reader, and expat from where it stopped.
std::string combinedEvents(std::string_view xml, std::size_t step = 65536,
                           std::size_t maxTokenBytes = 64u << 20, std::size_t cut = 0) {
    Recorder recorder;
    std::uint64_t resumeAt = 0;
    try {
        FastXmlReader reader(recorder, maxTokenBytes);
        feedPieces(reader, xml, step, cut);
        reader.finish();
        return recorder.events();
    } catch (const FastXmlReader::FallBack& fallBack) {
        resumeAt = fallBack.resumeAt();
    }
    try {
        XmlReader reader(recorder, "t.xml", maxTokenBytes);
        reader.deliverFrom(resumeAt);
        feedPieces(reader, xml, step, cut);
        reader.finish();
    } catch (const Error& error) {
        return recorder.events() + "error: " + error.what();
    }
    return recorder.events();
}

// Taken whole by the quick reader, with expat's events, cut at every byte and fed byte by byte.
void expectSameEverywhere(const std::string& xml) {
    const std::string expected = expatEvents(xml);
    ASSERT_EQ(expected.find("error:"), std::string::npos) << expected;
    for (std::size_t cut = 1; cut < xml.size(); ++cut) {
        const Quick quick = quickEvents(xml, 0, cut);
        ASSERT_FALSE(quick.resumeAt.has_value()) << "cut at " << cut;
        ASSERT_EQ(quick.events, expected) << "cut at " << cut;
    }
    for (const std::size_t step : {1, 2, 3, 7, 64}) {
        const Quick quick = quickEvents(xml, step);
        ASSERT_FALSE(quick.resumeAt.has_value()) << "pieces of " << step;
        ASSERT_EQ(quick.events, expected) << "pieces of " << step;
    }
}

TEST(FastXmlReader, NamespacesResolveLikeExpat) {
    // The default namespace, a prefix declared again inside, prefixes first declared on inner
    // elements, the default namespace undeclared, and the predefined xml prefix.
    expectSameEverywhere(R"(<?xml version="1.0" encoding="UTF-8"?>)"
                         "\n"
                         R"(<root xmlns="urn:d" xmlns:a="urn:a1" a:x="1" y="2">)"
                         R"(<a:e a:k="v"><inner xmlns:a="urn:a2" a:k="w"><a:deep/></inner>)"
                         R"(<a:after/></a:e>)"
                         R"(<b:late xmlns:b="urn:b" b:z='q' xml:lang="de"><plain/></b:late>)"
                         R"(<none xmlns=""><still/></none><back/></root>)");
}

TEST(FastXmlReader, AttributeValuesAreDecodedLikeExpat) {
    // Predefined entities, decimal and hex references, characters beyond U+FFFF written both
    // ways, whitespace read as spaces unless written as references, quotes inside quotes.
    expectSameEverywhere(
        "<r a=\"&amp;&lt;&gt;&quot;&apos;\" b='&#65;&#x42;&#x1F600;&#128512;' "
        "c=\"tab\there\nnew\r\nline\rcr\" d=\"&#9;&#10;&#13;&#xD;\" "
        "e='say \"hi\"' f=\"it's &gt; 2\" g=\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\" "
        "h=\"\" >x</r>");
}

TEST(FastXmlReader, TextCdataCommentsAndInstructionsLikeExpat) {
    expectSameEverywhere(
        "<?xml version='1.0' standalone='yes' ?>\r\n<!-- before -->\n"
        "<?app some data?>\n<r>a&amp;b &#x263A; c\r\nd\re ] ]] x]>"
        "<![CDATA[<not a tag> & \r\n]]]]><![CDATA[]]>"
        "<!-- inside - comment --><?pi?>"
        "<t:p xmlns:t=\"urn:t\">  \t\n</t:p  >caf\xC3\xA9</r>\n<!-- after -->\n<?end?>");
}

TEST(FastXmlReader, EmptyAndSelfClosedElementsLikeExpat) {
    expectSameEverywhere("<r><a/><b></b><c x=\"1\"/><d\n\tx='1'\n/></r>");
}

TEST(FastXmlReader, ManyDeclarationsAndAttributesLikeExpat) {
    // A root declaring a hundred namespaces, as later office versions may, is taken; a tag with
    // hundreds of attributes is left to expat, with the same result.
    std::string root = "<r";
    std::string many = "<m";
    for (int i = 0; i < 100; ++i) {
        root += " xmlns:p" + std::to_string(i) + "=\"urn:" + std::to_string(i) + "\"";
    }
    for (int i = 0; i < 300; ++i) {
        many += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    }
    root += " p99:x=\"1\"><p7:a p42:y=\"2\"/>";
    const std::string xml = root + many + "/></r>";
    const Quick quick = quickEvents(xml);
    ASSERT_TRUE(quick.resumeAt.has_value());
    EXPECT_EQ(*quick.resumeAt, xml.find("<m"));
    EXPECT_EQ(combinedEvents(xml), expatEvents(xml));
    EXPECT_FALSE(quickEvents(root + "</r>").resumeAt.has_value());
    EXPECT_EQ(quickEvents(root + "</r>").events, expatEvents(root + "</r>"));
}

TEST(FastXmlReader, LongNamesValuesAndTextLikeExpat) {
    // Names, values and text are taken sixteen bytes at a time; what ends them may lie in any
    // block, and a chunk may end in any.
    expectSameEverywhere("<some-long.root_name xmlns:a-rather-long-prefix=\"urn:long\">"
                         "<a-rather-long-prefix:element-with-a-long-name "
                         "a-rather-long-prefix:attribute-with-a-long-name=\"a value longer than "
                         "sixteen bytes &amp; a reference\tand a tab\" "
                         "b='sixteen bytes..\"'>text well beyond sixteen bytes\tthen a tab, "
                         "\xC3\xA9 and more &lt; text]x] ]] ></a-rather-long-prefix:element-with-"
                         "a-long-name></some-long.root_name>");
}

TEST(FastXmlReader, AttributeNamesMetBeforeAreTakenOnlyAsWritten) {
    // Names met again are recognised by their bytes up to the '='; names that only begin the
    // same, or are written with spaces, or broken, are read anew.
    std::string cells;
    for (int i = 0; i < 20; ++i) {
        cells += "<p:cell p:value-type=\"float\" p:value=\"" + std::to_string(i) +
                 "\" q:value-type=\"float\"/>";
    }
    const std::string head = "<r xmlns:p=\"urn:p\" xmlns:q=\"urn:q\">" + cells;
    const std::string tail = std::string(40, ' ') + "</r>";
    expectSameEverywhere(head +
                         "<p:cell p:value-typ=\"a\" p:value-types=\"b\" p:value =\"c\" "
                         "q:value-type\n=\"d\" p:value-type=\"e\"/>" +
                         tail);
    for (const std::string_view bad :
         {"<p:cell p:value-type=\"1\" p:value-type=\"2\"/>", "<p:cell p:value-typ$=\"1\"/>",
          "<p:cell x:value-type=\"1\"/>", "<p:cell p:value-type:x=\"1\"/>"}) {
        const std::string xml = head + std::string(bad) + tail;
        EXPECT_EQ(quickEvents(xml).resumeAt, head.size()) << bad;
        EXPECT_EQ(combinedEvents(xml), expatEvents(xml)) << bad;
    }
}

TEST(FastXmlReader, NamesMetBeforeFollowAPrefixBoundAnew) {
    // Element and attribute names met before keep their namespace only while no binding changes:
    // here the prefix is bound anew inside, on the tag itself (before and after the attribute),
    // and the old binding comes back.
    const std::string cell = "<p:c p:value-type=\"1\" q:value-type=\"2\"/>";
    expectSameEverywhere("<r xmlns:p=\"urn:1\" xmlns:q=\"urn:q\">" + cell + cell +
                         "<x xmlns:p=\"urn:2\">" + cell + cell + "</x>" + cell +
                         "<p:c p:value-type=\"3\" xmlns:p=\"urn:3\" q:value-type=\"4\"/>" +
                         "<p:c xmlns:q=\"urn:4\" p:value-type=\"5\" q:value-type=\"6\"/>" + cell +
                         std::string(40, ' ') + "</r>");
}

TEST(FastXmlReader, KnownNamespacesAreGivenAsTheirOwnViewsUnderAnyPrefix) {
    // The office's URIs bound to other prefixes and its prefixes bound to other URIs: the events
    // name the URIs as expat does, and the office's are the views of ns::.
    const std::string table = std::string(ns::table);
    const std::string xml =
        "<r xmlns:t=\"" + table + "\" xmlns:table=\"urn:other\" xmlns:office=\"" + table +
        "\"><t:table-cell office:x=\"1\" table:y=\"2\"/>" + "<table:table-cell t:z=\"3\"/></r>";
    expectSameEverywhere(xml);

    class Uris : public XmlHandler {
    public:
        void startElement(std::string_view ns, std::string_view,
                          std::span<const XmlAttribute> attributes) override {
            elements.push_back(ns.data());
            for (const XmlAttribute& a : attributes) {
                attributesNs.push_back(a.ns.data());
            }
        }
        void endElement(std::string_view, std::string_view) override {}
        void characters(std::string_view) override {}
        std::vector<const char*> elements;
        std::vector<const char*> attributesNs;
    } uris;
    FastXmlReader reader(uris);
    reader.feed(xml);
    reader.finish();
    ASSERT_EQ(uris.elements.size(), 3u);
    EXPECT_EQ(uris.elements[1], ns::table.data());
    EXPECT_NE(uris.elements[2], ns::table.data());
    ASSERT_EQ(uris.attributesNs.size(), 3u);
    EXPECT_EQ(uris.attributesNs[0], ns::table.data());
    EXPECT_NE(uris.attributesNs[1], ns::table.data());
    EXPECT_EQ(uris.attributesNs[2], ns::table.data());

    // One attribute under two prefixes of one URI is a duplicate, which expat words.
    const std::string twice = "<r xmlns:t=\"" + table + "\" xmlns:table=\"" + table +
                              "\"><c t:a=\"1\" table:a=\"2\"/></r>";
    EXPECT_EQ(quickEvents(twice).resumeAt, twice.find("<c"));
    EXPECT_EQ(combinedEvents(twice), expatEvents(twice));
    EXPECT_NE(expatEvents(twice).find("error: "), std::string::npos);
}

TEST(FastXmlReader, ByteOrderMarkIsSkippedLikeExpat) {
    expectSameEverywhere("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><r>bom</r>");
    expectSameEverywhere("\xEF\xBB\xBF<r/>");
}

// Each of these is outside what the quick reader takes. It must give up before delivering the
// construct, and expat, finishing from there, must leave the handler with exactly what expat
// alone gives: its events, its error, its words.
TEST(FastXmlReader, FallsBackOnWhatItDoesNotTakeAndEndsAsExpatDoes) {
    const std::vector<std::string> documents = {
        // documents expat refuses
        "<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;</r>",
        "<!DOCTYPE r><r/>",
        "<r><a>1</a>&nbsp;<b/></r>",
        "<r><a x=\"&nbsp;\"/></r>",
        "<r>&#0;</r>",
        "<r>&#xD800;</r>",
        "<r>&#x110000;</r>",
        "<r>&#99999999999999999999;</r>",
        "<r>&#xFFFE;</r>",
        "<r>&#X41;</r>",
        "<r>&#;</r>",
        "<r>&amp</r>",
        "<r><p:a/></r>",
        "<r><a p:x=\"1\"/></r>",
        "<r xmlns:p=\"\"/>",
        "<r xmlns:xml=\"urn:x\"/>",
        "<r xmlns:p=\"http://www.w3.org/2000/xmlns/\"/>",
        "<r><a></b></r>",
        "<r><a>text</a>]]></r>",
        "<r><!-- a -- b --></r>",
        "<r><!-- a ---></r>",
        "<r>\x01</r>",
        "<r>\xC0\x80</r>",
        "<r>\xED\xA0\x80</r>",
        "<r>\xEF\xBF\xBE</r>",
        "<r>\xF4\x90\x80\x80</r>",
        "<r>\xE2\x82</r>",
        "<r a=\"1\" a=\"2\"/>",
        "<r xmlns:p=\"urn:p\" xmlns:q=\"urn:p\" p:a=\"1\" q:a=\"2\"/>",
        "<r xmlns:p=\"urn:p\" xmlns:p=\"urn:q\"/>",
        "<r a=\"1\"b=\"2\"/>",
        "<r a=\"<\"/>",
        "<r a=1/>",
        "<r/><s/>",
        "<r/>junk",
        "junk<r/>",
        "<r>",
        "<r><a></a>",
        "",
        "<r><?xml version=\"1.0\"?></r>",
        " <?xml version=\"1.0\"?><r/>",
        "<r><a:b:c xmlns:a=\"urn:a\"/></r>",
        "<r>\xEF\xBB\xBF</r><",
        "<r><![CDATA[ open",
        "<r><?pi?<b/>x?>]\x01</r>",
        "<r>line\nbefore]]]>after</r>",
        "<r>a&amp;b]]></r>",
        "<r><element-with-a-long-name\x01/></r>",
        "<r><element-with-a-long-name attribute-with-a-long-name=\"value beyond sixteen<\"/></r>",
        "<r>text well beyond sixteen bytes\x02</r>",
        "<r>text well beyond sixteen bytes]]></r>",
        "<r><a-long-prefix:element-with-a-long-name/></r>",
        "<r><element-with-a-long:name:and-two-colons xmlns:element-with-a-long=\"urn:a\"/></r>",
        // documents expat takes
        "<r><caf\xC3\xA9 n\xC3\xA9=\"1\">x</caf\xC3\xA9></r>",
        "<?xml-stylesheet href=\"a.xsl\"?><r/>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>",
        "<r><a>before &#0000000000000000000000000000065; after</a></r>",
        "<r xml:space=\"preserve\"><xml:x/></r>",
    };
    for (const std::string& xml : documents) {
        const Quick quick = quickEvents(xml);
        EXPECT_TRUE(quick.resumeAt.has_value()) << xml;
        for (const std::size_t step : {1, 5, 65536}) {
            EXPECT_EQ(combinedEvents(xml, step), expatEvents(xml, step))
                << xml << " in pieces of " << step;
        }
    }
}

TEST(FastXmlReader, GivesUpWhereTheForeignConstructStarts) {
    const std::string xml = "<r><a x=\"1\">t</a>&nbsp;<b/></r>";
    const Quick quick = quickEvents(xml);
    ASSERT_TRUE(quick.resumeAt.has_value());
    EXPECT_EQ(*quick.resumeAt, xml.find('&'));
    EXPECT_EQ(quick.events, "<{}r>\n<{}a {}x=[1]>\n[t]\n</{}a>\n");

    const std::string tag = "<r>text<b a=\"&bad;\"/></r>";
    EXPECT_EQ(quickEvents(tag).resumeAt, tag.find("<b"));
    EXPECT_EQ(quickEvents("<!DOCTYPE r><r/>").resumeAt, 0u);
    // Incomplete at the end: all was delivered.
    EXPECT_EQ(quickEvents("<r>abc").resumeAt, 6u);
    EXPECT_EQ(combinedEvents("<r>abc"), expatEvents("<r>abc"));
}

TEST(FastXmlReader, TextAfterAnUnfinishedTagIsDeliveredWhereExpatSplitsIt) {
    // The chunk after a cut inside a tag is taken a few kilobytes at a time; text running past
    // such a piece must not be delivered there.
    const std::string text(10000, 'x');
    const std::string good = "<r><a>" + text + "</a></r>";
    const std::string bad = "<r><a>" + text + "]]></a></r>";
    const Quick quick = quickEvents(good, 0, 5);
    EXPECT_FALSE(quick.resumeAt.has_value());
    EXPECT_EQ(quick.events, expatEvents(good, 0, 5));
    EXPECT_EQ(quickEvents(bad, 0, 5).resumeAt, 6u);
    EXPECT_EQ(combinedEvents(bad, 65536, 64u << 20, 5), expatEvents(bad, 65536, 5));
}

TEST(FastXmlReader, RefusesOverlongTokensAtOnceAndDeepNestingLikeExpat) {
    const std::string overlong(5000, 'c');
    for (const std::string& xml :
         {"<r><!--" + overlong + "--><a/></r>", "<r><a b='" + overlong + "'/></r>",
          "<r><" + overlong + "/></r>", "<r><?pi " + overlong + "?></r>"}) {
        for (const std::size_t step : {100, 4000}) {
            const Quick quick = quickEvents(xml, step, 0, 1024);
            EXPECT_TRUE(quick.tooLong) << xml.substr(0, 12) << " in pieces of " << step;
            EXPECT_FALSE(quick.resumeAt.has_value());
        }
        EXPECT_NE(expatEvents(xml, 100, 0, 1024).find("longer than"), std::string::npos);
    }
    const auto nested = [](int depth) {
        std::string xml;
        for (int i = 0; i < depth; ++i)
            xml += "<a>";
        for (int i = 0; i < depth; ++i)
            xml += "</a>";
        return xml;
    };
    EXPECT_EQ(combinedEvents(nested(256)), expatEvents(nested(256)));
    EXPECT_FALSE(quickEvents(nested(256)).resumeAt.has_value());
    for (const int depth : {257, 100000}) {
        EXPECT_TRUE(quickEvents(nested(depth)).resumeAt.has_value());
        EXPECT_TRUE(combinedEvents(nested(depth))
                        .ends_with("error: cannot read t.xml: its elements nest more than 256 "
                                   "levels deep"));
    }
    // Many short comments in a row give expat no event either; it refuses them alike.
    std::string comments = "<r>";
    for (int i = 0; i < 100; ++i) {
        comments += "<!--" + std::string(40, 'c') + "-->";
    }
    comments += "</r>";
    EXPECT_TRUE(quickEvents(comments, 100, 0, 1024).resumeAt.has_value());
    const std::string refused = expatEvents(comments, 100, 0, 1024);
    EXPECT_NE(refused.find("longer than"), std::string::npos) << refused;
    EXPECT_EQ(combinedEvents(comments, 100, 1024), refused);
    // Text is delivered as it comes, so a long text is no long token.
    const std::string text = "<r>" + std::string(5000, 't') + "</r>";
    EXPECT_FALSE(quickEvents(text, 100, 0, 1024).resumeAt.has_value());
}

TEST(FastXmlReader, HandlerFailuresPassThrough) {
    class Throwing : public Recorder {
        void endElement(std::string_view, std::string_view) override {
            throw Error("handler says no");
        }
    } handler;
    FastXmlReader reader(handler);
    try {
        reader.feed("<r><a/></r>");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "handler says no");
    }
}

// What the differential fuzzer found: the first byte picks where the rest is cut in two.
TEST(FastXmlReader, FuzzFindingsGiveExpatsEvents) {
    const fs::path folder = fs::path(GRIDWORK_SOURCE_DIR) / "fuzz" / "regressions" / "xml";
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << entry.path();
        const std::string_view xml = std::string_view(bytes).substr(1);
        const std::size_t cut = static_cast<unsigned char>(bytes[0]) % (xml.size() + 1);
        EXPECT_EQ(combinedEvents(xml, 65536, 64u << 20, cut), expatEvents(xml, 65536, cut))
            << entry.path();
    }
}

// Every part of the shared corpus, the hostile documents included, reads the same both ways.
TEST(FastXmlReader, CorpusPartsGiveExpatsEvents) {
    const fs::path corpus(GRIDWORK_CORPUS_DIR);
    if (!fs::is_directory(corpus / "files")) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    int parts = 0;
    int quickParts = 0;
    for (const char* folder : {"files", "hostile"}) {
        if (!fs::is_directory(corpus / folder)) {
            continue;
        }
        for (const auto& entry : fs::directory_iterator(corpus / folder)) {
            std::optional<ZipPackage> package;
            try {
                package.emplace(ZipPackage::openFile(entry.path().string()));
            } catch (const Error&) {
                continue;
            }
            for (const char* part : {"content.xml", "styles.xml"}) {
                if (!package->hasEntry(part)) {
                    continue;
                }
                std::string xml;
                try {
                    xml = package->readSmallEntry(part, 64u << 20);
                } catch (const Error&) {
                    continue;
                }
                ++parts;
                const std::string expected = expatEvents(xml);
                EXPECT_EQ(combinedEvents(xml), expected) << entry.path() << " " << part;
                const Quick quick = quickEvents(xml);
                if (!quick.resumeAt) {
                    ++quickParts;
                    EXPECT_EQ(quick.events, expected) << entry.path() << " " << part;
                } else {
                    std::cout << "falls back: " << entry.path().filename().string() << " " << part
                              << " at " << *quick.resumeAt << ": "
                              << xml.substr(*quick.resumeAt, 40) << "\n";
                }
            }
        }
    }
    std::cout << "corpus: " << quickParts << " of " << parts
              << " parts read by the quick reader without falling back\n";
    EXPECT_GT(parts, 0);
}

} // namespace
} // namespace ods
