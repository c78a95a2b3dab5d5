// Files that change under an open playlist window, with real files, a real player and a real window: its
// playlist file written by others (the playlist tool meanwhile, a conflict with unsaved edits, a dynamic
// playlist that opens without rewriting its file), and clips that cannot play while a playlist loops
// (files deleted or damaged before their turn, a file deleted while it plays, every file gone, files that
// come back; the decision itself is a table in SequencingTest).
#include "platform/HeadlessPresenter.h"
#include "platform/PlayLog.h"
#include "platform/TypedNumber.h"
#include "platform/media/MpvPlayer.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"
#include "window/ClipTableModel.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSlider>
#include <QTableView>
#include <QTest>

#include <sys/stat.h>

namespace {

int runTool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ORVANTA_PLAYLIST_TOOL), arguments);
    return process.waitForFinished(30000) ? process.exitCode() : -1;
}

// The settings a playlist file holds, as the application reads them.
std::unique_ptr<OrvantaDocument> readBack(const QString& path) {
    auto document = std::make_unique<OrvantaDocument>();
    DocumentError error;
    EXPECT_TRUE(document->readFromURL(QUrl::fromLocalFile(path), QString(), &error))
        << error.localizedDescription.toStdString();
    return document;
}

// The lines of the play log that are of the event.
QList<QJsonObject> logLines(const QString& path, const QString& event) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QList<QJsonObject> lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (object.value("event").toString() == event)
            lines.append(object);
    }
    return lines;
}

class PlaylistFileChanges : public PlaylistWindowTest {
protected:
    // A standard playlist <name>.orvplaylist in its window, autosaving after the delay.
    OrvantaDocument* open(const QString& name, int autosaveDelay) {
        OrvantaWindowController* wc = PlaylistWindowTest::open(name, {"clip-1s.mp4", "clip-2s.mp4"});
        if (wc)
            wc->datasource()->setAutosaveDelay(autosaveDelay);
        return documentOf(wc);
    }
    template <typename Widget> static Widget* part(OrvantaDocument* document, const char* name) {
        return windowControllerOf(document)->window()->findChild<Widget*>(QString::fromLatin1(name));
    }
    QStringList conflictCopies() const {
        return QDir(dir.path()).entryList({QStringLiteral("* (conflict *).orvplaylist")}, QDir::Files);
    }
};

class FailedClipTest : public PlaylistWindowTest {
protected:
    void SetUp() override {
        PlayLog::OpenResult opened = PlayLog::open(path("play.log"));
        ASSERT_TRUE(opened) << opened.error.toStdString();
        log = std::move(opened.log);
        PlayLog::install(log.get());
    }
    void TearDown() override {
        PlaylistWindowTest::TearDown();
        PlayLog::install(nullptr);
    }

    // A looping playlist "show" of copies of the clip (show-c0.mp4, ...); before it opens, `before`
    // may remove some of them. Its transport events are recorded as "event row".
    OrvantaWindowController* open(int count, const std::function<void()>& before = {}) {
        const QUrl where =
            writeTestPlaylist(dir.path(), "show", QStringList(count, "clip-0.5s.mp4"),
                              [](PlaylistSettings& s) { s.setValue("looping", TypedNumber::integer(1)); });
        if (before)
            before();
        OrvantaWindowController* wc = where.isEmpty() ? nullptr : openURL(where);
        if (!wc || !wc->player())
            return nullptr;
        QObject::connect(
            wc->playback(), &PlaylistPlayback::transportEvent, wc,
            [this](const QString& event, int row) { events.append(event + ' ' + QString::number(row)); });
        QObject::connect(wc->playback(), &PlaylistPlayback::movieFailed, wc,
                         [this](int row) { events.append("movieFailed " + QString::number(row)); });
        return wc;
    }

    QString clipPath(int row) const { return path(QStringLiteral("show-c%1.mp4").arg(row)); }
    bool restore(int row) const {
        QFile::remove(clipPath(row));
        return QFile::copy(testMediaPath("clip-0.5s.mp4"), clipPath(row));
    }
    // Recorded events from `from` on that are `event`.
    int count(const QString& event, qsizetype from = 0) const { return int(events.mid(from).count(event)); }
    static QVariant cell(OrvantaWindowController* wc, int row, int role) {
        ClipTableModel* model = wc->clipsController()->model();
        return model->data(model->index(row, ClipTableModel::NameColumn), role);
    }

