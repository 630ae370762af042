#include "sql_eval.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "like.h"
#include "sql_errors.h"
#include "sql_lexer.h"

namespace dbe::sql {

namespace {

Tri fromBool(bool b)
{
    return b ? Tri::True : Tri::False;
}

bool holds(CompareOp op, int cmp)
{
    switch (op) {
    case CompareOp::Equal: return cmp == 0;
    case CompareOp::NotEqual: return cmp != 0;
    case CompareOp::Less: return cmp < 0;
    case CompareOp::Greater: return cmp > 0;
    case CompareOp::LessEqual: return cmp <= 0;
    case CompareOp::GreaterEqual: return cmp >= 0;
    }
    return false;
}

int compareNumbers(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// `a op b` written as `b op' a`.
CompareOp mirrored(CompareOp op)
{
    switch (op) {
    case CompareOp::Less: return CompareOp::Greater;
    case CompareOp::Greater: return CompareOp::Less;
    case CompareOp::LessEqual: return CompareOp::GreaterEqual;
    case CompareOp::GreaterEqual: return CompareOp::LessEqual;
    default: return op;
    }
}

class ConstantPredicate final : public Predicate
{
public:
    explicit ConstantPredicate(Tri value) : m_value(value) {}
    Tri test(const uint8_t *) const override { return m_value; }

private:
    Tri m_value;
};

// AND and OR in three-valued logic, each the other's mirror: the first side that gives
// the deciding value (False for AND, True for OR) settles it, and the other side is not
// tested; the other value only when both sides give it; else Unknown.
class JunctionPredicate final : public Predicate
{
public:
    JunctionPredicate(std::unique_ptr<Predicate> a, std::unique_ptr<Predicate> b, Tri deciding)
        : m_a(std::move(a)), m_b(std::move(b)), m_deciding(deciding),
          m_other(deciding == Tri::False ? Tri::True : Tri::False)
    {
    }
    Tri test(const uint8_t *record) const override
    {
        const Tri a = m_a->test(record);
        if (a == m_deciding)
            return m_deciding;
        const Tri b = m_b->test(record);
        if (b == m_deciding)
            return m_deciding;
        return (a == m_other && b == m_other) ? m_other : Tri::Unknown;
    }

private:
    std::unique_ptr<Predicate> m_a, m_b;
    Tri m_deciding, m_other;
};

class NotPredicate final : public Predicate
{
public:
    explicit NotPredicate(std::unique_ptr<Predicate> a) : m_a(std::move(a)) {}
    Tri test(const uint8_t *record) const override
    {
        const Tri a = m_a->test(record);
        return a == Tri::Unknown ? Tri::Unknown : fromBool(a == Tri::False);
    }

private:
    std::unique_ptr<Predicate> m_a;
};

class LikePredicate final : public Predicate
{
public:
    LikePredicate(const FieldInfo &field, const std::string &pattern, const Collation &c,
                  bool negated)
        : m_offset(size_t(field.offset)), m_length(size_t(field.length)), m_pattern(pattern, c),
          m_negated(negated)
    {
    }
    Tri test(const uint8_t *record) const override
    {
        return fromBool(m_pattern.matches(record + m_offset, m_length) != m_negated);
    }

private:
    size_t m_offset, m_length;
    LikePattern m_pattern;
    bool m_negated;
};

class NumberPredicate final : public Predicate
{
public:
    NumberPredicate(const FieldInfo &field, CompareOp op, double value)
        : m_offset(size_t(field.offset)), m_length(field.length), m_op(op), m_value(value)
    {
    }
    Tri test(const uint8_t *record) const override
    {
        double v;
        if (!fieldNumber(record + m_offset, m_length, v))
            return Tri::Unknown;
        return fromBool(holds(m_op, compareNumbers(v, m_value)));
    }

private:
    size_t m_offset;
    int m_length;
    CompareOp m_op;
    double m_value;
};

class TextPredicate final : public Predicate
{
public:
    TextPredicate(const FieldInfo &field, CompareOp op, std::string value, const Collation &c)
        : m_offset(size_t(field.offset)), m_length(size_t(field.length)), m_op(op),
          m_value(std::move(value)), m_collation(c)
    {
    }
    Tri test(const uint8_t *record) const override
    {
        static const Collation kConstant; // constants are 1251 text
        const int cmp = m_collation.compareWith(
            record + m_offset, m_length, kConstant,
            reinterpret_cast<const uint8_t *>(m_value.data()), m_value.size());
        return fromBool(holds(m_op, cmp));
    }

private:
    size_t m_offset, m_length;
    CompareOp m_op;
    std::string m_value;
    const Collation &m_collation;
};

class FieldsPredicate final : public Predicate
{
public:
    FieldsPredicate(const FieldInfo &a, const FieldInfo &b, CompareOp op, bool numeric,
                    const Collation &c)
        : m_a(a), m_b(b), m_op(op), m_numeric(numeric), m_collation(c)
    {
    }
    Tri test(const uint8_t *record) const override
    {
        const uint8_t *pa = record + m_a.offset;
        const uint8_t *pb = record + m_b.offset;
        if (m_numeric) {
            double va, vb;
            if (!fieldNumber(pa, m_a.length, va) || !fieldNumber(pb, m_b.length, vb))
                return Tri::Unknown;
            return fromBool(holds(m_op, compareNumbers(va, vb)));
        }
        return fromBool(holds(
            m_op, m_collation.compare(pa, size_t(m_a.length), pb, size_t(m_b.length))));
    }

private:
    FieldInfo m_a, m_b;
    CompareOp m_op;
    bool m_numeric;
    const Collation &m_collation;
};

// An operand with its type settled: a field, or a constant of a kind.
struct Value
{
    enum class Kind { Field, Number, Text, Null };
    Kind kind = Kind::Null;
    int field = -1;
    double number = 0;
    std::string text;
    std::string written; // for messages
};

bool textToNumber(const std::string &text, double &out)
{
    const char *begin = text.c_str();
    while (*begin == ' ')
        ++begin;
    if (*begin == '\0')
        return false;
    char *end = nullptr;
    out = std::strtod(begin, &end);
    while (*end == ' ')
        ++end;
    return *end == '\0';
}

class Binder
{
public:
    explicit Binder(const BindContext &c) : m_c(c) {}

    Status bind(const Condition &cond, std::unique_ptr<Predicate> &out)
    {
        using K = Condition::Kind;
        switch (cond.kind) {
        case K::And:
        case K::Or: {
            std::unique_ptr<Predicate> a, b;
            Status s = bind(*cond.a, a);
            if (s)
                s = bind(*cond.b, b);
            if (!s)
                return s;
            if (cond.kind == K::And)
                out = std::make_unique<JunctionPredicate>(std::move(a), std::move(b), Tri::False);
            else
                out = std::make_unique<JunctionPredicate>(std::move(a), std::move(b), Tri::True);
            return s;
        }
        case K::Not: {
            std::unique_ptr<Predicate> a;
            Status s = bind(*cond.a, a);
            if (s)
                out = std::make_unique<NotPredicate>(std::move(a));
            return s;
        }
        case K::Like: return bindLike(cond, out);
        case K::Compare: return bindCompare(cond, out);
        }
        return Status::ok();
    }

private:
    const FieldInfo &field(int i) const { return (*m_c.fields)[size_t(i)]; }
    bool numericField(int i) const { return isNumericType(field(i).type); }

    Status resolve(const Operand &op, Value &v) const
    {
        v.written = op.text;
        switch (op.kind) {
        case Operand::Kind::Field:
            v.kind = Value::Kind::Field;
            v.field = findField(*m_c.fields, op.text);
            if (v.field < 0)
                return sqlerr::invalidField(op.text);
            return Status::ok();
        case Operand::Kind::Text:
            v.kind = Value::Kind::Text;
            v.text = op.text;
            return Status::ok();
        case Operand::Kind::Number:
            v.kind = Value::Kind::Number;
            v.number = op.number;
            return Status::ok();
        case Operand::Kind::Parameter:
            v.written = ":" + op.text;
            for (size_t i = 0; i < m_c.paramCount; ++i) {
                const dbe_param &p = m_c.params[i];
                if (!p.name || !equalsNoCase(p.name, op.text))
                    continue;
                switch (p.type) {
                case DBE_PARAM_NULL: v.kind = Value::Kind::Null; return Status::ok();
                case DBE_PARAM_INT:
                    v.kind = Value::Kind::Number;
                    v.number = double(p.int_value);
                    return Status::ok();
                case DBE_PARAM_TEXT:
                    v.kind = Value::Kind::Text;
                    v.text = p.text_value ? p.text_value : "";
                    return Status::ok();
                default: return sqlerr::badParameterType(op.text);
                }
            }
            return sqlerr::missingParameter(op.text);
        }
        return Status::ok();
    }

    std::string describe(const Value &v) const
    {
        if (v.kind == Value::Kind::Field)
            return "Field: " + v.written;
        return "Value: " + v.written;
    }

    Status bindLike(const Condition &cond, std::unique_ptr<Predicate> &out)
    {
        Value left, right;
        Status s = resolve(cond.left, left);
        if (s)
            s = resolve(cond.right, right);
        if (!s)
            return s;
        if (left.kind == Value::Kind::Null || right.kind == Value::Kind::Null) {
            out = std::make_unique<ConstantPredicate>(Tri::Unknown);
            return s;
        }
        // The pattern is a text; a number given for it is taken as its digits.
        std::string pattern;
        if (right.kind == Value::Kind::Text)
            pattern = right.text;
        else if (right.kind == Value::Kind::Number)
            pattern = numberText(right.number);
        else
            return sqlerr::typeMismatch(describe(right));
        if (left.kind == Value::Kind::Field) {
            if (numericField(left.field))
                return sqlerr::typeMismatch(describe(left));
            out = std::make_unique<LikePredicate>(field(left.field), pattern, *m_c.collation,
                                                  cond.negated);
            return s;
        }
        const std::string text =
            left.kind == Value::Kind::Text ? left.text : numberText(left.number);
        static const Collation kConstant;
        const LikePattern p(pattern, kConstant);
        const bool m = p.matches(reinterpret_cast<const uint8_t *>(text.data()), text.size());
        out = std::make_unique<ConstantPredicate>(fromBool(m != cond.negated));
        return s;
    }

    static std::string numberText(double v)
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v);
        return buf;
    }

