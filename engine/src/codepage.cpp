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

} // namespace dbe
