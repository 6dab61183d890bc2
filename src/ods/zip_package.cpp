#include "ods/zip_package.h"

#include "ods/error.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <zip.h>

namespace ods {

namespace {

// Expansion below this is never taken for a bomb, however well it compressed.
constexpr std::uint64_t kRatioFreeBytes = 16u << 20;

struct FileDeleter {
    void operator()(zip_file_t* file) const noexcept { zip_fclose(file); }
};

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
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
    throw Error("cannot read " + label_ + ": " + problem);
}

ZipPackage ZipPackage::openFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        throw Error("cannot read " + path + ": the file does not exist");
    }
    if (std::filesystem::is_directory(status)) {
        throw Error("cannot read " + path + ": it is a folder, not a file");
    }
    int code = 0;
    zip* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS) {
            throw Error("cannot read " + path + ": it is no OpenDocument file (not a zip package)");
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

    std::unique_ptr<zip_file_t, FileDeleter> file(zip_fopen(archive_.get(), entry.c_str(), 0));
    if (!file) {
        fail(entry + " cannot be unpacked (" +
             std::string(zip_error_strerror(zip_get_error(archive_.get()))) + ")");
    }
    std::array<char, 64 * 1024> buffer{};
    std::uint64_t total = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer.data(), buffer.size());
        if (got < 0) {
            fail(entry + " is damaged (" +
                 std::string(zip_error_strerror(zip_file_get_error(file.get()))) + ")");
        }
        if (got == 0) {
            return;
        }
        total += static_cast<std::uint64_t>(got);
        if (total > limit) {
            fail(entry + " unpacks to more than " + std::to_string(limit >> 20) +
                 " MB (a zip bomb?)");
        }
        if (!sink(std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            return;
        }
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
