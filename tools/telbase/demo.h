#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "directory_table.h"

namespace telbase {

// A small generator of our own (SplitMix64), so that a demo table is the same on every
// machine and with every standard library.
class DemoRandom
{
public:
    explicit DemoRandom(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next();
    // A whole number from 0 to n - 1 (n > 0).
    std::uint32_t below(std::uint32_t n);
    // True with a chance of perMille / 1000.
    bool chance(std::uint32_t perMille) { return below(1000) < perMille; }

private:
    std::uint64_t m_state;
};

// One demo entry: the seven field values in code page 1251, in field order; numbers as
// digits, an empty text for an empty value.
using DemoEntry = std::array<std::string, DirectoryFieldCount>;

// Makes realistic directory entries: Russian surnames, given names and patronymics in
// their male and female forms, departments, positions, rooms, internal, city and mobile
// numbers. The n-th entry depends only on n, never on how many are made, so a demo of N
// entries is always the same table. About one entry in seven holds "Ив" in its FIO
// (Иванов, Ивлев, Иван, Иванович, ...), and no other part of a name holds "ив" in any
// letter case, whatever the engine's LIKE does with case.
class DemoGenerator
{
public:
    DemoGenerator();

    // Fills entry with the next entry's values.
    void next(DemoEntry &entry);

private:
    struct Words;
    const Words &m_words;
    DemoRandom m_random;
};

} // namespace telbase
