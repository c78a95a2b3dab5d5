#pragma once

#include "cli/ExitStatus.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

// The two output streams of one run of the tool, and the messages every command writes the same way.
class ToolContext {
public:
    static const QString ProgramName; // "orvanta-playlist"

    ToolContext(QTextStream& out, QTextStream& err)
        : m_out(out)
        , m_err(err) {}

    QTextStream& out() { return m_out; }
    QTextStream& err() { return m_err; }

    // "orvanta-playlist COMMAND: MESSAGE" and a pointer to the command's help; answers ExitStatus::Usage.
    ExitStatus usageError(const QString& command, const QString& message);
    // "orvanta-playlist: MESSAGE"; answers ExitStatus::Failure.
    ExitStatus failure(const QString& message);
    // "orvanta-playlist: warning: MESSAGE"; the command goes on.
    void warning(const QString& message);
    // What an import run met that a person should know: protected movies, which were left out, and
    // folders that could not be listed.
    void reportImportProblems(const QStringList& protectedPaths, bool folderNotListed);

    // Parses a command's arguments (without the command's name). Answers the status to exit with when
    // the command must stop here: after a usage error, or after writing the help the user asked for.
    std::optional<ExitStatus> parseArguments(QCommandLineParser& parser, const QString& command,
                                             const QStringList& arguments, const QString& help);

private:
    QTextStream& m_out;
    QTextStream& m_err;
};
