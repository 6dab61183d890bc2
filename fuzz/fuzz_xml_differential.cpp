// libFuzzer entry: the bytes are an XML part. Read the way documents are read (the quick reader,
// expat from where it gives up) it must give exactly expat's events and error, whole and cut in
// two at a place the first byte picks.

#include "ods/error.h"
#include "ods/fast_xml_reader.h"
#include "ods/xml_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// The readers refuse overlong constructs each in its own way (the quick reader as soon as one
// passes the limit, expat after a stretch of input without events); that has tests of its own.
// Here no input comes near the limit, so that only the events are compared.
constexpr std::size_t kTokenLimit = std::size_t{1} << 30;

namespace {

class Recorder : public ods::XmlHandler {
public:
    void startElement(std::string_view ns, std::string_view local,
                      std::span<const ods::XmlAttribute> attributes) override {
        flush();
        events += "<" + std::string(ns) + "|" + std::string(local);
        for (const ods::XmlAttribute& a : attributes) {
            events += " " + std::string(a.ns) + "|" + std::string(a.local) + "=" +
                      std::to_string(a.value.size()) + ":" + std::string(a.value);
        }
        events += ">";
    }
    void endElement(std::string_view ns, std::string_view local) override {
        flush();
        events += "</" + std::string(ns) + "|" + std::string(local) + ">";
    }
    void characters(std::string_view text) override { text_ += text; }
    std::string take() {
        flush();
        return std::move(events);
    }
    std::string events;

private:
    void flush() {
        if (!text_.empty()) {
            events += "[" + std::to_string(text_.size()) + ":" + text_ + "]";
            text_.clear();
        }
    }
    std::string text_;
};

template <typename Reader> void feed(Reader& reader, std::string_view xml, std::size_t cut) {
    reader.feed(xml.substr(0, cut));
    reader.feed(xml.substr(cut));
    reader.finish();
}

std::string expat(std::string_view xml, std::size_t cut) {
    Recorder recorder;
    try {
        ods::XmlReader reader(recorder, "fuzz", kTokenLimit);
        feed(reader, xml, cut);
    } catch (const ods::Error& error) {
        return recorder.take() + "error: " + error.what();
    }
    return recorder.take();
}

std::string combined(std::string_view xml, std::size_t cut) {
    Recorder recorder;
    std::uint64_t resumeAt = 0;
    try {
        ods::FastXmlReader reader(recorder, kTokenLimit);
        feed(reader, xml, cut);
        return recorder.take();
    } catch (const ods::FastXmlReader::FallBack& fallBack) {
        resumeAt = fallBack.resumeAt();
    }
    try {
        ods::XmlReader reader(recorder, "fuzz", kTokenLimit);
        reader.deliverFrom(resumeAt);
        feed(reader, xml, cut);
    } catch (const ods::Error& error) {
        return recorder.take() + "error: " + error.what();
    }
    return recorder.take();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view xml(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t cut = xml.empty() ? 0 : data[0] % (xml.size() + 1);
    if (combined(xml, cut) != expat(xml, cut)) {
        std::abort();
    }
    return 0;
}
