#include "dataset.h"

#include <algorithm>

#include <QDate>

#include "dbmessages.h"
#include "cp1251.h"

namespace {

// The engine's display form of a logical and a date value.
constexpr char EngineTrue = 'T';
constexpr char EngineFalse = 'F';
const char *const EngineDateFormat = "yyyyMMdd";
const char *const ShownDateFormat = "dd.MM.yyyy";

} // namespace

TDataSet::TDataSet(QObject *parent) : QObject(parent) {}

// Concrete datasets close themselves in their own destructors (closeImpl is theirs).
TDataSet::~TDataSet() = default;

void TDataSet::checkActive() const
{
    if (!Active())
        throw EDatabaseError(DbMessages::text(DbMessages::DataSetClosed));
}

void TDataSet::checkInactive() const
{
    if (Active())
        throw EDatabaseError(DbMessages::text(DbMessages::DataSetOpen));
}

void TDataSet::checkCanModify() const
{
    if (!CanModify())
        throw EDatabaseError(DbMessages::text(DbMessages::DataSetReadOnly));
}

bool TDataSet::CanModify() const { return Active() && canModifyImpl(); }

void TDataSet::Open()
{
    if (Active())
        return;
    std::vector<FieldDesc> descs = openImpl();
    m_fields.clear();
    for (int i = 0; i < int(descs.size()); ++i) {
        const FieldDesc &d = descs[size_t(i)];
        m_fields.push_back(std::make_unique<TField>(this, i, d.name, d.type, d.size, d.decimals));
    }
    m_insertRow = -1;
    m_pending.clear();
    m_modified = false;
    const int count = storedRowCount();
    m_row = count > 0 ? 0 : -1;
    m_bof = true;
    m_eof = count == 0;
    m_state = dsBrowse;
    emit StateChanged();
    emit RowsChanged();
    emit CurrentChanged();
}

void TDataSet::Close()
{
    if (!Active())
        return;
    if (m_state == dsEdit && m_row >= 0) {
        // The lock goes with the table anyway; a failure to give it back changes nothing.
        try {
            unlockRow(storedRowOf(m_row));
        } catch (const std::exception &) {
        }
    }
    closeImpl();
    m_fields.clear();
    m_pending.clear();
    m_modified = false;
    m_insertRow = -1;
    m_row = -1;
    m_bof = m_eof = true;
    m_state = dsInactive;
    emit StateChanged();
    emit RowsChanged();
    emit CurrentChanged();
}

TField *TDataSet::Fields(int index) const
{
    return index >= 0 && index < FieldCount() ? m_fields[size_t(index)].get() : nullptr;
}

TField *TDataSet::FindField(const QString &name) const
{
    for (const auto &field : m_fields) {
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    }
    return nullptr;
}

TField *TDataSet::FieldByName(const QString &name) const
{
    TField *field = FindField(name);
    if (!field)
        throw EDatabaseError(DbMessages::text(DbMessages::FieldNotFound).arg(name));
    return field;
}

int TDataSet::RecordCount() const
{
    return Active() ? storedRowCount() + (m_insertRow >= 0 ? 1 : 0) : 0;
}

int TDataSet::storedRowOf(int row) const
{
    if (m_insertRow < 0 || row < m_insertRow)
        return row;
    return row == m_insertRow ? -1 : row - 1;
}

QString TDataSet::displayFromEngine(const TField &field, const QByteArray &text) const
{
    switch (field.DataType()) {
    case ftBoolean:
        if (text.size() == 1 && text[0] == EngineTrue)
            return QStringLiteral("True");
        if (text.size() == 1 && text[0] == EngineFalse)
            return QStringLiteral("False");
        break;
    case ftDate: {
        const QDate date = QDate::fromString(QString::fromLatin1(text), QLatin1String(EngineDateFormat));
        if (date.isValid())
            return date.toString(QLatin1String(ShownDateFormat));
        break;
    }
    default:
        break;
    }
    return Cp1251::toUnicode(text);
}

QString TDataSet::DisplayText(int row, int field) const
{
    if (!Active() || row < 0 || row >= RecordCount() || field < 0 || field >= FieldCount())
        return QString();
    const TField &f = *m_fields[size_t(field)];
    if (row == m_row && (m_state == dsEdit || m_state == dsInsert))
        return displayFromEngine(f, currentValue(field));
    const int stored = storedRowOf(row);
    return stored < 0 ? QString() : displayFromEngine(f, storedText(stored, field));
}

QByteArray TDataSet::currentValue(int field) const
{
    if (!Active() || field < 0 || field >= FieldCount())
        return QByteArray();
    if ((m_state == dsEdit || m_state == dsInsert) && m_pending[size_t(field)])
        return *m_pending[size_t(field)];
    if (m_state == dsInsert || m_row < 0)
        return QByteArray();
    return storedText(storedRowOf(m_row), field);
}

void TDataSet::setCurrentValue(int field, const QByteArray &value)
{
    if (m_state != dsEdit && m_state != dsInsert)
        throw EDatabaseError(DbMessages::text(DbMessages::NotEditing));
    m_pending[size_t(field)] = value;
    m_modified = true;
    emit DataChanged();
}

void TDataSet::checkBrowseMode()
{
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    if (m_modified)
        Post();
    else
        Cancel();
}

void TDataSet::First()
{
    checkActive();
    checkBrowseMode();
    const int count = RecordCount();
    m_row = count > 0 ? 0 : -1;
    m_bof = true;
    m_eof = count == 0;
    emit CurrentChanged();
}

void TDataSet::Last()
{
    checkActive();
    checkBrowseMode();
    const int count = RecordCount();
    m_row = count - 1;
    m_eof = true;
    m_bof = count == 0;
    emit CurrentChanged();
}

