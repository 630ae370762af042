#include "dataset.h"

#include <climits>
#include <cstdlib>

#include <QFile>

#include "dbmessages.h"
#include "engineloader.h"
#include "cp1251.h"

namespace {

// Rows closer than this to the last one looked up are found by stepping over live
// records; farther ones are asked for by their position.
constexpr int NearbyRows = 64;
// After an append the new record is looked for this far back from the last one (other
// programs may have appended after it).
constexpr int AppendSearchRows = 1024;

const DbeApi &api() { return EngineLoader::instance().Api(); }

} // namespace

TTable::TTable(QObject *parent) : TDataSet(parent) {}

TTable::~TTable() { Close(); }

void TTable::SetTableName(const QString &name)
{
    checkInactive();
    m_tableName = name;
}

void TTable::check(int rc) const
{
    if (rc != DBE_OK)
        EngineLoader::instance().raiseEngineError(rc);
}

std::vector<TDataSet::FieldDesc> TTable::openImpl()
{
    EngineLoader &loader = EngineLoader::instance();
    dbe_engine *engine = loader.Engine();
    dbe_table *table = nullptr;
    // The path goes to the file system as it is: in its own encoding, not in 1251.
    const int rc = api().table_open(engine, QFile::encodeName(m_tableName).constData(), &table);
    if (rc != DBE_OK || !table) {
        if (table)
            api().table_close(table);
        loader.raiseEngineError(rc == DBE_OK ? DBE_ERROR : rc);
    }
    m_table = table;
    try {
        std::vector<FieldDesc> fields;
        const int count = api().table_field_count(table);
        for (int i = 0; i < count; ++i) {
            dbe_field_desc d {};
            check(api().table_field(table, i, &d));
            fields.push_back({Cp1251::toUnicode(static_cast<const char *>(d.name)), d.type, d.length, d.decimals});
        }
        recount();
        return fields;
    } catch (...) {
        closeImpl();
        throw;
    }
}

void TTable::closeImpl()
{
    if (m_table)
        api().table_close(m_table);
    m_table = nullptr;
    m_liveCount = 0;
    m_cachedRow = -1;
}

void TTable::recount()
{
    uint32_t count = 0;
    check(api().table_live_count(m_table, &count));
    m_liveCount = int(std::min<uint32_t>(count, INT_MAX));
    m_cachedRow = -1;
}

void TTable::Refresh()
{
    checkActive();
    if (State() == dsEdit || State() == dsInsert)
        Modified() ? Post() : Cancel();
    uint32_t records = 0;
    check(api().table_refresh(m_table, &records));
    recount();
    rowsReloaded();
}

bool TTable::canModifyImpl() const { return m_table && api().table_readonly(m_table) == 0; }

quint32 TTable::recnoOf(int storedRow) const
{
    if (!m_table || storedRow < 0 || storedRow >= m_liveCount)
        return 0;
    if (storedRow == m_cachedRow)
        return m_cachedRecno;
    uint32_t recno = 0;
    if (m_cachedRow >= 0 && std::abs(storedRow - m_cachedRow) <= NearbyRows) {
        const int direction = storedRow > m_cachedRow ? 1 : -1;
        recno = m_cachedRecno;
        for (int row = m_cachedRow; row != storedRow; row += direction) {
            if (api().table_seek(m_table, recno, direction, &recno) != DBE_OK) {
                m_cachedRow = -1;
                return 0;
            }
        }
    } else if (api().table_nth(m_table, uint32_t(storedRow), &recno) != DBE_OK) {
        m_cachedRow = -1;
        return 0;
    }
    m_cachedRow = storedRow;
    m_cachedRecno = recno;
    return recno;
}

QByteArray TTable::storedText(int storedRow, int field) const
{
    const quint32 recno = recnoOf(storedRow);
    if (recno == 0)
        return QByteArray();
    return ReadEngineCell([&](char *buf, size_t size, size_t *len) {
        return api().table_text(m_table, recno, field, buf, size, len);
    });
}

void TTable::lockRow(int storedRow) { check(api().table_lock(m_table, recnoOf(storedRow))); }

void TTable::unlockRow(int storedRow)
{
    check(api().table_unlock(m_table, recnoOf(storedRow)));
}

namespace {

// The engine's value array: NULL keeps a stored value.
std::vector<const char *> valueArray(const std::vector<std::optional<QByteArray>> &values,
                                     const char *unset)
{
    std::vector<const char *> out;
    out.reserve(values.size());
    for (const auto &v : values)
        out.push_back(v ? v->constData() : unset);
    return out;
}

} // namespace

void TTable::updateRow(int storedRow, const std::vector<std::optional<QByteArray>> &values)
{
    const std::vector<const char *> array = valueArray(values, nullptr);
    check(api().table_update(m_table, recnoOf(storedRow), array.data()));
}

int TTable::appendRow(const std::vector<std::optional<QByteArray>> &values)
{
    const std::vector<const char *> array = valueArray(values, "");
    uint32_t first = 0;
    check(api().table_append(m_table, array.data(), 1, &first));
    recount();
    // Usually the last live record; others may have appended after it.
    int row = m_liveCount - 1;
    uint32_t recno = 0;
    if (api().table_seek(m_table, UINT32_MAX, -1, &recno) == DBE_OK) {
        for (int step = 0; step < AppendSearchRows && recno != first && row > 0; ++step) {
            if (api().table_seek(m_table, recno, -1, &recno) != DBE_OK)
                break;
            --row;
        }
        if (recno != first)
            row = m_liveCount - 1;
    }
    return row;
}

void TTable::deleteRow(int storedRow)
{
    check(api().table_delete(m_table, recnoOf(storedRow)));
    recount();
}
