#include "collate.h"

#include <array>
#include <cstring>
#include <utility>

namespace dbe {

namespace {

// Code page 1251 letters outside ASCII, as (upper, lower) pairs.
constexpr std::pair<uint8_t, uint8_t> kCyrillicExtraCase[] = {
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
    {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
    {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}, {0xA8, 0xB8},
};
constexpr uint8_t kUpperYo = 0xA8;
constexpr uint8_t kLowerYo = 0xB8;
constexpr uint8_t kLowerIe = 0xE5; // е
constexpr uint8_t kUpperA = 0xC0;  // А; А..Я are C0..DF, а..я E0..FF
constexpr uint8_t kLowerA = 0xE0;

// The Cyrillic alphabet as upper-case 1251 bytes in its order, Ё with Е. Letters of the
// other Cyrillic alphabets stand after the Russian letter they follow there.
constexpr uint8_t kAlphabet[] = {
    0xC0,             // А
    0xC1,             // Б
    0xC2,             // В
    0xC3, 0xA5, 0x81, // Г Ґ Ѓ
    0xC4, 0x80,       // Д Ђ
    0xC5,             // Е (and Ё, same weight)
    0xAA,             // Є
    0xC6,             // Ж
    0xC7, 0xBD,       // З Ѕ
    0xC8, 0xB2, 0xAF, // И І Ї
    0xC9, 0xA3,       // Й Ј
    0xCA,             // К
    0xCB, 0x8A,       // Л Љ
    0xCC,             // М
    0xCD, 0x8C,       // Н Њ
    0xCE,             // О
    0xCF,             // П
    0xD0,             // Р
    0xD1,             // С
    0xD2, 0x8E, 0x8D, // Т Ћ Ќ
    0xD3, 0xA1,       // У Ў
    0xD4,             // Ф
    0xD5,             // Х
    0xD6,             // Ц
    0xD7, 0x8F,       // Ч Џ
    0xD8,             // Ш
    0xD9,             // Щ
    0xDA,             // Ъ
    0xDB,             // Ы
    0xDC,             // Ь
    0xDD,             // Э
    0xDE,             // Ю
    0xDF,             // Я
};

struct Tables
{
    ByteTable lower{};   // upper -> lower case, others unchanged
    ByteTable fold{};    // lower case and Ё -> е
    ByteTable primary{};
    ByteTable tie{};
    std::array<bool, 256> upper{};
    std::array<bool, 256> letter{};

    Tables()
    {
        for (int b = 0; b < 256; ++b)
            lower.map[b] = uint8_t(b);
        for (int c = 'A'; c <= 'Z'; ++c)
            setCase(uint8_t(c), uint8_t(c - 'A' + 'a'));
        for (int i = 0; i < 32; ++i)
            setCase(uint8_t(kUpperA + i), uint8_t(kLowerA + i));
        for (auto [u, l] : kCyrillicExtraCase)
            setCase(u, l);

        for (int b = 0; b < 256; ++b)
            fold.map[b] = lower.map[b];
        fold.map[kUpperYo] = kLowerIe;
        fold.map[kLowerYo] = kLowerIe;

        // Primary weights: blanks, control characters, punctuation in byte order, digits,
        // Latin letters, Cyrillic letters.
        constexpr uint8_t kBlank = 1;
        constexpr uint8_t kControl = 2;
        uint8_t next = kControl + 1;
        primary.map[0x00] = kBlank;
        primary.map[uint8_t(' ')] = kBlank;
        for (int b = 0x01; b < 0x20; ++b)
            primary.map[b] = kControl;
        for (int b = 0x21; b < 256; ++b) {
            if (!letter[b] && !(b >= '0' && b <= '9'))
                primary.map[b] = next++;
        }
        for (int b = '0'; b <= '9'; ++b)
            primary.map[b] = next++;
        for (int c = 'A'; c <= 'Z'; ++c)
            setPrimary(uint8_t(c), next++);
        for (uint8_t u : kAlphabet) {
            setPrimary(u, next);
            if (u == 0xC5)
                setPrimary(kUpperYo, next);
            ++next;
        }

        // Tie-break: lower case before upper case, е before ё; control characters by byte.
        for (int b = 0; b < 256; ++b) {
            uint8_t t = 0;
            if (b > 0 && b < 0x20)
                t = uint8_t(b);
            if (upper[b])
                t |= 1;
            if (b == kUpperYo || b == kLowerYo)
                t |= 2;
            tie.map[b] = t;
        }
    }

    void setCase(uint8_t u, uint8_t l)
    {
        lower.map[u] = l;
        upper[u] = true;
        letter[u] = letter[l] = true;
    }
    void setPrimary(uint8_t u, uint8_t w)
    {
        primary.map[u] = w;
        primary.map[lower.map[u]] = w;
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

const ByteTable &foldTable1251()
{
    return tables().fold;
}

const ByteTable &primaryWeights1251()
{
    return tables().primary;
}

const ByteTable &tieWeights1251()
{
    return tables().tie;
}

Collation::Collation(const uint8_t *toCp1251) : source(toCp1251)
{
    const Tables &t = tables();
    for (int b = 0; b < 256; ++b) {
        const uint8_t c = toCp1251 ? toCp1251[b] : uint8_t(b);
        fold.map[b] = t.fold[c];
        primary.map[b] = t.primary[c];
        tie.map[b] = t.tie[c];
    }
}

int Collation::compare(const uint8_t *a, size_t aLen, const uint8_t *b, size_t bLen) const
{
    return compareWith(a, aLen, *this, b, bLen);
}

int Collation::compareWith(const uint8_t *a, size_t aLen, const Collation &other,
                           const uint8_t *b, size_t bLen) const
{
    // Where the bytes agree so do the weights of one code page: start at the first
    // difference. (Sorting meets many texts that agree for long, or wholly.)
    size_t from = 0;
    if (other.source == source) {
        const size_t common = aLen < bLen ? aLen : bLen;
        while (from + 8 <= common && std::memcmp(a + from, b + from, 8) == 0)
            from += 8;
        while (from < common && a[from] == b[from])
            ++from;
    }
    const size_t n = aLen > bLen ? aLen : bLen;
    const uint8_t blank = primary[' '];
    for (size_t i = from; i < n; ++i) {
        const uint8_t wa = i < aLen ? primary[a[i]] : blank;
        const uint8_t wb = i < bLen ? other.primary[b[i]] : blank;
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    const uint8_t blankTie = tie[' '];
    for (size_t i = from; i < n; ++i) {
        const uint8_t wa = i < aLen ? tie[a[i]] : blankTie;
        const uint8_t wb = i < bLen ? other.tie[b[i]] : blankTie;
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    return 0;
}

void Collation::prefixKey(const uint8_t *text, size_t len, uint64_t *words,
                          size_t wordCount) const
{
    const uint8_t blank = primary[' '];
    for (size_t w = 0; w < wordCount; ++w) {
        uint64_t word = 0;
        for (size_t k = 0; k < 8; ++k) {
            const size_t i = w * 8 + k;
            word = (word << 8) | (i < len ? primary[text[i]] : blank);
        }
        words[w] = word;
    }
}

int compare1251(std::string_view a, std::string_view b)
{
    static const Collation c;
    return c.compare(reinterpret_cast<const uint8_t *>(a.data()), a.size(),
                     reinterpret_cast<const uint8_t *>(b.data()), b.size());
}

} // namespace dbe
