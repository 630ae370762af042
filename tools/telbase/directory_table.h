#pragma once

#include <array>

#include "dbengine.h"

namespace telbase {

// The directory table: seven fields in their display order. Both programs rely on these
// names, the numeric fields comparing with whole numbers, and text in code page 1251.
inline constexpr std::array<dbe_field_desc, 7> kDirectoryFields = {{
    {"FIO", 'C', 60, 0},    // full name: surname, given name, patronymic
    {"OTDEL", 'C', 60, 0},  // department
    {"DOLJ", 'C', 50, 0},   // position
    {"KAB", 'N', 6, 0},     // room
    {"NVNUTR", 'N', 6, 0},  // internal number
    {"NGOROD", 'N', 11, 0}, // city number
    {"NSOT", 'C', 20, 0},   // mobile number
}};

// Field indexes into kDirectoryFields.
enum DirectoryField { FIO, OTDEL, DOLJ, KAB, NVNUTR, NGOROD, NSOT, DirectoryFieldCount };

// The stored record: the deleted flag byte followed by the fields.
inline constexpr int kDeletedFlagSize = 1;
inline constexpr int kDirectoryRecordSize = kDeletedFlagSize + 60 + 60 + 50 + 6 + 6 + 11 + 20;
static_assert(kDirectoryRecordSize == 214);

// The language driver byte: Windows Cyrillic, code page 1251.
inline constexpr int kDirectoryLanguageDriver = DBE_LDID_1251;

} // namespace telbase
