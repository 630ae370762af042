// Statements run through the engine's C API over tiny tables written by the test.

#include "sql_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "dbengine.h"
#include "sql_test_util.h"

namespace {

using dbetest::cp1251;

struct Row
{
    std::vector<std::string> values; // FIO, OTDEL, DOLJ, KAB, NVNUTR, NGOROD, NSOT
    bool deleted = false;
};

// The directory in record order. Record 5 is deleted; 6 has no name; 1 and 9 are equal.
const std::vector<Row> kDirectory = {
    {{"Иванов Иван", "Бухгалтерия", "Бухгалтер", "12", "101", "5551234", "+79001"}},
    {{"Ёлкин Пётр", "Склад", "Кладовщик", "7", "102", "", ""}},
    {{"Абрамов Олег", "Склад", "", "", "103", "", ""}},
    {{"иванов Сергей", "ОТК", "", "12", "104", "", ""}},
    {{"Иванова Анна", "Склад", "", "12", "105", "", ""}, true},
    {{"", "", "", "3", "106", "", ""}},
    {{"Жуков O'Neil", "Отдел O'Neil", "", "100", "107", "", ""}},
    {{"Егоров Ян", "склад", "", "12", "108", "2147483647", ""}},
    {{"Иванов Иван", "Бухгалтерия", "", "5", "109", "", ""}},
};

class SqlQuery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(dbe_open(&m_engine), DBE_OK);
        m_path = m_dir.file("TelBase.dbf");
        writeTable(m_path, kDirectory, dbe::kCodePage1251);
    }
    void TearDown() override { dbe_close(m_engine); }

    static void writeTable(const std::string &path, const std::vector<Row> &rows, int codePage)
    {
        dbetest::DbfLayout layout;
        layout.fields = dbetest::directoryFields();
        layout.languageDriver = codePage == dbe::kCodePage866 ? DBE_LDID_866 : DBE_LDID_1251;
        for (const Row &r : rows)
            layout.records.push_back(dbetest::record(layout.fields, r.values, r.deleted, codePage));
        dbetest::writeFile(path, dbetest::build(layout));
    }

    std::string select() const { return "select * from '" + m_path + "'\n"; }

    // Runs the statement and gives the named field of every row, or the failure's code.
    int run(const std::string &sql, std::vector<std::string> &out, const char *field = "FIO",
            const std::vector<dbe_param> &params = {})
    {
        out.clear();
        dbe_cursor *cursor = nullptr;
        const int rc = dbe_query(m_engine, sql.c_str(), params.data(), params.size(), &cursor);
        if (rc != DBE_OK)
            return rc;
        int column = -1;
        for (int i = 0; i < dbe_cursor_field_count(cursor); ++i) {
            dbe_field_desc d;
            EXPECT_EQ(dbe_cursor_field(cursor, i, &d), DBE_OK);
            if (std::string(d.name) == field)
                column = i;
        }
        EXPECT_GE(column, 0);
        for (int64_t r = 0; r < dbe_cursor_row_count(cursor); ++r) {
            char buf[256];
            size_t len = 0;
            EXPECT_EQ(dbe_cursor_text(cursor, r, column, buf, sizeof buf, &len), DBE_OK);
            out.emplace_back(buf, len);
        }
        dbe_cursor_close(cursor);
        return rc;
    }

    static std::vector<std::string> names(const std::vector<std::string> &utf8)
    {
        std::vector<std::string> out;
        for (const std::string &s : utf8)
            out.push_back(cp1251(s));
        return out;
    }

    dbetest::TempDir m_dir;
    std::string m_path;
    dbe_engine *m_engine = nullptr;
};

struct QueryCase
{
    const char *what;
    const char *condition; // UTF-8, "" for none
    std::vector<std::string> fio;
};

class SqlQueryCases : public SqlQuery, public ::testing::WithParamInterface<QueryCase>
{};

