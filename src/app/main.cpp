#include "app/DemoPlaylist.h"
#include "app/OrvantaDocumentController.h"
#include "app/StartWindow.h"
#include "app/TerminationSignals.h"
#include "platform/HeadlessPresenter.h"
#include "platform/ui/WidgetPresenter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QSurfaceFormat>
#include <QUrl>
#include <clocale>
#include <memory>

int main(int argc, char** argv) {
    // Every video view shares one OpenGL context family; this must precede the application object.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QSurfaceFormat::setDefaultFormat(QSurfaceFormat::defaultFormat());
    QApplication app(argc, argv);
    // libmpv parses numbers with the C library: it needs the "C" numeric locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Orvanta"));
    QApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));
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
                                  QStringLiteral("Never wait for a person: alerts go to standard error and "
                                                 "questions are answered as cancelled."));
    parser.addOption(unattended);
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
    Presenter::setShared(presenter.get());

    int status = 0;
    {
        OrvantaDocumentController controller;
        StartWindow startWindow(&controller);
        // Asked to stop by the system: write what playlists have pending and quit without questions.
        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, [&controller] {
            controller.closeAllDocuments();
            QApplication::quit();
        });
        for (const QString& argument : parser.positionalArguments())
            controller.openDocumentPresentingErrors(
                QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath()));
        if (parser.isSet(demo) && parser.positionalArguments().isEmpty()) {
            const QUrl playlist = DemoPlaylist::prepareShowingProgress();
            if (!playlist.isEmpty())
                controller.openDocumentPresentingErrors(playlist);
        }
        startWindow.updateVisibility();
        status = app.exec();
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Presenter::setShared(nullptr);
    return status;
}
