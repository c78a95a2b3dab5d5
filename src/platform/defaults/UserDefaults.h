#pragma once

#include <QSettings>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <memory>

// The user's preferences over a registration domain. Values the user set live in QSettings (the XDG
// config folder, "orvanta/orvanta.conf"); every key the user has not set answers from the registered
// defaults. Folder locations are stored as file:// URL strings. Main thread only.
class UserDefaults {
public:
    // The application's defaults (organisation and application "Orvanta").
    static UserDefaults& standardUserDefaults();

    explicit UserDefaults(std::unique_ptr<QSettings> settings);

    void registerDefaults(const QVariantMap& defaults);
    QVariantMap registeredDefaults() const { return m_registered; }

    // The values "Restore Defaults" returns to; by default the registered ones.
    void setInitialValues(const QVariantMap& values) { m_initialValues = values; }
    QVariantMap initialValues() const { return m_initialValues; }
    // Sets each given key back to its initial value (or removes the user's value when it has none).
    void revertToInitialValues(const QStringList& keys);

    QVariant objectForKey(const QString& key) const;
    void setObject(const QVariant& value, const QString& key);
    void removeObjectForKey(const QString& key);

    // A URL stored as its string; nothing for a missing or empty value.
    QUrl URLForKey(const QString& key) const;
    void setURL(const QUrl& url, const QString& key);

    // Whether the settings file could be read; an unreadable file leaves only the registered defaults.
    bool settingsAreReadable() const;
    void synchronize();

private:
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
    QVariantMap m_initialValues;
};
