#include "document/PlaylistFileFormat.h"
#include "UnitFiles.h"
#include "document/ClipImporter.h"
#include "document/MissingClip.h"
#include "document/OrvantaDocument.h"
#include "platform/bookmarks/Bookmark.h"
#include "support/PlaylistFixture.h"
#include "support/QtPrinters.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using V = KeyedArchiveValue;

QUrl fileUrl(const QString& path) {
    return QUrl::fromLocalFile(path);
}

// A clip entry as a file holds it: its URL (none for an empty path) and the bookmark data given.
V entry(const QString& path, std::optional<QByteArray> plain, std::optional<QByteArray> secure) {
    KeyedArchiveDictionary e;
    if (!path.isEmpty())
        e.insert("url", V::url(fileUrl(path)));
    if (plain)
        e.insert("bookmark", V::data(*plain));
    if (secure)
        e.insert("secureBookmark", V::data(*secure));
    return V::dictionary(e);
}

// Copies of the test clips in a folder of the test's own, so files can be moved and deleted.
class PlaylistFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString clip(const QString& name, const QString& from = "clip-1s.mp4") {
        return copyTestMedia(from, dir.filePath(name));
    }
    static std::unique_ptr<OrvantaDocument> readBack(const QByteArray& data) {
        auto doc = std::make_unique<OrvantaDocument>();
        QString error;
        const bool read = PlaylistFileFormat::read(data, *doc, &error);
        EXPECT_TRUE(read) << error.toStdString();
        return read ? std::move(doc) : nullptr;
    }
    static QStringList names(const OrvantaDocument& doc) { return clipNames(doc.clips()); }
};

} // namespace

TEST_F(PlaylistFiles, AStandardPlaylistComesBackInOrderWithFreshBookmarksAndNoPosters) {
    OrvantaDocument doc;
    doc.settings()->setDefaults();
    doc.settings()->setValue("volume", TypedNumber::float32(0.5f));
    doc.settings()->setValue("looping", TypedNumber::integer(1));
    doc.settings()->setValue("laterVersionKey", TypedNumber::float64(0.1));
    const QList<QUrl> files{fileUrl(clip("b two.mp4", "clip-2s.mp4")),
                            fileUrl(clip("a one.mkv", "clip-1s.mkv")),
                            fileUrl(clip("c three.mp4", "clip-0.5s.mp4"))};
    doc.setClips(ClipImporter({false, true, 1}).run(files).importedClips); // with posters
    doc.clips()[0]->secureBookmark.reset();
    QString error;
    const auto data = PlaylistFileFormat::write(doc, &error);
    ASSERT_TRUE(data) << error.toStdString();

    // The tree: each clip's URL and the bookmarks it has, and in "clips" its plain bookmark again.
    const KeyedArchiveDictionary root = tree(*data);
    EXPECT_EQ(root.keys(), (QStringList{"settings", "isDynamicPlaylist", "clips", "clipCollection"}));
    EXPECT_EQ(root.value("isDynamicPlaylist").toNumber(), TypedNumber::boolean(false));
    ASSERT_EQ(root.value("clipCollection").elements().size(), 3);
    const V first = root.value("clipCollection").elements()[0];
    EXPECT_TRUE(first == entry(files[0].toLocalFile(), doc.clips()[0]->bookmark, std::nullopt));
    EXPECT_TRUE(root.value("clips").elements()[0] == first.toDictionary().value("bookmark"));

    auto back = readBack(*data);
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->isDynamicPlaylist());
    ASSERT_EQ(names(*back), (QStringList{"b two.mp4", "a one.mkv", "c three.mp4"}));
    for (int i = 0; i < 3; ++i) {
        const auto& c = back->clips()[i];
        EXPECT_EQ(c->URL, files[i]);
        EXPECT_EQ(c->qttimeDuration, doc.clips()[i]->qttimeDuration);
        EXPECT_NE(c->movie, doc.clips()[i]->movie);
        EXPECT_EQ(c->posterImage.kind, PosterImage::Kind::None);
        EXPECT_TRUE(c->bookmark && resolveBookmarkData(*c->bookmark).error.isEmpty());
        EXPECT_TRUE(c->secureBookmark && Bookmark::fromData(*c->secureBookmark)->isSecurityScoped());
    }
    EXPECT_EQ(back->settings()->entries(), doc.settings()->entries()); // numbers keep their kinds
    EXPECT_TRUE(back->missingItems().isEmpty());
}

