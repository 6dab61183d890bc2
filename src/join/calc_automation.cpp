#include "join/calc_automation.h"

#include <algorithm>
#include <cstddef>

namespace gridwork {

namespace {

constexpr std::string_view hexDigits = "0123456789ABCDEF";

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// RFC 3986 unreserved characters and the path's own slashes stay as they are; everything else
// (blanks, '#', '%', '?', non-ASCII bytes, ...) is percent-encoded, which every URL reader accepts.
bool keptInUrl(char c) {
    return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
           c == '~' || c == '/';
}

void appendEncoded(std::string& url, std::string_view text) {
    for (const char c : text) {
        if (keptInUrl(c)) {
            url += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            url += '%';
            url += hexDigits[byte >> 4];
            url += hexDigits[byte & 0x0F];
        }
    }
}

bool hasDriveLetter(std::string_view path) {
    return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == ':';
}

// Backslashes separate folders in a path with a drive letter or in a network path
// (\\server\share), and in every path on Windows. Elsewhere a backslash is an ordinary
// character of a file name and is percent-encoded like any other.
bool isWindowsPath([[maybe_unused]] std::string_view path) {
#ifdef _WIN32
    return true;
#else
    return hasDriveLetter(path) || path.starts_with("\\\\");
#endif
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string percentDecoded(std::string_view text, std::string_view url) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) {
            throw OfficeError("The file URL \"" + std::string(url) +
                              "\" holds a '%' that is not followed by two hex digits");
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

bool startsWithFileScheme(std::string_view url) {
    constexpr std::string_view scheme = "file://";
    if (url.size() < scheme.size()) {
        return false;
    }
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        const char c = url[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != scheme[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string fileUrl(std::string_view path) {
    if (path.empty()) {
        throw OfficeError("No file is named: the path is empty");
    }
    std::string slashed(path);
    if (isWindowsPath(path)) {
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
    }
    std::string url;
    url.reserve(slashed.size() + 16);
    if (slashed.starts_with("//")) {
        // A network path: the office wants "file:///" and then the path's own two slashes.
        url = "file:///";
        appendEncoded(url, slashed);
    } else if (slashed.starts_with('/')) {
        url = "file://";
        appendEncoded(url, slashed);
    } else if (hasDriveLetter(slashed) && slashed.size() >= 3 && slashed[2] == '/') {
        // The drive's colon must stay a colon, or the office reads "C%3A" as a folder name.
        url = "file:///";
        url += slashed.substr(0, 2);
        appendEncoded(url, std::string_view(slashed).substr(2));
    } else {
        throw OfficeError("\"" + std::string(path) +
                          "\" is not a full path: give the file with its folder, from the top");
    }
    return url;
}

std::string pathFromFileUrl(std::string_view url) {
    if (!startsWithFileScheme(url)) {
        throw OfficeError("\"" + std::string(url) + "\" is not a file URL");
    }
    const std::string_view rest = url.substr(7);
    std::string path;
    if (rest.starts_with('/')) {
        path = percentDecoded(rest, url);
        if (path.size() >= 3 && hasDriveLetter(std::string_view(path).substr(1)) &&
            (path.size() == 3 || path[3] == '/')) {
            path.erase(0, 1);
        } else if (path.starts_with("///")) {
            path.erase(0, 1);
        }
        return path;
    }
    // "file://host/path": a path on that host, or on this machine for "localhost".
    const std::size_t slash = rest.find('/');
    const std::string_view host = rest.substr(0, slash);
    const std::string_view hostPath = slash == std::string_view::npos ? "/" : rest.substr(slash);
    if (host == "localhost") {
        return pathFromFileUrl("file://" + std::string(hostPath));
    }
    return "//" + percentDecoded(host, url) + percentDecoded(hostPath, url);
}

CellRows Sheet::rangeTexts(std::int32_t firstColumn, std::int32_t firstRow, std::int32_t lastColumn,
                           std::int32_t lastRow) {
    CellRows rows;
    if (lastRow < firstRow || lastColumn < firstColumn) {
        return rows;
    }
    rows.reserve(static_cast<std::size_t>(std::int64_t{lastRow} - firstRow + 1));
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        auto& texts = rows.emplace_back();
        texts.reserve(static_cast<std::size_t>(std::int64_t{lastColumn} - firstColumn + 1));
        for (std::int64_t column = firstColumn; column <= lastColumn; ++column) {
            texts.push_back(
                cellText(static_cast<std::int32_t>(column), static_cast<std::int32_t>(row)));
        }
    }
    return rows;
}

void Sheet::setRangeTexts(std::int32_t column, std::int32_t row, const CellRows& rows) {
    std::int64_t target = row;
    for (const auto& texts : rows) {
        std::int64_t targetColumn = column;
        for (const auto& text : texts) {
            setCellText(static_cast<std::int32_t>(targetColumn), static_cast<std::int32_t>(target),
                        text);
            ++targetColumn;
        }
        ++target;
    }
}

} // namespace gridwork
