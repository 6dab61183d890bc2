#include "look/hand_pointer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>
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

quint16 word(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

quint32 doubleWord(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<quint32>(data.constData() + offset);
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

QString handPointerPath(const QString& programFolder) {
    return programFolder + "/HAND-M.CUR";
}

QCursor readCursorFile(const QString& path) {
    const QByteArray data = readWhole(path);
    if (data.size() < headerSize + entrySize) {
        refuse(path, "is no Windows cursor (.cur): it is too short for a cursor header.");
    }
    const quint16 type = word(data, 2);
    if (word(data, 0) != 0 || (type != cursorType && type != iconType)) {
        refuse(path, "is no Windows cursor (.cur): it does not start with a cursor header.");
    }
    if (type == iconType) {
        refuse(path, "is an icon (.ico), not a Windows cursor (.cur).");
    }
    if (word(data, 4) == 0) {
        refuse(path, "is a Windows cursor (.cur) without any image.");
    }
    // Qt's reader gives the picture but not the hotspot, which only the directory entry holds.
    const int hotspotX = word(data, headerSize + 4);
    const int hotspotY = word(data, headerSize + 6);
    const quint64 imageSize = doubleWord(data, headerSize + 8);
    const quint64 imageOffset = doubleWord(data, headerSize + 12);
    if (imageOffset + imageSize > static_cast<quint64>(data.size())) {
        refuse(path,
               "is a damaged Windows cursor (.cur): its image lies beyond the end of the file.");
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
    if (hotspotX >= image.width() || hotspotY >= image.height()) {
        refuse(path, "is a damaged Windows cursor (.cur): its hotspot lies outside the picture.");
    }
    return QCursor(QPixmap::fromImage(image), hotspotX, hotspotY);
}

void loadHandPointer(const QString& path, PointerFeedback& feedback) {
    feedback.setCustomPointer(readCursorFile(path));
}

} // namespace gridwork
