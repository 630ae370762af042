#pragma once

#include <QString>

// Text to number conversions with the platform's rules and error texts.

namespace SysMessages {
// A text that is not a whole number in range; %1 is the text as given.
inline const char *const InvalidInteger = "'%1' is not a valid integer value";
} // namespace SysMessages

// Converts text to a signed 32-bit integer. The rule: leading blanks are skipped; at most
// one "+" or "-" may follow; then either decimal digits, or hexadecimal digits after "$",
// "x", "X", "0x" or "0X"; nothing may follow the digits. A decimal value must lie in
// -2147483648 .. 2147483647; a hexadecimal value must fit in 32 bits and gives the integer
// with those bits, negated after "-". Leading zeros are allowed ("007" gives 7).
// Raises EConvertError "'%s' is not a valid integer value" with the text as given.
qint32 StrToInt(const QString &text);

// As StrToInt, without raising: false when the text does not convert.
bool TryStrToInt(const QString &text, qint32 &value);
