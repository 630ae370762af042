#pragma once

// The benchmarks' tables: demo directories made by the telbase program, the same as the
// README's demo table and `bench/telbase/run` use. The same count always gives the same
// table.

#include <cstdint>
#include <string>

namespace bench {

// The path of a demo table of `entries` records, `name` under `folder`, made when it is
// missing. Empty on failure, with telbase's message on standard error.
std::string demoTable(const std::string &folder, const std::string &name, uint32_t entries);

} // namespace bench
