// The clip a playlist window prepares on its player's second handle: the one the end of the current
// clip moves on to, following every edit that changes it, with the playlist's volume and speed; and the
// switch to it when the selection (by hand or by sequencing) makes it current.
#include "app/OrvantaDocumentController.h"
#include "document/ClipImporter.h"
#include "document/ComputePlaylistDuration.h"
#include "document/OrvantaDocument.h"
#include "platform/TypedNumber.h"
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "support/PlaylistFixture.h"
#include "support/RecordingPresenter.h"
#include "support/TestMedia.h"
#include "support/Wait.h"
#include "window/ClipTableModel.h"
#include "window/ClipsController.h"
#include "window/OrvantaWindowController.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int Wait = 15000; // ms allowed for the player to get somewhere; never a measured time

class NextClipTest : public ::testing::Test {
public:
    void SetUp() override { qputenv("ORVANTA_AUDIO", "null"); }
    void TearDown() override {
        controller.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QUrl copyOf(const QString& clip, const QString& name) {
        const QString path = dir.filePath(name + QStringLiteral(".mp4"));
        EXPECT_TRUE(QFile::copy(testMediaPath(clip), path)) << path.toStdString();
        return QUrl::fromLocalFile(path);
    }

    QList<ClipRecordPtr> importClips(const QList<QUrl>& urls) {
        ClipImporter importer({false, false, 1});
        return importer.run(urls).importedClips;
    }

    // A saved playlist of `count` copies of the clip, opened as the application opens one, its window
    // loaded and its player made.
    OrvantaWindowController* open(const QString& file, int count, const QString& clip = "clip-1s.mp4",
                                  const std::function<void(PlaylistSettings&)>& settings = {}) {
        const QUrl where = writeTestPlaylist(dir.path(), file, QStringList(count, clip), settings);
        EXPECT_FALSE(where.isEmpty()) << file.toStdString();
        return openURL(where);
    }

    OrvantaWindowController* openURL(const QUrl& where) {
        DocumentError error;
        auto* opened =
            qobject_cast<OrvantaDocument*>(controller.openDocumentWithContentsOfURL(where, true, &error));
        EXPECT_NE(opened, nullptr) << error.localizedDescription.toStdString();
        if (!opened || opened->windowControllers().empty())
            return nullptr;
        auto* wc = dynamic_cast<OrvantaWindowController*>(opened->windowControllers().front());
        wc->window()->show();
        EXPECT_NE(wc->player(), nullptr) << wc->playerError().toStdString();
        return wc->player() ? wc : nullptr;
    }

    static std::shared_ptr<Movie> movieAt(OrvantaWindowController* wc, int row) {
        return wc->clipsController()->arrangedObjects().at(row)->movie;
    }

    QTemporaryDir dir;
    RecordingPresenter presenter;
    OrvantaDocumentController controller;
};

// One edit of a playlist of four clips (rows 0-3, row 0 current) and the row prepared after it.
struct EditCase {
    const char* name;
    std::function<void(NextClipTest&, OrvantaWindowController*)> edit;
    // The row whose movie is prepared afterwards; -1 for none.
    int preparedRow;
    // The movie expected there, captured before the edit (row of the list before it); -1: as preparedRow.
    int movieFromRowBefore = -1;
};

} // namespace

