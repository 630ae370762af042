#pragma once

// Helpers for the statement tests: Russian text written as UTF-8 in the test and turned
// into 1251, and tiny directory tables written from rows of values.

#include <cstdint>
#include <string>
#include <vector>

#include "codepage.h"
#include "dbf_builder.h"

namespace dbetest {

// UTF-8 -> 1251 for ASCII and the Russian letters (А..я, Ё, ё), all the tests need.
inline std::string cp1251(const std::string &utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = uint8_t(utf8[i]);
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        const unsigned cp = ((c & 0x1Fu) << 6) | (uint8_t(utf8[i + 1]) & 0x3Fu);
        i += 2;
        if (cp >= 0x410 && cp <= 0x44F)
            out += char(0xC0 + (cp - 0x410));
        else if (cp == 0x401)
            out += char(0xA8);
        else if (cp == 0x451)
            out += char(0xB8);
        else
            out += '?';
    }
    return out;
}

// One record: the deleted flag, then each value (UTF-8) in the file's code page, C
// values padded on the right, N values on the left.
inline std::string record(const std::vector<FieldDef> &fields, const std::vector<std::string> &values,
                          bool deleted = false, int codePage = dbe::kCodePage1251)
{
    std::string r(1, deleted ? '*' : ' ');
    for (size_t i = 0; i < fields.size(); ++i) {
        std::string v = i < values.size() ? cp1251(values[i]) : std::string();
        if (codePage != dbe::kCodePage1251) {
            std::string converted;
            dbe::fromCp1251(codePage, v, converted);
            v = converted;
        }
        const size_t width = size_t(fields[i].length);
        if (v.size() < width) {
            if (fields[i].type == 'N' || fields[i].type == 'F')
                v.insert(0, width - v.size(), ' ');
            else
                v.append(width - v.size(), ' ');
        }
        r += v.substr(0, width);
    }
    return r;
}

} // namespace dbetest
