#pragma once

// Russian ordering and case folding of code page 1251 text.
//
// Ordering (ORDER BY, <, >): letters compare alphabetically without regard to case, with
// Ё/ё beside Е/е (not at its byte's place before А); Latin letters come before Cyrillic,
// digits before letters, punctuation before digits, blanks first, so an empty value sorts
// first. Strings equal at that level are told apart by a tie-break level (lower case
// before upper case, е before ё), and only strings with the same bytes compare equal.
// Trailing blanks never count: "Иван" and "Иван   " are equal.
//
// Folding (LIKE): upper to lower case for Latin and Cyrillic letters, and Ё/ё to е, so a
// pattern matches without regard to case and to the two spellings of е.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dbe {

// A byte-indexed table of 256 entries.
struct ByteTable
{
    uint8_t map[256];
    uint8_t operator[](uint8_t b) const { return map[b]; }
};

// 1251 byte -> folded 1251 byte (see above).
const ByteTable &foldTable1251();
// 1251 byte -> primary alphabetical weight (1 = blank, the lowest).
const ByteTable &primaryWeights1251();
// 1251 byte -> tie-break weight among bytes of equal primary weight.
const ByteTable &tieWeights1251();

// The weight tables composed with a file's code page table (file byte -> 1251 byte), so a
// table's bytes are compared and folded in place without converting them first.
struct Collation
{
    ByteTable fold;    // file byte -> folded 1251 byte
    ByteTable primary; // file byte -> primary weight
    ByteTable tie;     // file byte -> tie-break weight
    const uint8_t *source = nullptr; // the code page table it was made from

    // toCp1251: the file's conversion table to 1251; nullptr for a 1251 file.
    explicit Collation(const uint8_t *toCp1251 = nullptr);

    // Three-way comparison of two texts in the file's code page; missing characters
    // count as blanks, so trailing blanks never matter. <0, 0, >0.
    int compare(const uint8_t *a, size_t aLen, const uint8_t *b, size_t bLen) const;

    // As compare(), for a text `a` of this collation's code page and a text `b` of
    // another's (a field against a 1251 constant).
    int compareWith(const uint8_t *a, size_t aLen, const Collation &other, const uint8_t *b,
                    size_t bLen) const;

    // The first 8 * wordCount primary weights of a text (blank-padded), packed
    // big-endian into words, so comparing the words as unsigned numbers in turn orders
    // texts as compare() does at the primary level for those first characters.
    void prefixKey(const uint8_t *text, size_t len, uint64_t *words, size_t wordCount) const;
};

// Compares two 1251 texts (a convenience over Collation for 1251 bytes).
int compare1251(std::string_view a, std::string_view b);

} // namespace dbe
