#pragma once

// Table paths in statements. A statement is 1251 text, but Linux file names are UTF-8, so
// a folder named in Cyrillic must be converted before it is opened.

#include <string>
#include <string_view>

namespace dbe {

// The 1251 text as UTF-8 (ASCII stays as it is).
std::string utf8FromCp1251(std::string_view text);

} // namespace dbe
