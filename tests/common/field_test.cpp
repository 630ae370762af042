#include <gtest/gtest.h>

#include "dataset.h"
#include "cp1251.h"
#include "exceptions.h"

namespace {

// ---- Kinds of the dBASE types ----------------------------------------------------------

struct KindCase
{
    char type;
    int size;
    int decimals;
    TFieldType kind;
    int displayWidth;
    bool numeric;
};

void PrintTo(const KindCase &c, std::ostream *os)
{
    *os << c.type << '(' << c.size << ',' << c.decimals << ')';
}

class FieldKindTest : public testing::TestWithParam<KindCase>
{};

TEST_P(FieldKindTest, MapsTypeAndWidth)
{
    const KindCase &c = GetParam();
    const TField field(nullptr, 0, QStringLiteral("F"), c.type, c.size, c.decimals);
    EXPECT_EQ(field.DataType(), c.kind);
    EXPECT_EQ(field.DisplayWidth(), c.displayWidth);
    EXPECT_EQ(field.IsNumeric(), c.numeric);
}

INSTANTIATE_TEST_SUITE_P(Types, FieldKindTest,
                         testing::Values(KindCase {'C', 60, 0, ftString, 60, false},
                                         KindCase {'N', 4, 0, ftSmallint, 10, true},
                                         KindCase {'N', 5, 0, ftInteger, 10, true},
                                         KindCase {'N', 9, 0, ftInteger, 10, true},
                                         KindCase {'N', 10, 0, ftFloat, 10, true},
                                         KindCase {'N', 11, 0, ftFloat, 10, true},
                                         KindCase {'N', 8, 2, ftFloat, 10, true},
                                         KindCase {'F', 12, 3, ftFloat, 10, true},
                                         KindCase {'L', 1, 0, ftBoolean, 5, false},
                                         KindCase {'D', 8, 0, ftDate, 10, false},
                                         KindCase {'M', 10, 0, ftUnknown, 10, false}));

// ---- A typed text as the engine gets it, or the field's conversion error ---------------

struct ConvertCase
{
    const char *name;
    char type;
    int size;
    int decimals;
    const char *text;
    const char *stored; // null when the text must be refused
    const char *message;
};

void PrintTo(const ConvertCase &c, std::ostream *os) { *os << c.name; }

class FieldConvertTest : public testing::TestWithParam<ConvertCase>
{};

TEST_P(FieldConvertTest, ValidatesTypedText)
{
    const ConvertCase &c = GetParam();
    const TField field(nullptr, 0, QStringLiteral("KAB"), c.type, c.size, c.decimals);
    const QString text = QString::fromUtf8(c.text);
    if (c.stored) {
        EXPECT_EQ(field.Validate(text), Cp1251::fromUnicode(QString::fromUtf8(c.stored)));
        return;
    }
    try {
        field.Validate(text);
        FAIL() << "took " << c.text;
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldConvertTest,
    testing::Values(
        ConvertCase {"IntegerPlain", 'N', 6, 0, "305", "305", nullptr},
        ConvertCase {"IntegerLeadingZeros", 'N', 6, 0, "007", "7", nullptr},
        ConvertCase {"IntegerNegative", 'N', 6, 0, "-12", "-12", nullptr},
        ConvertCase {"IntegerLeadingBlanks", 'N', 6, 0, "  42", "42", nullptr},
        ConvertCase {"IntegerHex", 'N', 6, 0, "$1F", "31", nullptr},
        ConvertCase {"IntegerEmptyEmpties", 'N', 6, 0, "", "", nullptr},
        ConvertCase {"IntegerLetters", 'N', 6, 0, "12a", nullptr,
                     "'12a' is not a valid integer value for field 'KAB'"},
        ConvertCase {"IntegerTrailingBlank", 'N', 6, 0, "12 ", nullptr,
                     "'12 ' is not a valid integer value for field 'KAB'"},
        ConvertCase {"IntegerFraction", 'N', 6, 0, "1.5", nullptr,
                     "'1.5' is not a valid integer value for field 'KAB'"},
        ConvertCase {"IntegerBlanksOnly", 'N', 6, 0, " ", nullptr,
                     "' ' is not a valid integer value for field 'KAB'"},
        ConvertCase {"IntegerTooLarge", 'N', 9, 0, "2147483648", nullptr,
                     "'2147483648' is not a valid integer value for field 'KAB'"},
        ConvertCase {"IntegerLargest", 'N', 9, 0, "2147483647", "2147483647", nullptr},
        ConvertCase {"SmallintInRange", 'N', 4, 0, "-32768", "-32768", nullptr},
        ConvertCase {"SmallintAbove", 'N', 4, 0, "40000", nullptr,
                     "40000 is not a valid value for field 'KAB'. The allowed range is -32768 to 32767"},
        ConvertCase {"SmallintBelow", 'N', 4, 0, "-32769", nullptr,
                     "-32769 is not a valid value for field 'KAB'. The allowed range is -32768 to 32767"},
        ConvertCase {"SmallintLetters", 'N', 3, 0, "1x", nullptr,
                     "'1x' is not a valid integer value for field 'KAB'"},
        ConvertCase {"FloatWide", 'N', 11, 0, "4951234567", "4951234567", nullptr},
        ConvertCase {"FloatDecimals", 'N', 8, 2, "3.14159", "3.14", nullptr},
        ConvertCase {"FloatComma", 'F', 8, 2, "2,5", "2.50", nullptr},
        ConvertCase {"FloatBlanksAround", 'F', 8, 1, " 2.5 ", "2.5", nullptr},
        ConvertCase {"FloatNegativeZero", 'F', 8, 1, "-0", "0.0", nullptr},
        ConvertCase {"FloatLetters", 'N', 11, 0, "12-34", nullptr,
                     "'12-34' is not a valid floating point value for field 'KAB'"},
        ConvertCase {"FloatInfinite", 'F', 8, 0, "1e999", nullptr,
                     "'1e999' is not a valid floating point value for field 'KAB'"},
        ConvertCase {"TextKept", 'C', 10, 0, "Иванов И.", "Иванов И.", nullptr},
        ConvertCase {"TextCutToSize", 'C', 5, 0, "Сидоров", "Сидор", nullptr},
        ConvertCase {"LogicalYes", 'L', 1, 0, "y", "T", nullptr},
        ConvertCase {"LogicalFalse", 'L', 1, 0, "False", "F", nullptr},
        ConvertCase {"LogicalBad", 'L', 1, 0, "maybe", nullptr,
                     "'maybe' is not a valid boolean value for field 'KAB'"},
        ConvertCase {"DateDotted", 'D', 8, 0, "11.12.2026", "20261211", nullptr},
        ConvertCase {"DateIso", 'D', 8, 0, "2026-12-11", "20261211", nullptr},
        ConvertCase {"DateBad", 'D', 8, 0, "31.02.2026", nullptr,
                     "'31.02.2026' is not a valid date for field 'KAB'"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
