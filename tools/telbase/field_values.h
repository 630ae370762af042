#pragma once

#include <string>
#include <string_view>

#include "dbengine.h"

namespace telbase {

// Turns one CSV cell into the text the engine takes for a field, or says why it cannot.
//
// cell is UTF-8 (utf8 = true) or code page 1251. On success out holds the 1251 value
// (numbers without blanks, a leading "+" or leading zeros) and the result is empty; on
// failure the result is the reason, naming the field, ready for a row's report. Text
// fields must fit their width in 1251 bytes; N and F fields take a number that fits
// width and decimals (whole numbers only for decimals 0); an empty or blank cell is an
// empty value. Fields of other types pass unchanged for the engine to judge.
std::string convertCell(const dbe_field_desc &field, std::string_view cell, bool utf8,
                        std::string &out);

} // namespace telbase
