#include "sysutils.h"

#include <gtest/gtest.h>

#include "exceptions.h"

namespace {

struct ConversionCase {
    const char *text;
    bool converts;
    qint32 value;
};

void PrintTo(const ConversionCase &c, std::ostream *os)
{
    *os << "'" << c.text << "'";
}

class StrToIntTest : public ::testing::TestWithParam<ConversionCase>
{
};

TEST_P(StrToIntTest, ConvertsOrFailsWithTheText)
{
    const ConversionCase &c = GetParam();
    const QString text = QString::fromLatin1(c.text);
    if (c.converts) {
        EXPECT_EQ(StrToInt(text), c.value);
        return;
    }
    try {
        StrToInt(text);
        FAIL() << "converted";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, StrToIntTest,
    ::testing::Values(
        // Decimal, with its range and leading zeros.
        ConversionCase{"0", true, 0}, ConversionCase{"12", true, 12},
        ConversionCase{"007", true, 7}, ConversionCase{"2147483647", true, 2147483647},
        ConversionCase{"2147483648", false, 0},
        ConversionCase{"-2147483648", true, qint32(-2147483647 - 1)},
        ConversionCase{"-2147483649", false, 0},
        ConversionCase{"00000000000000000000042", true, 42},
        ConversionCase{"99999999999999999999999", false, 0},
        // Blanks: leading ones only.
        ConversionCase{"  15", true, 15}, ConversionCase{"15 ", false, 0},
        ConversionCase{"1 5", false, 0}, ConversionCase{"\t15", false, 0},
        // One sign.
        ConversionCase{"+5", true, 5}, ConversionCase{"-5", true, -5},
        ConversionCase{" -5", true, -5}, ConversionCase{"+-5", false, 0},
        ConversionCase{"--5", false, 0}, ConversionCase{"- 5", false, 0},
        ConversionCase{"-", false, 0},
        // Nothing to convert.
        ConversionCase{"", false, 0}, ConversionCase{"   ", false, 0},
        ConversionCase{"12a", false, 0}, ConversionCase{"1.0", false, 0},
        // Hexadecimal forms, 32 bits, negated after a minus.
        ConversionCase{"$1F", true, 31}, ConversionCase{"x1f", true, 31},
        ConversionCase{"X10", true, 16}, ConversionCase{"0x10", true, 16},
        ConversionCase{"0X10", true, 16}, ConversionCase{"$FFFFFFFF", true, -1},
        ConversionCase{"$80000000", true, qint32(-2147483647 - 1)},
        ConversionCase{"-$10", true, -16}, ConversionCase{"-$FFFFFFFF", true, 1},
        ConversionCase{"-$80000000", true, qint32(-2147483647 - 1)},
        ConversionCase{"$000000001", true, 1}, ConversionCase{"$100000000", false, 0},
        ConversionCase{"$", false, 0}, ConversionCase{"0x", false, 0},
        ConversionCase{"$G", false, 0}, ConversionCase{"0$1", false, 0},
        ConversionCase{"00x1", false, 0}));

} // namespace