int TDataSet::MoveBy(int distance)
{
    checkActive();
    checkBrowseMode();
    if (distance == 0)
        return 0;
    const int count = RecordCount();
    if (count == 0) {
        m_row = -1;
        m_bof = m_eof = true;
        emit CurrentChanged();
        return 0;
    }
    m_bof = m_eof = false;
    // Computed in 64 bits: a distance of INT_MAX from any row must not wrap.
    qint64 target = qint64(m_row) + distance;
    if (target < 0) {
        target = 0;
        m_bof = true;
    } else if (target >= count) {
        target = count - 1;
        m_eof = true;
    }
    const int moved = int(target) - m_row;
    m_row = int(target);
    emit CurrentChanged();
    return moved;
}

void TDataSet::MoveTo(int row)
{
    checkActive();
    if (row == m_row)
        return;
    // The row is named as it is shown now; a pending new entry that is posted or dropped
    // first shifts the rows after it, so aim at the stored row.
    int stored = storedRowOf(std::clamp(row, 0, std::max(0, RecordCount() - 1)));
    checkBrowseMode();
    const int count = RecordCount();
    if (count == 0)
        return;
    if (stored < 0)
        stored = m_row;
    stored = std::clamp(stored, 0, count - 1);
    m_bof = m_eof = false;
    m_row = stored;
    emit CurrentChanged();
}

void TDataSet::rowsReloaded()
{
    const int count = RecordCount();
    m_row = count == 0 ? -1 : std::clamp(m_row, 0, count - 1);
    if (count == 0)
        m_bof = m_eof = true;
    emit RowsChanged();
    emit CurrentChanged();
}

void TDataSet::setState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit StateChanged();
}

void TDataSet::resetToBrowse()
{
    m_pending.clear();
    m_modified = false;
    setState(dsBrowse);
}

void TDataSet::beginInsert(bool append)
{
    const int stored = storedRowCount();
    m_rowBeforeInsert = m_row;
    m_insertRow = append ? stored : std::max(m_row, 0);
    m_row = m_insertRow;
    m_pending.assign(m_fields.size(), std::nullopt);
    m_modified = false;
    m_bof = false;
    m_eof = append;
    setState(dsInsert);
    emit RowsChanged();
    emit CurrentChanged();
}

void TDataSet::Insert()
{
    checkActive();
    checkCanModify();
    checkBrowseMode();
    beginInsert(false);
}

void TDataSet::Append()
{
    checkActive();
    checkCanModify();
    checkBrowseMode();
    beginInsert(true);
}

void TDataSet::Edit()
{
    checkActive();
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    checkCanModify();
    if (RecordCount() == 0) {
        Insert();
        return;
    }
    lockRow(storedRowOf(m_row));
    m_pending.assign(m_fields.size(), std::nullopt);
    m_modified = false;
    setState(dsEdit);
}

void TDataSet::Post()
{
    checkActive();
    if (m_state == dsEdit) {
        const int stored = storedRowOf(m_row);
        updateRow(stored, m_pending);
        try {
            unlockRow(stored);
        } catch (const std::exception &) {
            // The entry is written; a lock that cannot be given back goes with the table.
        }
        resetToBrowse();
        emit DataChanged();
    } else if (m_state == dsInsert) {
        const int stored = appendRow(m_pending);
        m_insertRow = -1;
        m_row = std::clamp(stored, 0, std::max(0, storedRowCount() - 1));
        m_bof = false;
        resetToBrowse();
        emit RowsChanged();
        emit CurrentChanged();
    }
}

void TDataSet::Cancel()
{
    checkActive();
    if (m_state == dsEdit) {
        try {
            unlockRow(storedRowOf(m_row));
        } catch (const std::exception &) {
        }
        resetToBrowse();
        emit DataChanged();
    } else if (m_state == dsInsert) {
        const bool appended = m_insertRow == storedRowCount();
        const int insertedAt = m_insertRow;
        m_insertRow = -1;
        const int count = storedRowCount();
        if (count == 0) {
            m_row = -1;
            m_bof = m_eof = true;
        } else if (appended) {
            m_row = count - 1;
            m_bof = false;
            m_eof = true;
        } else {
            m_row = std::min(insertedAt, count - 1);
            m_bof = m_row == 0 && m_rowBeforeInsert <= 0;
            m_eof = false;
        }
        resetToBrowse();
        emit RowsChanged();
        emit CurrentChanged();
    }
}

void TDataSet::Delete()
{
    checkActive();
    if (m_state == dsInsert) {
        Cancel();
        return;
    }
    checkCanModify();
    if (RecordCount() == 0)
        throw EDatabaseError(DbMessages::text(DbMessages::DataSetEmpty));
    const int stored = storedRowOf(m_row);
    deleteRow(stored);
    if (m_state == dsEdit) {
        try {
            unlockRow(stored);
        } catch (const std::exception &) {
        }
    }
    const int count = storedRowCount();
    m_row = count == 0 ? -1 : std::min(m_row, count - 1);
    m_bof = count == 0;
    m_eof = count == 0;
    resetToBrowse();
    emit RowsChanged();
    emit CurrentChanged();
}

void TDataSet::updateRow(int, const std::vector<std::optional<QByteArray>> &)
{
    throw EDatabaseError(DbMessages::text(DbMessages::DataSetReadOnly));
}

int TDataSet::appendRow(const std::vector<std::optional<QByteArray>> &)
{
    throw EDatabaseError(DbMessages::text(DbMessages::DataSetReadOnly));
}

void TDataSet::deleteRow(int) { throw EDatabaseError(DbMessages::text(DbMessages::DataSetReadOnly)); }
