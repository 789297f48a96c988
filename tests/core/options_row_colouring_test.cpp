// Which rows of a data list take the alternate colour, and the row counts and
// colours read from stored option texts.
#include <gtest/gtest.h>

#include "options/row_colouring.h"

using namespace tama;

TEST(RowColouring, BandsOfNRowsAlternateStartingWhite) {
    struct Case {
        int every;
        std::vector<int> tinted;  // rows 1..8 that are coloured
    };
    for (const Case& c : {Case{1, {2, 4, 6, 8}}, Case{2, {3, 4, 7, 8}}, Case{3, {4, 5, 6}}, Case{10, {}}}) {
        RowColouring rc{true, c.every, 0xFFFFF5};
        std::vector<int> got;
        for (int r = 1; r <= 8; ++r)
            if (rowTinted(rc, r)) got.push_back(r);
        EXPECT_EQ(got, c.tinted) << "every " << c.every;
    }
    EXPECT_FALSE(rowTinted({true, 1, 0}, 0));  // the empty row of an empty month
    EXPECT_FALSE(rowTinted({false, 1, 0}, 2));
}

TEST(RowColouring, StoredTextsFallBackWhenUnusable) {
    struct Case {
        const char* text;
        int rows;
    };
    for (const Case& c : {Case{"3", 3}, Case{" 99 ", 99}, Case{"", 1}, Case{"0", 1}, Case{"-2", 1}, Case{"100", 1},
                          Case{"2.5", 1}, Case{"abc", 1}})
        EXPECT_EQ(rowBandValue(c.text), c.rows) << c.text;

    OptionSet o;
    o.chkDat1Value = "x";
    o.cmdDatBackColor = "teal";
    const RowColouring rc = rowColouring(o);
    EXPECT_TRUE(rc.enabled);
    EXPECT_EQ(rc.colour, 0xFFFFF5u);
    EXPECT_EQ(colourText(0x8000000Fu), "-2147483633");
    EXPECT_EQ(colourText(255), "255");
}
