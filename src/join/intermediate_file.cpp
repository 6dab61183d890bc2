#include "join/intermediate_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace gridwork {

namespace {

constexpr std::size_t bufferSize = std::size_t{1} << 20;
constexpr std::string_view lineEnd = "\r\n";
constexpr char escapeCharacter = '\\';

std::string systemMessage(int error) {
    return std::generic_category().message(error);
}

#ifdef _WIN32
int openExclusive(const std::filesystem::path& path) {
    int descriptor = -1;
    _wsopen_s(&descriptor, path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_NOINHERIT,
              _SH_DENYRW, _S_IREAD | _S_IWRITE);
    return descriptor;
}
long long writeSome(int descriptor, const char* data, std::size_t size) {
    return _write(descriptor, data, static_cast<unsigned>(size));
}
long long readSome(int descriptor, char* data, std::size_t size) {
    return _read(descriptor, data, static_cast<unsigned>(size));
}
bool rewind(int descriptor) {
    return _lseeki64(descriptor, 0, SEEK_SET) == 0;
}
void closeDescriptor(int descriptor) {
    _close(descriptor);
}
#else
int openExclusive(const std::filesystem::path& path) {
    // 0600: the texts of the user's spreadsheets are nobody else's business.
    return ::open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
}
long long writeSome(int descriptor, const char* data, std::size_t size) {
    return ::write(descriptor, data, size);
}
long long readSome(int descriptor, char* data, std::size_t size) {
    return ::read(descriptor, data, size);
}
bool rewind(int descriptor) {
    return ::lseek(descriptor, 0, SEEK_SET) == 0;
}
void closeDescriptor(int descriptor) {
    ::close(descriptor);
}
#endif

std::filesystem::path temporaryFolder() {
    if (const char* temp = std::getenv("TEMP"); temp != nullptr && *temp != '\0') {
        return temp;
    }
    std::error_code error;
    auto folder = std::filesystem::temp_directory_path(error);
    if (error) {
        throw IntermediateFileError("No temporary folder for the intermediate file: " +
                                    error.message());
    }
    return folder;
}

std::string uniqueName(std::mt19937_64& random) {
    constexpr std::string_view digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = "gridwork-join-";
    auto value = random();
    for (int i = 0; i < 12; ++i) {
        name += digits[value % digits.size()];
        value /= digits.size();
    }
    return name + ".txt";
}

} // namespace

IntermediateFile::IntermediateFile() : IntermediateFile(temporaryFolder()) {}

IntermediateFile::IntermediateFile(const std::filesystem::path& folder) {
    std::random_device seed;
    std::mt19937_64 random((std::uint64_t{seed()} << 32) ^ seed());
    int lastError = 0;
    // A name taken by someone else is simply skipped; only other failures end the attempts.
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = folder / uniqueName(random);
        descriptor_ = openExclusive(candidate);
        if (descriptor_ >= 0) {
            path_ = std::move(candidate);
            writeBuffer_.reserve(bufferSize);
            return;
        }
        lastError = errno;
        if (lastError != EEXIST) {
            break;
        }
    }
    throw IntermediateFileError("Cannot create the intermediate file in \"" + folder.string() +
                                "\": " + systemMessage(lastError));
}

IntermediateFile::~IntermediateFile() {
    remove();
}

IntermediateFile::IntermediateFile(IntermediateFile&& other) noexcept
    : path_(std::exchange(other.path_, {})), descriptor_(std::exchange(other.descriptor_, -1)),
      writing_(other.writing_), writeBuffer_(std::move(other.writeBuffer_)),
      readBuffer_(std::move(other.readBuffer_)), readPosition_(other.readPosition_),
      readAtEnd_(other.readAtEnd_) {}

IntermediateFile& IntermediateFile::operator=(IntermediateFile&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::exchange(other.path_, {});
        descriptor_ = std::exchange(other.descriptor_, -1);
        writing_ = other.writing_;
        writeBuffer_ = std::move(other.writeBuffer_);
        readBuffer_ = std::move(other.readBuffer_);
        readPosition_ = other.readPosition_;
        readAtEnd_ = other.readAtEnd_;
    }
    return *this;
}

void IntermediateFile::appendEscaped(std::string& line, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case escapeCharacter:
            line += "\\\\";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\n':
            line += "\\n";
            break;
        case '|':
            line += "\\p";
            break;
        default:
            line += c;
        }
    }
}

