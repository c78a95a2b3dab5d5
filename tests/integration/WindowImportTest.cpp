// Import runs through a real playlist window: the add panel and its check box, the alerts a run shows
// and when, the run's one change, a dynamic playlist's folder, and a long run's progress. What a run
// walks and probes is tested without a window (ClipImporterTest).
#include "platform/defaults/UserDefaults.h"
#include "support/PlaylistWindows.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using WindowTest = PlaylistWindowTest;

// Takes away, for the threads this thread starts from now on, root's right to read any folder, so that
// a folder without permissions cannot be listed even when the tests run as root.
class WithoutFileReadOverride {
public:
    WithoutFileReadOverride() {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_active = ::syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~WithoutFileReadOverride() {
        if (m_active)
            ::syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_active = false;
};

QLabel* label(OrvantaWindowController* wc, const char* name) {
    return wc->window()->findChild<QLabel*>(name);
}

} // namespace

TEST_F(WindowTest, AFolderFollowsTheCheckBoxWhichStartsOnAndIsKept) {
    media("clip-1s.mp4", "show/A.mp4");
    media("clip-1s.mp4", "show/S/B.mp4");
    media("notes.txt", "show/T.txt");
    media("clip-1s.mp4", "show/Z.mp4");
    OrvantaWindowController* wc = openUntitled();
    ASSERT_NE(wc, nullptr);
    EXPECT_EQ(wc->openAccessoryViewController(), nullptr);
    UserDefaults& defaults = UserDefaults::standardUserDefaults();

    // Cancelled: nothing changes, the user defaults included.
    defaults.removeObjectForKey("importLocation");
    wc->addNewClips();
    imported(wc);
    EXPECT_TRUE(names(wc).isEmpty());
    EXPECT_TRUE(defaults.URLForKey("importLocation").isEmpty());
    ASSERT_EQ(presenter.openPanelRequests.size(), 1);
    const Presenter::OpenPanelRequest& request = presenter.openPanelRequests[0];
    EXPECT_TRUE(request.canChooseFiles && request.canChooseDirectories && request.allowsMultipleSelection);
    EXPECT_EQ(request.includeSubdirectoriesBox, std::optional<bool>(true));
    EXPECT_TRUE(request.nameFilters.value(0).contains("*.mp4"));

    // A folder named again inside the same run is walked once.
    presenter.openPanelAnswers.push_back(
        RecordingPresenter::chosen({url("show"), url("show/S")}, url(""), true));
    wc->addNewClips();
    imported(wc);
    EXPECT_EQ(names(wc), (QStringList{"A.mp4", "B.mp4", "Z.mp4"}));
    EXPECT_EQ(defaults.URLForKey("importLocation"), url(""));

    // Without subdirectories, added at the end.
    presenter.openPanelAnswers.push_back(RecordingPresenter::chosen({url("show")}, url("show"), false));
    wc->addNewClips();
    imported(wc);
    EXPECT_EQ(names(wc), (QStringList{"A.mp4", "B.mp4", "Z.mp4", "A.mp4", "Z.mp4"}));
    EXPECT_EQ(presenter.openPanelRequests.last().directoryURL, url(""));
    // The next panel shows the box as it was left.
    wc->addNewClips();
    imported(wc);
    EXPECT_EQ(presenter.openPanelRequests.last().includeSubdirectoriesBox, std::optional<bool>(false));
    EXPECT_EQ(defaults.URLForKey("importLocation"), url("show"));
    // Turned on in a panel that is then cancelled, the box stays on.
    Presenter::OpenPanelResult cancelled;
    cancelled.includeSubdirectories = true;
    presenter.openPanelAnswers.push_back(cancelled);
    wc->addNewClips();
    wc->addNewClips();
    EXPECT_EQ(presenter.openPanelRequests.last().includeSubdirectoriesBox, std::optional<bool>(true));

    EXPECT_FALSE(wc->importSpinner()->isVisible());
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(WindowTest, AnImportRunPlacesItsClipsThenReportsProtectedFilesThenFoldersItCouldNotList) {
    OrvantaWindowController* wc = open("import");
    OrvantaDocument* document = wc->datasource();
    QList<qsizetype> rowsAtAlert;
    presenter.onAlert = [&] { rowsAtAlert.append(wc->clipsController()->arrangedObjects().size()); };
    const QString first = media("protected-audio.mp4", "mixed/1 first protected.mp4").toLocalFile();
    media("clip-1s.mp4", "mixed/2 good.mp4");
    const QString second = media("protected-audio.mp4", "mixed/3 second protected.mp4").toLocalFile();
    media("clip-1s.mp4", "mixed/locked/hidden-away.mp4");
    media("clip-2s.mp4", "mixed/open/4 good.mp4");
    media("clip-1s.mp4", "locked2/c.mp4");
    const int before = document->changeCount();
    for (const char* folder : {"mixed/locked", "locked2"})
        ASSERT_TRUE(QFile::setPermissions(path(folder), QFile::Permissions()));
    {
        WithoutFileReadOverride unprivileged;
        presenter.openPanelAnswers.push_back(
            RecordingPresenter::chosen({url("mixed"), url("locked2")}, url(""), true));
        wc->addNewClips();
        imported(wc);
    }
    for (const char* folder : {"mixed/locked", "locked2"})
        QFile::setPermissions(path(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(names(wc), (QStringList{"2 good.mp4", "4 good.mp4"}));
    EXPECT_TRUE(wc->fileErrorOnImport());
    EXPECT_TRUE(wc->DRMClips().isEmpty());
    ASSERT_EQ(presenter.alerts.size(), 2);
    EXPECT_EQ(presenter.alerts[0],
              (QPair<QString, QString>{
                  "Digital Rights Managed",
                  "Orvanta may not be following files because they are protected by DRM.  These files have "
                  "been removed from your playlist:\n\n" +
                      first + u'\n' + second}));
    EXPECT_EQ(presenter.alerts[1],
              (QPair<QString, QString>{
                  "File Access Failure",
                  "Orvanta was not able to open one or more files that you requested, please check whether "
                  "you have proper access permissions and try again"}));
    EXPECT_EQ(rowsAtAlert, (QList<qsizetype>{2, 2})); // the good clips were in the table already
    EXPECT_EQ(document->changeCount(), before + 1);   // the run's clips are one undoable step

    // A run that adds nothing starts clean, shows no alert and changes nothing.
    wc->addClipsWithURLs({QUrl::fromLocalFile(testMediaPath("notes.txt")),
                          QUrl::fromLocalFile(testMediaPath("text.mp4")),
                          QUrl::fromLocalFile(testMediaPath("sound.mp3")), url("no such file.mp4")});
    imported(wc);
    EXPECT_EQ(names(wc).size(), 2);
    EXPECT_EQ(presenter.alerts.size(), 2);
    EXPECT_EQ(document->changeCount(), before + 1);
    EXPECT_FALSE(wc->fileErrorOnImport());
    EXPECT_FALSE(wc->importSpinner()->isVisible());
}

// A dynamic playlist is rebuilt from its folder, with or without its subfolders, when it opens and when
// its folder is changed.
TEST_F(WindowTest, ADynamicPlaylistIsRebuiltFromItsFolderAndANewFolderIsRemembered) {
    media("clip-1s.mp4", "first/a.mp4");
    media("clip-1s.mp4", "first/sub/b.mp4");
    media("notes.txt", "first/c.txt");
    media("clip-1s.mp4", "second/c.mp4");
    media("clip-1s.mp4", "second/sub/d.mp4");
    OrvantaWindowController* wc = openDynamic("d", "first", true);
    OrvantaDocument* document = wc->datasource();
    ASSERT_EQ(names(wc), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_EQ(document->changeCount(), 0); // the clips built from the folder are not saved: no change
    EXPECT_EQ(wc->infoTab()->currentIndex(), 0);
    EXPECT_EQ(label(wc, "subdirectoriesText")->text(), QStringLiteral("included"));
    EXPECT_EQ(wc->openAccessoryViewController(), nullptr); // the add panel's check box plays no part
    const auto oldMovie = document->clips()[0]->movie;

    wc->setSourceFolder(); // cancelled
    imported(wc);
    EXPECT_EQ(document->dynamicSourceFolder(), url("first"));
    const Presenter::OpenPanelRequest& request = presenter.openPanelRequests.last();
    EXPECT_FALSE(request.canChooseFiles || request.allowsMultipleSelection);
    EXPECT_TRUE(request.canChooseDirectories);
    EXPECT_EQ(request.includeSubdirectoriesBox, std::optional<bool>(true));

    const int before = document->changeCount();
    presenter.openPanelAnswers.push_back(RecordingPresenter::chosen({url("second")}, url(""), false));
    wc->setSourceFolder();
    imported(wc);
    EXPECT_EQ(names(wc), QStringList{"c.mp4"});
    EXPECT_NE(document->clips()[0]->movie, oldMovie);
    EXPECT_EQ(document->dynamicSourceFolder(), url("second"));
    EXPECT_FALSE(document->includeSubdirectories());
    EXPECT_GT(document->changeCount(), before);
    EXPECT_EQ(UserDefaults::standardUserDefaults().URLForKey("dynamicFolderLocation"), url(""));
    EXPECT_EQ(label(wc, "sourceFolderText")->text(), path("second"));
    EXPECT_EQ(label(wc, "subdirectoriesText")->text(), QStringLiteral("not included"));

    // The next dynamic playlist's panel starts where this one was.
    controller.newDynamicPlaylistDocument();
    EXPECT_EQ(presenter.openPanelRequests.last().directoryURL, url(""));
}