TEST_F(NextClipTest, ThePreparedClipFollowsEditsLoopingAndSelection) {
    const std::vector<EditCase> cases = {
        {"nothing changed: the row after the current one", [](NextClipTest&, OrvantaWindowController*) {}, 1},
        // A move selects the rows moved, which makes the first of them current.
        {"the last row moved before the second",
         [](NextClipTest&, OrvantaWindowController* wc) {
             wc->clipsController()->moveObjectsAtArrangedObjectIndexes({3}, 1);
         },
         2, 1},
        {"the current row moved down one place",
         [](NextClipTest&, OrvantaWindowController* wc) {
             wc->clipsController()->moveObjectsAtArrangedObjectIndexes({0}, 2);
         },
         2, 2},
        {"the current row moved to the end",
         [](NextClipTest&, OrvantaWindowController* wc) {
             wc->clipsController()->moveObjectsAtArrangedObjectIndexes({0}, 4);
         },
         -1},
        {"the next clip removed",
         [](NextClipTest&, OrvantaWindowController* wc) {
             wc->clipsController()->removeObjectsAtArrangedObjectIndexes({1});
         },
         1, 2},
        {"a clip inserted after the current one",
         [](NextClipTest& test, OrvantaWindowController* wc) {
             wc->clipsController()->insertObjectsAtArrangedObjectIndex(
                 test.importClips({test.copyOf("clip-0.5s.mp4", "inserted")}), 1);
         },
         1},
        {"another clip selected by hand",
         [](NextClipTest&, OrvantaWindowController* wc) { wc->clipsController()->setSelectionIndexes({2}); },
         3},
        {"the last clip selected, looping off",
         [](NextClipTest&, OrvantaWindowController* wc) { wc->clipsController()->setSelectionIndexes({3}); },
         -1},
        {"the last clip selected, then looping turned on",
         [](NextClipTest&, OrvantaWindowController* wc) {
             wc->clipsController()->setSelectionIndexes({3});
             WAIT_UNTIL(wc->player()->preparedMovie() == nullptr, Wait);
             wc->datasource()->settings()->setValue("looping", TypedNumber::integer(1));
         },
         0},
        {"looping turned on, then off again at the last clip",
         [](NextClipTest&, OrvantaWindowController* wc) {
             wc->clipsController()->setSelectionIndexes({3});
             wc->datasource()->settings()->setValue("looping", TypedNumber::integer(1));
             WAIT_UNTIL(wc->player()->preparedMovie() == movieAt(wc, 0), Wait);
             wc->datasource()->settings()->setValue("looping", TypedNumber::integer(0));
         },
         -1},
        {"two rows selected: the row after the last of them",
         [](NextClipTest&, OrvantaWindowController* wc) {
             wc->clipsController()->setSelectionIndexes({0, 1});
         },
         2},
    };
    int index = 0;
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        OrvantaWindowController* wc = open(QStringLiteral("edit%1").arg(index++), 4);
        ASSERT_NE(wc, nullptr);
        ASSERT_EQ(wc->currentMovie(), movieAt(wc, 0));
        WAIT_UNTIL(wc->player()->preparedMovie() == movieAt(wc, 1), Wait);
        const QList<ClipRecordPtr> before = wc->clipsController()->arrangedObjects();

        c.edit(*this, wc);
        const std::shared_ptr<Movie> expected = c.preparedRow < 0 ? nullptr
                                                : c.movieFromRowBefore >= 0
                                                    ? before.at(c.movieFromRowBefore)->movie
                                                    : movieAt(wc, c.preparedRow);
        EXPECT_EQ(wc->movieThatComesNext(), expected);
        WAIT_UNTIL(wc->player()->preparedMovie() == expected, Wait);
        if (expected) {
            EXPECT_NE(expected, wc->currentMovie());
            WAIT_UNTIL(wc->player()->isNextPrepared(), Wait);
        }
        controller.closeAllDocuments();
    }
}

