#include "platform/defaults/InitialUserDefaults.h"

#include "platform/defaults/XmlPropertyListReader.h"

#include <QFile>

QString registerInitialUserDefaults(UserDefaults& defaults, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    const XmlPropertyListResult result = readXmlPropertyListDictionary(file.read(1 << 20));
    defaults.registerDefaults(result.dictionary);
    defaults.setInitialValues(result.dictionary);
    return result.error.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(path, result.error);
}
