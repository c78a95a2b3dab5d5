#include "app/OrvantaDocumentController.h"
#include "app/StartWindow.h"
#include "document/OrvantaDocument.h"
#include "platform/ValueTransformerRegistry.h"
#include "platform/defaults/UserDefaults.h"
#include "support/RecordingPresenter.h"
#include "support/Wait.h"
#include "window/OrvantaWindowController.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QMainWindow* windowOf(Document* document) {
    auto* controller = dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
    return controller ? controller->window() : nullptr;
}

} // namespace

TEST(ApplicationStart, RegistersTheTransformersBeforeAnyWindow) {
    OrvantaDocumentController::initialize();
    const auto selected = ValueTransformerRegistry::valueTransformerForName("isSelectedDisplay");
    const auto custom = ValueTransformerRegistry::valueTransformerForName("isCustomFrame");
    ASSERT_NE(selected, nullptr);
    ASSERT_NE(custom, nullptr);
    for (int mode : {0, 1, 2, 3, 4}) {
        EXPECT_EQ(selected->transformedValue(mode).toBool(), mode == 1) << mode;
        EXPECT_EQ(custom->transformedValue(mode).toBool(), mode == 3) << mode;
    }
    EXPECT_FALSE(selected->transformedValue(QVariant()).toBool());
    EXPECT_FALSE(custom->transformedValue(QVariant()).toBool());
    EXPECT_EQ(custom->transformedValue(QVariant::fromValue(TypedNumber::integer(3))).toBool(), true);
    EXPECT_FALSE(selected->allowsReverseTransformation());
    EXPECT_FALSE(custom->allowsReverseTransformation());
    EXPECT_EQ(ValueTransformerRegistry::valueTransformerForName("computePlaylistDuration"), nullptr);
    // The initial defaults are registered too.
    EXPECT_TRUE(UserDefaults::standardUserDefaults().registeredDefaults().contains("importLocation"));
}

TEST(ApplicationStart, NewPlaylistCommandsChooseTheDefaultType) {
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
    EXPECT_TRUE(controller.defaultType().isEmpty());
    EXPECT_EQ(controller.newDocument(), nullptr); // no kind chosen yet: nothing to make
    EXPECT_FALSE(controller.applicationShouldOpenUntitledFile());
    EXPECT_FALSE(controller.applicationShouldTerminateAfterLastWindowClosed());

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

    QTemporaryDir dir;
    Presenter::OpenPanelResult folder;
    folder.accepted = true;
    folder.urls = {QUrl::fromLocalFile(dir.path())};
    folder.directoryURL = QUrl::fromLocalFile(dir.path());
    folder.includeSubdirectories = true;
    presenter.openPanelAnswers.push_back(folder);
    Document* dynamic = controller.newDynamicPlaylistDocument();
    ASSERT_NE(dynamic, nullptr);
    EXPECT_EQ(windowOf(dynamic)->windowTitle(), QStringLiteral("Dynamic Playlist:  Untitled 2[*]"));
    EXPECT_EQ(controller.defaultType(), OrvantaDocument::DynamicPlaylistType);

    // The edited mark follows the change count.
    standard->updateChangeCount(Document::ChangeKind::Done);
    EXPECT_TRUE(window->isWindowModified());
    standard->updateChangeCount(Document::ChangeKind::Undone);
    EXPECT_FALSE(window->isWindowModified());

    controller.closeAllDocuments();
    processDeferredDeletes();
}

TEST(ApplicationStart, TheStartWindowShowsExactlyWhileNoPlaylistIsOpen) {
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
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
    EXPECT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(presenter.saveChangesQuestions, QStringList{"Untitled"});
    presenter.saveChangesAnswer = Presenter::SaveChangesAnswer::DontSave;
    EXPECT_TRUE(windowOf(doc)->close());
    processDeferredDeletes();
    EXPECT_TRUE(controller.documents().isEmpty());
    EXPECT_TRUE(start.isVisible());
}

TEST(ApplicationStart, QuittingSavesPlaylistsWithFilesAndAsksForUntitledOnes) {
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
    Document* untitled = controller.newStandardPlaylistDocument();
    ASSERT_NE(untitled, nullptr);
    untitled->updateChangeCount(Document::ChangeKind::Done);
    presenter.saveChangesAnswer = Presenter::SaveChangesAnswer::Cancel;
    EXPECT_FALSE(controller.terminate());
    EXPECT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(presenter.saveChangesQuestions.size(), 1);
    controller.closeAllDocuments();
    processDeferredDeletes();
}

TEST(ApplicationStart, ThePreferencesWindowIsMadeOnceAndCentredTheFirstTime) {
    OrvantaDocumentController controller;
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

    // The folder rows forget their folder; Restore Defaults returns to the initial values.
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
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
