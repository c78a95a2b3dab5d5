// The string a playlist stores for a clip's URL. Plain paths skip the check that the string reads back
// as the same URL: the table holds the kinds of paths that take that way, each of which must still read
// back exactly, beside paths that take the checked way.
#include "platform/archive/KeyedArchiver.h"

#include <gtest/gtest.h>

TEST(ArchivedUrlString, FileUrlsAreWrittenAsThatPlatformWritesThemAndReadBackAsTheSameUrl) {
    const struct {
        const char* path;
        const char* written;
    } cases[] = {
        // Plain: written without the check.
        {"/films/clip 1.mp4", "file:///films/clip%201.mp4"},
        {"/a/b-c_d~e/f.g.h", "file:///a/b-c_d~e/f.g.h"},
        {"/日本/映画 é.mkv", "file:///%E6%97%A5%E6%9C%AC/%E6%98%A0%E7%94%BB%20%C3%A9.mkv"},
        {"/ends with slash/", "file:///ends%20with%20slash/"},
        // Checked: sub-delimiters, reserved and escaped characters, dot segments, empty segments.
        {"/films/My Film #2 (été) &=;@+~!%?.mov",
         "file:///films/My%20Film%20%232%20(%C3%A9t%C3%A9)%20&=;@+~!%25%3F.mov"},
        {"/x[1]/y{2}\\z.mp4", "file:///x[1]/y%7B2%7D%5Cz.mp4"}, // as Qt writes it: no exact form
        {"/.hidden/x.mp4", "file:///.hidden/x.mp4"},
        {"/a/./b/../c.mp4", "file:///a/./b/../c.mp4"},
        {"/a//b.mp4", "file:///a//b.mp4"},
        {"/pct%41.mp4", "file:///pct%2541.mp4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const QUrl url = QUrl::fromLocalFile(QString::fromUtf8(c.path));
        const QString written = KeyedArchiver::archivedUrlString(url);
        EXPECT_EQ(written, QString::fromUtf8(c.written));
        EXPECT_EQ(QUrl(written), url);
    }
    // Other URLs are written as Qt encodes them.
    EXPECT_EQ(KeyedArchiver::archivedUrlString(QUrl(QStringLiteral("https://example.com/a b?c=d#e"))),
              QStringLiteral("https://example.com/a%20b?c=d#e"));
    EXPECT_EQ(KeyedArchiver::archivedUrlString(QUrl(QStringLiteral("file://host/share/x y.mp4"))),
              QStringLiteral("file://host/share/x%20y.mp4"));
}
