// The remembered display: its text forms, how it finds its display again, its place in the playlist file
// (a root key of its own, unknown root keys kept) and the command-line tool's show and set. Where the
// output goes on real displays: tests/screens.
#include "document/SelectedDisplay.h"
#include "UnitFiles.h"
#include "document/OrvantaDocument.h"
#include "document/PlaylistFileFormat.h"
#include "playback/DisplayChooserModel.h"
#include "support/QtPrinters.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using V = KeyedArchiveValue;

const QRectF Right(1600, 0, 960, 768);

// An empty standard playlist as a file holds it, with the extra root entries given.
KeyedArchiveDictionary playlistRoot(const KeyedArchiveDictionary& extra = {}) {
    KeyedArchiveDictionary root{
        {"settings", V::dictionary({{"looping", V::number(TypedNumber::integer(1))}})},
        {"isDynamicPlaylist", V::number(TypedNumber::boolean(false))},
        {"clips", V::array({})},
        {"clipCollection", V::array({})}};
    for (const auto& [key, value] : extra.entries())
        root.insert(key, value);
    return root;
}

V displayEntry(const QString& name, const QString& frame = {}) {
    KeyedArchiveDictionary entry{{"name", V::string(name)}};
    if (!frame.isNull())
        entry.insert("frame", V::string(frame));
    return V::dictionary(entry);
}

} // namespace