    Status bindCompare(const Condition &cond, std::unique_ptr<Predicate> &out)
    {
        Value left, right;
        Status s = resolve(cond.left, left);
        if (s)
            s = resolve(cond.right, right);
        if (!s)
            return s;
        CompareOp op = cond.op;
        if (left.kind == Value::Kind::Null || right.kind == Value::Kind::Null) {
            out = std::make_unique<ConstantPredicate>(Tri::Unknown);
            return s;
        }
        if (left.kind != Value::Kind::Field && right.kind == Value::Kind::Field) {
            std::swap(left, right);
            op = mirrored(op);
        }
        if (left.kind == Value::Kind::Field && right.kind == Value::Kind::Field) {
            const bool na = numericField(left.field), nb = numericField(right.field);
            if (na != nb)
                return sqlerr::typeMismatch(describe(right));
            out = std::make_unique<FieldsPredicate>(field(left.field), field(right.field), op,
                                                    na, *m_c.collation);
            return s;
        }
        if (left.kind == Value::Kind::Field) {
            if (numericField(left.field)) {
                double v = right.number;
                if (right.kind == Value::Kind::Text && !textToNumber(right.text, v))
                    return sqlerr::typeMismatch(describe(right));
                out = std::make_unique<NumberPredicate>(field(left.field), op, v);
                return s;
            }
            if (right.kind != Value::Kind::Text)
                return sqlerr::typeMismatch(describe(left));
            out = std::make_unique<TextPredicate>(field(left.field), op, right.text,
                                                  *m_c.collation);
            return s;
        }
        // Two constants: settled now.
        int cmp = 0;
        if (left.kind == Value::Kind::Text && right.kind == Value::Kind::Text) {
            cmp = compare1251(left.text, right.text);
        } else {
            double a = left.number, b = right.number;
            if (left.kind == Value::Kind::Text && !textToNumber(left.text, a))
                return sqlerr::typeMismatch(describe(left));
            if (right.kind == Value::Kind::Text && !textToNumber(right.text, b))
                return sqlerr::typeMismatch(describe(right));
            cmp = compareNumbers(a, b);
        }
        out = std::make_unique<ConstantPredicate>(fromBool(holds(op, cmp)));
        return s;
    }

    const BindContext &m_c;
};

} // namespace

int findField(const std::vector<FieldInfo> &fields, std::string_view name)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (equalsNoCase(fields[i].name, name))
            return int(i);
    }
    return -1;
}

bool isNumericType(char type)
{
    return type == 'N' || type == 'F';
}

bool fieldNumber(const uint8_t *bytes, int len, double &value)
{
    // Most directory numbers are plain integers: read them here, leave the rest (signs,
    // fractions, damaged values) to the full parser.
    int i = 0;
    while (i < len && bytes[i] == ' ')
        ++i;
    int64_t v = 0;
    int digits = 0;
    while (i < len && bytes[i] >= '0' && bytes[i] <= '9' && digits < 18) {
        v = v * 10 + (bytes[i] - '0');
        ++i;
        ++digits;
    }
    int j = i;
    while (j < len && bytes[j] == ' ')
        ++j;
    if (digits > 0 && j == len) {
        value = double(v);
        return true;
    }
    return parseNumber(bytes, len, value);
}

Status bindCondition(const Condition &condition, const BindContext &context,
                     std::unique_ptr<Predicate> &out)
{
    Binder binder(context);
    return binder.bind(condition, out);
}

} // namespace dbe::sql
