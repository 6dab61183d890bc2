// The package layer on hand-built archives: deflated entries unpack in bounded chunks, and every
// way their data or their directory can be wrong ends in an error that names the entry.

#include "ods/error.h"
#include "ods/zip_package.h"
#include "ods_test_support.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <memory>
#include <string>
#include <vector>

namespace ods {
namespace {

constexpr std::uint64_t kNoLimit = std::uint64_t{1} << 40;

// A plain table-driven CRC-32, so that the check does not lean on the library under test.
std::uint32_t crc32(std::string_view data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t crc = i;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            }
            entries[i] = crc;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc = (crc >> 8) ^ table[(crc ^ static_cast<std::uint8_t>(c)) & 0xFFu];
    }
    return ~crc;
}

std::string deflate(std::string_view data) {
    const std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(6), &libdeflate_free_compressor);
    std::string out(libdeflate_deflate_compress_bound(compressor.get(), data.size()), '\0');
    out.resize(libdeflate_deflate_compress(compressor.get(), data.data(), data.size(), out.data(),
                                           out.size()));
    return out;
}

/// One entry as the archive stores it, with what its directory record claims.
struct RawEntry {
    std::string name;
    std::uint16_t method = 8;
    std::string stored;
    std::uint32_t crc = 0;
    std::uint32_t size = 0;
    std::uint16_t flags = 0;
};

RawEntry deflated(std::string name, std::string_view data) {
    return {std::move(name), 8, deflate(data), crc32(data),
            static_cast<std::uint32_t>(data.size())};
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

void putRecord(std::vector<std::uint8_t>& out, const RawEntry& entry) {
    put16(out, 20); // version needed
    put16(out, entry.flags);
    put16(out, entry.method);
    put32(out, 0); // time and date
    put32(out, entry.crc);
    put32(out, static_cast<std::uint32_t>(entry.stored.size()));
    put32(out, entry.size);
    put16(out, static_cast<std::uint32_t>(entry.name.size()));
    put16(out, 0); // extra field
}

std::vector<std::uint8_t> zipBytes(const std::vector<RawEntry>& entries) {
    std::vector<std::uint8_t> out;
    std::vector<std::uint32_t> offsets;
    for (const RawEntry& entry : entries) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        put32(out, 0x04034B50);
        putRecord(out, entry);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.insert(out.end(), entry.stored.begin(), entry.stored.end());
    }
    const auto directory = static_cast<std::uint32_t>(out.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        put32(out, 0x02014B50);
        put16(out, 20); // made by
        putRecord(out, entries[i]);
        put16(out, 0); // comment
        put16(out, 0); // disk
        put16(out, 0); // internal attributes
        put32(out, 0); // external attributes
        put32(out, offsets[i]);
        out.insert(out.end(), entries[i].name.begin(), entries[i].name.end());
    }
    const auto directorySize = static_cast<std::uint32_t>(out.size()) - directory;
    put32(out, 0x06054B50);
    put32(out, 0); // disks
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put16(out, static_cast<std::uint32_t>(entries.size()));
    put32(out, directorySize);
    put32(out, directory);
    put16(out, 0);
    return out;
}

/// Text like a sheet's: repetitive markup around numbers that do not repeat.
std::string sheetLikeText(std::size_t bytes) {
    std::string text;
    std::uint32_t seed = 12345;
    while (text.size() < bytes) {
        seed = seed * 1103515245u + 12345u;
        text += "<table:table-cell office:value-type=\"float\" office:value=\"" +
                std::to_string(seed >> 8) + "\"><text:p>" + std::to_string(seed % 977) +
                "</text:p></table:table-cell>";
    }
    text.resize(bytes);
    return text;
}

struct Reading {
    std::string text;
    std::size_t chunks = 0;
    std::size_t largestChunk = 0;
};

