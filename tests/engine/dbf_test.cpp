// The table file reader: headers of each dBASE flavour, record counts, damaged files,
// code pages, names without regard to case, and a disk that changes or fails underneath.

#include "dbf.h"

#include <gtest/gtest.h>

#include "dbf_builder.h"
#include "dbf_format.h"

using namespace dbetest;

namespace {

DbfLayout twoRecords(uint8_t version = 0x03)
{
    DbfLayout layout;
    layout.version = version;
    layout.fields = {{"NAME", 'C', 10}, {"NUM", 'N', 5}};
    layout.records = {" Ivanov       12", "*Petrov        7"};
    return layout;
}

std::unique_ptr<dbe::DbfFile> openMem(dbe::MemFileSystem &fs, const std::string &path,
                                      dbe::Status *status = nullptr, bool write = false)
{
    std::unique_ptr<dbe::DbfFile> t;
    dbe::Status s = dbe::DbfFile::open(fs, path, write, t);
    if (status)
        *status = s;
    return t;
}

class DbfVersionTest : public ::testing::TestWithParam<uint8_t>
{
};

TEST_P(DbfVersionTest, OpensAndReadsRecords)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(twoRecords(GetParam())));
    auto t = openMem(fs, "t.dbf");
    ASSERT_TRUE(t) << int(GetParam());
    ASSERT_EQ(t->fields().size(), 2u);
    EXPECT_EQ(t->fields()[1].name, "NUM");
    EXPECT_EQ(t->fields()[1].offset, 11);
    EXPECT_EQ(t->fieldIndex("num"), 1);
    EXPECT_EQ(t->fieldIndex("Name"), 0);
    EXPECT_EQ(t->fieldIndex("NUMBER"), -1);
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
                         ::testing::Values(0x03, 0x83, 0x04, 0x8B, 0x30, 0xF5));

// ---- Damaged files: each case changes a good file and names the expected complaint. ----

struct DamageCase
{
    const char *name;
    void (*damage)(std::vector<uint8_t> &);
    const char *complaint; // a part of the message
};

void setLe16(std::vector<uint8_t> &b, size_t at, int v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

const DamageCase kDamage[] = {
    {"Empty", [](std::vector<uint8_t> &b) { b.clear(); }, "shorter than a table header"},
    {"TruncatedHeader", [](std::vector<uint8_t> &b) { b.resize(40); }, "header is truncated"},
    {"NotDbase", [](std::vector<uint8_t> &b) { b[0] = 'P'; }, "version byte 0x50"},
    {"HeaderLengthTooSmall", [](std::vector<uint8_t> &b) { setLe16(b, 8, 20); },
     "header length 20"},
    {"HeaderLengthPastEnd", [](std::vector<uint8_t> &b) { setLe16(b, 8, 60000); },
     "header is truncated"},
    {"RecordLengthWrong", [](std::vector<uint8_t> &b) { setLe16(b, 10, 17); },
     "do not add up"},
    {"RecordLengthZero", [](std::vector<uint8_t> &b) { setLe16(b, 10, 0); }, "record length 0"},
    {"ZeroFields", [](std::vector<uint8_t> &b) { b[32] = 0x0D; }, "no fields"},
    {"NameWithoutNul",
     [](std::vector<uint8_t> &b) { std::fill(b.begin() + 32, b.begin() + 43, 'X'); },
     "not terminated"},
    {"EmptyName", [](std::vector<uint8_t> &b) { b[32] = 0; }, "has no name"},
    {"NoTerminator", [](std::vector<uint8_t> &b) { b[96] = ' '; }, "terminator"},
    {"FieldLengthZero", [](std::vector<uint8_t> &b) { b[32 + 16] = 0; }, "length 0"},
    {"BadTypeByte", [](std::vector<uint8_t> &b) { b[32 + 11] = 0x01; }, "invalid type"},
};

class DbfDamageTest : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(DbfDamageTest, RefusedWithClearMessage)
{
    std::vector<uint8_t> bytes = build(twoRecords());
    GetParam().damage(bytes);
    dbe::MemFileSystem fs;
    fs.put("t.dbf", bytes);
    dbe::Status s;
    auto t = openMem(fs, "t.dbf", &s);
    EXPECT_FALSE(t);
    EXPECT_EQ(s.code(), DBE_CORRUPT);
    ASSERT_FALSE(s.lines().empty());
    EXPECT_NE(s.lines()[0].find(GetParam().complaint), std::string::npos) << s.lines()[0];
    ASSERT_EQ(s.lines().size(), 2u);
    EXPECT_EQ(s.lines()[1], "Table: t.dbf");
}

INSTANTIATE_TEST_SUITE_P(Files, DbfDamageTest, ::testing::ValuesIn(kDamage),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DbfFoxPro, HeaderWithoutBacklinkAreaIsRefused)
{
    // A 0x30 header whose length leaves no room for the 263-byte backlink area.
    std::vector<uint8_t> bytes = build(twoRecords(0x03));
    bytes[0] = 0x30;
    dbe::MemFileSystem fs;
    fs.put("t.dbf", bytes);
    dbe::Status s;
    EXPECT_FALSE(openMem(fs, "t.dbf", &s));
    EXPECT_EQ(s.code(), DBE_CORRUPT);
}

TEST(DbfClipper, WideCharacterFieldUsesDecimalsAsHighByte)
{
    DbfLayout layout;
    layout.fields = {{"MEMOTEXT", 'C', 44, 1}}; // 1 * 256 + 44 = 300
    layout.records = {" " + std::string(300, 'x')};
    std::vector<uint8_t> bytes = build(layout);
    setLe16(bytes, 10, 301);
    // build() padded the record to its own idea of the length (45); redo the records.
    bytes.resize(size_t(dbe::dbf::readLe16(&bytes[8])));
    std::string rec = " " + std::string(300, 'x');
    bytes.insert(bytes.end(), rec.begin(), rec.end());
    bytes.push_back(0x1A);
    dbe::MemFileSystem fs;
    fs.put("t.dbf", bytes);
    auto t = openMem(fs, "t.dbf");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->fields()[0].length, 300);
    EXPECT_EQ(t->fields()[0].decimals, 0);
    EXPECT_EQ(t->recordCount(), 1u);
}

