#pragma once

// The per-user store of the two file paths: application "Vendrasol", section = the product
// title, keys "Excel File1" and "Excel File2".

#include <QString>
#include <memory>

class QSettings;

namespace gridwork {

inline constexpr const char* settingsKeyFile1 = "Excel File1";
inline constexpr const char* settingsKeyFile2 = "Excel File2";

class SettingsStore {
public:
    /// A store kept in the given INI file; without one, the user's own store: an INI file in the
    /// user's configuration folder (on Windows the registry key that earlier versions of the
    /// program used, so stored paths carry over).
    explicit SettingsStore(const QString& iniFile = {});
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    /// The stored text, or "" when the key is absent.
    QString read(const QString& key) const;
    /// Stores the text at once. Throws std::runtime_error naming the store when it cannot be
    /// written.
    void write(const QString& key, const QString& value);

    /// Where the values live (file path or registry key).
    QString location() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace gridwork
