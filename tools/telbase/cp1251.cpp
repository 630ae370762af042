#include "cp1251.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace telbase {

namespace {

// Unicode code points of the bytes 0x80..0xFF of code page 1251.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411,
    0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432,
    0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D,
    0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448,
    0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The UTF-8 bytes of every 1251 byte, built once: 1 to 3 bytes each, padded to 4 so
// that one fixed-size copy serves every byte.
struct Utf8Table
{
    std::array<std::array<char, 4>, 256> bytes{};
    std::array<std::uint8_t, 256> length{};

    Utf8Table()
    {
        for (int b = 0; b < 256; ++b) {
            const char32_t cp = b < 0x80 ? char32_t(b) : char32_t(kHighHalf[b - 0x80]);
            auto &out = bytes[b];
            if (cp < 0x80) {
                out[0] = char(cp);
                length[b] = 1;
            } else if (cp < 0x800) {
                out[0] = char(0xC0 | (cp >> 6));
                out[1] = char(0x80 | (cp & 0x3F));
                length[b] = 2;
            } else {
                out[0] = char(0xE0 | (cp >> 12));
                out[1] = char(0x80 | ((cp >> 6) & 0x3F));
                out[2] = char(0x80 | (cp & 0x3F));
                length[b] = 3;
            }
        }
    }
};

const Utf8Table &utf8Table()
{
    static const Utf8Table table;
    return table;
}

// The 1251 byte of a code point, or -1 when the code page has none.
int cp1251Byte(char32_t cp)
{
    if (cp < 0x80)
        return cp == 0 ? -1 : int(cp);
    // Cyrillic А..я is one run, the commonest case by far.
    if (cp >= 0x0410 && cp <= 0x044F)
        return int(cp - 0x0410 + 0xC0);
    for (int i = 0; i < 64; ++i) {
        if (kHighHalf[i] == cp)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

Cp1251Failure appendUtf8AsCp1251(std::string_view utf8, std::string &out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            if (c == 0)
                return {Cp1251Failure::NotInCodePage, i, 0};
            out.push_back(char(c));
            ++i;
            continue;
        }
        char32_t cp = 0;
        std::size_t len = 0;
        char32_t min = 0;
        if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
            min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
            min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
            min = 0x10000;
        } else {
            return {Cp1251Failure::InvalidUtf8, i, 0};
        }
        if (i + len > n)
            return {Cp1251Failure::InvalidUtf8, i, 0};
        for (std::size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return {Cp1251Failure::InvalidUtf8, i, 0};
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are not UTF-8.
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return {Cp1251Failure::InvalidUtf8, i, 0};
        const int b = cp1251Byte(cp);
        if (b < 0)
            return {Cp1251Failure::NotInCodePage, i, cp};
        out.push_back(char(b));
        i += len;
    }
    return {};
}

void appendCp1251AsUtf8(std::string_view cp1251, std::string &out)
{
    const std::size_t start = out.size();
    out.resize(start + cp1251.size() * kUtf8PerCp1251 + kUtf8WriteSlack);
    char *end = writeCp1251AsUtf8(out.data() + start, cp1251);
    out.resize(std::size_t(end - out.data()));
}

char *writeCp1251AsUtf8(char *dst, std::string_view cp1251)
{
    const Utf8Table &t = utf8Table();
    // Without a branch on the length: names mix Cyrillic letters with blanks and digits,
    // and a branch per byte would be mispredicted all the time. The copies of four bytes
    // are why a caller leaves kUtf8WriteSlack.
    for (const char ch : cp1251) {
        const auto b = static_cast<unsigned char>(ch);
        std::memcpy(dst, t.bytes[b].data(), 4);
        dst += t.length[b];
    }
    return dst;
}

std::string cp1251ToUtf8(std::string_view cp1251)
{
    std::string out;
    appendCp1251AsUtf8(cp1251, out);
    return out;
}

std::string describeCharacter(char32_t cp)
{
    std::string out;
    if (cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0)) {
        out.push_back('\'');
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
        out += "' ";
    }
    char code[16];
    std::snprintf(code, sizeof code, "(U+%04X)", unsigned(cp));
    out += code;
    return out;
}

} // namespace telbase
