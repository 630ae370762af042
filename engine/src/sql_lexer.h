#pragma once

// Tokens of the local SQL. The statement is 1251 text; lines are joined with '\n'.

#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace dbe::sql {

enum class TokenKind {
    End,        // after the last token
    Word,       // a keyword or an unquoted name (letters, digits, '_', '.', 1251 letters)
    QuotedName, // "name": a field or table name, never a keyword
    Text,       // 'text', with '' standing for one quote; `text` holds it unquoted
    Number,     // digits with an optional fraction
    Parameter,  // :name; `text` holds the name without the colon
    Symbol      // = <> != < > <= >= ( ) , * ; -
};

struct Token
{
    TokenKind kind = TokenKind::End;
    std::string text; // the value (unquoted text, parameter name) or the token as written
    std::string raw;  // the token as written, for messages
    int line = 1;     // 1-based line of the statement it starts on

    // True for a Word equal to the keyword without regard to ASCII case.
    bool isKeyword(std::string_view keyword) const;
    bool isSymbol(std::string_view symbol) const
    {
        return kind == TokenKind::Symbol && text == symbol;
    }
};

// Splits a statement into tokens, the End token last. DBE_SYNTAX for an unterminated
// quote, a character that starts no token, or a colon without a name.
Status tokenize(std::string_view sql, std::vector<Token> &out);

// ASCII case-insensitive equality (names and keywords).
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace dbe::sql
