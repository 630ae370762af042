#pragma once

// The encoding of field values inside a dBASE record: C text, N and F numbers in ASCII,
// L logicals, D dates, and the display text of each for the C API.

#include <cstdint>
#include <string>
#include <string_view>

#include "status.h"

namespace dbe {

struct FieldInfo
{
    std::string name; // as stored (upper case by convention), without the NUL padding
    char type = 'C';  // type letter as stored
    int length = 0;   // width in the record, in bytes
    int decimals = 0; // decimals of N and F, else 0
    int offset = 0;   // position in the record; byte 0 is the deleted flag, so >= 1
};

enum class NumberKind { Empty, Value, Invalid };

// Reads a numeric field's bytes: all blanks (or NULs) -> Empty; leading and trailing
// blanks, a sign, digits, a '.' and decimals -> Value; a field overflowed with '*' ->
// Empty; anything else -> Invalid (value untouched).
NumberKind parseNumberKind(const uint8_t *bytes, int len, double &value);
// As above; false when the field is empty or not a number.
bool parseNumber(const uint8_t *bytes, int len, double &value);

// True for the field types whose values this engine writes (C, N, F, L, D).
bool isWritableType(char type);

// The display form of a stored value in 1251 (C without trailing blanks, N/F without
// surrounding blanks, "" for empty; L "T"/"F"/""; D "YYYYMMDD"/""; other types as text
// where they hold text). `toCp1251` is the file's code page table.
void displayText(const FieldInfo &field, const uint8_t *bytes, const uint8_t *toCp1251,
                 std::string &out);

// Encodes a 1251 value into `dest` (field.length bytes) in the file's code page. "" empties
// the field. Fails with DBE_RANGE (too long, too wide, too many decimals) or DBE_TYPE (not
// a number, logical or date; a character the code page lacks) naming the field; dest is
// then untouched.
Status encodeValue(const FieldInfo &field, std::string_view value, int codePage, uint8_t *dest);

} // namespace dbe
