#include "codepage.h"

#include <array>
#include <cctype>

#include "dbf_format.h"

namespace dbe {

namespace {

using Table = std::array<uint8_t, 256>;

Table identity()
{
    Table t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uint8_t(i);
    return t;
}

// DOS 866 upper half, as 1251 bytes; '?' where 1251 has no such character (box drawing).
Table build866To1251()
{
    Table t = identity();
    for (int i = 0; i < 32; ++i) {
        t[0x80 + i] = uint8_t(0xC0 + i); // А..Я
        t[0xA0 + i] = uint8_t(0xE0 + i); // а..п, then р..я at 0xE0
    }
    for (int i = 0; i < 16; ++i)
        t[0xE0 + i] = uint8_t(0xF0 + i); // р..я
    for (int i = 0xB0; i <= 0xDF; ++i)
        t[i] = '?';
    const uint8_t rest[16] = {0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2,
                              0xB0, 0x95, 0xB7, '?',  0xB9, 0xA4, '?',  0xA0};
    for (int i = 0; i < 16; ++i)
        t[0xF0 + i] = rest[i];
    return t;
}

Table invert(const Table &to1251)
{
    Table t{};
    for (int i = 0; i < 128; ++i)
        t[i] = uint8_t(i);
    for (int i = 128; i < 256; ++i) {
        uint8_t c = to1251[i];
        if (c >= 128 && t[c] == 0)
            t[c] = uint8_t(i);
    }
    return t;
}

const Table kIdentity = identity();
const Table k866To1251 = build866To1251();
const Table k1251To866 = invert(k866To1251);

} // namespace

const uint8_t *toCp1251Table(int codePage)
{
    return codePage == kCodePage866 ? k866To1251.data() : kIdentity.data();
}

bool isIdentityTable(const uint8_t *table)
{
    return table == kIdentity.data();
}

const uint8_t *fromCp1251Table(int codePage)
{
    return codePage == kCodePage866 ? k1251To866.data() : kIdentity.data();
}

int codePageOfLanguageDriver(uint8_t ldid)
{
    switch (ldid) {
    case dbf::kLdid1251: return kCodePage1251;
    case dbf::kLdid866:
    case dbf::kLdid866Alt: return kCodePage866;
    default: return 0;
    }
}

uint8_t languageDriverOfCodePage(int codePage)
{
    return codePage == kCodePage866 ? dbf::kLdid866 : dbf::kLdid1251;
}

int codePageOfCpgText(std::string_view text)
{
    // The first run of digits names the code page ("1251", "cp866", "ANSI 1251").
    size_t i = 0;
    while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    int value = 0;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 6) {
        value = value * 10 + (text[i] - '0');
        ++i;
        ++digits;
    }
    if (value == kCodePage1251 || value == kCodePage866)
        return value;
    return 0;
}

bool fromCp1251(int codePage, std::string_view in, std::string &out)
{
    const uint8_t *table = fromCp1251Table(codePage);
    std::string result;
    result.reserve(in.size());
    for (char c : in) {
        uint8_t b = static_cast<uint8_t>(c);
        uint8_t m = table[b];
        if (m == 0 && b != 0)
            return false;
        result.push_back(char(m));
    }
    out = std::move(result);
    return true;
}

namespace {

// Code points of the 1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr char16_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

constexpr uint8_t kFirstLetter = 0xC0; // А
constexpr char16_t kFirstLetterCode = 0x0410;

char16_t codeOf1251(uint8_t b)
{
    if (b < 0x80)
        return b;
    return b >= kFirstLetter ? char16_t(kFirstLetterCode + (b - kFirstLetter)) : kUpperHalf[b - 0x80];
}

// The 1251 byte of a code point, or -1 when 1251 has none.
int byteOf1251(char32_t cp)
{
    if (cp < 0x80)
        return int(cp);
    if (cp >= kFirstLetterCode && cp < char32_t(kFirstLetterCode + 64))
        return int(kFirstLetter + (cp - kFirstLetterCode));
    for (int i = 0; i < 64; ++i) {
        if (kUpperHalf[i] == cp)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

std::string utf8FromCp1251(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char ch : text) {
        const char16_t cp = codeOf1251(uint8_t(ch));
        if (cp < 0x80) {
            out += ch;
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

bool isUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const auto lead = uint8_t(text[i]);
        size_t extra = 0;
        char32_t cp = 0;
        if (lead < 0x80)
            extra = 0;
        else if ((lead & 0xE0) == 0xC0)
            extra = 1, cp = lead & 0x1F;
        else if ((lead & 0xF0) == 0xE0)
            extra = 2, cp = lead & 0x0F;
        else if ((lead & 0xF8) == 0xF0)
            extra = 3, cp = lead & 0x07;
        else
            return false;
        if (i + extra >= text.size() && extra > 0)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = uint8_t(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += extra + 1;
    }
    return true;
}

bool cp1251FromUtf8(std::string_view text, std::string &out)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto lead = uint8_t(text[i]);
        size_t extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else {
            return false; // a stray continuation byte, or beyond the 1251 range anyway
        }
        if (i + extra >= text.size() && extra > 0)
            return false; // cut short
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = uint8_t(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms are not UTF-8.
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800))
            return false;
        const int b = byteOf1251(cp);
        if (b < 0)
            return false;
        result += char(b);
        i += extra + 1;
    }
    out = std::move(result);
    return true;
}

} // namespace dbe
