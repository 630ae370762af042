#include "opendialog.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

struct FilterCase
{
    const char *filter;
    const char *qtFilter;
};

class OpenDialogFilter : public ::testing::TestWithParam<FilterCase>
{
};

TEST_P(OpenDialogFilter, TranslatesToQtNameFilters)
{
    EXPECT_EQ(TOpenDialog::toQtNameFilter(QString::fromUtf8(GetParam().filter)),
              QString::fromUtf8(GetParam().qtFilter));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenDialogFilter,
    ::testing::Values(
        FilterCase{"База справочника номеров|Telbase.dbf", "База справочника номеров (Telbase.dbf)"},
        FilterCase{"Tables|*.dbf;*.DBF|All|*", "Tables (*.dbf *.DBF);;All (*)"},
        FilterCase{"", ""},
        FilterCase{"Description without pattern", ""}),
    [](const auto &info) { return "Case" + std::to_string(info.index); });

TEST(OpenDialog, ConfirmKeepsTheFullNameAndCancelChangesNothing)
{
    TOpenDialog dialog;
    dialog.setFilter(QStringLiteral("Tables|Telbase.dbf"));
    dialog.setFileName(QStringLiteral("TelBASE.DBF"));
    std::vector<TOpenDialog::Request> asked;
    auto previous = TOpenDialog::setPresenter([&](const TOpenDialog::Request &r) {
        asked.push_back(r);
        return TOpenDialog::Answer{true, QStringLiteral("/data/phones/Telbase.dbf")};
    });
    EXPECT_TRUE(dialog.execute());
    EXPECT_EQ(dialog.fileName(), QStringLiteral("/data/phones/Telbase.dbf"));

    TOpenDialog::setPresenter([&](const TOpenDialog::Request &r) {
        asked.push_back(r);
        return TOpenDialog::Answer{false, QStringLiteral("/elsewhere/x.dbf")};
    });
    EXPECT_FALSE(dialog.execute());
    EXPECT_EQ(dialog.fileName(), QStringLiteral("/data/phones/Telbase.dbf"));
    TOpenDialog::setPresenter(previous);

    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].fileName, QStringLiteral("TelBASE.DBF"));
    EXPECT_EQ(asked[0].nameFilter, QStringLiteral("Tables (Telbase.dbf)"));
    // The second opening starts from the first choice.
    EXPECT_EQ(asked[1].fileName, QStringLiteral("/data/phones/Telbase.dbf"));
}

} // namespace

int main(int argc, char **argv)
{
    // Test discovery runs the program without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
