#include "ods/zip_package.h"

#include "ods/error.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <isa-l.h>
#include <libdeflate.h>
#include <system_error>
#include <zip.h>

namespace ods {

namespace {

// Expansion below this is never taken for a bomb, however well it compressed.
constexpr std::uint64_t kRatioFreeBytes = 16u << 20;

struct FileDeleter {
    void operator()(zip_file_t* file) const noexcept { zip_fclose(file); }
};

// ISA-L reads and writes in chunks of these sizes, so that no entry sits in memory whole.
constexpr std::size_t kDeflatedChunk = 64 * 1024;
constexpr std::size_t kInflatedChunk = 128 * 1024;

std::string inflateErrorText(int result) {
    switch (result) {
    case ISAL_INVALID_BLOCK:
        return "an invalid deflate block";
    case ISAL_INVALID_SYMBOL:
        return "an invalid deflate symbol";
    case ISAL_INVALID_LOOKBACK:
        return "a back-reference to before its start";
    default:
        return "an error (ISA-L code " + std::to_string(result) + ")";
    }
}

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

[[noreturn]] void failFor(const std::string& label, const std::string& problem) {
    throw Error("cannot read " + label + ": " + problem);
}

// What the package's directory says about the entry being read, checked as it unpacks.
struct Entry {
    const std::string& label;
    const std::string& name;
    std::uint64_t size;
    std::uint32_t crc;
    std::uint64_t limit;
};

struct Inflater {
    inflate_state state;
    std::array<std::uint8_t, kDeflatedChunk> in;
    std::array<std::uint8_t, kInflatedChunk> out;
};

// A package whose end is missing still begins as every zip does.
bool startsLikeAZip(const std::string& path) {
    std::array<char, 4> head{};
    std::ifstream file(path, std::ios::binary);
    return file.read(head.data(), head.size()) && head == std::array<char, 4>{'P', 'K', 3, 4};
}

[[noreturn]] void failDamaged(const Entry& entry, const std::string& problem) {
    failFor(entry.label, entry.name + " is damaged (" + problem + ")");
}

void checkLimit(const Entry& entry, std::uint64_t total) {
    if (total > entry.limit) {
        // Small parts have small limits, which megabytes would round to nothing.
        const std::string limit = entry.limit >= (1u << 20)
                                      ? std::to_string(entry.limit >> 20) + " MB"
                                      : std::to_string(entry.limit) + " bytes";
        failFor(entry.label, entry.name + " unpacks to more than " + limit + " (a zip bomb?)");
    }
}

void copyEntry(zip_file_t& file, const Entry& entry, const ChunkSink& sink) {
    std::array<char, 64 * 1024> buffer{};
    std::uint64_t total = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(&file, buffer.data(), buffer.size());
        if (got < 0) {
            failDamaged(entry, zip_error_strerror(zip_file_get_error(&file)));
        }
        if (got == 0) {
            return;
        }
        total += static_cast<std::uint64_t>(got);
        checkLimit(entry, total);
        if (!sink(std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            return;
        }
    }
}

// libzip hands over the raw deflate bytes and ISA-L inflates them, about three times quicker
// than the zlib inside libzip; the size and CRC-32 checks that libzip would make are made here.
// The CRC-32 comes from libdeflate, not from ISA-L: ISA-L's uses 512-bit vector instructions,
// which slow the core down for the XML reading that follows each chunk, costing more than the
// whole inflate gains.
void inflateEntry(zip_file_t& file, const Entry& entry, const ChunkSink& sink) {
    const auto inflater = std::make_unique_for_overwrite<Inflater>();
    inflate_state& state = inflater->state;
    isal_inflate_init(&state);
    state.crc_flag = ISAL_DEFLATE;
    std::uint32_t crc = 0;
    bool moreInput = true;
    std::uint64_t total = 0;
    for (;;) {
        if (state.avail_in == 0 && moreInput) {
            const zip_int64_t got = zip_fread(&file, inflater->in.data(), inflater->in.size());
            if (got < 0) {
                failDamaged(entry, zip_error_strerror(zip_file_get_error(&file)));
            }
            moreInput = got > 0;
            state.next_in = inflater->in.data();
            state.avail_in = static_cast<std::uint32_t>(got);
        }
        const std::uint32_t inputBefore = state.avail_in;
        state.next_out = inflater->out.data();
        state.avail_out = static_cast<std::uint32_t>(inflater->out.size());
        const int result = isal_inflate(&state);
        if (result < 0) {
            failDamaged(entry, "its compressed data holds " + inflateErrorText(result));
        }
        const std::size_t produced = inflater->out.size() - state.avail_out;
        if (produced > 0) {
            total += produced;
            checkLimit(entry, total);
            // A directory that understates the size must not let the entry grow unchecked.
            if (total > entry.size) {
                failDamaged(entry, "it unpacks to more than the " + std::to_string(entry.size) +
                                       " bytes the package lists for it");
            }
            crc = libdeflate_crc32(crc, inflater->out.data(), produced);
            if (!sink(std::string_view(reinterpret_cast<const char*>(inflater->out.data()),
                                       produced))) {
                return;
            }
        }
        if (state.block_state == ISAL_BLOCK_FINISH) {
            break;
        }
        if (produced == 0 && state.avail_in == inputBefore) {
            failDamaged(entry, moreInput ? "its compressed data cannot be unpacked"
                                         : "its compressed data ends too early");
        }
    }
    if (total != entry.size) {
        failDamaged(entry, "it unpacks to " + std::to_string(total) + " bytes, not the " +
                               std::to_string(entry.size) + " bytes the package lists for it");
    }
    if (crc != entry.crc) {
        failDamaged(entry, "its CRC-32 checksum does not match");
    }
}

} // namespace

void ZipPackage::ArchiveDeleter::operator()(zip* archive) const noexcept {
    zip_discard(archive);
}

ZipPackage::ZipPackage(std::unique_ptr<zip, ArchiveDeleter> archive, std::string label)
    : archive_(std::move(archive)), label_(std::move(label)) {}
ZipPackage::ZipPackage(ZipPackage&&) noexcept = default;
ZipPackage& ZipPackage::operator=(ZipPackage&&) noexcept = default;
ZipPackage::~ZipPackage() = default;

void ZipPackage::fail(const std::string& problem) const {
    failFor(label_, problem);
}

void requireFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        throw Error("cannot read " + path + ": the file does not exist");
    }
    if (std::filesystem::is_directory(status)) {
        throw Error("cannot read " + path + ": it is a folder, not a file");
    }
    // A pipe or a device would be read for ever, or not at all.
    if (!std::filesystem::is_regular_file(status)) {
        throw Error("cannot read " + path +
                    ": it is no file but a pipe, device or socket; save the document as a file");
    }
}

