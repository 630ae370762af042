#include "like.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "codepage.h"

namespace {

struct LikeCase
{
    const char *pattern;
    const char *text;
    bool matches;
};

class LikeMatch : public ::testing::TestWithParam<LikeCase>
{};

TEST_P(LikeMatch, MatchesAsExpected)
{
    const LikeCase &c = GetParam();
    const dbe::Collation collation;
    const dbe::LikePattern p(c.pattern, collation);
    // As a C(60) field holds it: padded with blanks.
    std::string field = c.text;
    field.resize(60, ' ');
    EXPECT_EQ(p.matches(reinterpret_cast<const uint8_t *>(field.data()), field.size()),
              c.matches)
        << "'" << c.text << "' like '" << c.pattern << "'";
}

// 1251: Иванов, иванов, Ёлкин, елк, Ив, ив, ИВ.
#define IVANOV "\xC8\xE2\xE0\xED\xEE\xE2"
#define YOLKIN "\xA8\xEB\xEA\xE8\xED"

INSTANTIATE_TEST_SUITE_P(
    Patterns, LikeMatch,
    ::testing::Values(
        LikeCase{"%\xC8\xE2%", IVANOV " \xC8\xE2\xE0\xED", true},   // %Ив%
        LikeCase{"%\xE8\xE2%", IVANOV, true},                        // %ив% finds Иванов
        LikeCase{"%\xC8\xC2%", "\xCF\xE5\xF2\xF0\xEE\xE2 \xC8\xE2", true}, // %ИВ% in Петров Ив
        LikeCase{"%\xE5\xEB\xEA%", YOLKIN, true},                    // %елк% finds Ёлкин
        LikeCase{"%\xB8\xEB\xEA%", "\xC5\xEB\xEA\xE8\xED", true},    // %ёлк% finds Елкин
        LikeCase{"%\xE8\xE2%", "\xCF\xE5\xF2\xF0\xEE\xE2", false},   // %ив% not in Петров
        LikeCase{"%ab%", "xxABxx", true},
        LikeCase{"%ab%", "xxAxBx", false},
        LikeCase{"ab%", "abc", true},
        LikeCase{"ab%", "cab", false},
        LikeCase{"%ab", "cab", true},                                 // trailing blanks ignored
        LikeCase{"%ab", "abc", false},
        LikeCase{"abc", "ABC", true},
        LikeCase{"abc", "abcd", false},
        LikeCase{"a_c", "abc", true},
        LikeCase{"a_c", "ac", false},
        LikeCase{"a_c", "abbc", false},
        LikeCase{"%b_d%", "abcde", true},
        LikeCase{"_", "", false},
        LikeCase{"%", "", true},
        LikeCase{"%%", "anything", true},
        LikeCase{"", "", true},
        LikeCase{"", "a", false},
        LikeCase{"% \xC8\xE2%", "\xCF\xE5\xF2\xF0\xEE\xE2 \xC8\xE2\xE0\xED", true}, // '% Ив%'
        LikeCase{"% \xC8\xE2%", IVANOV, false},
        LikeCase{"%b %", "ab", false},      // a blank in the pattern is not the padding
        LikeCase{"%a%b%c%", "xaxbxcx", true},
        LikeCase{"%a%b%c%", "xcxbxax", false},
        LikeCase{"%aab%", "aaab", true},    // a candidate that fails, then one that fits
        LikeCase{"%O'Neil%", "Mr O'NEIL", true},
        LikeCase{"%xyz%", "0123456789abcdef0123456789abcdef0123456789abcdef01234567xyz", true},
        LikeCase{"%xyz%", "0123456789abcdef0123456789abcdef0123456789abcdef0123456789xy", false}));

TEST(Like, MatchesAFieldExactlyToItsWidth)
{
    // The field ends the buffer: nothing past it may be read (a sanitizer build checks).
    const dbe::Collation c;
    const std::string full(60, 'q');
    auto *bytes = new uint8_t[60];
    std::memcpy(bytes, full.data(), 60);
    bytes[59] = 'z';
    EXPECT_TRUE(dbe::LikePattern("%z", c).matches(bytes, 60));
    EXPECT_TRUE(dbe::LikePattern("%qz%", c).matches(bytes, 60));
    EXPECT_FALSE(dbe::LikePattern("%zq%", c).matches(bytes, 60));
    delete[] bytes;
}

TEST(Like, MatchesTextStoredIn866)
{
    const dbe::Collation cp866(dbe::toCp1251Table(dbe::kCodePage866));
    std::string stored;
    ASSERT_TRUE(dbe::fromCp1251(dbe::kCodePage866, YOLKIN, stored));
    stored.resize(20, ' ');
    const auto *bytes = reinterpret_cast<const uint8_t *>(stored.data());
    EXPECT_TRUE(dbe::LikePattern("%\xE5\xEB\xEA%", cp866).matches(bytes, stored.size()));
    EXPECT_TRUE(dbe::LikePattern("\xB8%", cp866).matches(bytes, stored.size()));
    EXPECT_FALSE(dbe::LikePattern("%\xE8\xE2%", cp866).matches(bytes, stored.size()));
}

} // namespace
