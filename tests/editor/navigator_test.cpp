// The navigator over the editor's table: enabled states in each state of the entry, the
// repeat of prior and next, and an entry locked by another process.

#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dbengine.h"
#include "editortest.h"

namespace {

struct StateCase
{
    const char *name;
    bool empty;          // start from an empty table
    const char *keys;    // keys pressed first: D down, U up, E ctrl+end, I insert, T types "x"
    const char *enabled; // per button First..Cancel: 1 enabled, 0 disabled
};

std::ostream &operator<<(std::ostream &out, const StateCase &c)
{
    return out << c.name;
}

class NavigatorStates : public EditorTest, public ::testing::WithParamInterface<StateCase>
{
};

TEST_P(NavigatorStates, EnableTheirButtons)
{
    const StateCase c = GetParam();
    if (c.empty)
        writeTable({});
    else
        writeAbc();
    start();
    for (const char *k = c.keys; *k; ++k) {
        switch (*k) {
        case 'D': key(Qt::Key_Down); break;
        case 'U': key(Qt::Key_Up); break;
        case 'E': key(Qt::Key_End, Qt::ControlModifier); break;
        case 'I': key(Qt::Key_Insert); break;
        case 'T': type(QStringLiteral("x")); break;
        case 'P': nav(nbPrior); break;
        case 'N': nav(nbNext); break;
        }
    }
    std::string enabled;
    for (int i = nbFirst; i <= nbCancel; ++i)
        enabled += form->DBNavigator1->button(TNavigateBtn(i))->isEnabled() ? '1' : '0';
    EXPECT_EQ(enabled, c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    States, NavigatorStates,
    ::testing::Values(
        //                       First Prior Next Last Insert Delete Edit Post Cancel
        StateCase{"AfterOpen", false, "", "001111100"},
        StateCase{"InTheMiddle", false, "D", "111111100"},
        StateCase{"BackOnTheFirstWithoutTryingBeyond", false, "DU", "111111100"},
        StateCase{"PriorTriedAtTheFirst", false, "NPP", "001111100"},
        StateCase{"OnTheLastWithoutTryingBeyond", false, "DD", "111111100"},
        StateCase{"AfterLast", false, "E", "110011100"},
        StateCase{"NextTriedAtTheLast", false, "NNN", "110011100"},
        StateCase{"Editing", false, "T", "001111011"},
        StateCase{"Inserting", false, "DI", "111111011"},
        StateCase{"Appending", false, "ED", "110011011"},
        StateCase{"EmptyTable", true, "", "000010100"},
        StateCase{"FirstEntryOfAnEmptyTable", true, "T", "111111011"}),
    [](const auto &info) { return std::string(info.param.name); });

// nbNext held down moves on repeatedly, and stops disabled at the table's end.
TEST_F(EditorTest, HeldNextRepeatsUntilTheEnd)
{
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 6; ++i)
        rows.push_back({"Entry" + std::to_string(i)});
    writeTable(rows);
    start();
    QToolButton *next = form->DBNavigator1->button(nbNext);
    EXPECT_TRUE(next->autoRepeat());
    EXPECT_EQ(next->autoRepeatDelay(), 400);
    EXPECT_EQ(next->autoRepeatInterval(), 100);
    EXPECT_EQ(form->DBNavigator1->button(nbPrior)->autoRepeatDelay(), 400);
    EXPECT_FALSE(form->DBNavigator1->button(nbFirst)->autoRepeat());

    QTest::mousePress(next, Qt::LeftButton);
    QTest::qWait(200);
    EXPECT_EQ(form->Table1->RecNo(), 0) << "a button acts when released, or after the delay";
    // Long enough for the delay and more repeats than there are entries.
    QTest::qWait(1600);
    QTest::mouseRelease(next, Qt::LeftButton);
    EXPECT_EQ(form->Table1->RecNo(), 5);
    EXPECT_TRUE(form->Table1->Eof());
    EXPECT_FALSE(next->isEnabled());
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Another process holds the lock of the first entry.
class LockedEntry : public EditorTest
{
protected:
    void TearDown() override
    {
        release();
        EditorTest::TearDown();
    }

    // Forks a process that opens the table through the engine and locks record recno.
    void lockInAnotherProcess(uint32_t recno)
    {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(m_release), 0);
        const std::string path = tablePath();
        const std::string module = std::string(FONVIK_ENGINE_DIR) + "/libdbengine.so";
        m_child = ::fork();
        ASSERT_GE(m_child, 0);
        if (m_child == 0) {
            char ok = '0';
            void *lib = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
            auto openEngine = lib ? reinterpret_cast<int (*)(dbe_engine **)>(::dlsym(lib, "dbe_open")) : nullptr;
            auto openTable = lib ? reinterpret_cast<int (*)(dbe_engine *, const char *, dbe_table **)>(::dlsym(lib, "dbe_table_open")) : nullptr;
            auto lock = lib ? reinterpret_cast<int (*)(dbe_table *, uint32_t)>(::dlsym(lib, "dbe_table_lock")) : nullptr;
            dbe_engine *engine = nullptr;
            dbe_table *table = nullptr;
            if (openEngine && openTable && lock && openEngine(&engine) == DBE_OK
                && openTable(engine, path.c_str(), &table) == DBE_OK && lock(table, recno) == DBE_OK)
                ok = '1';
            (void)!::write(ready[1], &ok, 1);
            char c;
            (void)!::read(m_release[0], &c, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        char ok = '0';
        ASSERT_EQ(::read(ready[0], &ok, 1), 1);
        ::close(ready[0]);
        ASSERT_EQ(ok, '1') << "the other process could not lock the entry";
    }

    void release()
    {
        if (m_child <= 0)
            return;
        (void)!::write(m_release[1], "x", 1);
        ::close(m_release[1]);
        ::close(m_release[0]);
        int status = 0;
        ::waitpid(m_child, &status, 0);
        m_child = -1;
    }

    pid_t m_child = -1;
    int m_release[2] = {-1, -1};
};

TEST_F(LockedEntry, ShowsTheEnginesErrorAndKeepsTheEntry)
{
    writeAbc();
    start();
    lockInAnotherProcess(1);

    type(QStringLiteral("Zed"));
    ASSERT_FALSE(errors.empty());
    const std::string lockError = errors.front();
    EXPECT_EQ(state(), dsBrowse);
    nav(nbEdit);
    EXPECT_EQ(errors.back(), lockError);
    EXPECT_EQ(state(), dsBrowse);

    // Another entry can be edited meanwhile.
    key(Qt::Key_Down);
    const size_t before = errors.size();
    type(QStringLiteral("Yo"));
    nav(nbPost);
    EXPECT_EQ(errors.size(), before) << errors.back();
    EXPECT_EQ(fileNames(), "Alpha,Yo,Charlie");

    release();
    key(Qt::Key_Up);
    type(QStringLiteral("Zed"));
    nav(nbPost);
    EXPECT_EQ(errors.size(), before) << errors.back();
    EXPECT_EQ(fileNames(), "Zed,Yo,Charlie");
}

// An entry posted in the editor is found by the viewer's statement that runs afterwards.
TEST_F(EditorTest, ViewerSeesAPostedEntry)
{
    writeAbc();
    start();
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Down);
    type(QStringLiteral("Borisov"));
    key(Qt::Key_Tab);
    type(QStringLiteral("Works"));
    nav(nbPost);
    ASSERT_TRUE(errors.empty()) << errors.front();

    TQuery query;
    query.SQL.Add(QStringLiteral("select * from '") + folder() + QStringLiteral("TelBase.dbf'"));
    query.SQL.Add(QStringLiteral("ORDER BY FIO"));
    query.Open();
    std::string names;
    for (int r = 0; r < query.RecordCount(); ++r)
        names += (r ? "," : "") + query.DisplayText(r, 0).toStdString();
    EXPECT_EQ(names, "Alpha,Borisov,Bravo,Charlie");
    EXPECT_EQ(query.DisplayText(1, 1).toStdString(), "Works");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
