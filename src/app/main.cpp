#include "app/ApplicationTermination.h"
#include "app/DemoPlaylist.h"
#include "app/OrvantaDocumentController.h"
#include "app/StartWindow.h"
#include "app/TerminationSignals.h"
#include "app/XWaylandPreference.h"
#include "app/mpris/MprisService.h"
#include "platform/AppPaths.h"
#include "platform/HeadlessPresenter.h"
#include "platform/PlayLog.h"
#include "platform/media/AudioOutputs.h"
#include "platform/ui/WidgetPresenter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QSurfaceFormat>
#include <QTimer>
#include <QUrl>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    // The version is answered without a window system too (a console, a package's smoke test); Qt's
    // application object would need a display first.
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::printf("Orvanta %s\n", ORVANTA_VERSION);
        return 0;
    }
    // First of all: a signal while the program starts must end it, not kill it or be lost.
    TerminationSignals::install();
    // Sets the environment the sound libraries read, before any thread could read it at the same time.
    AudioOutputs::quietProbing();
    // Every video view shares one OpenGL context family; this must precede the application object.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QSurfaceFormat::setDefaultFormat(QSurfaceFormat::defaultFormat());
    // Output frames need a platform that places windows: XWayland rather than Wayland where both exist.
    XWaylandPreference::apply(argc, argv);
    QApplication app(argc, argv);
    // libmpv parses numbers with the C library: it needs the "C" numeric locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Orvanta"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));
    // Before anything reads the preferences or the data folder.
    for (const QString& problem : AppPaths::adoptEarlierLocations())
        std::fprintf(stderr, "orvanta: %s\n", qPrintable(problem));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/orvanta.svg")));
    QApplication::setDesktopFileName(QStringLiteral("orvanta"));
    // Playlists close and reopen; the start window carries the application while none is open.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Orvanta plays playlists of movie files on a chosen display."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption unattended(QStringLiteral("unattended"),
                                  QStringLiteral("Never wait for a person: alerts go to standard error, file "
                                                 "panels are cancelled, changes are saved to playlists that "
                                                 "have a file and let go for untitled ones."));
    parser.addOption(unattended);
    QCommandLineOption log(QStringLiteral("log"),
                           QStringLiteral("Write one JSON line per transport event to FILE (- for standard "
                                          "output)."),
                           QStringLiteral("FILE"));
    parser.addOption(log);
    QCommandLineOption quitWhenDone(QStringLiteral("quit-when-done"),
                                    QStringLiteral("Quit when no playlist is open any more."));
    parser.addOption(quitWhenDone);
    QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("When no playlist is given: open the built-in demo playlist, making its "
                       "clips first if needed (needs the ffmpeg program)."));
    parser.addOption(demo);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Playlists to open."),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);

    std::unique_ptr<Presenter> presenter;
    if (parser.isSet(unattended))
        presenter = std::make_unique<HeadlessPresenter>();
    else
        presenter = std::make_unique<WidgetPresenter>();
    std::unique_ptr<PlayLog> playLog;
    std::unique_ptr<Presenter> loggingPresenter;
    if (parser.isSet(log)) {
        PlayLog::OpenResult opened = PlayLog::open(parser.value(log));
        if (!opened) {
            std::fprintf(stderr, "orvanta: %s\n", qPrintable(opened.error));
            return 2;
        }
        playLog = std::move(opened.log);
        PlayLog::install(playLog.get());
        loggingPresenter = std::make_unique<PlayLogPresenter>(*presenter);
    }
    Presenter::setShared(loggingPresenter ? loggingPresenter.get() : presenter.get());

    int status = 0;
    {
        OrvantaDocumentController controller;
        StartWindow startWindow(&controller);
        // Asked to stop by the system (or, unattended, by the Quit command): write what playlists have
        // pending and end without questions, at any moment.
        ApplicationTermination termination(controller, parser.isSet(unattended));
        TerminationSignals signalNotifier;
        QObject::connect(&signalNotifier, &TerminationSignals::terminationRequested, &termination,
                         &ApplicationTermination::request);
        if (parser.isSet(unattended))
            controller.setQuitHandler([&termination] { termination.request(); });
        // Media keys, playerctl and remote scripts reach the playlists over MPRIS on the session bus.
        MprisService mpris(controller);

        // Each step of the start can take long (a dynamic playlist's import, the demo's clips); a request
        // made meanwhile cancels it and skips the rest.
        for (const QString& argument : parser.positionalArguments()) {
            if (termination.isRequested())
                break;
            controller.openDocumentPresentingErrors(
                QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath()));
        }
        if (parser.isSet(demo) && parser.positionalArguments().isEmpty() && !termination.isRequested()) {
            const QUrl playlist =
                DemoPlaylist::prepareShowingProgress([&termination] { return termination.isRequested(); });
            if (!playlist.isEmpty() && !termination.isRequested())
                controller.openDocumentPresentingErrors(playlist);
        }
        if (termination.isRequested()) {
            status = termination.closeEverything();
        } else {
            startWindow.updateVisibility();
            if (parser.isSet(quitWhenDone)) {
                auto quitIfDone = [&controller] {
                    if (!controller.hasOpenDocuments())
                        QApplication::quit();
                };
                QObject::connect(&controller, &DocumentController::documentsChanged, &app, quitIfDone,
                                 Qt::QueuedConnection);
                QTimer::singleShot(0, &app, quitIfDone);
            }
            termination.mainLoopWillRun();
            status = app.exec();
            // Whatever is still open (nothing, after a Quit command) closes as a signal would close it.
            const int closing = termination.closeEverything();
            if (status == 0)
                status = closing;
        }
        // The closed documents go now, with their windows and players, while the application exists.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Presenter::setShared(nullptr);
    PlayLog::install(nullptr);
    return status;
}
