#include "registry.h"

#include <gtest/gtest.h>

#include "exceptions.h"
#include "storefixture.h"

namespace {

const QString kKey = QStringLiteral("\\SOFTWARE\\Borland\\Database Engine");
const QString kName = QStringLiteral("DLLPATH");

struct ReadCase {
    const char *name;
    QByteArray line;   // the value's line under the key
    QString expected;  // when error is empty
    QString error;
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class RegistryReadTest : public StoreTest, public testing::WithParamInterface<ReadCase>
{
};

TEST_P(RegistryReadTest, ReadsStringsAndRefusesOtherTypes)
{
    const ReadCase &c = GetParam();
    writeStore("[SOFTWARE\\Borland\\Database Engine]\n" + c.line + "\n");
    TRegistry reg;
    reg.setRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    if (c.error.isEmpty()) {
        EXPECT_EQ(reg.ReadString(kName), c.expected);
        return;
    }
    try {
        reg.ReadString(kName);
        FAIL() << "no error raised";
    } catch (const ERegistryException &e) {
        EXPECT_EQ(e.Message(), c.error);
    }
}

const QString kInvalid = QStringLiteral("Invalid data type for 'DLLPATH'");

INSTANTIATE_TEST_SUITE_P(
    Types, RegistryReadTest,
    testing::Values(
        ReadCase{"Absent", "OTHER=sz:x", QString(), {}},
        ReadCase{"NoData", "DLLPATH=sz:", QString(), {}},
        ReadCase{"EmptyBeforeNul", "DLLPATH=sz:\\0left over\\0", QString(), {}},
        ReadCase{"String", "DLLPATH=sz:/opt/x/\\0", QStringLiteral("/opt/x/"), {}},
        ReadCase{"StringWithoutNul", "DLLPATH=sz:/opt/x/", QStringLiteral("/opt/x/"), {}},
        ReadCase{"NameIgnoresCase", "dllpath=sz:/opt/x/", QStringLiteral("/opt/x/"), {}},
        ReadCase{"Escapes", "DLLPATH=sz:/a\\\\b\\x41\\q\\x4", QStringLiteral("/a\\bA\\q\\x4"), {}},
        ReadCase{"Utf8", "DLLPATH=sz:/opt/Телефоны/dll/", QStringLiteral("/opt/Телефоны/dll/"), {}},
        ReadCase{"ExpandableNotExpanded", "DLLPATH=expand_sz:$HOME/dll/\\0", QStringLiteral("$HOME/dll/"), {}},
        ReadCase{"PlainHandWritten", "DLLPATH=/opt/x/", QStringLiteral("/opt/x/"), {}},
        ReadCase{"Number", "DLLPATH=dword:42", {}, kInvalid},
        ReadCase{"HexNumber", "DLLPATH=dword:0x2A", {}, kInvalid},
        ReadCase{"Binary", "DLLPATH=binary:01 02 ff", {}, kInvalid},
        ReadCase{"MultiString", "DLLPATH=multi_sz:a\\0b\\0\\0", {}, kInvalid},
        ReadCase{"EmptyBinaryIsEmpty", "DLLPATH=binary:", QString(), {}},
        ReadCase{"DamagedNumber", "DLLPATH=dword:forty", {}, kInvalid},
        ReadCase{"DamagedBinary", "DLLPATH=binary:0g", {}, kInvalid}),
    [](const testing::TestParamInfo<ReadCase> &info) { return info.param.name; });

TEST_F(StoreTest, OpenKeyCreatesAMissingKeyAndItsStore)
{
    {
        TRegistry reg;
        EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
        reg.setRootKey(HKEY_LOCAL_MACHINE);
        EXPECT_FALSE(reg.OpenKey(kKey, false));
        EXPECT_EQ(readStore(), "<missing>");
        EXPECT_TRUE(reg.OpenKey(kKey, true));
        EXPECT_EQ(reg.CurrentPath(), QStringLiteral("SOFTWARE\\Borland\\Database Engine"));
        reg.WriteString(kName, QStringLiteral("/opt/a b/dll/"));
        EXPECT_EQ(reg.ReadString(kName), QStringLiteral("/opt/a b/dll/"));
    }
    EXPECT_EQ(readStore(), "# Machine-wide settings of the telephone directory programs.\n"
                           "[SOFTWARE\\Borland\\Database Engine]\n"
                           "DLLPATH=sz:/opt/a b/dll/\\0\n");
}

TEST_F(StoreTest, AWriteKeepsOtherKeysValuesAndComments)
{
    const QByteArray before = "# hand-written\n"
                              "[software\\borland\\database engine]\n"
                              "LANGDRIVER=sz:ancyrr\\0\n"
                              "DLLPATH=sz:\n"
                              "this line is damaged\n"
                              "[SOFTWARE\\Other]\n"
                              "DLLPATH=sz:/not/this/\n";
    writeStore(before);
    TRegistry reg;
    reg.setRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString(kName, QStringLiteral("/new/\n"));
    EXPECT_EQ(readStore(), QByteArray(before).replace("DLLPATH=sz:\n", "DLLPATH=sz:/new/\\n\\0\n"));
    EXPECT_EQ(reg.ReadString(kName), QStringLiteral("/new/\n"));
}

TEST_F(StoreTest, OpenKeyFailsWithoutRaising)
{
    writeStore("[SOFTWARE\\Borland\\Database Engine]\n");
    struct Case {
        const char *name;
        HKEY root;
        unsigned access;
        bool denyWrite;
        bool failLoad;
        bool failSave;
        QString key;
        bool opens;
    };
    const QString missing = QStringLiteral("\\SOFTWARE\\Missing");
    const Case cases[] = {
        {"OtherRoot", HKEY_CURRENT_USER, KEY_ALL_ACCESS, false, false, false, kKey, false},
        {"NoRightToWrite", HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS, true, false, false, kKey, false},
        {"ReadAccessNeedsNoWrite", HKEY_LOCAL_MACHINE, KEY_READ, true, false, false, kKey, true},
        {"ReadAccessNeverCreates", HKEY_LOCAL_MACHINE, KEY_READ, false, false, false, missing, false},
        {"UnreadableStore", HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS, false, true, false, kKey, false},
        {"CreationFails", HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS, false, false, true, missing, false},
        {"BadKeyName", HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS, false, false, false,
         QStringLiteral("a]b"), false},
    };
    for (const Case &c : cases) {
        m_access.denyWrite = c.denyWrite;
        m_access.failLoad = c.failLoad;
        m_access.failSave = c.failSave;
        TRegistry reg(c.access);
        reg.setRootKey(c.root);
        EXPECT_EQ(reg.OpenKey(c.key, true), c.opens) << c.name;
    }
    EXPECT_EQ(readStore(), "[SOFTWARE\\Borland\\Database Engine]\n");
}

TEST_F(StoreTest, StorePathsThatAreNoFileCannotBeOpened)
{
    ASSERT_TRUE(QDir().mkpath(storePath())); // a folder where the file should be
    TRegistry reg;
    reg.setRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKey(kKey, true));
    TRegistry reader(KEY_READ);
    reader.setRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reader.OpenKey(kKey, false));
}

