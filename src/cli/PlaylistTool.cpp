#include "cli/PlaylistTool.h"

#include "cli/ExportCommand.h"
#include "cli/NewCommand.h"
#include "cli/RelinkCommand.h"
#include "cli/SetCommand.h"
#include "cli/ShowCommand.h"

#include <QCoreApplication>

namespace {

struct Command {
    const QString& name;
    QString (*help)();
    ExitStatus (*run)(const QStringList&, ToolContext&);
};

const Command* findCommand(const QString& name) {
    static const Command commands[] = {
        {ShowCommand::Name, &ShowCommand::help, &ShowCommand::run},
        {NewCommand::Name, &NewCommand::help, &NewCommand::run},
        {SetCommand::Name, &SetCommand::help, &SetCommand::run},
        {ExportCommand::Name, &ExportCommand::help, &ExportCommand::run},
        {RelinkCommand::Name, &RelinkCommand::help, &RelinkCommand::run},
    };
    for (const Command& command : commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

bool isHelpOption(const QString& argument) {
    return argument == u"--help" || argument == u"-h";
}

} // namespace

QString PlaylistTool::overview() {
    return QStringLiteral(
        "Usage: orvanta-playlist COMMAND [OPTIONS] [ARGUMENTS]\n"
        "\n"
        "Makes, inspects and changes Orvanta playlists without a display, for setting up many\n"
        "installations by script.\n"
        "\n"
        "Commands:\n"
        "  show [--json] FILE                Print a playlist as Orvanta opens it.\n"
        "  new [OPTIONS] -o FILE [PATH]...   Make a standard playlist of movies, or with\n"
        "                                    --dynamic FOLDER a dynamic playlist of a folder.\n"
        "  set FILE KEY=VALUE...             Change settings of a playlist, keeping the rest.\n"
        "  export [--format m3u|xspf] -o FILE PLAYLIST\n"
        "                                    Write a playlist as an M3U or XSPF list.\n"
        "  relink PLAYLIST FOLDER            Find the missing clips' movies in FOLDER.\n"
        "  help [COMMAND]                    Explain a command.\n"
        "\n"
        "Options:\n"
        "  -h, --help     Show this help.\n"
        "  --version      Show the version.\n"
        "\n"
        "Exit status: 0 on success, 1 when a command fails (a file missing, unreadable or not a\n"
        "playlist), 2 when the command line is wrong.\n");
}

ExitStatus PlaylistTool::run(const QStringList& arguments, ToolContext& context) {
    if (arguments.isEmpty()) {
        context.err() << "orvanta-playlist: no command given.\n\n" << overview();
        context.err().flush();
        return ExitStatus::Usage;
    }
    const QString& first = arguments.first();
    if (isHelpOption(first) ||
        (first == u"help" && (arguments.size() == 1 || isHelpOption(arguments.at(1))))) {
        context.out() << overview();
        context.out().flush();
        return ExitStatus::Success;
    }
    if (first == u"--version") {
        context.out() << ToolContext::ProgramName << ' ' << QCoreApplication::applicationVersion() << '\n';
        context.out().flush();
        return ExitStatus::Success;
    }
    if (first == u"help") {
        const Command* command = findCommand(arguments.at(1));
        if (!command || arguments.size() > 2) {
            context.err() << "orvanta-playlist help: “" << arguments.mid(1).join(u' ')
                          << "” is not a command; the commands are show, new, set, export and relink.\n";
            context.err().flush();
            return ExitStatus::Usage;
        }
        context.out() << command->help();
        context.out().flush();
        return ExitStatus::Success;
    }
    const Command* command = findCommand(first);
    if (!command) {
        context.err() << "orvanta-playlist: “" << first
                      << "” is not a command; the commands are show, new, set, export and relink.\n"
                      << "Try “orvanta-playlist --help”.\n";
        context.err().flush();
        return ExitStatus::Usage;
    }
    return command->run(arguments.mid(1), context);
}
