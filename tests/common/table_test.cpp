#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "dataset.h"
#include "dbftestutil.h"
#include "exceptions.h"

namespace {

using dbftest::Record;

// The FIO values of the live records, read from the file's bytes.
QStringList storedNames(const QString &path)
{
    const QByteArray bytes = dbftest::readFile(path);
    if (bytes.size() < dbftest::HeaderSize)
        return {QStringLiteral("<no file>")};
    auto u16 = [&](int at) { return int(uint8_t(bytes[at])) | int(uint8_t(bytes[at + 1])) << 8; };
    auto u32 = [&](int at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
    const uint32_t count = u32(4);
    const int headerSize = u16(8);
    const int recordSize = u16(10);
    const int fioLength = uint8_t(bytes[dbftest::HeaderSize + 16]);
    QStringList names;
    for (uint32_t i = 0; i < count; ++i) {
        const qsizetype at = headerSize + qsizetype(i) * recordSize;
        if (at + recordSize > bytes.size())
            break;
        if (bytes[at] == '*')
            continue;
        names << Cp1251::toUnicode(bytes.mid(at + 1, fioLength)).trimmed();
    }
    return names;
}

class TableFixture : public testing::Test
{
protected:
    void SetUp() override { dbftest::useBuiltEngine(); }

    QString writeTable(const std::vector<Record> &records)
    {
        m_path = m_dir.path() + QStringLiteral("/Telbase.dbf");
        dbftest::writeFile(m_path, dbftest::makeDbf(dbftest::directoryFields(), records));
        return m_path;
    }

    void open()
    {
        m_table.SetTableName(m_path);
        m_table.Open();
    }

    QTemporaryDir m_dir;
    QString m_path;
    TTable m_table;
};

// ---- The current entry's state machine -------------------------------------------------

struct StateCase
{
    const char *name;
    bool empty;                 // start from an empty table instead of A, B, C
    std::vector<const char *> actions;
    TDataSetState state;
    int recNo;
    bool bof;
    bool eof;
    int recordCount;
    QStringList stored;         // FIO of the live records in the file afterwards
};

void PrintTo(const StateCase &c, std::ostream *os) { *os << c.name; }

class TableStateTest : public TableFixture, public testing::WithParamInterface<StateCase>
{
protected:
    void act(const QString &action)
    {
        if (action == u"first") m_table.First();
        else if (action == u"prior") m_table.Prior();
        else if (action == u"next") m_table.Next();
        else if (action == u"last") m_table.Last();
        else if (action == u"insert") m_table.Insert();
        else if (action == u"append") m_table.Append();
        else if (action == u"edit") m_table.Edit();
        else if (action == u"post") m_table.Post();
        else if (action == u"cancel") m_table.Cancel();
        else if (action == u"delete") m_table.Delete();
        else if (action.startsWith(u"row=")) m_table.MoveTo(action.mid(4).toInt());
        else if (action.startsWith(u"FIO=")) m_table.FieldByName(QStringLiteral("FIO"))->SetAsString(action.mid(4));
        else FAIL() << "unknown action " << action.toStdString();
    }
};

TEST_P(TableStateTest, ActionGivesStateAndFile)
{
    const StateCase &c = GetParam();
    if (c.empty)
        writeTable({});
    else
        writeTable({{{"A", "", "", "1"}}, {{"B", "", "", "2"}}, {{"X", "", "", ""}, true}, {{"C", "", "", "3"}}});
    open();
    for (const char *action : c.actions)
        act(QString::fromUtf8(action));
    EXPECT_EQ(m_table.State(), c.state);
    EXPECT_EQ(m_table.RecNo(), c.recNo);
    EXPECT_EQ(m_table.Bof(), c.bof);
    EXPECT_EQ(m_table.Eof(), c.eof);
    EXPECT_EQ(m_table.RecordCount(), c.recordCount);
    EXPECT_EQ(storedNames(m_path), c.stored);
}

const QStringList ABC {"A", "B", "C"};

INSTANTIATE_TEST_SUITE_P(
    Actions, TableStateTest,
    testing::Values(
        StateCase {"Opened", false, {}, dsBrowse, 0, true, false, 3, ABC},
        StateCase {"Next", false, {"next"}, dsBrowse, 1, false, false, 3, ABC},
        StateCase {"PriorAtFirst", false, {"prior"}, dsBrowse, 0, true, false, 3, ABC},
        StateCase {"NextThenPrior", false, {"next", "prior"}, dsBrowse, 0, false, false, 3, ABC},
        StateCase {"Last", false, {"last"}, dsBrowse, 2, false, true, 3, ABC},
        StateCase {"NextAtLast", false, {"last", "next"}, dsBrowse, 2, false, true, 3, ABC},
        StateCase {"NextOntoLast", false, {"next", "next"}, dsBrowse, 2, false, false, 3, ABC},
        StateCase {"NextPastLast", false, {"next", "next", "next"}, dsBrowse, 2, false, true, 3, ABC},
        StateCase {"LastThenFirst", false, {"last", "first"}, dsBrowse, 0, true, false, 3, ABC},
        StateCase {"ClickOnRow", false, {"row=2"}, dsBrowse, 2, false, false, 3, ABC},
        StateCase {"Edit", false, {"edit"}, dsEdit, 0, true, false, 3, ABC},
        StateCase {"EditPost", false, {"edit", "FIO=Z", "post"}, dsBrowse, 0, true, false, 3, {"Z", "B", "C"}},
        StateCase {"EditCancel", false, {"edit", "FIO=Z", "cancel"}, dsBrowse, 0, true, false, 3, ABC},
        StateCase {"EditedThenMoved", false, {"next", "edit", "FIO=Z", "next"}, dsBrowse, 2, false, false, 3, {"A", "Z", "C"}},
        StateCase {"UntouchedEditThenMoved", false, {"edit", "next"}, dsBrowse, 1, false, false, 3, ABC},
        StateCase {"EditedThenClick", false, {"edit", "FIO=Z", "row=2"}, dsBrowse, 2, false, false, 3, {"Z", "B", "C"}},
        StateCase {"Insert", false, {"next", "insert"}, dsInsert, 1, false, false, 4, ABC},
        StateCase {"InsertCancel", false, {"next", "insert", "cancel"}, dsBrowse, 1, false, false, 3, ABC},
        StateCase {"InsertPostGoesToTheEnd", false, {"next", "insert", "FIO=N", "post"}, dsBrowse, 3, false, false, 4, {"A", "B", "C", "N"}},
        StateCase {"UntouchedInsertThenMoved", false, {"next", "insert", "next"}, dsBrowse, 2, false, false, 3, ABC},
        StateCase {"InsertedThenInsertAgain", false, {"insert", "FIO=N", "insert"}, dsInsert, 3, false, false, 5, {"A", "B", "C", "N"}},
        StateCase {"UntouchedInsertPosted", false, {"insert", "post"}, dsBrowse, 3, false, false, 4, {"A", "B", "C", ""}},
        StateCase {"Append", false, {"append"}, dsInsert, 3, false, true, 4, ABC},
        StateCase {"AppendThenPrior", false, {"append", "prior"}, dsBrowse, 1, false, false, 3, ABC},
        StateCase {"AppendCancel", false, {"append", "cancel"}, dsBrowse, 2, false, true, 3, ABC},
        StateCase {"AppendPost", false, {"append", "FIO=N", "post"}, dsBrowse, 3, false, true, 4, {"A", "B", "C", "N"}},
        StateCase {"AppendedThenFirst", false, {"append", "FIO=N", "first"}, dsBrowse, 0, true, false, 4, {"A", "B", "C", "N"}},
        StateCase {"Delete", false, {"delete"}, dsBrowse, 0, false, false, 2, {"B", "C"}},
        StateCase {"DeleteLast", false, {"last", "delete"}, dsBrowse, 1, false, false, 2, {"A", "B"}},
        StateCase {"DeleteWhileEditing", false, {"edit", "FIO=Z", "delete"}, dsBrowse, 0, false, false, 2, {"B", "C"}},
        StateCase {"DeleteANewEntry", false, {"insert", "FIO=N", "delete"}, dsBrowse, 0, true, false, 3, ABC},
        StateCase {"EmptyOpened", true, {}, dsBrowse, -1, true, true, 0, {}},
        StateCase {"EmptyMoves", true, {"next", "last", "prior"}, dsBrowse, -1, true, true, 0, {}},
        StateCase {"EmptyEditInserts", true, {"edit"}, dsInsert, 0, false, false, 1, {}},
        StateCase {"EmptyInsertCancel", true, {"insert", "cancel"}, dsBrowse, -1, true, true, 0, {}},
        StateCase {"EmptyFirstEntry", true, {"insert", "FIO=N", "post"}, dsBrowse, 0, false, false, 1, {"N"}},
        StateCase {"EmptyAppendThenPrior", true, {"append", "prior"}, dsBrowse, -1, true, true, 0, {}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Values of the current entry ---------------------------------------------------------

TEST_F(TableFixture, PendingValuesShowUntilPostedOrDropped)
{
    writeTable({{{"Иванов", "Склад", "", "12"}}});
    open();
    TField *kab = m_table.FieldByName(QStringLiteral("kab"));
    EXPECT_EQ(kab->AsString(), QStringLiteral("12"));
    m_table.Edit();
    kab->SetAsString(QStringLiteral("305"));
    EXPECT_TRUE(m_table.Modified());
    EXPECT_EQ(m_table.DisplayText(0, kab->Index()), QStringLiteral("305"));
    m_table.Cancel();
    EXPECT_FALSE(m_table.Modified());
    EXPECT_EQ(kab->AsString(), QStringLiteral("12"));
    m_table.Edit();
    kab->SetAsString(QString());
    m_table.FieldByName(QStringLiteral("FIO"))->SetAsString(QStringLiteral("Петров"));
    m_table.Post();
    EXPECT_EQ(kab->AsString(), QString());
    EXPECT_EQ(m_table.DisplayText(0, 0), QStringLiteral("Петров"));
    EXPECT_EQ(storedNames(m_path), QStringList {"Петров"});
}

TEST_F(TableFixture, ConversionErrorKeepsTheEntryEditing)
{
    writeTable({{{"A", "", "", "12"}}, {{"B", "", "", "13"}}});
    open();
    m_table.Edit();
    m_table.FieldByName(QStringLiteral("FIO"))->SetAsString(QStringLiteral("Z"));
    try {
        m_table.FieldByName(QStringLiteral("KAB"))->SetAsString(QStringLiteral("12a"));
        FAIL() << "took letters in a number field";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'12a' is not a valid integer value for field 'KAB'"));
    }
    EXPECT_EQ(m_table.State(), dsEdit);
    EXPECT_EQ(m_table.FieldByName(QStringLiteral("KAB"))->AsString(), QStringLiteral("12"));
    EXPECT_EQ(m_table.FieldByName(QStringLiteral("FIO"))->AsString(), QStringLiteral("Z"));
}

TEST_F(TableFixture, SettingAFieldNeedsEditing)
{
    writeTable({{{"A"}}});
    open();
    try {
        m_table.Fields(0)->SetAsString(QStringLiteral("B"));
        FAIL() << "set a field while browsing";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Dataset not in edit or insert mode"));
    }
}

TEST_F(TableFixture, EngineRefusalOnPostKeepsThePendingEntry)
{
    writeTable({{{"A", "", "", "12"}}});
    open();
    m_table.Edit();
    // A whole number that is valid but too wide for N(6): the engine refuses it.
    m_table.FieldByName(QStringLiteral("KAB"))->SetAsString(QStringLiteral("12345678"));
    EXPECT_THROW(m_table.Post(), EDBEngineError);
    EXPECT_EQ(m_table.State(), dsEdit);
    EXPECT_EQ(m_table.FieldByName(QStringLiteral("KAB"))->AsString(), QStringLiteral("12345678"));
    // A move tries the post first and stays when it fails.
    EXPECT_THROW(m_table.Next(), EDBEngineError);
    EXPECT_EQ(m_table.State(), dsEdit);
    m_table.Cancel();
    EXPECT_EQ(m_table.FieldByName(QStringLiteral("KAB"))->AsString(), QStringLiteral("12"));
}

TEST_F(TableFixture, RenamingAnOpenTableIsAnError)
{
    writeTable({{{"A"}}});
    open();
    try {
        m_table.SetTableName(m_dir.path() + QStringLiteral("/other.dbf"));
        FAIL() << "renamed an open table";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot perform this operation on an open dataset"));
    }
    EXPECT_EQ(m_table.TableName(), m_path);
    m_table.Close();
    m_table.SetTableName(m_dir.path() + QStringLiteral("/other.dbf"));
    EXPECT_THROW(m_table.Open(), EDBEngineError);
    EXPECT_FALSE(m_table.Active());
}

TEST_F(TableFixture, FileNameLetterCaseDoesNotMatter)
{
    m_path = m_dir.path() + QStringLiteral("/TELBASE.DBF");
    dbftest::writeFile(m_path, dbftest::makeDbf(dbftest::directoryFields(), {{{"A"}}}));
    m_table.SetTableName(m_dir.path() + QStringLiteral("/Telbase.dbf"));
    m_table.Open();
    EXPECT_EQ(m_table.RecordCount(), 1);
}

TEST_F(TableFixture, FolderWithCyrillicName)
{
    QDir(m_dir.path()).mkdir(QStringLiteral("Справочник"));
    m_path = m_dir.path() + QStringLiteral("/Справочник/Telbase.dbf");
    dbftest::writeFile(m_path, dbftest::makeDbf(dbftest::directoryFields(), {{{"Иванов"}}}));
    open();
    EXPECT_EQ(m_table.DisplayText(0, 0), QStringLiteral("Иванов"));
}

TEST_F(TableFixture, CloseDropsPendingChanges)
{
    writeTable({{{"A"}}});
    open();
    m_table.Edit();
    m_table.Fields(0)->SetAsString(QStringLiteral("Z"));
    m_table.Close();
    EXPECT_EQ(m_table.State(), dsInactive);
    EXPECT_EQ(storedNames(m_path), QStringList {"A"});
    // The lock went with the close: a new open can edit at once.
    open();
    m_table.Edit();
    EXPECT_EQ(m_table.State(), dsEdit);
}

// ---- A table the engine opens for reading only ---------------------------------------------

// The stand-in engine opens every table read-only (whether a file can be written is the
// engine's decision, and the tests run as root, who may write any file).
TEST_F(TableFixture, ReadOnlyTableOpensWithoutErrorAndRefusesChanges)
{
    EngineLoader::instance().SetFolders({QStringLiteral(STUB_ENGINES_DIR "/complete")});
    m_path = m_dir.path() + QStringLiteral("/Telbase.dbf");
    open();
    EXPECT_TRUE(m_table.Active());
    EXPECT_FALSE(m_table.CanModify());
    EXPECT_EQ(m_table.RecordCount(), 2);
    EXPECT_EQ(m_table.DisplayText(1, 0), QStringLiteral("B"));
    for (auto action : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append, &TDataSet::Delete}) {
        try {
            (m_table.*action)();
            ADD_FAILURE() << "a read-only table was changed";
        } catch (const EDatabaseError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot modify a read-only dataset"));
        }
        EXPECT_EQ(m_table.State(), dsBrowse);
        EXPECT_EQ(m_table.RecordCount(), 2);
    }
    m_table.Next();
    EXPECT_EQ(m_table.RecNo(), 1);
}

// ---- A record locked by another process ---------------------------------------------------

// A child process that opens the table through the engine's C API and locks a record
// until told to stop.
class LockHolder
{
public:
    LockHolder(const QString &path, uint32_t recno)
    {
        if (pipe(m_ready) != 0 || pipe(m_release) != 0)
            return;
        m_child = fork();
        if (m_child == 0) {
            EngineLoader loader({QStringLiteral(FONVIK_ENGINE_DIR)});
            char ok = 'n';
            try {
                dbe_engine *engine = loader.Engine();
                dbe_table *table = nullptr;
                if (loader.Api().table_open(engine, path.toLocal8Bit().constData(), &table) == DBE_OK &&
                    loader.Api().table_lock(table, recno) == DBE_OK)
                    ok = 'y';
            } catch (...) {
            }
            (void)!write(m_ready[1], &ok, 1);
            char stop;
            (void)!read(m_release[0], &stop, 1);
            _exit(0);
        }
        char ok = 'n';
        (void)!read(m_ready[0], &ok, 1);
        m_locked = ok == 'y';
    }
    ~LockHolder() { release(); }

    bool locked() const { return m_locked; }
    void release()
    {
        if (m_child <= 0)
            return;
        (void)!write(m_release[1], "x", 1);
        waitpid(m_child, nullptr, 0);
        m_child = -1;
    }

private:
    int m_ready[2] = {-1, -1};
    int m_release[2] = {-1, -1};
    pid_t m_child = -1;
    bool m_locked = false;
};

TEST_F(TableFixture, RecordLockedElsewhereStaysBrowsing)
{
    writeTable({{{"A"}}, {{"B"}}});
    open();
    LockHolder holder(m_path, 1);
    ASSERT_TRUE(holder.locked());
    try {
        m_table.Edit();
        FAIL() << "edited a record locked by another process";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.code(), DBE_LOCKED);
        EXPECT_FALSE(e.Message().isEmpty());
    }
    EXPECT_EQ(m_table.State(), dsBrowse);
    // Another entry is free.
    m_table.Next();
    m_table.Edit();
    EXPECT_EQ(m_table.State(), dsEdit);
    m_table.Cancel();
    holder.release();
    m_table.First();
    m_table.Edit();
    EXPECT_EQ(m_table.State(), dsEdit);
}

// Our own lock is held while editing, so another process cannot take it.
TEST_F(TableFixture, EditHoldsTheLockUntilPost)
{
    writeTable({{{"A"}}});
    open();
    m_table.Edit();
    {
        LockHolder holder(m_path, 1);
        EXPECT_FALSE(holder.locked());
    }
    m_table.Post();
    LockHolder holder(m_path, 1);
    EXPECT_TRUE(holder.locked());
}

} // namespace
