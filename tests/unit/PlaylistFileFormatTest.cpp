#include "document/PlaylistFileFormat.h"
#include "document/MissingClip.h"
#include "document/OrvantaDocument.h"
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/bookmarks/Bookmark.h"
#include "support/QtPrinters.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using V = KeyedArchiveValue;

QUrl fileUrl(const QString& path) {
    return QUrl::fromLocalFile(path);
}

// Copies of the test clips in a folder of the test's own, so files can be moved and deleted.
class PlaylistFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString clip(const QString& name, const QString& from = "clip-1s.mp4") {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(QFile::copy(testMediaPath(from), path)) << path.toStdString();
        return path;
    }

    static ClipRecordPtr record(const QString& path) {
        auto opened = Movie::open(fileUrl(path));
        EXPECT_TRUE(opened) << path.toStdString();
        auto r = std::make_shared<ClipRecord>();
        r->URL = fileUrl(path);
        r->name = QFileInfo(path).fileName();
        r->movie = opened.movie;
        r->qttimeDuration = opened.movie->duration().toString();
        r->bookmark = bookmarkData(r->URL, false);
        r->secureBookmark = bookmarkData(r->URL, true);
        return r;
    }

    static QByteArray archive(const KeyedArchiveDictionary& root) {
        auto encoded = KeyedArchiver::archivedDataWithRootObject(V::dictionary(root));
        EXPECT_TRUE(encoded.ok());
        return encoded.data;
    }

    static std::unique_ptr<OrvantaDocument> readBack(const QByteArray& data, QString* error = nullptr) {
        auto doc = std::make_unique<OrvantaDocument>();
        QString reason;
        if (!PlaylistFileFormat::read(data, *doc, &reason)) {
            if (error)
                *error = reason;
            return nullptr;
        }
        return doc;
    }

    static QStringList names(const OrvantaDocument& doc) {
        QStringList list;
        for (const auto& c : doc.clips())
            list.append(c->name);
        return list;
    }
};

} // namespace

TEST_F(PlaylistFiles, AStandardPlaylistComesBackInOrderWithFreshBookmarksAndNoPosters) {
    OrvantaDocument doc;
    doc.settings()->setDefaults();
    doc.settings()->setValue("volume", TypedNumber::float32(0.5f));
    doc.settings()->setValue("looping", TypedNumber::integer(1));
    doc.settings()->setValue("laterVersionKey", TypedNumber::float64(0.1));
    doc.setClips({record(clip("b two.mp4", "clip-2s.mp4")), record(clip("a one.mkv", "clip-1s.mkv")),
                  record(clip("c three.mp4", "clip-0.5s.mp4"))});
    doc.clips()[0]->posterImage.kind = PosterImage::Kind::MissingItem;
    QString error;
    const auto data = PlaylistFileFormat::write(doc, &error);
    ASSERT_TRUE(data) << error.toStdString();

    auto back = readBack(*data);
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->isDynamicPlaylist());
    EXPECT_EQ(names(*back), (QStringList{"b two.mp4", "a one.mkv", "c three.mp4"}));
    for (int i = 0; i < 3; ++i) {
        const auto& c = back->clips()[i];
        EXPECT_EQ(c->URL, doc.clips()[i]->URL);
        EXPECT_EQ(c->qttimeDuration, doc.clips()[i]->qttimeDuration);
        EXPECT_NE(c->movie, doc.clips()[i]->movie);
        EXPECT_EQ(c->posterImage.kind, PosterImage::Kind::None);
        EXPECT_TRUE(c->bookmark && resolveBookmarkData(*c->bookmark).error.isEmpty());
        EXPECT_TRUE(c->secureBookmark && Bookmark::fromData(*c->secureBookmark)->isSecurityScoped());
    }
    EXPECT_EQ(back->settings()->entries(), doc.settings()->entries());
    EXPECT_TRUE(back->missingItems().isEmpty());

    // An empty playlist writes empty lists and reads back empty.
    OrvantaDocument empty;
    empty.settings()->setDefaults();
    auto emptyBack = readBack(*PlaylistFileFormat::write(empty, &error));
    ASSERT_NE(emptyBack, nullptr);
    EXPECT_TRUE(emptyBack->clips().isEmpty());
}

