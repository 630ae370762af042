// The telbase program, run as a whole process on small tables in a folder of its own.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "dbengine.h"
#include "telbase_runner.h"

namespace telbase {
namespace {

using testing::readFile;
using testing::RunResult;
using testing::runTelbase;
using testing::TempDir;
using testing::writeFile;

// The dBASE header, as far as the tests look at it.
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kOffRecordCount = 4;
constexpr std::size_t kOffHeaderLength = 8;
constexpr std::size_t kOffRecordLength = 10;
constexpr std::size_t kOffLanguageDriver = 29;
constexpr std::size_t kOffFieldType = 11;
constexpr std::size_t kOffFieldLength = 16;
constexpr std::size_t kOffFieldDecimals = 17;
constexpr char kDescriptorEnd = 0x0D;
constexpr char kEndOfFile = 0x1A;

const std::string kHeaderRow = "FIO,OTDEL,DOLJ,KAB,NVNUTR,NGOROD,NSOT\r\n";

std::uint32_t le32(const std::string &b, std::size_t at)
{
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

std::uint32_t le16(const std::string &b, std::size_t at)
{
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}

// The records of a table file: everything after the header.
std::string recordArea(const std::string &path)
{
    const std::string bytes = readFile(path);
    return bytes.size() < kHeaderSize ? std::string() : bytes.substr(le16(bytes, kOffHeaderLength));
}

std::string joinRows(const std::vector<std::string> &rows)
{
    std::string s = kHeaderRow;
    for (const std::string &r : rows)
        s += r + "\r\n";
    return s;
}

// Marks entries deleted through the engine, as the editor does.
void deleteRecords(const std::string &path, const std::vector<std::uint32_t> &recnos)
{
    dbe_engine *engine = nullptr;
    ASSERT_EQ(dbe_open(&engine), DBE_OK);
    dbe_table *table = nullptr;
    ASSERT_EQ(dbe_table_open(engine, path.c_str(), &table), DBE_OK) << dbe_errmsg(engine);
    for (const std::uint32_t r : recnos)
        EXPECT_EQ(dbe_table_delete(table, r), DBE_OK) << dbe_errmsg(engine);
    dbe_close(engine);
}

class TelbaseTest : public ::testing::Test
{
protected:
    RunResult run(const std::vector<std::string> &args) { return runTelbase(args, m_dir.path()); }
    std::string file(const std::string &name) const { return m_dir.file(name); }

    // Runs a command that must succeed.
    RunResult ok(const std::vector<std::string> &args)
    {
        RunResult r = run(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
        return r;
    }

    // A table T.dbf with the given CSV imported.
    void makeTable(const std::string &csv)
    {
        ok({"create", "T.dbf"});
        writeFile(file("in.csv"), csv);
        ok({"import", "T.dbf", "in.csv"});
    }

    std::string exportTable(const std::string &table = "T.dbf") { return ok({"export", table}).out; }

    TempDir m_dir;
};

// ---- create ------------------------------------------------------------------------

TEST_F(TelbaseTest, CreateWritesTheDirectoryStructure)
{
    ok({"create", "T.dbf"});
    const std::string b = readFile(file("T.dbf"));
    struct Field
    {
        const char *name;
        char type;
        int length;
    };
    const Field fields[] = {{"FIO", 'C', 60},   {"OTDEL", 'C', 60},   {"DOLJ", 'C', 50}, {"KAB", 'N', 6},
                            {"NVNUTR", 'N', 6}, {"NGOROD", 'N', 11}, {"NSOT", 'C', 20}};
    const std::size_t headerLength = kHeaderSize + 7 * kDescriptorSize + 1;
    ASSERT_EQ(b.size(), headerLength + 1) << "header, descriptors, their end mark, end-of-file mark";
    EXPECT_EQ(b[0], 0x03) << "dBASE III";
    EXPECT_EQ(le32(b, kOffRecordCount), 0u);
    EXPECT_EQ(le16(b, kOffHeaderLength), headerLength);
    EXPECT_EQ(le16(b, kOffRecordLength), 214u);
    EXPECT_EQ(std::uint8_t(b[kOffLanguageDriver]), 0xC9) << "code page 1251";
    for (std::size_t i = 0; i < 7; ++i) {
        const std::size_t d = kHeaderSize + i * kDescriptorSize;
        EXPECT_STREQ(b.c_str() + d, fields[i].name);
        EXPECT_EQ(b[d + kOffFieldType], fields[i].type) << fields[i].name;
        EXPECT_EQ(std::uint8_t(b[d + kOffFieldLength]), fields[i].length) << fields[i].name;
        EXPECT_EQ(b[d + kOffFieldDecimals], 0) << fields[i].name;
    }
    EXPECT_EQ(b[headerLength - 1], kDescriptorEnd);
    EXPECT_EQ(b.back(), kEndOfFile);
}

TEST_F(TelbaseTest, CreateRefusesToOverwriteUnlessForced)
{
    makeTable("FIO\nПетров\n");
    const std::string before = readFile(file("T.dbf"));
    const RunResult refused = run({"create", "T.dbf"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("already exists"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(file("T.dbf")), before);

    ok({"create", "T.dbf", "--force"});
    EXPECT_EQ(exportTable(), kHeaderRow);
}

TEST_F(TelbaseTest, CreateInAMissingFolderFails)
{
    const RunResult r = run({"create", "no/such/folder/T.dbf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
}

// ---- import ------------------------------------------------------------------------

struct ImportCase
{
    const char *name;
    std::string csv;
    std::vector<std::string> flags;
    int status;
    std::vector<std::string> messages; // each appears in the program's output
    std::vector<std::string> rows;     // the exported rows afterwards, the prefilled one first
};

void PrintTo(const ImportCase &c, std::ostream *os)
{
    *os << c.name;
}


class Import : public TelbaseTest, public ::testing::WithParamInterface<ImportCase>
{
};

const std::string kOldRow = "Старый Сергей Иванович,,,,,,";

TEST_P(Import, AppendsGoodFilesWholeAndReportsBadRows)
{
    const ImportCase &c = GetParam();
    makeTable("FIO\nСтарый Сергей Иванович\n");
    writeFile(file("case.csv"), c.csv);
    std::vector<std::string> args = {"import", "T.dbf", "case.csv"};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const RunResult r = run(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const std::string &m : c.messages)
        EXPECT_NE((r.out + r.err).find(m), std::string::npos) << "missing: " << m << "\nin: " << r.out << r.err;
    std::vector<std::string> rows = {kOldRow};
    rows.insert(rows.end(), c.rows.begin(), c.rows.end());
    EXPECT_EQ(exportTable(), joinRows(rows));
}

const std::string kLong61(61, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, Import,
    ::testing::Values(
        ImportCase{"header_in_any_order_and_case",
                   "nsot,Fio, kab \n+7 912 000-00-01,\"Петров, Пётр\",012\n",
                   {}, 0, {"imported 1 entry"}, {"\"Петров, Пётр\",,,12,,,+7 912 000-00-01"}},
        ImportCase{"quotes_and_line_breaks",
                   "FIO,DOLJ\r\n\"Иванов \"\"Ив\"\" Иван\",\"Инженер\r\nстарший\"\r\n",
                   {}, 0, {}, {"\"Иванов \"\"Ив\"\" Иван\",,\"Инженер\r\nстарший\",,,,"}},
        ImportCase{"utf8_with_bom", "\xEF\xBB\xBF" "FIO,KAB\r\nСидоров,7\r\n", {}, 0, {}, {"Сидоров,,,7,,,"}},
        ImportCase{"code_page_1251", "FIO,OTDEL\r\n\xD1\xE8\xE4\xEE\xF0\xEE\xE2,\xC0\xF0\xF5\xE8\xE2\r\n",
                   {"--cp1251"}, 0, {}, {"Сидоров,Архив,,,,,"}},
        ImportCase{"code_page_1251_without_the_option",
                   "FIO\r\n\xD1\xE8\xE4\xEE\xF0\xEE\xE2\r\n", {}, 1,
                   {"line 2: FIO: the text is not valid UTF-8", "nothing imported: 1 bad row"}, {}},
        ImportCase{"bad_rows_refuse_the_whole_file",
                   "FIO,KAB,NVNUTR\n\"Ок\nОдин\",1,2\nПлохой,1.5,2\n" + kLong61 +
                       ",1,2\nЭмодзи \xF0\x9F\x98\x80,1,2\nЛишний,1,2,3\nХороший,3,4\nШирокий,1234567,1\n",
                   {}, 1,
                   {"line 4: KAB: '1.5' is not a whole number", "line 5: FIO: the text is 61 characters",
                    "line 6: FIO: the character '\xF0\x9F\x98\x80' (U+1F600) cannot be stored in code page 1251",
                    "line 7: the row has 4 fields, the header has 3", "line 9: KAB: 1234567 is too long",
                    "nothing imported: 5 bad rows"},
                   {}},
        ImportCase{"bad_rows_skipped_when_asked",
                   "FIO,KAB,NVNUTR\n\"Ок\nОдин\",1,2\nПлохой,1.5,2\nХороший,3,4\n", {"--skip-bad"}, 0,
                   {"line 4: KAB: '1.5' is not a whole number", "imported 2 entries", "skipped 1 bad row"},
                   {"\"Ок\nОдин\",,,1,2,,", "Хороший,,,3,4,,"}},
        ImportCase{"unclosed_quote", "FIO\nПервый\n\"Второй\n", {}, 1,
                   {"line 3: a quoted field is not closed"}, {}},
        ImportCase{"unknown_column", "FIO,ROOM\nx,1\n", {"--skip-bad"}, 1, {"'ROOM'"}, {}},
        ImportCase{"column_named_twice", "FIO,fio\nx,y\n", {}, 1, {"'fio' twice"}, {}},
        ImportCase{"empty_file", "", {}, 1, {"no header row"}, {}},
        ImportCase{"header_only", "FIO,KAB\n", {}, 0, {"imported 0 entries"}, {}}),
    [](const ::testing::TestParamInfo<ImportCase> &info) { return std::string(info.param.name); });

TEST_F(TelbaseTest, ImportOfAMissingFileFails)
{
    ok({"create", "T.dbf"});
    const RunResult r = run({"import", "T.dbf", "missing.csv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.csv"), std::string::npos) << r.err;
}

// ---- export and import -------------------------------------------------------------

TEST_F(TelbaseTest, ExportThenImportGivesTheSameTable)
{
    ok({"demo", "A.dbf", "--entries", "300"});
    // Entries that test the quoting as well.
    writeFile(file("tricky.csv"), readFile(std::string(TOOLS_TEST_DATA) + "/tricky.csv"));
    ok({"import", "A.dbf", "tricky.csv"});
    ok({"export", "A.dbf", "a.csv"});

    ok({"create", "B.dbf"});
    ok({"import", "B.dbf", "a.csv"});
    EXPECT_EQ(recordArea(file("B.dbf")), recordArea(file("A.dbf")));
    ok({"export", "B.dbf", "b.csv"});
    EXPECT_EQ(readFile(file("b.csv")), readFile(file("a.csv")));
    EXPECT_EQ(exportTable("B.dbf"), readFile(file("a.csv"))) << "the standard output gets the same text";
}

TEST_F(TelbaseTest, ExportToAnUnwritablePlaceLeavesNothing)
{
    makeTable("FIO\nx\n");
    const RunResult r = run({"export", "T.dbf", "no/such/folder/out.csv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("out.csv"), std::string::npos) << r.err;
}

TEST_F(TelbaseTest, ExportOfAMissingTableFails)
{
    const RunResult r = run({"export", "none.dbf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(r.out, "");
}

// A path that a statement cannot name is read record by record: the same text.
TEST_F(TelbaseTest, ExportReadsAnyPathTheSameWay)
{
    for (const std::string name : {"plain.dbf", "O'Brien Ёлкин.dbf"}) {
        ok({"demo", name, "--entries", "60"});
        deleteRecords(file(name), {2, 5, 60});
    }
    const std::string plain = exportTable("plain.dbf");
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 1 + 57);
    EXPECT_EQ(exportTable("O'Brien Ёлкин.dbf"), plain);
}

// ---- demo --------------------------------------------------------------------------

TEST_F(TelbaseTest, DemoIsTheSameForTheSameCount)
{
    ok({"demo", "A.dbf", "--entries", "700"});
    ok({"demo", "B.dbf", "--entries=700"});
    EXPECT_EQ(recordArea(file("A.dbf")), recordArea(file("B.dbf")));
    EXPECT_EQ(recordArea(file("A.dbf")).size(), 700u * 214 + 1);

    const RunResult refused = run({"demo", "A.dbf", "--entries", "5"});
    EXPECT_EQ(refused.status, 1);
    ok({"demo", "A.dbf", "--entries", "5", "--force"});
    EXPECT_EQ(recordArea(file("A.dbf")).size(), 5u * 214 + 1);
    EXPECT_FALSE(testing::fileExists(file("A.dbf.partial")));
}

// ---- query -------------------------------------------------------------------------

struct QueryCase
{
    const char *name;
    std::vector<std::string> args;
    int status;
    std::string out;    // exact standard output when status is 0
    std::string errHas; // a fragment of the errors otherwise
};

void PrintTo(const QueryCase &c, std::ostream *os)
{
    *os << c.name;
}


class Query : public TelbaseTest, public ::testing::WithParamInterface<QueryCase>
{
};

TEST_P(Query, PrintsTheResultAsCsv)
{
    const QueryCase &c = GetParam();
    makeTable("FIO,OTDEL,KAB,NVNUTR,NGOROD\n"
              "Ивлев Олег Петрович,Архив,101,2001,2345678\n"
              "Петров Пётр Петрович,\"Отдел, кадров\",102,2002,\n"
              "Иванов Иван Иванович,Архив,101,2003,\n"
              "Смирнова Анна Олеговна,Склад,7,2004,3000000\n");
    std::vector<std::string> args = {"query"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = run(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.status == 0)
        EXPECT_EQ(r.out, c.out);
    else
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
}

const std::string kIvanov = "Иванов Иван Иванович,Архив,,101,2003,,";
const std::string kIvlev = "Ивлев Олег Петрович,Архив,,101,2001,2345678,";

INSTANTIATE_TEST_SUITE_P(
    Cases, Query,
    ::testing::Values(
        QueryCase{"name_fragment", {"select * from 'T.dbf'\nwhere FIO like '%Ив%'\nORDER BY FIO"}, 0,
                  joinRows({kIvanov, kIvlev}), ""},
        QueryCase{"count_only", {"select * from 'T.dbf' where FIO like '%Ив%' ORDER BY FIO", "--count"}, 0,
                  "2\n", ""},
        QueryCase{"integer_parameter", {"select * from 'T.dbf' where kab=:kab ORDER BY FIO", "--param", "kab=101"},
                  0, joinRows({kIvanov, kIvlev}), ""},
        QueryCase{"leading_zeros_bind_as_integer",
                  {"select * from 'T.dbf' where kab=:kab ORDER BY FIO", "--param=kab=007"}, 0,
                  joinRows({"Смирнова Анна Олеговна,Склад,,7,2004,3000000,"}), ""},
        QueryCase{"quoted_cells", {"select * from 'T.dbf' where nvnutr=:n ORDER BY FIO", "--param", "n=2002"}, 0,
                  joinRows({"Петров Пётр Петрович,\"Отдел, кадров\",,102,2002,,"}), ""},
        QueryCase{"no_rows", {"select * from 'T.dbf' where ngorod=:ngorod ORDER BY FIO", "--param", "ngorod=1"},
                  0, kHeaderRow, ""},
        QueryCase{"parameter_missing", {"select * from 'T.dbf' where kab=:kab ORDER BY FIO"}, 1, "", "kab"},
        QueryCase{"missing_table", {"select * from 'none.dbf' ORDER BY FIO"}, 1, "", "none.dbf"},
        QueryCase{"parameter_without_value", {"select * from 'T.dbf'", "--param", "kab"}, 2, "",
                  "NAME=VALUE"}),
    [](const ::testing::TestParamInfo<QueryCase> &info) { return std::string(info.param.name); });

// ---- pack --------------------------------------------------------------------------

TEST_F(TelbaseTest, PackRemovesDeletedEntriesAndKeepsTheOriginal)
{
    makeTable("FIO,KAB\nA,1\nB,2\nC,3\nD,4\n");
    deleteRecords(file("T.dbf"), {1, 3});
    const std::string before = readFile(file("T.dbf"));
    const RunResult r = ok({"pack", "T.dbf"});
    EXPECT_NE(r.out.find("removed 2 deleted entries, kept 2"), std::string::npos) << r.out;
    EXPECT_EQ(exportTable(), joinRows({"B,,,2,,,", "D,,,4,,,"}));
    EXPECT_EQ(recordArea(file("T.dbf")).size(), 2u * 214 + 1);
    EXPECT_EQ(readFile(file("T.dbf.bak")), before);
}

TEST_F(TelbaseTest, PackIsRefusedWhileAnotherProgramHoldsALock)
{
    makeTable("FIO\nA\nB\n");
    deleteRecords(file("T.dbf"), {1});
    const std::string before = readFile(file("T.dbf"));

    // The other program: locks record 2 through the engine, says so, and waits.
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dbe_engine *engine = nullptr;
        dbe_table *table = nullptr;
        char ok = 0;
        if (dbe_open(&engine) == DBE_OK && dbe_table_open(engine, file("T.dbf").c_str(), &table) == DBE_OK &&
            dbe_table_lock(table, 2) == DBE_OK)
            ok = 1;
        (void)!write(ready[1], &ok, 1);
        char c;
        (void)!read(release[0], &c, 1);
        dbe_close(engine);
        _exit(0);
    }
    char locked = 0;
    ASSERT_EQ(read(ready[0], &locked, 1), 1);
    ASSERT_EQ(locked, 1);

    const RunResult refused = run({"pack", "T.dbf"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("in use by another program"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(file("T.dbf")), before);

    ASSERT_EQ(write(release[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        close(fd);

    ok({"pack", "T.dbf"});
    EXPECT_EQ(exportTable(), joinRows({"B,,,,,,"}));
}

// ---- check and repair --------------------------------------------------------------

constexpr std::size_t kRecordSize = 214;
constexpr std::size_t kKabOffset = 1 + 60 + 60 + 50; // deleted flag, FIO, OTDEL, DOLJ

struct DamageCase
{
    const char *name;
    void (*damage)(std::string &bytes);
    std::string finding;      // a fragment of what check reports
    int repairStatus;         // 0: mended; 1: cannot be mended
    std::vector<std::string> rowsAfterRepair;
};

void PrintTo(const DamageCase &c, std::ostream *os)
{
    *os << c.name;
}


class CheckAndRepair : public TelbaseTest, public ::testing::WithParamInterface<DamageCase>
{
};

std::size_t headerLength(const std::string &b)
{
    return le16(b, kOffHeaderLength);
}

const std::string kRowA = "A,,,1,,,", kRowB = "B,,,2,,,", kRowC = "C,,,3,,,";

TEST_F(TelbaseTest, CheckFindsASoundTableSound)
{
    makeTable("FIO,KAB\nA,1\nB,2\n");
    const RunResult r = ok({"check", "T.dbf"});
    EXPECT_NE(r.out.find("T.dbf: sound"), std::string::npos) << r.out;
    ok({"check", "T.dbf", "--repair"});
    EXPECT_FALSE(testing::fileExists(file("T.dbf.bak"))) << "nothing to mend, nothing copied";
}

TEST_F(TelbaseTest, CheckOfAMissingFileFails)
{
    const RunResult r = run({"check", "none.dbf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
}

TEST_P(CheckAndRepair, ReportsTheDamageAndMendsWhatCanBeMended)
{
    const DamageCase &c = GetParam();
    makeTable("FIO,KAB\nA,1\nB,2\nC,3\n");
    std::string bytes = readFile(file("T.dbf"));
    c.damage(bytes);
    writeFile(file("T.dbf"), bytes);

    const RunResult checked = run({"check", "T.dbf"});
    EXPECT_EQ(checked.status, 1);
    EXPECT_NE(checked.out.find(c.finding), std::string::npos) << checked.out << checked.err;
    EXPECT_NE(checked.out.find("problem"), std::string::npos) << checked.out;
    EXPECT_EQ(readFile(file("T.dbf")), bytes) << "check alone changes nothing";

    const RunResult repaired = run({"check", "T.dbf", "--repair"});
    EXPECT_EQ(repaired.status, c.repairStatus) << repaired.out << repaired.err;
    if (c.repairStatus == 0) {
        EXPECT_EQ(readFile(file("T.dbf.bak")), bytes) << "the original is kept";
        ok({"check", "T.dbf"});
        EXPECT_EQ(exportTable(), joinRows(c.rowsAfterRepair));
    } else {
        EXPECT_NE(repaired.out.find("remain"), std::string::npos) << repaired.out;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckAndRepair,
    ::testing::Values(
        DamageCase{"last_record_cut_short",
                   [](std::string &b) { b.resize(headerLength(b) + 2 * kRecordSize + 100); },
                   "only 2 whole records", 0, {kRowA, kRowB}},
        DamageCase{"end_mark_missing", [](std::string &b) { b.pop_back(); }, "end-of-file mark", 0,
                   {kRowA, kRowB, kRowC}},
        DamageCase{"records_past_the_count",
                   [](std::string &b) { b[kOffRecordCount] = 1; },
                   "after the 1", 0, {kRowA, kRowB, kRowC}},
        DamageCase{"letters_in_a_number",
                   [](std::string &b) { b.replace(headerLength(b) + kRecordSize + kKabOffset, 6, "  12a "); },
                   "is not a number", 1, {}},
        DamageCase{"not_a_table", [](std::string &b) { b = "FIO,KAB\nA,1\n"; }, "problem", 1, {}}),
    [](const ::testing::TestParamInfo<DamageCase> &info) { return std::string(info.param.name); });

// ---- the command line --------------------------------------------------------------

struct CommandLineCase
{
    std::vector<std::string> args;
    int status;
    std::string outHas;
    std::string errHas;
};

void PrintTo(const CommandLineCase &c, std::ostream *os)
{
    for (const std::string &a : c.args)
        *os << a << ' ';
}


class CommandLine : public TelbaseTest, public ::testing::WithParamInterface<CommandLineCase>
{
};

TEST_P(CommandLine, HelpsAndRefusesWrongUse)
{
    const CommandLineCase &c = GetParam();
    const RunResult r = run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.out.find(c.outHas), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(CommandLineCase{{"--help"}, 0, "Usage: telbase COMMAND", ""},
                      CommandLineCase{{}, 2, "", "Usage: telbase COMMAND"},
                      CommandLineCase{{"create", "--help"}, 0, "Usage: telbase create", ""},
                      CommandLineCase{{"import", "-h"}, 0, "--skip-bad", ""},
                      CommandLineCase{{"export", "--help"}, 0, "Usage: telbase export", ""},
                      CommandLineCase{{"demo", "--help"}, 0, "--entries", ""},
                      CommandLineCase{{"check", "--help"}, 0, "--repair", ""},
                      CommandLineCase{{"query", "--help"}, 0, "--count", ""},
                      CommandLineCase{{"pack", "--help"}, 0, "Usage: telbase pack", ""},
                      CommandLineCase{{"frobnicate"}, 2, "", "unknown command 'frobnicate'"},
                      CommandLineCase{{"create"}, 2, "", "missing PATH"},
                      CommandLineCase{{"create", "a.dbf", "b.dbf"}, 2, "", "unexpected argument 'b.dbf'"},
                      CommandLineCase{{"create", "a.dbf", "--forse"}, 2, "", "unknown option '--forse'"},
                      CommandLineCase{{"import", "a.dbf"}, 2, "", "missing FILE.csv"},
                      CommandLineCase{{"demo", "a.dbf", "--entries"}, 2, "", "needs a value"},
                      CommandLineCase{{"demo", "a.dbf", "--entries", "12x"}, 2, "", "'12x' is not a number"}));

} // namespace
} // namespace telbase
