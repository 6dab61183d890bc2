#include "look/hand_pointer.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <stdexcept>
#include <string>

namespace gridwork {
namespace {

// The directory of a .cur file: a 6-byte header, then one 16-byte entry per image.
constexpr qsizetype headerSize = 6;
constexpr qsizetype entrySize = 16;
constexpr quint16 cursorType = 2;
constexpr quint16 iconType = 1;
// Even a large colour cursor stays far below this; a bigger file is some other file.
constexpr qint64 largestCursor = qint64{1} << 20;

[[noreturn]] void refuse(const QString& path, const std::string& reason) {
    throw std::runtime_error("The pointer file \"" + QDir::toNativeSeparators(path).toStdString() +
                             "\" " + reason);
}

struct CursorDirectory {
    quint16 reserved = 0;
    quint16 type = 0;
    quint16 count = 0;
    quint16 hotspotX = 0;
    quint16 hotspotY = 0;
    quint32 imageSize = 0;
    quint32 imageOffset = 0;
};

// The header and the first directory entry; the entry's width, height and colour count are left
// to the image reader, which reads them from the picture itself.
CursorDirectory readDirectory(const QByteArray& data) {
    QDataStream stream(data);
    stream.setByteOrder(QDataStream::LittleEndian);
    CursorDirectory directory;
    quint32 sizeAndColours = 0;
    stream >> directory.reserved >> directory.type >> directory.count >> sizeAndColours >>
        directory.hotspotX >> directory.hotspotY >> directory.imageSize >> directory.imageOffset;
    return directory;
}

QByteArray readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(path, "cannot be opened: " + file.errorString().toStdString() + ".");
    }
    QByteArray data = file.read(largestCursor + 1);
    if (data.size() > largestCursor) {
        refuse(path, "is too large to be a Windows cursor (.cur).");
    }
    return data;
}

} // namespace

QCursor readCursorFile(const QString& path) {
    const QByteArray data = readWhole(path);
    if (data.size() < headerSize + entrySize) {
        refuse(path, "is no Windows cursor (.cur): it is too short for a cursor header.");
    }
    const CursorDirectory directory = readDirectory(data);
    if (directory.reserved != 0 || (directory.type != cursorType && directory.type != iconType)) {
        refuse(path, "is no Windows cursor (.cur): it does not start with a cursor header.");
    }
    if (directory.type == iconType) {
        refuse(path, "is an icon (.ico), not a Windows cursor (.cur).");
    }
    if (directory.count == 0) {
        refuse(path, "is a Windows cursor (.cur) without any image.");
    }
    if (quint64{directory.imageOffset} + directory.imageSize > static_cast<quint64>(data.size())) {
        refuse(path,
               "is a damaged Windows cursor (.cur): its image lies beyond the end of the file.");
    }
    if (!QImageReader::supportedImageFormats().contains("cur")) {
        refuse(path, "cannot be shown: this installation of Qt has no reader for cursor files "
                     "(the ICO image format plugin is missing).");
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "cur");
    const QImage image = reader.read();
    if (image.isNull()) {
        refuse(path,
               "is a damaged Windows cursor (.cur): " + reader.errorString().toStdString() + ".");
    }
    // Qt's reader gives the picture but not the hotspot, which only the directory entry holds.
    const int hotspotX = directory.hotspotX;
    const int hotspotY = directory.hotspotY;
    if (hotspotX >= image.width() || hotspotY >= image.height()) {
        refuse(path, "is a damaged Windows cursor (.cur): its hotspot lies outside the picture.");
    }
    return QCursor(QPixmap::fromImage(image), hotspotX, hotspotY);
}

void loadHandPointer(const QString& path, PointerFeedback& feedback) {
    feedback.setCustomPointer(readCursorFile(path));
}

} // namespace gridwork
