#include "shell/settings_store.h"

#include "shell/maker.h"

#include <QSettings>
#include <stdexcept>

namespace gridwork {

namespace {

QString qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::unique_ptr<QSettings> userStore() {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") +
            qstring(maker::settingsApplication),
        QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       qstring(maker::settingsApplication),
                                       qstring(maker::settingsApplication));
#endif
}

} // namespace

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(iniFile.isEmpty() ? userStore()
                                  : std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {
    settings_->beginGroup(qstring(maker::productTitle));
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::read(const QString& key) const {
    return settings_->value(key, QString()).toString();
}

void SettingsStore::write(const QString& key, const QString& value) {
    settings_->setValue(key, value);
    // Written through at once: a second copy of the program sees the change, and nothing is
    // left to save at shutdown.
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        throw std::runtime_error("Cannot store the setting \"" + key.toStdString() + "\" in " +
                                 location().toStdString() + ".");
    }
}

QString SettingsStore::location() const {
    return settings_->fileName();
}

} // namespace gridwork
