// The playlist window with real widgets and real movies: start-up, import runs, removal, the source
// folder, change tracking, validation and tear-down.
#include "app/OrvantaDocumentController.h"
#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "platform/defaults/UserDefaults.h"
#include "platform/notifications/NotificationCenter.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "window/ClipTableModel.h"
#include "window/ClipsController.h"
#include "window/OrvantaWindowController.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Alerts are recorded with what the table showed when each appeared.
class WindowPresenter : public RecordingPresenter {
public:
    void showAlert(const QString& messageText, const QString& informativeText) override {
        rowsAtAlert.append(watched ? watched->clipsController()->arrangedObjects().size() : -1);
        RecordingPresenter::showAlert(messageText, informativeText);
    }
    OrvantaWindowController* watched = nullptr;
    QList<qsizetype> rowsAtAlert;
};

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

QStringList names(const QList<ClipRecordPtr>& clips) {
    QStringList list;
    for (const auto& clip : clips)
        list.append(clip->name);
    return list;
}

void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

OrvantaWindowController* windowControllerOf(Document* document) {
    if (!document || document->windowControllers().empty())
        return nullptr;
    return dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
}

class WindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        controller.closeAllDocuments();
        processDeferredDeletes();
    }

    // A copy of a test movie at a path below the temporary folder.
    QString media(const QString& from, const QString& to) {
        const QString path = dir.filePath(to);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(testMediaPath(from), path)) << path.toStdString();
        return path;
    }
    QUrl url(const QString& relative) { return QUrl::fromLocalFile(dir.filePath(relative)); }

    // Saves a playlist file and opens it as the application does.
    OrvantaDocument* openPlaylist(const QString& file, bool dynamic, const QList<QUrl>& clips,
                                  const QUrl& folder = {}, bool includeSubdirectories = false,
                                  const std::function<void(PlaylistSettings&)>& settings = {}) {
        auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
        document->setIsDynamicPlaylist(dynamic);
        if (dynamic) {
            document->setDynamicSourceFolder(folder);
            document->setIncludeSubdirectories(includeSubdirectories);
        } else {
            ClipImporter importer({false, false, 1});
            document->setClips(importer.run(clips).importedClips);
        }
        if (settings)
            settings(*document->settings());
        const QString type =
            dynamic ? OrvantaDocument::DynamicPlaylistType : OrvantaDocument::StandardPlaylistType;
        DocumentError error;
        const QUrl where = url(file);
        EXPECT_TRUE(document->saveToURL(where, type, Document::SaveOperation::SaveAs, &error))
            << error.localizedDescription.toStdString();
        auto* opened =
            qobject_cast<OrvantaDocument*>(controller.openDocumentWithContentsOfURL(where, true, &error));
        EXPECT_NE(opened, nullptr) << error.localizedDescription.toStdString();
        if (dynamic && opened)
            imported(windowControllerOf(opened));
        return opened;
    }
    // Imports run in the background; their clips are placed from the event loop.
    static void imported(OrvantaWindowController* wc) {
        EXPECT_TRUE(QTest::qWaitFor([wc] { return !wc->isImporting(); }, 30000));
    }

    // A standard playlist opened from a file with clips c0..c(n-1).
    OrvantaDocument* standardWithClips(int count) {
        QList<QUrl> clips;
        for (int i = 0; i < count; ++i)
            clips.append(
                QUrl::fromLocalFile(media("clip-1s.mp4", QStringLiteral("existing/c%1.mp4").arg(i))));
        return openPlaylist(QStringLiteral("standard.orvplaylist"), false, clips);
    }

    QTemporaryDir dir;
    WindowPresenter presenter;
    OrvantaDocumentController controller;
};

Presenter::OpenPanelResult chosen(const QList<QUrl>& urls, const QUrl& directory,
                                  bool includeSubdirectories) {
    Presenter::OpenPanelResult result;
    result.accepted = true;
    result.urls = urls;
    result.directoryURL = directory;
    result.includeSubdirectories = includeSubdirectories;
    return result;
}

} // namespace