TEST_F(NextClipTest, ThePreparedClipCarriesThePlaylistsVolumeMutingAndSpeedIntoTheSwitch) {
    OrvantaWindowController* wc = open(QStringLiteral("settings"), 2, "clip-1s.mp4", [](PlaylistSettings& s) {
        s.setValue("volume", TypedNumber::float32(0.5f));
        s.setValue("speed", TypedNumber::float32(1.5f));
        s.setValue("muted", TypedNumber::boolean(true));
    });
    ASSERT_NE(wc, nullptr);
    const std::shared_ptr<Movie> next = movieAt(wc, 1);
    WAIT_UNTIL(wc->player()->isNextPrepared(), Wait);
    EXPECT_EQ(wc->player()->preparedMovie(), next);
    EXPECT_FLOAT_EQ(next->volume(), 0.0f);
    EXPECT_FLOAT_EQ(next->preferredRate(), 1.5f);

    // Unmuted after it was prepared: the switch brings the volume the movie has by then.
    wc->datasource()->settings()->setValue("muted", TypedNumber::boolean(false));
    const int handleBefore = wc->player()->activeIndex();
    wc->clipsController()->setSelectionIndexes({1});
    EXPECT_EQ(wc->player()->movie(), next);
    EXPECT_NE(wc->player()->activeIndex(), handleBefore) << "the prepared handle was not switched in";
    WAIT_EQ(wc->player()->engineVolume(), 50.0, Wait);
    wc->play();
    WAIT_EQ(wc->player()->speed(), 1.5, Wait);
    WAIT_UNTIL(!wc->player()->isPaused(), Wait);
}

TEST_F(NextClipTest, SequencingSwitchesToThePreparedClipsAndStopsAtTheEndAsBefore) {
    OrvantaWindowController* wc = open(QStringLiteral("sequence"), 3, "clip-2s.mp4");
    ASSERT_NE(wc, nullptr);
    QList<int> rows;
    QList<bool> switched; // whether each new current movie came in on the other handle, ready
    int lastHandle = wc->player()->activeIndex();
    QObject::connect(wc->clipsController(), &ClipsController::selectionDidChange, wc, [&] {
        rows.append(wc->clipsController()->selectionIndexes().value(0, -1));
        switched.append(wc->player()->activeIndex() != lastHandle && wc->player()->isReady());
        lastHandle = wc->player()->activeIndex();
    });
    WAIT_UNTIL(wc->player()->isNextPrepared(), Wait);
    wc->play();
    WAIT_UNTIL(!wc->isPlaying(), 3 * Wait);
    EXPECT_EQ(rows, (QList<int>{1, 2}));
    // Each clip had the whole of the one before it to get ready.
    EXPECT_EQ(switched, (QList<bool>{true, true}));
    EXPECT_EQ(wc->currentMovie(), movieAt(wc, 2));
    EXPECT_EQ(wc->player()->preparedMovie(), nullptr);
    WAIT_EQ(wc->player()->position(), 0.0, Wait);
    WAIT_UNTIL(wc->player()->isPaused(), Wait);
    EXPECT_DOUBLE_EQ(movieAt(wc, 0)->currentTime(), 0.0);
    EXPECT_DOUBLE_EQ(movieAt(wc, 1)->currentTime(), 0.0);
}

TEST(NextPlayableRowTest, PassesOverRowsThatCannotPlayAndWrapsOnlyWhenLooping) {
    const struct {
        const char* name;
        int rowCount, from;
        bool looping;
        QList<int> playable;
        int expected;
    } cases[] = {
        {"the row after", 4, 0, false, {0, 1, 2, 3}, 1},
        {"a missing row passed over", 4, 0, false, {0, 2, 3}, 2},
        {"nothing after, not looping", 4, 2, false, {0, 1, 2}, -1},
        {"nothing after, looping: from the top", 4, 2, true, {1, 2}, 1},
        {"looping, the current row the only one that plays", 3, 1, true, {1}, 1},
        {"no selection: the first row that plays", 3, -1, false, {2}, 2},
        {"nothing plays", 3, 1, true, {}, -1},
        {"an empty list", 0, -1, true, {}, -1},
    };
    for (const auto& c : cases) {
        QList<int> asked;
        const int row = OrvantaWindowController::nextPlayableRow(c.rowCount, c.from, c.looping, [&](int r) {
            asked.append(r);
            return c.playable.contains(r);
        });
        EXPECT_EQ(row, c.expected) << c.name;
        // Each row is asked at most once: a playlist of missing clips cannot keep the player spinning.
        EXPECT_EQ(QSet<int>(asked.begin(), asked.end()).size(), asked.size()) << c.name;
    }
}

