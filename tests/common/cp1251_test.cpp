#include "cp1251.h"

#include <gtest/gtest.h>

namespace {

struct ByteCase {
    unsigned char byte;
    char16_t character;
};

void PrintTo(const ByteCase &c, std::ostream *os)
{
    *os << int(c.byte);
}

class Cp1251ByteTest : public testing::TestWithParam<ByteCase>
{
};

TEST_P(Cp1251ByteTest, MapsBothWays)
{
    const ByteCase c = GetParam();
    const QByteArray bytes(1, static_cast<char>(c.byte));
    const QString text(QChar(c.character));
    EXPECT_EQ(Cp1251::toUnicode(bytes), text);
    EXPECT_EQ(Cp1251::fromUnicode(text), bytes);
}

INSTANTIATE_TEST_SUITE_P(Table, Cp1251ByteTest,
                         testing::Values(ByteCase{0x00, 0x0000}, ByteCase{'A', u'A'},
                                         ByteCase{0x7F, 0x007F}, ByteCase{0x80, u'Ђ'},
                                         ByteCase{0x88, u'€'}, ByteCase{0x98, 0x0098},
                                         ByteCase{0xA0, 0x00A0}, ByteCase{0xA8, u'Ё'},
                                         ByteCase{0xB8, u'ё'}, ByteCase{0xB9, u'№'},
                                         ByteCase{0xC0, u'А'}, ByteCase{0xDF, u'Я'},
                                         ByteCase{0xE0, u'а'}, ByteCase{0xFF, u'я'}));

TEST(Cp1251Test, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = Cp1251::toUnicode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Cp1251::fromUnicode(text), all);
}

TEST(Cp1251Test, UnmappableCharactersBecomeQuestionMarks)
{
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QStringLiteral("организации"), QByteArray("\xEE\xF0\xE3\xE0\xED\xE8\xE7\xE0\xF6\xE8\xE8")},
        {QStringLiteral("a\u4E2Db"), QByteArray("a?b")},
        {QStringLiteral("\u00E9"), QByteArray("?")},
        {QString::fromUtf8("x\xF0\x9F\x98\x80y"), QByteArray("x?y")}, // a surrogate pair
    };
    for (const Case &c : cases)
        EXPECT_EQ(Cp1251::fromUnicode(c.text), c.bytes) << c.text.toStdString();
}

} // namespace
