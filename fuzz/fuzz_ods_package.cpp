// libFuzzer entry: the bytes are a whole .ods package, read as a user's file would be.

#include "ods/error.h"
#include "ods/reader.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ods::ReadOptions options;
    options.maxXmlBytes = 8u << 20;
    try {
        const ods::Workbook book =
            ods::readWorkbook(std::span<const std::uint8_t>(data, size), "fuzz.ods", options);
        for (const ods::Sheet& sheet : book.sheets()) {
            const ods::Extent extent = sheet.extent();
            (void)sheet.text(extent.columns - 1, extent.rows - 1);
        }
    } catch (const ods::Error&) {
    }
    return 0;
}
