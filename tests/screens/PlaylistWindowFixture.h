#pragma once

#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "window/OrvantaWindowController.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Playlists opened as the application opens them, each with its window, closed after each test.
class PlaylistWindowFixture : public ::testing::Test {
protected:
    void SetUp() override { qputenv("ORVANTA_AUDIO", "null"); }
    void TearDown() override {
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    OrvantaWindowController* open(const QString& name, const QStringList& clips = {},
                                  const std::function<void(PlaylistSettings&)>& settings = {}) {
        const QUrl where = writeTestPlaylist(dir.path(), name, clips, settings);
        EXPECT_FALSE(where.isEmpty()) << "could not write " << name.toStdString();
        DocumentError error;
        Document* document = controller.openDocumentWithContentsOfURL(where, true, &error);
        EXPECT_NE(document, nullptr) << error.localizedDescription.toStdString();
        if (!document || document->windowControllers().empty())
            return nullptr;
        auto* wc = dynamic_cast<OrvantaWindowController*>(document->windowControllers().front());
        if (wc)
            wc->window();
        return wc;
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
};

// QRectF's == forgives small differences; frames must match exactly.
inline bool sameFrame(const QRectF& a, const QRectF& b) {
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}