TEST_P(SqlQueryCases, SelectsAndOrdersByName)
{
    const QueryCase &c = GetParam();
    std::string sql = select();
    if (*c.condition)
        sql += cp1251(c.condition) + "\n";
    sql += "ORDER BY FIO";
    std::vector<std::string> got;
    ASSERT_EQ(run(sql, got), DBE_OK) << c.what << ": " << dbe_errmsg(m_engine);
    EXPECT_EQ(got, names(c.fio)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Directory, SqlQueryCases,
    ::testing::Values(
        QueryCase{"full list: empty first, Ё beside Е, ties in record order, no deleted", "",
                  {"", "Абрамов Олег", "Егоров Ян", "Ёлкин Пётр", "Жуков O'Neil", "Иванов Иван",
                   "Иванов Иван", "иванов Сергей"}},
        QueryCase{"fragment without regard to case", "where FIO like '%Ив%'",
                  {"Иванов Иван", "Иванов Иван", "иванов Сергей"}},
        QueryCase{"lower-case fragment", "where FIO like '%ив%'",
                  {"Иванов Иван", "Иванов Иван", "иванов Сергей"}},
        QueryCase{"е finds Ё", "where FIO like '%елк%'", {"Ёлкин Пётр"}},
        QueryCase{"ё finds е and Е", "where FIO like '%ё%'",
                  {"Абрамов Олег", "Егоров Ян", "Ёлкин Пётр", "иванов Сергей"}},
        QueryCase{"a blank inside the pattern", "where FIO like '% Ив%'", {"Иванов Иван", "Иванов Иван"}},
        QueryCase{"'%%' finds all, the empty name too", "where FIO like '%%'",
                  {"", "Абрамов Олег", "Егоров Ян", "Ёлкин Пётр", "Жуков O'Neil", "Иванов Иван",
                   "Иванов Иван", "иванов Сергей"}},
        QueryCase{"'_' is one character", "where FIO like '_ванов%'",
                  {"Иванов Иван", "Иванов Иван", "иванов Сергей"}},
        QueryCase{"doubled quote", "where FIO like '%O''Neil%'", {"Жуков O'Neil"}},
        QueryCase{"field names without regard to case", "where Otdel like '%склад%'",
                  {"Абрамов Олег", "Егоров Ян", "Ёлкин Пётр"}},
        QueryCase{"numeric equality; empty is no number", "where kab=12",
                  {"Егоров Ян", "Иванов Иван", "иванов Сергей"}},
        QueryCase{"<> skips an empty number", "where kab<>12",
                  {"", "Ёлкин Пётр", "Жуков O'Neil", "Иванов Иван"}},
        QueryCase{"numbers compare as numbers, not text", "where KAB > 7",
                  {"Егоров Ян", "Жуков O'Neil", "Иванов Иван", "иванов Сергей"}},
        QueryCase{"<= and >=", "where kab >= 5 and kab <= 7", {"Ёлкин Пётр", "Иванов Иван"}},
        QueryCase{"< and a number text", "where kab < '5'", {""}},
        QueryCase{"and, or, not with parentheses",
                  "where (kab = 12 or kab = 7) and not FIO like 'Ив%'",
                  {"Егоров Ян", "Ёлкин Пётр"}},
        QueryCase{"not of an unknown is unknown", "where not kab = 12",
                  {"", "Ёлкин Пётр", "Жуков O'Neil", "Иванов Иван"}},
        QueryCase{"not like", "where FIO not like '%ов%'", {"", "Ёлкин Пётр"}},
        // Абрамов's room is empty, so kab = 12 is unknown for him alone.
        QueryCase{"and: a false side outweighs an unknown", "where not (kab = 12 and FIO = 'nobody')",
                  {"", "Абрамов Олег", "Егоров Ян", "Ёлкин Пётр", "Жуков O'Neil", "Иванов Иван",
                   "Иванов Иван", "иванов Сергей"}},
        QueryCase{"and: an unknown with a true side stays unknown",
                  "where not (kab = 12 and FIO like 'Абр%')",
                  {"", "Егоров Ян", "Ёлкин Пётр", "Жуков O'Neil", "Иванов Иван", "Иванов Иван",
                   "иванов Сергей"}},
        QueryCase{"or: a true side outweighs an unknown", "where kab = 12 or FIO like 'Абр%'",
                  {"Абрамов Олег", "Егоров Ян", "Иванов Иван", "иванов Сергей"}},
        QueryCase{"or: an unknown with a false side stays unknown",
                  "where not (kab = 12 or FIO = 'nobody')",
                  {"", "Ёлкин Пётр", "Жуков O'Neil", "Иванов Иван"}},
        QueryCase{"text equality ignores trailing blanks", "where FIO = 'Егоров Ян'", {"Егоров Ян"}},
        QueryCase{"text equality minds case", "where FIO = 'егоров ян'", {}},
        QueryCase{"text order is alphabetical", "where FIO < 'Ж' and FIO > 'А'",
                  {"Абрамов Олег", "Егоров Ян", "Ёлкин Пётр"}},
        QueryCase{"field against field", "where NVNUTR > KAB and kab > 50", {"Жуков O'Neil"}},
        QueryCase{"largest 32-bit value", "where ngorod=2147483647", {"Егоров Ян"}},
        QueryCase{"nothing matches", "where nvnutr=999", {}}));

TEST_F(SqlQuery, BindsIntegerAndTextParametersByName)
{
    std::vector<std::string> got;
    std::vector<dbe_param> params(1);
    params[0] = {"KAB", DBE_PARAM_INT, 12, nullptr};
    ASSERT_EQ(run(select() + "where kab=:kab\nORDER BY FIO", got, "FIO", params), DBE_OK);
    EXPECT_EQ(got, names({"Егоров Ян", "Иванов Иван", "иванов Сергей"}));

    const std::string pattern = cp1251("%ёлк%");
    params[0] = {"p", DBE_PARAM_TEXT, 0, pattern.c_str()};
    ASSERT_EQ(run(select() + "where FIO like :p\nORDER BY FIO", got, "FIO", params), DBE_OK);
    EXPECT_EQ(got, names({"Ёлкин Пётр"}));

    params[0] = {"kab", DBE_PARAM_NULL, 0, nullptr};
    ASSERT_EQ(run(select() + "where kab=:kab or kab<>:kab", got, "FIO", params), DBE_OK);
    EXPECT_TRUE(got.empty());
}

TEST_F(SqlQuery, WithoutOrderKeepsRecordOrder)
{
    std::vector<std::string> got;
    ASSERT_EQ(run(select() + "where kab=12", got), DBE_OK);
    EXPECT_EQ(got, names({"Иванов Иван", "иванов Сергей", "Егоров Ян"}));
}

TEST_F(SqlQuery, FilteredOrderIsTheSameBeforeAndAfterTheWholeTableIsOrdered)
{
    // The first filtered search sorts its matches alone; after a full list the engine
    // filters the table's order instead. Equal names keep record order either way.
    const std::string filtered = select() + "where kab > 0\nORDER BY FIO";
    const std::vector<std::string> want = {"106", "108", "102", "107", "101", "109", "104"};
    std::vector<std::string> got, all;
    ASSERT_EQ(run(filtered, got, "NVNUTR"), DBE_OK);
    EXPECT_EQ(got, want);
    ASSERT_EQ(run(select() + "ORDER BY FIO", all, "NVNUTR"), DBE_OK);
    ASSERT_EQ(all.size(), 8u);
    ASSERT_EQ(run(filtered, got, "NVNUTR"), DBE_OK);
    EXPECT_EQ(got, want);
    ASSERT_EQ(run(select() + "where kab=12 order by OTDEL desc, FIO", got, "NVNUTR"), DBE_OK);
    EXPECT_EQ(got, (std::vector<std::string>{"108", "104", "101"}));
}

TEST_F(SqlQuery, OrdersByNumbersDescendingAndSeveralFields)
{
    std::vector<std::string> got;
    ASSERT_EQ(run(select() + "where kab > 0 order by KAB desc, FIO", got), DBE_OK);
    EXPECT_EQ(got, names({"Жуков O'Neil", "Егоров Ян", "Иванов Иван", "иванов Сергей",
                          "Ёлкин Пётр", "Иванов Иван", ""}));
    ASSERT_EQ(run(select() + "order by kab", got), DBE_OK);
    ASSERT_EQ(got.size(), 8u);
    EXPECT_EQ(got[0], cp1251("Абрамов Олег")) << "an empty number sorts first";
    ASSERT_EQ(run(select() + "order by Otdel, FIO desc", got), DBE_OK);
    // "склад" and "Склад" differ in letter case only, which orders them before the next term.
    EXPECT_EQ(got, names({"", "Иванов Иван", "Иванов Иван", "Жуков O'Neil", "иванов Сергей",
                          "Егоров Ян", "Ёлкин Пётр", "Абрамов Олег"}));
}

struct FailCase
{
    const char *what;
    const char *tail; // after the select line
    int code;
    std::vector<std::string> lines; // dbe_errmsg, line by line
};

class SqlQueryFailures : public SqlQuery, public ::testing::WithParamInterface<FailCase>
{};

TEST_P(SqlQueryFailures, FailWithCodeAndMessageLines)
{
    const FailCase &c = GetParam();
    dbe_cursor *cursor = reinterpret_cast<dbe_cursor *>(1);
    EXPECT_EQ(dbe_query(m_engine, (select() + c.tail).c_str(), nullptr, 0, &cursor), c.code)
        << c.what;
    EXPECT_EQ(cursor, nullptr);
    std::string want;
    for (const std::string &l : c.lines)
        want += (want.empty() ? "" : "\n") + l;
    EXPECT_EQ(dbe_errmsg(m_engine), want) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, SqlQueryFailures,
    ::testing::Values(
        FailCase{"missing field in where", "where Fiox like '%a%'", DBE_NOFIELD,
                 {"Invalid field name.", "Field: Fiox"}},
        FailCase{"missing field in order", "ORDER BY NAME", DBE_NOFIELD,
                 {"Invalid field name.", "Field: NAME"}},
        FailCase{"parameter without value", "where kab=:kab\nORDER BY FIO", DBE_PARAM,
                 {"Parameter has no value.", "Parameter: kab"}},
        FailCase{"text against a number field", "where kab = 'x'", DBE_TYPE,
                 {"Type mismatch in expression.", "Value: x"}},
        FailCase{"number against a text field", "where FIO = 5", DBE_TYPE,
                 {"Type mismatch in expression.", "Field: FIO"}},
        FailCase{"syntax", "where FIO lik 'a'", DBE_SYNTAX,
                 {"Invalid use of keyword or token in the statement.", "Token: lik",
                  "Line Number: 2."}}));

TEST_F(SqlQuery, MissingTableNamesThePath)
{
    dbe_cursor *cursor = nullptr;
    const std::string missing = m_dir.file("Nowhere.dbf");
    EXPECT_EQ(dbe_query(m_engine, ("select * from '" + missing + "'\nORDER BY FIO").c_str(),
                        nullptr, 0, &cursor),
              DBE_NOTFOUND);
    EXPECT_NE(std::string(dbe_errmsg(m_engine)).find(missing), std::string::npos)
        << dbe_errmsg(m_engine);
    EXPECT_EQ(dbe_query(m_engine, "select * from ''", nullptr, 0, &cursor), DBE_NOTFOUND);
}

TEST_F(SqlQuery, SuccessClearsTheLastMessage)
{
    dbe_cursor *cursor = nullptr;
    EXPECT_NE(dbe_query(m_engine, "select", nullptr, 0, &cursor), DBE_OK);
    EXPECT_STRNE(dbe_errmsg(m_engine), "");
    ASSERT_EQ(dbe_query(m_engine, select().c_str(), nullptr, 0, &cursor), DBE_OK);
    EXPECT_STREQ(dbe_errmsg(m_engine), "");
    dbe_cursor_close(cursor);
}

TEST_F(SqlQuery, SeesChangesOfTheFileBetweenQueries)
{
    std::vector<std::string> got;
    ASSERT_EQ(run(select() + "ORDER BY FIO", got), DBE_OK);
    ASSERT_EQ(got.size(), 8u);
    // Another program rewrites the table: one entry fewer, one new, one renamed.
    std::vector<Row> changed = kDirectory;
    changed[0].deleted = true;
    changed[2].values[0] = "Яковлев Ян";
    changed.push_back({{"Бобров Бо", "", "", "", "", "", ""}});
    writeTable(m_path, changed, dbe::kCodePage1251);
    ASSERT_EQ(run(select() + "ORDER BY FIO", got), DBE_OK);
    EXPECT_EQ(got, names({"", "Бобров Бо", "Егоров Ян", "Ёлкин Пётр", "Жуков O'Neil",
                          "Иванов Иван", "иванов Сергей", "Яковлев Ян"}));
}

TEST_F(SqlQuery, ARecordDeletedInPlaceLeavesTheNextResult)
{
    std::vector<std::string> got;
    ASSERT_EQ(run(select() + "ORDER BY FIO", got), DBE_OK);
    ASSERT_EQ(got.size(), 8u);
    // Another user marks record 2 (Ёлкин) deleted: same size, same record count.
    std::vector<uint8_t> bytes = dbetest::readFile(m_path);
    dbetest::DbfLayout layout;
    layout.fields = dbetest::directoryFields();
    const size_t at = size_t(dbetest::headerLength(layout) + dbetest::recordLength(layout));
    bytes[at] = '*';
    dbetest::writeFile(m_path, bytes);
    ASSERT_EQ(run(select() + "ORDER BY FIO", got), DBE_OK);
    EXPECT_EQ(got, names({"", "Абрамов Олег", "Егоров Ян", "Жуков O'Neil", "Иванов Иван",
                          "Иванов Иван", "иванов Сергей"}));
}

TEST_F(SqlQuery, CursorConvertsTextFromA866Table)
{
    const std::string path = m_dir.file("dos.dbf");
    writeTable(path, kDirectory, dbe::kCodePage866);
    std::vector<std::string> got;
    ASSERT_EQ(run(cp1251("select * from '" + path + "' where Otdel like '%СКЛАД%' order by FIO"), got),
              DBE_OK);
    EXPECT_EQ(got, names({"Абрамов Олег", "Егоров Ян", "Ёлкин Пётр"}));
    ASSERT_EQ(run(cp1251("select * from '" + path + "' where FIO like 'Ёлкин%'"), got, "OTDEL"), DBE_OK);
    EXPECT_EQ(got, names({"Склад"}));
    ASSERT_EQ(run(cp1251("select * from '" + path + "' where FIO like 'Ёлкин%'"), got, "KAB"), DBE_OK);
    EXPECT_EQ(got, names({"7"}));
}

TEST_F(SqlQuery, CursorTextCutsToTheBufferAndReportsTheLength)
{
    dbe_cursor *cursor = nullptr;
    ASSERT_EQ(dbe_query(m_engine, (select() + "where kab=7").c_str(), nullptr, 0, &cursor),
              DBE_OK);
    ASSERT_EQ(dbe_cursor_row_count(cursor), 1);
    char buf[4];
    size_t len = 0;
    EXPECT_EQ(dbe_cursor_text(cursor, 0, 0, buf, sizeof buf, &len), DBE_RANGE);
    EXPECT_EQ(len, cp1251("Ёлкин Пётр").size());
    EXPECT_EQ(std::string(buf), cp1251("Ёлк"));
    EXPECT_EQ(dbe_cursor_text(cursor, 1, 0, buf, sizeof buf, &len), DBE_MISUSE);
    EXPECT_EQ(dbe_cursor_text(cursor, 0, 7, buf, sizeof buf, &len), DBE_MISUSE);
    dbe_field_desc d;
    ASSERT_EQ(dbe_cursor_field(cursor, 3, &d), DBE_OK);
    EXPECT_STREQ(d.name, "KAB");
    EXPECT_EQ(d.type, 'N');
    dbe_cursor_close(cursor);
}

TEST_F(SqlQuery, SelectedFieldsOnly)
{
    dbe_cursor *cursor = nullptr;
    ASSERT_EQ(dbe_query(m_engine, ("select nsot, Fio from '" + m_path + "' where kab=12 and nvnutr=101").c_str(),
                        nullptr, 0, &cursor),
              DBE_OK);
    ASSERT_EQ(dbe_cursor_field_count(cursor), 2);
    char buf[64];
    ASSERT_EQ(dbe_cursor_text(cursor, 0, 0, buf, sizeof buf, nullptr), DBE_OK);
    EXPECT_STREQ(buf, "+79001");
    dbe_cursor_close(cursor);
}

TEST_F(SqlQuery, CursorOverAFileShortenedMeanwhileReportsTheLostRecords)
{
    // Enough records to span several pages, so some lost ones lie wholly past the new
    // end of the file and one shares the last page with what is left.
    std::vector<Row> rows;
    for (int i = 1; i <= 400; ++i)
        rows.push_back({{"Name " + std::to_string(i), "", "", "", std::to_string(i), "", ""}});
    writeTable(m_path, rows, dbe::kCodePage1251);
    dbe_cursor *cursor = nullptr;
    ASSERT_EQ(dbe_query(m_engine, select().c_str(), nullptr, 0, &cursor), DBE_OK);
    ASSERT_EQ(dbe_cursor_row_count(cursor), 400);
    char buf[64];
    size_t len = 0;
    ASSERT_EQ(dbe_cursor_text(cursor, 399, 4, buf, sizeof buf, &len), DBE_OK);
    EXPECT_EQ(std::string(buf, len), "400");

    std::unique_ptr<dbe::DbfFile> file;
    ASSERT_TRUE(dbe::DbfFile::open(m_path, false, file));
    const uint64_t keep = file->headerLength() + 10 * uint64_t(file->recordLength());
    file.reset();
    std::filesystem::resize_file(m_path, keep + 7); // ten records and a piece of one

    struct Case
    {
        int64_t row;
        int rc;
    };
    for (const Case &c : {Case{9, DBE_OK}, Case{10, DBE_NOTFOUND}, Case{11, DBE_NOTFOUND},
                          Case{250, DBE_NOTFOUND}, Case{399, DBE_NOTFOUND}, Case{0, DBE_OK}}) {
        EXPECT_EQ(dbe_cursor_text(cursor, c.row, 4, buf, sizeof buf, &len), c.rc) << c.row;
        if (c.rc == DBE_OK) {
            EXPECT_EQ(std::string(buf, len), std::to_string(c.row + 1));
        }
    }
    dbe_cursor_close(cursor);
}

TEST_F(SqlQuery, CloseFreesCursorsLeftOpen)
{
    dbe_cursor *a = nullptr, *b = nullptr;
    ASSERT_EQ(dbe_query(m_engine, select().c_str(), nullptr, 0, &a), DBE_OK);
    ASSERT_EQ(dbe_query(m_engine, select().c_str(), nullptr, 0, &b), DBE_OK);
    dbe_cursor_close(a);
    // b is left open: closing the engine frees it (a leak check build would tell).
}

TEST(SqlApi, CodesHaveTextsAndNullHandlesAreSafe)
{
    EXPECT_EQ(dbe_api_version(), DBE_API_VERSION);
    EXPECT_STREQ(dbe_errstr(DBE_OK), "not an error");
    EXPECT_STREQ(dbe_errstr(DBE_SYNTAX), "statement syntax error");
    EXPECT_STREQ(dbe_errstr(999), "unknown result code");
    EXPECT_EQ(dbe_open(nullptr), DBE_MISUSE);
    EXPECT_STREQ(dbe_errmsg(nullptr), "");
    dbe_close(nullptr);
    dbe_cursor_close(nullptr);
    EXPECT_EQ(dbe_cursor_row_count(nullptr), 0);
    dbe_cursor *c = nullptr;
    EXPECT_EQ(dbe_query(nullptr, "select * from t", nullptr, 0, &c), DBE_MISUSE);
}

} // namespace

