#pragma once

// LIKE patterns over table text: '%' stands for any run of characters (none included),
// '_' for exactly one. Letters match without regard to case and Ё/ё match Е/е (see
// collate.h). Trailing blanks of a field take no part, so 'Иванов' matches a C(60) field
// holding Иванов padded with blanks. Matching works on the table's own bytes through the
// collation's folding table; no string is built per cell.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "collate.h"

namespace dbe {

class LikePattern
{
public:
    // pattern: 1251 text. The collation is copied, so it need not outlive the pattern.
    LikePattern(std::string_view pattern, const Collation &collation);

    // True when the text matches the whole pattern. `text` holds `len` readable bytes in
    // the table's code page (a field's bytes as stored, blanks and all).
    bool matches(const uint8_t *text, size_t len) const;

private:
    static constexpr int16_t kAnyChar = -1;
    struct Segment
    {
        std::vector<int16_t> chars; // folded 1251 bytes, kAnyChar for '_'
        int key = -1;               // index of the first fixed char, -1 when only '_'
        std::vector<uint8_t> keyBytes; // file bytes that fold to chars[key]
        std::vector<uint8_t> nextBytes; // ... to chars[key + 1] when that is fixed too
        bool endsSolid = false; // its last char is fixed and not a blank: a match of it
                                // never reaches into a field's trailing blanks
    };

    bool segmentAt(const Segment &s, const uint8_t *text, size_t at) const;
    // Leftmost start >= from at which s matches with its end at most `limit`; -1 if none.
    long findSegment(const Segment &s, const uint8_t *text, size_t from, size_t limit) const;

    ByteTable m_fold;
    std::vector<Segment> m_segments;
    bool m_anchoredStart = true; // no '%' before the first segment
    bool m_anchoredEnd = true;   // no '%' after the last segment
    bool m_matchesAll = false;   // the pattern holds only '%' (and at least one)
    bool m_impossible = false;   // a fixed char that no byte of the code page folds to
};

// Length of a field's text without its trailing blanks (and NUL padding).
size_t trimmedLength(const uint8_t *text, size_t len);

} // namespace dbe
