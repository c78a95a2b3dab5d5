// The play log: the lines it writes, and whole unattended runs of the real program read through it.
#include "platform/PlayLog.h"
#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "platform/HeadlessPresenter.h"
#include "platform/TypedNumber.h"
#include "support/TestMedia.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {

QJsonObject parse(const QByteArray& line) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    return document.object();
}

// A playlist file of copies of the given clips with the given settings.
QString writePlaylist(const QTemporaryDir& dir, const QString& name, const QStringList& clips,
                      const std::function<void(PlaylistSettings&)>& settings) {
    QList<QUrl> urls;
    for (int i = 0; i < clips.size(); ++i) {
        const QString path = dir.filePath(QStringLiteral("%1-%2-%3").arg(name).arg(i).arg(clips[i]));
        EXPECT_TRUE(QFile::copy(testMediaPath(clips[i]), path));
        urls.append(QUrl::fromLocalFile(path));
    }
    auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
    ClipImporter importer({false, false, 1});
    document->setClips(importer.run(urls).importedClips);
    settings(*document->settings());
    DocumentError error;
    const QString file = dir.filePath(name + QStringLiteral(".orvplaylist"));
    EXPECT_TRUE(document->saveToURL(QUrl::fromLocalFile(file), OrvantaDocument::StandardPlaylistType,
                                    Document::SaveOperation::SaveAs, &error));
    return file;
}

// The program, offscreen and unattended, logging to standard output.
class AppRun {
public:
    AppRun(const QTemporaryDir& dir, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("ORVANTA_AUDIO", "null");
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(ORVANTA_APP_BINARY),
                        QStringList{"-platform", "offscreen", "--unattended", "--log", "-"} + arguments);
    }
    ~AppRun() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // Reads what has been logged so far.
    const QList<QJsonObject>& entries() {
        m_pending += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_entries.append(parse(m_pending.left(end)));
            m_pending.remove(0, end + 1);
        }
        return m_entries;
    }
    int count(const QString& event) {
        int n = 0;
        for (const QJsonObject& entry : entries())
            n += entry.value("event").toString() == event ? 1 : 0;
        return n;
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_pending;
    QList<QJsonObject> m_entries;
};

QStringList eventsOf(const QList<QJsonObject>& entries) {
    QStringList events;
    for (const QJsonObject& entry : entries)
        events.append(entry.value("event").toString());
    return events;
}

} // namespace

TEST(PlayLogLine, HoldsTheTimeThePlaylistTheEventAndTheClip) {
    PlayLog::Entry entry;
    entry.playlist = QStringLiteral("Lobby \"A\"");
    entry.event = QStringLiteral("selection");
    entry.row = 0;
    entry.clip = QStringLiteral("intro.mp4");
    entry.path = QStringLiteral("/media/intro.mp4");
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7, 89), Qt::UTC);
    const QJsonObject line = parse(PlayLog::line(entry, when));
    EXPECT_EQ(line.value("ts").toString(), QStringLiteral("2026-03-04T05:06:07.089Z"));
    EXPECT_EQ(line.value("playlist").toString(), QStringLiteral("Lobby \"A\""));
    EXPECT_EQ(line.value("event").toString(), QStringLiteral("selection"));
    EXPECT_EQ(line.value("row").toInt(-1), 0);
    EXPECT_EQ(line.value("clip").toString(), QStringLiteral("intro.mp4"));
    EXPECT_EQ(line.value("path").toString(), QStringLiteral("/media/intro.mp4"));
    EXPECT_FALSE(line.contains("message"));
    EXPECT_FALSE(PlayLog::line(entry, when).contains('\n'));

    PlayLog::Entry alert;
    alert.event = QStringLiteral("alert");
    alert.message = QStringLiteral("Missing Items");
    alert.informative = QStringLiteral("line one\nline two");
    const QJsonObject alertLine = parse(PlayLog::line(alert, when));
    EXPECT_EQ(alertLine.value("informative").toString(), QStringLiteral("line one\nline two"));
    EXPECT_FALSE(alertLine.contains("row"));
}