namespace {

// A table large enough to be read and sorted by two threads, whose names agree in more
// characters than the sort keys hold and differ in letter case only, with deleted
// records between; checked against a plain stable sort and a plain substring search.
TEST(SqlLargeTable, OrderAndFilterAgreeWithAPlainReference)
{
    dbetest::TempDir dir;
    const std::string path = dir.file("large.dbf");
    dbetest::DbfLayout layout;
    layout.fields = {{"FIO", 'C', 40}, {"KAB", 'N', 6}};
    constexpr uint32_t kRecords = 140000;
    std::vector<std::pair<std::string, uint32_t>> live; // name, record number
    uint32_t rng = 12345;
    auto next = [&] { return rng = rng * 1103515245u + 12345u, (rng >> 16) & 0x7FFF; };
    for (uint32_t r = 1; r <= kRecords; ++r) {
        std::string name = "Same prefix of thirty-two chars ";
        for (int k = 0; k < 6; ++k)
            name += "aAbB"[next() % 4];
        const bool deleted = next() % 10 == 0;
        layout.records.push_back(dbetest::record(layout.fields, {name, std::to_string(r % 1000)}, deleted));
        if (!deleted)
            live.emplace_back(name, r);
    }
    dbetest::writeFile(path, dbetest::build(layout));

    std::stable_sort(live.begin(), live.end(), [](const auto &a, const auto &b) {
        return dbe::compare1251(a.first, b.first) < 0;
    });
    auto rowsOf = [&](const std::string &sql) {
        dbe_engine *engine = nullptr;
        EXPECT_EQ(dbe_open(&engine), DBE_OK);
        dbe_cursor *cursor = nullptr;
        EXPECT_EQ(dbe_query(engine, sql.c_str(), nullptr, 0, &cursor), DBE_OK) << dbe_errmsg(engine);
        std::vector<uint32_t> rows;
        if (cursor)
            rows = cursor->rows;
        dbe_cursor_close(cursor);
        dbe_close(engine);
        return rows;
    };

    std::vector<uint32_t> want;
    for (const auto &[name, recno] : live)
        want.push_back(recno);
    EXPECT_EQ(rowsOf("select * from '" + path + "' order by FIO"), want);

    want.clear();
    for (const auto &[name, recno] : live) {
        std::string lower = name;
        for (char &c : lower)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("abba", 32) != std::string::npos)
            want.push_back(recno);
    }
    ASSERT_FALSE(want.empty());
    EXPECT_EQ(rowsOf("select * from '" + path + "' where FIO like '%ABba%' order by FIO"), want);

