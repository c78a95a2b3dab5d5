// The clip table's controller over a document of real clips, without a window: inserting and removing
// at arranged indexes, the document's own changes, and letting go of the document. The window's table
// over it: WindowControllerTest.
#include "document/ClipImporter.h"
#include "document/OrvantaDocument.h"
#include "support/PlaylistFixture.h"
#include "support/TestMedia.h"
#include "window/ClipsController.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// Records with real movies; each has its own name so that the order can be read back.
QList<ClipRecordPtr> makeClips(int count, const QString& prefix = QStringLiteral("c")) {
    static std::shared_ptr<Movie> movie =
        Movie::open(QUrl::fromLocalFile(testMediaPath("clip-1s.mp4"))).movie;
    QList<ClipRecordPtr> clips;
    for (int i = 0; i < count; ++i) {
        auto clip = ClipImporter::makeClipRecord(movie->url(), movie, {});
        clip->name = prefix + QString::number(i);
        clips.append(clip);
    }
    return clips;
}

class ClipsControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        document.setClips(makeClips(5));
        controller.setContent(&document);
    }
    OrvantaDocument document;
    ClipsController controller;
};

} // namespace

TEST_F(ClipsControllerTest, InsertsAndRemovesAtArrangedIndexesThroughTheDocument) {
    QSignalSpy arranged(&controller, &ClipsController::arrangedObjectsChanged);
    controller.setSelectionIndexes({3});
    controller.insertObjectsAtArrangedObjectIndex(makeClips(2, "n"), 1);
    EXPECT_EQ(clipNames(document.clips()), (QStringList{"c0", "n0", "n1", "c1", "c2", "c3", "c4"}));
    EXPECT_EQ(clipNames(controller.arrangedObjects()), clipNames(document.clips()));
    EXPECT_EQ(clipNames(controller.selectedObjects()), QStringList{"c3"}); // the selection follows its clip
    controller.insertObjectsAtArrangedObjectIndex(makeClips(1, "end"), 99);
    EXPECT_EQ(clipNames(document.clips()).last(), "end0");

    controller.setSelectionIndexes({1, 2, 7});
    controller.remove();
    EXPECT_EQ(clipNames(document.clips()), (QStringList{"c0", "c1", "c2", "c3", "c4"}));
    // The selection does not go empty: the clip now where the first removed one stood.
    EXPECT_EQ(controller.selectionIndexes(), QList<int>{1});
    controller.removeObjectsAtArrangedObjectIndexes({4, 3, 3, 17});
    EXPECT_EQ(clipNames(document.clips()), (QStringList{"c0", "c1", "c2"}));
    EXPECT_EQ(arranged.count(), 4);

    controller.removeObjectsAtArrangedObjectIndexes({});
    controller.removeObjectsAtArrangedObjectIndexes({-1, 3});
    EXPECT_EQ(arranged.count(), 4); // nothing to remove, nothing reported
}

TEST_F(ClipsControllerTest, RearrangingReportsOnlyRealChangesAndKeepsTheSelectedClips) {
    QSignalSpy arranged(&controller, &ClipsController::arrangedObjectsChanged);
    QSignalSpy selection(&controller, &ClipsController::selectionDidChange);
    controller.rearrangeObjects();
    EXPECT_EQ(arranged.count(), 0);

    controller.setSelectionIndexes({2, 4});
    selection.clear();
    QList<ClipRecordPtr> changed = document.clips();
    changed.move(4, 0);
    changed.removeAt(1);        // c0
    document.setClips(changed); // the document's own change reaches the table at once
    EXPECT_EQ(arranged.count(), 1);
    EXPECT_EQ(clipNames(controller.arrangedObjects()), (QStringList{"c4", "c1", "c2", "c3"}));
    EXPECT_EQ(clipNames(controller.selectedObjects()), (QStringList{"c4", "c2"}));
    controller.rearrangeObjects(); // already in line
    EXPECT_EQ(arranged.count(), 1);

    document.setClips(makeClips(2, "new"));
    EXPECT_EQ(controller.selectionIndexes(), QList<int>{0});
    document.setClips({});
    EXPECT_TRUE(controller.selectionIndexes().isEmpty());
    EXPECT_GE(selection.count(), 2);
}

TEST_F(ClipsControllerTest, LettingGoOfTheDocumentEmptiesTheTable) {
    controller.setContent(nullptr);
    EXPECT_TRUE(controller.arrangedObjects().isEmpty());
    document.setClips(makeClips(1)); // no longer followed
    EXPECT_TRUE(controller.arrangedObjects().isEmpty());
}
