#include "sql_errors.h"

namespace dbe::sqlerr {

namespace {
std::string lineNumber(int line)
{
    return "Line Number: " + std::to_string(line) + ".";
}
} // namespace

Status unexpectedToken(std::string_view token, int line)
{
    Status s = Status::error(DBE_SYNTAX, "Invalid use of keyword or token in the statement.");
    s.addLine(token.empty() ? std::string("Token: end of statement.")
                            : "Token: " + std::string(token));
    return s.addLine(lineNumber(line));
}

Status unterminatedText(std::string_view start, int line)
{
    return Status::error(DBE_SYNTAX, "Unterminated quoted text.")
        .addLine("Token: " + std::string(start))
        .addLine(lineNumber(line));
}

Status badCharacter(char ch, int line)
{
    return Status::error(DBE_SYNTAX, "Invalid character in the statement.")
        .addLine("Token: " + std::string(1, ch))
        .addLine(lineNumber(line));
}

Status emptyParameterName(int line)
{
    return Status::error(DBE_SYNTAX, "Parameter name expected after ':'.")
        .addLine("Token: :")
        .addLine(lineNumber(line));
}

Status tooComplex(int line)
{
    return Status::error(DBE_SYNTAX, "Statement too complex.").addLine(lineNumber(line));
}

Status invalidField(std::string_view name)
{
    return Status::error(DBE_NOFIELD, "Invalid field name.").addLine("Field: " + std::string(name));
}

Status missingParameter(std::string_view name)
{
    return Status::error(DBE_PARAM, "Parameter has no value.")
        .addLine("Parameter: " + std::string(name));
}

Status badParameterType(std::string_view name)
{
    return Status::error(DBE_PARAM, "Parameter value of an unknown type.")
        .addLine("Parameter: " + std::string(name));
}

Status typeMismatch(std::string_view what)
{
    return Status::error(DBE_TYPE, "Type mismatch in expression.").addLine(std::string(what));
}

Status misuse(std::string_view what)
{
    return Status::error(DBE_MISUSE, "Invalid use of the engine: " + std::string(what) + ".");
}

Status bufferTooSmall()
{
    return Status::error(DBE_RANGE, "Buffer too small for the value.");
}

Status noMemory()
{
    return Status::error(DBE_NOMEM, "Insufficient memory for this operation.");
}

} // namespace dbe::sqlerr
