#include "ods/output_file.h"

#include "ods/error.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace ods {

OutputFile::OutputFile(const std::string& target) : target_(target) {
    const std::filesystem::path where(target);
    const std::filesystem::path folder =
        where.has_parent_path() ? where.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        throw Error("cannot write " + target + ": the folder " + folder.string() +
                    " does not exist");
    }
    if (std::filesystem::is_directory(where, ec)) {
        throw Error("cannot write " + target + ": it is a folder");
    }
    std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.part", random());
    std::string name(1, '.');
    name += where.filename().string();
    name += suffix;
    path_ = (folder / name).string();
}

OutputFile::~OutputFile() {
    if (!committed_) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
}

void OutputFile::commit() {
    std::error_code ec;
    std::filesystem::rename(path_, target_, ec);
    if (ec) {
        throw Error("cannot write " + target_ + ": " + ec.message());
    }
    committed_ = true;
}

} // namespace ods
