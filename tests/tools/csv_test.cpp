#include "csv.h"

#include <gtest/gtest.h>

#include "cp1251.h"
#include "messages.h"

namespace telbase {
namespace {

struct ReadCase
{
    const char *name;
    std::string input;
    // Records as fields, with their start lines; an error marks a faulty record.
    std::vector<std::vector<std::string>> fields;
    std::vector<std::size_t> lines;
    std::vector<std::string> errors;
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}


class CsvRead : public testing::TestWithParam<ReadCase>
{
};

TEST_P(CsvRead, ReadsRecordsFieldsAndLines)
{
    const ReadCase &c = GetParam();
    CsvReader reader(c.input);
    CsvRecord record;
    std::size_t i = 0;
    while (reader.next(record)) {
        ASSERT_LT(i, c.fields.size()) << "an unexpected record at line " << record.line;
        EXPECT_EQ(record.fields, c.fields[i]) << "record " << i;
        EXPECT_EQ(record.line, c.lines[i]) << "record " << i;
        EXPECT_EQ(record.error, c.errors[i]) << "record " << i;
        ++i;
    }
    EXPECT_EQ(i, c.fields.size());
}

const std::string kNoError;

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvRead,
    testing::Values(
        ReadCase{"plain_lf", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}, {1, 2}, {kNoError, kNoError}},
        ReadCase{"crlf_without_final_break", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}, {1, 2}, {kNoError, kNoError}},
        ReadCase{"lone_cr", "a\r1\r", {{"a"}, {"1"}}, {1, 2}, {kNoError, kNoError}},
        ReadCase{"empty_fields", ",,\n", {{"", "", ""}}, {1}, {kNoError}},
        ReadCase{"empty_lines_skipped", "a\n\n\r\n b \n", {{"a"}, {" b "}}, {1, 4}, {kNoError, kNoError}},
        ReadCase{"quoted_comma_and_doubled_quote", "\"x, \"\"y\"\"\",z\n", {{"x, \"y\"", "z"}}, {1}, {kNoError}},
        ReadCase{"quoted_line_breaks_count_as_lines", "\"a\nb\r\nc\",d\ne,f\n",
                 {{"a\nb\r\nc", "d"}, {"e", "f"}}, {1, 4}, {kNoError, kNoError}},
        ReadCase{"empty_quoted_field", "\"\",x\n", {{"", "x"}}, {1}, {kNoError}},
        ReadCase{"quote_inside_unquoted_field", "ab\"c,d\nok\n", {{"ab\"c", "d"}, {"ok"}}, {1, 2},
                 {std::string(msg::kCsvQuoteInField), kNoError}},
        ReadCase{"text_after_closing_quote", "\"ab\"c,d\nok\n", {{"abc", "d"}, {"ok"}}, {1, 2},
                 {std::string(msg::kCsvTextAfterQuote), kNoError}},
        ReadCase{"unclosed_quote_runs_to_the_end", "a\n\"b,c\nd\n", {{"a"}, {"b,c\nd\n"}}, {1, 2},
                 {kNoError, std::string(msg::kCsvUnclosedQuote)}}),
    [](const testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.name); });

struct WriteCase
{
    const char *text;
    const char *written;
};

class CsvWrite : public testing::TestWithParam<WriteCase>
{
};

TEST_P(CsvWrite, QuotesOnlyWhatNeedsIt)
{
    std::string out;
    appendCsvField(out, GetParam().text);
    EXPECT_EQ(out, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Cases, CsvWrite,
                         testing::Values(WriteCase{"plain", "plain"}, WriteCase{"", ""},
                                         WriteCase{"a,b", "\"a,b\""}, WriteCase{"say \"hi\"", "\"say \"\"hi\"\"\""},
                                         WriteCase{"two\nlines", "\"two\nlines\""}, WriteCase{"cr\r", "\"cr\r\""},
                                         WriteCase{" lead", "\" lead\""}, WriteCase{"trail ", "\"trail \""},
                                         WriteCase{"Иванов", "Иванов"}));

// A 1251 cell comes out as its UTF-8 text would through appendCsvField.
TEST(CsvCell, ConvertsAndQuotesAsTheUtf8FieldWould)
{
    const std::vector<std::string> cells = {
        "", "plain", "\xC8\xE2\xE0\xED", "\"", "\"\"", "\xC8\"\xE2", "a\xB9\"",
        "\"\xC8", " \xC8", "\xC8 ", "\xC8,\xE2", "\x98\x96\r\n\xFF", "12345",
        std::string(60, '\xC8') + "\""};
    for (const std::string &cell : cells) {
        std::string expected = "[";
        appendCsvField(expected, cp1251ToUtf8(cell));
        std::string written = "[";
        appendCsvCell(written, cell);
        EXPECT_EQ(written, expected) << cp1251ToUtf8(cell);
    }
}

TEST(CsvRoundTrip, WrittenFieldsReadBackUnchanged)
{
    const std::vector<std::string> fields = {"", "a,b", "\"", "x\r\ny", " pad ", "Ив\"ан", ",", "\n"};
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text.push_back(',');
        appendCsvField(text, fields[i]);
    }
    text.append(kCsvRecordEnd);
    CsvReader reader(text);
    CsvRecord record;
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record.error, "");
    EXPECT_EQ(record.fields, fields);
    EXPECT_FALSE(reader.next(record));
}

} // namespace
} // namespace telbase