TEST_F(NextClipTest, AMissingClipIsPassedOverUntilItsFileIsBackAndThenPlays) {
    const QUrl where =
        writeTestPlaylist(dir.path(), "gaps", QStringList(3, "clip-0.5s.mp4"),
                          [](PlaylistSettings& s) { s.setValue("looping", TypedNumber::integer(1)); });
    const QString gone = dir.filePath("gaps-c1.mp4");
    ASSERT_TRUE(QFile::remove(gone));
    OrvantaWindowController* wc = openURL(where);
    ASSERT_NE(wc, nullptr);
    ASSERT_EQ(presenter.alerts.size(), 1);
    EXPECT_EQ(presenter.alerts[0].first, "Missing Items");
    EXPECT_TRUE(presenter.alerts[0].second.endsWith("\n\n" + gone))
        << presenter.alerts[0].second.toStdString();

    // In the table: greyed, the reason as its tool tip, a dash for its duration; the total leaves it out.
    const ClipTableModel* model = wc->clipsController()->model();
    auto cell = [&](int row, int column, int role) { return model->index(row, column).data(role); };
    EXPECT_TRUE(cell(1, ClipTableModel::NameColumn, Qt::ForegroundRole).isValid());
    EXPECT_FALSE(cell(0, ClipTableModel::NameColumn, Qt::ForegroundRole).isValid());
    EXPECT_EQ(cell(1, ClipTableModel::NameColumn, Qt::ToolTipRole).toString(),
              "The file “" + gone + "” cannot be found.");
    EXPECT_EQ(cell(1, ClipTableModel::DurationColumn, Qt::DisplayRole).toString(), "—");
    const QString duration = wc->clipsController()->arrangedObjects()[0]->qttimeDuration;
    EXPECT_EQ(wc->totalTimeText()->text(), ComputePlaylistDuration::totalTimeText(QStringList(2, duration)));

    // Chosen by hand while stopped, it has nothing to show; play starts the clip after it.
    wc->clipsController()->setSelectionIndexes({1});
    EXPECT_EQ(wc->currentMovie(), nullptr);
    QList<int> rows;
    QObject::connect(wc->clipsController(), &ClipsController::selectionDidChange, wc, [&] {
        rows.append(wc->clipsController()->selectionIndexes().value(0, -1));
        // The second time the last clip comes, the file is back (a drive mounted late).
        if (rows.count(2) == 2 && !QFileInfo::exists(gone)) {
            EXPECT_TRUE(QFile::copy(testMediaPath("clip-0.5s.mp4"), gone));
        }
    });
    wc->play();
    EXPECT_TRUE(wc->isPlaying());
    WAIT_UNTIL(rows.size() >= 5, 3 * Wait);
    wc->stop();
    // Passed over on the first round, played on the next once its file was there.
    EXPECT_EQ(rows.mid(0, 5), (QList<int>{2, 0, 2, 0, 1}));
    EXPECT_FALSE(movieAt(wc, 1) == nullptr);
    EXPECT_FALSE(cell(1, ClipTableModel::NameColumn, Qt::ForegroundRole).isValid());
    EXPECT_EQ(wc->totalTimeText()->text(), ComputePlaylistDuration::totalTimeText(QStringList(3, duration)));
    EXPECT_EQ(presenter.beeps, 0);

    // Where no clip can play, play only beeps.
    const QUrl none = writeTestPlaylist(dir.path(), "none", QStringList(2, "clip-0.5s.mp4"));
    ASSERT_TRUE(QFile::remove(dir.filePath("none-c0.mp4")) && QFile::remove(dir.filePath("none-c1.mp4")));
    OrvantaWindowController* empty = openURL(none);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(presenter.alerts.last().second.endsWith(dir.filePath("none-c0.mp4") + "\n" +
                                                        dir.filePath("none-c1.mp4")));
    empty->play();
    EXPECT_FALSE(empty->isPlaying());
    EXPECT_EQ(presenter.beeps, 1);
    EXPECT_EQ(empty->player()->movie(), nullptr);
}
