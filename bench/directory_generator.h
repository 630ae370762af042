#pragma once

// Generates directory tables for the benchmarks: seven fields (FIO C(60), OTDEL C(60),
// DOLJ C(50), KAB N(6), NVNUTR N(6), NGOROD N(11), NSOT C(20)), code page 1251, realistic
// Russian names, written through the engine's own table API. The same count always gives
// the same table.

#include <cstdint>
#include <string>

namespace bench {

// The path of a table of `entries` records under `folder`, generated when missing (or
// of another size). Empty on failure, with the engine's message printed.
std::string directoryTable(const std::string &folder, uint32_t entries);

// The department fragment the benchmarks search for (1251).
const char *departmentFragment();

} // namespace bench
