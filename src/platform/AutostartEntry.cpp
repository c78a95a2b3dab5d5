#include "platform/AutostartEntry.h"

#include "platform/documents/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace AutostartEntry {

namespace {

constexpr int MaximumNameLength = 64;
constexpr qint64 MaximumEntrySize = 64 * 1024;
const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

// A string value of a desktop entry: backslashes doubled and control characters as escapes.
QString escapeString(const QString& value) {
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            escaped += QStringLiteral("\\\\");
            break;
        case '\n':
            escaped += QStringLiteral("\\n");
            break;
        case '\t':
            escaped += QStringLiteral("\\t");
            break;
        case '\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString unescapeString(const QString& value) {
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's':
            plain += u' ';
            break;
        case 'n':
            plain += u'\n';
            break;
        case 't':
            plain += u'\t';
            break;
        case 'r':
            plain += u'\r';
            break;
        default:
            plain += next; // "\\" and, leniently, anything else
        }
    }
    return plain;
}

QString quoteArgument(const QString& argument) {
    QString quoted = argument;
    quoted.replace(u'%', QStringLiteral("%%"));
    const bool needsQuotes = argument.isEmpty() || std::any_of(argument.cbegin(), argument.cend(),
                                                               [](QChar c) { return Reserved.contains(c); });
    if (!needsQuotes)
        return quoted;
    QString inQuotes;
    for (const QChar c : std::as_const(quoted)) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            inQuotes += u'\\';
        inQuotes += c;
    }
    return u'"' + inQuotes + u'"';
}

} // namespace

QString safeName(const QString& playlistPath) {
    QString name;
    for (const QChar c : QFileInfo(playlistPath).completeBaseName()) {
        if (c.isLetterOrNumber() || c == u'_' || c == u'.')
            name += c;
        else if (!name.endsWith(u'-'))
            name += u'-';
    }
    // No hidden file, no name made of dots, no dangling dashes.
    while (name.startsWith(u'.') || name.startsWith(u'-'))
        name.remove(0, 1);
    name.truncate(MaximumNameLength);
    while (name.endsWith(u'-'))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("playlist") : name;
}

QString fileName(const QString& playlistPath, int candidate) {
    const QString suffix = candidate > 1 ? QStringLiteral("-%1").arg(candidate) : QString();
    return QStringLiteral("orvanta-%1%2.desktop").arg(safeName(playlistPath), suffix);
}

QString execValue(const QStringList& arguments) {
    QStringList quoted;
    for (const QString& argument : arguments)
        quoted.append(quoteArgument(argument));
    return escapeString(quoted.join(u' '));
}

std::optional<QStringList> execArguments(const QString& value) {
    const QString line = unescapeString(value);
    QStringList arguments;
    QString current;
    bool inArgument = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u' ') {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else if (c == u'%') {
            if (i + 1 == line.size() || line[i + 1] != u'%')
                return std::nullopt; // a field code: not a line of ours
            current += u'%';
            ++i;
            inArgument = true;
        } else if (c == u'"') {
            inArgument = true;
            for (++i;; ++i) {
                if (i >= line.size())
                    return std::nullopt; // unterminated
                if (line[i] == u'"')
                    break;
                if (line[i] == u'\\' && i + 1 < line.size())
                    ++i;
                if (line[i] == u'%' && i + 1 < line.size() && line[i + 1] == u'%')
                    ++i;
                current += line[i];
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(current);
    return arguments;
}

QByteArray text(const QString& program, const QString& playlistPath) {
    const QString name = QFileInfo(playlistPath).completeBaseName();
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Orvanta: %1\n"
                          "Comment=Plays the playlist at login\n"
                          "Exec=%2\n"
                          "Icon=orvanta\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(escapeString(name),
             execValue({program, QStringLiteral("--unattended"), QFileInfo(playlistPath).absoluteFilePath()}))
        .toUtf8();
}

QString playlistOf(const QByteArray& text) {
    bool inMainGroup = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(u'['))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.startsWith(QLatin1String("Exec="))) {
            const std::optional<QStringList> arguments = execArguments(line.mid(5));
            if (arguments && arguments->size() == 3 && arguments->at(1) == QLatin1String("--unattended"))
                return arguments->at(2);
            return {};
        }
    }
    return {};
}

QString defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString find(const QString& playlistPath, const QString& folder) {
    const QString wanted = QFileInfo(playlistPath).absoluteFilePath();
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("orvanta-*.desktop")}, QDir::Files, QDir::Name)) {
        const SafeFile::ReadResult read = SafeFile::read(dir.filePath(name), MaximumEntrySize);
        if (read && playlistOf(*read.data) == wanted)
            return dir.filePath(name);
    }
    return {};
}

QString install(const QString& program, const QString& playlistPath, const QString& folder) {
    QString path = find(playlistPath, folder);
    // Another playlist of the same name may own orvanta-<name>.desktop: the next free name is taken.
    for (int candidate = 1; path.isEmpty(); ++candidate) {
        const QString next = QDir(folder).filePath(fileName(playlistPath, candidate));
        if (!QFileInfo::exists(next))
            path = next;
    }
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder “%1” could not be made.").arg(folder);
    const SafeFile::WriteResult written = SafeFile::write(path, text(program, playlistPath));
    if (!written)
        return QStringLiteral("“%1” could not be written: %2.").arg(path, written.error);
    return {};
}

QString remove(const QString& playlistPath, const QString& folder) {
    for (QString path = find(playlistPath, folder); !path.isEmpty(); path = find(playlistPath, folder)) {
        QFile file(path);
        if (!file.remove())
            return QStringLiteral("“%1” could not be removed: %2.").arg(path, file.errorString());
    }
    return {};
}

} // namespace AutostartEntry
