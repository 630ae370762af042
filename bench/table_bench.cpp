// Table storage speed over generated directory tables of 10 000 to 1 000 000 entries:
// opening for editing, scanning every record in blocks, the live-record index, appends.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "dbengine.h"
#include "dbf.h"
#include "dbf_table.h"
#include "dbf_tools.h"

namespace {

const std::vector<dbe::FieldInfo> &directoryFields()
{
    static const std::vector<dbe::FieldInfo> fields = [] {
        std::vector<dbe::FieldInfo> f(7);
        const char *names[7] = {"FIO", "OTDEL", "DOLJ", "KAB", "NVNUTR", "NGOROD", "NSOT"};
        const char types[7] = {'C', 'C', 'C', 'N', 'N', 'N', 'C'};
        const int lengths[7] = {60, 60, 50, 5, 6, 10, 20};
        for (int i = 0; i < 7; ++i) {
            f[size_t(i)].name = names[i];
            f[size_t(i)].type = types[i];
            f[size_t(i)].length = lengths[i];
        }
        return f;
    }();
    return fields;
}

// A table of n entries (every tenth deleted), made once per size and removed at exit.
const std::string &tableOf(int64_t n)
{
    static std::map<int64_t, std::string> made;
    static struct Cleanup
    {
        ~Cleanup()
        {
            for (auto &[size, path] : made)
                std::filesystem::remove(path);
        }
    } cleanup;
    auto it = made.find(n);
    if (it != made.end())
        return it->second;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("bench-" + std::to_string(getpid()) + "-" + std::to_string(n) +
                               ".dbf"))
                                 .string();
    dbe::FileSystem &fs = dbe::FileSystem::posix();
    if (!dbe::createTable(fs, path, directoryFields(), 0xC9, true))
        std::abort();
    std::unique_ptr<dbe::DbfFile> t;
    if (!dbe::DbfFile::open(fs, path, true, t) || !t->lockHeader())
        std::abort();
    const size_t rl = t->recordLength();
    const uint32_t batch = 10000;
    std::vector<uint8_t> rows(batch * rl);
    for (int64_t done = 0; done < n; done += batch) {
        const uint32_t count = uint32_t(std::min<int64_t>(batch, n - done));
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t *r = rows.data() + i * rl;
            std::memset(r, ' ', rl);
            const int64_t k = done + i;
            r[0] = k % 10 == 9 ? '*' : ' ';
            char fio[61];
            std::snprintf(fio, sizeof fio, "Person %09lld", static_cast<long long>(k));
            std::memcpy(r + 1, fio, std::strlen(fio));
            char num[7];
            std::snprintf(num, sizeof num, "%6lld", static_cast<long long>(k % 1000000));
            std::memcpy(r + 1 + 170 + 5, num, 6);
        }
        uint32_t first = 0;
        if (!t->appendRecords(rows.data(), count, first))
            std::abort();
    }
    return made[n] = path;
}

// Open for editing: the header and the first screen of records.
void BM_OpenForEditing(benchmark::State &state)
{
    const std::string &path = tableOf(state.range(0));
    std::vector<uint8_t> buf;
    for (auto _ : state) {
        std::unique_ptr<dbe::Table> t;
        if (!dbe::Table::open(dbe::FileSystem::posix(), path, t))
            state.SkipWithError("open failed");
        std::string text;
        for (uint32_t r = 1; r <= 30; ++r)
            t->text(r, 0, text);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_OpenForEditing)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// What a statement's scan costs: every record read in blocks of about 4 MB.
void BM_ScanAllRecords(benchmark::State &state)
{
    const std::string &path = tableOf(state.range(0));
    std::unique_ptr<dbe::DbfFile> t;
    if (!dbe::DbfFile::open(path, false, t))
        state.SkipWithError("open failed");
    std::vector<uint8_t> buf;
    const uint32_t block = uint32_t((4u << 20) / t->recordLength());
    for (auto _ : state) {
        uint64_t live = 0;
        for (uint32_t first = 0; first < t->recordCount(); first += block) {
            uint32_t got = 0;
            t->readRecords(first, block, buf, got);
            for (uint32_t i = 0; i < got; ++i)
                live += buf[size_t(i) * t->recordLength()] != '*';
        }
        benchmark::DoNotOptimize(live);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t->recordCount()) *
                            t->recordLength());
}
BENCHMARK(BM_ScanAllRecords)->Arg(1000000)->Unit(benchmark::kMillisecond);

// First live count on a fresh open: builds the index of live records.
void BM_LiveCountCold(benchmark::State &state)
{
    const std::string &path = tableOf(state.range(0));
    for (auto _ : state) {
        std::unique_ptr<dbe::Table> t;
        dbe::Table::open(dbe::FileSystem::posix(), path, t);
        uint32_t n = 0;
        t->liveCount(n);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_LiveCountCold)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Moving to the n-th entry once the index is built (the grid scrolling).
void BM_NthWarm(benchmark::State &state)
{
    const std::string &path = tableOf(state.range(0));
    std::unique_ptr<dbe::Table> t;
    dbe::Table::open(dbe::FileSystem::posix(), path, t);
    uint32_t live = 0, recno = 0, n = 0;
    t->liveCount(live);
    for (auto _ : state) {
        t->nth(n, recno);
        n = (n + 7919) % live;
        benchmark::DoNotOptimize(recno);
    }
}
BENCHMARK(BM_NthWarm)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// One entry appended under the header lock, as the editor posts a new entry.
void BM_AppendOne(benchmark::State &state)
{
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("bench-append-" + std::to_string(getpid()) + ".dbf"))
                                 .string();
    dbe::createTable(dbe::FileSystem::posix(), path, directoryFields(), 0xC9, true);
    std::unique_ptr<dbe::Table> t;
    dbe::Table::open(dbe::FileSystem::posix(), path, t);
    const char *values[7] = {"Ivanov", "IT", "Chief", "12", "345", "4951234567", ""};
    for (auto _ : state) {
        uint32_t first = 0;
        t->append(values, 1, first);
    }
    t.reset();
    std::filesystem::remove(path);
}
BENCHMARK(BM_AppendOne)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