// ---- Record counts: the header and the file size disagree. ----

struct CountCase
{
    const char *name;
    int headerDelta;    // header count minus records present
    size_t cutBytes;    // bytes cut off the end of the file
    uint32_t expected;  // records the reader trusts
};

class DbfCountTest : public ::testing::TestWithParam<CountCase>
{
};

TEST_P(DbfCountTest, TrustsTheSmallerCount)
{
    DbfLayout layout = twoRecords();
    layout.records.push_back(" Sidorov      3");
    layout.headerCountDelta = GetParam().headerDelta;
    std::vector<uint8_t> bytes = build(layout);
    bytes.resize(bytes.size() - GetParam().cutBytes);
    dbe::MemFileSystem fs;
    fs.put("t.dbf", bytes);
    auto t = openMem(fs, "t.dbf");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->recordCount(), GetParam().expected);
    EXPECT_EQ(t->headerCount(), uint32_t(3 + GetParam().headerDelta));
    std::vector<uint8_t> buf;
    uint32_t got = 0;
    ASSERT_TRUE(t->readRecords(0, 100, buf, got));
    EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, DbfCountTest,
    ::testing::Values(CountCase{"Agree", 0, 0, 3}, CountCase{"NoEofMark", 0, 1, 3},
                      CountCase{"HeaderCountsMore", 5, 0, 3},
                      CountCase{"LastRecordTorn", 0, 5, 2},
                      CountCase{"HeaderCountsFewer", -2, 0, 1},
                      CountCase{"EmptyButCounted", -3, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Code pages: the language driver byte, else a .cpg file, else 1251. ----

struct CodePageCase
{
    const char *name;
    uint8_t ldid;
    const char *cpg; // nullptr: no .cpg file
    int expected;
};

class DbfCodePageTest : public ::testing::TestWithParam<CodePageCase>
{
};

TEST_P(DbfCodePageTest, ChoosesTheFilesCodePage)
{
    DbfLayout layout = twoRecords();
    layout.languageDriver = GetParam().ldid;
    layout.records = {std::string(" ") + "\x8F\xA5\xE2\xE0\xAE\xA2"}; // "Петров" in 866
    dbe::MemFileSystem fs;
    fs.put("dir/Tel.dbf", build(layout));
    if (GetParam().cpg)
        fs.put("dir/TEL.CPG", std::vector<uint8_t>(GetParam().cpg,
                                                   GetParam().cpg + strlen(GetParam().cpg)));
    auto t = openMem(fs, "dir/Tel.dbf");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->codePage(), GetParam().expected);
    std::vector<uint8_t> rec;
    ASSERT_TRUE(t->readRecord(1, rec));
    std::string text;
    dbe::displayText(t->fields()[0], rec.data() + 1, t->toCp1251(), text);
    if (GetParam().expected == 866)
        EXPECT_EQ(text, "\xCF\xE5\xF2\xF0\xEE\xE2"); // "Петров" in 1251
    else
        EXPECT_EQ(text, "\x8F\xA5\xE2\xE0\xAE\xA2"); // taken as 1251, unchanged
}

INSTANTIATE_TEST_SUITE_P(
    Pages, DbfCodePageTest,
    ::testing::Values(CodePageCase{"Byte1251", 0xC9, nullptr, 1251},
                      CodePageCase{"Byte866", 0x26, nullptr, 866},
                      CodePageCase{"Byte866Alt", 0x65, nullptr, 866},
                      CodePageCase{"ByteWinsOverCpg", 0xC9, "866", 1251},
                      CodePageCase{"Cpg866", 0x00, "866", 866},
                      CodePageCase{"CpgCp866", 0x00, "cp866\r\n", 866},
                      CodePageCase{"Cpg1251", 0x00, "1251", 1251},
                      CodePageCase{"CpgUnknown", 0x00, "UTF-8", 1251},
                      CodePageCase{"NothingSaid", 0x00, nullptr, 1251}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Names without regard to case, read-only files. ----

TEST(DbfOpen, NameDiffersOnlyInCase)
{
    for (const char *asked : {"base/TelBase.dbf", "base/Telbase.dbf", "base/TELBASE.DBF"}) {
        dbe::MemFileSystem fs;
        fs.put("base/telbase.DBF", build(twoRecords()));
        auto t = openMem(fs, asked);
        ASSERT_TRUE(t) << asked;
        EXPECT_EQ(t->path(), "base/telbase.DBF");
    }
}

TEST(DbfOpen, MissingFileIsNotFound)
{
    dbe::MemFileSystem fs;
    dbe::Status s;
    EXPECT_FALSE(openMem(fs, "nothing.dbf", &s));
    EXPECT_EQ(s.code(), DBE_NOTFOUND);
}

TEST(DbfOpen, ReadOnlyFileOpensForReading)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(twoRecords()), /*readOnly=*/true);
    auto t = openMem(fs, "t.dbf", nullptr, /*write=*/true);
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->writable());
    EXPECT_EQ(t->lockRecord(1).code(), DBE_READONLY);
    std::vector<uint8_t> rec(t->recordLength(), ' ');
    EXPECT_EQ(t->writeRecord(1, rec.data()).code(), DBE_READONLY);
}

