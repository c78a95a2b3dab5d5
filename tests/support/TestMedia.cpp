#include "support/TestMedia.h"

#include <QDir>

QString testMediaPath(const QString& name) {
    return QDir(qEnvironmentVariable("ORVANTA_TEST_MEDIA")).filePath(name);
}

QString sharedPath(const QString& name) {
    return QDir(qEnvironmentVariable("ORVANTA_SHARED_DIR")).filePath(name);
}
