#pragma once

// The statement tree of the local SQL:
//
//   select  := SELECT ( '*' | name { ',' name } ) FROM table
//              [ WHERE condition ] [ ORDER BY name [ASC|DESC] { ',' name [ASC|DESC] } ] [';']
//   table   := 'path' | "path" | name          (a name without extension gets ".dbf")
//   condition := conjunction { OR conjunction }
//   conjunction := negation { AND negation }
//   negation := NOT negation | '(' condition ')' | operand compare operand
//               | operand [NOT] LIKE operand
//   compare := '=' | '<>' | '!=' | '<' | '>' | '<=' | '>='
//   operand := name | "name" | 'text' | [-] number | :parameter
//
// Keywords and names match without regard to case.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace dbe::sql {

enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

struct Operand
{
    enum class Kind { Field, Text, Number, Parameter };
    Kind kind = Kind::Field;
    std::string text; // field name, text value, number as written, or parameter name
    double number = 0;
};

struct Condition
{
    enum class Kind { And, Or, Not, Compare, Like };
    Kind kind = Kind::Compare;
    CompareOp op = CompareOp::Equal; // Compare
    bool negated = false;            // Like: NOT LIKE
    Operand left, right;             // Compare, Like
    std::unique_ptr<Condition> a, b; // And, Or (both); Not (a)
};

struct OrderTerm
{
    std::string field;
    bool descending = false;
};

struct SelectStatement
{
    bool allFields = true;
    std::vector<std::string> fields; // when not allFields, in the written order
    std::string table;               // path as written (unquoted), ".dbf" added to a bare name
    std::unique_ptr<Condition> where; // null without WHERE
    std::vector<OrderTerm> orderBy;
    std::vector<std::string> parameters; // names used, in order of first use
};

// Parses one statement. DBE_SYNTAX with the offending token named.
Status parseSelect(std::string_view sql, SelectStatement &out);

} // namespace dbe::sql