TEST_F(PlaylistFiles, AnIndependentReaderSeesTheTreeOfEachKind) {
    OrvantaDocument standard;
    standard.settings()->setDefaults();
    standard.setClips({record(clip("x.mp4"))});
    standard.clips()[0]->secureBookmark.reset();
    OrvantaDocument dynamic;
    dynamic.settings()->setDefaults();
    dynamic.setIsDynamicPlaylist(true);
    dynamic.setIncludeSubdirectories(true);
    dynamic.setDynamicSourceFolder(fileUrl(dir.path()));

    auto tree = [&](const OrvantaDocument& doc) {
        QString error;
        const QString path = dir.filePath("check.plist");
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(*PlaylistFileFormat::write(doc, &error));
        out.close();
        QProcess python;
        python.start("python3",
                     {qEnvironmentVariable("ORVANTA_SOURCE_DIR") + "/tests/unit/archive_check.py", path});
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    };

    const QJsonObject s = tree(standard);
    const QJsonObject sroot = s["tree"].toObject();
    EXPECT_EQ(sroot.keys(), (QStringList{"clipCollection", "clips", "isDynamicPlaylist", "settings"}));
    EXPECT_EQ(sroot["isDynamicPlaylist"], QJsonValue(false));
    const QJsonObject entry = sroot["clipCollection"].toArray()[0].toObject();
    EXPECT_EQ(entry.keys(), (QStringList{"bookmark", "url"})); // no secure bookmark: the key is absent
    EXPECT_EQ(entry["url"].toObject()["$url"].toString(),
              fileUrl(dir.filePath("x.mp4")).toString(QUrl::FullyEncoded));
    EXPECT_EQ(sroot["clips"].toArray()[0], entry["bookmark"]);
    const QJsonObject settings = sroot["settings"].toObject();
    EXPECT_EQ(settings["autoplay"], QJsonValue(false)); // a boolean, not 0
    EXPECT_EQ(settings["looping"], QJsonValue(0));
    EXPECT_EQ(settings["speed"], QJsonValue(1.0));
    EXPECT_EQ(s["reals4"].toInt(), 1); // speed and volume share the one stored 1.0f
    EXPECT_EQ(s["reals8"].toInt(), 0);

    const QJsonObject droot = tree(dynamic)["tree"].toObject();
    EXPECT_EQ(droot.keys(), (QStringList{"bookmark", "clips", "dynamicSourceFolder", "includeSubdirectories",
                                         "isDynamicPlaylist", "secureBookmark", "settings"}));
    EXPECT_EQ(droot["clips"].toArray().size(), 0);
    EXPECT_EQ(droot["includeSubdirectories"], QJsonValue(true));
    EXPECT_EQ(droot["dynamicSourceFolder"].toObject()["$url"].toString(), fileUrl(dir.path()).toString());
}

TEST_F(PlaylistFiles, EachReferenceFallsBackOnItsOwn) {
    const QString a = clip("a.mp4");
    const QString b = clip("b.mp4");
    const QString moved = clip("moved.mp4");
    const QByteArray bookmarkToB = *bookmarkData(fileUrl(b), false);
    const QByteArray secureToMoved = *bookmarkData(fileUrl(moved), true);

    KeyedArchiveDictionary first{{"url", V::url(fileUrl(a))}, {"secureBookmark", V::data("not a bookmark")}};
    KeyedArchiveDictionary second{{"url", V::url(fileUrl(dir.filePath("stale-name.mp4")))},
                                  {"bookmark", V::data(bookmarkToB)}};
    KeyedArchiveDictionary third{{"url", V::url(fileUrl(dir.filePath("old.mp4")))},
                                 {"secureBookmark", V::data(secureToMoved)}};
    KeyedArchiveDictionary noUrl{{"bookmark", V::data(bookmarkToB)}};
    KeyedArchiveDictionary nothing{{"other", V::string("x")}};
    KeyedArchiveDictionary root{
        {"settings", V::dictionary({})},
        {"isDynamicPlaylist", V::number(TypedNumber::boolean(false))},
        {"clips", V::array({})},
        {"clipCollection", V::array({V::dictionary(first), V::dictionary(second), V::dictionary(third),
                                     V::dictionary(noUrl), V::dictionary(nothing)})}};
    auto doc = readBack(archive(root));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(names(*doc), (QStringList{"a.mp4", "b.mp4", "moved.mp4", "b.mp4"}));
    EXPECT_TRUE(doc->settings()->entries().isEmpty()); // exactly the settings the file holds
}

