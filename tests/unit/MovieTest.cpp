#include "platform/media/Movie.h"
#include "platform/media/MovieFileType.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <unistd.h>

namespace {

Movie::OpenResult openMedia(const QString& name) {
    return Movie::open(QUrl::fromLocalFile(testMediaPath(name)));
}

long openDescriptorCount() {
    long count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// The grey level of a picture that must be one solid grey: every R, G and B byte within 3 of it.
int solidGreyLevel(const VideoImage& image) {
    EXPECT_EQ(image.pixels.size(), image.bytesPerLine() * image.height);
    int low = 255, high = 0;
    long sum = 0, count = 0;
    for (qsizetype i = 0; i < image.pixels.size(); ++i) {
        if (i % 4 == 3)
            continue; // the X byte
        const int v = uchar(image.pixels[i]);
        low = std::min(low, v);
        high = std::max(high, v);
        sum += v;
        ++count;
    }
    EXPECT_LE(high - low, 6) << "not one solid grey";
    return count ? int((sum + count / 2) / count) : -1;
}

} // namespace

// Each test file as Movie reads it: its streams, its duration exact in the longest stream's time base,
// whether its first enabled sound track is encrypted, its poster (the first frame, at most 320 wide,
// never enlarged; none from an encrypted picture or a file of sound) and whether a frame exists 1 s in
// (the importer's question). The frame-time check, which reads packet timestamps only, answers as
// decoding does at the edges of the frames and of the ends. No file descriptor stays open.
TEST(Movie, ReadsEveryTestFileAsItIs) {
    const struct {
        const char* name;
        bool video, audio;
        qint64 value;
        qint32 scale;
        bool isProtected;
        int posterWidth; // 0: no poster
        bool frameAtOneSecond;
    } cases[] = {
        {"clip-0.3s.mp4", true, true, 4096, 12800, false, 320, false},
        {"clip-0.5s.mp4", true, true, 6656, 12800, false, 320, false}, // 13 frames outlast 0.5 s of sound
        {"clip-1s.mp4", true, true, 12800, 12800, false, 320, true},
        {"clip-2s.mp4", true, true, 25600, 12800, false, 320, true}, // 50 frames; the AAC also ends at 2 s
        {"movie-noext", true, true, 12800, 12800, false, 320, true},
        {"clip-1s.mkv", true, true, 1003, 1000, false, 320, true}, // container duration, in milliseconds
        {"clip-2s.mkv", true, true, 2003, 1000, false, 320, true},
        {"clip-2s.webm", true, true, 2008, 1000, false, 320, true},
        {"clip-2s.avi", true, true, 51, 25, false, 320, true},     // the AVI muxer counts one frame more
        {"stream.ts", true, true, 92160, 90000, false, 320, true}, // 45 AAC frames from the earliest start
        {"video-only-1s.mp4", true, false, 12800, 12800, false, 320, true},
        {"frames-2s.mp4", true, false, 25600, 12800, false, 320, true},
        {"anim.gif", true, false, 100, 100, false, 160, true},
        {"sound.mp3", false, true, 14563584, 14112000, false, 0, false},
        {"sound.m4a", false, true, 48000, 48000, false, 0, false},
        {"protected-audio.mp4", true, true, 25600, 12800, true, 0, false}, // encrypted, enabled sound track
        {"encrypted-video-clear-audio.mp4", true, true, 25600, 12800, false, 0, false},
        {"disabled-encrypted-audio.mp4", true, true, 25600, 12800, false, 0, false}, // that track disabled
        {"disabled-audio.mp4", true, true, 12800, 12800, false, 320, true},
    };
    // Warmed up first: libraries open some resources lazily.
    ASSERT_TRUE(openTestMovie("clip-2s.mp4")->posterImage());
    const long descriptors = openDescriptorCount();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto movie = openTestMovie(c.name);
        ASSERT_TRUE(movie);
        EXPECT_EQ(movie->hasVideo(), c.video);
        EXPECT_EQ(movie->hasAudio(), c.audio);
        EXPECT_EQ(movie->duration(), MovieTime::make(c.value, c.scale));
        EXPECT_EQ(movie->isProtected(), c.isProtected);
        const auto poster = movie->posterImage();
        EXPECT_EQ(poster ? poster->width : 0, c.posterWidth);
        if (poster) {
            EXPECT_EQ(poster->height, poster->width * 3 / 4);
            EXPECT_EQ(poster->pixels.size(), poster->width * poster->height * 4);
        }
        const auto frame = movie->frameImageAtTime(1.0);
        EXPECT_EQ(frame.has_value(), c.frameAtOneSecond);
        if (frame) {
            EXPECT_TRUE(frame->width <= 320 && !frame->isNull());
        }
        // Not before 3 ms: the Matroska clips' pictures start there, after their sound, and decoding finds
        // no picture before that where the packets (and the decoder's own rule) say the first one shows.
        for (const double seconds :
             {-1.0, 0.01, 0.3, 0.5, 0.96, 0.999, 1.0, 1.001, 1.5, 1.999, 2.0, 2.05, 10.0})
            EXPECT_EQ(movie->hasFrameAtTime(seconds), movie->frameImageAtTime(seconds).has_value())
                << seconds;
        EXPECT_EQ(openDescriptorCount(), descriptors) << "the open movie holds a file descriptor";
    }
}

