// The table functions of the C API on real files: create, open, browse past deleted
// records, edits under the lock protocol, and other processes that lock, append, get
// killed or replace the file meanwhile.

#include "dbengine.h"

#include <chrono>
#include <ctime>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "dbf.h"
#include "dbf_format.h"
#include "dbf_builder.h"
#include "engine_fixture.h"
#include "sql_test_util.h"

using namespace dbetest;

namespace {

std::vector<dbe_field_desc> directoryDescs()
{
    std::vector<dbe_field_desc> out;
    for (const FieldDef &f : directoryFields()) {
        dbe_field_desc d{};
        std::strncpy(d.name, f.name.c_str(), sizeof d.name - 1);
        d.type = f.type;
        d.length = f.length;
        d.decimals = f.decimals;
        out.push_back(d);
    }
    return out;
}

std::string text(dbe_table *t, uint32_t recno, int field)
{
    char buf[256];
    size_t len = 0;
    int rc = dbe_table_text(t, recno, field, buf, sizeof buf, &len);
    return rc == DBE_OK ? std::string(buf, len) : "<error " + std::to_string(rc) + ">";
}

class TableApiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = dir.file("Telbase.dbf");
        auto descs = directoryDescs();
        ASSERT_EQ(dbe_table_create(engine, path.c_str(), descs.data(), int(descs.size()),
                                   DBE_LDID_1251, 0),
                  DBE_OK)
            << engine.errmsg();
    }
    void TearDown() override { dbe_table_close(table); }

    dbe_table *open(const std::string &p)
    {
        dbe_table *t = nullptr;
        EXPECT_EQ(dbe_table_open(engine, p.c_str(), &t), DBE_OK) << engine.errmsg();
        return t;
    }
    // Appends entries given as FIO, KAB; the other fields empty.
    void appendPeople(dbe_table *t, const std::vector<std::pair<std::string, std::string>> &rows)
    {
        for (const auto &[fio, kab] : rows) {
            const char *values[7] = {fio.c_str(), "", nullptr, kab.c_str(), nullptr, nullptr, ""};
            ASSERT_EQ(dbe_table_append(t, values, 1, nullptr), DBE_OK) << engine.errmsg();
        }
    }

    TempDir dir;
    TestEngine engine;
    std::string path;
    dbe_table *table = nullptr;
};

TEST_F(TableApiTest, CreateWritesExactHeaderAndAppendExactRecords)
{
    std::vector<uint8_t> bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 32u + 7 * 32 + 1 + 1);
    EXPECT_EQ(bytes[0], 0x03);
    EXPECT_EQ(dbe::dbf::readLe32(&bytes[4]), 0u);
    EXPECT_EQ(dbe::dbf::readLe16(&bytes[8]), 257);
    EXPECT_EQ(dbe::dbf::readLe16(&bytes[10]), 212);
    EXPECT_EQ(bytes[29], 0xC9);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(&bytes[32]), 11), std::string("FIO\0\0\0\0\0\0\0\0", 11));
    EXPECT_EQ(bytes[32 + 11], 'C');
    EXPECT_EQ(bytes[32 + 16], 60);
    EXPECT_EQ(bytes[32 + 3 * 32 + 11], 'N');
    EXPECT_EQ(bytes[32 + 3 * 32 + 16], 5);
    EXPECT_EQ(bytes[256], 0x0D);
    EXPECT_EQ(bytes[257], 0x1A);

    table = open(path);
    const char *row[7] = {"\xC8\xE2\xE0\xED\xEE\xE2 \xC8.\xC8.", "IT", "Chief", "12",
                          "345", "4951234567", "+7 900"};
    uint32_t first = 0;
    ASSERT_EQ(dbe_table_append(table, row, 1, &first), DBE_OK) << engine.errmsg();
    EXPECT_EQ(first, 1u);
    bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 257u + 212 + 1);
    EXPECT_EQ(dbe::dbf::readLe32(&bytes[4]), 1u);
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    EXPECT_EQ(bytes[1], today.tm_year) << "last update date";
    EXPECT_EQ(bytes[2], today.tm_mon + 1);
    EXPECT_EQ(bytes[3], today.tm_mday);
    std::string rec(reinterpret_cast<char *>(&bytes[257]), 212);
    std::string expected = " ";
    expected += std::string(row[0]) + std::string(60 - strlen(row[0]), ' ');
    expected += "IT" + std::string(58, ' ');
    expected += "Chief" + std::string(45, ' ');
    expected += "   12" "   345" "4951234567";
    expected += "+7 900" + std::string(14, ' ');
    EXPECT_EQ(rec, expected);
    EXPECT_EQ(bytes.back(), 0x1A);
    EXPECT_EQ(text(table, 1, 0), row[0]);
    EXPECT_EQ(text(table, 1, 3), "12");
}

