// The table file reader: headers of each dBASE flavour, record counts, damaged files.

#include "dbf.h"

#include <gtest/gtest.h>

#include "dbf_builder.h"

using namespace dbetest;

namespace {

DbfSpec twoRecords(uint8_t version = 0x03)
{
    DbfSpec spec;
    spec.version = version;
    spec.fields = {{"NAME", 'C', 10}, {"NUM", 'N', 5}};
    spec.records = {" Ivanov       12", "*Petrov        7"};
    return spec;
}

struct VersionCase
{
    uint8_t version;
};

class DbfVersionTest : public ::testing::TestWithParam<VersionCase>
{
};

TEST_P(DbfVersionTest, OpensAndReadsRecords)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(twoRecords(GetParam().version)));
    std::unique_ptr<dbe::DbfFile> t;
    ASSERT_TRUE(dbe::DbfFile::open(fs, "t.dbf", false, t)) << int(GetParam().version);
    ASSERT_EQ(t->fields().size(), 2u);
    EXPECT_EQ(t->fields()[1].name, "NUM");
    EXPECT_EQ(t->fields()[1].offset, 11);
    EXPECT_EQ(t->recordCount(), 2u);
    EXPECT_EQ(t->recordLength(), 16u);
    std::vector<uint8_t> buf;
    uint32_t got = 0;
    ASSERT_TRUE(t->readRecords(0, 10, buf, got));
    ASSERT_EQ(got, 2u);
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + 16), " Ivanov       12");
    EXPECT_EQ(buf[16], '*');
}

INSTANTIATE_TEST_SUITE_P(Flavours, DbfVersionTest,
                         ::testing::Values(VersionCase{0x03}, VersionCase{0x83},
                                           VersionCase{0x04}, VersionCase{0x8B},
                                           VersionCase{0x30}));

} // namespace
