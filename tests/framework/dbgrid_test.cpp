#include "dbgrid.h"

#include <set>

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "forms.h"
#include "stdctrls.h"

namespace {

// A dataset of generated rows that records which rows were read.
class FakeDataSet : public TDataSet
{
public:
    explicit FakeDataSet(int rows) : m_rows(rows) {}

    std::set<int> rowsRead;

protected:
    std::vector<FieldDesc> openImpl() override
    {
        return {{QStringLiteral("NAME"), 'C', 20, 0}, {QStringLiteral("ROOM"), 'N', 6, 0}};
    }
    void closeImpl() override {}
    int storedRowCount() const override { return m_rows; }
    QByteArray storedText(int storedRow, int field) const override
    {
        const_cast<FakeDataSet *>(this)->rowsRead.insert(storedRow);
        return field == 0 ? QByteArray("Name ") + QByteArray::number(storedRow)
                          : QByteArray::number(storedRow * 10);
    }

private:
    int m_rows;
};

class GridFixture : public ::testing::Test
{
protected:
    void build(int rows)
    {
        dataSet = std::make_unique<FakeDataSet>(rows);
        source.SetDataSet(dataSet.get());
        form.setClientSize(400, 300);
        grid = new TDBGrid(&form);
        grid->setGeometry(0, 0, 400, 300);
        grid->setReadOnly(true);
        grid->setOptions(dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines |
                         dgTabs | dgRowSelect);
        grid->setColumns({{QStringLiteral("NAME"), QStringLiteral("Name"), Qt::AlignHCenter, 200},
                          {QStringLiteral("room"), QStringLiteral("A rather long title"),
                           Qt::AlignLeft, TColumn::kDefaultWidth},
                          {QStringLiteral("ROOM"), QStringLiteral("R"), Qt::AlignLeft,
                           TColumn::kDefaultWidth}});
        grid->setDataSource(&source);
        after = new TEdit(&form);
        after->setGeometry(0, 0, 10, 10);
        after->lower();
    }

    QString cell(int row, int column) const
    {
        return grid->model()->index(row, column).data().toString();
    }

    TForm form;
    TDataSource source;
    std::unique_ptr<FakeDataSet> dataSet;
    TDBGrid *grid = nullptr;
    TEdit *after = nullptr;
};

TEST_F(GridFixture, ClosedDataSetShowsNoRows)
{
    build(5);
    EXPECT_EQ(grid->model()->rowCount(), 0);
    dataSet->Open();
    EXPECT_EQ(grid->model()->rowCount(), 5);
    dataSet->Close();
    EXPECT_EQ(grid->model()->rowCount(), 0);
}

TEST_F(GridFixture, CellsComeFromTheirFieldsByNameAndNumbersAlignRight)
{
    build(3);
    dataSet->Open();
    EXPECT_EQ(cell(2, 0), QStringLiteral("Name 2"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("20")); // field names match without regard to case
    const auto alignment = [&](int column) {
        return Qt::Alignment(grid->model()->index(0, column).data(Qt::TextAlignmentRole).toInt()) &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(0), Qt::AlignLeft);
    EXPECT_EQ(alignment(1), Qt::AlignRight);
}

TEST_F(GridFixture, TitlesWithTheirAlignment)
{
    build(1);
    const auto title = [&](int column, int role) {
        return grid->model()->headerData(column, Qt::Horizontal, role);
    };
    EXPECT_EQ(title(0, Qt::DisplayRole).toString(), QStringLiteral("Name"));
    EXPECT_EQ(Qt::Alignment(title(0, Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(Qt::Alignment(title(1, Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);
}

TEST_F(GridFixture, SetWidthsAndDefaultWidthsByFieldOrTitle)
{
    build(1);
    EXPECT_EQ(grid->columnWidth(0), 200);
    EXPECT_EQ(grid->columnWidth(1), TDBGrid::kUnknownFieldWidth); // field not known yet
    dataSet->Open();
    const QFontMetrics cells(grid->font());
    const QFontMetrics titles(grid->horizontalHeader()->font());
    const int byField = 10 * cells.horizontalAdvance(QLatin1Char('0')) + 4;
    const int byTitle = titles.horizontalAdvance(QStringLiteral("A rather long title")) + 4;
    ASSERT_GT(byTitle, byField);
    EXPECT_EQ(grid->columnWidth(0), 200);
    EXPECT_EQ(grid->columnWidth(1), byTitle);
    EXPECT_EQ(grid->columnWidth(2), byField);
}

TEST_F(GridFixture, ColumnsLieAfterBorderIndicatorAndLines)
{
    build(1);
    dataSet->Open();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QHeaderView *titles = grid->horizontalHeader();
    const int firstLeft = titles->mapTo(grid, QPoint(titles->sectionViewportPosition(0), 0)).x();
    EXPECT_EQ(firstLeft, TDBGrid::kBorderWidth + TDBGrid::kIndicatorWidth + TDBGrid::kLineWidth);
    const int secondLeft = titles->mapTo(grid, QPoint(titles->sectionViewportPosition(1), 0)).x();
    EXPECT_EQ(secondLeft, firstLeft + 200 + TDBGrid::kLineWidth);
}

TEST_F(GridFixture, ReadsOnlyTheRowsItPaints)
{
    build(1000000);
    dataSet->Open();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::processEvents();
    EXPECT_EQ(grid->model()->rowCount(), 1000000);
    ASSERT_FALSE(dataSet->rowsRead.empty());
    EXPECT_LT(dataSet->rowsRead.size(), 100u);
    EXPECT_LT(*dataSet->rowsRead.rbegin(), 100);
}

TEST_F(GridFixture, CurrentRowFollowsTheDataSetBothWays)
{
    build(10);
    dataSet->Open();
    form.show();
    EXPECT_EQ(grid->currentRow(), 0);
    dataSet->MoveTo(4);
    EXPECT_EQ(grid->currentRow(), 4);
    grid->setCurrentIndex(grid->model()->index(7, 0));
    EXPECT_EQ(dataSet->RecNo(), 7);
    // Whole-row selection.
    EXPECT_EQ(grid->selectionModel()->selectedIndexes().size(), 3);
}

TEST_F(GridFixture, ReadOnlyGridOpensNoEditorAndTabLeavesIt)
{
    build(3);
    dataSet->Open();
    form.show();
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid->tabKeyNavigation());
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClicks(grid, QStringLiteral("x"));
    EXPECT_EQ(dataSet->State(), dsBrowse);
}

TEST_F(GridFixture, SelectedRowIsHighlightedOnlyWithTheFocus)
{
    build(3);
    dataSet->Open();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const auto highlighted = [&] {
        const QPalette &pal = grid->palette();
        return pal.color(QPalette::Active, QPalette::Highlight) !=
               pal.color(QPalette::Active, QPalette::Base);
    };
    after->setFocus();
    EXPECT_FALSE(highlighted());
    grid->setFocus();
    EXPECT_TRUE(highlighted());
    after->setFocus();
    EXPECT_FALSE(highlighted());
    grid->setOptions(grid->options() | dgAlwaysShowSelection);
    EXPECT_TRUE(highlighted());
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
