#include "platform/media/Movie.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <QUrl>
#include <algorithm>

namespace {

std::shared_ptr<Movie> movieOf(const char* name) {
    auto result = Movie::open(QUrl::fromLocalFile(testMediaPath(name)));
    EXPECT_TRUE(result) << name << ": " << result.error.message.toStdString();
    return result.movie;
}

// The grey level of a picture that must be one solid grey: every R, G and B byte within 3 of it.
int solidGreyLevel(const VideoImage& image) {
    EXPECT_EQ(image.pixels.size(), image.bytesPerLine() * image.height);
    int low = 255;
    int high = 0;
    long sum = 0;
    long count = 0;
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

TEST(MoviePoster, IsTheFirstFrameScaledToAtMostTheWidthAsked) {
    for (const char* name : {"clip-0.5s.mp4", "clip-2s.mp4", "clip-2s.mkv", "clip-2s.webm", "clip-2s.avi",
                             "stream.ts", "movie-noext"}) {
        SCOPED_TRACE(name);
        const auto movie = movieOf(name);
        ASSERT_TRUE(movie);
        const auto poster = movie->posterImage();
        ASSERT_TRUE(poster);
        EXPECT_FALSE(poster->isNull());
        EXPECT_EQ(poster->width, 320);
        EXPECT_EQ(poster->height, 240);
        EXPECT_EQ(poster->pixels.size(), 320 * 240 * 4);

        const auto small = movie->posterImage(100);
        ASSERT_TRUE(small);
        EXPECT_EQ(small->width, 100);
        EXPECT_EQ(small->height, 75);
    }
    // Never enlarged.
    const auto gifMovie = movieOf("anim.gif");
    ASSERT_TRUE(gifMovie);
    const auto gif = gifMovie->posterImage(320);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->width, 160);
    EXPECT_EQ(gif->height, 120);

    const auto up = movieOf("frames-2s.mp4");
    const auto down = movieOf("frames-2s-b.mp4");
    ASSERT_TRUE(up && down);
    const auto upPoster = up->posterImage();
    const auto downPoster = down->posterImage();
    ASSERT_TRUE(upPoster && downPoster);
    EXPECT_NEAR(solidGreyLevel(*upPoster), 0, 3);
    EXPECT_NEAR(solidGreyLevel(*downPoster), 250, 3);
}

TEST(MovieFrameAtTime, IsTheLastFrameAtOrBeforeTheTime) {
    // Frame n of frames-2s.mp4 has grey level 5n and starts at n/25 s; -b counts down from 250.
    const auto up = movieOf("frames-2s.mp4");
    const auto down = movieOf("frames-2s-b.mp4");
    ASSERT_TRUE(up && down);
    const struct {
        double seconds;
        int frame;
    } cases[] = {{0.0, 0},  {0.039, 0}, {0.04, 1}, {0.5, 12},  {0.99, 24},
                 {1.0, 25}, {1.01, 25}, {1.5, 37}, {1.96, 49}, {1.999, 49}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        const auto a = up->frameImageAtTime(c.seconds);
        const auto b = down->frameImageAtTime(c.seconds);
        ASSERT_TRUE(a && b);
        EXPECT_NEAR(solidGreyLevel(*a), 5 * c.frame, 3);
        EXPECT_NEAR(solidGreyLevel(*b), 250 - 5 * c.frame, 3);
    }
    // The last frame shows until the end (2 s); past it there is nothing.
    EXPECT_TRUE(up->frameImageAtTime(2.0));
    EXPECT_FALSE(up->frameImageAtTime(2.05));
    EXPECT_FALSE(up->frameImageAtTime(-1.0));
}

TEST(MovieFrameAtTime, OneSecondInExistsOnlyInClipsThatLastThatLong) {
    for (const char* name : {"clip-1s.mp4", "clip-2s.mp4", "clip-1s.mkv", "clip-2s.mkv", "clip-2s.webm",
                             "clip-2s.avi", "stream.ts", "video-only-1s.mp4", "anim.gif"}) {
        SCOPED_TRACE(name);
        const auto movie = movieOf(name);
        ASSERT_TRUE(movie);
        const auto frame = movie->frameImageAtTime(1.0);
        ASSERT_TRUE(frame);
        EXPECT_LE(frame->width, 320);
        EXPECT_FALSE(frame->isNull());
    }
    const auto half = movieOf("clip-0.5s.mp4");
    ASSERT_TRUE(half);
    EXPECT_FALSE(half->frameImageAtTime(1.0));
}

TEST(MovieImages, AreNeverMadeFromEncryptedPicturesOrSoundOnlyFiles) {
    for (const char* name : {"protected-audio.mp4", "encrypted-video-clear-audio.mp4",
                             "disabled-encrypted-audio.mp4", "sound.mp3"}) {
        SCOPED_TRACE(name);
        const auto movie = movieOf(name);
        ASSERT_TRUE(movie);
        EXPECT_FALSE(movie->posterImage());
        EXPECT_FALSE(movie->frameImageAtTime(1.0));
    }
}
