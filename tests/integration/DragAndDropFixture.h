#pragma once

// What the drag and drop tests through real playlist windows share: playlists of real clips opened as
// the application opens them, points in the clip table, and drops delivered as drag events.
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"
#include "window/OrvantaWindowController.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace dnd_test {

inline QString names(const QList<ClipRecordPtr>& clips) {
    QStringList list;
    for (const auto& clip : clips)
        list.append(clip->name);
    return list.join(u' ');
}

inline ClipsTableView* tableOf(OrvantaWindowController* wc) {
    return qobject_cast<ClipsTableView*>(wc->clipsTable());
}

// A point in the upper quarter of a row, or below the last row for the row count.
inline QPoint rowPoint(ClipsTableView* table, int row) {
    const int rows = table->model()->rowCount();
    if (row >= rows)
        return {20, table->rowViewportPosition(rows - 1) + table->rowHeight(rows - 1) + 4};
    return {20, table->rowViewportPosition(row) + table->rowHeight(row) / 4};
}

// Sends a drag's enter, move and drop events to the table's viewport; answers whether the drop was taken
// and with which action.
inline std::pair<bool, Qt::DropAction> dropOnto(ClipsTableView* table, const QMimeData* data, int row,
                                                Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction) {
    const QPoint position = rowPoint(table, row);
    QDragEnterEvent enter(position, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &enter);
    QDragMoveEvent move(position, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &move);
    if (!enter.isAccepted() || !move.isAccepted())
        return {false, Qt::IgnoreAction};
    QDropEvent drop(QPointF(position), actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &drop);
    return {drop.isAccepted(), drop.dropAction()};
}

class DragAndDropTest : public ::testing::Test {
protected:
    void TearDown() override {
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A copy of a test movie below the temporary folder.
    QUrl media(const QString& from, const QString& to) {
        const QString path = dir.filePath(to);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(QFile::copy(testMediaPath(from), path)) << path.toStdString();
        return QUrl::fromLocalFile(path);
    }

    // A standard playlist of the clips <name>-c0.mp4 ... (copies of a one-second movie) in its window.
    OrvantaWindowController* openPlaylist(const QString& name, int clips) {
        DocumentError error;
        const QUrl file =
            writeTestPlaylist(dir.path(), name, QStringList(clips, QStringLiteral("clip-1s.mp4")));
        Document* document = controller.openDocumentWithContentsOfURL(file, true, &error);
        auto* wc = document && !document->windowControllers().empty()
                       ? dynamic_cast<OrvantaWindowController*>(document->windowControllers().front())
                       : nullptr;
        EXPECT_TRUE(wc && QTest::qWaitForWindowExposed(wc->window()))
            << error.localizedDescription.toStdString();
        return wc;
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
};

} // namespace dnd_test
