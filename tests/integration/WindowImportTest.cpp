// Import runs through a real playlist window: the add panel and its check box, the alerts a run shows
// and when, the run's one change, the posters that come after the rows; and the desktop's add panel, Qt's
// own file dialog, driven as a person would. What a run walks and probes: ClipImporterTest.
#include "document/ClipImporter.h"
#include "platform/defaults/UserDefaults.h"
#include "platform/ui/WidgetPresenter.h"
#include "support/PlaylistWindows.h"
#include "window/ClipTableModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

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

int pendingPosters(const QList<ClipRecordPtr>& clips) {
    return int(std::count_if(clips.begin(), clips.end(), [](const ClipRecordPtr& clip) {
        return clip->posterImage.kind == PosterImage::Kind::Pending;
    }));
}

QByteArray savedBytes(OrvantaDocument* document, const QString& path) {
    DocumentError error;
    EXPECT_TRUE(document->saveToURL(QUrl::fromLocalFile(path), OrvantaDocument::StandardPlaylistType,
                                    Document::SaveOperation::SaveTo, &error));
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Waits for the file dialog, selects the named entries in its visible list, sets the accessory box and
// presses Open. Reports what went wrong instead, closing the dialog.
QString answerPanel(const QDir& dir, const QStringList& entries, bool box) {
    QFileDialog* dialog = nullptr;
    if (!QTest::qWaitFor(
            [&] { return (dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())); }, 5000))
        return "no panel";
    auto* model = dialog->findChild<QFileSystemModel*>();
    QAbstractItemView* view = nullptr;
    for (auto* candidate : dialog->findChildren<QAbstractItemView*>()) {
        if (candidate->isVisible() && candidate->model() == model)
            view = candidate;
    }
    const auto listed = [&] {
        return std::all_of(entries.begin(), entries.end(),
                           [&](const QString& entry) { return model->index(dir.filePath(entry)).isValid(); });
    };
    QString problem = !model || !view                  ? "no list"
                      : !QTest::qWaitFor(listed, 5000) ? "entries not listed"
                                                       : QString();
    if (problem.isEmpty()) {
        view->selectionModel()->clearSelection();
        for (const QString& entry : entries)
            view->selectionModel()->select(model->index(dir.filePath(entry)),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (auto* check = dialog->findChild<QCheckBox*>())
            check->setChecked(box);
        QPushButton* open = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
        if (open && open->isEnabled())
            open->click();
        else
            problem = "Open is disabled";
    }
    if (!problem.isEmpty())
        dialog->reject();
    return problem;
}

} // namespace

// Files and folders are taken together, a folder alone is taken rather than opened, and the check box
// comes back as it was left.
TEST(WindowOpenPanel, TakesFilesAndFoldersTogetherAndTheCheckBoxAsLeft) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(testMediaPath("clip-1s.mp4"), dir.filePath("a.mp4")));
    ASSERT_TRUE(QFile::copy(testMediaPath("clip-1s.mp4"), dir.filePath("b.mp4")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    WidgetPresenter presenter;
    Presenter::OpenPanelRequest request;
    request.title = "Add Clips";
    request.directoryURL = QUrl::fromLocalFile(dir.path());
    request.canChooseFiles = request.canChooseDirectories = request.allowsMultipleSelection = true;
    request.nameFilters = {"Movies (*.mp4)", "All Files (*)"};
    request.includeSubdirectoriesBox = true;
    for (const auto& [entries, box] : {std::pair(QStringList{"a.mp4", "sub"}, false), {{"sub"}, true}}) {
        SCOPED_TRACE(entries.join(", ").toStdString());
        QString problem = "not run";
        QTimer::singleShot(0, [&] { problem = answerPanel(QDir(dir.path()), entries, box); });
        const Presenter::OpenPanelResult result = presenter.runOpenPanel(request);
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        ASSERT_TRUE(result.accepted);
        QSet<QUrl> expected;
        for (const QString& entry : entries)
            expected.insert(QUrl::fromLocalFile(dir.filePath(entry)));
        EXPECT_EQ(QSet<QUrl>(result.urls.begin(), result.urls.end()), expected);
        EXPECT_EQ(result.directoryURL, QUrl::fromLocalFile(dir.path()));
        EXPECT_EQ(result.includeSubdirectories, box);
    }
}

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

// The rows come before their posters are decoded; the posters, the pictures an import without a window
// makes at once, are painted in the table, and a save while they are coming writes the same file.
TEST_F(WindowTest, RowsComeFirstThenTheirPostersArePaintedAndASaveMeanwhileWritesTheSameFile) {
    OrvantaWindowController* wc = open("show");
    ASSERT_NE(wc, nullptr);
    media("clip-2s.mp4", "in/a.mp4");
    media("clip-0.5s.mp4", "in/b.mp4");
    // Enough posters that they are still being decoded when the rows are in.
    const QString clip = testMediaPath(QStringLiteral("clip-1s.mp4"));
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(QFile::link(clip, path(QStringLiteral("in/c%1.mp4").arg(i, 3, 10, QChar(u'0')))));
    wc->addClipsWithURLs({url("in")});
    imported(wc);

    OrvantaDocument* document = wc->datasource();
    const QList<ClipRecordPtr> clips = document->clips();
    ASSERT_EQ(clips.size(), 202);
    // A clip without a frame one second in shows the missing-item picture at once.
    EXPECT_EQ(clips[1]->posterImage.kind, PosterImage::Kind::MissingItem);
    EXPECT_GT(pendingPosters(clips), 0);
    const QByteArray early = savedBytes(document, path("early.orvplaylist"));

    EXPECT_TRUE(QTest::qWaitFor([&] { return pendingPosters(clips) == 0; }, 30000));
    EXPECT_EQ(savedBytes(document, path("late.orvplaylist")), early);
    for (const int row : {0, 1, 2, 201}) {
        SCOPED_TRACE(row);
        const PosterImage atOnce = ClipImporter::posterFor(*clips[row]->movie);
        EXPECT_EQ(clips[row]->posterImage.kind, atOnce.kind);
        EXPECT_EQ(clips[row]->posterImage.frame.pixels, atOnce.frame.pixels);
    }
    EXPECT_EQ(clips[0]->posterImage.kind, PosterImage::Kind::Frame);

    // Painted: a frame of the test pattern is colourful; the missing-item picture is a picture too.
    QTableView* table = wc->clipsTable();
    wc->clipsController()->setSelectionIndexes({});
    const QImage shot = table->viewport()->grab().toImage();
    auto distinctColours = [&](int row) {
        const QRect cell = table->visualRect(table->model()->index(row, ClipTableModel::PosterColumn));
        QSet<QRgb> colours;
        for (int y = cell.top() + 6; y < cell.bottom() - 6; y += 2)
            for (int x = cell.left() + 8; x < cell.right() - 8; x += 2)
                colours.insert(shot.pixel(x, y));
        return colours.size();
    };
    EXPECT_GT(distinctColours(0), 20);
    EXPECT_GT(distinctColours(1), 3);
}
