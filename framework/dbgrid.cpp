#include "dbgrid.h"

#include <algorithm>

#include <QFocusEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include "dataset.h"
#include "forms.h"
#include "handlers.h"

namespace {

// The indicator column: no row numbers, a black triangle at the current row.
class IndicatorHeader : public QHeaderView
{
public:
    explicit IndicatorHeader(TDBGrid *grid) : QHeaderView(Qt::Vertical, grid), m_grid(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        painter->save();
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = rect;
        option.section = logicalIndex;
        option.text.clear();
        style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
        const TDataSet *ds = m_grid->dataSet();
        const TDataSetState state = ds ? ds->State() : dsInactive;
        if (logicalIndex == m_grid->currentRow() && (state == dsEdit || state == dsInsert)) {
            // The current entry's state: an I-beam while it is edited, a star while it is new.
            painter->setPen(QPen(palette().color(QPalette::WindowText), 1));
            const QPoint c = rect.center();
            if (state == dsEdit) {
                painter->drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
                painter->drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
                painter->drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
            } else {
                painter->drawLine(c.x(), c.y() - 3, c.x(), c.y() + 3);
                painter->drawLine(c.x() - 3, c.y() - 2, c.x() + 3, c.y() + 2);
                painter->drawLine(c.x() - 3, c.y() + 2, c.x() + 3, c.y() - 2);
            }
        } else if (logicalIndex == m_grid->currentRow()) {
            // A small right-pointing triangle, centred in the column.
            const int h = 8;
            const int w = 4;
            const int x = rect.left() + (rect.width() - w) / 2;
            const int y = rect.top() + (rect.height() - h) / 2;
            QPolygon triangle;
            triangle << QPoint(x, y) << QPoint(x + w, y + h / 2) << QPoint(x, y + h);
            painter->setPen(Qt::NoPen);
            painter->setBrush(palette().color(QPalette::WindowText));
            painter->drawPolygon(triangle);
        }
        painter->restore();
    }

private:
    TDBGrid *m_grid;
};

} // namespace

// ---- TDBGridModel -----------------------------------------------------------------

TDBGridModel::TDBGridModel(TDBGrid *grid) : QAbstractTableModel(grid), m_grid(grid) {}

int TDBGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TDBGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_grid->columns().size());
}

TField *TDBGridModel::fieldOf(int column) const
{
    TDataSet *ds = m_grid->dataSet();
    if (!ds || !ds->Active() || column < 0 || column >= m_fieldIndex.size())
        return nullptr;
    return ds->Fields(m_fieldIndex.at(column));
}

QVariant TDBGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        TDataSet *ds = m_grid->dataSet();
        const int field = m_fieldIndex.value(index.column(), -1);
        if (!ds || field < 0)
            return QString();
        return ds->DisplayText(index.row(), field);
    }
    case Qt::TextAlignmentRole: {
        const TField *field = fieldOf(index.column());
        const Qt::Alignment horizontal =
            field && field->IsNumeric() ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(horizontal | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant TDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_grid->columns().size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const TColumn &column = m_grid->columns().at(section);
    switch (role) {
    case Qt::DisplayRole:
        return column.title;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue((column.titleAlignment & Qt::AlignHorizontal_Mask) |
                                   Qt::AlignVCenter);
    default:
        return {};
    }
}

Qt::ItemFlags TDBGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void TDBGridModel::reload()
{
    beginResetModel();
    m_fieldIndex.clear();
    m_rows = 0;
    TDataSet *ds = m_grid->dataSet();
    for (const TColumn &column : m_grid->columns()) {
        const TField *field = ds && ds->Active() ? ds->FindField(column.fieldName) : nullptr;
        m_fieldIndex << (field ? field->Index() : -1);
    }
    if (ds && ds->Active())
        m_rows = ds->RecordCount();
    endResetModel();
}

// ---- TDBGrid ----------------------------------------------------------------------

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent), m_model(new TDBGridModel(this))
{
    setFont(FormFont());
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorderWidth);
    setVerticalHeader(new IndicatorHeader(this));
    setModel(m_model);
    setWordWrap(false);
    // Cells clip their text at the column's edge, as the grid always has.
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setFocusPolicy(Qt::StrongFocus);
    horizontalHeader()->setFont(FormFont());
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight());
    horizontalHeader()->setFixedHeight(rowHeight());
    verticalHeader()->setFixedWidth(kIndicatorWidth + kLineWidth);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
        if (!m_applyingWidths && section >= 0 && section < m_userResized.size())
            m_userResized[section] = true;
    });
    applyOptions();
    applyPalette();
}

TDBGrid::~TDBGrid() = default;

TDataSet *TDBGrid::dataSet() const
{
    return m_dataSource ? m_dataSource->DataSet() : nullptr;
}

void TDBGrid::setDataSource(TDataSource *source)
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataSource = source;
    if (source) {
        m_connections << connect(source, &TDataSource::DataSetChanged, this,
                                 &TDBGrid::onDataSetChanged)
                      << connect(source, &TDataSource::RowsChanged, this,
                                 &TDBGrid::onDataSetChanged)
                      << connect(source, &TDataSource::StateChanged, this,
                                 &TDBGrid::onDataSetChanged)
                      << connect(source, &TDataSource::DataChanged, this,
                                 [this] { viewport()->update(); })
                      << connect(source, &TDataSource::CurrentChanged, this,
                                 &TDBGrid::onCurrentRecordChanged);
    }
    onDataSetChanged();
}

