#include "cli/PlaylistTool.h"

#include <QCoreApplication>
#include <clocale>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setApplicationName(ToolContext::ProgramName);
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));

    QTextStream out(stdout);
    QTextStream err(stderr);
    ToolContext context(out, err);
    return int(PlaylistTool::run(QCoreApplication::arguments().mid(1), context));
}
