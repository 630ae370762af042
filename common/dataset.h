#pragma once

// The dataset layer: the programs' view of the directory table through the engine.
//
// TDataSet holds the state machine of the current entry (browsing, editing, inserting),
// the BOF/EOF flags that the navigator needs, and a row-wise read access for grids. Rows
// are read from the engine only when asked for (DisplayText), never copied up front, so a
// table of a million entries opens at once.
//
// TQuery runs a statement given as a list of lines and offers its read-only result.
// TTable opens a table file for browsing and editing; a posted entry is written at once.
// TDataSource links a dataset to the controls.
//
// Every operation that fails raises: EDatabaseError for a misuse or a field's conversion
// error, EDBEngineError (see exceptions.h) with the engine's message lines for an engine
// failure. A failed operation leaves the dataset as it was before the call.
// All objects here belong to the GUI thread.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include "exceptions.h"

struct dbe_cursor;
struct dbe_table;

class TDataSet;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// The kind of a field, from its dBASE type:
//   C                                -> ftString
//   N, 0 decimals, width <= 4        -> ftSmallint (-32768 .. 32767, range-checked)
//   N, 0 decimals, width 5 .. 9      -> ftInteger (32-bit)
//   N, 0 decimals, width >= 10       -> ftFloat
//   N with decimals, F               -> ftFloat
//   L                                -> ftBoolean
//   D                                -> ftDate
//   any other letter                 -> ftUnknown (shown as stored, not editable)
enum TFieldType { ftUnknown, ftString, ftSmallint, ftInteger, ftFloat, ftBoolean, ftDate };

// One field of a dataset, seen through its current entry. Owned by its dataset; valid
// from the dataset's Open until its Close.
class TField
{
public:
    TField(TDataSet *dataSet, int index, const QString &name, char type, int size, int decimals);

    QString FieldName() const { return m_name; }
    TFieldType DataType() const { return m_dataType; }
    char Type() const { return m_type; }       // the dBASE type letter
    int Size() const { return m_size; }        // width in the record, in bytes
    int Decimals() const { return m_decimals; }
    int Index() const { return m_index; }      // position among the dataset's fields
    TDataSet *DataSet() const { return m_dataSet; }

    // Characters a grid column makes room for: the size for text, 10 for whole-number and
    // floating-point fields, 5 for logical, 10 for dates.
    int DisplayWidth() const;
    // Numbers are right-aligned in grids.
    bool IsNumeric() const;
    // False for fields of an unknown type: they are shown but not written.
    bool CanModify() const { return m_dataType != ftUnknown; }

    // The current entry's value as shown, pending changes included. "" on an empty
    // dataset or an empty value. Dates read dd.MM.yyyy, logicals True / False.
    QString AsString() const;
    // Sets the current entry's value. The dataset must be editing or inserting
    // (EDatabaseError "Dataset not in edit or insert mode"). An empty text empties the
    // field. A text the field cannot take raises EDatabaseError with the field's
    // conversion error and changes nothing. Text longer than a text field is cut to
    // the field's size.
    void SetAsString(const QString &text);
    // Empties the field (as SetAsString("")).
    void Clear() { SetAsString(QString()); }
    bool IsNull() const { return AsString().isEmpty(); }

    // The engine's text for a value typed as `text` (1251), or raises the conversion
    // error. Exposed for grids that validate a cell before it goes into the entry.
    QByteArray Validate(const QString &text) const;

private:
    TDataSet *m_dataSet;
    int m_index;
    QString m_name;
    char m_type;
    int m_size;
    int m_decimals;
    TFieldType m_dataType;
};

// The common part of TQuery and TTable: fields, rows, the current entry and its state.
//
// Rows are counted from 0 in the dataset's order; a new entry being inserted counts as a
// row. RecNo() is the current row, -1 while the dataset is empty or closed.
//
// BOF is true after Open and First, and after a move before the first row was tried;
// EOF after Last and after a move past the last row was tried; both on an empty dataset.
//
// Every move (First, Prior, Next, Last, MoveBy, MoveTo, and Insert / Append while another
// entry is pending) first posts a modified entry or drops an untouched one; when the post
// raises, the move does not happen.
class TDataSet : public QObject
{
    Q_OBJECT
public:
    explicit TDataSet(QObject *parent = nullptr);
    ~TDataSet() override;

    bool Active() const { return m_state != dsInactive; }
    // Opens the dataset: the engine is loaded and started on the first open of the
    // process. On failure raises and stays closed.
    void Open();
    // Drops pending changes, releases locks and closes. Closing a closed dataset does
    // nothing.
    void Close();
    void SetActive(bool active) { active ? Open() : Close(); }

    TDataSetState State() const { return m_state; }

