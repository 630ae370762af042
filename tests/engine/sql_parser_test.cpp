#include "sql_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "sql_lexer.h"

namespace {

using dbe::sql::Condition;
using dbe::sql::Operand;

struct ParseCase
{
    const char *what;
    const char *sql;
    int code;               // DBE_OK or the failure's code
    const char *tokenLine;  // for failures: the line naming the token
};

class ParseStatement : public ::testing::TestWithParam<ParseCase>
{};

TEST_P(ParseStatement, AcceptsOrRejectsNamingTheToken)
{
    const ParseCase &c = GetParam();
    dbe::sql::SelectStatement st;
    const dbe::Status s = dbe::sql::parseSelect(c.sql, st);
    EXPECT_EQ(s.code(), c.code) << c.what;
    if (c.code != DBE_OK) {
        ASSERT_GE(s.lines().size(), 2u) << c.what;
        EXPECT_EQ(s.lines()[1], c.tokenLine) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ParseStatement,
    ::testing::Values(
        ParseCase{"full list", "select * from 'D:/x/TelBase.dbf'\nORDER BY FIO", DBE_OK, ""},
        ParseCase{"name search", "select * from 'D:/x/TelBase.dbf'\nwhere FIO like '%Iv%'\nORDER BY FIO",
                  DBE_OK, ""},
        ParseCase{"number search", "select * from '/p/TelBase.dbf'\nwhere kab=:kab\nORDER BY FIO",
                  DBE_OK, ""},
        ParseCase{"keywords in any case", "SeLeCt * FrOm t WhErE a = 1 oRdEr By a DeSc", DBE_OK, ""},
        ParseCase{"every operator",
                  "select * from t where a=1 or a<>1 or a!=1 or a<1 or a>1 or a<=1 or a>=1", DBE_OK, ""},
        ParseCase{"and, or, not, parentheses",
                  "select * from t where not (a = 1 or b like 'x') and not c < -2", DBE_OK, ""},
        ParseCase{"not like", "select * from t where a not like 'x%'", DBE_OK, ""},
        ParseCase{"several order terms", "select * from t order by a asc, b desc, c", DBE_OK, ""},
        ParseCase{"field list", "select FIO, KAB from t", DBE_OK, ""},
        ParseCase{"final semicolon", "select * from t;", DBE_OK, ""},
        ParseCase{"parameter before a parenthesis", "select * from t where (a=:a)", DBE_OK, ""},
        ParseCase{"parameter at a line end", "select * from t where a=:a\n", DBE_OK, ""},
        ParseCase{"no from", "select *", DBE_SYNTAX, "Token: end of statement."},
        ParseCase{"misspelt keyword", "selec * from t", DBE_SYNTAX, "Token: selec"},
        ParseCase{"missing operand", "select * from t where a =", DBE_SYNTAX,
                  "Token: end of statement."},
        ParseCase{"extra token", "select * from t order by a b", DBE_SYNTAX, "Token: b"},
        ParseCase{"unclosed parenthesis", "select * from t where (a = 1", DBE_SYNTAX,
                  "Token: end of statement."},
        ParseCase{"unterminated text", "select * from 'abc", DBE_SYNTAX, "Token: 'abc"},
        ParseCase{"stray character", "select * from t where a # 1", DBE_SYNTAX, "Token: #"},
        ParseCase{"colon without a name", "select * from t where a = : ", DBE_SYNTAX, "Token: :"},
        ParseCase{"keyword as a field", "select * from t where from = 1", DBE_SYNTAX,
                  "Token: from"},
        ParseCase{"order without by", "select * from t order a", DBE_SYNTAX, "Token: a"}));

TEST(ParseStatement, UnquotesTextAndPathWithDoubledQuotes)
{
    dbe::sql::SelectStatement st;
    ASSERT_TRUE(dbe::sql::parseSelect(
        "select * from '/d/O''Hara/TelBase.dbf'\nwhere FIO like '%O''Neil%'\nORDER BY FIO", st));
    EXPECT_EQ(st.table, "/d/O'Hara/TelBase.dbf");
    ASSERT_TRUE(st.where);
    EXPECT_EQ(st.where->kind, Condition::Kind::Like);
    EXPECT_EQ(st.where->left.text, "FIO");
    EXPECT_EQ(st.where->right.kind, Operand::Kind::Text);
    EXPECT_EQ(st.where->right.text, "%O'Neil%");
    ASSERT_EQ(st.orderBy.size(), 1u);
    EXPECT_EQ(st.orderBy[0].field, "FIO");
}

TEST(ParseStatement, BareTableNameGetsTheExtension)
{
    const std::pair<const char *, const char *> cases[] = {
        {"select * from TelBase", "TelBase.dbf"},
        {"select * from TelBase.dbf", "TelBase.dbf"},
        {"select * from \"My Table.dbf\"", "My Table.dbf"},
        {"select * from ''", ""}};
    for (auto [sql, table] : cases) {
        dbe::sql::SelectStatement st;
        ASSERT_TRUE(dbe::sql::parseSelect(sql, st)) << sql;
        EXPECT_EQ(st.table, table) << sql;
    }
}

struct ParamCase
{
    const char *sql;
    const char *name;
};

class ParameterNames : public ::testing::TestWithParam<ParamCase>
{};

TEST_P(ParameterNames, EndAtBlankCommaSemicolonParenthesisOrLineEnd)
{
    std::vector<dbe::sql::Token> tokens;
    ASSERT_TRUE(dbe::sql::tokenize(GetParam().sql, tokens));
    std::string found;
    for (const auto &t : tokens) {
        if (t.kind == dbe::sql::TokenKind::Parameter)
            found = t.text;
    }
    EXPECT_EQ(found, GetParam().name) << GetParam().sql;
}

INSTANTIATE_TEST_SUITE_P(Terminators, ParameterNames,
                         ::testing::Values(ParamCase{"kab=:kab", "kab"},
                                           ParamCase{"kab=:kab\nORDER BY FIO", "kab"},
                                           ParamCase{"kab=:kab\r\nORDER", "kab"},
                                           ParamCase{"(kab=:kab)", "kab"},
                                           ParamCase{"kab=:kab, x", "kab"},
                                           ParamCase{"kab=:kab;", "kab"},
                                           ParamCase{"kab=:kab x", "kab"},
                                           ParamCase{"kab=:k=b ", "k=b"},
                                           ParamCase{"'a :notparam' = :p", "p"}));

TEST(ParseStatement, ListsEachParameterOnce)
{
    dbe::sql::SelectStatement st;
    ASSERT_TRUE(dbe::sql::parseSelect("select * from t where a=:Kab or b=:kab or c=:n", st));
    EXPECT_EQ(st.parameters, (std::vector<std::string>{"Kab", "n"}));
}

TEST(ParseStatement, RefusesHostileNesting)
{
    std::string deep = "select * from t where " + std::string(5000, '(') + "a=1" +
                       std::string(5000, ')');
    dbe::sql::SelectStatement st;
    EXPECT_EQ(dbe::sql::parseSelect(deep, st).code(), DBE_SYNTAX);
    std::string wide = "select * from t where a=1";
    for (int i = 0; i < 5000; ++i)
        wide += " and a=1";
    EXPECT_EQ(dbe::sql::parseSelect(wide, st).code(), DBE_SYNTAX);
}

} // namespace