std::string IntermediateFile::unescaped(std::string_view escaped) {
    std::string text;
    text.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != escapeCharacter) {
            text += c;
            continue;
        }
        const char code = i + 1 < escaped.size() ? escaped[++i] : '\0';
        switch (code) {
        case escapeCharacter:
            text += escapeCharacter;
            break;
        case 'r':
            text += '\r';
            break;
        case 'n':
            text += '\n';
            break;
        case 'p':
            text += '|';
            break;
        default:
            throw IntermediateFileError("The intermediate file is damaged: unknown escape in \"" +
                                        std::string(escaped) + "\"");
        }
    }
    return text;
}

void IntermediateFile::appendLine(const std::vector<std::string>& cells) {
    if (!writing_ || descriptor_ < 0) {
        throw IntermediateFileError("The intermediate file is no longer open for writing");
    }
    for (const auto& cell : cells) {
        appendEscaped(writeBuffer_, cell);
        writeBuffer_ += CellSeparator;
    }
    writeBuffer_ += lineEnd;
    if (writeBuffer_.size() >= bufferSize) {
        flushWrites();
    }
}

void IntermediateFile::flushWrites() {
    std::size_t written = 0;
    while (written < writeBuffer_.size()) {
        const auto count =
            writeSome(descriptor_, writeBuffer_.data() + written, writeBuffer_.size() - written);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            writeBuffer_.clear();
            throw IntermediateFileError("Cannot write the intermediate file \"" + path_.string() +
                                        "\": " + systemMessage(error));
        }
        written += static_cast<std::size_t>(count);
    }
    writeBuffer_.clear();
}

void IntermediateFile::finishWriting() {
    if (!writing_) {
        return;
    }
    if (descriptor_ < 0) {
        throw IntermediateFileError("The intermediate file has been removed");
    }
    writing_ = false;
    flushWrites();
    writeBuffer_.shrink_to_fit();
}

void IntermediateFile::startReading() {
    finishWriting();
    if (!rewind(descriptor_)) {
        throw IntermediateFileError("Cannot read the intermediate file \"" + path_.string() +
                                    "\": " + systemMessage(errno));
    }
    readBuffer_.clear();
    readPosition_ = 0;
    readAtEnd_ = false;
}

bool IntermediateFile::fillReadBuffer() {
    if (readAtEnd_) {
        return false;
    }
    readBuffer_.erase(0, readPosition_);
    readPosition_ = 0;
    const std::size_t kept = readBuffer_.size();
    readBuffer_.resize(kept + bufferSize);
    long long count = 0;
    do {
        count = readSome(descriptor_, readBuffer_.data() + kept, bufferSize);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        const int error = errno;
        readBuffer_.resize(kept);
        throw IntermediateFileError("Cannot read the intermediate file \"" + path_.string() +
                                    "\": " + systemMessage(error));
    }
    readBuffer_.resize(kept + static_cast<std::size_t>(count));
    readAtEnd_ = count == 0;
    return count > 0;
}

bool IntermediateFile::readLine(std::vector<std::string>& fields) {
    if (writing_ || descriptor_ < 0) {
        throw IntermediateFileError("The intermediate file is not open for reading");
    }
    fields.clear();
    std::size_t end = std::string::npos;
    for (;;) {
        end = std::string_view(readBuffer_).find(lineEnd, readPosition_);
        if (end != std::string::npos || !fillReadBuffer()) {
            break;
        }
    }
    if (end == std::string::npos) {
        // The piece after the last CR LF: nothing at all ends the file.
        if (readPosition_ == readBuffer_.size()) {
            return false;
        }
        end = readBuffer_.size();
    }
    const std::string_view line(readBuffer_.data() + readPosition_, end - readPosition_);
    readPosition_ = std::min(end + lineEnd.size(), readBuffer_.size());
    if (line.empty()) {
        return true;
    }
    std::size_t start = 0;
    for (;;) {
        const auto separator = line.find(CellSeparator, start);
        if (separator == std::string_view::npos) {
            fields.push_back(unescaped(line.substr(start)));
            return true;
        }
        fields.push_back(unescaped(line.substr(start, separator - start)));
        start = separator + CellSeparator.size();
    }
}

void IntermediateFile::remove() noexcept {
    if (descriptor_ >= 0) {
        closeDescriptor(descriptor_);
        descriptor_ = -1;
    }
    if (path_.empty()) {
        return;
    }
    std::error_code error;
    if (!std::filesystem::remove(path_, error) && error) {
        std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, error);
        std::filesystem::remove(path_, error);
    }
    path_.clear();
    writeBuffer_.clear();
    readBuffer_.clear();
}

} // namespace gridwork