    int FieldCount() const { return int(m_fields.size()); }
    // Valid from Open until Close; null for an index out of range.
    TField *Fields(int index) const;
    // Field names match without regard to case. FindField returns null for a missing
    // name; FieldByName raises EDatabaseError "Field '%s' not found".
    TField *FindField(const QString &name) const;
    TField *FieldByName(const QString &name) const;

    // Rows shown, a row being inserted included; 0 while closed.
    int RecordCount() const;
    // The current row, 0-based; -1 when empty or closed.
    int RecNo() const { return m_row; }
    bool IsEmpty() const { return RecordCount() == 0; }
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }

    // The text of a cell as a grid shows it, pending changes of the current entry
    // included; read from the engine now. "" for a row or field out of range.
    QString DisplayText(int row, int field) const;

    void First();
    void Prior() { MoveBy(-1); }
    void Next() { MoveBy(1); }
    void Last();
    // Moves by `distance` rows, stopping at the first or last row (and setting BOF / EOF
    // when it had to stop). Returns the number of rows actually moved.
    int MoveBy(int distance);
    // Makes `row` current (clamped to the rows there are), as a click on a grid row does.
    void MoveTo(int row);

    // Editing. Each raises EDatabaseError "Cannot modify a read-only dataset" when
    // CanModify() is false, and EDBEngineError when the engine refuses.
    // Insert: a new empty entry at the current row. Append: a new empty entry after the
    // last row. Edit: starts editing the current entry and takes its record lock (on an
    // empty dataset it inserts instead); a lock held elsewhere raises the engine's message
    // and the entry stays browsing. Post: writes the entry at once and releases the lock;
    // on failure the entry keeps its state and pending changes. Cancel: drops pending
    // changes (a new entry disappears) and releases the lock. Delete: deletes the current
    // entry (drops it when it is a new one); on an empty dataset raises EDatabaseError
    // "Cannot perform this operation on an empty dataset".
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // True once a field of the current entry was set while editing or inserting.
    bool Modified() const { return m_modified; }
    // True while open on a dataset that can be written.
    bool CanModify() const;

signals:
    // Active or State() changed.
    void StateChanged();
    // Values of the current entry changed (a field set, a post, a cancel of an edit).
    void DataChanged();
    // The rows changed as a whole (open, close, a row inserted or removed): grids reload.
    void RowsChanged();
    // Another row became current.
    void CurrentChanged();

protected:
    // What a concrete dataset provides. Raise on failure (EDBEngineError via
    // raiseEngineError). Stored rows are counted without the row being inserted.
    struct FieldDesc
    {
        QString name;
        char type = 'C';
        int size = 0;
        int decimals = 0;
    };
    virtual std::vector<FieldDesc> openImpl() = 0;  // opens, returns the fields
    virtual void closeImpl() = 0;
    virtual int storedRowCount() const = 0;
    virtual QByteArray storedText(int storedRow, int field) const = 0; // 1251, display form
    virtual bool canModifyImpl() const { return false; }
    virtual void lockRow(int /*storedRow*/) {}
    virtual void unlockRow(int /*storedRow*/) {}
    // values: one per field; nullopt keeps the stored value.
    virtual void updateRow(int storedRow, const std::vector<std::optional<QByteArray>> &values);
    // Returns the stored row the new entry landed on.
    virtual int appendRow(const std::vector<std::optional<QByteArray>> &values);
    virtual void deleteRow(int storedRow);

    void checkActive() const;
    void checkInactive() const;
    // After the stored rows changed under the dataset (a refresh): keeps the current row
    // within the rows there are and tells the grids.
    void rowsReloaded();

private:
    friend class TField;
    QByteArray currentValue(int field) const;           // 1251, engine's form
    void setCurrentValue(int field, const QByteArray &value);
    int storedRowOf(int row) const;                     // -1 for the new entry
    QString displayFromEngine(const TField &field, const QByteArray &text) const;
    void checkBrowseMode();                             // post or drop a pending entry
    void checkCanModify() const;
    void beginInsert(bool append);
    void setState(TDataSetState state);
    void resetToBrowse();

    TDataSetState m_state = dsInactive;
    std::vector<std::unique_ptr<TField>> m_fields;
    int m_row = -1;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    int m_insertRow = -1;     // the row of the new entry while inserting
    int m_rowBeforeInsert = -1;
    std::vector<std::optional<QByteArray>> m_pending; // per field, while editing/inserting
};

// A named parameter of a statement: a colon and a name in the statement text.
class TParam
{
public:
    enum DataType { Unknown, Integer, String };

    explicit TParam(const QString &name) : m_name(name) {}
    QString Name() const { return m_name; }
    DataType Type() const { return m_type; }
    bool IsNull() const { return m_type == Unknown; }