// Each entry is looked for on its own: the security-scoped bookmark, the plain one, the stored URL (that
// order in full: BookmarkTest). One whose movie does not open stays in its place, missing, and is written
// back exactly as it was read.
TEST_F(PlaylistFiles, EachEntryIsFoundOnItsOwnAndMissingOnesAreKeptAsTheyWere) {
    const QString a = clip("a.mp4"), b = clip("b.mp4"), moved = clip("moved.mp4"), gone = clip("gone.mp4");
    const QString damaged = clip("damaged.mp4");
    const QString other = dir.filePath("unmounted/other.mov");
    const auto plain = [](const QString& path) { return bookmarkData(fileUrl(path), false); };
    const auto secure = [](const QString& path) { return bookmarkData(fileUrl(path), true); };
    const QList<V> entries{
        entry(a, std::nullopt, QByteArray("not a bookmark")),
        entry(dir.filePath("old.mp4"), plain(b), secure(moved)), // the scoped one first
        entry(QString(), plain(b), std::nullopt), entry(gone, plain(gone), secure(gone)),
        // Bookmarks made by another platform do not parse here; they are kept all the same.
        entry(other, QByteArray("book\0data", 9), QByteArray("secure\1data")),
        entry(damaged, plain(damaged), std::nullopt),
        V::dictionary({{"other", V::string("x")}}), // refers to nothing: no clip
    };
    const QByteArray data = archive({{"settings", V::dictionary({})},
                                     {"isDynamicPlaylist", V::number(TypedNumber::boolean(false))},
                                     {"clips", V::array({})},
                                     {"clipCollection", V::array(entries)}});
    ASSERT_TRUE(QFile::remove(gone));
    ASSERT_TRUE(writeFile(damaged, "not a movie"));

    auto doc = readBack(data);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(names(*doc),
              (QStringList{"a.mp4", "moved.mp4", "b.mp4", "gone.mp4", "other.mov", "damaged.mp4"}));
    EXPECT_TRUE(doc->settings()->entries().isEmpty()); // exactly the settings the file holds
    const QList<bool> missing{false, false, false, true, true, true};
    for (int i = 0; i < 6; ++i) {
        const ClipRecord& read = *doc->clips()[i];
        EXPECT_EQ(read.isMissing(), missing[i]) << i;
        EXPECT_EQ(read.isMissing(), !read.movie && read.qttimeDuration.isEmpty()) << i;
    }
    EXPECT_TRUE(doc->clips()[3]->missing->reason.contains("cannot be found"));
    EXPECT_TRUE(doc->clips()[5]->missing->reason.contains("does not open as a movie"));
    EXPECT_EQ(doc->missingItems(), (QSet<QString>{gone, other, damaged}));

    // Written back: the missing clips' entries and bookmarks exactly as read, the others found afresh.
    QString error;
    const KeyedArchiveDictionary root = tree(*PlaylistFileFormat::write(*doc, &error));
    const QList<V> written = root.value("clipCollection").elements();
    ASSERT_EQ(written.size(), 6);
    for (int i = 0; i < 6; ++i) {
        const KeyedArchiveDictionary e = written[i].toDictionary();
        if (missing[i]) {
            EXPECT_TRUE(written[i] == entries[i]) << i;
            const V bookmark = entries[i].toDictionary().value("bookmark");
            EXPECT_TRUE(root.value("clips").elements()[i] == bookmark) << i; // the null marker when none
        } else {
            EXPECT_EQ(e.value("url").toUrl(), doc->clips()[i]->URL) << i;
            EXPECT_TRUE(resolveBookmarkData(e.value("secureBookmark").toData()).error.isEmpty()) << i;
        }
    }
}

