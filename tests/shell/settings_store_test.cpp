#include "shell/settings_store.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

namespace gridwork {
namespace {

const QString key1 = QString::fromLatin1(settingsKeyFile1);
const QString key2 = QString::fromLatin1(settingsKeyFile2);

TEST(SettingsStore, AbsentKeysReadEmpty) {
    QTemporaryDir folder;
    const SettingsStore store(folder.filePath(QStringLiteral("Vendrasol.ini")));
    EXPECT_EQ(store.read(key1), QString());
    EXPECT_EQ(store.read(key2), QString());
}

TEST(SettingsStore, ValuesComeBackUnchangedInAnotherStore) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("Vendrasol.ini"));
    const QString path = QStringLiteral("  /home/åsa/Tabellen #2/Übersicht 100%.ods ");
    {
        SettingsStore store(file);
        store.write(key1, path);
        store.write(key2, QStringLiteral("first"));
        store.write(key2, QString());
    }
    const SettingsStore again(file);
    EXPECT_EQ(again.read(key1), path);
    EXPECT_EQ(again.read(key2), QString());
}

TEST(SettingsStore, KeysLiveInTheProductTitleSection) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("Vendrasol.ini"));
    SettingsStore(file).write(key1, QStringLiteral("/data/a.ods"));
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.childGroups(), QStringList{QStringLiteral(
                                     "Quessamoor Gridwork Stacker For Desktop Spreadsheet Users")});
    EXPECT_EQ(raw.value(QStringLiteral("Quessamoor Gridwork Stacker For Desktop Spreadsheet Users/"
                                       "Excel File1"))
                  .toString(),
              QStringLiteral("/data/a.ods"));
}

TEST(SettingsStore, WriteIsVisibleToASecondCopyAtOnce) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("Vendrasol.ini"));
    SettingsStore first(file);
    first.write(key1, QStringLiteral("/a.ods"));
    EXPECT_EQ(SettingsStore(file).read(key1), QStringLiteral("/a.ods"));
}

TEST(SettingsStore, UnwritableStoreThrowsNamingIt) {
    QTemporaryDir folder;
    // A folder that can never be created, not even by root: its parent is a file.
    QFile blocker(folder.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString file = folder.filePath(QStringLiteral("blocker/config/Vendrasol.ini"));
    SettingsStore store(file);
    try {
        store.write(key1, QStringLiteral("/a.ods"));
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot store the setting \"Excel File1\" in " + file.toStdString() + ".");
    }
}

TEST(SettingsStore, UserStoreIsNamedAfterTheMaker) {
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    const SettingsStore store;
    EXPECT_EQ(store.location(), folder.filePath(QStringLiteral("Vendrasol/Vendrasol.ini")));
}

} // namespace
} // namespace gridwork
