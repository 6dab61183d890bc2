#include "look/hand_pointer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <QtEndian>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace gridwork {
namespace {

const QString shippedCursor = GRIDWORK_SOURCE_DIR "/src/look/resources/HAND-M.CUR";

QByteArray shippedBytes() {
    QFile file(shippedCursor);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

class HandPointerTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // The message of the refusal of `bytes` as a cursor file named broken.cur.
    std::string refusal(const QByteArray& bytes) {
        const QString path = write("broken.cur", bytes);
        try {
            readCursorFile(path);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "taken as a cursor";
    }

    std::string expected(const std::string& reason) const {
        return "The pointer file \"" + folder.filePath("broken.cur").toStdString() + "\" " + reason;
    }

    QTemporaryDir folder;
};

TEST_F(HandPointerTest, ShippedHandPointsUpWithItsHotspotAtTheFingertip) {
    const QCursor hand = readCursorFile(shippedCursor);
    const QImage image = hand.pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(hand.hotSpot(), QPoint(6, 0));
    EXPECT_EQ(image.pixelColor(6, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(6, 2), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(5, 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(31, 31).alpha(), 0);
}

TEST_F(HandPointerTest, ShippedHandLiesBesideTheProgram) {
    QFile placed(GRIDWORK_PROGRAM_DIR "/HAND-M.CUR");
    ASSERT_TRUE(placed.open(QIODevice::ReadOnly));
    EXPECT_EQ(placed.readAll(), shippedBytes());
}

TEST_F(HandPointerTest, HotspotComesFromTheDirectoryEntry) {
    QByteArray bytes = shippedBytes();
    qToLittleEndian<quint16>(11, bytes.data() + 10);
    qToLittleEndian<quint16>(17, bytes.data() + 12);
    EXPECT_EQ(readCursorFile(write("moved.cur", bytes)).hotSpot(), QPoint(11, 17));
}

TEST_F(HandPointerTest, LoadingMakesItTheCustomPointer) {
    QWidget window;
    auto* const feedback = new PointerFeedback(&window);
    loadHandPointer(shippedCursor, *feedback);
    EXPECT_TRUE(feedback->hasCustomPointer());
    feedback->setMode(CustomPointer);
    EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(window.cursor().hotSpot(), QPoint(6, 0));
}

TEST_F(HandPointerTest, FilesThatAreNoCursorAreRefusedWithTheReason) {
    EXPECT_EQ(refusal("This is a text file, not a cursor.\n"),
              expected("is no Windows cursor (.cur): it does not start with a cursor header."));
    EXPECT_EQ(refusal(QByteArray(10, '\0')),
              expected("is no Windows cursor (.cur): it is too short for a cursor header."));
    EXPECT_EQ(refusal(QByteArray()),
              expected("is no Windows cursor (.cur): it is too short for a cursor header."));

    QByteArray icon = shippedBytes();
    icon[2] = 1;
    EXPECT_EQ(refusal(icon), expected("is an icon (.ico), not a Windows cursor (.cur)."));

    QByteArray empty = shippedBytes();
    empty[4] = 0;
    EXPECT_EQ(refusal(empty), expected("is a Windows cursor (.cur) without any image."));
}

TEST_F(HandPointerTest, DamagedCursorsAreRefusedWithTheReason) {
    const QByteArray whole = shippedBytes();
    EXPECT_EQ(refusal(whole.first(200)),
              expected("is a damaged Windows cursor (.cur): its image lies beyond the end of the "
                       "file."));

    QByteArray farHotspot = whole;
    qToLittleEndian<quint16>(32, farHotspot.data() + 10);
    EXPECT_EQ(
        refusal(farHotspot),
        expected("is a damaged Windows cursor (.cur): its hotspot lies outside the picture."));

    QByteArray noBitmap = whole;
    noBitmap.replace(22, 40, QByteArray(40, 'x'));
    const std::string message = refusal(noBitmap);
    EXPECT_EQ(message.rfind(expected("is a damaged Windows cursor (.cur): "), 0), 0u) << message;

    EXPECT_EQ(refusal(QByteArray((qsizetype{1} << 20) + 1, '\0')),
              expected("is too large to be a Windows cursor (.cur)."));
}

TEST_F(HandPointerTest, RefusalLeavesThePointerAsItWas) {
    QWidget window;
    auto* const feedback = new PointerFeedback(&window);
    const QString path = write("broken.cur", "no cursor");
    EXPECT_THROW(loadHandPointer(path, *feedback), std::runtime_error);
    EXPECT_FALSE(feedback->hasCustomPointer());
}

TEST_F(HandPointerTest, MissingFileIsReportedAsUnopenable) {
    const QString path = folder.filePath("gone.cur");
    try {
        readCursorFile(path);
        FAIL() << "a missing file was read";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "The pointer file \"" + path.toStdString() +
                                             "\" cannot be opened: No such file or directory.");
    }
}

} // namespace
} // namespace gridwork
