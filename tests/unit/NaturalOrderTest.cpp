#include "platform/NaturalOrder.h"
#include "support/QtPrinters.h"

#include <algorithm>
#include <gtest/gtest.h>

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
