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

} // namespace
