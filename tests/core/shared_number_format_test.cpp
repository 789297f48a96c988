// Number formats and conversions at their edges: thousands separators and signs,
// halves rounded away from zero in display, halves to even in totals, and the
// lenient readers of box texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <limits>

#include "shared/number_format.h"

namespace tama {
namespace {

TEST(NumberFormatTest, GroupedWholeNumbers) {
    EXPECT_EQ(formatGrouped(15000), "15,000");
    EXPECT_EQ(formatGrouped(-3500), "-3,500");
    EXPECT_EQ(formatGrouped(1874.5), "1,875");
    EXPECT_EQ(formatGrouped(-1874.5), "-1,875");
    EXPECT_EQ(formatGrouped(2.5), "3");
    EXPECT_EQ(formatGrouped(-2.5), "-3");
    EXPECT_EQ(formatGrouped(999.5), "1,000");
    EXPECT_EQ(formatGrouped(-999.4), "-999");
    EXPECT_EQ(formatGrouped(1234567), "1,234,567");
    EXPECT_EQ(formatGrouped(-100000), "-100,000");
    EXPECT_EQ(formatGrouped(0), "0");
    EXPECT_EQ(formatGrouped(-0.4), "0");  // no "-0"
    EXPECT_EQ(formatGrouped(-0.0), "0");
    EXPECT_EQ(formatGrouped(15000.0 / 8), "1,875");
    EXPECT_EQ(formatGrouped(-15000.0 / 7), "-2,143");
}

TEST(NumberFormatTest, FixedDecimals) {
    EXPECT_EQ(formatFixed(2.0 / 3, 3), "0.667");
    EXPECT_EQ(formatFixed(1.0 / 3, 3), "0.333");
    EXPECT_EQ(formatFixed(1, 3), "1.000");
    EXPECT_EQ(formatFixed(8.5, 1), "8.5");
    EXPECT_EQ(formatFixed(-2, 1), "-2.0");
    EXPECT_EQ(formatFixed(7.25, 1), "7.3");
    EXPECT_EQ(formatFixed(-7.25, 1), "-7.3");
    EXPECT_EQ(formatFixed(0.05, 1), "0.1");    // 0.05 is stored just above or below; rounds as written
    EXPECT_EQ(formatFixed(2.675, 2), "2.68");  // binary 2.67499999...
    EXPECT_EQ(formatFixed(9.96, 1), "10.0");   // carry into the whole part
    EXPECT_EQ(formatFixed(-0.04, 1), "0.0");
    EXPECT_EQ(formatFixed(0.0005, 3), "0.001");
}

TEST(NumberFormatTest, PlainAndSingle) {
    EXPECT_EQ(formatPlain(-48000), "-48000");
    EXPECT_EQ(formatPlain(125500), "125500");
    EXPECT_EQ(formatPlain(-0.5), "-1");
    EXPECT_EQ(formatPlain(-0.4), "0");
    EXPECT_EQ(formatSingle(1234.0f), "1234");
    EXPECT_EQ(formatSingle(1234.5f), "1234.5");
    EXPECT_EQ(formatSingle(-350.0f), "-350");
    EXPECT_EQ(formatSingle(0.1f), "0.1");
    EXPECT_EQ(formatSingle(1440.0f / 110 * 100), "1309.091");  // seven significant digits
    EXPECT_EQ(formatSingle(1.0f / 3), "0.3333333");
    EXPECT_EQ(formatSingle(12345678.0f), "12345678");
}

TEST(NumberFormatTest, LeadingNumberOfABoxText) {
    EXPECT_EQ(leadingNumber("15000"), 15000);
    EXPECT_EQ(leadingNumber(" 12 "), 12);
    EXPECT_EQ(leadingNumber("12a"), 12);
    EXPECT_EQ(leadingNumber("-3.5x"), -3.5);
    EXPECT_EQ(leadingNumber("+7"), 7);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("1,500"), 1);  // stops at the separator
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber("-"), 0);
    EXPECT_EQ(leadingNumber("20030501"), 20030501);
}

TEST(NumberFormatTest, ParseNumberOfStoredFigures) {
    EXPECT_EQ(parseNumber("-3,500"), -3500);
    EXPECT_EQ(parseNumber(" 15,000 "), 15000);
    EXPECT_EQ(parseNumber("1,234,567"), 1234567);
    EXPECT_EQ(parseNumber("1874.5"), 1874.5);
    EXPECT_EQ(parseNumber("+0"), 0);
    for (const char* bad : {"", "  ", "abc", "-", ",", "12a", "1.2.3", "1 000", "--1", "1.5,0"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parseNumber(bad).has_value());
    }
    EXPECT_EQ(numberOrZero("-3,500"), -3500);
    EXPECT_EQ(numberOrZero(""), 0);
    EXPECT_EQ(numberOrZero("x"), 0);
}

TEST(NumberFormatTest, ParseNumberGivesTheDoubleStrtodGives) {
    // The short-figure path and the general one must agree with the C library
    // to the last bit, on both sides of 15 digits and 2^53.
    std::mt19937_64 rng(53);
    std::vector<std::string> texts = {"5.",
                                      ".5",
                                      "0.1",
                                      "-0",
                                      "10.5",
                                      "9007199254740992",
                                      "9007199254740993",
                                      "123456789012.345",
                                      "0.0000000000000001",
                                      "1234567890123456.7"};
    for (int i = 0; i < 50000; ++i) {
        std::string s = rng() % 4 == 0 ? "-" : "";
        const int digits = 1 + static_cast<int>(rng() % 19);
        const int point = static_cast<int>(rng() % (digits + 2)) - 1;  // -1: none
        for (int d = 0; d < digits; ++d) {
            if (d == point) s += '.';
            s += static_cast<char>('0' + rng() % 10);
        }
        texts.push_back(s);
    }
    for (const std::string& s : texts) {
        const auto v = parseNumber(s);
        ASSERT_TRUE(v.has_value()) << s;
        const double expected = std::strtod(s.c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&*v, &expected, sizeof expected), 0) << s << ": " << *v << " vs " << expected;
    }
}

TEST(NumberFormatTest, RoundingRules) {
    EXPECT_EQ(roundHalfAway(2.5), 3);
    EXPECT_EQ(roundHalfAway(-2.5), -3);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(toInt32(2.5), 2);
    EXPECT_EQ(toInt32(-3.5), -4);
    EXPECT_EQ(toInt32(3e9), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(toInt32(-3e9), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(toInt32(std::nan("")), 0);
}

}  // namespace
}  // namespace tama
