// The dataset layer over generated directory tables of 10 000 and 1 000 000 entries:
// opening a table for editing and showing its first rows, jumping to the end, paging,
// and the viewer's full list through a query.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dataset.h"
#include "engineloader.h"

namespace {

constexpr int ShownRows = 30; // rows a grid window shows

struct FieldSpec
{
    const char *name;
    char type;
    int length;
};
constexpr FieldSpec Fields[] = {{"FIO", 'C', 60},  {"OTDEL", 'C', 60}, {"DOLJ", 'C', 50},
                                {"KAB", 'N', 6},   {"NVNUTR", 'N', 6}, {"NGOROD", 'N', 11},
                                {"NSOT", 'C', 20}};

// Writes a dBASE III table of `count` entries with varied names, once per size.
QString tableOf(int count)
{
    static QTemporaryDir dir;
    static std::map<int, QString> made;
    if (auto it = made.find(count); it != made.end())
        return it->second;
    const QString path = dir.path() + QStringLiteral("/t%1.dbf").arg(count);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QByteArray header(32, '\0');
    int recordSize = 1;
    for (const FieldSpec &f : Fields)
        recordSize += f.length;
    const int headerSize = 32 + 32 * int(std::size(Fields)) + 1;
    header[0] = 0x03;
    header[1] = 126;
    header[2] = 12;
    header[3] = 11;
    for (int i = 0; i < 4; ++i)
        header[4 + i] = char((uint32_t(count) >> (8 * i)) & 0xFF);
    header[8] = char(headerSize & 0xFF);
    header[9] = char(headerSize >> 8);
    header[10] = char(recordSize & 0xFF);
    header[11] = char(recordSize >> 8);
    header[29] = char(0xC9);
    for (const FieldSpec &f : Fields) {
        QByteArray d(32, '\0');
        d.replace(0, qsizetype(qstrlen(f.name)), f.name);
        d[11] = f.type;
        d[16] = char(f.length);
        header += d;
    }
    header += char(0x0D);
    file.write(header);
    QByteArray block;
    char cell[64];
    for (int i = 0; i < count; ++i) {
        block += ' ';
        const uint32_t mix = uint32_t(i) * 2654435761u;
        std::snprintf(cell, sizeof cell, "%-60.60s", QByteArray("Person ").append(QByteArray::number(mix % 1000003)).constData());
        block += cell;
        std::snprintf(cell, sizeof cell, "%-60.60s", QByteArray("Dept ").append(QByteArray::number(i % 40)).constData());
        block += cell;
        std::snprintf(cell, sizeof cell, "%-50.50s", "Engineer");
        block += cell;
        std::snprintf(cell, sizeof cell, "%6d%6d%11llu", i % 900, i % 10000, 4950000000ull + unsigned(i));
        block += cell;
        std::snprintf(cell, sizeof cell, "%-20.20s", "+7 900 000");
        block += cell;
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    block += char(0x1A);
    file.write(block);
    made[count] = path;
    return path;
}

void useBuiltEngine() { EngineLoader::instance().SetFolders({QStringLiteral(FONVIK_ENGINE_DIR)}); }

void readWindow(const TDataSet &data, int firstRow)
{
    for (int row = firstRow; row < firstRow + ShownRows && row < data.RecordCount(); ++row) {
        for (int f = 0; f < data.FieldCount(); ++f)
            benchmark::DoNotOptimize(data.DisplayText(row, f));
    }
}

// Open for editing and paint the first window of rows: what the editor's start-up costs.
void BM_TableOpenFirstRows(benchmark::State &state)
{
    useBuiltEngine();
    const QString path = tableOf(int(state.range(0)));
    for (auto _ : state) {
        TTable table;
        table.SetTableName(path);
        table.Open();
        readWindow(table, 0);
        table.Close();
    }
}
BENCHMARK(BM_TableOpenFirstRows)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Ctrl+End: the last entry and the window above it.
void BM_TableLast(benchmark::State &state)
{
    useBuiltEngine();
    TTable table;
    table.SetTableName(tableOf(int(state.range(0))));
    table.Open();
    for (auto _ : state) {
        table.First();
        table.Last();
        readWindow(table, table.RecNo() - ShownRows + 1);
    }
}
BENCHMARK(BM_TableLast)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Page Down from the start: each page reads one window of rows.
void BM_TablePageDown(benchmark::State &state)
{
    useBuiltEngine();
    TTable table;
    table.SetTableName(tableOf(int(state.range(0))));
    table.Open();
    for (auto _ : state) {
        table.MoveBy(ShownRows);
        if (table.Eof())
            table.First();
        readWindow(table, table.RecNo());
    }
}
BENCHMARK(BM_TablePageDown)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The viewer's full list: the statement, its result, the first window of rows.
void BM_QueryFullList(benchmark::State &state)
{
    useBuiltEngine();
    const QString path = tableOf(int(state.range(0)));
    TQuery query;
    for (auto _ : state) {
        query.Close();
        query.SQL.Clear();
        query.SQL.Add(QStringLiteral("select * from '") + path + u'\'');
        query.SQL.Add(QStringLiteral("ORDER BY FIO"));
        query.Open();
        readWindow(query, 0);
    }
}
BENCHMARK(BM_QueryFullList)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