TEST_F(WindowTest, AStandardPlaylistOpensWithItsClipsTitleAndNoChanges) {
    OrvantaDocument* document = standardWithClips(3);
    ASSERT_NE(document, nullptr);
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    QMainWindow* window = wc->window();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Standard Playlist:  standard[*]"));
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(document->changeCount(), 0);
    EXPECT_EQ(wc->infoTab()->currentIndex(), 1);
    EXPECT_TRUE(wc->isPreviewPlayback());
    EXPECT_FALSE(wc->isPlaying());
    EXPECT_TRUE(wc->allowedTypes().contains("video/mp4"));
    EXPECT_FALSE(wc->allowedTypes().contains("audio/mpeg"));
    EXPECT_TRUE(presenter.alerts.isEmpty());

    QTableView* table = wc->clipsTable();
    ASSERT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(table->model()->index(1, ClipTableModel::NameColumn).data().toString(), "c1.mp4");
    EXPECT_EQ(table->model()->index(1, ClipTableModel::DurationColumn).data().toString().left(8), "00:00:01");
    EXPECT_EQ(wc->totalTimeText()->text().left(19), QStringLiteral("Total Time:  0:00:0"));
    EXPECT_EQ(wc->clipsController()->selectionIndexes(), QList<int>{0});
    EXPECT_EQ(wc->timeDisplay()->text(), QStringLiteral("00:00:00.000"));
    // The preview area is an empty black container for the movie view.
    EXPECT_EQ(wc->previewMovieView()->palette().color(QPalette::Window), QColor(Qt::black));
}

TEST_F(WindowTest, PostersArePaintedInTheTable) {
    media("clip-2s.mp4", "posters/a.mp4");
    media("clip-0.5s.mp4", "posters/b.mp4");
    controller.newStandardPlaylistDocument();
    auto* document = qobject_cast<OrvantaDocument*>(controller.documents().last());
    OrvantaWindowController* wc = windowControllerOf(document);
    wc->addClipsWithURLs({url("posters/a.mp4"), url("posters/b.mp4")});
    imported(wc);
    QTableView* table = wc->clipsTable();
    wc->clipsController()->setSelectionIndexes({});
    EXPECT_TRUE(QTest::qWaitForWindowExposed(wc->window()));
    const QImage shot = table->viewport()->grab().toImage();
    auto distinctColours = [&](int row) {
        const QRect cell = table->visualRect(table->model()->index(row, ClipTableModel::PosterColumn));
        QSet<QRgb> colours;
        for (int y = cell.top() + 6; y < cell.bottom() - 6; y += 2)
            for (int x = cell.left() + 8; x < cell.right() - 8; x += 2)
                colours.insert(shot.pixel(x, y));
        return colours.size();
    };
    // A frame of the test pattern is colourful; the missing-item picture is a picture too.
    EXPECT_GT(distinctColours(0), 20);
    EXPECT_GT(distinctColours(1), 3);
    EXPECT_EQ(document->clips()[1]->posterImage.kind, PosterImage::Kind::MissingItem);
}

TEST_F(WindowTest, AFolderFollowsTheCheckBoxWhichStartsOnAndIsKept) {
    media("clip-1s.mp4", "show/A.mp4");
    media("clip-1s.mp4", "show/S/B.mp4");
    media("notes.txt", "show/T.txt");
    media("clip-1s.mp4", "show/Z.mp4");
    controller.newStandardPlaylistDocument();
    auto* document = qobject_cast<OrvantaDocument*>(controller.documents().last());
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_NE(wc, nullptr);
    EXPECT_EQ(wc->openAccessoryViewController(), nullptr);

    // Cancelled: nothing changes, the user defaults included.
    UserDefaults::standardUserDefaults().removeObjectForKey("importLocation");
    wc->addNewClips();
    imported(wc);
    EXPECT_TRUE(document->clips().isEmpty());
    EXPECT_TRUE(UserDefaults::standardUserDefaults().URLForKey("importLocation").isEmpty());
    ASSERT_EQ(presenter.openPanelRequests.size(), 1);
    const Presenter::OpenPanelRequest& request = presenter.openPanelRequests[0];
    EXPECT_TRUE(request.canChooseFiles && request.canChooseDirectories && request.allowsMultipleSelection);
    EXPECT_EQ(request.includeSubdirectoriesBox, std::optional<bool>(true));
    EXPECT_TRUE(request.nameFilters.value(0).contains("*.mp4"));

    presenter.openPanelAnswers.push_back(chosen({url("show")}, QUrl::fromLocalFile(dir.path()), true));
    wc->addNewClips();
    imported(wc);
    EXPECT_EQ(names(document->clips()), (QStringList{"A.mp4", "B.mp4", "Z.mp4"}));
    EXPECT_EQ(UserDefaults::standardUserDefaults().URLForKey("importLocation"),
              QUrl::fromLocalFile(dir.path()));

    presenter.openPanelAnswers.push_back(chosen({url("show")}, url("show"), false));
    wc->addNewClips();
    imported(wc);
    EXPECT_EQ(names(document->clips()), (QStringList{"A.mp4", "B.mp4", "Z.mp4", "A.mp4", "Z.mp4"}));
    EXPECT_EQ(presenter.openPanelRequests.last().directoryURL, QUrl::fromLocalFile(dir.path()));
    // The next panel shows the box as it was left.
    wc->addNewClips();
    imported(wc);
    EXPECT_EQ(presenter.openPanelRequests.last().includeSubdirectoriesBox, std::optional<bool>(false));
    EXPECT_EQ(UserDefaults::standardUserDefaults().URLForKey("importLocation"), url("show"));
    EXPECT_TRUE(presenter.alerts.isEmpty());
}

