// An import through a window places its rows before their posters are decoded. The posters come
// afterwards, the same pictures an import without a window makes at once; a save while they are still
// coming writes the same file as a save once they are all in.
#include "document/ClipImporter.h"
#include "support/PlaylistWindows.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

using ImportPostersTest = PlaylistWindowTest;

int pendingPosters(const QList<ClipRecordPtr>& clips) {
    return int(std::count_if(clips.begin(), clips.end(), [](const ClipRecordPtr& clip) {
        return clip->posterImage.kind == PosterImage::Kind::Pending;
    }));
}

QByteArray savedBytes(OrvantaDocument* document, const QString& path) {
    DocumentError error;
    EXPECT_TRUE(document->saveToURL(QUrl::fromLocalFile(path), OrvantaDocument::StandardPlaylistType,
                                    Document::SaveOperation::SaveTo, &error));
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(ImportPostersTest, RowsComeFirstThenThePostersAndASaveMeanwhileWritesTheSameFile) {
    OrvantaWindowController* wc = open("show");
    ASSERT_NE(wc, nullptr);
    media("clip-2s.mp4", "in/a.mp4");
    media("clip-0.5s.mp4", "in/b.mp4");
    // Enough posters that they are still being decoded when the rows are in.
    const QString clip = testMediaPath(QStringLiteral("clip-1s.mp4"));
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(QFile::link(clip, path(QStringLiteral("in/c%1.mp4").arg(i, 3, 10, QChar(u'0')))));
    wc->addClipsWithURLs({url("in")});
    imported(wc);

    OrvantaDocument* document = wc->datasource();
    const QList<ClipRecordPtr> clips = document->clips();
    ASSERT_EQ(clips.size(), 202);
    // A clip without a frame one second in shows the missing-item picture at once.
    EXPECT_EQ(clips[1]->posterImage.kind, PosterImage::Kind::MissingItem);
    EXPECT_GT(pendingPosters(clips), 0);
    const QByteArray early = savedBytes(document, path("early.orvplaylist"));

    EXPECT_TRUE(QTest::qWaitFor([&] { return pendingPosters(clips) == 0; }, 30000));
    EXPECT_EQ(savedBytes(document, path("late.orvplaylist")), early);
    for (const int row : {0, 1, 2, 201}) {
        SCOPED_TRACE(row);
        const PosterImage atOnce = ClipImporter::posterFor(*clips[row]->movie);
        EXPECT_EQ(clips[row]->posterImage.kind, atOnce.kind);
        EXPECT_EQ(clips[row]->posterImage.frame.pixels, atOnce.frame.pixels);
    }
    EXPECT_EQ(clips[0]->posterImage.kind, PosterImage::Kind::Frame);
}

} // namespace