TEST_F(TableApiTest, CreateRefusesExistingFileUnlessOverwriting)
{
    auto descs = directoryDescs();
    const std::string nowhere = dir.file("missing/t.dbf");
    EXPECT_EQ(dbe_table_create(engine, nowhere.c_str(), descs.data(), 7, DBE_LDID_1251, 0),
              DBE_IOERR);
    EXPECT_NE(engine.errmsg().find("Create failed: No such file or directory."),
              std::string::npos)
        << engine.errmsg();
    const std::string upper = dir.file("TELBASE.DBF");
    EXPECT_EQ(dbe_table_create(engine, upper.c_str(), descs.data(), 7, DBE_LDID_1251, 0),
              DBE_EXISTS);
    table = open(path);
    appendPeople(table, {{"A", "1"}});
    dbe_table_close(table);
    table = nullptr;
    EXPECT_EQ(dbe_table_create(engine, path.c_str(), descs.data(), 7, DBE_LDID_866,
                               DBE_CREATE_OVERWRITE),
              DBE_OK);
    std::vector<uint8_t> bytes = readFile(path);
    EXPECT_EQ(bytes.size(), 258u);
    EXPECT_EQ(bytes[29], 0x26);
}

struct BadDefCase
{
    const char *name;
    dbe_field_desc desc;
};

class CreateBadFieldTest : public ::testing::TestWithParam<BadDefCase>
{
};

