#pragma once

// Conditions bound to a table: each leaf knows its field's place in the record and its
// constant already converted, so a row is tested on the record's bytes as read.
//
// Comparisons follow SQL's three-valued logic: an empty numeric field or a NULL parameter
// is unknown, not equal (nor unequal) to anything, and a row is selected only when its
// condition is true.

#include <cstdint>
#include <memory>
#include <vector>

#include "collate.h"
#include "dbengine.h"
#include "dbf_field.h"
#include "sql_parser.h"
#include "status.h"

namespace dbe::sql {

enum class Tri : uint8_t { False, True, Unknown };

class Predicate
{
public:
    virtual ~Predicate() = default;
    // Tests one record (byte 0 the deleted flag, fields at their offsets).
    virtual Tri test(const uint8_t *record) const = 0;
};

struct BindContext
{
    const std::vector<FieldInfo> *fields = nullptr;
    const Collation *collation = nullptr; // of the table's code page
    const dbe_param *params = nullptr;
    size_t paramCount = 0;
};

// Index of the named field (without regard to case) or -1.
int findField(const std::vector<FieldInfo> &fields, std::string_view name);

// True for field types whose values compare as numbers.
bool isNumericType(char type);

// Binds a parsed condition. Fails with DBE_NOFIELD (a missing field), DBE_PARAM (a
// parameter without a value) or DBE_TYPE (a text compared with a number).
Status bindCondition(const Condition &condition, const BindContext &context,
                     std::unique_ptr<Predicate> &out);

// The value of a numeric field: false when it is empty or not a number.
bool fieldNumber(const uint8_t *bytes, int len, double &value);

} // namespace dbe::sql
