// The 8-bit text of the file against Unicode.
#include "ansi_text.h"

#include <gtest/gtest.h>

#if __has_include(<iconv.h>)
#include <iconv.h>
#endif

using namespace text;

TEST(AnsiText, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::u16string text = AnsiToUnicode(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(UnicodeToAnsi(text), all);
    EXPECT_EQ(Utf8ToUnicode(UnicodeToUtf8(text)), text);
}

TEST(AnsiText, Windows1252Characters) {
    const struct {
        char16_t ch;
        char byte;
    } cases[] = {{u'A', 'A'},         {u'\u20AC', '\x80'}, {u'\u2122', '\x99'}, {u'\u0178', '\x9F'},
                 {u'\u00E9', '\xE9'}, {u'\u00FF', '\xFF'}, {u'\u0100', '?'},    {u'\u65E5', '?'}};
    for (const auto& c : cases) {
        EXPECT_EQ(UnicodeToAnsi(std::u16string(1, c.ch)), std::string(1, c.byte)) << int(c.ch);
        if (c.byte != '?') {
            EXPECT_EQ(AnsiToUnicode(std::string(1, c.byte)), std::u16string(1, c.ch));
        }
    }
    EXPECT_EQ(UnicodeToAnsi(u"a\U0001F600b"), "a?b") << "a character beyond 16 bits is one '?'";
}

#if __has_include(<iconv.h>)
TEST(AnsiText, EveryByteAsTheCCodePageTablesHaveIt) {
    // glibc's own Windows-1252 table, an independent source for each of the 256 bytes. The five
    // bytes it leaves undefined come back as the control characters of the same number.
    const iconv_t toUtf16 = ::iconv_open("UTF-16LE", "CP1252");
    ASSERT_NE(toUtf16, reinterpret_cast<iconv_t>(-1));
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        unsigned char out[4] = {};
        char* inPointer = &in;
        auto* outPointer = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof(out);
        const bool defined =
            ::iconv(toUtf16, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<std::size_t>(-1);
        const char16_t expected =
            defined ? static_cast<char16_t>(out[0] | out[1] << 8) : static_cast<char16_t>(b);
        EXPECT_EQ(AnsiToUnicode(std::string(1, in)), std::u16string(1, expected)) << "byte " << b;
        EXPECT_EQ(UnicodeToAnsi(std::u16string(1, expected)), std::string(1, in)) << "byte " << b;
    }
    ::iconv_close(toUtf16);
}
#endif

TEST(AnsiText, Utf8DecodingRefusesBrokenSequences) {
    EXPECT_EQ(Utf8ToUnicode("\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(Utf8ToUnicode("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf8ToUnicode("a\xFF"
                            "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUnicode("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong forms are refused";
    EXPECT_EQ(Utf8ToUnicode("\xE2\x82"), u"\uFFFD\uFFFD") << "a sequence cut short";
}

TEST(AnsiText, FixedWidthFields) {
    std::array<std::uint8_t, 5> field{9, 9, 9, 9, 9};
    SetFieldText(field, "ab");
    EXPECT_EQ(field, (std::array<std::uint8_t, 5>{'a', 'b', 0, 0, 0}));
    EXPECT_EQ(FieldText(field), "ab");
    SetFieldText(field, "abcdefg");
    EXPECT_EQ(FieldText(field), "abcde") << "a full field has no terminator";
    SetFieldText(field, "");
    EXPECT_EQ(field, (std::array<std::uint8_t, 5>{}));
}
