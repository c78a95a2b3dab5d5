// Texts the user reads: times and total durations, and names in the order a file manager shows them.
#include "document/ClipRecord.h"
#include "document/ComputePlaylistDuration.h"
#include "platform/NaturalOrder.h"
#include "platform/media/TimeDisplay.h"
#include "support/QtPrinters.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(TimeDisplay, FormatsThroughSinglePrecisionAndClampsHugeTimes) {
    const struct {
        qint64 value;
        qint32 scale;
        qint32 flags;
        const char* text;
    } cases[] = {
        {12345, 600, 1, "Indefinite"},        {0, 0, 1, "Indefinite"},
        {0, 600, 0, "00:00:00.000"},          {0, 0, 0, "00:00:00.000"},
        {1234, 0, 0, "00:00:00.000"}, // a scale of 0 is no time at all
        {5400000, 600, 0, "02:30:00.000"},    {1, 3, 0, "00:00:00.333"},
        {2160599, 600, 0, "01:00:00.998"},    {216000000, 600, 0, "100:00:00.000"},
        {599996, 10000, 0, "00:01:00.000"},   {35999996, 10000, 0, "01:00:00.000"},
        {599994, 10000, 0, "00:00:59.999"},   {1199996, 10000, 0, "00:02:00.000"},
        {100000001, 1000, 0, "27:46:40.000"}, {90, 30, 2, "00:00:03.000"}, // only flags == 1 is indefinite
    };
    for (const auto& c : cases)
        EXPECT_EQ(makeTimeDisplayFromQTTime(MovieTime{c.value, c.scale, c.flags}).toStdString(), c.text)
            << c.value << "/" << c.scale << " flags " << c.flags;
    const QString huge = makeTimeDisplayFromQTTime(MovieTime{std::numeric_limits<qint64>::max(), 1, 0});
    EXPECT_TRUE(huge.startsWith(QStringLiteral("2147483647:"))) << huge.toStdString();
}

TEST(MovieTimeText, IsExactAndReversibleAndRefusesWhatItNeverWrites) {
    const MovieTime times[] = {
        MovieTime::make(0, 600), MovieTime::make(25600, 12800),
        MovieTime::make(-5, 3),  MovieTime::make(std::numeric_limits<qint64>::max(), 1),
        MovieTime{7, 30, 4},     MovieTime::indefinite()};
    for (const MovieTime& t : times) {
        const auto back = MovieTime::fromString(t.toString());
        ASSERT_TRUE(back.has_value()) << t.toString().toStdString();
        EXPECT_EQ(*back, t) << t.toString().toStdString();
    }
    EXPECT_EQ(MovieTime::make(194805, 2997).toString(), QStringLiteral("194805/2997"));
    EXPECT_EQ(MovieTime::indefinite().toString(), QStringLiteral("indefinite"));
    for (const char* bad : {"", "1", "1/", "/600", "1/600/", "a/600", "1/-600", "1/2147483648",
                            "99999999999999999999/1", "1/600/1", "1/600/0", "1.5/600", " 1/600", "1/2/3/4"})
        EXPECT_FALSE(MovieTime::fromString(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(MovieTimeSum, IsExactInTheCommonScaleOrRoundedInTheLargerOne) {
    // 1/3 s + 1/2 s is exactly 5/6 s.
    EXPECT_EQ(MovieTime::increment(MovieTime::make(1, 3), MovieTime::make(1, 2)), MovieTime::make(5, 6));
    // Two large coprime scales: the common multiple does not fit 32 bits; the sum is in the larger
    // scale, rounded to nearest: 1/2147483647 + 1/2147483646 s = 2.0000000005 units of 1/2147483647.
    EXPECT_EQ(MovieTime::increment(MovieTime::make(1, 2147483647), MovieTime::make(1, 2147483646)),
              MovieTime::make(2, 2147483647));
    // A zero scale adds nothing; indefinite stays indefinite.
    EXPECT_EQ(MovieTime::increment(MovieTime::make(9, 0), MovieTime::make(3, 25)), MovieTime::make(3, 25));
    EXPECT_TRUE(MovieTime::increment(MovieTime::indefinite(), MovieTime::make(3, 25)).isIndefinite());
}

// Mixed scales add exactly (1 s at 25, 0.5 s at 48000, 100 h at 600); a text that does not parse adds
// nothing; the transformer reads the clips' durations.
TEST(PlaylistDuration, TotalsTheClipsDurations) {
    EXPECT_EQ(ComputePlaylistDuration::totalTimeText(QStringList{"25/25", "24000/48000", "216000000/600"}),
              QStringLiteral("Total Time:  100:00:01.500"));
    EXPECT_EQ(ComputePlaylistDuration::totalTimeText(QStringList{"garbage", "60/1"}),
              QStringLiteral("Total Time:  0:01:00.000"));
    QList<ClipRecordPtr> clips{std::make_shared<ClipRecord>(), std::make_shared<ClipRecord>()};
    for (const auto& clip : clips)
        clip->qttimeDuration = MovieTime::make(194805, 2997).toString();
    EXPECT_EQ(ComputePlaylistDuration().transformedValue(QVariant::fromValue(clips)).toString(),
              QStringLiteral("Total Time:  0:02:10.000"));
}

TEST(NaturalOrder, SortsNamesAsAFileManagerShowsThem) {
    QStringList names = {"clip10.mp4", "Clip2.mp4", "clip1.mp4",  "clip02b.mp4", "a",
                         "B",          "clip2.mp4", "10",         "9",           "x100y2",
                         "x100y10",    "",          "clip007.mp4"};
    std::sort(names.begin(), names.end(), naturalLess);
    EXPECT_EQ(names, (QStringList{"", "9", "10", "a", "B", "clip1.mp4", "Clip2.mp4", "clip2.mp4",
                                  "clip02b.mp4", "clip007.mp4", "clip10.mp4", "x100y2", "x100y10"}));
    EXPECT_EQ(naturalCompare("same", "same"), 0);
    // Digit runs longer than any integer still compare by value.
    EXPECT_LT(naturalCompare("v99999999999999999999999", "v100000000000000000000000"), 0);
}
