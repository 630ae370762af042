#include "enginelocation.h"

#include <gtest/gtest.h>

#include "exceptions.h"
#include "storefixture.h"

namespace {

const QByteArray kHeader = "[SOFTWARE\\Borland\\Database Engine]\n";
const QByteArray kMissing = "<missing>";

struct StepCase {
    const char *name;
    QByteArray before;   // the store's bytes, kMissing for no store file
    QByteArray expected; // "" for "left as before"; else the DLLPATH line that must be there
    QString error;       // the message raised, if any
};

void PrintTo(const StepCase &c, std::ostream *os)
{
    *os << c.name;
}

class EngineLocationTest : public StoreTest, public testing::WithParamInterface<StepCase>
{
};

const QString kInvalid = QStringLiteral("Invalid data type for 'DLLPATH'");

TEST_P(EngineLocationTest, SetsOnlyAnEmptyLocation)
{
    const StepCase &c = GetParam();
    if (c.before != kMissing)
        writeStore(c.before);
    const QByteArray written = "DLLPATH=sz:" + programFolder().toUtf8() + "dll/\\0\n";
    try {
        LocateEngineLibrary();
        EXPECT_TRUE(c.error.isEmpty()) << "no error raised";
    } catch (const ERegistryException &e) {
        EXPECT_EQ(e.Message(), c.error);
    }
    const QByteArray after = readStore();
    if (c.expected.isEmpty()) {
        EXPECT_EQ(after, c.before);
    } else {
        EXPECT_TRUE(after.contains(kHeader)) << after.constData();
        EXPECT_TRUE(after.contains(written)) << after.constData();
        EXPECT_EQ(after.count("DLLPATH"), 1) << after.constData();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Branches, EngineLocationTest,
    testing::Values(
        StepCase{"NoStoreFile", kMissing, "set", {}},
        StepCase{"KeyMissing", "[SOFTWARE\\Other]\nX=sz:1\n", "set", {}},
        StepCase{"ValueAbsent", kHeader, "set", {}},
        StepCase{"ValueWithoutData", kHeader + "DLLPATH=sz:\n", "set", {}},
        StepCase{"EmptyBeforeFirstNul", kHeader + "DLLPATH=sz:\\0/old/\\0\n", "set", {}},
        StepCase{"SetToAMissingFolder", kHeader + "DLLPATH=sz:/no/such/folder/\\0\n", "", {}},
        StepCase{"SetToAnExistingFolder", kHeader + "DLLPATH=sz:/tmp/\\0\n", "", {}},
        StepCase{"ExpandableString", kHeader + "DLLPATH=expand_sz:$ENGINE/dll/\\0\n", "", {}},
        StepCase{"Number", kHeader + "DLLPATH=dword:7\n", "", kInvalid},
        StepCase{"Binary", kHeader + "DLLPATH=binary:2f 00\n", "", kInvalid}),
    [](const testing::TestParamInfo<StepCase> &info) { return info.param.name; });

TEST_F(StoreTest, AnAccountThatMayNotWriteTheStoreIsSkippedSilently)
{
    writeStore(kHeader);
    m_access.denyWrite = true;
    EXPECT_NO_THROW(LocateEngineLibrary());
    EXPECT_EQ(m_access.loads, 0);
    EXPECT_EQ(m_access.saves, 0);
    EXPECT_EQ(readStore(), kHeader);
    EXPECT_TRUE(ConfiguredEngineLocation().isEmpty());
}

TEST_F(StoreTest, FailedReadsAndWritesAreReported)
{
    struct Case {
        const char *name;
        bool failLoadAfterOpen;
        bool failSave;
        QString error;
    };
    const Case cases[] = {
        {"ReadFails", true, false, QStringLiteral("Failed to get data for 'DLLPATH'")},
        {"WriteFails", false, true, QStringLiteral("Failed to set data for 'DLLPATH'")},
    };
    for (const Case &c : cases) {
        writeStore(kHeader);
        // The open reads the store once; the failure hits what follows it.
        struct Access : FailingStoreAccess {
            bool failAfterFirst = false;
            FileAccess::ReadResult load(const QString &path, QByteArray &bytes) override
            {
                failLoad = failAfterFirst && loads >= 1;
                return FailingStoreAccess::load(path, bytes);
            }
        } access;
        access.failAfterFirst = c.failLoadAfterOpen;
        access.failSave = c.failSave;
        setStoreFileAccessForTesting(&access);
        try {
            LocateEngineLibrary();
            ADD_FAILURE() << c.name << ": no error raised";
        } catch (const ERegistryException &e) {
            EXPECT_EQ(e.Message(), c.error) << c.name;
        }
        setStoreFileAccessForTesting(&m_access);
        EXPECT_EQ(readStore(), kHeader) << c.name;
    }
}

TEST_F(StoreTest, TheConfiguredLocationIsReadWithoutWriting)
{
    struct Case {
        const char *name;
        QByteArray store;
        QString expected;
    };
    const Case cases[] = {
        {"NoStore", kMissing, QString()},
        {"Empty", kHeader + "DLLPATH=sz:\n", QString()},
        {"Set", kHeader + "DLLPATH=sz:/opt/fonvik/dll/\\0\n", QStringLiteral("/opt/fonvik/dll/")},
        {"Expandable", kHeader + "DLLPATH=expand_sz:$X/dll/\n", QStringLiteral("$X/dll/")},
        {"Number", kHeader + "DLLPATH=dword:1\n", QString()},
    };
    for (const Case &c : cases) {
        QFile::remove(storePath());
        if (c.store != kMissing)
            writeStore(c.store);
        m_access.saves = 0;
        EXPECT_EQ(ConfiguredEngineLocation(), c.expected) << c.name;
        EXPECT_EQ(m_access.saves, 0) << c.name;
        EXPECT_EQ(readStore(), c.store) << c.name;
    }
}

TEST_F(StoreTest, TheStepLeavesItsOwnLocationAloneOnTheNextStart)
{
    LocateEngineLibrary();
    const QByteArray first = readStore();
    ProgramFolder::setForTesting(m_dir.filePath(QStringLiteral("moved/")));
    LocateEngineLibrary();
    EXPECT_EQ(readStore(), first);
    EXPECT_EQ(ConfiguredEngineLocation(), programFolder() + QStringLiteral("dll/"));
}

} // namespace
