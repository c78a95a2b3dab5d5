#include "platform/defaults/UserDefaults.h"

#include "platform/AppPaths.h"

UserDefaults& UserDefaults::standardUserDefaults() {
    static UserDefaults defaults(std::make_unique<QSettings>(AppPaths::settingsFile(), QSettings::IniFormat));
    return defaults;
}

UserDefaults::UserDefaults(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings)) {}

void UserDefaults::registerDefaults(const QVariantMap& defaults) {
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        m_registered.insert(it.key(), it.value());
}

void UserDefaults::revertToInitialValues(const QStringList& keys) {
    for (const QString& key : keys) {
        if (m_initialValues.contains(key))
            setObject(m_initialValues.value(key), key);
        else
            removeObjectForKey(key);
    }
}

QVariant UserDefaults::objectForKey(const QString& key) const {
    if (settingsAreReadable() && m_settings->contains(key))
        return m_settings->value(key);
    return m_registered.value(key);
}

void UserDefaults::setObject(const QVariant& value, const QString& key) {
    m_settings->setValue(key, value);
    m_settings->sync();
}

void UserDefaults::removeObjectForKey(const QString& key) {
    m_settings->remove(key);
    m_settings->sync();
}

QUrl UserDefaults::URLForKey(const QString& key) const {
    const QString text = objectForKey(key).toString();
    if (text.isEmpty())
        return QUrl();
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

void UserDefaults::setURL(const QUrl& url, const QString& key) {
    if (url.isEmpty())
        removeObjectForKey(key);
    else
        setObject(url.toString(QUrl::FullyEncoded), key);
}

bool UserDefaults::settingsAreReadable() const {
    return m_settings->status() != QSettings::AccessError;
}

void UserDefaults::synchronize() {
    m_settings->sync();
}