TEST_F(PlaylistFiles, AFileOfBookmarksAloneListsTheFilesThatAreGone) {
    const QString a = clip("a.mp4");
    const QString gone = clip("gone.mp4");
    const QString c = clip("c.mp4");
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
    EXPECT_EQ(names(*doc), (QStringList{"a.mp4", "gone.mp4", "c.mp4"}));
    EXPECT_TRUE(doc->clips()[1]->isMissing());
    EXPECT_EQ(doc->missingItems(), QSet<QString>{gone});
    // No settings in the file: the playlist gets the settings of a new one.
    EXPECT_EQ(doc->settings()->entries(), PlaylistSettings::defaultEntries());
    // Written back, it keeps its bookmark data byte for byte.
    QString error;
    const auto written = KeyedUnarchiver::unarchiveObjectWithData(*PlaylistFileFormat::write(*doc, &error));
    ASSERT_TRUE(written.ok());
    EXPECT_TRUE(written.value.toDictionary().value("clips").elements()[1] ==
                root.value("clips").elements()[1]);
}

TEST_F(PlaylistFiles, ClipsWhoseMoviesDoNotOpenStayInPlaceAndAreWrittenBackAsTheyWere) {
    const QString a = clip("a.mp4");
    const QString gone = clip("gone.mp4");
    const QString c = clip("c.mp4", "clip-2s.mp4");
    const QString damaged = clip("damaged.mp4");
    auto entry = [](const QString& path, std::optional<QByteArray> plain, std::optional<QByteArray> secure) {
        KeyedArchiveDictionary e{{"url", V::url(fileUrl(path))}};
        if (plain)
            e.insert("bookmark", V::data(*plain));
        if (secure)
            e.insert("secureBookmark", V::data(*secure));
        return e;
    };
    const QList<KeyedArchiveDictionary> entries{
        entry(a, bookmarkData(fileUrl(a), false), bookmarkData(fileUrl(a), true)),
        entry(gone, bookmarkData(fileUrl(gone), false), bookmarkData(fileUrl(gone), true)),
        entry(c, std::nullopt, std::nullopt),
        // Bookmarks made by another platform do not parse here; they are kept all the same.
        entry(dir.filePath("unmounted/other.mov"), QByteArray("book\0data"), QByteArray("secure\1data")),
        entry(damaged, bookmarkData(fileUrl(damaged), false), std::nullopt)};
    QList<V> collection;
    QList<V> clips;
    for (const KeyedArchiveDictionary& e : entries) {
        collection.append(V::dictionary(e));
        clips.append(e.contains("bookmark") ? e.value("bookmark") : V::null());
    }
    const QByteArray data = archive({{"settings", V::dictionary({})},
                                     {"isDynamicPlaylist", V::number(TypedNumber::boolean(false))},
                                     {"clips", V::array(clips)},
                                     {"clipCollection", V::array(collection)}});
    ASSERT_TRUE(QFile::remove(gone));
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a movie");
    }

    auto doc = readBack(data);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(names(*doc), (QStringList{"a.mp4", "gone.mp4", "c.mp4", "other.mov", "damaged.mp4"}));
    const QList<bool> missing{false, true, false, true, true};
    for (int i = 0; i < 5; ++i) {
        const ClipRecord& clipRead = *doc->clips()[i];
        EXPECT_EQ(clipRead.isMissing(), missing[i]) << i;
        if (!clipRead.isMissing())
            continue;
        EXPECT_TRUE(!clipRead.movie && clipRead.qttimeDuration.isEmpty() &&
                    clipRead.posterImage.kind == PosterImage::Kind::None);
    }
    EXPECT_TRUE(doc->clips()[1]->missing->reason.contains("cannot be found"));
    EXPECT_TRUE(doc->clips()[4]->missing->reason.contains("does not open as a movie"));
    EXPECT_EQ(doc->missingItems(), (QSet<QString>{gone, dir.filePath("unmounted/other.mov"), damaged}));

    // Written back: the missing clips' entries and bookmarks exactly as read, the others fresh.
    QString error;
    const auto written = KeyedUnarchiver::unarchiveObjectWithData(*PlaylistFileFormat::write(*doc, &error));
    ASSERT_TRUE(written.ok());
    const KeyedArchiveDictionary root = written.value.toDictionary();
    const QList<V> writtenEntries = root.value("clipCollection").elements();
    ASSERT_EQ(writtenEntries.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const KeyedArchiveDictionary e = writtenEntries[i].toDictionary();
        if (missing[i]) {
            EXPECT_EQ(e.keys(), entries[i].keys()) << i;
            for (const QString& key : e.keys())
                EXPECT_TRUE(e.value(key) == entries[i].value(key)) << i << " " << key.toStdString();
            EXPECT_TRUE(root.value("clips").elements()[i] == clips[i]) << i;
        } else {
            EXPECT_TRUE(e.value("url") == entries[i].value("url")) << i;
            EXPECT_TRUE(resolveBookmarkData(e.value("secureBookmark").toData()).error.isEmpty()) << i;
        }
    }
}

