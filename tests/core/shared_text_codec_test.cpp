// The CP932 codec: the characters where CP932 differs from plain Shift-JIS, the
// second bytes that look like ASCII, and refusals instead of silent replacement.
#include <gtest/gtest.h>

#include "shared/text_codec.h"

namespace tama {
namespace {

TEST(TextCodecTest, Cp932BytesOfTheCharactersThatMatter) {
    struct Case {
        const char* utf8;
        const char* cp932;
    };
    for (Case c : {Case{"ソ", "\x83\x5C"}, Case{"表", "\x95\x5C"}, Case{"～", "\x81\x60"}, Case{"－", "\x81\x7C"},
                   Case{"①", "\x87\x40"}, Case{"髙", "\xFB\xFC"}, Case{"ｱ", "\xB1"}, Case{"ｴﾗｰ発生", "\xB4\xD7\xB0\x94\xAD\x90\xB6"},
                   Case{"（不明）", "\x81\x69\x95\x73\x96\xBE\x81\x6A"}}) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(utf8ToCp932(c.utf8), std::string(c.cp932));
        EXPECT_EQ(cp932ToUtf8(c.cp932), std::string(c.utf8));
    }
    // ASCII, control characters included, passes unchanged.
    EXPECT_EQ(cp932ToUtf8(std::string("a\0\x7f\r\n", 5)), std::string("a\0\x7f\r\n", 5));
    EXPECT_EQ(utf8ToCp932(""), "");
}

TEST(TextCodecTest, LongTextsGrowTheOutput) {
    // One byte of half-width katakana becomes three bytes of UTF-8.
    std::string kana(20000, '\xB1'), expected;
    for (int i = 0; i < 20000; ++i) expected += "ｱ";
    EXPECT_EQ(cp932ToUtf8(kana), expected);
    EXPECT_EQ(utf8ToCp932(expected), kana);
}

TEST(TextCodecTest, BytesAndCharactersWithoutACodeAreRefused) {
    for (std::string bad : {"\x82", "abc\x82", "\x82\x22", "\x82\x0A", "\x80", "\xA0", "\xFF", "\x82\x40"}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        EXPECT_FALSE(cp932ToUtf8(bad).has_value());
    }
    for (std::string bad : {"€", "😀", "한", "\xC3", "\xE3\x81", "a\xFF"}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        EXPECT_FALSE(utf8ToCp932(bad).has_value());
    }
    // A refused call leaves the converter fit for the next one.
    EXPECT_EQ(cp932ToUtf8("\x83\x5C"), std::string("ソ"));
}

TEST(TextCodecTest, Utf8LengthAndValidity) {
    EXPECT_EQ(utf8Length("あいう"), 3u);
    EXPECT_EQ(utf8Length("aｱ😀"), 3u);
    EXPECT_EQ(utf8Length(""), 0u);
    EXPECT_TRUE(isValidUtf8("ソフィア表町😀"));
    for (std::string bad : {"\xC3", "\xE3\x81", "\xFF", "\x80", "\xE3\x41\x81"}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        EXPECT_FALSE(isValidUtf8(bad));
    }
}

}  // namespace
}  // namespace tama
