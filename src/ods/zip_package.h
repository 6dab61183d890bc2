#pragma once

// The package layer: a zip archive opened read-only from a file or from memory, whose entries are
// streamed out in chunks so that no entry ever has to sit in memory whole.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

struct zip;

namespace ods {

/// Receives an entry's bytes chunk by chunk; returning false stops the reading early.
using ChunkSink = std::function<bool(std::string_view chunk)>;

class ZipPackage {
public:
    /// Opens the zip file at path; errors name the path.
    static ZipPackage openFile(const std::string& path);
    /// Opens a zip archive held in memory (the bytes must outlive the package).
    static ZipPackage openMemory(std::span<const std::uint8_t> bytes, std::string label);

    ZipPackage(ZipPackage&&) noexcept;
    ZipPackage& operator=(ZipPackage&&) noexcept;
    ~ZipPackage();

    const std::string& label() const noexcept { return label_; }
    bool hasEntry(std::string_view name) const;
    /// Streams the uncompressed bytes of an entry. Refuses an entry that expands beyond
    /// maxBytes, or beyond maxRatio times its compressed size once past a few megabytes (a zip
    /// bomb), with an Error naming the entry.
    void readEntry(std::string_view name, const ChunkSink& sink, std::uint64_t maxBytes,
                   std::uint64_t maxRatio) const;
    /// The whole (small) entry, refused beyond maxBytes.
    std::string readSmallEntry(std::string_view name, std::uint64_t maxBytes) const;

private:
    struct ArchiveDeleter {
        void operator()(zip* archive) const noexcept;
    };
    ZipPackage(std::unique_ptr<zip, ArchiveDeleter> archive, std::string label);
    [[noreturn]] void fail(const std::string& problem) const;

    std::unique_ptr<zip, ArchiveDeleter> archive_;
    std::string label_;
};

/// Throws Error ("cannot read PATH: ...") unless path names a file that can be read to its end
/// (not a folder, pipe or device).
void requireFile(const std::string& path);

} // namespace ods
