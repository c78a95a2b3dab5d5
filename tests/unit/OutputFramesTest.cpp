// The decisions behind the output window, without a screen: containment, the frame of each output mode
// (all displays: a union that empty rectangles do not enlarge), the centre of the identification window, the
// displays at the edges of a spanning frame, and what the display chooser lists and what each row stands for.
#include "playback/OutputFrames.h"
#include "playback/DisplayChooserModel.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <tuple>

namespace {

std::string text(const QRectF& r) {
    std::ostringstream os;
    os << "(" << r.x() << ", " << r.y() << ") " << r.width() << "x" << r.height();
    return os.str();
}

// QRectF's == compares with a tolerance; frames must match exactly.
bool same(const QRectF& a, const QRectF& b) {
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

const QRectF Main(0, 0, 1920, 1080);
const QRectF Right(1920, 0, 1280, 1024);
const QRectF Left(-1280, 200, 1280, 1024);

} // namespace

TEST(OutputFramesTest, ContainmentNeedsAWholeNonEmptyInnerRectangle) {
    const std::tuple<QRectF, QRectF, bool> cases[] = {
        {Main, Main, true},
        {{0, 0, 3200, 1080}, Main, true},
        {Right, Main, false},
        {{0, 0, 1920, 1079}, Main, false}, // one line short
        {{1, 0, 1920, 1080}, Main, false},
        {Main, QRectF(), false}, // nothing encloses the empty rectangle
        {QRectF(), Main, false},
    };
    for (const auto& [outer, inner, expected] : cases)
        EXPECT_EQ(OutputFrames::containsRect(outer, inner), expected)
            << text(outer) << " around " << text(inner);
}

// All displays is their union, which empty rectangles do not enlarge.
TEST(OutputFramesTest, EachOutputModeGivesItsFrameAndOtherValuesNothing) {
    using Inputs = OutputFrames::OutputModeInputs;
    const Inputs inputs{Right, {Main, Right}, 100, 80, 640, 360};
    const Inputs zeros{Right, {Main, Right}};
    const auto all = [](QList<QRectF> displays) { return Inputs{QRectF(), std::move(displays)}; };
    struct Case {
        const char* name;
        qint64 mode;
        Inputs inputs;
        bool applies;
        bool preview;
        std::optional<QRectF> frame;
    } cases[] = {
        {"preview leaves the window alone", 0, inputs, true, true, std::nullopt},
        {"the selected display", 1, inputs, true, false, Right},
        {"no selected display", 1, Inputs{}, true, false, QRectF()},
        {"all displays", 2, inputs, true, false, QRectF(0, 0, 3200, 1080)},
        {"no displays at all", 2, Inputs{}, true, false, QRectF()},
        {"all of one", 2, all({Main}), true, false, Main},
        {"all of empty displays", 2, all({QRectF(), QRectF()}), true, false, QRectF()},
        {"an empty display first", 2, all({QRectF(), Main}), true, false, Main},
        {"zero width", 2, all({{500, 500, 0, 300}, Main}), true, false, Main},
        {"negative height, far away", 2, all({Main, {4000, 2000, 10, -5}}), true, false, Main},
        {"the gap lies inside", 2, all({{0, 0, 100, 100}, {300, 300, 100, 100}}), true, false,
         QRectF(0, 0, 400, 400)},
        {"one to the left, lower", 2, all({Left, Main}), true, false, QRectF(-1280, 0, 3200, 1224)},
        {"the custom frame", 3, inputs, true, false, QRectF(100, 80, 640, 360)},
        {"the default custom frame", 3, zeros, true, false, QRectF()},
        {"4", 4, inputs, false, false, std::nullopt},
        {"-1", -1, inputs, false, false, std::nullopt},
        {"a large value", qint64(1) << 40, inputs, false, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<OutputFrames::OutputMode> mode = OutputFrames::outputMode(c.mode, c.inputs);
        ASSERT_EQ(mode.has_value(), c.applies);
        if (!mode)
            continue;
        EXPECT_EQ(mode->isPreviewPlayback, c.preview);
        ASSERT_EQ(mode->frame.has_value(), c.frame.has_value());
        if (c.frame) {
            EXPECT_TRUE(same(*mode->frame, *c.frame)) << text(*mode->frame);
        }
    }
}

TEST(OutputFramesTest, TheIdentificationWindowIsCentredInSinglePrecision) {
    const std::tuple<QSizeF, QRectF, QPointF> cases[] = {
        {{400, 240}, Right, {2360, 392}},
        {{401, 241}, {0, 0, 1440, 900}, {519.5, 329.5}},
        {{400, 240}, QRectF(), {-200, -120}}, // no display: around the origin
        {{400, 240}, Left, {-840, 592}},
        // In single precision 16777217 is 16777216.
        {{0, 0}, {16777217, 0, 0, 0}, {16777216, 0}},
    };
    for (const auto& [window, display, expected] : cases) {
        const QPointF got = OutputFrames::centredOrigin(window, display);
        EXPECT_EQ(got.x(), expected.x()) << text(display);
        EXPECT_EQ(got.y(), expected.y()) << text(display);
    }
}

TEST(OutputFramesTest, AFrameMadeOfWholeDisplaysNamesTheDisplaysAtItsEdges) {
    using Edges = OutputFrames::EdgeDisplays;
    const QList<QRectF> sideBySide{Main, Right};
    const QList<QRectF> three{{0, 0, 1440, 900}, {1440, 0, 1920, 1080}, {-1280, 200, 1280, 1024}};
    const QList<QRectF> stacked{{0, 0, 1920, 1080}, {0, -1080, 1920, 1080}};
    struct Case {
        const char* name;
        QRectF frame;
        QList<QRectF> displays;
        std::optional<Edges> expected;
    } cases[] = {
        {"two side by side", {0, 0, 3200, 1080}, sideBySide, Edges{0, 0, 0, 1}},
        {"three, one lower down", {-1280, 0, 4640, 1224}, three, Edges{0, 2, 2, 1}},
        {"the two on the right of three", {0, 0, 3360, 1080}, three, Edges{0, 1, 0, 1}},
        {"one above the other", {0, -1080, 1920, 2160}, stacked, Edges{1, 0, 0, 0}},
        {"a single display", Main, sideBySide, std::nullopt},
        {"more than the displays", {0, 0, 3300, 1080}, sideBySide, std::nullopt},
        {"part of a display", {0, 0, 3000, 1080}, sideBySide, std::nullopt},
        {"nothing", QRectF(), sideBySide, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OutputFrames::edgeDisplays(c.frame, c.displays), c.expected);
    }
}

TEST(DisplayChooserTest, TheMainDisplayASeparatorThenEachDisplayEachStandingForItsDisplay) {
    using Item = DisplayChooserModel::Item;
    const Item separator{QString(), 0, QString(), -1, true};
    struct Case {
        const char* name;
        QList<QRectF> displays;
        int main;
        QList<Item> expected;
    } cases[] = {
        {"two displays",
         {Main, Right},
         0,
         {{"Main Display", 0, "width: 1920, height: 1080", 0},
          separator,
          {"Display 0", 0, "width: 1920, height: 1080", 0},
          {"Display 1", 1, "width: 1280, height: 1024", 1}}},
        {"the main display second, sizes truncated toward zero",
         {Left, {0, 0, 1440.9, 900.5}, {5, 5, -1.7, 0}},
         1,
         {{"Main Display", 0, "width: 1440, height: 900", 1},
          separator,
          {"Display 0", 0, "width: 1280, height: 1024", 0},
          {"Display 1", 1, "width: 1440, height: 900", 1},
          {"Display 2", 2, "width: -1, height: 0", 2}}},
        {"no display at all", {}, -1, {{"Main Display", 0, "width: 0, height: 0", -1}, separator}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<Item> items = DisplayChooserModel::makeItems(c.displays, c.main);
        ASSERT_EQ(items.size(), c.expected.size());
        for (int row = 0; row < int(items.size()); ++row) {
            EXPECT_EQ(items[row], c.expected[row]) << "row " << row << ": " << items[row].title.toStdString()
                                                   << ", " << items[row].toolTip.toStdString();
            EXPECT_EQ(DisplayChooserModel::displayAt(items, row), c.expected[row].display) << "row " << row;
        }
        // Rows out of range stand for no display.
        EXPECT_EQ(DisplayChooserModel::displayAt(items, -1), -1);
        EXPECT_EQ(DisplayChooserModel::displayAt(items, int(items.size())), -1);
    }
}