    void SetAsInteger(qint32 value);
    qint32 AsInteger() const { return m_int; }
    void SetAsString(const QString &value);
    QString AsString() const;
    void Clear();

private:
    QString m_name;
    DataType m_type = Unknown;
    qint32 m_int = 0;
    QString m_text;
};

// The parameters of a statement, in the order of their first marker. One parameter per
// name (names match without regard to case).
class TParams
{
public:
    int Count() const { return int(m_items.size()); }
    TParam *Items(int index) const;
    TParam *FindParam(const QString &name) const;
    // Raises EDatabaseError "Parameter '%s' not found".
    TParam *ParamByName(const QString &name) const;

    // Rebuilds the list from the names found in a statement, keeping the value and type
    // of each parameter whose name is still present.
    void Rebuild(const QStringList &names);

    // The parameter names in a statement's text: a colon and a name outside quoted text
    // ('...' or "..."), the name ending at a blank, comma, semicolon, ")" or line end.
    // "::" stands for a plain colon. Each name once, in order of first appearance.
    static QStringList FindNames(const QString &text);

private:
    std::vector<std::unique_ptr<TParam>> m_items;
};

// The statement's lines. Every change notifies the owning query.
class TStrings
{
public:
    explicit TStrings(std::function<void()> onChange) : m_onChange(std::move(onChange)) {}

    void Clear();
    void Add(const QString &line);
    int Count() const { return int(m_lines.size()); }
    QString Strings(int index) const { return m_lines.value(index); }
    // The lines, each followed by a line break.
    QString Text() const;
    void SetText(const QString &text);
    const QStringList &Lines() const { return m_lines; }

private:
    QStringList m_lines;
    std::function<void()> m_onChange;
};

// A statement and its read-only result. Changing the lines of an open query closes it and
// finds the parameters afresh.
class TQuery : public TDataSet
{
    Q_OBJECT
public:
    explicit TQuery(QObject *parent = nullptr);
    ~TQuery() override;

    TStrings SQL;
    TParams Params;
    TParam *ParamByName(const QString &name) { return Params.ParamByName(name); }

protected:
    std::vector<FieldDesc> openImpl() override;
    void closeImpl() override;
    int storedRowCount() const override;
    QByteArray storedText(int storedRow, int field) const override;

private:
    void linesChanged();
    dbe_cursor *m_cursor = nullptr;
    int m_rowCount = 0;
};

// A table file opened shared for browsing and editing, entries in stored order (deleted
// ones never shown). A file the engine opens read-only opens without an error and
// CanModify() is false.
class TTable : public TDataSet
{
    Q_OBJECT
public:
    explicit TTable(QObject *parent = nullptr);
    ~TTable() override;

    QString TableName() const { return m_tableName; }
    // Raises EDatabaseError "Cannot perform this operation on an open dataset" while open.
    void SetTableName(const QString &name);
    // Re-reads the record count, e.g. to see entries another program appended.
    void Refresh();

protected:
    std::vector<FieldDesc> openImpl() override;
    void closeImpl() override;
    int storedRowCount() const override { return m_liveCount; }
    QByteArray storedText(int storedRow, int field) const override;
    bool canModifyImpl() const override;
    void lockRow(int storedRow) override;
    void unlockRow(int storedRow) override;
    void updateRow(int storedRow, const std::vector<std::optional<QByteArray>> &values) override;
    int appendRow(const std::vector<std::optional<QByteArray>> &values) override;
    void deleteRow(int storedRow) override;

private:
    quint32 recnoOf(int storedRow) const;
    void recount();
    void check(int rc) const;

    QString m_tableName;
    dbe_table *m_table = nullptr;
    int m_liveCount = 0;
    // The last row looked up and its record number, so that neighbouring rows are found
    // by a short step instead of a count from the start.
    mutable int m_cachedRow = -1;
    mutable quint32 m_cachedRecno = 0;
};

// Links a dataset to the controls that show and edit it.
class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);

    // Not owned; the dataset must outlive the link or be unset first.
    TDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet *dataSet);
    // When on (the default), typing into a control starts editing: see Edit().
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool on) { m_autoEdit = on; }
    // dsInactive without a dataset.
    TDataSetState State() const;
    // What a control calls before it changes a value: starts editing when AutoEdit is on
    // and the dataset is browsing. Returns whether the dataset is now editing or inserting.
    bool Edit();

signals:
    void DataSetChanged();
    // Forwarded from the dataset.
    void StateChanged();
    void DataChanged();
    void RowsChanged();
    void CurrentChanged();

private:
    TDataSet *m_dataSet = nullptr;
    bool m_autoEdit = true;
    QList<QMetaObject::Connection> m_links;
};
