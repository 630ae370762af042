#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include "dataset.h"
#include "dbftestutil.h"

namespace {

class DataSourceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dbftest::useBuiltEngine();
        m_path = m_dir.path() + QStringLiteral("/Telbase.dbf");
        dbftest::writeFile(m_path, dbftest::makeDbf(dbftest::directoryFields(), {{{"A"}}}));
        m_table.SetTableName(m_path);
        m_source.SetDataSet(&m_table);
    }

    QTemporaryDir m_dir;
    QString m_path;
    TTable m_table;
    TDataSource m_source;
};

TEST_F(DataSourceTest, AutoEditStartsEditing)
{
    m_table.Open();
    EXPECT_TRUE(m_source.AutoEdit());
    EXPECT_TRUE(m_source.Edit());
    EXPECT_EQ(m_source.State(), dsEdit);
}

TEST_F(DataSourceTest, WithoutAutoEditTypingDoesNotEdit)
{
    m_table.Open();
    m_source.SetAutoEdit(false);
    EXPECT_FALSE(m_source.Edit());
    EXPECT_EQ(m_table.State(), dsBrowse);
}

TEST_F(DataSourceTest, ClosedDatasetIsNotEdited)
{
    EXPECT_FALSE(m_source.Edit());
    EXPECT_EQ(m_source.State(), dsInactive);
}

TEST_F(DataSourceTest, ForwardsTheDatasetsSignals)
{
    QSignalSpy state(&m_source, &TDataSource::StateChanged);
    QSignalSpy rows(&m_source, &TDataSource::RowsChanged);
    QSignalSpy data(&m_source, &TDataSource::DataChanged);
    m_table.Open();
    EXPECT_FALSE(state.isEmpty());
    EXPECT_FALSE(rows.isEmpty());
    m_table.Edit();
    m_table.Fields(0)->SetAsString(QStringLiteral("B"));
    EXPECT_FALSE(data.isEmpty());
}

TEST_F(DataSourceTest, ForgetsADestroyedDataset)
{
    {
        TTable table;
        m_source.SetDataSet(&table);
    }
    EXPECT_EQ(m_source.DataSet(), nullptr);
    EXPECT_EQ(m_source.State(), dsInactive);
}

} // namespace
