#include "sql_parser.h"

#include <cstdlib>

#include "sql_errors.h"
#include "sql_lexer.h"

namespace dbe::sql {

namespace {

constexpr std::string_view kTableExtension = ".dbf";
// Nesting deeper than this is refused, so a hostile statement cannot exhaust the stack.
constexpr int kMaxDepth = 200;
// Conditions are evaluated and freed recursively, so their number is bounded too.
constexpr int kMaxPredicates = 1000;

class Parser
{
public:
    explicit Parser(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

    Status parse(SelectStatement &out)
    {
        if (!peek().isKeyword("select"))
            return unexpected();
        ++m_pos;
        if (peek().isSymbol("*")) {
            ++m_pos;
        } else {
            out.allFields = false;
            for (;;) {
                std::string name;
                if (!takeName(name))
                    return unexpected();
                out.fields.push_back(std::move(name));
                if (!peek().isSymbol(","))
                    break;
                ++m_pos;
            }
        }
        if (!peek().isKeyword("from"))
            return unexpected();
        ++m_pos;
        const Token &table = peek();
        if (table.kind == TokenKind::Text || table.kind == TokenKind::QuotedName) {
            out.table = table.text;
        } else if (table.kind == TokenKind::Word && !isReserved(table)) {
            out.table = table.text;
            if (out.table.find('.') == std::string::npos)
                out.table += kTableExtension;
        } else {
            return unexpected();
        }
        ++m_pos;

        if (peek().isKeyword("where")) {
            ++m_pos;
            Status s = parseOr(out.where, 0);
            if (!s)
                return s;
        }
        if (peek().isKeyword("order")) {
            ++m_pos;
            if (!peek().isKeyword("by"))
                return unexpected();
            ++m_pos;
            for (;;) {
                OrderTerm term;
                if (!takeName(term.field))
                    return unexpected();
                if (peek().isKeyword("asc")) {
                    ++m_pos;
                } else if (peek().isKeyword("desc")) {
                    term.descending = true;
                    ++m_pos;
                }
                out.orderBy.push_back(std::move(term));
                if (!peek().isSymbol(","))
                    break;
                ++m_pos;
            }
        }
        if (peek().isSymbol(";"))
            ++m_pos;
        if (peek().kind != TokenKind::End)
            return unexpected();
        out.parameters = std::move(m_parameters);
        return Status::ok();
    }

private:
    const Token &peek() const { return m_tokens[m_pos]; }
    Status unexpected() const { return sqlerr::unexpectedToken(peek().raw, peek().line); }

    static bool isReserved(const Token &t)
    {
        static constexpr std::string_view kReserved[] = {
            "select", "from", "where", "order", "by", "and", "or", "not", "like", "asc", "desc"};
        for (std::string_view k : kReserved) {
            if (t.isKeyword(k))
                return true;
        }
        return false;
    }

    bool takeName(std::string &name)
    {
        const Token &t = peek();
        if (t.kind == TokenKind::QuotedName || (t.kind == TokenKind::Word && !isReserved(t))) {
            name = t.text;
            ++m_pos;
            return true;
        }
        return false;
    }

    Status parseOr(std::unique_ptr<Condition> &out, int depth)
    {
        Status s = parseAnd(out, depth);
        while (s && peek().isKeyword("or")) {
            ++m_pos;
            auto node = std::make_unique<Condition>();
            node->kind = Condition::Kind::Or;
            node->a = std::move(out);
            s = parseAnd(node->b, depth);
            out = std::move(node);
        }
        return s;
    }

    Status parseAnd(std::unique_ptr<Condition> &out, int depth)
    {
        Status s = parseNot(out, depth);
        while (s && peek().isKeyword("and")) {
            ++m_pos;
            auto node = std::make_unique<Condition>();
            node->kind = Condition::Kind::And;
            node->a = std::move(out);
            s = parseNot(node->b, depth);
            out = std::move(node);
        }
        return s;
    }

    Status parseNot(std::unique_ptr<Condition> &out, int depth)
    {
        if (depth > kMaxDepth)
            return sqlerr::tooComplex(peek().line);
        if (peek().isKeyword("not")) {
            ++m_pos;
            auto node = std::make_unique<Condition>();
            node->kind = Condition::Kind::Not;
            Status s = parseNot(node->a, depth + 1);
            out = std::move(node);
            return s;
        }
        if (peek().isSymbol("(")) {
            ++m_pos;
            Status s = parseOr(out, depth + 1);
            if (!s)
                return s;
            if (!peek().isSymbol(")"))
                return unexpected();
            ++m_pos;
            return Status::ok();
        }
        return parsePredicate(out);
    }

    Status parsePredicate(std::unique_ptr<Condition> &out)
    {
        if (++m_predicates > kMaxPredicates)
            return sqlerr::tooComplex(peek().line);
        auto node = std::make_unique<Condition>();
        Status s = parseOperand(node->left);
        if (!s)
            return s;
        const Token &t = peek();
        if (t.isKeyword("not") || t.isKeyword("like")) {
            if (t.isKeyword("not")) {
                node->negated = true;
                ++m_pos;
                if (!peek().isKeyword("like"))
                    return unexpected();
            }
            ++m_pos;
            node->kind = Condition::Kind::Like;
        } else if (t.kind == TokenKind::Symbol) {
            static constexpr std::pair<std::string_view, CompareOp> kOps[] = {
                {"=", CompareOp::Equal},       {"<>", CompareOp::NotEqual},
                {"!=", CompareOp::NotEqual},   {"<", CompareOp::Less},
                {">", CompareOp::Greater},     {"<=", CompareOp::LessEqual},
                {">=", CompareOp::GreaterEqual}};
            bool found = false;
            for (auto [sym, op] : kOps) {
                if (t.text == sym) {
                    node->op = op;
                    found = true;
                }
            }
            if (!found)
                return unexpected();
            ++m_pos;
            node->kind = Condition::Kind::Compare;
        } else {
            return unexpected();
        }
        s = parseOperand(node->right);
        if (!s)
            return s;
        out = std::move(node);
        return Status::ok();
    }

    Status parseOperand(Operand &out)
    {
        const Token &t = peek();
        switch (t.kind) {
        case TokenKind::QuotedName:
            out.kind = Operand::Kind::Field;
            out.text = t.text;
            break;
        case TokenKind::Word:
            if (isReserved(t))
                return unexpected();
            out.kind = Operand::Kind::Field;
            out.text = t.text;
            break;
        case TokenKind::Text:
            out.kind = Operand::Kind::Text;
            out.text = t.text;
            break;
        case TokenKind::Number:
            out.kind = Operand::Kind::Number;
            out.text = t.text;
            out.number = std::strtod(t.text.c_str(), nullptr);
            break;
        case TokenKind::Parameter:
            out.kind = Operand::Kind::Parameter;
            out.text = t.text;
            noteParameter(t.text);
            break;
        case TokenKind::Symbol:
            if (t.text == "-" && m_tokens[m_pos + 1].kind == TokenKind::Number) {
                ++m_pos;
                out.kind = Operand::Kind::Number;
                out.text = "-" + peek().text;
                out.number = -std::strtod(peek().text.c_str(), nullptr);
                break;
            }
            return unexpected();
        case TokenKind::End:
            return unexpected();
        }
        ++m_pos;
        return Status::ok();
    }

    void noteParameter(const std::string &name)
    {
        for (const std::string &known : m_parameters) {
            if (equalsNoCase(known, name))
                return;
        }
        m_parameters.push_back(name);
    }

    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    std::vector<std::string> m_parameters;
    int m_predicates = 0;
};

} // namespace

Status parseSelect(std::string_view sql, SelectStatement &out)
{
    out = SelectStatement();
    std::vector<Token> tokens;
    Status s = tokenize(sql, tokens);
    if (!s)
        return s;
    Parser parser(std::move(tokens));
    return parser.parse(out);
}

} // namespace dbe::sql