    std::unique_ptr<PlayLog> log;
    QStringList events;
};

} // namespace

TEST_F(PlaylistFileChanges, ToolChangesWhileTheWindowIsOpenAreReadAndKept) {
    const QString file = path("lobby.orvplaylist");
    OrvantaDocument* document = open("lobby", 50);
    ASSERT_NE(document, nullptr);
    QSignalSpy reloads(document, &OrvantaDocument::clipsChanged);
    // The show goes on: the clip playing stays, with the new settings.
    OrvantaWindowController* wc = windowControllerOf(document);
    wc->clipsController()->setSelectionIndexes({1});
    wc->play();
    WAIT_UNTIL(wc->isPlaying() && wc->currentMovie(), 5000);
    const std::shared_ptr<Movie> playing = wc->currentMovie();
    const QList<ClipRecordPtr> clips = document->clips();

    ASSERT_EQ(runTool({"set", file, "volume=0.5", "speed=1.5"}), 0);
    WAIT_EQ(document->settings()->volume(), 0.5f, 5000);
    EXPECT_EQ(document->settings()->speed(), 1.5f);
    EXPECT_EQ(part<QSlider>(document, "volume")->value(), 50);
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(document->clips(), clips);
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_EQ(wc->currentMovie(), playing);
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{1});
    EXPECT_EQ(playing->preferredRate(), 1.5f);
    EXPECT_EQ(playing->volume(), 0.5f);
    wc->stop();

    // An edit in the window is saved with the tool's settings, and the window's own save is no other
    // writer's change.
    part<QCheckBox>(document, "muted")->setChecked(true);
    WAIT_UNTIL(!document->isDocumentEdited(), 5000);
    QTest::qWait(500);
    const auto saved = readBack(file);
    EXPECT_EQ(saved->settings()->volume(), 0.5f);
    EXPECT_EQ(saved->settings()->speed(), 1.5f);
    EXPECT_TRUE(saved->settings()->muted());
    EXPECT_EQ(reloads.count(), 0);
    EXPECT_TRUE(presenter.fileConflictQuestions.isEmpty());

    // Each write replaced the file; the watch follows the file that has the name now.
    ASSERT_EQ(runTool({"set", file, "muted=false"}), 0);
    WAIT_UNTIL(!document->settings()->muted(), 5000);
    EXPECT_FALSE(part<QCheckBox>(document, "muted")->isChecked());
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(PlaylistFileChanges, AConflictWithUnsavedEditsAsksOrKeepsBothVersionsUnattended) {
    // Keeping mine when asked, with the question's copy: DocumentTest; unattended, mine is kept too.
    enum class Answer { TakeTheirs, Unattended };
    for (const Answer answer : {Answer::TakeTheirs, Answer::Unattended}) {
        SCOPED_TRACE(int(answer));
        const QString name = QStringLiteral("conflict%1").arg(int(answer));
        const QString file = path(name + ".orvplaylist");
        HeadlessPresenter headless;
        PlayLog::OpenResult log = PlayLog::open(dir.filePath(name + ".log"));
        ASSERT_TRUE(log);
        PlayLogPresenter logged(headless);
        // Put back however the round ends: a failed assertion must not leave these two installed.
        const auto restore = qScopeGuard([this] {
            Presenter::setShared(&presenter);
            PlayLog::install(nullptr);
        });
        if (answer == Answer::Unattended) {
            PlayLog::install(log.log.get());
            Presenter::setShared(&logged);
        }
        presenter.fileConflictAnswer = Presenter::FileConflictAnswer::TakeTheirs;

        // Edits wait for an autosave far off while the tool writes the file.
        OrvantaDocument* document = open(name, 60000);
        ASSERT_NE(document, nullptr);
        part<QCheckBox>(document, "muted")->setChecked(true);
        ASSERT_TRUE(document->isDocumentEdited());
        ASSERT_EQ(runTool({"set", file, "volume=0.5"}), 0);
        WAIT_UNTIL(!document->isDocumentEdited(), 5000);
        const auto onDisk = readBack(file);

        if (answer == Answer::TakeTheirs) {
            EXPECT_EQ(document->settings()->volume(), 0.5f);
            EXPECT_FALSE(part<QCheckBox>(document, "muted")->isChecked());
            EXPECT_EQ(onDisk->settings()->volume(), 0.5f);
            EXPECT_TRUE(conflictCopies().isEmpty());
            EXPECT_EQ(presenter.fileConflictQuestions.size(), 1);
        } else {
            // Mine is in the file; theirs beside it.
            EXPECT_TRUE(onDisk->settings()->muted());
            EXPECT_EQ(onDisk->settings()->volume(), 1.0f);
            ASSERT_EQ(conflictCopies().size(), 1) << conflictCopies().join(", ").toStdString();
            const QString copy = dir.filePath(conflictCopies().first());
            EXPECT_TRUE(copy.startsWith(dir.filePath(name + " (conflict "))) << copy.toStdString();
            const auto theirs = readBack(copy);
            EXPECT_EQ(theirs->settings()->volume(), 0.5f);
            EXPECT_FALSE(theirs->settings()->muted());
            EXPECT_EQ(logLines(dir.filePath(name + ".log"), "fileConflict").size(), 1);
            EXPECT_EQ(presenter.fileConflictQuestions.size(), 1); // nobody was asked this time
            QFile::remove(copy);
        }
        EXPECT_TRUE(presenter.alerts.isEmpty());
        document->close();
    }
}

