#pragma once

// What the drag and drop tests share: two kinds of playlist window with real clips, points in the clip
// table, drops delivered as drop events, and drags made with the mouse.
#include "app/OrvantaDocumentController.h"
#include "document/ClipImporter.h"
#include "document/ClipPasteboard.h"
#include "document/OrvantaDocument.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"
#include "window/OrvantaWindowController.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <gtest/gtest.h>

namespace dnd_test {

inline const QString MovedRows = QStringLiteral("application/x-orvanta-moved-rows");
inline const QString CopiedRows = QStringLiteral("application/x-orvanta-copied-rows");
inline const QString PrivateClips = QStringLiteral("application/x-orvanta-private-clips");

inline QStringList names(const QList<ClipRecordPtr>& clips) {
    QStringList list;
    for (const auto& clip : clips)
        list.append(clip->name);
    return list;
}

inline OrvantaWindowController* windowControllerOf(Document* document) {
    if (!document || document->windowControllers().empty())
        return nullptr;
    return dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
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

// Sends a drag's enter, move and drop events to the table's viewport, as a drag from another program
// delivers them; answers whether the drop was taken.
inline bool dropOnto(ClipsTableView* table, const QMimeData* data, const QPoint& position,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction,
                     Qt::DropAction* answered = nullptr) {
    QDragEnterEvent enter(position, actions, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(table->viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(position, actions, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(table->viewport(), &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(position), actions, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(table->viewport(), &drop);
    if (answered)
        *answered = drop.dropAction();
    return drop.isAccepted();
}

inline std::unique_ptr<QMimeData> files(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

inline QByteArray header(quint8 kind, quint32 count) {
    const quint32 le = qToLittleEndian(count);
    return QByteArray("ORVD\x01", 5) + char(kind) + QByteArray(reinterpret_cast<const char*>(&le), 4);
}

// A drag with a real QDrag, as the mouse makes it: a press on the source row and a move past the drag
// distance start the table's drag, whose QDrag::exec runs its own event loop; from inside that loop a
// timer moves the mouse over the target point and releases it there with the given keys. Answers
// whether the release was made (a drag that never ends is cancelled after a generous while). The drop
// has been handled when it returns.
inline bool dragWithTheMouse(ClipsTableView* source, int row, ClipsTableView* target, const QPoint& at,
                             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint start = rowPoint(source, row);
    QTest::mousePress(source->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    int step = 0;
    bool released = false;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        ++step;
        if (step <= 4) {
            QTest::mouseMove(target->viewport(), at + QPoint(step % 2, 0));
        } else if (!released) {
            released = true;
            QTest::mouseRelease(target->viewport(), Qt::LeftButton, modifiers, at);
        } else if (step > 1500) {
            QDrag::cancel();
        }
    });
    driver.start();
    // Returns when the drag is over.
    QTest::mouseMove(source->viewport(), start + QPoint(0, 2 * QApplication::startDragDistance()));
    driver.stop();
    // The drag hands the release it took back to the window it happened over, as a posted event; it
    // must arrive before the next press, as it does with a real mouse.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    if (!released) // the drag never started; let go of the button
        QTest::mouseRelease(source->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    return released;
}

// Records the actions that the drags arriving at a widget offer.
class OfferedActions : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::DragMove || event->type() == QEvent::Drop)
            offered.append(static_cast<QDropEvent*>(event)->possibleActions());
        return false;
    }
    QList<Qt::DropActions> offered;
};

class DragAndDropTest : public ::testing::Test {
protected:
    void TearDown() override {
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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

    // Saves a playlist file and opens it, with its window, as the application does.
    OrvantaDocument* openPlaylist(const QString& file, bool dynamic, const QList<QUrl>& clips,
                                  const QUrl& folder = {}) {
        auto document = OrvantaDocument::initWithType(OrvantaDocument::StandardPlaylistType, nullptr);
        document->setIsDynamicPlaylist(dynamic);
        if (dynamic) {
            document->setDynamicSourceFolder(folder);
            document->setIncludeSubdirectories(false);
        } else {
            ClipImporter importer({false, false, 1});
            document->setClips(importer.run(clips).importedClips);
        }
        const QString type =
            dynamic ? OrvantaDocument::DynamicPlaylistType : OrvantaDocument::StandardPlaylistType;
        DocumentError error;
        const QUrl where = url(file);
        EXPECT_TRUE(document->saveToURL(where, type, Document::SaveOperation::SaveAs, &error))
            << error.localizedDescription.toStdString();
        auto* opened =
            qobject_cast<OrvantaDocument*>(controller.openDocumentWithContentsOfURL(where, true, &error));
        EXPECT_NE(opened, nullptr) << error.localizedDescription.toStdString();
        if (OrvantaWindowController* wc = windowControllerOf(opened)) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(wc->window()));
        }
        return opened;
    }

    // A standard playlist with the clips c0.mp4 ... c(n-1).mp4.
    OrvantaDocument* standardWithClips(int count) {
        QList<QUrl> clips;
        for (int i = 0; i < count; ++i)
            clips.append(
                QUrl::fromLocalFile(media("clip-1s.mp4", QStringLiteral("standard/c%1.mp4").arg(i))));
        return openPlaylist(QStringLiteral("standard.orvplaylist"), false, clips);
    }

    // A dynamic playlist of the folder "dynamic" with d0.mp4 and d1.mkv.
    OrvantaDocument* dynamicWithTwoClips() {
        media("clip-1s.mp4", "dynamic/d0.mp4");
        media("clip-1s.mkv", "dynamic/d1.mkv");
        return openPlaylist(QStringLiteral("dynamic.orvdynamic"), true, {}, url("dynamic"));
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
};

} // namespace dnd_test
