// Whole-file operations: the check and its repair, packing, and a table we write read back
// by another dBASE reader.

#include "dbf_tools.h"

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "dbf.h"
#include "dbf_builder.h"
#include "dbf_format.h"
#include "engine_fixture.h"

using namespace dbetest;

namespace {

DbfLayout threeRecords()
{
    DbfLayout layout;
    layout.fields = {{"NAME", 'C', 10}, {"NUM", 'N', 5}};
    layout.records = {" Ivanov       12", "*Petrov        7", " Sidorov       3"};
    return layout;
}

struct CheckCase
{
    const char *name;
    void (*damage)(std::vector<uint8_t> &);
    int problems;           // found by the check
    const char *finding;    // a part of the first line
    int problemsAfterRepair;
    uint32_t countAfterRepair; // records the table holds after the repair
};

void setLe16(std::vector<uint8_t> &b, size_t at, int v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void addToCount(std::vector<uint8_t> &b, int delta)
{
    dbe::dbf::writeLe32(&b[4], uint32_t(int(dbe::dbf::readLe32(&b[4])) + delta));
}
constexpr size_t kHeader = 32 + 2 * 32 + 1, kRecord = 16;

const CheckCase kChecks[] = {
    {"Sound", [](std::vector<uint8_t> &) {}, 0, "", 0, 3},
    {"HeaderCountsMore", [](std::vector<uint8_t> &b) { addToCount(b, 2); }, 1,
     "header counts 5 records, but the file holds only 3", 0, 3},
    {"HeaderCountsFewer", [](std::vector<uint8_t> &b) { addToCount(b, -2); }, 1,
     "2 whole records after the 1", 0, 3},
    {"NoEndMark", [](std::vector<uint8_t> &b) { b.pop_back(); }, 1, "end-of-file mark is missing",
     0, 3},
    {"TornLastRecord", [](std::vector<uint8_t> &b) { b.erase(b.end() - 6, b.end()); }, 2,
     "header counts 3 records, but the file holds only 2", 0, 2},
    {"JunkAfterEnd", [](std::vector<uint8_t> &b) { b.insert(b.end(), {'x', 'y'}); }, 1,
     "3 bytes after the last whole record", 0, 3},
    {"RecordLengthWrong", [](std::vector<uint8_t> &b) { setLe16(b, 10, 17); }, 1,
     "do not add up", 0, 3},
    {"NotANumber", [](std::vector<uint8_t> &b) { b[kHeader + 2 * kRecord + 12] = 'x'; }, 1,
     "Record 3, field NUM: ' x  3' is not a number", 1, 3},
    {"BadDeletedFlag", [](std::vector<uint8_t> &b) { b[kHeader + kRecord] = 'X'; }, 1,
     "Record 2 has an invalid deleted flag 0x58", 1, 3},
    {"NotDbase", [](std::vector<uint8_t> &b) { b[0] = 'P'; }, 1, "version byte 0x50", 1, 0},
};

class CheckTest : public ::testing::TestWithParam<CheckCase>
{
protected:
    int check(bool repair, std::vector<std::string> &lines, int expectCode = DBE_OK)
    {
        int problems = -1;
        dbe::Status s = dbe::checkTable(
            fs, "t.dbf", repair, [&](const std::string &l) { lines.push_back(l); }, problems);
        EXPECT_EQ(s.code(), expectCode);
        return problems;
    }
    dbe::MemFileSystem fs;
};

TEST_P(CheckTest, FindsAndMends)
{
    const CheckCase &c = GetParam();
    std::vector<uint8_t> bytes = build(threeRecords());
    c.damage(bytes);
    fs.put("t.dbf", bytes);

    std::vector<std::string> lines;
    EXPECT_EQ(check(false, lines), c.problems);
    if (c.problems > 0) {
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines[0].find(c.finding), std::string::npos) << lines[0];
    }
    EXPECT_EQ(fs.get("t.dbf"), bytes) << "a check without repair changes nothing";

    lines.clear();
    EXPECT_EQ(check(true, lines), c.problems);
    const bool mended = c.problemsAfterRepair < c.problems;
    EXPECT_EQ(fs.has("t.dbf.bak"), mended);
    if (mended) {
        EXPECT_EQ(fs.get("t.dbf.bak"), bytes) << "the original is kept";
    }
    lines.clear();
    EXPECT_EQ(check(false, lines), c.problemsAfterRepair) << (lines.empty() ? "" : lines[0]);

    std::unique_ptr<dbe::DbfFile> t;
    if (c.countAfterRepair > 0) {
        ASSERT_TRUE(dbe::DbfFile::open(fs, "t.dbf", false, t));
        EXPECT_EQ(t->recordCount(), c.countAfterRepair);
        EXPECT_EQ(t->headerCount(), c.countAfterRepair);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CheckTest, ::testing::ValuesIn(kChecks),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CheckRepair, RefusedWhileAnotherUserHoldsALock)
{
    dbe::MemFileSystem fs;
    std::vector<uint8_t> bytes = build(threeRecords());
    addToCount(bytes, 1);
    fs.put("t.dbf", bytes);
    std::unique_ptr<dbe::DbfFile> editor;
    ASSERT_TRUE(dbe::DbfFile::open(fs, "t.dbf", true, editor));
    ASSERT_TRUE(editor->lockRecord(2));
    int problems = 0;
    EXPECT_EQ(dbe::checkTable(fs, "t.dbf", true, nullptr, problems).code(), DBE_LOCKED);
    EXPECT_EQ(fs.get("t.dbf"), bytes);
}

TEST(CheckMany, LongListsAreSummedUp)
{
    DbfLayout layout = threeRecords();
    layout.records.assign(120, " Ivanov        x");
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(layout));
    std::vector<std::string> lines;
    int problems = 0;
    ASSERT_TRUE(dbe::checkTable(
        fs, "t.dbf", false, [&](const std::string &l) { lines.push_back(l); }, problems));
    EXPECT_EQ(problems, 120);
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines.back(), "... and 70 more non-numeric values.");
}