TEST_F(PlaylistFileChanges, ADynamicPlaylistLeftAloneIsNotRewritten) {
    for (const char* clip : {"clip-1s.mp4", "clip-2s.mp4"})
        media(clip, QStringLiteral("source/") + clip);
    const QString file = path("lobby.orvdynamic");
    ASSERT_EQ(runTool({"new", "--dynamic", path("source"), "-o", file}), 0);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);

    // Opening rebuilds the clips from the folder, which the file does not hold: no change, nothing written.
    OrvantaDocument* document = documentOf(openURL(QUrl::fromLocalFile(file)));
    ASSERT_NE(document, nullptr);
    document->setAutosaveDelay(50);
    EXPECT_EQ(document->clips().size(), 2);
    EXPECT_FALSE(document->isDocumentEdited());
    QTest::qWait(300);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    // Read again after the tool changed it, it keeps the clips built from its folder.
    QSignalSpy clipsChanged(document, &OrvantaDocument::clipsChanged);
    ASSERT_EQ(runTool({"set", file, "speed=2.0"}), 0);
    WAIT_EQ(document->settings()->speed(), 2.0f, 5000);
    EXPECT_EQ(document->clips().size(), 2);
    EXPECT_EQ(part<QTableView>(document, "clipsTable")->model()->rowCount(), 2);
    EXPECT_EQ(clipsChanged.count(), 0);
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(FailedClipTest,
       ClipsGoneOrDamagedBeforeTheirTurnOrWhileTheyPlayAreSkippedLoggedGreyedAndPlayOnceBack) {
    // The second clip is prepared at open; the third and fourth are not touched before the second plays.
    OrvantaWindowController* wc = open(4);
    ASSERT_NE(wc, nullptr);
    ASSERT_TRUE(QFile::remove(clipPath(2)));
    // Damaged: the end of the file, which holds the movie's index, is cut off.
    QFile damaged(clipPath(3));
    ASSERT_TRUE(damaged.resize(damaged.size() * 2 / 5));

    wc->play();
    // Round after round the first two play and the others fail, each logged; neither becomes current.
    WAIT_UNTIL(count("movieFailed 2") >= 2 && count("movieFailed 3") >= 2 && count("selection 0") >= 2,
               PlayerWait)
        << events.join(", ").toStdString();
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_EQ(count("selection 2"), 0) << events.join(", ").toStdString();
    // A damaged file is found out only when the player reads it: on a slow machine that can be after its
    // turn came, and then it goes at once.
    for (qsizetype i = events.indexOf("selection 3"); i >= 0; i = events.indexOf("selection 3", i + 1))
        EXPECT_EQ(events.value(i + 1), QStringLiteral("movieFailed 3")) << events.join(", ").toStdString();
    for (int row : {2, 3}) {
        EXPECT_TRUE(cell(wc, row, Qt::ForegroundRole).isValid()) << row;
        EXPECT_TRUE(cell(wc, row, Qt::ToolTipRole)
                        .toString()
                        .startsWith("“" + clipPath(row) + "” could not be played: "))
            << cell(wc, row, Qt::ToolTipRole).toString().toStdString();
    }
    EXPECT_FALSE(cell(wc, 1, Qt::ForegroundRole).isValid());
    const QList<QJsonObject> failures = logLines(path("play.log"), "movieFailed");
    ASSERT_GE(failures.size(), 4);
    for (const QJsonObject& line : failures) {
        const int row = line.value("row").toInt(-1);
        EXPECT_TRUE(row == 2 || row == 3) << row;
        EXPECT_EQ(line.value("playlist").toString(), QStringLiteral("show"));
        EXPECT_EQ(line.value("clip").toString(), QStringLiteral("show-c%1.mp4").arg(row));
        EXPECT_EQ(line.value("path").toString(), clipPath(row));
        EXPECT_FALSE(line.value("message").toString().isEmpty());
    }

    // Back in place, both play when their turn comes, and are greyed no more.
    ASSERT_TRUE(restore(2) && restore(3));
    const qsizetype restored = events.size();
    WAIT_UNTIL(count("selection 2", restored) >= 1 && count("movieDidEnd 3", restored) >= 1, PlayerWait);
    EXPECT_FALSE(cell(wc, 2, Qt::ForegroundRole).isValid());
    EXPECT_FALSE(cell(wc, 3, Qt::ForegroundRole).isValid());
    EXPECT_EQ(cell(wc, 2, Qt::ToolTipRole).toString(), clipPath(2));

    // Deleted while it plays: its open file plays out; from the next round it fails and the third clip
    // follows the first.
    const qsizetype playing = events.size();
    WAIT_UNTIL(count("selection 1", playing) >= 1 && wc->player()->position() > 0.05, PlayerWait);
    ASSERT_TRUE(QFile::remove(clipPath(1)));
    const qsizetype deleted = events.size();
    WAIT_UNTIL(count("movieFailed 1", deleted) >= 1 && count("selection 2", deleted) >= 2, PlayerWait);
    const QStringList after = events.mid(deleted);
    EXPECT_LT(after.indexOf("movieDidEnd 1"), after.indexOf("movieFailed 1"))
        << after.join(", ").toStdString();
    EXPECT_EQ(after.indexOf("selection 2"), after.indexOf("movieDidEnd 1") + 1);
    EXPECT_EQ(count("selection 1", deleted), 0) << after.join(", ").toStdString();
    EXPECT_TRUE(wc->isPlaying());
}