// ---- The file changes or fails underneath. ----

TEST(DbfChanges, ShortenedFileReadsWhatIsLeft)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(twoRecords()));
    auto t = openMem(fs, "t.dbf", nullptr, true);
    ASSERT_TRUE(t);
    std::unique_ptr<dbe::File> other;
    ASSERT_TRUE(fs.open("t.dbf", dbe::OpenMode::ReadWrite, other));
    ASSERT_TRUE(other->truncate(t->headerLength() + 20)); // one whole record and a piece
    std::vector<uint8_t> buf;
    uint32_t got = 7;
    ASSERT_TRUE(t->readRecords(0, 2, buf, got));
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(buf.size(), 16u);
    ASSERT_TRUE(t->refresh());
    EXPECT_EQ(t->recordCount(), 1u);
}

TEST(DbfChanges, ReplacedFileKeepsTheOpenOne)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(twoRecords()));
    auto t = openMem(fs, "t.dbf");
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->replacedOnDisk());
    DbfLayout other;
    other.fields = {{"X", 'C', 15}};
    fs.put("t.dbf", build(other)); // a new file under the name
    ASSERT_TRUE(t->refresh());
    EXPECT_TRUE(t->replacedOnDisk());
    EXPECT_EQ(t->recordCount(), 2u);
    EXPECT_EQ(t->fields().size(), 2u);
}

