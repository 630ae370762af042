#pragma once

// Every failure text of the statement layer, in one place. Each failure is a result code
// with a first line saying what is wrong and further lines naming where.

#include <cstdint>
#include <string>
#include <string_view>

#include "status.h"

namespace dbe::sqlerr {

// DBE_SYNTAX: an unexpected token; `token` is its text as written ("" at the end).
Status unexpectedToken(std::string_view token, int line);
// DBE_SYNTAX: a quoted text or name without its closing quote.
Status unterminatedText(std::string_view start, int line);
// DBE_SYNTAX: a character that starts no token.
Status badCharacter(char ch, int line);
// DBE_SYNTAX: a colon followed by no name.
Status emptyParameterName(int line);
// DBE_SYNTAX: a condition nested too deeply or made of too many comparisons.
Status tooComplex(int line);
// DBE_NOFIELD: the table has no field of this name.
Status invalidField(std::string_view name);
// DBE_PARAM: a parameter of the statement that the caller gave no value.
Status missingParameter(std::string_view name);
// DBE_PARAM: a parameter value whose type the engine does not know.
Status badParameterType(std::string_view name);
// DBE_TYPE: two operands that do not compare (a text with a number).
Status typeMismatch(std::string_view what);
// DBE_MISUSE: a bad argument to the C API.
Status misuse(std::string_view what);
// DBE_RANGE: the caller's buffer is too small for the text.
Status bufferTooSmall();
// DBE_NOMEM.
Status noMemory();

} // namespace dbe::sqlerr
