#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace telbase {

// Conversion between UTF-8 (the tool's own text: CSV files, the terminal) and the
// Windows Cyrillic code page 1251 (the engine's text). Byte 0x98, which the code page
// leaves unassigned, maps to U+0098 and back, so every byte survives a round trip.

// Where and why a UTF-8 text does not convert.
struct Cp1251Failure
{
    enum Kind { None, InvalidUtf8, NotInCodePage };
    Kind kind = None;
    std::size_t offset = 0;  // byte offset in the UTF-8 input
    char32_t codePoint = 0;  // the character, for NotInCodePage
};

// Appends the 1251 form of utf8 to out. Returns a failure (kind != None) at the first
// character that is not valid UTF-8 or that the code page cannot hold; NUL counts as one
// that it cannot hold, since the engine takes NUL-terminated text. out then holds the
// text up to that point.
Cp1251Failure appendUtf8AsCp1251(std::string_view utf8, std::string &out);

// Appends the UTF-8 form of a 1251 text to out. Never fails.
void appendCp1251AsUtf8(std::string_view cp1251, std::string &out);
// Writes the UTF-8 form of a 1251 text at dst and returns where it ends. dst must have
// room for kUtf8PerCp1251 bytes for each input byte and kUtf8WriteSlack more.
char *writeCp1251AsUtf8(char *dst, std::string_view cp1251);
inline constexpr std::size_t kUtf8PerCp1251 = 3;
inline constexpr std::size_t kUtf8WriteSlack = 1;

// Convenience forms of the two above.
std::string cp1251ToUtf8(std::string_view cp1251);

// The UTF-8 text of a single character, for messages ("'ẞ' (U+1E9E)").
std::string describeCharacter(char32_t codePoint);

} // namespace telbase
