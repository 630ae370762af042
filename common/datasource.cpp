#include "dataset.h"

TDataSource::TDataSource(QObject *parent) : QObject(parent) {}

void TDataSource::SetDataSet(TDataSet *dataSet)
{
    if (dataSet == m_dataSet)
        return;
    for (const auto &link : m_links)
        disconnect(link);
    m_links.clear();
    m_dataSet = dataSet;
    if (m_dataSet) {
        m_links << connect(m_dataSet, &TDataSet::StateChanged, this, &TDataSource::StateChanged)
                << connect(m_dataSet, &TDataSet::DataChanged, this, &TDataSource::DataChanged)
                << connect(m_dataSet, &TDataSet::RowsChanged, this, &TDataSource::RowsChanged)
                << connect(m_dataSet, &TDataSet::CurrentChanged, this, &TDataSource::CurrentChanged)
                << connect(m_dataSet, &QObject::destroyed, this, [this] {
                       m_dataSet = nullptr;
                       m_links.clear();
                       emit DataSetChanged();
                   });
    }
    emit DataSetChanged();
}

TDataSetState TDataSource::State() const { return m_dataSet ? m_dataSet->State() : dsInactive; }

bool TDataSource::Edit()
{
    if (m_dataSet && m_autoEdit && m_dataSet->State() == dsBrowse)
        m_dataSet->Edit();
    const TDataSetState state = State();
    return state == dsEdit || state == dsInsert;
}
