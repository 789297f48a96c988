// The CP932 codec: the characters where CP932 differs from plain Shift-JIS, the
// second bytes that look like ASCII, and refusals instead of silent replacement.
#include <gtest/gtest.h>
#include <iconv.h>

#include <random>

#include "shared/text_codec.h"

namespace tama {
namespace {

// The system's iconv, which the codec's tables are taken from, as the reference.
struct Iconv {
    iconv_t cd;
    Iconv(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Iconv() { iconv_close(cd); }
    std::optional<std::string> operator()(std::string_view in) const {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * 4 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size(), dstLeft = out.size();
        char* dst = out.data();
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != 0) return std::nullopt;
        out.resize(out.size() - dstLeft);
        return out;
    }
};

std::string utf8Of(unsigned cp) {
    std::string s;
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    if (cp < 0x800) return {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
    if (cp < 0x10000)
        return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                static_cast<char>(0x80 | (cp & 0x3F))};
    return {static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
}

TEST(TextCodecTest, DecodesEveryByteAndBytePairAsIconvDoes) {
    const Iconv reference("UTF-8", "CP932");
    int differences = 0;
    for (unsigned a = 0; a < 256; ++a) {
        const std::string one(1, static_cast<char>(a));
        if (cp932ToUtf8(one) != reference(one) && ++differences < 5) ADD_FAILURE() << "byte " << a;
        for (unsigned b = 0; b < 256; ++b) {
            const std::string two{static_cast<char>(a), static_cast<char>(b)};
            if (cp932ToUtf8(two) != reference(two) && ++differences < 5) ADD_FAILURE() << "bytes " << a << "," << b;
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(TextCodecTest, EncodesEveryCodePointAsIconvDoes) {
    const Iconv reference("CP932", "UTF-8");
    int differences = 0;
    for (unsigned cp = 0; cp < 0x110000; ++cp) {
        const std::string text = utf8Of(cp);  // surrogates too, which both must refuse
        // iconv drops the tag characters U+E0000..E007F without a word; the
        // codec refuses them like every other character CP932 has no code for.
        const auto expected = cp >= 0xE0000 && cp < 0xE0080 ? std::nullopt : reference(text);
        if (utf8ToCp932(text) != expected && ++differences < 5) ADD_FAILURE() << "U+" << std::hex << cp;
    }
    EXPECT_EQ(differences, 0);
}

TEST(TextCodecTest, RandomTextsConvertAsIconvDoes) {
    // Mixed runs of ASCII, katakana, pairs and stray bytes in both directions,
    // including broken and overlong UTF-8.
    const Iconv decode("UTF-8", "CP932"), encode("CP932", "UTF-8");
    std::mt19937 rng(932);
    const std::string pieces[] = {"a",
                                  ",",
                                  "\"",
                                  "\r\n",
                                  "\xB1",
                                  "\x83\x5C",
                                  "\x81\x60",
                                  "\x82",
                                  "\xFC\xFC",
                                  "\x80",
                                  "\xE3\x81\x82",
                                  "\xC0\xAF",
                                  "\xED\xA0\x80",
                                  "\xF0\x9F\x98\x80",
                                  "\xE3\x80\x9C",
                                  "\xC2\xA5",
                                  "\xEF\xBD\xB1",
                                  "\xF3\xA0\x80\x81"};
    for (int i = 0; i < 20000; ++i) {
        std::string s;
        for (int n = static_cast<int>(rng() % 12); n > 0; --n) s += pieces[rng() % std::size(pieces)];
        ASSERT_EQ(cp932ToUtf8(s), decode(s)) << testing::PrintToString(s);
        const bool tag = s.find("\xF3\xA0\x80\x81") != std::string::npos;
        ASSERT_EQ(utf8ToCp932(s), tag ? std::nullopt : encode(s)) << testing::PrintToString(s);
    }
}

TEST(TextCodecTest, Cp932BytesOfTheCharactersThatMatter) {
    struct Case {
        const char* utf8;
        const char* cp932;
    };
    for (Case c :
         {Case{"ソ", "\x83\x5C"}, Case{"表", "\x95\x5C"}, Case{"～", "\x81\x60"}, Case{"－", "\x81\x7C"},
          Case{"①", "\x87\x40"}, Case{"髙", "\xFB\xFC"}, Case{"ｱ", "\xB1"},
          Case{"ｴﾗｰ発生", "\xB4\xD7\xB0\x94\xAD\x90\xB6"}, Case{"（不明）", "\x81\x69\x95\x73\x96\xBE\x81\x6A"}}) {
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