TEST_F(PlaylistFiles, AFileOfBookmarksAloneListsTheFilesThatAreGone) {
    const QString a = clip("a.mp4"), gone = clip("gone.mp4"), c = clip("c.mp4");
    KeyedArchiveDictionary root{
        {"isDynamicPlaylist", V::number(TypedNumber::boolean(false))},
        {"clips",
         V::array({V::data(*bookmarkData(fileUrl(a), true)), V::data(*bookmarkData(fileUrl(gone), true)),
                   V::data("garbage"), V::null(), V::data(*bookmarkData(fileUrl(c), false))})}};
    const QByteArray data = archive(root);
    ASSERT_TRUE(QFile::remove(gone));
    auto doc = readBack(data);
    ASSERT_NE(doc, nullptr);
    // The gone file stays in its place as a missing clip; elements that are not bookmarks are no clips.
    ASSERT_EQ(names(*doc), (QStringList{"a.mp4", "gone.mp4", "c.mp4"}));
    EXPECT_TRUE(doc->clips()[1]->isMissing());
    EXPECT_EQ(doc->missingItems(), QSet<QString>{gone});
    // No settings in the file: the playlist gets the settings of a new one.
    EXPECT_EQ(doc->settings()->entries(), PlaylistSettings::defaultEntries());
    // Written back, it keeps its bookmark data byte for byte.
    QString error;
    EXPECT_TRUE(tree(*PlaylistFileFormat::write(*doc, &error)).value("clips").elements()[1] ==
                root.value("clips").elements()[1]);
}

TEST_F(PlaylistFiles, AMissingClipOpensOnceItsFileIsBack) {
    const QString path = clip("back.mp4", "clip-2s.mp4");
    const QByteArray plain = *bookmarkData(fileUrl(path), false);
    ASSERT_TRUE(QFile::remove(path));
    ClipRecordPtr missing =
        MissingClip::makeRecord(fileUrl(path), plain, std::nullopt, fileUrl(path), "gone");
    EXPECT_FALSE(MissingClip::reopen(*missing));
    EXPECT_TRUE(missing->missing->reason.contains("cannot be found"));

    // There, but not a movie yet (still being copied, say): still missing, for that reason.
    ASSERT_TRUE(writeFile(path, "partial"));
    EXPECT_FALSE(MissingClip::reopen(*missing));
    EXPECT_TRUE(missing->missing->reason.contains("does not open as a movie"))
        << missing->missing->reason.toStdString();
    EXPECT_EQ(missing->bookmark, plain);

    // The movie, its duration, a poster, and fresh bookmarks of the file as it is now.
    clip("back.mp4", "clip-2s.mp4");
    ASSERT_TRUE(MissingClip::reopen(*missing));
    EXPECT_FALSE(missing->isMissing());
    ASSERT_NE(missing->movie, nullptr);
    EXPECT_EQ(missing->qttimeDuration, "25600/12800");
    EXPECT_EQ(missing->posterImage.kind, PosterImage::Kind::Frame);
    EXPECT_TRUE(resolveBookmarkData(*missing->bookmark).error.isEmpty());
    EXPECT_TRUE(Bookmark::fromData(*missing->secureBookmark)->isSecurityScoped());
}

TEST_F(PlaylistFiles, FilesThatAreNotPlaylistsAreRefusedAndChangeNothing) {
    const V yes = V::number(TypedNumber::boolean(true));
    const struct {
        const char* what;
        QByteArray data;
    } bad[] = {
        {"text", "just some text, not a playlist"},
        {"root is an array", KeyedArchiver::archivedDataWithRootObject(V::array({})).data},
        {"settings not a dictionary", archive({{"settings", V::array({})}})},
        {"setting not a number", archive({{"settings", V::dictionary({{"volume", V::string("loud")}})}})},
        {"clipCollection not an array", archive({{"clipCollection", V::dictionary({})}})},
        {"clip entry not a dictionary", archive({{"clipCollection", V::array({V::string("x")})}})},
        {"isDynamicPlaylist not a boolean", archive({{"isDynamicPlaylist", V::string("yes")}})},
        {"folder not a URL",
         archive({{"isDynamicPlaylist", yes}, {"dynamicSourceFolder", V::string("/tmp")}})},
    };
    OrvantaDocument doc;
    doc.settings()->setDefaults();
    doc.settings()->setValue("volume", TypedNumber::float32(0.3f));
    for (const auto& b : bad) {
        QString error;
        EXPECT_FALSE(PlaylistFileFormat::read(b.data, doc, &error)) << b.what;
        EXPECT_FALSE(error.isEmpty()) << b.what;
    }
    EXPECT_FLOAT_EQ(doc.settings()->volume(), 0.3f);
    EXPECT_EQ(doc.settings()->keys().size(), 12);
}
