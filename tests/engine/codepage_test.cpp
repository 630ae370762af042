// Code page tables and the names that choose them.

#include "codepage.h"

#include <gtest/gtest.h>

namespace {

struct ByteCase
{
    uint8_t cp866;
    uint8_t cp1251;
    const char *what;
};

class Cp866Test : public ::testing::TestWithParam<ByteCase>
{
};

TEST_P(Cp866Test, MapsBothWays)
{
    const ByteCase &c = GetParam();
    EXPECT_EQ(dbe::toCp1251Table(866)[c.cp866], c.cp1251) << c.what;
    EXPECT_EQ(dbe::fromCp1251Table(866)[c.cp1251], c.cp866) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Letters, Cp866Test,
                         ::testing::Values(ByteCase{0x80, 0xC0, "А"}, ByteCase{0x9F, 0xDF, "Я"},
                                           ByteCase{0xA0, 0xE0, "а"}, ByteCase{0xAF, 0xEF, "п"},
                                           ByteCase{0xE0, 0xF0, "р"}, ByteCase{0xEF, 0xFF, "я"},
                                           ByteCase{0xF0, 0xA8, "Ё"}, ByteCase{0xF1, 0xB8, "ё"},
                                           ByteCase{0xFC, 0xB9, "№"}, ByteCase{'A', 'A', "A"}));

TEST(CodePage, EveryLetterRoundTripsAnd1251IsIdentity)
{
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(dbe::toCp1251Table(1251)[b], b);
        EXPECT_EQ(dbe::fromCp1251Table(1251)[b], b);
        const uint8_t in1251 = dbe::toCp1251Table(866)[b];
        if (in1251 != '?' || b == '?') {
            EXPECT_EQ(dbe::fromCp1251Table(866)[in1251], b) << b;
        }
    }
    // Box drawing has no 1251 form; 1251 quotes have no 866 form.
    EXPECT_EQ(dbe::toCp1251Table(866)[0xC4], '?');
    EXPECT_EQ(dbe::fromCp1251Table(866)[0x93], 0);
}

struct NameCase
{
    const char *text;
    int codePage;
};

class CpgTextTest : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(CpgTextTest, NamesTheCodePage)
{
    EXPECT_EQ(dbe::codePageOfCpgText(GetParam().text), GetParam().codePage) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Names, CpgTextTest,
                         ::testing::Values(NameCase{"1251", 1251}, NameCase{"866", 866},
                                           NameCase{"cp866", 866}, NameCase{"CP1251\r\n", 1251},
                                           NameCase{"ANSI 1251", 1251}, NameCase{"OEM 866", 866},
                                           NameCase{"1252", 0}, NameCase{"UTF-8", 0},
                                           NameCase{"", 0}, NameCase{"86612", 0}));

TEST(CodePage, LanguageDriverBytes)
{
    EXPECT_EQ(dbe::codePageOfLanguageDriver(0xC9), 1251);
    EXPECT_EQ(dbe::codePageOfLanguageDriver(0x26), 866);
    EXPECT_EQ(dbe::codePageOfLanguageDriver(0x65), 866);
    EXPECT_EQ(dbe::codePageOfLanguageDriver(0x00), 0);
    EXPECT_EQ(dbe::codePageOfLanguageDriver(0x57), 0);
}

TEST(CodePage, EveryByteRoundTripsThroughUtf8)
{
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, char(b));
        std::string back;
        ASSERT_TRUE(dbe::cp1251FromUtf8(dbe::utf8FromCp1251(one), back)) << b;
        EXPECT_EQ(back, one) << b;
    }
    EXPECT_EQ(dbe::utf8FromCp1251("\xd1\xef\xf0\xe0\xe2\xea\xe0"), "Справка");
    EXPECT_EQ(dbe::utf8FromCp1251("\xa8\xb8\xb9"), "Ёё№");
}

struct NotUtf8Case
{
    const char *name;
    const char *text;
};

class NotUtf8Test : public ::testing::TestWithParam<NotUtf8Case>
{
};

// Such a name on disk is taken as 1251 bytes, so it must not pass as UTF-8.
TEST_P(NotUtf8Test, IsRefusedAndLeavesTheOutputAlone)
{
    std::string out = "kept";
    EXPECT_FALSE(dbe::cp1251FromUtf8(GetParam().text, out));
    EXPECT_EQ(out, "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NotUtf8Test,
    ::testing::Values(NotUtf8Case{"Raw1251", "\xd1\xef\xf0\xe0\xe2\xea\xe0"},
                      NotUtf8Case{"CutShort", "\xd0"}, NotUtf8Case{"CutInThree", "ab\xe2\x84"},
                      NotUtf8Case{"StrayContinuation", "\x80"},
                      NotUtf8Case{"Overlong", "\xc1\x81"},
                      NotUtf8Case{"NotIn1251", "\xe4\xb8\xad"}, // a Chinese character
                      NotUtf8Case{"FourBytes", "\xf0\x9f\x98\x80"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