TEST_P(CreateBadFieldTest, IsRefusedAndNothingCreated)
{
    TempDir dir;
    TestEngine engine;
    const std::string path = dir.file("t.dbf");
    dbe_field_desc descs[2] = {{"OK", 'C', 5, 0}, GetParam().desc};
    EXPECT_EQ(dbe_table_create(engine, path.c_str(), descs, 2, DBE_LDID_1251, 0), DBE_MISUSE);
    EXPECT_FALSE(engine.errmsg().empty());
    EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CreateBadFieldTest,
    ::testing::Values(BadDefCase{"EmptyName", {"", 'C', 5, 0}},
                      BadDefCase{"DigitFirst", {"1A", 'C', 5, 0}},
                      BadDefCase{"Duplicate", {"ok", 'C', 5, 0}},
                      BadDefCase{"CharTooWide", {"C", 'C', 255, 0}},
                      BadDefCase{"NumTooWide", {"N", 'N', 21, 0}},
                      BadDefCase{"NoRoomForPoint", {"N", 'N', 3, 2}},
                      BadDefCase{"DateWidth", {"D", 'D', 6, 0}},
                      BadDefCase{"MemoType", {"M", 'M', 10, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TableApiTest, OpensByAnyLetterCaseAndRelativePath)
{
    const std::string upper = dir.file("TELBASE.DBF");
    std::filesystem::rename(path, upper);
    for (const char *name : {"TelBase.dbf", "Telbase.dbf", "TELBASE.DBF"}) {
        dbe_table *t = open(dir.file(name));
        ASSERT_NE(t, nullptr) << name;
        EXPECT_EQ(dbe_table_field_count(t), 7);
        dbe_table_close(t);
    }
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    dbe_table *t = nullptr;
    EXPECT_EQ(dbe_table_open(engine, "TelBase.dbf", &t), DBE_OK) << engine.errmsg();
    dbe_table_close(t);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(dbe_table_check(engine, dir.file("Other.dbf").c_str(), 0, nullptr, nullptr, nullptr),
              DBE_NOTFOUND);
    EXPECT_EQ(dbe_table_pack(engine, dir.file("Other.dbf").c_str()), DBE_NOTFOUND);
    EXPECT_EQ(dbe_table_open(engine, dir.file("Other.dbf").c_str(), &t), DBE_NOTFOUND);
    EXPECT_EQ(t, nullptr);
    EXPECT_NE(engine.errmsg().find("Other.dbf"), std::string::npos);
}

TEST_F(TableApiTest, BrowsingSkipsDeletedRecords)
{
    table = open(path);
    appendPeople(table, {{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"E", "5"}});
    ASSERT_EQ(dbe_table_delete(table, 1), DBE_OK);
    ASSERT_EQ(dbe_table_delete(table, 3), DBE_OK);
    ASSERT_EQ(dbe_table_delete(table, 5), DBE_OK);
    EXPECT_EQ(dbe_table_delete(table, 3), DBE_DELETED);

    uint32_t n = 0;
    ASSERT_EQ(dbe_table_refresh(table, &n), DBE_OK);
    EXPECT_EQ(n, 5u);
    ASSERT_EQ(dbe_table_live_count(table, &n), DBE_OK);
    EXPECT_EQ(n, 2u);

    struct SeekCase
    {
        uint32_t from;
        int direction;
        int code;
        uint32_t recno;
    };
    const SeekCase cases[] = {{0, 1, DBE_OK, 2},          {2, 1, DBE_OK, 4},
                              {4, 1, DBE_NOTFOUND, 0},    {UINT32_MAX, -1, DBE_OK, 4},
                              {4, -1, DBE_OK, 2},         {2, -1, DBE_NOTFOUND, 0},
                              {3, 1, DBE_OK, 4},          {3, -1, DBE_OK, 2}};
    for (const SeekCase &c : cases) {
        uint32_t recno = 0;
        EXPECT_EQ(dbe_table_seek(table, c.from, c.direction, &recno), c.code)
            << c.from << " " << c.direction;
        if (c.code == DBE_OK) {
            EXPECT_EQ(recno, c.recno) << c.from << " " << c.direction;
        }
    }
    uint32_t recno = 0;
    ASSERT_EQ(dbe_table_nth(table, 0, &recno), DBE_OK);
    EXPECT_EQ(recno, 2u);
    ASSERT_EQ(dbe_table_nth(table, 1, &recno), DBE_OK);
    EXPECT_EQ(recno, 4u);
    EXPECT_EQ(dbe_table_nth(table, 2, &recno), DBE_NOTFOUND);
    EXPECT_EQ(dbe_table_is_deleted(table, 1), 1);
    EXPECT_EQ(dbe_table_is_deleted(table, 2), 0);
    EXPECT_EQ(dbe_table_is_deleted(table, 6), -DBE_NOTFOUND);

    // Another open of the table (another user) deletes and appends; this one sees it.
    dbe_table *other = open(path);
    ASSERT_EQ(dbe_table_delete(other, 2), DBE_OK);
    appendPeople(other, {{"F", "6"}});
    dbe_table_close(other);
    ASSERT_EQ(dbe_table_live_count(table, &n), DBE_OK);
    EXPECT_EQ(n, 2u);
    ASSERT_EQ(dbe_table_nth(table, 0, &recno), DBE_OK);
    EXPECT_EQ(recno, 4u);
    ASSERT_EQ(dbe_table_seek(table, 4, 1, &recno), DBE_OK);
    EXPECT_EQ(recno, 6u);
    EXPECT_EQ(text(table, 6, 0), "F");
}

TEST_F(TableApiTest, TextBufferTooSmallIsCutAndReported)
{
    table = open(path);
    appendPeople(table, {{"Abcdef", "1"}});
    char buf[4];
    size_t len = 0;
    EXPECT_EQ(dbe_table_text(table, 1, 0, buf, sizeof buf, &len), DBE_RANGE);
    EXPECT_EQ(len, 6u);
    EXPECT_STREQ(buf, "Abc");
    EXPECT_EQ(dbe_table_text(table, 1, 9, buf, sizeof buf, &len), DBE_MISUSE);
}

TEST_F(TableApiTest, UpdateKeepsNullFieldsAndRefusesValuesThatDoNotFit)
{
    table = open(path);
    appendPeople(table, {{"Old name", "7"}});
    const char *change[7] = {"New name", nullptr, nullptr, "", nullptr, "12345", nullptr};
    ASSERT_EQ(dbe_table_update(table, 1, change), DBE_OK) << engine.errmsg();
    EXPECT_EQ(text(table, 1, 0), "New name");
    EXPECT_EQ(text(table, 1, 3), "");
    EXPECT_EQ(text(table, 1, 5), "12345");

    const std::vector<uint8_t> before = readFile(path);
    struct BadCase
    {
        int field;
        const char *value;
        int code;
        const char *named;
    };
    const std::string longName(61, 'x');
    const BadCase cases[] = {{0, longName.c_str(), DBE_RANGE, "FIO"},
                             {3, "123456", DBE_RANGE, "KAB"},
                             {4, "12.5", DBE_RANGE, "NVNUTR"},
                             {5, "12-34", DBE_TYPE, "NGOROD"}};
    for (const BadCase &c : cases) {
        const char *values[7] = {"Changed", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
        values[c.field] = c.value;
        EXPECT_EQ(dbe_table_update(table, 1, values), c.code) << c.value;
        EXPECT_NE(engine.errmsg().find(c.named), std::string::npos) << engine.errmsg();
        const char *rows[14] = {"Fine", nullptr, nullptr, "1", nullptr, nullptr, nullptr,
                                "Second", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
        rows[7 + c.field] = c.value;
        EXPECT_EQ(dbe_table_append(table, rows, 2, nullptr), c.code) << c.value;
    }
    EXPECT_EQ(readFile(path), before) << "a refused change writes nothing";
    EXPECT_EQ(dbe_table_update(table, 2, change), DBE_NOTFOUND);
}

TEST_F(TableApiTest, LockFindsRecordDeletedByAnotherUser)
{
    table = open(path);
    appendPeople(table, {{"A", "1"}, {"B", "2"}});
    dbe_table *other = open(path);
    ASSERT_EQ(dbe_table_delete(other, 1), DBE_OK);
    EXPECT_EQ(dbe_table_lock(table, 1), DBE_DELETED);
    const char *values[7] = {"X", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(dbe_table_update(table, 1, values), DBE_DELETED);
    EXPECT_NE(engine.errmsg().find("deleted"), std::string::npos);

    // An edit lock keeps the other user out of the record, not out of the table.
    ASSERT_EQ(dbe_table_lock(table, 2), DBE_OK);
    EXPECT_EQ(dbe_table_lock(table, 2), DBE_OK);
    EXPECT_EQ(dbe_table_update(other, 2, values), DBE_LOCKED);
    EXPECT_EQ(engine.errmsg(), "Record locked by another user.");
    EXPECT_EQ(dbe_table_delete(other, 2), DBE_LOCKED);
    appendPeople(other, {{"C", "3"}});
    ASSERT_EQ(dbe_table_update(table, 2, values), DBE_OK);
    ASSERT_EQ(dbe_table_unlock(table, 2), DBE_OK);
    EXPECT_EQ(dbe_table_update(other, 2, values), DBE_OK);
    dbe_table_close(other);
}

TEST_F(TableApiTest, ReadOnlyTableRefusesChanges)
{
    if (geteuid() == 0) {
        // root writes any file; a read-only bind is not available in a test, so the
        // read-only path is covered with the in-memory file system instead.
        GTEST_SKIP() << "root can write read-only files";
    }
    table = open(path);
    appendPeople(table, {{"A", "1"}});
    dbe_table_close(table);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    table = open(path);
    EXPECT_EQ(dbe_table_readonly(table), 1);
    EXPECT_EQ(text(table, 1, 0), "A");
    EXPECT_EQ(dbe_table_lock(table, 1), DBE_READONLY);
    EXPECT_EQ(dbe_table_delete(table, 1), DBE_READONLY);
}

// ---- Other processes. ----

// Runs body in a child process; the child's exit code is body's result.
pid_t spawn(const std::function<int()> &body)
{
    pid_t pid = fork();
    if (pid == 0) {
        int rc = 1;
        try {
            rc = body();
        } catch (...) {
        }
        _exit(rc);
    }
    return pid;
}

int waitExit(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(TableApiTest, LockHeldByAnotherProcessFailsAtOnce)
{
    table = open(path);
    appendPeople(table, {{"A", "1"}, {"B", "2"}});
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t child = spawn([&] {
        TestEngine e;
        dbe_table *t = nullptr;
        if (dbe_table_open(e, path.c_str(), &t) != DBE_OK || dbe_table_lock(t, 1) != DBE_OK)
            return 2;
        char c = 'r';
        if (write(ready[1], &c, 1) != 1)
            return 3;
        if (read(done[0], &c, 1) != 1)
            return 4;
        return 0;
    });
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(dbe_table_lock(table, 1), DBE_LOCKED);
    EXPECT_EQ(engine.errmsg(), "Record locked by another user.");
    const char *values[7] = {"X", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(dbe_table_update(table, 1, values), DBE_LOCKED);
    EXPECT_EQ(dbe_table_pack(engine, path.c_str()), DBE_LOCKED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "no waiting";
    EXPECT_EQ(dbe_table_lock(table, 2), DBE_OK);

    ASSERT_EQ(write(done[1], "d", 1), 1);
    EXPECT_EQ(waitExit(child), 0);
    EXPECT_EQ(dbe_table_lock(table, 1), DBE_OK) << "released when the other process ended";
    for (int fd : {ready[0], ready[1], done[0], done[1]})
        close(fd);
}

// The value of every field of appended record n, so a reader can tell a torn record.
// Numeric fields wrap within the narrowest one's five digits, so a fast writer never runs
// out of room; the text fields carry the whole number.
std::string stamp(uint32_t n, int field)
{
    if (field >= 3 && field <= 5)
        return std::to_string(n % 100000);
    return "R" + std::to_string(n) + "F" + std::to_string(field);
}

int appendNumbered(const std::string &path, uint32_t batches, bool forever)
{
    TestEngine e;
    dbe_table *t = nullptr;
    if (dbe_table_open(e, path.c_str(), &t) != DBE_OK)
        return 2;
    uint32_t n = 0;
    if (dbe_table_refresh(t, &n) != DBE_OK)
        return 3;
    for (uint32_t b = 0; forever || b < batches; ++b) {
        std::vector<std::string> texts;
        const uint32_t rows = 1 + b % 5;
        for (uint32_t r = 0; r < rows; ++r) {
            for (int f = 0; f < 7; ++f)
                texts.push_back(stamp(n + r + 1, f));
        }
        std::vector<const char *> values;
        for (const std::string &s : texts)
            values.push_back(s.c_str());
        if (dbe_table_append(t, values.data(), rows, nullptr) != DBE_OK)
            return 4;
        n += rows;
    }
    dbe_table_close(t);
    return 0;
}

// Every counted record is whole: its fields carry its own number.
int verifyAll(const std::string &path, uint32_t &count)
{
    std::unique_ptr<dbe::DbfFile> f;
    if (!dbe::DbfFile::open(path, false, f))
        return 10;
    count = f->recordCount();
    std::vector<uint8_t> buf;
    uint32_t got = 0;
    if (!f->readRecords(0, count, buf, got) || got != count)
        return 11;
    std::string shown;
    for (uint32_t i = 0; i < got; ++i) {
        const uint8_t *rec = buf.data() + size_t(i) * f->recordLength();
        if (rec[0] != ' ')
            return 12;
        for (int field = 0; field < 7; ++field) {
            const dbe::FieldInfo &fi = f->fields()[size_t(field)];
            dbe::displayText(fi, rec + fi.offset, f->toCp1251(), shown);
            if (shown != stamp(i + 1, field))
                return 13;
        }
    }
    return 0;
}

TEST_F(TableApiTest, ReadersNeverSeeTornOrHalfCountedRecords)
{
    pid_t writer = spawn([&] { return appendNumbered(path, 0, true); });
    std::vector<pid_t> readers;
    for (int r = 0; r < 2; ++r) {
        readers.push_back(spawn([&] {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
            uint32_t last = 0;
            while (std::chrono::steady_clock::now() < until) {
                uint32_t count = 0;
                if (int rc = verifyAll(path, count))
                    return rc;
                if (count < last)
                    return 20;
                last = count;
            }
            return last > 0 ? 0 : 21;
        }));
    }
    for (pid_t r : readers)
        EXPECT_EQ(waitExit(r), 0);
    kill(writer, SIGKILL);
    waitExit(writer);
    uint32_t count = 0;
    EXPECT_EQ(verifyAll(path, count), 0);
    EXPECT_GT(count, 0u);
}

TEST_F(TableApiTest, WriterKilledDuringAppendsLeavesAWholeTable)
{
    for (int delayMs : {50, 137, 300}) {
        pid_t writer = spawn([&] { return appendNumbered(path, 0, true); });
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(writer, SIGKILL);
        EXPECT_EQ(waitExit(writer), 100 + SIGKILL);
        uint32_t count = 0;
        ASSERT_EQ(verifyAll(path, count), 0) << delayMs;
        EXPECT_GT(count, 0u);

        std::vector<std::string> lines;
        int problems = -1;
        auto sink = [](void *ctx, const char *line) {
            static_cast<std::vector<std::string> *>(ctx)->push_back(line);
        };
        ASSERT_EQ(dbe_table_check(engine, path.c_str(), 1, sink, &lines, &problems), DBE_OK);
        // At most the records written but not yet counted are found (and then counted).
        EXPECT_LE(problems, 1);
        ASSERT_EQ(dbe_table_check(engine, path.c_str(), 0, sink, &lines, &problems), DBE_OK);
        EXPECT_EQ(problems, 0);
        ASSERT_EQ(verifyAll(path, count), 0);
        // The next writer carries on where the table ends.
        ASSERT_EQ(appendNumbered(path, 3, false), 0);
        ASSERT_EQ(verifyAll(path, count), 0);
    }
}

TEST_F(TableApiTest, TableShortenedOrReplacedWhileOpenNeverCrashesAReader)
{
    table = open(path);
    appendPeople(table, {{"A", "1"}, {"B", "2"}, {"C", "3"}});
    ASSERT_EQ(dbe_table_delete(table, 2), DBE_OK);
    dbe_table *reader = open(path);
    uint32_t n = 0;
    ASSERT_EQ(dbe_table_live_count(reader, &n), DBE_OK);
    EXPECT_EQ(n, 2u);

    // Packed (replaced by rename) in another process: the reader keeps the old table.
    pid_t packer = spawn([&] {
        TestEngine e;
        return dbe_table_pack(e, path.c_str());
    });
    ASSERT_EQ(waitExit(packer), DBE_OK);
    EXPECT_EQ(text(reader, 3, 0), "C");
    ASSERT_EQ(dbe_table_live_count(reader, &n), DBE_OK);
    EXPECT_EQ(n, 2u);
    const char *values[7] = {"X", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(dbe_table_update(reader, 1, values), DBE_ERROR) << "would write a dead file";
    EXPECT_NE(engine.errmsg().find("replaced"), std::string::npos);
    dbe_table_close(reader);
    reader = open(path);
    ASSERT_EQ(dbe_table_refresh(reader, &n), DBE_OK);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(text(reader, 2, 0), "C");

    // Shortened in place by another program: the reader sees what is left.
    std::filesystem::resize_file(path, 257 + 212 + 100);
    ASSERT_EQ(dbe_table_refresh(reader, &n), DBE_OK);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(text(reader, 2, 0), "<error " + std::to_string(DBE_NOTFOUND) + ">");
    ASSERT_EQ(dbe_table_live_count(reader, &n), DBE_OK);
    EXPECT_EQ(n, 1u);
    dbe_table_close(reader);
}

} // namespace

// ---- Paths with Cyrillic letters: callers give 1251 text, the disk names files in UTF-8. ----

namespace {

struct CyrillicPathCase
{
    const char *name;
    const char *onDisk;  // folder/file under the test folder, UTF-8
    bool diskIn1251;     // the names on disk hold the 1251 bytes themselves
    const char *asked;   // the path the caller gives, written here in UTF-8
    bool askedInUtf8;    // passed as written, not in 1251 (a caller that encodes for the disk)
};

class CyrillicPathTest : public ::testing::TestWithParam<CyrillicPathCase>
{
protected:
    // The table on disk: two live entries and a deleted one. Returns its path on disk.
    std::filesystem::path writeTable()
    {
        const CyrillicPathCase &c = GetParam();
        const std::string onDisk = c.diskIn1251 ? cp1251(c.onDisk) : std::string(c.onDisk);
        const std::filesystem::path file = dir.path() / onDisk;
        std::filesystem::create_directories(file.parent_path());
        DbfLayout layout;
        layout.fields = {{"FIO", 'C', 20}};
        layout.records = {record(layout.fields, {"Ёлкин"}), record(layout.fields, {"Жуков"}, true),
                        record(layout.fields, {"Яковлев"})};
        writeFile(file, build(layout));
        return file;
    }
    std::string asked() const
    {
        const CyrillicPathCase &c = GetParam();
        return dir.path().string() + "/" + (c.askedInUtf8 ? std::string(c.asked) : cp1251(c.asked));
    }

    TempDir dir;
    TestEngine engine;
};

TEST_P(CyrillicPathTest, OpenCheckPackAndQueryFindTheTable)
{
    const std::filesystem::path file = writeTable();
    const std::string path = asked();

    dbe_table *t = nullptr;
    ASSERT_EQ(dbe_table_open(engine, path.c_str(), &t), DBE_OK) << engine.errmsg();
    uint32_t count = 0;
    EXPECT_EQ(dbe_table_refresh(t, &count), DBE_OK);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(text(t, 1, 0), cp1251("Ёлкин"));
    dbe_table_close(t);

    int problems = -1;
    EXPECT_EQ(dbe_table_check(engine, path.c_str(), 0, nullptr, nullptr, &problems), DBE_OK)
        << engine.errmsg();
    EXPECT_EQ(problems, 0);

    ASSERT_EQ(dbe_table_pack(engine, path.c_str()), DBE_OK) << engine.errmsg();
    EXPECT_TRUE(std::filesystem::exists(file.string() + ".bak")) << "the original beside the table";

    dbe_cursor *cursor = nullptr;
    ASSERT_EQ(dbe_query(engine, ("select * from '" + path + "' order by FIO").c_str(), nullptr, 0,
                        &cursor),
              DBE_OK)
        << engine.errmsg();
    EXPECT_EQ(dbe_cursor_row_count(cursor), 2) << "the packed table";
    dbe_cursor_close(cursor);

    // Nothing new appeared under another spelling of the name.
    size_t entries = 0;
    for (const auto &e : std::filesystem::directory_iterator(file.parent_path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2u) << "the table and its .bak";
}

INSTANTIATE_TEST_SUITE_P(
    Folders, CyrillicPathTest,
    ::testing::Values(
        CyrillicPathCase{"FolderAsWritten", "Справочник/Telbase.dbf", false,
                         "Справочник/Telbase.dbf", false},
        CyrillicPathCase{"FileNameInOtherCase", "Справочник/Телефоны.dbf", false,
                         "Справочник/ТЕЛЕФОНЫ.DBF", false},
        CyrillicPathCase{"YoInOtherCase", "Отдел кадров/ёлки.dbf", false, "Отдел кадров/ЁЛКИ.dbf",
                         false},
        CyrillicPathCase{"NamesOnDiskIn1251", "Справочник/Телефоны.dbf", true,
                         "Справочник/Телефоны.dbf", false},
        CyrillicPathCase{"NamesOnDiskIn1251OtherCase", "Справочник/Телефоны.dbf", true,
                         "Справочник/телефоны.DBF", false},
        CyrillicPathCase{"AskedInUtf8", "Справочник/Телефоны.dbf", false,
                         "Справочник/Телефоны.dbf", true},
        CyrillicPathCase{"AskedInUtf8OtherCase", "Справочник/Телефоны.dbf", false,
                         "Справочник/ТЕЛЕФОНЫ.dbf", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CyrillicPath, CreateWritesTheUtf8NameAndMessagesNameThe1251Path)
{
    TempDir dir;
    TestEngine engine;
    const std::filesystem::path folder = dir.path() / "Справочник";
    std::filesystem::create_directories(folder);
    const std::string path = dir.path().string() + "/" + cp1251("Справочник/Телефоны.dbf");
    auto descs = directoryDescs();
    ASSERT_EQ(dbe_table_create(engine, path.c_str(), descs.data(), int(descs.size()),
                               DBE_LDID_1251, 0),
              DBE_OK)
        << engine.errmsg();
    EXPECT_TRUE(std::filesystem::exists(folder / "Телефоны.dbf"));

    // The same name in capitals is the same table.
    const std::string upper = dir.path().string() + "/" + cp1251("Справочник/ТЕЛЕФОНЫ.DBF");
    EXPECT_EQ(dbe_table_create(engine, upper.c_str(), descs.data(), int(descs.size()),
                               DBE_LDID_1251, 0),
              DBE_EXISTS);
    EXPECT_NE(engine.errmsg().find(path), std::string::npos) << engine.errmsg();
    EXPECT_EQ(dbe_table_create(engine, upper.c_str(), descs.data(), int(descs.size()),
                               DBE_LDID_1251, 1),
              DBE_OK)
        << engine.errmsg();
    size_t entries = 0;
    for (const auto &e : std::filesystem::directory_iterator(folder)) {
        EXPECT_EQ(e.path().filename(), "Телефоны.dbf") << "overwritten in place, no second file";
        ++entries;
    }
    EXPECT_EQ(entries, 1u);

    // A missing table is named in 1251, as the caller wrote it, whichever call is asked.
    const std::string missing = dir.path().string() + "/" + cp1251("Справочник/Нет такой.dbf");
    dbe_table *t = nullptr;
    EXPECT_EQ(dbe_table_open(engine, missing.c_str(), &t), DBE_NOTFOUND);
    EXPECT_NE(engine.errmsg().find(missing), std::string::npos) << engine.errmsg();
    EXPECT_EQ(dbe_table_check(engine, missing.c_str(), 0, nullptr, nullptr, nullptr), DBE_NOTFOUND);
    EXPECT_NE(engine.errmsg().find(missing), std::string::npos) << engine.errmsg();
    EXPECT_EQ(dbe_table_pack(engine, missing.c_str()), DBE_NOTFOUND);
    EXPECT_NE(engine.errmsg().find(missing), std::string::npos) << engine.errmsg();
}

} // namespace