TEST_F(PlaylistFiles, AMissingClipOpensOnceItsFileIsBack) {
    const QString path = clip("back.mp4", "clip-2s.mp4");
    const QByteArray plain = *bookmarkData(fileUrl(path), false);
    const QByteArray secure = *bookmarkData(fileUrl(path), true);
    ASSERT_TRUE(QFile::remove(path));
    ClipRecordPtr missing = MissingClip::makeRecord(fileUrl(path), plain, secure, fileUrl(path), "gone");
    EXPECT_FALSE(MissingClip::reopen(*missing));
    EXPECT_TRUE(missing->missing->reason.contains("cannot be found"));

    // There, but not a movie yet (still being copied, say): still missing, for that reason.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("partial");
    }
    EXPECT_FALSE(MissingClip::reopen(*missing));
    EXPECT_TRUE(missing->missing->reason.contains("does not open as a movie"))
        << missing->missing->reason.toStdString();
    EXPECT_EQ(missing->bookmark, plain);

    ASSERT_TRUE(QFile::remove(path));
    clip("back.mp4", "clip-2s.mp4");
    ASSERT_TRUE(MissingClip::reopen(*missing));
    EXPECT_FALSE(missing->isMissing());
    ASSERT_NE(missing->movie, nullptr);
    EXPECT_EQ(missing->qttimeDuration, missing->movie->duration().toString());
    EXPECT_EQ(missing->posterImage.kind, PosterImage::Kind::Frame);
    EXPECT_EQ(missing->name, "back.mp4");
    // Fresh bookmarks of the file as it is now.
    EXPECT_TRUE(resolveBookmarkData(*missing->bookmark).error.isEmpty());
    EXPECT_TRUE(Bookmark::fromData(*missing->secureBookmark)->isSecurityScoped());
}

TEST_F(PlaylistFiles, ADynamicPlaylistFindsItsFolderThroughBookmarksOrTheStoredUrl) {
    QDir().mkpath(dir.filePath("shows"));
    OrvantaDocument doc;
    doc.settings()->setDefaults();
    doc.setIsDynamicPlaylist(true);
    doc.setIncludeSubdirectories(false);
    doc.setDynamicSourceFolder(fileUrl(dir.filePath("shows")));
    QString error;
    const QByteArray data = *PlaylistFileFormat::write(doc, &error);
    auto back = readBack(data);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isDynamicPlaylist());
    EXPECT_FALSE(back->includeSubdirectories());
    EXPECT_EQ(back->dynamicSourceFolder(), fileUrl(dir.filePath("shows")));
    EXPECT_TRUE(back->clips().isEmpty());

    // Both bookmarks point at a folder that was replaced (stale): the stored URL is taken.
    KeyedArchiveDictionary root{
        {"isDynamicPlaylist", V::number(TypedNumber::boolean(true))},
        {"clips", V::array({})},
        {"dynamicSourceFolder", V::url(fileUrl(dir.filePath("stored")))},
        {"includeSubdirectories", V::number(TypedNumber::boolean(true))},
        {"bookmark", V::data(*bookmarkData(fileUrl(dir.filePath("shows")), false))},
        {"secureBookmark", V::data(*bookmarkData(fileUrl(dir.filePath("shows")), true))}};
    const QByteArray replaced = archive(root);
    // The old folder stays while the new one is made, so the new one cannot reuse its inode.
    ASSERT_TRUE(QDir().rename(dir.filePath("shows"), dir.filePath("shows-old")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("shows")));
    auto fallback = readBack(replaced);
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->dynamicSourceFolder(), fileUrl(dir.filePath("stored")));
    EXPECT_TRUE(fallback->includeSubdirectories());
}

TEST_F(PlaylistFiles, FilesThatAreNotPlaylistsAreRefusedAndChangeNothing) {
    const V yes = V::number(TypedNumber::boolean(true));
    const struct {
        const char* what;
        QByteArray data;
    } bad[] = {
        {"empty", QByteArray()},
        {"text", "just some text, not a playlist"},
        {"binary plist header only", "bplist00"},
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

    // Every prefix of a real playlist file is refused too.
    OrvantaDocument real;
    real.settings()->setDefaults();
    real.setClips({record(clip("r.mp4"))});
    QString error;
    const QByteArray data = *PlaylistFileFormat::write(real, &error);
    for (qsizetype n = 0; n < data.size(); n += 7)
        EXPECT_FALSE(PlaylistFileFormat::read(data.left(n), doc, &error)) << n;
}