TEST(SelectedDisplay, FramesReadBackFromTheirTextAndOtherTextsAreNoFrames) {
    EXPECT_EQ(SelectedDisplay::frameText(Right), "{{1600, 0}, {960, 768}}");
    EXPECT_EQ(SelectedDisplay::frameText(QRectF(-1280.5, 0, 1, 2)), "{{-1280.5, 0}, {1, 2}}");
    const struct {
        const char* text;
        std::optional<QRectF> frame;
    } cases[] = {
        {"{{1600, 0}, {960, 768}}", Right},
        {" {{1600,0},{960,768}} ", Right},
        {"{{-1280.5, -2e1}, {1, 2}}", QRectF(-1280.5, -20, 1, 2)},
        {"{{1600, 0}, {960}}", std::nullopt},
        {"1600 0 960 768", std::nullopt},
        {"{{1600, 0}, {960, 768}} x", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SelectedDisplay::frameFromText(c.text), c.frame) << c.text;
}

TEST(SelectedDisplay, TheNameFindsItsDisplayFirstThenTheFrameAndTheChooserShowsItsOwnRow) {
    const QList<QString> names{"LEFT", "RIGHT", "HDMI-1"};
    const QList<QRectF> frames{QRectF(0, 0, 1600, 1024), Right, Right};
    const struct {
        SelectedDisplay display;
        int index;
    } cases[] = {
        {{"HDMI-1", QRectF(0, 0, 1600, 1024)}, 2}, // the name wins over the frame
        {{"DP-3", Right}, 1},                      // another name: the first of that frame
        {{"DP-3", QRectF(0, 0, 1, 1)}, -1},
        {{"DP-3", QRectF()}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.display.indexAmong(names, frames), c.index) << c.display.name.toStdString();

    // "Main Display" stands for display 0 too, but a remembered display is shown by its own row.
    const auto items = DisplayChooserModel::makeItems(frames, 0);
    EXPECT_EQ(DisplayChooserModel::rowOfDisplay(items, 0), 2);
    EXPECT_EQ(DisplayChooserModel::rowOfDisplay(items, 2), 4);
    EXPECT_EQ(DisplayChooserModel::rowOfDisplay(items, -1), 0);
    EXPECT_EQ(DisplayChooserModel::rowOfDisplay(items, 3), 0);
}

TEST(SelectedDisplay, TheFileKeepsItUnderItsOwnRootKeyAndKeepsRootKeysItDoesNotKnow) {
    const V future =
        V::dictionary({{"nested", V::array({V::string("a"), V::number(TypedNumber::float32(1.5f))})}});
    const struct {
        const char* name;
        KeyedArchiveDictionary extra;
        std::optional<SelectedDisplay> read;
    } cases[] = {
        {"a file of an earlier version", {}, std::nullopt},
        {"a display with its frame",
         {{"selectedDisplay", displayEntry("RIGHT", "{{1600, 0}, {960, 768}}")}},
         SelectedDisplay{"RIGHT", Right}},
        {"a display by name alone",
         {{"selectedDisplay", displayEntry("HDMI-1")}},
         SelectedDisplay{"HDMI-1", {}}},
        {"a later version's keys", {{"futureKey", future}, {"zLast", V::string("z")}}, std::nullopt},
        // Kept as it is, unused: a later version may store the display otherwise.
        {"a display entry of another form", {{"selectedDisplay", V::string("RIGHT")}}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const KeyedArchiveDictionary root = playlistRoot(c.extra);
        OrvantaDocument document;
        QString error;
        ASSERT_TRUE(PlaylistFileFormat::read(archive(root), document, &error, {.openMovies = false}))
            << error.toStdString();
        EXPECT_EQ(document.selectedDisplay(), c.read);
        EXPECT_EQ(document.settings()->looping(), 1);
        const auto written = PlaylistFileFormat::write(document, &error);
        ASSERT_TRUE(written);
        EXPECT_EQ(tree(*written), root); // every entry back, in the file's order
    }

    // Choosing a display adds the key; choosing the main display again takes it out.
    OrvantaDocument document;
    ASSERT_TRUE(PlaylistFileFormat::read(archive(playlistRoot()), document, nullptr, {.openMovies = false}));
    document.setSelectedDisplay(SelectedDisplay{"RIGHT", Right});
    EXPECT_EQ(tree(*PlaylistFileFormat::write(document, nullptr)),
              playlistRoot({{"selectedDisplay", displayEntry("RIGHT", "{{1600, 0}, {960, 768}}")}}));
    document.setSelectedDisplay(std::nullopt);
    EXPECT_EQ(tree(*PlaylistFileFormat::write(document, nullptr)), playlistRoot());
}

TEST(SelectedDisplay, TheToolShowsItAndSetsOrClearsItKeepingEverythingElse) {
    QTemporaryDir dir;
    const QString file = dir.filePath("list.orvplaylist");
    const V right = displayEntry("RIGHT", "{{1600, 0}, {960, 768}}");
    const struct {
        const char* assignment;
        V before, after; // the file's selectedDisplay; null for none
        const char *json, *text;
    } cases[] = {
        {"selectedDisplay=HDMI-1", V(), displayEntry("HDMI-1"), R"({"frame":null,"name":"HDMI-1"})",
         "HDMI-1"},
        // The same name keeps the frame it was last seen at; another name drops it.
        {"selectedDisplay=RIGHT", right, right, R"({"frame":"{{1600, 0}, {960, 768}}","name":"RIGHT"})",
         "RIGHT (last seen at {{1600, 0}, {960, 768}})"},
        {"selectedDisplay=DP-2", right, displayEntry("DP-2"), R"({"frame":null,"name":"DP-2"})", "DP-2"},
        {"selectedDisplay=", right, V(), "null", "main display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.assignment);
        KeyedArchiveDictionary root = playlistRoot({{"futureKey", V::string("kept")}});
        if (!c.before.isNull())
            root.insert("selectedDisplay", c.before);
        ASSERT_TRUE(writeFile(file, archive(root)));
        const ToolRun run = runTool({"set", file, c.assignment});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        if (c.after.isNull())
            root.remove("selectedDisplay");
        else
            root.insert("selectedDisplay", c.after);
        EXPECT_EQ(tree(fileContents(file)), root);

        const QJsonValue shown = showJson(file).value("selectedDisplay");
        EXPECT_EQ(QJsonDocument(QJsonObject{{"v", shown}}).toJson(QJsonDocument::Compact),
                  QByteArray(R"({"v":)") + c.json + "}");
        const QString text = runTool({"show", file}).out;
        EXPECT_TRUE(text.contains(QStringLiteral("\nDisplay:   %1\n").arg(c.text))) << text.toStdString();
    }
}