    // Without an order the rows keep record order across the two ranges.
    std::vector<uint32_t> inRecordOrder = want;
    std::sort(inRecordOrder.begin(), inRecordOrder.end());
    EXPECT_EQ(rowsOf("select * from '" + path + "' where FIO like '%abba%'"), inRecordOrder);
}

} // namespace

namespace {

TEST(SqlTablePath, CyrillicFolderInA1251StatementOpensTheUtf8Folder)
{
    dbetest::TempDir dir;
    const std::filesystem::path folder = dir.path() / "Справочник"; // UTF-8 on disk
    std::filesystem::create_directories(folder);
    dbetest::DbfLayout layout;
    layout.fields = {{"FIO", 'C', 20}};
    layout.records = {dbetest::record(layout.fields, {"Ёлкин"})};
    dbetest::writeFile(folder / "TelBase.dbf", dbetest::build(layout));

    dbe_engine *engine = nullptr;
    ASSERT_EQ(dbe_open(&engine), DBE_OK);
    const std::string folder1251 = dir.path().string() + "/" + cp1251("Справочник");
    dbe_cursor *cursor = nullptr;
    ASSERT_EQ(dbe_query(engine, ("select * from '" + folder1251 + "/TelBase.dbf'\nORDER BY FIO").c_str(),
                        nullptr, 0, &cursor),
              DBE_OK)
        << dbe_errmsg(engine);
    EXPECT_EQ(dbe_cursor_row_count(cursor), 1);
    dbe_cursor_close(cursor);
    // A missing table is named as the statement wrote it, in 1251.
    EXPECT_EQ(dbe_query(engine, ("select * from '" + folder1251 + "/Nowhere.dbf'").c_str(),
                        nullptr, 0, &cursor),
              DBE_NOTFOUND);
    EXPECT_NE(std::string(dbe_errmsg(engine)).find(folder1251), std::string::npos);
    dbe_close(engine);
}

} // namespace
