// The display identification window under X: it appears in the middle of the display without taking
// the keyboard from the playlist window, and fades out until it is hidden.
#include "app/OrvantaDocumentController.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "support/Wait.h"
#include "window/DisplayIdentifierWindowController.h"
#include "window/OrvantaWindowController.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(DisplayIdentifierTest, ShowsInTheMiddleOfTheDisplayWithoutTakingTheKeyboardAndFadesAway) {
    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
    const QUrl where = writeTestPlaylist(dir.path(), QStringLiteral("identify"), {});
    ASSERT_FALSE(where.isEmpty());
    DocumentError error;
    Document* document = controller.openDocumentWithContentsOfURL(where, true, &error);
    ASSERT_NE(document, nullptr);
    auto* wc = dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
    ASSERT_NE(wc, nullptr);
    QMainWindow* playlistWindow = wc->window();
    playlistWindow->show();
    playlistWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(playlistWindow));

    QComboBox* popup = wc->selectDisplayPopUp();
    popup->setCurrentIndex(2); // "Display 0"
    emit popup->activated(2);
    DisplayIdentifierWindowController* identifier = wc->displayIdentifierController();
    ASSERT_NE(identifier, nullptr);
    QWidget* window = identifier->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->frameGeometry().center(), screen.center());
    EXPECT_EQ(identifier->displayNumberText()->text(), QStringLiteral("0"));
    EXPECT_EQ(identifier->displaySizeText()->text(),
              QStringLiteral("%1 by %2").arg(screen.width()).arg(screen.height()));
    EXPECT_EQ(presenter.beeps, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), playlistWindow);
    EXPECT_FALSE(window->isActiveWindow());

    WAIT_UNTIL(!window->isVisible(), 20000);
    controller.closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
