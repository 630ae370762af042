#include "csv_rows.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cp1251.h"
#include "csv.h"

namespace telbase {
namespace {

struct FileCloser
{
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string readAll(std::FILE *f)
{
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        text.append(buf, n);
    return text;
}

// Cells in 1251 that take every path: plain, Cyrillic, quoted, empty, blanks at the ends.
const std::vector<std::string> kCells = {
    "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED", // "Иванов Иван"
    "", "a,b", "say \"hi\"", "two\r\nlines", " pad ", "12345", "\xB9 5", // "№ 5"
};

// A row's cells: the row number, then a few of kCells, so rows differ and their order shows.
std::vector<std::string> rowCells(std::size_t row)
{
    std::vector<std::string> cells = {std::to_string(row)};
    for (std::size_t k = 0; k < 3; ++k)
        cells.push_back(kCells[(row + k * 3) % kCells.size()]);
    return cells;
}

std::string expectedLine(const std::vector<std::string> &cells)
{
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line.push_back(',');
        appendCsvField(line, cp1251ToUtf8(cells[i]));
    }
    line.append(kCsvRecordEnd);
    return line;
}

class CsvRowWriterModes : public testing::TestWithParam<CsvRowWriter::Threading>
{
};

TEST_P(CsvRowWriterModes, WritesEveryRowInOrderAfterWhatWasBuffered)
{
    // Row counts around the writer's hand-over size, and none at all.
    for (const std::size_t rows : {std::size_t(0), std::size_t(1), std::size_t(4095),
                                   std::size_t(4096), std::size_t(4097), std::size_t(30001)}) {
        SCOPED_TRACE(rows);
        FilePtr file(std::tmpfile());
        ASSERT_TRUE(file);
        std::string expected = "FIO,OTDEL\r\n";
        {
            OutputBuffer out(file.get());
            out.text() += expected;
            CsvRowWriter writer(out, GetParam());
            for (std::size_t r = 0; r < rows; ++r) {
                // Every thousandth row without cells: an empty line.
                const std::vector<std::string> cells =
                    r % 1000 == 999 ? std::vector<std::string>() : rowCells(r);
                for (const std::string &c : cells)
                    writer.cell(c);
                writer.endRow();
                expected += expectedLine(cells);
            }
            EXPECT_TRUE(writer.finish());
            EXPECT_FALSE(writer.failed());
        }
        EXPECT_EQ(readAll(file.get()), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Threading, CsvRowWriterModes,
                         testing::Values(CsvRowWriter::Threading::SecondThread,
                                         CsvRowWriter::Threading::CallingThreadOnly),
                         [](const auto &info) {
                             return info.param == CsvRowWriter::Threading::SecondThread
                                        ? std::string("SecondThread")
                                        : std::string("CallingThreadOnly");
                         });

TEST(CsvRowWriter, WritesWhatWasEndedWhenDestroyedUnfinished)
{
    FilePtr file(std::tmpfile());
    ASSERT_TRUE(file);
    std::string expected;
    {
        OutputBuffer out(file.get());
        CsvRowWriter writer(out);
        for (std::size_t r = 0; r < 5000; ++r) {
            for (const std::string &c : rowCells(r))
                writer.cell(c);
            writer.endRow();
            expected += expectedLine(rowCells(r));
        }
    }
    EXPECT_EQ(readAll(file.get()), expected);
}

TEST_P(CsvRowWriterModes, AFailedWriteStopsTheCallerAndIsReported)
{
    FilePtr full(std::fopen("/dev/full", "w"));
    if (!full)
        GTEST_SKIP() << "no /dev/full here";
    OutputBuffer out(full.get());
    CsvRowWriter writer(out, GetParam());
    // Far more than the buffers hold: the writer must say it failed long before the end.
    constexpr std::size_t kRows = 2'000'000;
    std::size_t handedOver = 0;
    for (; handedOver < kRows && !writer.failed(); ++handedOver) {
        for (const std::string &c : rowCells(handedOver))
            writer.cell(c);
        writer.endRow();
    }
    EXPECT_LT(handedOver, kRows);
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_TRUE(writer.failed());
}

} // namespace
} // namespace telbase
