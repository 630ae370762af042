// libFuzzer over the statement parser and the LIKE matcher: any bytes must give a parsed
// statement or a syntax error, never a crash, a hang or a read out of bounds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "collate.h"
#include "like.h"
#include "sql_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    dbe::sql::SelectStatement st;
    const dbe::Status s = dbe::sql::parseSelect(text, st);
    if (s.isOk() == (s.code() != DBE_OK))
        __builtin_trap();
    if (!s.isOk() && s.lines().empty())
        __builtin_trap();

    // The input as a pattern over a blank-padded field, and over itself as a field whose
    // last byte is the buffer's last, so the vector reads are checked at the edge.
    static const dbe::Collation collation;
    const dbe::LikePattern pattern(text, collation);
    std::string field = "\xC8\xE2\xE0\xED\xEE\xE2 %_ abc";
    field.resize(60, ' ');
    pattern.matches(reinterpret_cast<const uint8_t *>(field.data()), field.size());
    if (size > 0) {
        auto *copy = new uint8_t[size];
        std::copy(data, data + size, copy);
        pattern.matches(copy, size);
        dbe::LikePattern("%" + std::string(text.substr(0, 8)) + "%", collation).matches(copy, size);
        delete[] copy;
    }
    return 0;
}
