#include "app/XWaylandPreference.h"

#include <QByteArray>

namespace XWaylandPreference {

bool wantsXcb(const QMap<QString, QString>& environment, const QStringList& arguments) {
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                         environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    if (!wayland || environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return false;
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return false;
    // Qt takes its own options with one dash or two.
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("-platform") || argument == QLatin1String("--platform"))
            return false;
    }
    return true;
}

void apply(int argc, char** argv) {
    QMap<QString, QString> environment;
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY", "QT_QPA_PLATFORM"}) {
        if (qEnvironmentVariableIsSet(name))
            environment.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
    }
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (wantsXcb(environment, arguments))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

} // namespace XWaylandPreference
