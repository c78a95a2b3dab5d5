#include "cli/ToolContext.h"

const QString ToolContext::ProgramName = QStringLiteral("orvanta-playlist");

ExitStatus ToolContext::usageError(const QString& command, const QString& message) {
    m_err << ProgramName << ' ' << command << ": " << message << '\n'
          << "Try “" << ProgramName << " help " << command << "”.\n";
    m_err.flush();
    return ExitStatus::Usage;
}

ExitStatus ToolContext::failure(const QString& message) {
    m_err << ProgramName << ": " << message << '\n';
    m_err.flush();
    return ExitStatus::Failure;
}

void ToolContext::warning(const QString& message) {
    m_err << ProgramName << ": warning: " << message << '\n';
    m_err.flush();
}

void ToolContext::reportImportProblems(const QStringList& protectedPaths, bool folderNotListed) {
    if (!protectedPaths.isEmpty()) {
        m_err << ProgramName << ": these files are protected by DRM and were left out:\n";
        for (const QString& path : protectedPaths)
            m_err << "  " << path << '\n';
    }
    if (folderNotListed)
        warning(QStringLiteral("one or more folders could not be listed; check their access permissions."));
    m_err.flush();
}

std::optional<ExitStatus> ToolContext::parseArguments(QCommandLineParser& parser, const QString& command,
                                                      const QStringList& arguments, const QString& help) {
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help."));
    parser.addOption(helpOption);
    if (!parser.parse(QStringList{ProgramName + u' ' + command} + arguments))
        return usageError(command, parser.errorText());
    if (parser.isSet(helpOption)) {
        m_out << help;
        m_out.flush();
        return ExitStatus::Success;
    }
    return std::nullopt;
}
