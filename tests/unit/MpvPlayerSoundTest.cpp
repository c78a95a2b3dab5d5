// The player with its sound on a real output, a PulseAudio null sink of the test's own: at a switch the
// clip that ended is left to play out what its output still holds, one left before its end is paused.
#include "platform/media/Movie.h"
#include "platform/media/MpvPlayer.h"
#include "support/PulseNullSink.h"
#include "support/TestMedia.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int Patience = 15000; // ms; generous, these are not timings

bool flag(MpvHandle& handle, const char* name) {
    int value = 0;
    return mpv_get_property(handle.get(), name, MPV_FORMAT_FLAG, &value) >= 0 && value != 0;
}

QString string(MpvHandle& handle, const char* name) {
    char* value = mpv_get_property_string(handle.get(), name);
    const QString result = QString::fromUtf8(value ? value : "");
    mpv_free(value);
    return result;
}

} // namespace

TEST(MpvPlayerSoundTest, TheEndedClipPlaysOutItsSoundAndOneLeftBeforeItsEndIsPaused) {
    QTemporaryDir dir;
    PulseNullSink sink(dir.filePath(QStringLiteral("pulse")));
    if (!sink.isRunning())
        GTEST_SKIP() << "no PulseAudio server (scripts/install-deps installs it)";
    qputenv("PULSE_SERVER", sink.server().toUtf8());
    const auto restore = qScopeGuard([] { qunsetenv("PULSE_SERVER"); });
    MpvPlayer::CreateResult created = MpvPlayer::create({/*renderApi=*/false, /*audioOutput=*/true});
    ASSERT_TRUE(created) << created.error.toStdString();
    MpvPlayer& player = *created.player;
    QSignalSpy prepared(&player, &MpvPlayer::nextPrepared);
    QSignalSpy ended(&player, &MpvPlayer::movieDidEnd);
    auto prepare = [&](const std::shared_ptr<Movie>& movie) {
        prepared.clear();
        player.prepareNext(movie);
        return QTest::qWaitFor([&] { return prepared.count() > 0; }, Patience);
    };
    auto playsOn = [&](const std::shared_ptr<Movie>& movie) {
        return QTest::qWaitFor([&] { return player.movie() == movie && player.position() > 0.2; }, Patience);
    };

    const auto first = openTestMovie(QStringLiteral("clip-0.5s.mp4"));
    // Slowed down: it must still play when the one after it has been prepared.
    const auto second = openTestMovie(QStringLiteral("clip-2s.mp4"));
    second->setPreferredRate(0.5f);
    const auto third = openTestMovie(QStringLiteral("clip-1s.mp4"));
    QSignalSpy ready(&player, &MpvPlayer::movieReady);
    player.attach(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ready.count() > 0; }, Patience));
    ASSERT_TRUE(prepare(second));
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, Patience));
    const int endedIndex = player.activeIndex();
    ASSERT_TRUE(player.switchToPrepared());
    ASSERT_TRUE(playsOn(second));
    EXPECT_EQ(string(player.activeHandle(), "current-ao"), QStringLiteral("pulse"));
    EXPECT_GT(sink.sinkInputs(), 0);
    // Nothing was asked of the ended one: its file stays at the end, unpaused, holding its picture.
    EXPECT_FALSE(flag(player.handle(endedIndex), "pause"));
    EXPECT_TRUE(flag(player.handle(endedIndex), "eof-reached"));

    // Switched away from before its end: its sound stops.
    ASSERT_TRUE(prepare(third));
    ASSERT_EQ(ended.count(), 1) << "the second clip ended before the third was prepared";
    const int leftIndex = player.activeIndex();
    ASSERT_TRUE(player.switchToPrepared());
    ASSERT_TRUE(playsOn(third));
    EXPECT_TRUE(QTest::qWaitFor([&] { return flag(player.handle(leftIndex), "pause"); }, Patience));
}
