#include "support/PlaylistWindows.h"

#include "platform/ui/VideoView.h"

#include <QTest>

void PlaylistWindowTest::TearDown() {
    controller.closeAllDocuments();
    processDeferredDeletes();
}

void PlaylistWindowTest::processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void PlaylistWindowTest::imported(OrvantaWindowController* wc) {
    EXPECT_TRUE(QTest::qWaitFor([wc] { return !wc->isImporting(); }, 30000)) << "the import did not end";
}

OrvantaWindowController* PlaylistWindowTest::windowControllerOf(Document* document) {
    if (!document || document->windowControllers().empty())
        return nullptr;
    return dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
}

OrvantaWindowController* PlaylistWindowTest::open(const QString& name, const QStringList& clips,
                                                  const SettingsSetup& settings) {
    return openURL(writeTestPlaylist(dir.path(), name, clips, settings));
}

OrvantaWindowController* PlaylistWindowTest::openDynamic(const QString& name, const QString& folder,
                                                         bool includeSubdirectories) {
    return openURL(writeDynamicTestPlaylist(path(name + QStringLiteral(".orvdynamic")), path(folder),
                                            includeSubdirectories));
}

OrvantaWindowController* PlaylistWindowTest::openURL(const QUrl& file) {
    if (file.isEmpty()) {
        ADD_FAILURE() << "the playlist could not be written";
        return nullptr;
    }
    DocumentError error;
    OrvantaWindowController* wc =
        windowControllerOf(controller.openDocumentWithContentsOfURL(file, true, &error));
    EXPECT_NE(wc, nullptr) << error.localizedDescription.toStdString();
    if (!wc)
        return nullptr;
    // Edits are autosaved only where a test asks for it: the edited marks it reads must not depend on
    // how slow the run is.
    wc->datasource()->setAutosaveDelay(600000);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(wc->window()));
    EXPECT_NE(wc->player(), nullptr) << wc->playerError().toStdString();
    imported(wc);
    return wc;
}

OrvantaWindowController* PlaylistWindowTest::openUntitled() {
    return windowControllerOf(controller.newStandardPlaylistDocument());
}

QPoint PlaylistWindowTest::rowPoint(ClipsTableView* table, int row) {
    const int rows = table->model()->rowCount();
    if (row >= rows)
        return {20, table->rowViewportPosition(rows - 1) + table->rowHeight(rows - 1) + 4};
    return {20, table->rowViewportPosition(row) + table->rowHeight(row) / 4};
}

int viewGrey(QWidget* view, QPoint point) {
    QImage image;
    if (auto* glView = qobject_cast<VideoView*>(view))
        image = glView->grabFramebuffer();
    else if (view)
        image = view->grab().toImage();
    return image.isNull() || !image.rect().contains(point) ? -1 : qGray(image.pixel(point));
}

void expectGrey(QWidget* view, QPoint point, int expected) {
    int seen = -1;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            seen = viewGrey(view, point);
            return nearGrey(seen, expected);
        },
        20000))
        << "expected grey " << expected << ", the view shows " << seen;
}
