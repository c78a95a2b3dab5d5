#pragma once

// Tests through real playlist windows: playlist files of copies of the test media in a temporary folder,
// opened as the application opens them (each with its window, shown), alerts and questions going to a
// recording presenter, players without sound; every playlist is closed and its window deleted after each
// test.
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "window/ClipsController.h"
#include "window/ClipsTableView.h"
#include "window/OrvantaWindowController.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class PlaylistWindowTest : public ::testing::Test {
public:
    static OrvantaWindowController* windowControllerOf(Document* document);
    static QStringList names(OrvantaWindowController* wc) { return clipNames(wc->datasource()->clips()); }
    static void processDeferredDeletes();
    // Imports run in the background: waits until the window's run has placed its clips, or ended.
    static void imported(OrvantaWindowController* wc);
    static ClipsTableView* tableOf(OrvantaWindowController* wc) {
        return qobject_cast<ClipsTableView*>(wc->clipsTable());
    }
    // A point in the upper quarter of a row of the table, or below the last row for the row count.
    static QPoint rowPoint(ClipsTableView* table, int row);

protected:
    // Players made here play without a sound device.
    PlaylistWindowTest() { qputenv("ORVANTA_AUDIO", "null"); }
    void TearDown() override;

    // A path, and its URL, below the temporary folder.
    QString path(const QString& relative) const { return dir.filePath(relative); }
    QUrl url(const QString& relative) const { return QUrl::fromLocalFile(path(relative)); }
    // A copy of a test media file below the temporary folder; its URL.
    QUrl media(const QString& from, const QString& to) {
        return QUrl::fromLocalFile(copyTestMedia(from, path(to)));
    }

    // A standard playlist <name>.orvplaylist of copies of the clips (<name>-c0.mp4, ...) in its window.
    OrvantaWindowController* open(const QString& name, const QStringList& clips = {},
                                  const SettingsSetup& settings = {});
    // A dynamic playlist <name>.orvdynamic over a folder below the temporary folder, in its window.
    OrvantaWindowController* openDynamic(const QString& name, const QString& folder,
                                         bool includeSubdirectories = false);
    // The playlist file opened as the application opens one; its window shown and a dynamic playlist's
    // clips in. Null (and the test failed) when it does not open.
    OrvantaWindowController* openURL(const QUrl& file);
    // A new untitled standard playlist in its window.
    OrvantaWindowController* openUntitled();

    static OrvantaDocument* documentOf(OrvantaWindowController* wc) {
        return wc ? wc->datasource() : nullptr;
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
};

// The grey level at a point of what a video view shows, read back from the view; -1 if it has none there.
int viewGrey(QWidget* view, QPoint point);
// Within the few grey levels a scaled, compressed frame may be off by.
inline bool nearGrey(int grey, int expected) {
    return grey >= 0 && std::abs(grey - expected) <= 8;
}
// Waits until the view shows about the grey at the point; fails the test with what it showed last.
void expectGrey(QWidget* view, QPoint point, int expected);