TEST(Movie, RefusesEmptyBrokenMissingUnreadableAndNonLocalFilesWithAMessageHoldingNoDescriptor) {
    QList<QUrl> urls{QUrl("https://example.com/clip.mp4"), QUrl(), QUrl("clip-1s.mp4"),
                     QUrl::fromLocalFile("/proc/self/mem")}; // opens, but every read at offset 0 fails
    for (const char* name : {"empty.mp4", "text.mp4", "truncated.mp4", "corrupt-header.mp4", "garbage-noext",
                             "notes.txt", "folder", "no-such-file.mp4"})
        urls.append(QUrl::fromLocalFile(testMediaPath(name)));
    const QString copy = QDir::temp().filePath(QStringLiteral("orvanta-unreadable-%1.mp4").arg(getpid()));
    if (geteuid() != 0) { // permissions do not stop root
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(testMediaPath("clip-1s.mp4"), copy));
        QFile::setPermissions(copy, QFileDevice::Permissions{});
        urls.append(QUrl::fromLocalFile(copy));
    }
    ASSERT_TRUE(openTestMovie("clip-2s.mp4")->posterImage()); // warmed up
    const long descriptors = openDescriptorCount();
    for (const QUrl& url : urls) {
        SCOPED_TRACE(url.toString().toStdString());
        const auto result = Movie::open(url);
        EXPECT_FALSE(result || result.movie);
        EXPECT_FALSE(result.error.message.isEmpty());
        EXPECT_EQ(openDescriptorCount(), descriptors);
    }
    QFile::remove(copy);
}

// The poster is the first frame (frame n of frames-2s.mp4 has grey level 5n; -b counts down from 250); a
// frame is there until the end of the movie and none past it (the importer asks for one 1 s in).
TEST(Movie, ThePosterIsTheFirstFrameAndFramesLastUntilTheEnd) {
    const auto up = openTestMovie("frames-2s.mp4");
    const auto down = openTestMovie("frames-2s-b.mp4");
    ASSERT_TRUE(up && down);
    EXPECT_NEAR(solidGreyLevel(*up->posterImage()), 0, 3);
    EXPECT_NEAR(solidGreyLevel(*down->posterImage()), 250, 3);
    EXPECT_NEAR(solidGreyLevel(*down->frameImageAtTime(1.999)), 5, 3);
    EXPECT_TRUE(up->frameImageAtTime(2.0));
    EXPECT_FALSE(up->frameImageAtTime(2.05));
    EXPECT_FALSE(up->frameImageAtTime(-1.0));
}

TEST(Movie, OpensDifferentFilesOnSeveralThreadsAtOnce) {
    const char* names[] = {"clip-2s.mp4", "clip-2s.mkv", "protected-audio.mp4", "stream.ts"};
    std::vector<std::string> results(4 * 8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 8; ++round) {
                const auto result = openMedia(names[(t + round) % 4]);
                const auto poster = result ? result.movie->posterImage() : std::nullopt;
                results[t * 8 + round] = !result ? "refused"
                                                 : result.movie->duration().toString().toStdString() +
                                                       (result.movie->isProtected() ? " protected" : "") +
                                                       (poster ? " poster" : "");
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    const char* expected[] = {"25600/12800 poster", "2003/1000 poster", "25600/12800 protected",
                              "92160/90000 poster"};
    for (int t = 0; t < 4; ++t) {
        for (int round = 0; round < 8; ++round)
            EXPECT_EQ(results[t * 8 + round], expected[(t + round) % 4])
                << "thread " << t << " round " << round;
    }
}

TEST(Movie, KeepsVolumeWithinRangeAndTimeNonNegative) {
    const auto movie = openTestMovie("clip-1s.mp4");
    ASSERT_TRUE(movie);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<float, float> volumes[] = {{0.25f, 0.25f}, {1.5f, 1.0f},    {-0.5f, 0.0f}, {0.5f, 0.5f},
                                               {nan, 0.5f},    {INFINITY, 1.0f}}; // NaN keeps the volume
    for (const auto& [set, kept] : volumes) {
        movie->setVolume(set);
        EXPECT_EQ(movie->volume(), kept) << set;
    }
    const std::pair<double, double> times[] = {{0.75, 0.75}, {-1.0, 0.0}, {0.5, 0.5}, {double(nan), 0.0}};
    for (const auto& [set, kept] : times) {
        movie->setCurrentTime(set);
        EXPECT_EQ(movie->currentTime(), kept) << set;
    }
}

TEST(MovieFileType, VideoTypesByNameOrContentAreMoviesOthersAreNot) {
    for (const char* name :
         {"clip-1s.mp4", "clip-2s.mkv", "clip-2s.webm", "clip-2s.avi", "folder/a.mp4", "folder/.hidden.mp4",
          "stream.ts",   // ".ts" names a translation file first; the content decides
          "movie-noext", // no extension: the content decides
          "text.mp4",    // the name says movie; opening it is what fails
          "empty.mp4", "no-such-file.mp4"})
        EXPECT_TRUE(isMovieURL(QUrl::fromLocalFile(testMediaPath(name)))) << name;
    for (const char* name : {"sound.mp3", "sound.m4a", "anim.gif", "notes.txt", "garbage-noext", "folder",
                             "folder/sub", "no-such-file"})
        EXPECT_FALSE(isMovieURL(QUrl::fromLocalFile(testMediaPath(name)))) << name;
    EXPECT_FALSE(isMovieURL(QUrl("https://example.com/clip.mp4")));
    EXPECT_FALSE(isMovieURL(QUrl()));
}