void TDBGrid::setOptions(TDBGridOptions options)
{
    m_options = options;
    applyOptions();
    applyPalette();
}

void TDBGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    applyOptions();
}

void TDBGrid::applyOptions()
{
    horizontalHeader()->setVisible(hasOption(dgTitles));
    verticalHeader()->setVisible(hasOption(dgIndicator));
    const bool resizable = hasOption(dgColumnResize);
    horizontalHeader()->setSectionsMovable(resizable);
    horizontalHeader()->setSectionResizeMode(resizable ? QHeaderView::Interactive
                                                       : QHeaderView::Fixed);
    setShowGrid(hasOption(dgColLines) || hasOption(dgRowLines));
    setSelectionBehavior(hasOption(dgRowSelect) ? QAbstractItemView::SelectRows
                                                : QAbstractItemView::SelectItems);
    setSelectionMode(hasOption(dgMultiSelect) ? QAbstractItemView::ExtendedSelection
                                              : QAbstractItemView::SingleSelection);
    // Whole-row selection leaves Tab to the window's focus chain.
    setTabKeyNavigation(hasOption(dgTabs) && !hasOption(dgRowSelect));
    if (m_readOnly || !hasOption(dgEditing))
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    applyColumnWidths();
}

void TDBGrid::applyPalette()
{
    // Without dgAlwaysShowSelection the selected row is highlighted only while the grid
    // has the focus; without it, it looks like any other row.
    const QPalette base = QPalette();
    const bool highlighted = hasOption(dgAlwaysShowSelection) || hasFocus();
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Highlight,
                     highlighted ? base.color(QPalette::Active, QPalette::Highlight)
                                 : base.color(group, QPalette::Base));
        pal.setColor(group, QPalette::HighlightedText,
                     highlighted ? base.color(QPalette::Active, QPalette::HighlightedText)
                                 : base.color(group, QPalette::Text));
    }
    setPalette(pal);
}

void TDBGrid::setColumns(const QList<TColumn> &columns)
{
    m_columns = columns;
    m_userResized = QList<bool>(columns.size(), false);
    m_model->reload();
    applyColumnWidths();
}

int TDBGrid::rowHeight() const
{
    return QFontMetrics(font()).height() + 4 + kLineWidth;
}

int TDBGrid::defaultColumnWidth(int column) const
{
    const TField *field = m_model->fieldOf(column);
    if (!field)
        return kUnknownFieldWidth;
    const QFontMetrics cells(font());
    const QFontMetrics titles(horizontalHeader()->font());
    const int byField = field->DisplayWidth() * cells.horizontalAdvance(QLatin1Char('0')) + 4;
    const int byTitle = titles.horizontalAdvance(m_columns.at(column).title) + 4;
    return std::max(byField, byTitle);
}

int TDBGrid::columnWidth(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return 0;
    const int line = hasOption(dgColLines) ? kLineWidth : 0;
    return horizontalHeader()->sectionSize(column) - line;
}

void TDBGrid::applyColumnWidths()
{
    // Widths the user dragged last until the program ends; the rest follow the layout.
    const int line = hasOption(dgColLines) ? kLineWidth : 0;
    m_applyingWidths = true;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_userResized.value(i))
            continue;
        const int set = m_columns.at(i).width;
        const int width = set == TColumn::kDefaultWidth ? defaultColumnWidth(i) : set;
        horizontalHeader()->resizeSection(i, width + line);
    }
    m_applyingWidths = false;
}

int TDBGrid::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TDBGrid::onDataSetChanged()
{
    // A model reset rebuilds the title row; the order and widths that the user dragged
    // last until the program ends, so they are carried over.
    QHeaderView *titles = horizontalHeader();
    QList<int> order;
    QList<int> sizes;
    for (int visual = 0; visual < titles->count(); ++visual)
        order << titles->logicalIndex(visual);
    for (int i = 0; i < titles->count(); ++i)
        sizes << titles->sectionSize(i);
    m_model->reload();
    m_applyingWidths = true;
    if (titles->count() == order.size()) {
        for (int visual = 0; visual < order.size(); ++visual)
            titles->moveSection(titles->visualIndex(order.at(visual)), visual);
        for (int i = 0; i < sizes.size(); ++i)
            titles->resizeSection(i, sizes.at(i));
    }
    m_applyingWidths = false;
    applyColumnWidths();
    onCurrentRecordChanged();
}

void TDBGrid::onCurrentRecordChanged()
{
    TDataSet *ds = dataSet();
    const int row = ds && ds->Active() ? ds->RecNo() : -1;
    m_syncing = true;
    if (row < 0 || row >= m_model->rowCount()) {
        setCurrentIndex(QModelIndex());
    } else {
        const int column = std::max(0, currentIndex().column());
        const QModelIndex target = m_model->index(row, column);
        if (target != currentIndex())
            setCurrentIndex(target);
        scrollTo(target);
    }
    m_syncing = false;
    verticalHeader()->viewport()->update();
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    verticalHeader()->viewport()->update();
    if (m_syncing || !current.isValid())
        return;
    TDataSet *ds = dataSet();
    if (!ds || !ds->Active() || ds->RecNo() == current.row())
        return;
    if (!RunHandler([&] { ds->MoveTo(current.row()); }))
        onCurrentRecordChanged(); // the move was refused: show the row that stays current
}

void TDBGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    applyPalette();
}

void TDBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    applyPalette();
}
