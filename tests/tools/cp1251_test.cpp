#include "cp1251.h"

#include <gtest/gtest.h>

namespace telbase {
namespace {

struct Utf8Case
{
    const char *name;
    std::string utf8;
    std::string cp1251;               // expected output up to the failure
    Cp1251Failure::Kind failure;
    std::size_t offset;
    char32_t codePoint;
};

void PrintTo(const Utf8Case &c, std::ostream *os)
{
    *os << c.name;
}


class Utf8ToCp1251 : public testing::TestWithParam<Utf8Case>
{
};

TEST_P(Utf8ToCp1251, ConvertsOrStopsAtTheFirstBadCharacter)
{
    const Utf8Case &c = GetParam();
    std::string out;
    const Cp1251Failure f = appendUtf8AsCp1251(c.utf8, out);
    EXPECT_EQ(f.kind, c.failure);
    EXPECT_EQ(out, c.cp1251);
    if (c.failure != Cp1251Failure::None) {
        EXPECT_EQ(f.offset, c.offset);
        EXPECT_EQ(f.codePoint, c.codePoint);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToCp1251,
    testing::Values(
        Utf8Case{"ascii", "Room 12, ok", "Room 12, ok", Cp1251Failure::None, 0, 0},
        Utf8Case{"cyrillic", "Иванов Ёж ё", "\xC8\xE2\xE0\xED\xEE\xE2 \xA8\xE6 \xB8", Cp1251Failure::None, 0, 0},
        Utf8Case{"punctuation", "№ «—» €", "\xB9 \xAB\x97\xBB \x88", Cp1251Failure::None, 0, 0},
        Utf8Case{"unassigned byte 0x98", "\xC2\x98", "\x98", Cp1251Failure::None, 0, 0},
        Utf8Case{"greek letter", "ab\xCE\xB1", "ab", Cp1251Failure::NotInCodePage, 2, 0x3B1},
        Utf8Case{"emoji", "Я\xF0\x9F\x98\x80", "\xDF", Cp1251Failure::NotInCodePage, 2, 0x1F600},
        Utf8Case{"nul", std::string("a\0b", 3), "a", Cp1251Failure::NotInCodePage, 1, 0},
        Utf8Case{"lone continuation byte", "a\x80", "a", Cp1251Failure::InvalidUtf8, 1, 0},
        Utf8Case{"cut sequence", "a\xD0", "a", Cp1251Failure::InvalidUtf8, 1, 0},
        Utf8Case{"overlong slash", "\xC0\xAF", "", Cp1251Failure::InvalidUtf8, 0, 0},
        Utf8Case{"surrogate", "\xED\xA0\x80", "", Cp1251Failure::InvalidUtf8, 0, 0},
        Utf8Case{"raw 1251 byte", "\xC8\xE2", "", Cp1251Failure::InvalidUtf8, 0, 0}),
    [](const testing::TestParamInfo<Utf8Case> &info) {
        std::string name = info.param.name;
        for (char &ch : name)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(Cp1251ToUtf8, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(char(b));
    const std::string utf8 = cp1251ToUtf8(all);
    std::string back;
    EXPECT_EQ(appendUtf8AsCp1251(utf8, back).kind, Cp1251Failure::None);
    EXPECT_EQ(back, all);
}

TEST(Cp1251ToUtf8, KnownLetters)
{
    EXPECT_EQ(cp1251ToUtf8("\xC8\xE2 \xA8\xB8 \xB9"), "Ив Ёё №");
}

} // namespace
} // namespace telbase
