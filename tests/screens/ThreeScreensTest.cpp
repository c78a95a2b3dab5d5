// A desktop of three displays: a 1440×900 main display at the origin, 1920×1080 to its right and
// 1280×1024 to its left, lower down. The chooser, the union across a display at negative coordinates,
// and the identification of each display.
#include "platform/TypedNumber.h"
#include "playback/BorderlessWindow.h"
#include "screens/PlaylistWindowFixture.h"
#include "screens/ScreenLayout.h"
#include "window/DisplayIdentifierWindowController.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QScreen>

QJsonArray screenLayout() {
    return {screenConfig("a-main", 0, 0, 1440, 900), screenConfig("b-right", 1440, 0, 1920, 1080),
            screenConfig("c-left", -1280, 200, 1280, 1024)};
}

namespace {

class ThreeScreensTest : public PlaylistWindowFixture {};

} // namespace

TEST_F(ThreeScreensTest, TheChooserListsEveryDisplayWithItsSize) {
    OrvantaWindowController* wc = open(QStringLiteral("three"));
    ASSERT_NE(wc, nullptr);
    QComboBox* popup = wc->selectDisplayPopUp();
    QStringList titles, toolTips;
    QList<int> tags;
    for (int i = 0; i < popup->count(); ++i) {
        titles.append(popup->itemText(i));
        toolTips.append(popup->itemData(i, Qt::ToolTipRole).toString());
        tags.append(popup->itemData(i, Qt::UserRole).toInt());
    }
    EXPECT_EQ(titles, (QStringList{"Main Display", "", "Display 0", "Display 1", "Display 2"}));
    EXPECT_EQ(toolTips, (QStringList{"width: 1440, height: 900", "", "width: 1440, height: 900",
                                     "width: 1920, height: 1080", "width: 1280, height: 1024"}));
    EXPECT_EQ(tags.mid(2), (QList<int>{0, 1, 2}));
    EXPECT_EQ(tags.first(), 0);
}

TEST_F(ThreeScreensTest, AllDisplaysSpanTheBoundingBoxAndStayOnTopWhenPlaying) {
    OrvantaWindowController* wc = open(QStringLiteral("union"), {"clip-2s.mp4"}, [](PlaylistSettings& s) {
        s.setValue("fullScreenType", TypedNumber::integer(2));
    });
    ASSERT_NE(wc, nullptr);
    BorderlessWindow* output = wc->outputWindow();
    EXPECT_TRUE(sameFrame(output->frame(), QRectF(-1280, 0, 4640, 1224)));
    wc->play();
    EXPECT_TRUE(output->isVisible());
    EXPECT_TRUE(output->isAbovePanels());
    EXPECT_FALSE(output->isFullScreen());
    EXPECT_TRUE(output->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(output->geometry(), QRect(-1280, 0, 4640, 1224));
    wc->stop();
    EXPECT_FALSE(output->isVisible());
    EXPECT_FALSE(output->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(ThreeScreensTest, EachDisplayIsIdentifiedInItsMiddleWithItsNumberAndSize) {
    OrvantaWindowController* wc = open(QStringLiteral("identify"));
    ASSERT_NE(wc, nullptr);
    const struct {
        int index;
        QString number, size;
        QPoint origin;
    } cases[] = {
        {0, "0", "1440 by 900", {520, 330}},
        {2, "0", "1440 by 900", {520, 330}},
        {3, "1", "1920 by 1080", {2200, 420}},
        {4, "2", "1280 by 1024", {-840, 592}},
    };
    for (const auto& c : cases) {
        QComboBox* popup = wc->selectDisplayPopUp();
        popup->setCurrentIndex(c.index);
        emit popup->activated(c.index);
        DisplayIdentifierWindowController* identifier = wc->displayIdentifierController();
        ASSERT_NE(identifier, nullptr);
        EXPECT_EQ(identifier->displayNumberText()->text(), c.number) << c.index;
        EXPECT_EQ(identifier->displaySizeText()->text(), c.size) << c.index;
        EXPECT_EQ(identifier->window()->pos(), c.origin) << c.index;
        EXPECT_TRUE(identifier->window()->isVisible());
    }
}
