// Runs of the real program ended while it plays; see QuitRuns.h.
#include "support/QuitRuns.h"

#include "document/OrvantaDocument.h"
#include "platform/TypedNumber.h"
#include "support/AppProcess.h"
#include "support/PlaylistFixture.h"
#include "support/PulseNullSink.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <iostream>

namespace {

// Milliseconds after main() began: before the window, in the first clip, around the clip changes at
// 3 s and 6 s (each clip plays 3 s).
constexpr int Moments[] = {0, 2950, 700, 3100, 1500, 6050, 250, 3300, 4400, 2200, 5900, 1100};
constexpr int QuitWithinMs = 3000;

int runsPerWay() {
    bool ok = false;
    const int runs = qEnvironmentVariableIntValue("ORVANTA_QUIT_RUNS", &ok);
    return ok && runs > 0 ? runs : 2;
}

// Both kinds of playlist, standard and dynamic, over three copies of a 3 s clip with sound, playing at
// once and looping.
std::array<QUrl, 2> writeShows(const QTemporaryDir& dir) {
    const auto looping = [](PlaylistSettings& settings) {
        settings.setValue("autoplay", TypedNumber::boolean(true));
        settings.setValue("looping", TypedNumber::integer(1));
    };
    const QString clip = "show-960x540-3s.mp4";
    for (int i = 0; i < 3; ++i)
        copyTestMedia(clip, dir.filePath(QString("folder/show-%1.mp4").arg(i)));
    return {
        writeTestPlaylist(dir.path(), "standard", {clip, clip, clip}, looping),
        writeDynamicTestPlaylist(dir.filePath("dynamic.orvdynamic"), dir.filePath("folder"), false, looping)};
}

// Why the playlist does not read back whole (empty when it does). A dynamic playlist quit before its
// first import ended still has the clips it was written with: none.
QString readBackProblem(const QUrl& playlist, bool dynamic) {
    OrvantaDocument document;
    DocumentError error;
    if (!document.readFromURL(
            playlist, dynamic ? OrvantaDocument::DynamicPlaylistType : OrvantaDocument::StandardPlaylistType,
            &error))
        return "the playlist does not read back: " + error.localizedDescription;
    const qsizetype clips = document.clips().size();
    if (document.isDynamicPlaylist() != dynamic || !document.settings()->autoplay() ||
        document.settings()->looping() != 1 || !(clips == 3 || (dynamic && clips == 0)))
        return QString("the playlist read back changed: %1 clips").arg(clips);
    return {};
}

struct Run {
    QuitWay way;
    bool offscreen, dynamic;
    int moment;
    QString pulseServer; // empty: no sound at all
    const PulseNullSink* sink = nullptr;
};

QString describe(const Run& run) {
    return QString("%1 %2, %3 playlist, %4, at %5 ms")
        .arg(run.offscreen ? "offscreen" : "OpenGL", run.way.name, run.dynamic ? "dynamic" : "standard",
             run.pulseServer.isEmpty() ? "no sound" : "PulseAudio null sink")
        .arg(run.moment);
}

// One run; answers what went wrong, or nothing. Audio probing messages on standard error go to noise.
QString quitOnce(const QString& binary, const QTemporaryDir& dir, const std::array<QUrl, 2>& shows,
                 const Run& run, QString& noise) {
    const QString other = qEnvironmentVariable("ORVANTA_QUIT_APP");
    AppProcess app(
        {other.isEmpty() ? binary : other, dir.filePath("home"), run.pulseServer, run.offscreen, {}});
    const QUrl playlist = shows[run.dynamic];
    if (!app.start({playlist.toLocalFile()}) || !app.waitForSignalHandlers(20000))
        return "did not start";
    if (run.sink && !QTest::qWaitFor([&] { return run.sink->sinkInputs() > 0; }, 20000))
        return "never played into the PulseAudio null sink";
    if (run.way.signal == 0) {
        // The Quit command's key, Ctrl+Q, in the playlist window.
        if (!app.waitForPlaylistWindow(15000))
            return "its playlist window never showed";
        QTest::qWait(run.moment);
        if (const QString problem = app.pressKeys("ctrl+q"); !problem.isEmpty())
            return problem;
    } else {
        QTest::qWait(run.moment);
        app.sendSignal(run.way.signal);
    }
    if (!app.waitForExit(QuitWithinMs)) {
        if (!app.isRunning())
            return "crashed: " + QString::fromLocal8Bit(app.standardError().right(2000));
        const QString stacks =
            qEnvironmentVariableIsSet("ORVANTA_QUIT_BACKTRACE") ? app.backtrace() : QString();
        return QString("still running %1 ms after it was asked to quit\n").arg(QuitWithinMs) + stacks;
    }
    if (app.exitCode() != 0)
        return QString("exit status %1: ").arg(app.exitCode()) +
               QString::fromLocal8Bit(app.standardError().right(2000));
    // Trying outputs that are not there is silent.
    const QByteArray& errors = app.standardError();
    if (errors.contains("ALSA lib") || errors.contains("pw.conf") || errors.contains("[ao"))
        noise = "audio probing on standard error: " + QString::fromLocal8Bit(errors.left(1000));
    return readBackProblem(playlist, run.dynamic);
}

} // namespace

void quitRepeatedly(const QString& binary, bool offscreen, const std::vector<QuitWay>& ways) {
    QTemporaryDir dir;
    const std::array<QUrl, 2> shows = writeShows(dir);
    ASSERT_FALSE(shows[0].isEmpty() || shows[1].isEmpty());
    PulseNullSink sink(dir.filePath("pulse"));
    if (!sink.isRunning())
        std::cout << "No PulseAudio server (scripts/install-deps installs it): every run without sound.\n";
    QStringList failures;
    int index = 0;
    for (const QuitWay& way : ways) {
        int failed = 0;
        int noisy = 0;
        for (int i = 0; i < runsPerWay(); ++i, ++index) {
            Run run{way, offscreen, i % 2 == 1, Moments[size_t(index) % std::size(Moments)], {}, nullptr};
            if (sink.isRunning() && (index / 2) % 2 == 1) {
                run.pulseServer = sink.server();
                run.sink = (index / 2) % 4 == 1 ? &sink : nullptr; // sometimes checked first, not always
            }
            QString noise;
            const QString problem = quitOnce(binary, dir, shows, run, noise);
            if (!problem.isEmpty()) {
                ++failed;
                failures.append(describe(run) + ": " + problem);
            }
            if (!noise.isEmpty()) {
                ++noisy;
                failures.append(describe(run) + ": " + noise);
            }
        }
        std::cout << (offscreen ? "offscreen " : "OpenGL ") << way.name << ": " << failed << " of "
                  << runsPerWay() << " runs did not end well, " << noisy << " printed audio probing\n";
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}
