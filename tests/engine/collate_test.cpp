#include "collate.h"

#include <gtest/gtest.h>

#include <string>

#include "codepage.h"

namespace {

// Texts in 1251, written with escapes so the file stays plain ASCII-safe.
const std::string kIvanov = "\xC8\xE2\xE0\xED\xEE\xE2";  // Иванов
const std::string kivanov = "\xE8\xE2\xE0\xED\xEE\xE2";  // иванов
const std::string kAbramov = "\xC0\xE1\xF0\xE0\xEC\xEE\xE2"; // Абрамов
const std::string kEgorov = "\xC5\xE3\xEE\xF0\xEE\xE2";  // Егоров
const std::string kYolkin = "\xA8\xEB\xEA\xE8\xED";      // Ёлкин
const std::string kElkin = "\xC5\xEB\xEA\xE8\xED";       // Елкин
const std::string kZhukov = "\xC6\xF3\xEA\xEE\xE2";      // Жуков
const std::string kYakovlev = "\xDF\xEA\xEE\xE2\xEB\xE5\xE2"; // Яковлев

struct OrderCase
{
    const char *what;
    std::string less, greater;
};

class CollationOrder : public ::testing::TestWithParam<OrderCase>
{};

TEST_P(CollationOrder, OrdersTheFirstBeforeTheSecond)
{
    const OrderCase &c = GetParam();
    EXPECT_LT(dbe::compare1251(c.less, c.greater), 0) << c.what;
    EXPECT_GT(dbe::compare1251(c.greater, c.less), 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Russian, CollationOrder,
    ::testing::Values(
        OrderCase{"alphabet, not bytes: А before Я", kAbramov, kYakovlev},
        OrderCase{"Ё is not before А as its byte is", kAbramov, kYolkin},
        OrderCase{"Ё sits with Е: before Ж", kYolkin, kZhukov},
        OrderCase{"Ё sits with Е: Егоров before Ёлкин", kEgorov, kYolkin},
        OrderCase{"equal but for Ё: Е first", kElkin, kYolkin},
        OrderCase{"letter case only breaks ties", kivanov, kIvanov},
        OrderCase{"case does not outweigh letters", kAbramov, kivanov},
        OrderCase{"empty before anything", "", "!"},
        OrderCase{"blank-padded empty before anything", "   ", "0"},
        OrderCase{"shorter prefix first", "\xC8\xE2\xE0\xED", kIvanov},
        OrderCase{"digits before letters", "9", "A"},
        OrderCase{"Latin before Cyrillic", "Z", kAbramov},
        OrderCase{"Latin without case", "apple", "Banana"}));

TEST(Collation, TrailingBlanksDoNotCount)
{
    EXPECT_EQ(dbe::compare1251(kIvanov, kIvanov + "      "), 0);
    EXPECT_EQ(dbe::compare1251("", "    "), 0);
    EXPECT_NE(dbe::compare1251(" " + kIvanov, kIvanov), 0);
}

TEST(Collation, FoldsCaseAndYoForLike)
{
    const dbe::ByteTable &fold = dbe::foldTable1251();
    const std::pair<uint8_t, uint8_t> cases[] = {
        {'A', 'a'}, {'z', 'z'}, {0xC8, 0xE8} /* И и */, {0xDF, 0xFF} /* Я я */,
        {0xA8, 0xE5} /* Ё е */, {0xB8, 0xE5} /* ё е */, {0xC5, 0xE5} /* Е е */,
        {'5', '5'}, {'%', '%'}};
    for (auto [in, want] : cases)
        EXPECT_EQ(fold[in], want) << int(in);
}

TEST(Collation, OrdersAnotherCodePageAsItsText)
{
    // The same names stored in 866 order as they do in 1251.
    const dbe::Collation cp866(dbe::toCp1251Table(dbe::kCodePage866));
    std::string a, b;
    ASSERT_TRUE(dbe::fromCp1251(dbe::kCodePage866, kYolkin, a));
    ASSERT_TRUE(dbe::fromCp1251(dbe::kCodePage866, kZhukov, b));
    auto u = [](const std::string &s) { return reinterpret_cast<const uint8_t *>(s.data()); };
    EXPECT_LT(cp866.compare(u(a), a.size(), u(b), b.size()), 0);
    const dbe::Collation cp1251;
    EXPECT_EQ(cp866.compareWith(u(a), a.size(), cp1251, u(kYolkin), kYolkin.size()), 0);
}

TEST(Collation, PrefixKeysAgreeWithCompare)
{
    const dbe::Collation c;
    const std::string texts[] = {"", kAbramov, kEgorov, kYolkin, kZhukov, kIvanov, kYakovlev};
    auto u = [](const std::string &s) { return reinterpret_cast<const uint8_t *>(s.data()); };
    for (size_t i = 0; i + 1 < std::size(texts); ++i) {
        uint64_t a[2], b[2];
        c.prefixKey(u(texts[i]), texts[i].size(), a, 2);
        c.prefixKey(u(texts[i + 1]), texts[i + 1].size(), b, 2);
        EXPECT_TRUE(a[0] < b[0] || (a[0] == b[0] && a[1] <= b[1])) << i;
    }
}

} // namespace