TEST_F(WindowTest, HiddenFilesAreSkippedInFoldersAndAddedWhenNamed) {
    media("clip-1s.mp4", "h/.hidden.mp4");
    media("clip-1s.mp4", "h/seen.mp4");
    media("clip-1s.mp4", "h/.hidden-folder/inside.mp4");
    OrvantaDocument* document = standardWithClips(0);
    OrvantaWindowController* wc = windowControllerOf(document);
    wc->addClipsWithURLs({url("h")});
    imported(wc);
    EXPECT_EQ(names(document->clips()), QStringList{"seen.mp4"});
    wc->addClipsWithURLs({url("h/.hidden.mp4")});
    imported(wc);
    EXPECT_EQ(names(document->clips()), (QStringList{"seen.mp4", ".hidden.mp4"}));
}

TEST_F(WindowTest, ADynamicPlaylistIsRebuiltFromItsFolderByItsRecursionFlag) {
    media("clip-1s.mp4", "dyn/a.mp4");
    media("clip-1s.mp4", "dyn/sub/b.mp4");
    media("notes.txt", "dyn/c.txt");
    OrvantaDocument* flat = openPlaylist("flat.orvdynamic", true, {}, url("dyn"), false);
    ASSERT_NE(flat, nullptr);
    OrvantaWindowController* wc = windowControllerOf(flat);
    EXPECT_EQ(names(flat->clips()), QStringList{"a.mp4"});
    EXPECT_EQ(wc->window()->windowTitle(), QStringLiteral("Dynamic Playlist:  flat[*]"));
    EXPECT_TRUE(wc->window()->isWindowModified());
    EXPECT_EQ(flat->changeCount(), 1); // the rebuild's one change
    EXPECT_EQ(wc->infoTab()->currentIndex(), 0);
    EXPECT_EQ(wc->window()->findChild<QLabel*>("sourceFolderText")->text(), dir.filePath("dyn"));
    EXPECT_EQ(wc->window()->findChild<QLabel*>("subdirectoriesText")->text(), QStringLiteral("not included"));

    OrvantaDocument* deep = openPlaylist("deep.orvdynamic", true, {}, url("dyn"), true);
    EXPECT_EQ(names(deep->clips()), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_EQ(deep->changeCount(), 1);
    // The accessory check box of a standard playlist plays no part here.
    EXPECT_EQ(windowControllerOf(deep)->openAccessoryViewController(), nullptr);
}

TEST_F(WindowTest, DroppedClipsAreInsertedAtTheDropRowInTheirOrder) {
    OrvantaDocument* document = standardWithClips(5);
    OrvantaWindowController* wc = windowControllerOf(document);
    media("clip-1s.mp4", "drop/x.mp4");
    media("clip-2s.mp4", "drop/y.mp4");
    media("clip-1s.mkv", "drop/z.mkv");
    wc->clipsController()->setSelectionIndexes({3});
    wc->setDragIsActive(true);
    wc->setDropLocation(2);
    wc->addClipsWithURLs({url("drop/x.mp4"), url("drop/y.mp4"), url("drop/z.mkv")});
    imported(wc);
    EXPECT_EQ(names(document->clips()),
              (QStringList{"c0.mp4", "c1.mp4", "x.mp4", "y.mp4", "z.mkv", "c2.mp4", "c3.mp4", "c4.mp4"}));
    EXPECT_EQ(names(wc->clipsController()->arrangedObjects()), names(document->clips()));
    EXPECT_FALSE(wc->dragIsActive());
    // An import leaves the selected clip selected.
    EXPECT_EQ(names(wc->clipsController()->selectedObjects()), QStringList{"c3.mp4"});
    EXPECT_TRUE(wc->importedClips().isEmpty());

    // Without a drag, clips go to the end.
    wc->addClipsWithURLs({url("drop/x.mp4")});
    imported(wc);
    EXPECT_EQ(names(document->clips()).last(), "x.mp4");
}

TEST_F(WindowTest, ARunThatAddsNothingShowsNoAlertAndStillAddsOneChange) {
    OrvantaDocument* document = standardWithClips(1);
    OrvantaWindowController* wc = windowControllerOf(document);
    const int before = document->changeCount();
    wc->addClipsWithURLs({QUrl::fromLocalFile(testMediaPath("notes.txt")),
                          QUrl::fromLocalFile(testMediaPath("text.mp4")),
                          QUrl::fromLocalFile(testMediaPath("sound.mp3")), url("no such file.mp4")});
    imported(wc);
    EXPECT_EQ(document->clips().size(), 1);
    EXPECT_TRUE(presenter.alerts.isEmpty());
    EXPECT_EQ(document->changeCount(), before + 1);
    EXPECT_FALSE(wc->fileErrorOnImport());
    EXPECT_FALSE(wc->importSpinner()->isVisible());
}

TEST_F(WindowTest, ProtectedFilesAreListedInOneAlertAfterTheOthersArePlaced) {
    OrvantaDocument* document = standardWithClips(0);
    OrvantaWindowController* wc = windowControllerOf(document);
    presenter.watched = wc;
    const QString first = media("protected-audio.mp4", "drm/1 first protected.mp4");
    media("clip-1s.mp4", "drm/2 good.mp4");
    const QString second = media("protected-audio.mp4", "drm/3 second protected.mp4");
    media("clip-2s.mp4", "drm/4 good.mp4");
    const int before = document->changeCount();
    wc->addClipsWithURLs({url("drm")});
    imported(wc);
    EXPECT_EQ(names(document->clips()), (QStringList{"2 good.mp4", "4 good.mp4"}));
    ASSERT_EQ(presenter.alerts.size(), 1);
    EXPECT_EQ(presenter.alerts[0].first, QStringLiteral("Digital Rights Managed"));
    EXPECT_EQ(
        presenter.alerts[0].second,
        QStringLiteral("Orvanta may not be following files because they are protected by DRM.  These files "
                       "have been removed from your playlist:\n\n") +
            first + u'\n' + second);
    EXPECT_EQ(presenter.rowsAtAlert, QList<qsizetype>{2}); // the good clips were in the table already
    EXPECT_TRUE(wc->DRMClips().isEmpty());
    EXPECT_EQ(document->changeCount(), before + 2); // the clips that came in, and the run's own change
}

TEST_F(WindowTest, AFolderThatCannotBeListedIsReportedOnceAfterTheRest) {
    OrvantaDocument* document = standardWithClips(0);
    OrvantaWindowController* wc = windowControllerOf(document);
    presenter.watched = wc;
    media("clip-1s.mp4", "mixed/a.mp4");
    media("clip-1s.mp4", "mixed/locked/hidden-away.mp4");
    media("clip-1s.mp4", "mixed/open/b.mp4");
    media("clip-1s.mp4", "locked2/c.mp4");
    media("protected-audio.mp4", "mixed/z-protected.mp4");
    ASSERT_TRUE(QFile::setPermissions(dir.filePath("mixed/locked"), QFile::Permissions()));
    ASSERT_TRUE(QFile::setPermissions(dir.filePath("locked2"), QFile::Permissions()));
    {
        WithoutFileReadOverride unprivileged;
        presenter.openPanelAnswers.push_back(chosen({url("mixed"), url("locked2")}, url(""), true));
        wc->addNewClips();
        imported(wc);
    }
    QFile::setPermissions(dir.filePath("mixed/locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(dir.filePath("locked2"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(names(document->clips()), (QStringList{"a.mp4", "b.mp4"}));
    EXPECT_TRUE(wc->fileErrorOnImport());
    ASSERT_EQ(presenter.alerts.size(), 2);
    EXPECT_EQ(presenter.alerts[0].first, QStringLiteral("Digital Rights Managed"));
    EXPECT_EQ(presenter.alerts[1].first, QStringLiteral("File Access Failure"));
    EXPECT_EQ(
        presenter.alerts[1].second,
        QStringLiteral("Orvanta was not able to open one or more files that you requested, please check "
                       "whether you have proper access permissions and try again"));
    EXPECT_EQ(presenter.rowsAtAlert, (QList<qsizetype>{2, 2}));

    // The next run starts clean.
    wc->addClipsWithURLs({url("mixed/a.mp4")});
    imported(wc);
    EXPECT_FALSE(wc->fileErrorOnImport());
    EXPECT_EQ(presenter.alerts.size(), 2);
}

TEST_F(WindowTest, RemovalTakesTheSelectedClipsAndBeepsWhenItCannot) {
    OrvantaDocument* document = standardWithClips(5);
    OrvantaWindowController* wc = windowControllerOf(document);
    wc->clipsController()->setSelectionIndexes({1, 2, 4});
    const int before = document->changeCount();
    wc->removeClips();
    EXPECT_EQ(names(document->clips()), (QStringList{"c0.mp4", "c3.mp4"}));
    EXPECT_EQ(wc->clipsTable()->model()->rowCount(), 2);
    EXPECT_EQ(presenter.beeps, 0);
    EXPECT_EQ(document->changeCount(), before + 1);
    EXPECT_FALSE(wc->clipsController()->selectionIndexes().isEmpty());

    wc->clipsController()->setSelectionIndexes({});
    wc->removeClips();
    EXPECT_EQ(presenter.beeps, 1);
    EXPECT_EQ(document->clips().size(), 2);
    EXPECT_EQ(document->changeCount(), before + 1);

    media("clip-1s.mp4", "dyn/a.mp4");
    media("clip-1s.mp4", "dyn/b.mp4");
    OrvantaDocument* dynamic = openPlaylist("d.orvdynamic", true, {}, url("dyn"), false);
    OrvantaWindowController* dwc = windowControllerOf(dynamic);
    dwc->clipsController()->setSelectionIndexes({0, 1});
    dwc->removeClips();
    EXPECT_EQ(presenter.beeps, 2);
    EXPECT_EQ(dynamic->clips().size(), 2);
}

TEST_F(WindowTest, ANewSourceFolderReplacesEveryClipAndIsRemembered) {
    media("clip-1s.mp4", "first/a.mp4");
    media("clip-1s.mp4", "first/b.mp4");
    media("clip-1s.mp4", "second/c.mp4");
    media("clip-1s.mp4", "second/sub/d.mp4");
    OrvantaDocument* document = openPlaylist("d.orvdynamic", true, {}, url("first"), true);
    OrvantaWindowController* wc = windowControllerOf(document);
    ASSERT_EQ(names(document->clips()), (QStringList{"a.mp4", "b.mp4"}));
    const auto oldMovie = document->clips()[0]->movie;

    wc->setSourceFolder(); // cancelled
    imported(wc);
    EXPECT_EQ(document->dynamicSourceFolder(), url("first"));
    const Presenter::OpenPanelRequest& request = presenter.openPanelRequests.last();
    EXPECT_FALSE(request.canChooseFiles);
    EXPECT_TRUE(request.canChooseDirectories);
    EXPECT_FALSE(request.allowsMultipleSelection);
    EXPECT_EQ(request.includeSubdirectoriesBox, std::optional<bool>(true));

    const int before = document->changeCount();
    presenter.openPanelAnswers.push_back(chosen({url("second")}, QUrl::fromLocalFile(dir.path()), false));
    wc->setSourceFolder();
    imported(wc);
    EXPECT_EQ(names(document->clips()), QStringList{"c.mp4"});
    EXPECT_NE(document->clips()[0]->movie, oldMovie);
    EXPECT_EQ(document->dynamicSourceFolder(), url("second"));
    EXPECT_FALSE(document->includeSubdirectories());
    EXPECT_GT(document->changeCount(), before);
    EXPECT_EQ(UserDefaults::standardUserDefaults().URLForKey("dynamicFolderLocation"),
              QUrl::fromLocalFile(dir.path()));
    EXPECT_EQ(wc->window()->findChild<QLabel*>("sourceFolderText")->text(), dir.filePath("second"));

    // The next dynamic playlist's panel starts where this one was.
    controller.newDynamicPlaylistDocument();
    EXPECT_EQ(presenter.openPanelRequests.last().directoryURL, QUrl::fromLocalFile(dir.path()));
}

TEST_F(WindowTest, LinksBackIntoTheFolderNeitherLoopNorRepeat) {
    media("clip-1s.mp4", "loop/a.mp4");
    media("clip-1s.mp4", "loop/sub/b.mp4");
    ASSERT_TRUE(QFile::link(dir.filePath("loop"), dir.filePath("loop/sub/back")));
    ASSERT_TRUE(QFile::link(dir.filePath("loop/sub"), dir.filePath("loop/sub/self")));
    OrvantaDocument* document = openPlaylist("loop.orvdynamic", true, {}, url("loop"), true);
    EXPECT_EQ(names(document->clips()), (QStringList{"a.mp4", "b.mp4"}));
    // The same folder named twice in one run is walked once.
    OrvantaWindowController* wc = windowControllerOf(standardWithClips(0));
    wc->addClipsWithURLs({url("loop/sub"), url("loop/sub/self")});
    imported(wc);
    EXPECT_EQ(names(qobject_cast<OrvantaDocument*>(wc->document())->clips()), QStringList{"b.mp4"});
}

TEST_F(WindowTest, MissingItemsAreReportedOncePathPerLine) {
    auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
    const QSet<QString> missing{"/srv/show/first clip.mp4", "/srv/show/second.mov", "/media/x/third.mkv"};
    document->setMissingItems(missing);
    document->makeWindowControllers();
    document->showWindows();
    ASSERT_EQ(presenter.alerts.size(), 1);
    EXPECT_EQ(presenter.alerts[0].first, QStringLiteral("Missing Items"));
    const QString prefix = QStringLiteral("Orvanta was not able to locate the following files:\n\n");
    ASSERT_TRUE(presenter.alerts[0].second.startsWith(prefix));
    const QStringList lines = presenter.alerts[0].second.mid(prefix.size()).split(u'\n');
    EXPECT_EQ(QSet<QString>(lines.begin(), lines.end()), missing);
    EXPECT_EQ(lines.size(), 3);

    auto complete = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
    complete->makeWindowControllers();
    complete->showWindows();
    EXPECT_EQ(presenter.alerts.size(), 1);
    document->close();
    complete->close();
}

TEST_F(WindowTest, ClosesTheOtherPlaylistsInReverseOrderWithoutAsking) {
    QStringList closed;
    QList<Document*> others;
    for (int i = 0; i < 3; ++i) {
        Document* other = controller.newStandardPlaylistDocument();
        other->updateChangeCount(Document::ChangeKind::Done); // unsaved, yet not asked about
        QObject::connect(other, &Document::documentClosed, &controller,
                         [&closed](Document* d) { closed.append(d->displayName()); });
        others.append(other);
    }
    OrvantaDocument* keeps =
        openPlaylist("keeps.orvplaylist", false, {}, {}, false, [](PlaylistSettings&) {});
    EXPECT_TRUE(closed.isEmpty());

    OrvantaDocument* closer =
        openPlaylist("closer.orvplaylist", false, {}, {}, false, [](PlaylistSettings& s) {
            s.setValue("closeOthersAtStartup", TypedNumber::boolean(true));
        });
    ASSERT_NE(closer, nullptr);
    EXPECT_EQ(closed, (QStringList{"Untitled 3", "Untitled 2", "Untitled"}));
    EXPECT_TRUE(presenter.saveChangesQuestions.isEmpty());
    processDeferredDeletes();
    ASSERT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(controller.documents().first(), closer);
    EXPECT_FALSE(closer->isClosed());
    Q_UNUSED(keeps);
}

TEST_F(WindowTest, EverySettingAndEveryClipChangeMarksTheDocumentButSelectionDoesNot) {
    OrvantaDocument* document = standardWithClips(3);
    OrvantaWindowController* wc = windowControllerOf(document);
    QMainWindow* window = wc->window();
    PlaylistSettings* settings = document->settings();
    int expected = document->changeCount();
    ASSERT_EQ(expected, 0);

    wc->clipsController()->setSelectionIndexes({2});
    wc->clipsController()->selectPrevious();
    EXPECT_EQ(document->changeCount(), 0);

    auto expectOneMore = [&](const char* what) {
        ++expected;
        EXPECT_EQ(document->changeCount(), expected) << what;
    };
    auto check = [&](const char* name) { return window->findChild<QCheckBox*>(name); };
    check("autoplay")->click();
    expectOneMore("autoplay");
    EXPECT_EQ(settings->value("autoplay")->kind(), TypedNumber::Kind::Boolean);
    EXPECT_TRUE(settings->autoplay());
    check("closeOthersAtStartup")->click();
    expectOneMore("closeOthersAtStartup");
    check("closeWhenFinished")->click();
    expectOneMore("closeWhenFinished");
    check("muted")->click();
    expectOneMore("muted");
    EXPECT_EQ(settings->value("muted")->kind(), TypedNumber::Kind::Boolean);
    check("looping")->click();
    expectOneMore("looping");
    EXPECT_EQ(settings->value("looping")->kind(), TypedNumber::Kind::Integer);
    EXPECT_EQ(settings->looping(), 1);

    window->findChild<QSlider*>("speed")->setValue(150);
    expectOneMore("speed");
    EXPECT_EQ(settings->value("speed")->kind(), TypedNumber::Kind::Float32);
    EXPECT_FLOAT_EQ(settings->speed(), 1.5f);
    window->findChild<QPushButton*>("resetSpeed")->click();
    expectOneMore("speed reset");
    EXPECT_FLOAT_EQ(settings->speed(), 1.0f);
    EXPECT_EQ(window->findChild<QSlider*>("speed")->value(), 100);
    window->findChild<QSlider*>("volume")->setValue(40);
    expectOneMore("volume");
    EXPECT_EQ(settings->value("volume")->kind(), TypedNumber::Kind::Float32);
    EXPECT_FLOAT_EQ(settings->volume(), 0.4f);

    // Output mode and the enabled states the two transformers give.
    wc->switchSettingsPane(1);
    EXPECT_FALSE(wc->selectDisplayPopUp()->isEnabled());
    window->findChild<QRadioButton*>("fullScreenType1")->click();
    expectOneMore("fullScreenType");
    EXPECT_EQ(settings->value("fullScreenType")->kind(), TypedNumber::Kind::Integer);
    EXPECT_EQ(settings->fullScreenType(), 1);
    EXPECT_TRUE(wc->selectDisplayPopUp()->isEnabled());
    EXPECT_FALSE(window->findChild<QWidget*>("customFrameFields")->isEnabled());
    window->findChild<QRadioButton*>("fullScreenType3")->click();
    expectOneMore("fullScreenType 3");
    EXPECT_FALSE(wc->selectDisplayPopUp()->isEnabled());
    EXPECT_TRUE(window->findChild<QWidget*>("customFrameFields")->isEnabled());
    for (const char* key : {"customFrameX", "customFrameY", "customFrameWidth", "customFrameHeight"}) {
        window->findChild<QSpinBox*>(key)->setValue(640);
        expectOneMore(key);
        EXPECT_EQ(settings->value(key)->kind(), TypedNumber::Kind::Integer) << key;
        EXPECT_EQ(settings->intValue(key), 640) << key;
    }
    // A change made elsewhere counts too, and the control follows it.
    settings->setValue("autoplay", TypedNumber::boolean(false));
    expectOneMore("autoplay from elsewhere");
    EXPECT_FALSE(check("autoplay")->isChecked());
    // Other keys are not observed.
    settings->setValue("someOtherKey", TypedNumber::integer(3));
    EXPECT_EQ(document->changeCount(), expected);

    wc->clipsController()->moveObjectsAtArrangedObjectIndexes({0}, 3);
    expectOneMore("reorder");
    EXPECT_TRUE(window->isWindowModified());
}

TEST_F(WindowTest, MenuAndToolbarItemsAreEnabledPerPlaylistKind) {
    media("clip-1s.mp4", "dyn/a.mp4");
    OrvantaWindowController* standard = windowControllerOf(standardWithClips(0));
    OrvantaWindowController* dynamic = windowControllerOf(openPlaylist("d.orvdynamic", true, {}, url("dyn")));
    auto menuItem = [](const char* action) {
        auto* item = new QAction();
        item->setObjectName(action);
        return std::unique_ptr<QAction>(item);
    };
    for (const char* action : {"addNewClips", "removeClips"}) {
        EXPECT_TRUE(standard->validateMenuItem(menuItem(action).get())) << action;
        EXPECT_FALSE(dynamic->validateMenuItem(menuItem(action).get())) << action;
    }
    for (const char* action : {"setSourceFolder", "switchSettingsPane", "anythingElse"}) {
        EXPECT_TRUE(standard->validateMenuItem(menuItem(action).get())) << action;
        EXPECT_TRUE(dynamic->validateMenuItem(menuItem(action).get())) << action;
    }
    auto toolbarItem = [](const QVariant& tag) {
        auto item = std::make_unique<QAction>();
        item->setData(tag);
        return item;
    };
    EXPECT_TRUE(standard->validateToolbarItem(toolbarItem(0).get()));
    EXPECT_FALSE(dynamic->validateToolbarItem(toolbarItem(0).get()));
    EXPECT_FALSE(standard->validateToolbarItem(toolbarItem(1).get()));
    EXPECT_TRUE(dynamic->validateToolbarItem(toolbarItem(1).get()));
    for (const QVariant& tag : {QVariant(2), QVariant(-1), QVariant()}) {
        EXPECT_FALSE(standard->validateToolbarItem(toolbarItem(tag).get()));
        EXPECT_FALSE(dynamic->validateToolbarItem(toolbarItem(tag).get()));
    }
    // The window's own items carry the answers.
    auto enabled = [](OrvantaWindowController* wc, const char* name) {
        return wc->window()->findChild<QAction*>(name)->isEnabled();
    };
    EXPECT_TRUE(enabled(standard, "addNewClipsItem"));
    EXPECT_TRUE(enabled(standard, "removeClipsItem"));
    EXPECT_FALSE(enabled(standard, "setSourceFolderItem"));
    EXPECT_FALSE(enabled(dynamic, "addNewClipsItem"));
    EXPECT_TRUE(enabled(dynamic, "setSourceFolderItem"));
    EXPECT_FALSE(enabled(dynamic, "addNewClips"));
    EXPECT_TRUE(enabled(standard, "removeClips"));
}

TEST_F(WindowTest, TheSettingsSelectorAndPaneShowTheSameIndex) {
    OrvantaWindowController* wc = windowControllerOf(standardWithClips(0));
    EXPECT_EQ(wc->settingsTab()->currentIndex(), 0);
    wc->switchSettingsPane(1);
    EXPECT_EQ(wc->settingsSelector()->currentIndex(), 1);
    EXPECT_EQ(wc->settingsTab()->currentIndex(), 1);
    wc->settingsSelector()->setCurrentIndex(0); // the user picks a segment
    EXPECT_EQ(wc->settingsTab()->currentIndex(), 0);
    // The menu's pane commands carry their pane as their tag.
    const auto items = wc->window()->findChildren<QAction*>("switchSettingsPane");
    ASSERT_EQ(items.size(), 2);
    items[1]->trigger();
    EXPECT_EQ(wc->settingsTab()->currentIndex(), 1);
    EXPECT_EQ(wc->settingsSelector()->currentIndex(), 1);
}

TEST_F(WindowTest, ALongRunShowsItsProgressAndKeepsPainting) {
    for (int i = 0; i < 24; ++i)
        media("clip-1s.mp4", QStringLiteral("many/f%1/clip%2.mp4").arg(i % 4).arg(i));
    OrvantaWindowController* wc = windowControllerOf(standardWithClips(0));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(wc->window()));
    QStringList seen;
    bool spinnerShown = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        spinnerShown = spinnerShown || wc->importSpinner()->isVisible();
        if (wc->importProgressText()->isVisible())
            seen.append(wc->importProgressText()->text());
    });
    watch.start();
    presenter.openPanelAnswers.push_back(chosen({url("many")}, url(""), true));
    wc->addNewClips();
    imported(wc);
    watch.stop();
    EXPECT_EQ(wc->clipsController()->arrangedObjects().size(), 24);
    EXPECT_TRUE(spinnerShown);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(seen.last().endsWith(" of 24")) << seen.last().toStdString();
    EXPECT_FALSE(wc->importSpinner()->isVisible());
    EXPECT_FALSE(wc->isImporting());
}

TEST_F(WindowTest, AClosedWindowIsReachedByNothing) {
    const int displayObservers = NotificationCenter::defaultCenter().observerCount("displayChangeNotice");
    OrvantaDocument* document = standardWithClips(2);
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount("displayChangeNotice"), displayObservers + 1);
    EXPECT_TRUE(windowControllerOf(document)->window()->close());
    processDeferredDeletes();
    EXPECT_TRUE(controller.documents().isEmpty());
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount("displayChangeNotice"), displayObservers);
    // These would reach freed memory if anything were left connected.
    NotificationCenter::defaultCenter().postNotificationName("displayChangeNotice");
    QMetaObject::invokeMethod(qApp, "applicationStateChanged",
                              Q_ARG(Qt::ApplicationState, Qt::ApplicationActive));
}
