#pragma once

#include <QByteArray>

// Points the user's configuration (XDG_CONFIG_HOME) at a fresh temporary folder for this process, so
// tests never read or write the real preferences. Call before the application object exists.
void isolateUserConfiguration();

// Sets an environment variable for the life of the object, then restores what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};