ZipPackage ZipPackage::openFile(const std::string& path) {
    requireFile(path);
    int code = 0;
    zip* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS) {
            throw Error("cannot read " + path +
                        (startsLikeAZip(path)
                             ? ": the zip package is cut short or damaged"
                             : ": it is no OpenDocument file (not a zip package)"));
        }
        if (code == ZIP_ER_OPEN || code == ZIP_ER_READ) {
            throw Error("cannot read " + path + ": the file cannot be opened (" +
                        zipErrorText(code) + ")");
        }
        throw Error("cannot read " + path + ": " + zipErrorText(code));
    }
    return ZipPackage(std::unique_ptr<zip, ArchiveDeleter>(archive), path);
}

ZipPackage ZipPackage::openMemory(std::span<const std::uint8_t> bytes, std::string label) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) {
        zip_error_fini(&error);
        throw Error("cannot read " + label + ": out of memory");
    }
    zip* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (archive == nullptr) {
        zip_source_free(source);
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS) {
            throw Error("cannot read " + label +
                        ": it is no OpenDocument file (not a zip package)");
        }
        throw Error("cannot read " + label + ": " + zipErrorText(code));
    }
    zip_error_fini(&error);
    return ZipPackage(std::unique_ptr<zip, ArchiveDeleter>(archive), std::move(label));
}

bool ZipPackage::hasEntry(std::string_view name) const {
    return zip_name_locate(archive_.get(), std::string(name).c_str(), 0) >= 0;
}

void ZipPackage::readEntry(std::string_view name, const ChunkSink& sink, std::uint64_t maxBytes,
                           std::uint64_t maxRatio) const {
    const std::string entry(name);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive_.get(), entry.c_str(), 0, &stat) != 0) {
        fail("the package has no " + entry);
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
        fail("it is password-protected");
    }
    const std::uint64_t compressed = (stat.valid & ZIP_STAT_COMP_SIZE) != 0 ? stat.comp_size : 0;
    const std::uint64_t ratioLimit = kRatioFreeBytes + compressed * maxRatio;
    const std::uint64_t limit = std::min(maxBytes, ratioLimit);

    constexpr zip_uint64_t kDeflateFacts =
        ZIP_STAT_COMP_METHOD | ZIP_STAT_SIZE | ZIP_STAT_CRC | ZIP_STAT_INDEX;
    const bool deflated =
        (stat.valid & kDeflateFacts) == kDeflateFacts && stat.comp_method == ZIP_CM_DEFLATE;
    std::unique_ptr<zip_file_t, FileDeleter> file(
        zip_fopen_index(archive_.get(), stat.index, deflated ? ZIP_FL_COMPRESSED : 0));
    if (!file) {
        fail(entry + " cannot be unpacked (" +
             std::string(zip_error_strerror(zip_get_error(archive_.get()))) + ")");
    }
    const Entry facts{label_, entry, stat.size, stat.crc, limit};
    if (deflated) {
        inflateEntry(*file, facts, sink);
    } else {
        copyEntry(*file, facts, sink);
    }
}

std::string ZipPackage::readSmallEntry(std::string_view name, std::uint64_t maxBytes) const {
    std::string text;
    readEntry(
        name,
        [&text](std::string_view chunk) {
            text.append(chunk);
            return true;
        },
        maxBytes, maxBytes);
    return text;
}

} // namespace ods