TEST(DbfChanges, LayoutRewrittenInPlaceIsCorrupt)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(twoRecords()));
    auto t = openMem(fs, "t.dbf");
    ASSERT_TRUE(t);
    DbfLayout other;
    other.fields = {{"X", 'C', 15}};
    const std::vector<uint8_t> bytes = build(other);
    std::unique_ptr<dbe::File> writer;
    ASSERT_TRUE(fs.open("t.dbf", dbe::OpenMode::ReadWrite, writer));
    ASSERT_TRUE(writer->truncate(0));
    ASSERT_TRUE(writer->writeAt(0, bytes.data(), bytes.size()));
    dbe::Status s = t->refresh();
    EXPECT_EQ(s.code(), DBE_CORRUPT);
    EXPECT_NE(s.lines()[0].find("layout changed"), std::string::npos);
}

TEST(DbfChanges, FailedAppendLeavesCountAsItWas)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(twoRecords()));
    const std::vector<uint8_t> before = fs.get("t.dbf");
    auto t = openMem(fs, "t.dbf", nullptr, true);
    ASSERT_TRUE(t);
    ASSERT_TRUE(t->lockHeader());
    fs.failWritesAfter = 0; // the records' write fails
    std::vector<uint8_t> rec(t->recordLength(), ' ');
    uint32_t first = 0;
    EXPECT_EQ(t->appendRecords(rec.data(), 1, first).code(), DBE_IOERR);
    EXPECT_EQ(fs.get("t.dbf"), before);
    fs.failWritesAfter = 1; // the records go out, the header's count does not
    EXPECT_EQ(t->appendRecords(rec.data(), 1, first).code(), DBE_IOERR);
    fs.failWritesAfter = -1;
    auto again = openMem(fs, "t.dbf");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->recordCount(), 2u);
}

TEST(DbfChanges, AppendOverDebrisIsCountedEvenWhenTheTrimFails)
{
    // Debris of a writer that stopped short lies past the counted records; the append
    // overwrites it, counts its record, and then cannot trim the rest: still a success,
    // since the record is in the table.
    std::vector<uint8_t> bytes = build(twoRecords());
    bytes.insert(bytes.end(), 40, 'x');
    dbe::MemFileSystem fs;
    fs.put("t.dbf", bytes);
    auto t = openMem(fs, "t.dbf", nullptr, true);
    ASSERT_TRUE(t);
    ASSERT_TRUE(t->lockHeader());
    std::vector<uint8_t> rec(t->recordLength(), ' ');
    rec[1] = 'N';
    uint32_t first = 0;
    fs.failWritesAfter = 2; // records, header count; the trim fails
    ASSERT_TRUE(t->appendRecords(rec.data(), 1, first));
    fs.failWritesAfter = -1;
    EXPECT_EQ(first, 3u);
    EXPECT_EQ(t->recordCount(), 3u);
    auto again = openMem(fs, "t.dbf");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->recordCount(), 3u);
    std::vector<uint8_t> read;
    ASSERT_TRUE(again->readRecord(3, read));
    EXPECT_EQ(read, rec);
}

TEST(DbfLocks, SecondOpenFileIsRefusedUntilReleased)
{
    dbe::MemFileSystem fs;
    fs.put("t.dbf", build(twoRecords()));
    auto a = openMem(fs, "t.dbf", nullptr, true);
    auto b = openMem(fs, "t.dbf", nullptr, true);
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(a->lockRecord(1));
    EXPECT_TRUE(a->lockRecord(1)); // held already
    dbe::Status s = b->lockRecord(1);
    EXPECT_EQ(s.code(), DBE_LOCKED);
    EXPECT_EQ(s.lines().at(0), "Record locked by another user.");
    EXPECT_TRUE(b->lockRecord(2));
    EXPECT_EQ(a->lockAll().code(), DBE_LOCKED);
    a->unlockRecord(1);
    EXPECT_TRUE(b->lockRecord(1));
    ASSERT_TRUE(a->lockHeader());
    EXPECT_EQ(b->lockHeader().code(), DBE_LOCKED);
}

} // namespace
