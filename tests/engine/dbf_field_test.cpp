// Field values in records: numbers read and written, text, logicals and dates, and the
// display form.

#include "dbf_field.h"

#include <cstring>

#include <gtest/gtest.h>

#include "codepage.h"

namespace {

struct ParseCase
{
    const char *bytes;
    dbe::NumberKind kind;
    double value;
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseNumberTest, ReadsTheField)
{
    const ParseCase &c = GetParam();
    double v = -999;
    dbe::NumberKind kind =
        dbe::parseNumberKind(reinterpret_cast<const uint8_t *>(c.bytes), int(strlen(c.bytes)), v);
    EXPECT_EQ(kind, c.kind) << "'" << c.bytes << "'";
    if (kind == dbe::NumberKind::Value) {
        EXPECT_DOUBLE_EQ(v, c.value) << "'" << c.bytes << "'";
    }
    EXPECT_EQ(dbe::parseNumber(reinterpret_cast<const uint8_t *>(c.bytes), int(strlen(c.bytes)), v),
              kind == dbe::NumberKind::Value);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParseNumberTest,
    ::testing::Values(ParseCase{"      ", dbe::NumberKind::Empty, 0},
                      ParseCase{"", dbe::NumberKind::Empty, 0},
                      ParseCase{"   123", dbe::NumberKind::Value, 123},
                      ParseCase{"  -42 ", dbe::NumberKind::Value, -42},
                      ParseCase{"   +7", dbe::NumberKind::Value, 7},
                      ParseCase{" 12.50", dbe::NumberKind::Value, 12.5},
                      ParseCase{"  -.25", dbe::NumberKind::Value, -0.25},
                      ParseCase{"007", dbe::NumberKind::Value, 7},
                      ParseCase{"2147483648", dbe::NumberKind::Value, 2147483648.0},
                      ParseCase{"99999999999999999999", dbe::NumberKind::Value, 1e20},
                      ParseCase{"******", dbe::NumberKind::Empty, 0},
                      ParseCase{"  12a ", dbe::NumberKind::Invalid, 0},
                      ParseCase{" 1 2", dbe::NumberKind::Invalid, 0},
                      ParseCase{"  -  ", dbe::NumberKind::Invalid, 0},
                      ParseCase{"1.2.3", dbe::NumberKind::Invalid, 0},
                      ParseCase{"  1,5", dbe::NumberKind::Invalid, 0},
                      ParseCase{"**1", dbe::NumberKind::Invalid, 0}));

struct EncodeCase
{
    const char *name;
    dbe::FieldInfo field;
    const char *value;
    int code;            // DBE_OK or the failure
    const char *stored;  // the field's bytes after a success
};

dbe::FieldInfo field(char type, int length, int decimals = 0)
{
    dbe::FieldInfo f;
    f.name = "FLD";
    f.type = type;
    f.length = length;
    f.decimals = decimals;
    f.offset = 1;
    return f;
}

class EncodeTest : public ::testing::TestWithParam<EncodeCase>
{
};

TEST_P(EncodeTest, WritesOrRefuses)
{
    const EncodeCase &c = GetParam();
    std::string dest(size_t(c.field.length), '#');
    dbe::Status s = dbe::encodeValue(c.field, c.value, dbe::kCodePage1251,
                                     reinterpret_cast<uint8_t *>(dest.data()));
    EXPECT_EQ(s.code(), c.code) << (s.lines().empty() ? "" : s.lines()[0]);
    if (c.code == DBE_OK) {
        EXPECT_EQ(dest, c.stored);
    } else {
        EXPECT_EQ(dest, std::string(size_t(c.field.length), '#')) << "nothing written";
        ASSERT_FALSE(s.lines().empty());
        EXPECT_NE(s.lines()[0].find("'FLD'"), std::string::npos) << s.lines()[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, EncodeTest,
    ::testing::Values(
        EncodeCase{"NumberRightAligned", field('N', 5), "42", DBE_OK, "   42"},
        EncodeCase{"NumberBlanksTrimmed", field('N', 5), " 42 ", DBE_OK, "   42"},
        EncodeCase{"NumberNegative", field('N', 5), "-42", DBE_OK, "  -42"},
        EncodeCase{"NumberFillsWidth", field('N', 5), "99999", DBE_OK, "99999"},
        EncodeCase{"NumberTooWide", field('N', 5), "100000", DBE_RANGE, ""},
        EncodeCase{"NegativeTooWide", field('N', 5), "-10000", DBE_RANGE, ""},
        EncodeCase{"NumberEmpty", field('N', 5), "", DBE_OK, "     "},
        EncodeCase{"NumberLeadingZeros", field('N', 5), "007", DBE_OK, "    7"},
        EncodeCase{"DecimalsPadded", field('N', 8, 2), "3.5", DBE_OK, "    3.50"},
        EncodeCase{"DecimalsWholeNumber", field('N', 8, 2), "12", DBE_OK, "   12.00"},
        EncodeCase{"DecimalsTrailingZerosOk", field('N', 8, 2), "1.500", DBE_OK, "    1.50"},
        EncodeCase{"TooManyDecimals", field('N', 8, 2), "1.255", DBE_RANGE, ""},
        EncodeCase{"DecimalsInWholeField", field('N', 5), "1.5", DBE_RANGE, ""},
        EncodeCase{"DecimalsMakeItTooWide", field('N', 6, 2), "1234", DBE_RANGE, ""},
        EncodeCase{"FloatField", field('F', 10, 3), "-0.5", DBE_OK, "    -0.500"},
        EncodeCase{"NegativeZero", field('N', 3), "-0", DBE_OK, "  0"},
        EncodeCase{"Letters", field('N', 5), "12a", DBE_TYPE, ""},
        EncodeCase{"SignOnly", field('N', 5), "-", DBE_TYPE, ""},
        EncodeCase{"Exponent", field('N', 8), "1e5", DBE_TYPE, ""},
        EncodeCase{"TextPadded", field('C', 6), "abc", DBE_OK, "abc   "},
        EncodeCase{"TextFull", field('C', 3), "abc", DBE_OK, "abc"},
        EncodeCase{"TextTooLong", field('C', 3), "abcd", DBE_RANGE, ""},
        EncodeCase{"TextEmpty", field('C', 3), "", DBE_OK, "   "},
        EncodeCase{"LogicalTrue", field('L', 1), "t", DBE_OK, "T"},
        EncodeCase{"LogicalYes", field('L', 1), "Y", DBE_OK, "T"},
        EncodeCase{"LogicalNo", field('L', 1), "n", DBE_OK, "F"},
        EncodeCase{"LogicalUnknown", field('L', 1), "?", DBE_OK, "?"},
        EncodeCase{"LogicalEmpty", field('L', 1), "", DBE_OK, " "},
        EncodeCase{"LogicalWord", field('L', 1), "yes", DBE_TYPE, ""},
        EncodeCase{"Date", field('D', 8), "20240229", DBE_OK, "20240229"},
        EncodeCase{"DateEmpty", field('D', 8), "", DBE_OK, "        "},
        EncodeCase{"DateNotLeap", field('D', 8), "20230229", DBE_TYPE, ""},
        EncodeCase{"DateMonth13", field('D', 8), "20231301", DBE_TYPE, ""},
        EncodeCase{"DateShort", field('D', 8), "2023011", DBE_TYPE, ""},
        EncodeCase{"MemoRefused", field('M', 10), "1", DBE_TYPE, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(EncodeCodePage, TextGoesOutIn866AndUnstorableCharactersAreRefused)
{
    dbe::FieldInfo f = field('C', 6);
    std::string dest(6, '#');
    auto *d = reinterpret_cast<uint8_t *>(dest.data());
    ASSERT_TRUE(dbe::encodeValue(f, "\xCF\xE5\xF2\xF0", dbe::kCodePage866, d)); // "Петр"
    EXPECT_EQ(dest, "\x8F\xA5\xE2\xE0  ");
    // An em dash has no place in 866.
    EXPECT_EQ(dbe::encodeValue(f, "a\x97" "b", dbe::kCodePage866, d).code(), DBE_TYPE);
    EXPECT_EQ(dest, "\x8F\xA5\xE2\xE0  ");
}

struct DisplayCase
{
    const char *name;
    dbe::FieldInfo field;
    const char *bytes;
    const char *shown;
};

class DisplayTest : public ::testing::TestWithParam<DisplayCase>
{
};

TEST_P(DisplayTest, ShowsTheStoredValue)
{
    const DisplayCase &c = GetParam();
    std::string out = "junk";
    dbe::displayText(c.field, reinterpret_cast<const uint8_t *>(c.bytes),
                     dbe::toCp1251Table(dbe::kCodePage1251), out);
    EXPECT_EQ(out, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DisplayTest,
    ::testing::Values(DisplayCase{"TextTrimmed", field('C', 6), "ab c  ", "ab c"},
                      DisplayCase{"TextLeadingBlanksKept", field('C', 4), "  ab", "  ab"},
                      DisplayCase{"TextNulPadding", field('C', 4), "ab\0\0", "ab"},
                      // Padding is skipped eight bytes at a time: text ending inside,
                      // right at and just past a word of padding, and blanks mixed with NULs.
                      DisplayCase{"TextEndsInsideLastWord", field('C', 16), "abcdefghi       ", "abcdefghi"},
                      DisplayCase{"TextEndsAtAWord", field('C', 16), "abcdefgh        ", "abcdefgh"},
                      DisplayCase{"TextEndsPastAWord", field('C', 17), "abcdefgh         ", "abcdefgh"},
                      DisplayCase{"TextBlanksAndNuls", field('C', 20), "abc  \0  \0\0 \0        ", "abc"},
                      DisplayCase{"TextNulInsideShownAsBlank", field('C', 12), "a\0b         ", "a b"},
                      DisplayCase{"TextAllPadding", field('C', 24), "                        ", ""},
                      DisplayCase{"TextNoPadding", field('C', 8), "Иван", "Иван"},
                      DisplayCase{"NumberTrimmed", field('N', 6), "  -1.5", "-1.5"},
                      DisplayCase{"NumberEmpty", field('N', 3), "   ", ""},
                      DisplayCase{"NumberStars", field('N', 3), "***", ""},
                      DisplayCase{"LogicalYes", field('L', 1), "y", "T"},
                      DisplayCase{"LogicalFalse", field('L', 1), "F", "F"},
                      DisplayCase{"LogicalUnset", field('L', 1), "?", ""},
                      DisplayCase{"Date", field('D', 8), "19991231", "19991231"},
                      DisplayCase{"DateBlank", field('D', 8), "        ", ""},
                      DisplayCase{"DateZeros", field('D', 8), "00000000", ""},
                      DisplayCase{"MemoAsText", field('M', 10), "        12", "        12"},
                      DisplayCase{"Integer", field('I', 4), "\xFE\xFF\xFF\xFF", "-2"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DisplayCodePage, TextComesBackIn1251WithNulsAsBlanks)
{
    const dbe::FieldInfo f = field('C', 12);
    const char stored[] = "\x8F\0\xA5\xE2\xE0       "; // "П\0етр" in 866
    std::string out;
    dbe::displayText(f, reinterpret_cast<const uint8_t *>(stored),
                     dbe::toCp1251Table(dbe::kCodePage866), out);
    EXPECT_EQ(out, "\xCF \xE5\xF2\xF0");
}

} // namespace
