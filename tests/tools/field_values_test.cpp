#include "field_values.h"

#include <gtest/gtest.h>

#include "directory_table.h"

namespace telbase {
namespace {

struct CellCase
{
    const char *name;
    dbe_field_desc field;
    std::string cell;
    bool utf8;
    std::string value;  // expected 1251 value when good
    std::string reason; // a fragment of the reason when bad; empty when good
};

void PrintTo(const CellCase &c, std::ostream *os)
{
    *os << c.name;
}


class ConvertCell : public testing::TestWithParam<CellCase>
{
};

TEST_P(ConvertCell, GivesTheStoredValueOrTheReason)
{
    const CellCase &c = GetParam();
    std::string out;
    const std::string reason = convertCell(c.field, c.cell, c.utf8, out);
    if (c.reason.empty()) {
        EXPECT_EQ(reason, "");
        EXPECT_EQ(out, c.value);
    } else {
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        EXPECT_NE(reason.find(c.field.name), std::string::npos) << "the reason names the field: " << reason;
    }
}

const dbe_field_desc kFio = kDirectoryFields[FIO];
const dbe_field_desc kKab = kDirectoryFields[KAB];
const dbe_field_desc kGorod = kDirectoryFields[NGOROD];
const dbe_field_desc kPrice = {"PRICE", 'N', 8, 2};

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvertCell,
    testing::Values(
        CellCase{"text_utf8", kFio, "Иванов Иван", true, "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED", ""},
        CellCase{"text_1251", kFio, "\xC8\xE2", false, "\xC8\xE2", ""},
        CellCase{"text_trailing_blanks_dropped", kFio, "ab   ", true, "ab", ""},
        CellCase{"text_leading_blanks_kept", kFio, "  ab", true, "  ab", ""},
        CellCase{"text_exactly_full", kFio, std::string(30, 'x') + std::string(30, 'x'), true, std::string(60, 'x'), ""},
        // 60 Cyrillic letters are 120 UTF-8 bytes but 60 stored characters.
        CellCase{"text_full_in_cyrillic", kFio, [] { std::string s; for (int i = 0; i < 60; ++i) s += "Ж"; return s; }(),
                 true, std::string(60, '\xC6'), ""},
        CellCase{"text_too_long", kFio, std::string(61, 'x'), true, "", "61 characters"},
        CellCase{"text_not_in_code_page", kFio, "Straße", true, "", "U+00DF"},
        CellCase{"text_not_utf8", kFio, "\xC8\xE2", true, "", "not valid UTF-8"},
        CellCase{"text_1251_with_nul", kFio, std::string("a\0", 2), false, "", "U+0000"},
        CellCase{"number_plain", kKab, "12", true, "12", ""},
        CellCase{"number_blanks_sign_zeros", kKab, " +007 ", true, "7", ""},
        CellCase{"number_negative", kKab, "-15", true, "-15", ""},
        CellCase{"number_minus_zero", kKab, "-000", true, "0", ""},
        CellCase{"number_empty", kKab, "", true, "", ""},
        CellCase{"number_blank", kKab, "   ", true, "", ""},
        CellCase{"number_full_width", kKab, "999999", true, "999999", ""},
        CellCase{"number_negative_full_width", kKab, "-99999", true, "-99999", ""},
        CellCase{"number_too_wide", kKab, "1234567", true, "", "too long"},
        CellCase{"number_negative_too_wide", kKab, "-999999", true, "", "too long"},
        CellCase{"number_city_eleven_digits", kGorod, "84951234567", true, "84951234567", ""},
        CellCase{"number_with_fraction", kKab, "12.5", true, "", "not a whole number"},
        CellCase{"number_with_zero_fraction", kKab, "12.0", true, "", "not a whole number"},
        CellCase{"number_letters", kKab, "12a", true, "", "not a whole number"},
        CellCase{"number_separators", kGorod, "123-45-67", true, "", "not a whole number"},
        CellCase{"number_sign_only", kKab, "-", true, "", "not a whole number"},
        CellCase{"decimal_ok", kPrice, "12.5", true, "12.5", ""},
        CellCase{"decimal_too_many_decimals", kPrice, "1.234", true, "", "at most 2 decimals"},
        CellCase{"decimal_too_wide", kPrice, "123456", true, "", "too long"}),
    [](const testing::TestParamInfo<CellCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace telbase
