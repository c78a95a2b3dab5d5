#include "app/DemoPlaylist.h"

#include "document/OrvantaDocument.h"
#include "platform/AppPaths.h"
#include "platform/Presenter.h"
#include "platform/TypedNumber.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>

namespace {

struct DemoClip {
    const char* name;
    const char* source; // an ffmpeg lavfi video source
    int tone;           // Hz
};

// Each clip is 6 s at 960x540, 25 frames a second, with a quiet tone.
constexpr DemoClip Clips[] = {
    {"01 Test Pattern.mp4", "testsrc2=s=960x540:r=25:d=6", 440},
    {"02 Colour Bars.mp4", "smptehdbars=s=960x540:r=25:d=6", 523},
    {"03 Mandelbrot.mp4", "mandelbrot=s=960x540:r=25,trim=duration=6", 659},
    {"04 Life.mp4",
     "life=s=960x540:r=25:mold=10:ratio=0.1:life_color=#f0c040:death_color=#402060,trim=duration=6", 784},
};

QString clipsFolder() {
    return DemoPlaylist::demoFolder() + QStringLiteral("/Clips");
}

// Answers why the clip could not be made, or nothing. whileWaiting answers true to stop the making.
QString makeClip(const QString& ffmpeg, const DemoClip& clip, const QString& target,
                 const std::function<bool()>& whileWaiting) {
    const QString partial = target + QStringLiteral(".part.mp4");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ffmpeg, {QStringLiteral("-nostdin"),
                           QStringLiteral("-hide_banner"),
                           QStringLiteral("-loglevel"),
                           QStringLiteral("error"),
                           QStringLiteral("-y"),
                           QStringLiteral("-f"),
                           QStringLiteral("lavfi"),
                           QStringLiteral("-i"),
                           QString::fromLatin1(clip.source),
                           QStringLiteral("-f"),
                           QStringLiteral("lavfi"),
                           QStringLiteral("-i"),
                           QStringLiteral("sine=f=%1:sample_rate=48000:d=6,volume=0.2").arg(clip.tone),
                           QStringLiteral("-c:v"),
                           QStringLiteral("libx264"),
                           QStringLiteral("-preset"),
                           QStringLiteral("veryfast"),
                           QStringLiteral("-pix_fmt"),
                           QStringLiteral("yuv420p"),
                           QStringLiteral("-c:a"),
                           QStringLiteral("aac"),
                           QStringLiteral("-shortest"),
                           partial});
    if (!process.waitForStarted(10000))
        return QStringLiteral("The ffmpeg program could not be started: %1.").arg(process.errorString());
    while (!process.waitForFinished(30)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (whileWaiting && whileWaiting()) {
            process.kill();
            process.waitForFinished(5000);
            QFile::remove(partial);
            return QStringLiteral("The demo was not finished.");
        }
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QFile::remove(partial);
        return QStringLiteral("ffmpeg could not make the demo clip “%1”: %2")
            .arg(QString::fromLatin1(clip.name), QString::fromLocal8Bit(process.readAll()).trimmed());
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target))
        return QStringLiteral("The demo clip “%1” could not be stored in %2.")
            .arg(QString::fromLatin1(clip.name), clipsFolder());
    return {};
}

// A demo playlist made before its folder moved (earlier versions kept it elsewhere) still names the
// old folder: it is pointed at the clips again, keeping the settings the user gave it.
QString pointAtClipsFolder(const QUrl& playlist) {
    OrvantaDocument document;
    DocumentError error;
    if (!document.readFromURL(playlist, OrvantaDocument::DynamicPlaylistType, &error))
        return error.localizedDescription;
    if (!document.isDynamicPlaylist() || document.dynamicSourceFolder().toLocalFile() == clipsFolder())
        return {};
    document.setDynamicSourceFolder(QUrl::fromLocalFile(clipsFolder()));
    if (!document.saveToURL(playlist, OrvantaDocument::DynamicPlaylistType, Document::SaveOperation::Save,
                            &error))
        return error.localizedDescription;
    return {};
}

} // namespace

QString DemoPlaylist::demoFolder() {
    return AppPaths::dataFolder() + QStringLiteral("/Demo");
}

QString DemoPlaylist::playlistPath() {
    return demoFolder() + QStringLiteral("/Orvanta Demo.orvdynamic");
}

int DemoPlaylist::clipCount() {
    return int(std::size(Clips));
}

DemoPlaylist::Result DemoPlaylist::prepare(const Progress& progress, const Cancelled& cancelled) {
    Result result;
    if (!QDir().mkpath(clipsFolder())) {
        result.error = QStringLiteral("The folder %1 could not be made.").arg(clipsFolder());
        return result;
    }
    QString ffmpeg;
    const auto stopped = [&] { return cancelled && cancelled(); };
    for (int i = 0; i < clipCount(); ++i) {
        if (progress)
            progress(i, clipCount());
        if (stopped()) {
            result.cancelled = true;
            return result;
        }
        const QString target = clipsFolder() + u'/' + QString::fromLatin1(Clips[i].name);
        if (QFileInfo(target).size() > 0)
            continue;
        if (ffmpeg.isEmpty())
            ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (ffmpeg.isEmpty()) {
            result.error = QStringLiteral("The demo makes its clips with the ffmpeg program, which is not "
                                          "installed. Install it (on Debian: sudo apt install ffmpeg) and "
                                          "start the demo again.");
            return result;
        }
        const QString problem = makeClip(ffmpeg, Clips[i], target, [&] {
            if (progress)
                progress(i, clipCount());
            return stopped();
        });
        if (stopped()) {
            result.cancelled = true;
            return result;
        }
        if (!problem.isEmpty()) {
            result.error = problem;
            return result;
        }
    }
    if (progress)
        progress(clipCount(), clipCount());

    const QUrl playlist = QUrl::fromLocalFile(playlistPath());
    if (QFileInfo::exists(playlistPath())) {
        result.error = pointAtClipsFolder(playlist);
        if (!result.error.isEmpty())
            return result;
    } else {
        DocumentError error;
        auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, &error);
        document->setIsDynamicPlaylist(true);
        document->setDynamicSourceFolder(QUrl::fromLocalFile(clipsFolder()));
        document->setIncludeSubdirectories(false);
        document->settings()->setValue(QStringLiteral("looping"), TypedNumber::integer(1));
        document->settings()->setValue(QStringLiteral("autoplay"), TypedNumber::boolean(true));
        document->setFileType(OrvantaDocument::DynamicPlaylistType);
        if (!document->saveToURL(playlist, OrvantaDocument::DynamicPlaylistType,
                                 Document::SaveOperation::SaveAs, &error)) {
            result.error = error.localizedDescription;
            return result;
        }
    }
    result.playlist = playlist;
    return result;
}

QUrl DemoPlaylist::prepareShowingProgress(const Cancelled& cancelled) {
    QProgressDialog dialog(QStringLiteral("Preparing the demo…"), QString(), 0, clipCount());
    dialog.setWindowTitle(QStringLiteral("Orvanta"));
    dialog.setMinimumDuration(300);
    dialog.setCancelButton(nullptr);
    const Result result = prepare(
        [&dialog](int done, int total) {
            dialog.setLabelText(QStringLiteral("Preparing the demo: making clip %1 of %2…")
                                    .arg(std::min(done + 1, total))
                                    .arg(total));
            dialog.setValue(done);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        },
        cancelled);
    dialog.reset();
    if (result.cancelled)
        return {};
    if (!result) {
        Presenter::shared().showAlert(QStringLiteral("The demo could not be prepared"), result.error);
        return {};
    }
    return result.playlist;
}
