#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "dataset.h"
#include "dbftestutil.h"
#include "exceptions.h"

namespace {

// ---- Parameter markers ---------------------------------------------------------------

struct NamesCase
{
    const char *name;
    const char *text;
    QStringList expected;
};

void PrintTo(const NamesCase &c, std::ostream *os) { *os << c.name; }

class FindNamesTest : public testing::TestWithParam<NamesCase>
{};

TEST_P(FindNamesTest, FindsMarkersOutsideQuotes)
{
    EXPECT_EQ(TParams::FindNames(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, FindNamesTest,
    testing::Values(
        NamesCase {"EndsAtLineEnd", "where kab=:kab", {"kab"}},
        NamesCase {"EndsAtLineBreak", "where kab=:kab\nORDER BY FIO\n", {"kab"}},
        NamesCase {"EndsAtCrLf", "where kab=:kab\r\nORDER BY FIO", {"kab"}},
        NamesCase {"EndsAtBlank", "where a=:x and b=1", {"x"}},
        NamesCase {"EndsAtComma", "values (:x,:y)", {"x", "y"}},
        NamesCase {"EndsAtSemicolon", "where a=:x;", {"x"}},
        NamesCase {"EndsAtParenthesis", "where (a=:x)", {"x"}},
        NamesCase {"OtherCharactersBelongToTheName", "where a=:x+1", {"x+1"}},
        NamesCase {"InsideSingleQuotes", "where FIO like '%:x%'", {}},
        NamesCase {"InsideDoubleQuotes", "where FIO = \":x\"", {}},
        NamesCase {"AfterDoubledQuote", "where FIO = 'it''s :x' and a=:y", {"y"}},
        NamesCase {"AfterQuotedText", "select * from 'D:\\Data\\TelBase.dbf' where kab=:kab",
                   {"kab"}},
        NamesCase {"EachNameOnce", "where a=:x or b=:X or c=:y", {"x", "y"}},
        NamesCase {"DoubleColonIsAColon", "where a='1' and b::c", {}},
        NamesCase {"BareColon", "where a = : b", {}},
        NamesCase {"Cyrillic", "where a=:номер", {"номер"}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- The statement's lines and the parameters kept across changes ---------------------

TEST(QueryLinesTest, TextIsEachLineWithABreak)
{
    TQuery query;
    query.SQL.Add(QStringLiteral("select * from 'TelBase.dbf'"));
    query.SQL.Add(QStringLiteral("ORDER BY FIO"));
    EXPECT_EQ(query.SQL.Count(), 2);
    EXPECT_EQ(query.SQL.Strings(1), QStringLiteral("ORDER BY FIO"));
    EXPECT_EQ(query.SQL.Text(), QStringLiteral("select * from 'TelBase.dbf'\nORDER BY FIO\n"));
    query.SQL.Clear();
    EXPECT_EQ(query.SQL.Count(), 0);
    EXPECT_EQ(query.SQL.Text(), QString());
}

// The viewer's order of moves: the value is set before the last line is added.
TEST(QueryLinesTest, ValueKeptWhileTheNameStays)
{
    TQuery query;
    query.SQL.Add(QStringLiteral("select * from 'TelBase.dbf'"));
    query.SQL.Add(QStringLiteral("where kab=:kab"));
    query.ParamByName(QStringLiteral("kab"))->SetAsInteger(12);
    query.SQL.Add(QStringLiteral("ORDER BY FIO"));
    ASSERT_EQ(query.Params.Count(), 1);
    const TParam *kab = query.ParamByName(QStringLiteral("KAB"));
    EXPECT_EQ(kab->Type(), TParam::Integer);
    EXPECT_EQ(kab->AsInteger(), 12);
}

TEST(QueryLinesTest, ValueKeptWhenOnlyTheCaseChanges)
{
    TQuery query;
    query.SQL.Add(QStringLiteral("where nvnutr=:nvnutr"));
    query.ParamByName(QStringLiteral("nvnutr"))->SetAsInteger(-5);
    query.SQL.SetText(QStringLiteral("where NVNUTR=:NVNUTR and kab=:kab"));
    ASSERT_EQ(query.Params.Count(), 2);
    EXPECT_EQ(query.Params.Items(0)->AsInteger(), -5);
    EXPECT_TRUE(query.Params.Items(1)->IsNull());
}

TEST(QueryLinesTest, ValueDroppedWhenTheNameGoes)
{
    TQuery query;
    query.SQL.Add(QStringLiteral("where kab=:kab"));
    query.ParamByName(QStringLiteral("kab"))->SetAsInteger(7);
    query.SQL.Clear();
    EXPECT_EQ(query.Params.Count(), 0);
    query.SQL.Add(QStringLiteral("where kab=:kab"));
    EXPECT_TRUE(query.ParamByName(QStringLiteral("kab"))->IsNull());
}

TEST(QueryLinesTest, UnknownParameterRaises)
{
    TQuery query;
    query.SQL.Add(QStringLiteral("where kab=:kab"));
    try {
        query.ParamByName(QStringLiteral("ngorod"));
        FAIL() << "found a parameter that is not there";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Parameter 'ngorod' not found"));
    }
    EXPECT_EQ(query.Params.FindParam(QStringLiteral("ngorod")), nullptr);
}

TEST(QueryLinesTest, ParameterWithoutValueStopsTheOpen)
{
    EngineLoader::instance().SetFolders({QStringLiteral(STUB_ENGINES_DIR "/complete")});
    TQuery query;
    query.SQL.Add(QStringLiteral("select * from 'TelBase.dbf'"));
    query.SQL.Add(QStringLiteral("where kab=:kab"));
    try {
        query.Open();
        FAIL() << "opened without a value";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("No value for parameter 'kab'"));
    }
    EXPECT_FALSE(query.Active());
}

// ---- Queries over a tiny table ---------------------------------------------------------

class QueryTableTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dbftest::useBuiltEngine();
        m_path = m_dir.path() + QStringLiteral("/TelBase.dbf");
        dbftest::writeFile(
            m_path, dbftest::makeDbf(dbftest::directoryFields(),
                                     {{{"Сидоров", "Склад", "Кладовщик", "12", "201", "4951112233", "+7 901"}},
                                      {{"Иванов", "Бухгалтерия", "Бухгалтер", "7", "105", "", ""}},
                                      {{"Удалённый", "", "", "12", "", "", ""}, true},
                                      {{"Петров", "Склад", "", "12", "202", "", ""}},
                                      {{"Иванов", "Отдел кадров", "", "3", "", "", ""}}}));
    }

    void setStatement(const QString &condition)
    {
        m_query.Close();
        m_query.SQL.Clear();
        m_query.SQL.Add(QStringLiteral("select * from '") + m_path + u'\'');
        if (!condition.isEmpty())
            m_query.SQL.Add(condition);
        m_query.SQL.Add(QStringLiteral("ORDER BY FIO"));
    }

    QStringList column(int field) const
    {
        QStringList out;
        for (int row = 0; row < m_query.RecordCount(); ++row)
            out << m_query.DisplayText(row, field);
        return out;
    }

    QTemporaryDir m_dir;
    QString m_path;
    TQuery m_query;
};

TEST_F(QueryTableTest, FullListInNameOrder)
{
    setStatement(QString());
    m_query.Open();
    ASSERT_TRUE(m_query.Active());
    EXPECT_EQ(m_query.FieldCount(), 7);
    EXPECT_EQ(m_query.Fields(0)->FieldName(), QStringLiteral("FIO"));
    EXPECT_EQ(column(0), (QStringList {"Иванов", "Иванов", "Петров", "Сидоров"}));
    EXPECT_EQ(m_query.DisplayText(3, 1), QStringLiteral("Склад"));
    EXPECT_EQ(m_query.DisplayText(3, 5), QStringLiteral("4951112233"));
    EXPECT_EQ(m_query.RecNo(), 0);
    EXPECT_TRUE(m_query.Bof());
    EXPECT_FALSE(m_query.Eof());
}

TEST_F(QueryTableTest, IntegerParameterSelectsRows)
{
    setStatement(QString());
    m_query.SQL.Clear();
    m_query.SQL.Add(QStringLiteral("select * from '") + m_path + u'\'');
    m_query.SQL.Add(QStringLiteral("where kab=:kab"));
    m_query.ParamByName(QStringLiteral("kab"))->SetAsInteger(12);
    m_query.SQL.Add(QStringLiteral("ORDER BY FIO"));
    m_query.Open();
    EXPECT_EQ(column(0), (QStringList {"Петров", "Сидоров"}));
}

TEST_F(QueryTableTest, ResultIsReadOnly)
{
    setStatement(QString());
    m_query.Open();
    EXPECT_FALSE(m_query.CanModify());
    for (auto action : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append, &TDataSet::Delete}) {
        try {
            (m_query.*action)();
            ADD_FAILURE() << "a read-only result was changed";
        } catch (const EDatabaseError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot modify a read-only dataset"));
        }
        EXPECT_EQ(m_query.State(), dsBrowse);
    }
}

TEST_F(QueryTableTest, ChangingTheLinesClosesTheResult)
{
    setStatement(QString());
    m_query.Open();
    m_query.SQL.Add(QStringLiteral("-- another line"));
    EXPECT_FALSE(m_query.Active());
    EXPECT_EQ(m_query.RecordCount(), 0);
}

TEST_F(QueryTableTest, FailedOpenStaysClosedWithItsLines)
{
    QFile::remove(m_path);
    setStatement(QString());
    try {
        m_query.Open();
        FAIL() << "opened a missing table";
    } catch (const EDBEngineError &e) {
        EXPECT_FALSE(e.Message().isEmpty());
        const QStringList lines = e.Message().split(u'\n');
        EXPECT_EQ(QSet<QString>(lines.begin(), lines.end()).size(), lines.size()) << e.what();
    }
    EXPECT_FALSE(m_query.Active());
    EXPECT_EQ(m_query.SQL.Count(), 2);
    EXPECT_EQ(m_query.RecordCount(), 0);
}

TEST_F(QueryTableTest, MovesOverTheResult)
{
    setStatement(QString());
    m_query.Open();
    m_query.Last();
    EXPECT_EQ(m_query.RecNo(), 3);
    EXPECT_TRUE(m_query.Eof());
    m_query.Next();
    EXPECT_EQ(m_query.RecNo(), 3);
    m_query.MoveTo(1);
    EXPECT_FALSE(m_query.Bof());
    EXPECT_FALSE(m_query.Eof());
    EXPECT_EQ(m_query.FieldByName(QStringLiteral("otdel"))->AsString(), QStringLiteral("Отдел кадров"));
}

} // namespace