// ---- Pack. ----

TEST(Pack, RemovesDeletedRecordsAndKeepsTheOriginal)
{
    for (uint8_t version : {uint8_t(0x03), uint8_t(0x30)}) {
        DbfLayout layout = threeRecords();
        layout.version = version;
        dbe::MemFileSystem fs;
        const std::vector<uint8_t> original = build(layout);
        fs.put("d/t.dbf", original);
        ASSERT_TRUE(dbe::packTable(fs, "d/T.DBF"));
        EXPECT_EQ(fs.get("d/t.dbf.bak"), original);
        std::vector<uint8_t> packed = fs.get("d/t.dbf");
        const size_t hl = size_t(dbe::dbf::readLe16(&original[8]));
        ASSERT_EQ(packed.size(), hl + 2 * kRecord + 1);
        EXPECT_EQ(dbe::dbf::readLe32(&packed[4]), 2u);
        // The header is the original's but for the date and the count.
        EXPECT_TRUE(std::equal(packed.begin() + 8, packed.begin() + long(hl), original.begin() + 8));
        EXPECT_EQ(std::string(packed.begin() + long(hl), packed.end() - 1),
                  " Ivanov       12 Sidorov       3");
        EXPECT_EQ(packed.back(), 0x1A);
        std::vector<std::string> names;
        ASSERT_TRUE(fs.list("d/", names));
        EXPECT_EQ(names, (std::vector<std::string>{"t.dbf", "t.dbf.bak"})) << "no temporary left";
    }
}

