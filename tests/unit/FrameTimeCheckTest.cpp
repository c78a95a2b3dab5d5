// The frame-at-a-time check that reads packet timestamps only must answer as decoding does, for every
// kind of movie the tests make, at the edges of their frames and of their ends.
#include "platform/media/Movie.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

TEST(FrameTimeCheck, AnswersAsDecodingTheFrameDoes) {
    const char* names[] = {"clip-0.3s.mp4",     "clip-0.5s.mp4",      "clip-1s.mp4",
                           "clip-2s.mp4",       "clip-1s.mkv",        "clip-2s.mkv",
                           "clip-2s.webm",      "clip-2s.avi",        "stream.ts",
                           "video-only-1s.mp4", "frames-2s.mp4",      "anim.gif",
                           "sound.m4a",         "disabled-audio.mp4", "encrypted-video-clear-audio.mp4"};
    // Not before 3 ms: the Matroska clips' pictures start there, after their sound, and decoding finds
    // no picture before that where the packets (and the decoder's own rule) say the first one shows.
    const double times[] = {-1.0, 0.01, 0.3, 0.5, 0.96, 0.999, 1.0, 1.001, 1.5, 1.999, 2.0, 2.05, 10.0};
    for (const char* name : names) {
        const auto movie = openTestMovie(QString::fromLatin1(name));
        ASSERT_TRUE(movie) << name;
        for (const double seconds : times) {
            SCOPED_TRACE(testing::Message() << name << " at " << seconds << " s");
            EXPECT_EQ(movie->hasFrameAtTime(seconds), movie->frameImageAtTime(seconds).has_value());
        }
    }
    // The importer's question: a frame one second in.
    EXPECT_TRUE(openTestMovie("clip-1s.mp4")->hasFrameAtTime(1.0));
    EXPECT_TRUE(openTestMovie("clip-2s.mp4")->hasFrameAtTime(1.0));
    EXPECT_FALSE(openTestMovie("clip-0.5s.mp4")->hasFrameAtTime(1.0));
}
