// An open playlist window and other writers of its file: the playlist tool changing it meanwhile, a
// conflict with unsaved edits, and a dynamic playlist that opens without rewriting its file.
#include "platform/HeadlessPresenter.h"
#include "platform/PlayLog.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"

#include <QCheckBox>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>
#include <QTableView>

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
            QFile logFile(dir.filePath(name + ".log"));
            ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
            EXPECT_TRUE(logFile.readAll().contains("\"event\":\"fileConflict\"")) << name.toStdString();
            EXPECT_EQ(presenter.fileConflictQuestions.size(), 1); // nobody was asked this time
            QFile::remove(copy);
        }
        EXPECT_TRUE(presenter.alerts.isEmpty());
        document->close();
        Presenter::setShared(&presenter);
        PlayLog::install(nullptr);
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