TEST(Pack, RefusedWhileAnotherUserHoldsALock)
{
    for (bool header : {false, true}) {
        dbe::MemFileSystem fs;
        const std::vector<uint8_t> original = build(threeRecords());
        fs.put("t.dbf", original);
        std::unique_ptr<dbe::DbfFile> editor;
        ASSERT_TRUE(dbe::DbfFile::open(fs, "t.dbf", true, editor));
        ASSERT_TRUE(header ? editor->lockHeader() : editor->lockRecord(3));
        dbe::Status s = dbe::packTable(fs, "t.dbf");
        EXPECT_EQ(s.code(), DBE_LOCKED);
        EXPECT_EQ(s.lines().at(0), "Table is locked by another user.");
        EXPECT_EQ(fs.get("t.dbf"), original);
    }
}

TEST(Pack, FailingDiskLeavesTheTableAsItWas)
{
    for (int writes : {0, 1, 2, 3}) {
        dbe::MemFileSystem fs;
        const std::vector<uint8_t> original = build(threeRecords());
        fs.put("t.dbf", original);
        fs.failWritesAfter = writes;
        EXPECT_EQ(dbe::packTable(fs, "t.dbf").code(), DBE_IOERR) << writes;
        fs.failWritesAfter = -1;
        EXPECT_EQ(fs.get("t.dbf"), original);
        std::vector<std::string> names;
        ASSERT_TRUE(fs.list("", names));
        for (const std::string &n : names)
            EXPECT_TRUE(n == "t.dbf" || n == "t.dbf.bak") << n;
    }
}

TEST(Pack, ReadOnlyTableIsRefused)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(threeRecords()), true);
    EXPECT_EQ(dbe::packTable(fs, "t.dbf").code(), DBE_READONLY);
}

// ---- Another reader of dBASE files agrees with what we write. ----

std::string findDbfread()
{
    for (const char *py : {"python3", "/usr/bin/python3"}) {
        std::string cmd = std::string(py) + " -c 'import dbfread' 2>/dev/null";
        if (std::system(cmd.c_str()) == 0)
            return py;
    }
    return {};
}

std::string run(const std::string &cmd)
{
    std::string out;
    FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return out;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

TEST(CrossCheck, DbfreadReadsWhatWeWrite)
{
    const std::string python = findDbfread();
    if (python.empty())
        GTEST_SKIP() << "python3-dbfread is not installed";
    for (int ldid : {DBE_LDID_1251, DBE_LDID_866}) {
        TempDir dir;
        TestEngine engine;
        const std::string path = dir.file("t.dbf");
        dbe_field_desc fields[5] = {{"FIO", 'C', 20, 0}, {"KAB", 'N', 5, 0}, {"SUM", 'N', 8, 2},
                                    {"OK", 'L', 1, 0},   {"BORN", 'D', 8, 0}};
        ASSERT_EQ(dbe_table_create(engine, path.c_str(), fields, 5, ldid, 0), DBE_OK);
        dbe_table *t = nullptr;
        ASSERT_EQ(dbe_table_open(engine, path.c_str(), &t), DBE_OK);
        const char *rows[10] = {"\xC8\xE2\xE0\xED\xEE\xE2 \xB8\xEB\xEA\xE0", "12", "-3.5", "T",
                                "19991231", "Smith", "", "", "", ""};
        ASSERT_EQ(dbe_table_append(t, rows, 2, nullptr), DBE_OK) << dbe_errmsg(engine);
        ASSERT_EQ(dbe_table_delete(t, 2), DBE_OK);
        dbe_table_close(t);

        const std::string script =
            "import dbfread,sys\n"
            "t=dbfread.DBF(sys.argv[1],load=True)\n"
            "print(t.encoding,len(t.records),len(t.deleted))\n"
            "for r in t.records: print('|'.join(repr(v) for v in r.values()))\n";
        const std::string out =
            run(python + " -c \"" + script + "\" " + path + " 2>&1");
        const std::string encoding = ldid == DBE_LDID_866 ? "cp866" : "cp1251";
        EXPECT_EQ(out, encoding + " 1 1\n'Иванов ёлка'|12|-3.5|True|datetime.date(1999, 12, 31)\n")
            << out;
    }
}

} // namespace
