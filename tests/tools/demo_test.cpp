#include "demo.h"

#include <set>

#include <gtest/gtest.h>

#include "cp1251.h"
#include "field_values.h"

namespace telbase {
namespace {

std::vector<DemoEntry> makeEntries(std::size_t n)
{
    DemoGenerator generator;
    std::vector<DemoEntry> entries(n);
    for (DemoEntry &e : entries)
        generator.next(e);
    return entries;
}

// Lower case in 1251: А..Я and Ё.
std::string lower1251(std::string s)
{
    for (char &c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0xC0 && b <= 0xDF)
            c = char(b + 0x20);
        else if (b == 0xA8)
            c = char(0xB8);
        else if (b >= 'A' && b <= 'Z')
            c = char(b + 0x20);
    }
    return s;
}

TEST(DemoRandom, FixedSequence)
{
    // SplitMix64's published first outputs for seed 0: the generator is the same everywhere.
    DemoRandom r(0);
    EXPECT_EQ(r.next(), 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(r.next(), 0x6E789E6AA1B965F4ULL);
    DemoRandom s(1);
    for (int i = 0; i < 1000; ++i)
        EXPECT_LT(s.below(7), 7u);
}

TEST(DemoGenerator, SameEntriesWhateverTheCount)
{
    const auto a = makeEntries(50);
    const auto b = makeEntries(50);
    const auto c = makeEntries(10);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(std::equal(c.begin(), c.end(), a.begin()));
}

TEST(DemoGenerator, EntriesFitTheirFieldsAndLookReal)
{
    const auto entries = makeEntries(5000);
    std::set<std::string> surnames, departments;
    std::size_t women = 0, withCity = 0;
    for (const DemoEntry &e : entries) {
        for (int f = 0; f < DirectoryFieldCount; ++f) {
            std::string stored;
            const std::string &value = e[std::size_t(f)];
            EXPECT_EQ(convertCell(kDirectoryFields[std::size_t(f)], value, false, stored), "")
                << cp1251ToUtf8(value);
            if (kDirectoryFields[std::size_t(f)].type == 'N') {
                EXPECT_EQ(stored, value) << "numbers are written as stored";
            }
        }
        const std::string fio = cp1251ToUtf8(e[FIO]);
        const std::size_t blank = fio.find(' ');
        ASSERT_NE(blank, std::string::npos);
        EXPECT_EQ(std::count(fio.begin(), fio.end(), ' '), 2) << fio;
        surnames.insert(fio.substr(0, blank));
        // A woman's patronymic ends in -вна or -чна, a man's in -ич.
        const bool woman = fio.ends_with("вна") || fio.ends_with("чна");
        EXPECT_TRUE(woman || fio.ends_with("ич")) << fio;
        if (woman) {
            ++women;
            EXPECT_FALSE(fio.substr(0, blank).ends_with("ов")) << "a woman's surname takes her form: " << fio;
        }
        departments.insert(e[OTDEL]);
        EXPECT_FALSE(e[KAB].empty());
        EXPECT_EQ(e[NVNUTR].size(), 4u);
        if (!e[NGOROD].empty()) {
            ++withCity;
            EXPECT_LE(std::stoll(e[NGOROD]), 2147483647LL) << "the viewer searches with 32-bit numbers";
        }
    }
    EXPECT_GT(surnames.size(), 200u);
    EXPECT_GT(departments.size(), 20u);
    EXPECT_GT(women, 2000u);
    EXPECT_LT(women, 3500u);
    EXPECT_GT(withCity, 3500u);
}

TEST(DemoGenerator, AboutOneInSevenMatchesTheNameFragment)
{
    const auto entries = makeEntries(14000);
    const std::string iv = "\xC8\xE2"; // Ив
    const std::string ivLower = "\xE8\xE2";
    std::size_t exact = 0, anyCase = 0;
    for (const DemoEntry &e : entries) {
        exact += e[FIO].find(iv) != std::string::npos;
        anyCase += lower1251(e[FIO]).find(ivLower) != std::string::npos;
    }
    EXPECT_GT(exact, 14000u / 7 * 85 / 100);
    EXPECT_LT(exact, 14000u / 7 * 115 / 100);
    // Whether LIKE minds letter case or not, the search finds the same entries.
    EXPECT_EQ(anyCase, exact);
}

} // namespace
} // namespace telbase
