#include "support/TestEnvironment.h"

#include <QTemporaryDir>

void isolateUserConfiguration() {
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
}

ScopedEnvironment::ScopedEnvironment(const char* name, const QByteArray& value)
    : m_name(name)
    , m_old(qgetenv(name))
    , m_had(qEnvironmentVariableIsSet(name)) {
    qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (m_had)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
}
