#include "platform/media/MovieFileType.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <QUrl>

namespace {

bool isMovie(const char* name) {
    return isMovieURL(QUrl::fromLocalFile(testMediaPath(name)));
}

} // namespace

TEST(MovieFileType, VideoTypesByNameOrContentAreMovies) {
    for (const char* name :
         {"clip-1s.mp4", "clip-2s.mkv", "clip-2s.webm", "clip-2s.avi", "folder/a.mp4", "folder/.hidden.mp4",
          "stream.ts",   // ".ts" names a translation file first; the content decides
          "movie-noext", // no extension: the content decides
          "text.mp4",    // the name says movie; opening it is what fails
          "empty.mp4", "no-such-file.mp4"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(isMovie(name));
    }
}

TEST(MovieFileType, SoundImagesTextFoldersAndUnknownContentAreNot) {
    for (const char* name : {"sound.mp3", "sound.m4a", "anim.gif", "notes.txt", "garbage-noext", "folder",
                             "folder/sub", "no-such-file"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(isMovie(name));
    }
    EXPECT_FALSE(isMovieURL(QUrl("https://example.com/clip.mp4")));
    EXPECT_FALSE(isMovieURL(QUrl()));
}