TEST_F(FailedClipTest, WhenEveryClipIsGoneALoopingPlaylistStopsWithOneAlertAndAMissingClipThatCameBackPlays) {
    // The first clip is missing at open (its own alert); the others go before their turn.
    OrvantaWindowController* wc = open(3, [this] { QFile::remove(clipPath(0)); });
    ASSERT_NE(wc, nullptr);
    ASSERT_EQ(presenter.alerts.size(), 1);
    ASSERT_TRUE(QFile::remove(clipPath(1)) && QFile::remove(clipPath(2)));

    wc->play();
    WAIT_UNTIL(presenter.alerts.size() == 2, PlayerWait);
    EXPECT_EQ(wc->playback()->state(), PlaylistPlayback::State::Stopped);
    EXPECT_EQ(presenter.alerts[1].first, QStringLiteral("Playback Stopped"));
    EXPECT_EQ(presenter.alerts[1].second,
              QStringLiteral("None of the clips of this playlist could be played:\n\n%1\n%2\n%3")
                  .arg(clipPath(0), clipPath(1), clipPath(2)));
    EXPECT_EQ(count("movieFailed 1"), 1);
    EXPECT_EQ(count("movieFailed 2"), 1);
    // Nothing is tried again on its own: no busy loop.
    const qsizetype stopped = events.size();
    QTest::qWait(500);
    EXPECT_EQ(events.mid(stopped), QStringList()) << events.join(", ").toStdString();
    EXPECT_EQ(presenter.alerts.size(), 2);

    // The file missing at open is back: playing again reaches it, and it plays.
    ASSERT_TRUE(restore(0));
    wc->play();
    WAIT_UNTIL(count("selection 0", stopped) >= 1 && wc->player()->position() > 0.05, PlayerWait);
    EXPECT_TRUE(wc->isPlaying());
    EXPECT_EQ(wc->currentMovie(), wc->clipsController()->arrangedObjects().at(0)->movie);
    EXPECT_EQ(presenter.alerts.size(), 2);
}
