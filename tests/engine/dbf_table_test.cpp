// The editing table over files in memory: read-only tables, a failing disk, and the index
// of live records kept right through this user's and another user's changes.

#include "dbf_table.h"

#include <random>

#include <gtest/gtest.h>

#include "dbf_builder.h"

using namespace dbetest;

namespace {

DbfLayout people(int n)
{
    DbfLayout layout;
    layout.fields = {{"NAME", 'C', 10}, {"NUM", 'N', 5}};
    for (int i = 1; i <= n; ++i) {
        std::string name = "P" + std::to_string(i);
        std::string num = std::to_string(i);
        layout.records.push_back(" " + name + std::string(10 - name.size(), ' ') +
                               std::string(5 - num.size(), ' ') + num);
    }
    return layout;
}

std::unique_ptr<dbe::Table> openTable(dbe::MemFileSystem &fs, const std::string &path)
{
    std::unique_ptr<dbe::Table> t;
    EXPECT_TRUE(dbe::Table::open(fs, path, t));
    return t;
}

TEST(TableReadOnly, EveryChangeIsRefusedAndReadingWorks)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(people(2)), true);
    auto t = openTable(fs, "t.dbf");
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->readOnly());
    std::string text;
    ASSERT_TRUE(t->text(2, 0, text));
    EXPECT_EQ(text, "P2");
    const char *values[2] = {"X", "1"};
    uint32_t first = 0;
    EXPECT_EQ(t->lock(1).code(), DBE_READONLY);
    EXPECT_EQ(t->update(1, values).code(), DBE_READONLY);
    EXPECT_EQ(t->append(values, 1, first).code(), DBE_READONLY);
    EXPECT_EQ(t->remove(1).code(), DBE_READONLY);
    EXPECT_EQ(fs.get("t.dbf"), build(people(2)));
}

TEST(TableFailingDisk, FailedWritesLeaveRecordsAndLocksAsTheyWere)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(people(3)));
    auto t = openTable(fs, "t.dbf");
    auto other = openTable(fs, "t.dbf");
    ASSERT_TRUE(t && other);
    const std::vector<uint8_t> before = fs.get("t.dbf");
    const char *values[2] = {"Changed", nullptr};
    uint32_t first = 0, live = 0;
    ASSERT_TRUE(t->liveCount(live));
    fs.failWritesAfter = 0;
    EXPECT_EQ(t->update(2, values).code(), DBE_IOERR);
    EXPECT_EQ(t->remove(2).code(), DBE_IOERR);
    EXPECT_EQ(t->append(values, 1, first).code(), DBE_IOERR);
    fs.failWritesAfter = -1;
    EXPECT_EQ(fs.get("t.dbf"), before);
    // No lock was left behind by the failed writes.
    EXPECT_TRUE(other->lock(2));
    EXPECT_TRUE(other->remove(3));
    ASSERT_TRUE(t->liveCount(live));
    EXPECT_EQ(live, 2u);
}

// This user and another user delete, append and change records in turn; after each step the
// live records this table reports are those a fresh open reports.
TEST(TableLiveIndex, StaysRightThroughBothUsersChanges)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(people(40)));
    auto mine = openTable(fs, "t.dbf");
    auto theirs = openTable(fs, "t.dbf");
    ASSERT_TRUE(mine && theirs);
    std::mt19937 random(7);
    for (int step = 0; step < 200; ++step) {
        dbe::Table &actor = random() % 2 ? *mine : *theirs;
        uint32_t count = 0;
        ASSERT_TRUE(actor.refresh(count));
        const uint32_t recno = 1 + random() % count;
        const char *values[6] = {"New", "9", "Newer", "", nullptr, "10"}; // up to 3 rows
        uint32_t first = 0;
        switch (random() % 3) {
        case 0: {
            dbe::Status s = actor.remove(recno);
            EXPECT_TRUE(s.isOk() || s.code() == DBE_DELETED);
            break;
        }
        case 1: ASSERT_TRUE(actor.append(values, 1 + random() % 3, first)); break;
        default: {
            dbe::Status s = actor.update(recno, values);
            EXPECT_TRUE(s.isOk() || s.code() == DBE_DELETED);
        }
        }
        auto fresh = openTable(fs, "t.dbf");
        uint32_t want = 0, got = 0;
        ASSERT_TRUE(fresh->liveCount(want));
        ASSERT_TRUE(mine->liveCount(got));
        ASSERT_EQ(got, want) << "step " << step;
        for (uint32_t n = 0; n < want; n += 5) {
            uint32_t a = 0, b = 0;
            ASSERT_TRUE(fresh->nth(n, a));
            ASSERT_TRUE(mine->nth(n, b));
            ASSERT_EQ(a, b) << "step " << step << " n " << n;
        }
    }
}

} // namespace
