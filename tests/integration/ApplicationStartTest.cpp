#include "app/StartWindow.h"
#include "platform/defaults/UserDefaults.h"
#include "support/PlaylistWindows.h"
#include "support/Wait.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

using ApplicationStart = PlaylistWindowTest;

QMainWindow* windowOf(Document* document) {
    OrvantaWindowController* wc = PlaylistWindowTest::windowControllerOf(document);
    return wc ? wc->window() : nullptr;
}

} // namespace

TEST_F(ApplicationStart, NewPlaylistCommandsChooseTheDefaultType) {
    EXPECT_TRUE(controller.defaultType().isEmpty());
    EXPECT_EQ(controller.newDocument(), nullptr); // no kind chosen yet: nothing to make

    // A cancelled dynamic playlist: the error is shown, no window, and the type stays dynamic.
    presenter.alerts.clear();
    EXPECT_EQ(controller.newDynamicPlaylistDocument(), nullptr);
    EXPECT_EQ(controller.defaultType(), OrvantaDocument::DynamicPlaylistType);
    ASSERT_EQ(presenter.alerts.size(), 1);
    EXPECT_EQ(presenter.alerts.first().first, QStringLiteral("Dynamic Playlist creation cancelled"));
    EXPECT_TRUE(controller.documents().isEmpty());

    Document* standard = controller.newStandardPlaylistDocument();
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(controller.defaultType(), OrvantaDocument::StandardPlaylistType);
    QMainWindow* window = windowOf(standard);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Standard Playlist:  Untitled[*]"));

    presenter.openPanelAnswers.push_back(RecordingPresenter::chosen({url("")}, url(""), true));
    Document* dynamic = controller.newDynamicPlaylistDocument();
    ASSERT_NE(dynamic, nullptr);
    EXPECT_EQ(windowOf(dynamic)->windowTitle(), QStringLiteral("Dynamic Playlist:  Untitled 2[*]"));
    EXPECT_EQ(controller.defaultType(), OrvantaDocument::DynamicPlaylistType);

    // The edited mark follows the change count.
    standard->updateChangeCount(Document::ChangeKind::Done);
    EXPECT_TRUE(window->isWindowModified());
    standard->updateChangeCount(Document::ChangeKind::Undone);
    EXPECT_FALSE(window->isWindowModified());
}

TEST_F(ApplicationStart, TheStartWindowShowsExactlyWhileNoPlaylistIsOpenAndUnsavedChangesAreAskedAbout) {
    StartWindow start(&controller);
    start.updateVisibility();
    EXPECT_TRUE(start.isVisible());
    EXPECT_TRUE(controller.documents().isEmpty()); // no untitled playlist at launch

    Document* doc = controller.newStandardPlaylistDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(start.isVisible());

    // Closing the last playlist window brings the start window back; the application keeps running.
    // An untitled playlist with changes asks first; Cancel keeps it open.
    doc->updateChangeCount(Document::ChangeKind::Done);
    presenter.saveChangesAnswer = Presenter::SaveChangesAnswer::Cancel;
    EXPECT_FALSE(windowOf(doc)->close());
    // Quitting asks the same.
    EXPECT_FALSE(controller.terminate());
    EXPECT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(presenter.saveChangesQuestions, QStringList(2, "Untitled"));
    presenter.saveChangesAnswer = Presenter::SaveChangesAnswer::DontSave;
    EXPECT_TRUE(windowOf(doc)->close());
    processDeferredDeletes();
    EXPECT_TRUE(controller.documents().isEmpty());
    EXPECT_TRUE(start.isVisible());
}

TEST_F(ApplicationStart, ThePreferencesWindowIsMadeOnceAndReopensWhereItWasLeft) {
    EXPECT_EQ(controller.preferenceController(), nullptr);
    controller.showPreferencePanel();
    PreferencesWindowController* first = controller.preferenceController();
    ASSERT_NE(first, nullptr);
    QWidget* window = first->window();
    EXPECT_TRUE(window->isVisible());
    // Under X the placement of a new window arrives a moment later; move it once it has settled.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QPoint moved = window->pos() + QPoint(37, 23);
    window->move(moved);
    WAIT_EQ(window->pos(), moved, 5000);
    window->hide();
    controller.showPreferencePanel();
    EXPECT_EQ(controller.preferenceController(), first);
    WAIT_EQ(window->pos(), moved, 5000); // where the user left it

    // The folder rows forget their folder; Restore Defaults returns to the initial values, registered
    // by the document controller.
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    EXPECT_TRUE(defaults.registeredDefaults().contains("importLocation"));
    defaults.setURL(QUrl::fromLocalFile("/srv/in"), "importLocation");
    defaults.setURL(QUrl::fromLocalFile("/srv/dyn"), "dynamicFolderLocation");
    first->refresh();
    auto* label = window->findChild<QLabel*>("importLocation");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("/srv/in"));
    QTest::mouseClick(window->findChild<QPushButton*>("importLocationClear"), Qt::LeftButton);
    EXPECT_TRUE(defaults.URLForKey("importLocation").isEmpty());
    EXPECT_EQ(defaults.URLForKey("dynamicFolderLocation"), QUrl::fromLocalFile("/srv/dyn"));
    QTest::mouseClick(window->findChild<QPushButton*>("restoreDefaults"), Qt::LeftButton);
    EXPECT_TRUE(defaults.URLForKey("dynamicFolderLocation").isEmpty());
    window->hide();
}