Reading readAll(const ZipPackage& package, std::string_view name, std::uint64_t maxBytes = kNoLimit,
                std::uint64_t maxRatio = 1000) {
    Reading reading;
    package.readEntry(
        name,
        [&reading](std::string_view chunk) {
            reading.text.append(chunk);
            ++reading.chunks;
            reading.largestChunk = std::max(reading.largestChunk, chunk.size());
            return true;
        },
        maxBytes, maxRatio);
    return reading;
}

std::string readError(const std::vector<std::uint8_t>& zip, std::string_view name,
                      std::uint64_t maxBytes = kNoLimit, std::uint64_t maxRatio = 1000) {
    try {
        const ZipPackage package = ZipPackage::openMemory(zip, "mem.zip");
        readAll(package, name, maxBytes, maxRatio);
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(ZipPackage, DeflatedEntriesArriveWholeInBoundedChunks) {
    const std::string big = sheetLikeText(5u << 20);
    const std::string small = "<office:document-content/>";
    const auto zip = zipBytes(
        {deflated("content.xml", big), deflated("styles.xml", small), deflated("empty.xml", "")});
    const ZipPackage package = ZipPackage::openMemory(zip, "mem.zip");
    const Reading reading = readAll(package, "content.xml");
    EXPECT_TRUE(reading.text == big);
    EXPECT_GT(reading.chunks, 8u);
    EXPECT_LE(reading.largestChunk, 256u * 1024);
    EXPECT_EQ(package.readSmallEntry("styles.xml", 4096), small);
    EXPECT_EQ(readAll(package, "empty.xml").text, "");
    // Ends that fall on chunk boundaries, and on either side of them.
    for (const std::size_t size : {65535u, 65536u, 131072u, 131073u, 262144u, 1048576u}) {
        const std::string text = sheetLikeText(size);
        const auto exact = zipBytes({deflated("content.xml", text)});
        EXPECT_TRUE(readAll(ZipPackage::openMemory(exact, "mem.zip"), "content.xml").text == text)
            << size;
    }
}

TEST(ZipPackage, EntriesWrittenByLibzipReadBackFromAFile) {
    const test::TempDir dir;
    const std::string path = dir.file("t.ods");
    const std::string content = sheetLikeText(3u << 20);
    const std::string blanks(1u << 20, ' ');
    test::writeZip(path, {{"content.xml", content}, {"blanks.xml", blanks}});
    const ZipPackage package = ZipPackage::openFile(path);
    EXPECT_TRUE(readAll(package, "content.xml").text == content);
    EXPECT_TRUE(readAll(package, "blanks.xml").text == blanks);
}

TEST(ZipPackage, StoredAndUnknownMethodsGoThroughLibzip) {
    const std::string text = "stored as it is";
    RawEntry stored{"stored.txt", 0, text, crc32(text), static_cast<std::uint32_t>(text.size())};
    RawEntry badCrc = stored;
    badCrc.name = "bad.txt";
    badCrc.crc ^= 1;
    RawEntry imploded = stored;
    imploded.name = "imploded.txt";
    imploded.method = 6;
    const auto zip = zipBytes({stored, badCrc, imploded});
    const ZipPackage package = ZipPackage::openMemory(zip, "mem.zip");
    EXPECT_EQ(readAll(package, "stored.txt").text, text);
    EXPECT_EQ(readError(zip, "bad.txt"), "cannot read mem.zip: bad.txt is damaged (CRC error)");
    EXPECT_EQ(readError(zip, "imploded.txt"),
              "cannot read mem.zip: imploded.txt cannot be unpacked (Compression method not "
              "supported)");
    EXPECT_EQ(readError(zip, "other.txt"), "cannot read mem.zip: the package has no other.txt");
}

TEST(ZipPackage, EncryptedEntriesAreRefused) {
    RawEntry entry = deflated("content.xml", "<x/>");
    entry.flags = 1;
    EXPECT_EQ(readError(zipBytes({entry}), "content.xml"),
              "cannot read mem.zip: it is password-protected");
}

TEST(ZipPackage, DamagedDeflateDataIsNamed) {
    const std::string text = sheetLikeText(600000);
    const std::string prefix = "cannot read mem.zip: content.xml is damaged (";

    RawEntry invalidBlock = deflated("content.xml", text);
    invalidBlock.stored = std::string("\xff\xff\xff\xff", 4);
    EXPECT_EQ(readError(zipBytes({invalidBlock}), "content.xml"),
              prefix + "its compressed data holds an invalid deflate block)");

    RawEntry wrongCrc = deflated("content.xml", text);
    wrongCrc.crc ^= 0x80000000u;
    EXPECT_EQ(readError(zipBytes({wrongCrc}), "content.xml"),
              prefix + "its CRC-32 checksum does not match)");

    RawEntry tooShort = deflated("content.xml", text);
    tooShort.size += 1;
    EXPECT_EQ(readError(zipBytes({tooShort}), "content.xml"),
              prefix + "it unpacks to 600000 bytes, not the 600001 bytes the package lists "
                       "for it)");

    RawEntry tooLong = deflated("content.xml", text);
    tooLong.size -= 1;
    EXPECT_EQ(readError(zipBytes({tooLong}), "content.xml"),
              prefix + "it unpacks to more than the 599999 bytes the package lists for it)");

    RawEntry truncated = deflated("content.xml", text);
    truncated.stored.resize(truncated.stored.size() / 2);
    EXPECT_EQ(readError(zipBytes({truncated}), "content.xml"),
              prefix + "its compressed data ends too early)");

    // As with libzip, bytes after the end of the deflate stream are left unread.
    RawEntry trailing = deflated("content.xml", text);
    trailing.stored += "trailing bytes";
    EXPECT_EQ(readError(zipBytes({trailing}), "content.xml"), "no error");
}

TEST(ZipPackage, ADirectoryThatUnderstatesTheSizeStopsTheUnpackingEarly) {
    RawEntry lying = deflated("content.xml", std::string(20u << 20, ' '));
    lying.size = 100;
    const auto zip = zipBytes({lying});
    const ZipPackage package = ZipPackage::openMemory(zip, "mem.zip");
    std::size_t delivered = 0;
    EXPECT_THROW(package.readEntry(
                     "content.xml",
                     [&delivered](std::string_view chunk) {
                         delivered += chunk.size();
                         return true;
                     },
                     kNoLimit, 1000000),
                 Error);
    EXPECT_EQ(delivered, 0u);
}

TEST(ZipPackage, LimitsHoldForDeflatedEntries) {
    const auto zip = zipBytes({deflated("content.xml", std::string(20u << 20, ' '))});
    EXPECT_EQ(readError(zip, "content.xml", 1u << 20),
              "cannot read mem.zip: content.xml unpacks to more than 1 MB (a zip bomb?)");
    EXPECT_EQ(readError(zip, "content.xml", kNoLimit, 10),
              "cannot read mem.zip: content.xml unpacks to more than 16 MB (a zip bomb?)");
    EXPECT_EQ(readError(zip, "content.xml", 20u << 20, 1000), "no error");
}

TEST(ZipPackage, ASinkThatStopsEndsTheInflatingAtOnce) {
    // The wrong checksum would only show at the end, so an early stop must not get there.
    RawEntry entry = deflated("content.xml", sheetLikeText(2u << 20));
    entry.crc ^= 1;
    const auto zip = zipBytes({entry});
    const ZipPackage package = ZipPackage::openMemory(zip, "mem.zip");
    std::size_t calls = 0;
    package.readEntry(
        "content.xml",
        [&calls](std::string_view) {
            ++calls;
            return false;
        },
        kNoLimit, 1000);
    EXPECT_EQ(calls, 1u);
}

} // namespace
} // namespace ods
