// The viewer's statements over generated directory tables of 10 000, 100 000 and
// 1 000 000 entries, through the engine's C API.
//
// "Fresh" runs each statement in a newly started engine (nothing cached); "Loaded" runs it
// again and again in one engine that stays loaded, as the viewer does when it closes and
// reopens its query on every search. Each run also reads the cells of the first rows, as
// the grid does when it shows them.
//
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DFONVIK_BENCH=ON
//   cmake --build build/bench --target engine_bench && build/bench/bench/engine_bench

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <map>
#include <string>

#include "dbengine.h"
#include "demo_table.h"

namespace {

const std::string &table(uint32_t entries)
{
    static std::map<uint32_t, std::string> paths;
    auto it = paths.find(entries);
    if (it == paths.end())
        it = paths
                 .emplace(entries, bench::demoTable(FONVIK_BENCH_DATA_DIR,
                                                    "directory-" + std::to_string(entries) + ".dbf",
                                                    entries))
                 .first;
    return it->second;
}

enum class Search { FullList, Name, Department, Number };

std::string statement(const std::string &path, Search search)
{
    std::string sql = "select * from '" + path + "'\n";
    switch (search) {
    case Search::FullList: break;
    case Search::Name: sql += "where FIO like '%\xC8\xE2%'\n"; break; // %Ив%
    case Search::Department:
        sql += "where Otdel like '%\xEE\xF2\xE4\xE5\xEB%'\n"; // %отдел%, in many departments
        break;
    case Search::Number: sql += "where nvnutr=:nvnutr\n"; break;
    }
    return sql + "ORDER BY FIO";
}

// Runs the statement, reads the first rows' cells and closes the cursor; the row count.
int64_t runOnce(benchmark::State &state, dbe_engine *engine, const std::string &sql)
{
    // An internal number that the demo gives to about one entry in 9000.
    dbe_param param{"nvnutr", DBE_PARAM_INT, 2345, nullptr};
    dbe_cursor *cursor = nullptr;
    if (dbe_query(engine, sql.c_str(), &param, 1, &cursor) != DBE_OK) {
        state.SkipWithError(dbe_errmsg(engine));
        return 0;
    }
    const int64_t rows = dbe_cursor_row_count(cursor);
    char buf[256];
    for (int64_t r = 0; r < rows && r < 25; ++r) {
        for (int f = 0; f < dbe_cursor_field_count(cursor); ++f)
            dbe_cursor_text(cursor, r, f, buf, sizeof buf, nullptr);
    }
    dbe_cursor_close(cursor);
    return rows;
}

void report(benchmark::State &state, int64_t rows)
{
    state.counters["rows"] = double(rows);
    state.counters["match_share"] = double(rows) / double(state.range(0));
}

void searchFresh(benchmark::State &state, Search search)
{
    const std::string &path = table(uint32_t(state.range(0)));
    if (path.empty())
        return state.SkipWithError("no table");
    const std::string sql = statement(path, search);
    int64_t rows = 0;
    for (auto _ : state) {
        dbe_engine *engine = nullptr;
        dbe_open(&engine);
        rows = runOnce(state, engine, sql);
        dbe_close(engine);
    }
    report(state, rows);
}

void searchLoaded(benchmark::State &state, Search search)
{
    const std::string &path = table(uint32_t(state.range(0)));
    if (path.empty())
        return state.SkipWithError("no table");
    const std::string sql = statement(path, search);
    dbe_engine *engine = nullptr;
    dbe_open(&engine);
    runOnce(state, engine, statement(path, Search::FullList)); // the viewer's start-up
    int64_t rows = 0;
    for (auto _ : state)
        rows = runOnce(state, engine, sql);
    dbe_close(engine);
    report(state, rows);
}

void BM_OpenTable(benchmark::State &state)
{
    const std::string &path = table(uint32_t(state.range(0)));
    if (path.empty())
        return state.SkipWithError("no table");
    dbe_engine *engine = nullptr;
    dbe_open(&engine);
    for (auto _ : state) {
        dbe_table *t = nullptr;
        if (dbe_table_open(engine, path.c_str(), &t) != DBE_OK)
            return state.SkipWithError(dbe_errmsg(engine));
        uint32_t recno = 0;
        dbe_table_seek(t, 0, 1, &recno); // the editor shows the first entry
        benchmark::DoNotOptimize(recno);
        dbe_table_close(t);
    }
    dbe_close(engine);
}

// What the engine holds on the heap while the full list is open in a loaded engine (its
// cached order and the open result), per entry. The file's pages are not counted: the
// engine reads them from the page cache and keeps none.
void BM_MemoryPerEntry(benchmark::State &state)
{
    const std::string &path = table(uint32_t(state.range(0)));
    if (path.empty())
        return state.SkipWithError("no table");
    const std::string sql = statement(path, Search::FullList);
    double perEntry = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        dbe_engine *engine = nullptr;
        dbe_open(&engine);
        dbe_cursor *warm = nullptr;
        dbe_query(engine, sql.c_str(), nullptr, 0, &warm);
        dbe_cursor_close(warm);
        dbe_cursor *cursor = nullptr;
        dbe_query(engine, sql.c_str(), nullptr, 0, &cursor);
        const size_t held = mallinfo2().uordblks - before;
        perEntry = double(held) / double(state.range(0));
        dbe_cursor_close(cursor);
        dbe_close(engine);
    }
    state.counters["bytes_per_entry"] = perEntry;
}

void BM_FullListFresh(benchmark::State &s) { searchFresh(s, Search::FullList); }
void BM_FullListLoaded(benchmark::State &s) { searchLoaded(s, Search::FullList); }
void BM_NameSearchFresh(benchmark::State &s) { searchFresh(s, Search::Name); }
void BM_NameSearchLoaded(benchmark::State &s) { searchLoaded(s, Search::Name); }
void BM_DepartmentSearchFresh(benchmark::State &s) { searchFresh(s, Search::Department); }
void BM_DepartmentSearchLoaded(benchmark::State &s) { searchLoaded(s, Search::Department); }
void BM_NumberSearchFresh(benchmark::State &s) { searchFresh(s, Search::Number); }
void BM_NumberSearchLoaded(benchmark::State &s) { searchLoaded(s, Search::Number); }

// CPU time is the whole process's, the engine's helper threads included.
#define SIZES ->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond) \
    ->MeasureProcessCPUTime()->UseRealTime()

BENCHMARK(BM_OpenTable) SIZES;
BENCHMARK(BM_FullListFresh) SIZES;
BENCHMARK(BM_FullListLoaded) SIZES;
BENCHMARK(BM_NameSearchFresh) SIZES;
BENCHMARK(BM_NameSearchLoaded) SIZES;
BENCHMARK(BM_DepartmentSearchFresh) SIZES;
BENCHMARK(BM_DepartmentSearchLoaded) SIZES;
BENCHMARK(BM_NumberSearchFresh) SIZES;
BENCHMARK(BM_NumberSearchLoaded) SIZES;
BENCHMARK(BM_MemoryPerEntry) SIZES->Iterations(1);

} // namespace

BENCHMARK_MAIN();
