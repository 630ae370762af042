#include "sql_lexer.h"

#include "sql_errors.h"

namespace dbe::sql {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool isWordStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

bool isWordChar(unsigned char c)
{
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '.';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// A parameter's name runs to a blank, comma, semicolon, ')' or line end.
bool endsParameterName(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == ')' || c == '\r' || c == '\n';
}

} // namespace

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

bool Token::isKeyword(std::string_view keyword) const
{
    return kind == TokenKind::Word && equalsNoCase(text, keyword);
}

Status tokenize(std::string_view sql, std::vector<Token> &out)
{
    out.clear();
    int line = 1;
    size_t i = 0;
    const size_t n = sql.size();
    auto push = [&](TokenKind kind, std::string text, size_t from, int atLine) {
        Token t;
        t.kind = kind;
        t.text = std::move(text);
        t.raw = std::string(sql.substr(from, i - from));
        t.line = atLine;
        out.push_back(std::move(t));
    };
    while (i < n) {
        const char c = sql[i];
        if (isBlank(c)) {
            if (c == '\n')
                ++line;
            ++i;
            continue;
        }
        const size_t from = i;
        const int atLine = line;
        if (c == '\'' || c == '"') {
            // Quoted text or name; a doubled quote stands for one.
            std::string value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        value += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (sql[i] == '\n')
                    ++line;
                value += sql[i++];
            }
            if (!closed)
                return sqlerr::unterminatedText(sql.substr(from, 20), atLine);
            push(c == '\'' ? TokenKind::Text : TokenKind::QuotedName, std::move(value), from,
                 atLine);
        } else if (c == ':') {
            ++i;
            while (i < n && !endsParameterName(sql[i]))
                ++i;
            if (i == from + 1)
                return sqlerr::emptyParameterName(atLine);
            push(TokenKind::Parameter, std::string(sql.substr(from + 1, i - from - 1)), from,
                 atLine);
        } else if (isDigit(c) || (c == '.' && i + 1 < n && isDigit(sql[i + 1]))) {
            while (i < n && isDigit(sql[i]))
                ++i;
            if (i < n && sql[i] == '.') {
                ++i;
                while (i < n && isDigit(sql[i]))
                    ++i;
            }
            if (i < n && isWordStart(static_cast<unsigned char>(sql[i])))
                return sqlerr::unexpectedToken(sql.substr(from, i + 1 - from), atLine);
            push(TokenKind::Number, std::string(sql.substr(from, i - from)), from, atLine);
        } else if (isWordStart(static_cast<unsigned char>(c))) {
            while (i < n && isWordChar(static_cast<unsigned char>(sql[i])))
                ++i;
            push(TokenKind::Word, std::string(sql.substr(from, i - from)), from, atLine);
        } else {
            static constexpr std::string_view kTwoChar[] = {"<>", "!=", "<=", ">="};
            std::string_view sym;
            for (std::string_view two : kTwoChar) {
                if (sql.substr(i, 2) == two)
                    sym = two;
            }
            if (sym.empty()) {
                static constexpr std::string_view kOneChar = "=<>(),*;-";
                if (kOneChar.find(c) == std::string_view::npos)
                    return sqlerr::badCharacter(c, atLine);
                sym = sql.substr(i, 1);
            }
            i += sym.size();
            push(TokenKind::Symbol, std::string(sym), from, atLine);
        }
    }
    Token end;
    end.kind = TokenKind::End;
    end.line = line;
    out.push_back(std::move(end));
    return Status::ok();
}

} // namespace dbe::sql
