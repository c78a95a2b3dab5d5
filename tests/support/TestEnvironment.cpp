#include "support/TestEnvironment.h"

#include <QTemporaryDir>

void isolateUserConfiguration() {
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
}
