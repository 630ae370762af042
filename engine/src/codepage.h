#pragma once

// Code pages of table text. Text crosses the C API in Windows Cyrillic 1251; a table file
// stores it in its own code page, told by its language driver byte or a .cpg file beside it.

#include <cstdint>
#include <string>
#include <string_view>

namespace dbe {

constexpr int kCodePage1251 = 1251;
constexpr int kCodePage866 = 866;

// 256-entry tables (static storage) mapping a byte of the given code page to 1251 and
// back. An unknown code page maps as 1251 (identity). In the table from 1251, a byte that
// the target code page cannot hold maps to 0 (byte 0 itself maps to 0).
const uint8_t *toCp1251Table(int codePage);
const uint8_t *fromCp1251Table(int codePage);
// True when `table` (one of the above) maps every byte to itself.
bool isIdentityTable(const uint8_t *table);

// The code page a language driver byte names, or 0 when the byte names none we know.
int codePageOfLanguageDriver(uint8_t ldid);
// The language driver byte to store for a code page (1251 or 866).
uint8_t languageDriverOfCodePage(int codePage);
// The code page named by the text of a .cpg file ("1251", "866", "cp866", "ANSI 1251"),
// or 0 when it names none we know.
int codePageOfCpgText(std::string_view text);

// Converts 1251 text into the code page; false (out unchanged) when a character cannot be
// stored there.
bool fromCp1251(int codePage, std::string_view in, std::string &out);

// 1251 text as UTF-8 (ASCII stays as it is); every 1251 byte has a UTF-8 form.
std::string utf8FromCp1251(std::string_view text);
// UTF-8 text as 1251; false (out unchanged) when the text is not UTF-8 or holds a
// character that 1251 lacks.
bool cp1251FromUtf8(std::string_view text, std::string &out);
// True when the text is well-formed UTF-8 (ASCII included).
bool isUtf8(std::string_view text);

} // namespace dbe