TEST(PlayLogLine, UnattendedSaveQuestionsKeepFilesAndLetUntitledDocumentsGo) {
    HeadlessPresenter presenter;
    EXPECT_EQ(presenter.askSaveChangesForDocument("a", true), Presenter::SaveChangesAnswer::Save);
    EXPECT_EQ(presenter.askSaveChangesForDocument("Untitled", false), Presenter::SaveChangesAnswer::DontSave);
    EXPECT_FALSE(presenter.runOpenPanel({}).accepted);
    EXPECT_FALSE(presenter.runSavePanel({}).has_value());
}

TEST(PlayLogRun, ALoopingPlaylistPlaysItsClipsInOrderUntilSigtermStopsIt) {
    QTemporaryDir dir;
    const QString playlist = writePlaylist(dir, "lobby", {"clip-0.5s.mp4", "clip-1s.mp4", "clip-0.5s.mp4"},
                                           [](PlaylistSettings& s) {
                                               s.setValue("autoplay", TypedNumber::boolean(true));
                                               s.setValue("looping", TypedNumber::integer(1));
                                           });
    AppRun run(dir, {playlist});
    ASSERT_TRUE(run.process().waitForStarted(10000));
    // Seven ends: more than two full rounds.
    ASSERT_TRUE(QTest::qWaitFor([&] { return run.count("movieDidEnd") >= 7; }, 60000))
        << eventsOf(run.entries()).join(' ').toStdString()
        << run.process().readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(run.process().processId()), SIGTERM);
    ASSERT_TRUE(run.process().waitForFinished(20000));
    EXPECT_EQ(run.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.process().exitCode(), 0);

    const QList<QJsonObject> entries = run.entries();
    const QStringList events = eventsOf(entries);
    ASSERT_GE(events.size(), 4);
    EXPECT_EQ(events.mid(0, 3), (QStringList{"windowDidLoad", "selection", "play"}));
    EXPECT_EQ(events.mid(events.size() - 2), (QStringList{"stop", "documentClosed"}));
    // Each end is of the selected clip, and the next selection follows it in order, round and round.
    int expectedRow = 0;
    int ends = 0;
    for (const QJsonObject& entry : entries) {
        EXPECT_EQ(entry.value("playlist").toString(), QStringLiteral("lobby"));
        EXPECT_TRUE(entry.value("ts").toString().endsWith('Z'));
        const QString event = entry.value("event").toString();
        if (event == QLatin1String("selection")) {
            EXPECT_EQ(entry.value("row").toInt(-1), expectedRow);
        } else if (event == QLatin1String("movieDidEnd")) {
            EXPECT_EQ(entry.value("row").toInt(-1), expectedRow);
            EXPECT_EQ(entry.value("clip").toString(),
                      QStringLiteral("lobby-%1-%2")
                          .arg(expectedRow)
                          .arg(expectedRow == 1 ? "clip-1s.mp4" : "clip-0.5s.mp4"));
            EXPECT_TRUE(entry.value("path").toString().startsWith(dir.path()));
            expectedRow = (expectedRow + 1) % 3;
            ++ends;
        }
    }
    EXPECT_GE(ends, 7);
    EXPECT_EQ(events.count("play"), 1);
    EXPECT_EQ(events.count("alert"), 0);
}

TEST(PlayLogRun, APlaylistThatClosesWhenFinishedPlaysOnceAndTheProgramQuits) {
    QTemporaryDir dir;
    const QString playlist =
        writePlaylist(dir, "show", {"clip-0.5s.mp4", "clip-0.5s.mp4"}, [](PlaylistSettings& s) {
            s.setValue("autoplay", TypedNumber::boolean(true));
            s.setValue("closeWhenFinished", TypedNumber::boolean(true));
        });
    AppRun run(dir, {"--quit-when-done", playlist});
    ASSERT_TRUE(run.process().waitForFinished(60000)) << eventsOf(run.entries()).join(' ').toStdString();
    EXPECT_EQ(run.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.process().exitCode(), 0);
    EXPECT_EQ(eventsOf(run.entries()), (QStringList{"windowDidLoad", "selection", "play", "movieDidEnd",
                                                    "selection", "movieDidEnd", "stop", "documentClosed"}));
}
