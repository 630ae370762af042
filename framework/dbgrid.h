#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTableView>

#include "dataset.h"

class TDBGrid;

// The grid's options. Only those named in a grid's option set are in force.
enum TDBGridOption : unsigned {
    dgEditing = 1u << 0,             // cells may be edited (when the grid is not read-only)
    dgAlwaysShowEditor = 1u << 1,    // the cell editor stays open
    dgTitles = 1u << 2,              // the title row is shown
    dgIndicator = 1u << 3,           // an indicator column marks the current row
    dgColumnResize = 1u << 4,        // columns may be resized and moved by their titles
    dgColLines = 1u << 5,            // a line follows each column
    dgRowLines = 1u << 6,            // a line follows each row
    dgTabs = 1u << 7,                // Tab moves between cells (not with dgRowSelect)
    dgRowSelect = 1u << 8,           // the whole current row is selected
    dgAlwaysShowSelection = 1u << 9, // the selection shows also without the focus
    dgConfirmDelete = 1u << 10,      // Ctrl+Delete asks before deleting
    dgCancelOnExit = 1u << 11,       // leaving the grid drops an untouched new entry
    dgMultiSelect = 1u << 12,        // several rows may be selected
};
using TDBGridOptions = unsigned;

// One column of a grid: which field it shows, its title and its width.
struct TColumn {
    QString fieldName;
    QString title;
    Qt::Alignment titleAlignment = Qt::AlignLeft;
    // Width in pixels; kDefaultWidth takes the field's default width (see TDBGrid).
    int width = kDefaultWidth;
    static constexpr int kDefaultWidth = -1;
};

// The grid's rows as a table model over the data source's dataset. It holds no rows of
// its own: rowCount() is the dataset's record count and data() asks the dataset for the
// one cell it is asked for, so only the rows on screen are ever read. A closed dataset
// (or none) has no rows. Cell text is aligned by its field: numbers right, the rest left.
class TDBGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TDBGridModel(TDBGrid *grid);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The field a column shows, or nullptr when the dataset is closed or lacks it.
    TField *fieldOf(int column) const;
    // Rebuilds the rows from the dataset (after an open, a close, a change of rows).
    void reload();

protected:
    TDBGrid *grid() const { return m_grid; }

private:
    TDBGrid *m_grid;
    QList<int> m_fieldIndex; // per column: the dataset's field number, -1 when missing
    int m_rows = 0;
};

// A data-aware grid over a TDataSource. Columns are fixed data (setColumns); each shows
// its field by name. A column with TColumn::kDefaultWidth takes its field's default
// width once the dataset is open: the field's display width in characters times the
// width of "0" in the grid font, plus 4, and never less than its title's width plus 4.
// Layout: a 2-pixel sunken border, an 11-pixel indicator column, and a 1-pixel line
// after each column and row (with dgColLines / dgRowLines).
// The grid does not own its data source.
class TDBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);
    ~TDBGrid() override;

    void setDataSource(TDataSource *source);
    TDataSource *dataSource() const { return m_dataSource; }
    // The data source's dataset, or nullptr.
    TDataSet *dataSet() const;

    void setOptions(TDBGridOptions options);
    TDBGridOptions options() const { return m_options; }
    bool hasOption(TDBGridOption option) const { return (m_options & option) != 0; }

    // A read-only grid never changes its dataset.
    void setReadOnly(bool readOnly);
    bool readOnly() const { return m_readOnly; }

    void setColumns(const QList<TColumn> &columns);
    const QList<TColumn> &columns() const { return m_columns; }
    // A column's width in pixels as shown now (set width, or the default width), without
    // its line.
    int columnWidth(int column) const;
    // The default width of a column: see the class comment; 64 while its field is unknown.
    int defaultColumnWidth(int column) const;

    // Height of a row and of the title row, in pixels, line included.
    int rowHeight() const;

    TDBGridModel *gridModel() const { return m_model; }

    // The current row, -1 when there is none.
    int currentRow() const;

    static constexpr int kBorderWidth = 2;
    static constexpr int kIndicatorWidth = 11;
    static constexpr int kLineWidth = 1;
    static constexpr int kUnknownFieldWidth = 64;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void applyOptions();
    void applyColumnWidths();
    void applyPalette();
    void onDataSetChanged();
    void onCurrentRecordChanged();

    QPointer<TDataSource> m_dataSource;
    TDBGridModel *m_model;
    QList<TColumn> m_columns;
    TDBGridOptions m_options = dgTitles | dgIndicator | dgColumnResize | dgColLines |
                               dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit |
                               dgEditing;
    bool m_readOnly = false;
    bool m_syncing = false;
    bool m_applyingWidths = false;
    QList<bool> m_userResized; // per column: the user dragged its width
    QList<QMetaObject::Connection> m_connections;
};