TEST_F(StoreTest, ReadAndWriteFailuresRaise)
{
    writeStore("[SOFTWARE\\Borland\\Database Engine]\nDLLPATH=sz:\n");
    TRegistry reg;
    reg.setRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(kKey, false));

    m_access.failLoad = true;
    try {
        reg.ReadString(kName);
        FAIL() << "no error raised";
    } catch (const ERegistryException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Failed to get data for 'DLLPATH'"));
    }
    m_access.failLoad = false;
    m_access.failSave = true;
    try {
        reg.WriteString(kName, QStringLiteral("/x/"));
        FAIL() << "no error raised";
    } catch (const ERegistryException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Failed to set data for 'DLLPATH'"));
    }
    m_access.failSave = false;
    reg.CloseKey();
    EXPECT_TRUE(reg.ReadString(kName).isEmpty()); // no key open
    EXPECT_THROW(reg.WriteString(kName, QStringLiteral("/x/")), ERegistryException);
    EXPECT_EQ(readStore(), "[SOFTWARE\\Borland\\Database Engine]\nDLLPATH=sz:\n");
}

TEST_F(StoreTest, AReadOnlyStoreCannotBeOpenedForAllAccess)
{
    writeStore("[SOFTWARE\\Borland\\Database Engine]\nDLLPATH=sz:\n");
    ASSERT_TRUE(QFile::setPermissions(storePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    setStoreFileAccessForTesting(nullptr); // the real file system: its mode bits decide, root included
    TRegistry reg;
    reg.setRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKey(kKey, true));
}

TEST_F(StoreTest, GarbageInTheStoreReadsWithoutACrash)
{
    const char raw[] = "\0\xFF[\n]\n=\n[SOFTWARE\\Borland\\Database Engine\n\\x\n";
    QByteArray garbage(raw, sizeof raw - 1);
    garbage += QByteArray(1 << 20, '\\');
    garbage += "\n[SOFTWARE\\Borland\\Database Engine]\nDLLPATH=sz:\\x\\\n";
    writeStore(garbage);
    TRegistry reg;
    reg.setRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_EQ(reg.ReadString(kName), QStringLiteral("\\x\\"));
}

} // namespace
