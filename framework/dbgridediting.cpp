#include "dbgridediting.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include "dataset.h"
#include "dbgrid.h"
#include "errorbox.h"
#include "messagedlg.h"

namespace {

bool isEditingState(const TDataSet *dataSet)
{
    return dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

// Keys that change the editor's text, and so need the entry to be editing first.
bool changesText(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier)))
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    return event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
           || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
           || event->matches(QKeySequence::DeleteEndOfWord)
           || event->matches(QKeySequence::DeleteStartOfWord)
           || event->matches(QKeySequence::DeleteEndOfLine);
}

} // namespace

TDBGridEditing::TDBGridEditing(TDBGrid *grid) : QObject(grid), m_grid(grid)
{
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab between cells is handled here; the view's own would move without saving.
    grid->setTabKeyNavigation(false);
    m_editor = new QLineEdit(grid->viewport());
    m_editor->setObjectName(QStringLiteral("InplaceEditor"));
    m_editor->setFrame(false);
    m_editor->hide();
    connect(m_editor, &QLineEdit::textChanged, this, [this] {
        if (!m_settingText)
            m_editorModified = true;
    });
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    grid->verticalHeader()->viewport()->installEventFilter(this);
    m_editor->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &TDBGridEditing::onFocusChanged);
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TDBGridEditing::placeEditor);
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TDBGridEditing::placeEditor);
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, &TDBGridEditing::placeEditor);
    connect(grid->horizontalHeader(), &QHeaderView::sectionMoved, this, &TDBGridEditing::placeEditor);
    // The grid rebuilds its rows on every change of the entry's state; the current column
    // is the user's and outlives that.
    connect(grid->gridModel(), &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_savedColumn = m_grid->currentIndex().column(); });
    connect(grid->gridModel(), &QAbstractItemModel::modelReset, this, [this] {
        TDataSet *ds = dataSet();
        if (ds && m_savedColumn >= 0 && ds->RecNo() >= 0 && ds->RecNo() < m_grid->gridModel()->rowCount())
            m_grid->setCurrentIndex(m_grid->gridModel()->index(ds->RecNo(), std::min(m_savedColumn, columnCount() - 1)));
    });
    if (TDataSource *source = grid->dataSource()) {
        for (auto signal : {&TDataSource::StateChanged, &TDataSource::DataChanged,
                            &TDataSource::RowsChanged, &TDataSource::CurrentChanged,
                            &TDataSource::DataSetChanged})
            connect(source, signal, this, &TDBGridEditing::onDataSetEvent);
    }
}

TDBGridEditing::~TDBGridEditing() = default;

TDataSet *TDBGridEditing::dataSet() const
{
    TDataSet *dataSet = m_grid ? m_grid->dataSet() : nullptr;
    return dataSet && dataSet->Active() ? dataSet : nullptr;
}

TField *TDBGridEditing::currentField() const
{
    if (!dataSet())
        return nullptr;
    return m_grid->gridModel()->fieldOf(selectedIndex());
}

bool TDBGridEditing::canModify() const
{
    TDataSet *ds = dataSet();
    return ds && ds->CanModify() && !m_grid->readOnly() && m_grid->hasOption(dgEditing);
}

bool TDBGridEditing::editorMode() const
{
    return m_editor->isVisible();
}

int TDBGridEditing::columnCount() const
{
    return m_grid->gridModel()->columnCount();
}

int TDBGridEditing::selectedIndex() const
{
    const int column = m_grid->currentIndex().column();
    return column < 0 ? 0 : column;
}

void TDBGridEditing::setSelectedIndex(int column)
{
    TDataSet *ds = dataSet();
    if (!ds || columnCount() == 0)
        return;
    column = std::clamp(column, 0, columnCount() - 1);
    const int row = ds->RecNo();
    if (row < 0)
        return;
    m_grid->setCurrentIndex(m_grid->gridModel()->index(row, column));
    m_grid->scrollTo(m_grid->currentIndex());
}

int TDBGridEditing::visibleRowCount() const
{
    const int height = std::max(1, m_grid->rowHeight());
    return std::max(1, m_grid->viewport()->height() / height);
}

// A new entry into which nothing was typed (neither into the entry nor into the editor).
bool TDBGridEditing::isUntouchedNewEntry() const
{
    TDataSet *ds = dataSet();
    return ds && ds->State() == dsInsert && !ds->Modified() && !m_editorModified;
}

bool TDBGridEditing::newEntryAtEnd() const
{
    TDataSet *ds = dataSet();
    return ds && ds->State() == dsInsert && ds->RecNo() == ds->RecordCount() - 1;
}

void TDBGridEditing::runGuarded(const std::function<void()> &action)
{
    Handle(action);
}

bool TDBGridEditing::ensureEditing()
{
    TDataSet *ds = dataSet();
    if (!ds)
        return false;
    if (isEditingState(ds))
        return true;
    if (!canModify())
        return false;
    TDataSource *source = m_grid->dataSource();
    if (!source || !source->AutoEdit())
        return false;
    if (!Handle([&] { source->Edit(); }))
        return false;
    return isEditingState(ds);
}

void TDBGridEditing::placeEditor()
{
    TDataSet *ds = dataSet();
    if (!ds || !m_editor->isVisible())
        return;
    const QModelIndex index = m_grid->gridModel()->index(ds->RecNo(), selectedIndex());
    QRect rect = m_grid->visualRect(index);
    if (rect.isEmpty()) {
        hideEditor();
        return;
    }
    m_editor->setGeometry(rect);
}

void TDBGridEditing::showEditorWithText(const QString &text, bool modified)
{
    TDataSet *ds = dataSet();
    if (!ds || ds->RecNo() < 0 || columnCount() == 0)
        return;
    setSelectedIndex(selectedIndex());
    TField *field = currentField();
    m_settingText = true;
    m_editor->setText(text);
    m_settingText = false;
    m_editorModified = modified;
    m_editor->setReadOnly(!canModify() || (field && !field->CanModify()));
    m_editor->setMaxLength(field && field->DataType() == ftString ? field->Size() : 32767);
    m_editor->setAlignment(field && field->IsNumeric() ? Qt::AlignRight | Qt::AlignVCenter
                                                       : Qt::AlignLeft | Qt::AlignVCenter);
    m_editor->setFont(m_grid->font());
    m_editor->show();
    placeEditor();
    if (modified)
        m_editor->end(false);
    else
        m_editor->selectAll();
    if (m_grid->hasFocus() || m_grid->isAncestorOf(QApplication::focusWidget()) || !QApplication::focusWidget())
        m_editor->setFocus(Qt::OtherFocusReason);
}

void TDBGridEditing::showEditor()
{
    TDataSet *ds = dataSet();
    if (!ds || ds->IsEmpty())
        return;
    TField *field = currentField();
    showEditorWithText(field ? field->AsString() : QString(), false);
}

void TDBGridEditing::hideEditor()
{
    if (!m_editor->isVisible())
        return;
    // The grid takes the focus back first: a focused editor that is hidden would hand the
    // focus on along the focus chain, which the view turns into a move to the next cell.
    if (m_editor->hasFocus() && m_grid)
        m_grid->setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    m_editorModified = false;
}

void TDBGridEditing::updateData()
{
    if (!editorMode() || !m_editorModified)
        return;
    TField *field = currentField();
    if (!field)
        return;
    field->SetAsString(m_editor->text());
    m_editorModified = false;
}

void TDBGridEditing::detach()
{
    m_detached = true;
    // Nothing reaches this object any more, also not while the grid is being destroyed.
    disconnect(qApp, nullptr, this, nullptr);
    if (m_grid) {
        m_grid->removeEventFilter(this);
        m_grid->viewport()->removeEventFilter(this);
        m_grid->verticalHeader()->viewport()->removeEventFilter(this);
    }
    m_editor->removeEventFilter(this);
    m_editor->hide();
    m_editorModified = false;
}

void TDBGridEditing::onDataSetEvent()
{
    if (!editorMode())
        return;
    TDataSet *ds = dataSet();
    if (!ds || ds->RecNo() < 0) {
        hideEditor();
        return;
    }
    if (!m_editorModified) {
        // The entry changed under the editor (a cancel, a post, another row): show what the
        // entry now holds.
        // Only a different value replaces the text, so that a selection survives the start
        // of editing.
        TField *field = currentField();
        if (field && field->AsString() != m_editor->text()) {
            m_settingText = true;
            m_editor->setText(field->AsString());
            m_settingText = false;
        }
    }
    placeEditor();
}

void TDBGridEditing::onFocusChanged(QWidget *old, QWidget *now)
{
    if (m_detached || !m_grid || !old || !now)
        return;
    const bool oldInside = old == m_grid || m_grid->isAncestorOf(old);
    const bool nowInside = now == m_grid || m_grid->isAncestorOf(now);
    // Only a move to another control of the same window counts as leaving; a message box
    // or another window taking the focus does not.
    if (!oldInside || nowInside || now->window() != m_grid->window())
        return;
    TDataSet *ds = dataSet();
    if (!ds)
        return;
    const bool ok = Handle([&] {
        if (m_grid->hasOption(dgCancelOnExit) && isUntouchedNewEntry()) {
            hideEditor();
            ds->Cancel();
            return;
        }
        updateData();
        m_editor->hide();
        m_editorModified = false;
    });
    if (!ok && m_editor->isVisible())
        m_editor->setFocus(Qt::OtherFocusReason);
}

bool TDBGridEditing::eventFilter(QObject *watched, QEvent *event)
{
    if (m_detached || !m_grid)
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == m_editor)
            return handleEditorKey(key);
        if (watched == m_grid)
            return handleGridKey(key);
    }
    if (event->type() == QEvent::MouseButtonPress
        && (watched == m_grid->viewport() || watched == m_grid->verticalHeader()->viewport()))
        return handleViewportMouse(static_cast<QMouseEvent *>(event),
                                   watched == m_grid->verticalHeader()->viewport());
    if (event->type() == QEvent::Resize && watched == m_grid->viewport())
        placeEditor();
    return false;
}

bool TDBGridEditing::handleEditorKey(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return handleGridKey(event);
    case Qt::Key_Insert:
        if (event->modifiers() == Qt::NoModifier)
            return handleGridKey(event);
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (ctrl)
            return handleGridKey(event);
        return false;
    case Qt::Key_Delete:
        if (ctrl)
            return handleGridKey(event);
        break;
    case Qt::Key_F2:
        m_editor->end(false);
        return true;
    default:
        break;
    }
    if (changesText(event) && !m_editor->isReadOnly()) {
        // The first change of the cell starts editing the entry; when it cannot start, the
        // key is dropped.
        if (!ensureEditing())
            return true;
    }
    return false;
}

bool TDBGridEditing::handleGridKey(QKeyEvent *event)
{
    TDataSet *ds = dataSet();
    if (!ds)
        return false; // a closed table: the view's own handling (Tab leaves the grid)
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const int last = columnCount() - 1;
    switch (event->key()) {
    case Qt::Key_Up: runGuarded([&] { priorRow(); }); return true;
    case Qt::Key_Down: runGuarded([&] { nextRow(); }); return true;
    case Qt::Key_PageUp: runGuarded([&] { moveBy(-visibleRowCount()); }); return true;
    case Qt::Key_PageDown: runGuarded([&] { moveBy(visibleRowCount()); }); return true;
    case Qt::Key_Home:
        runGuarded([&] { ctrl ? first() : moveColumn(0); });
        return true;
    case Qt::Key_End:
        runGuarded([&] { ctrl ? this->last() : moveColumn(last); });
        return true;
    case Qt::Key_Left:
        if (selectedIndex() > 0)
            runGuarded([&] { moveColumn(selectedIndex() - 1); });
        return true;
    case Qt::Key_Right:
        if (selectedIndex() < last)
            runGuarded([&] { moveColumn(selectedIndex() + 1); });
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (alt)
            return false;
        runGuarded([&] { tabKey(event->key() == Qt::Key_Tab && !shift); });
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: runGuarded([&] { enterKey(); }); return true;
    case Qt::Key_Escape: runGuarded([&] { escapeKey(); }); return true;
    case Qt::Key_Insert:
        if (event->modifiers() == Qt::NoModifier)
            runGuarded([&] { insertKey(); });
        return true;
    case Qt::Key_Delete:
        if (ctrl)
            runGuarded([&] { deleteKey(); });
        return true;
    case Qt::Key_F2:
        // F2 opens the editor to change the text, not to replace it: the caret goes to the end.
        if (!editorMode())
            showEditor();
        m_editor->end(false);
        return true;
    case Qt::Key_Backspace:
        if (!editorMode())
            typeCharacter(QString());
        return true;
    default:
        break;
    }
    const QString text = event->text();
    if (!editorMode() && !text.isEmpty() && text.at(0).isPrint() && !ctrl && !alt) {
        typeCharacter(text);
        return true;
    }
    return false;
}

bool TDBGridEditing::handleViewportMouse(QMouseEvent *event, bool fromIndicator)
{
    TDataSet *ds = dataSet();
    if (!ds || event->button() != Qt::LeftButton)
        return false;
    int row = -1;
    int column = selectedIndex();
    if (fromIndicator) {
        row = m_grid->verticalHeader()->logicalIndexAt(event->position().toPoint());
    } else {
        const QModelIndex index = m_grid->indexAt(event->position().toPoint());
        if (!index.isValid())
            return true;
        row = index.row();
        column = index.column();
    }
    if (row < 0)
        return true;
    const bool hadFocus = m_grid->hasFocus() || m_grid->isAncestorOf(QApplication::focusWidget());
    if (row == ds->RecNo() && column == selectedIndex()) {
        // A click on the current cell of the focused grid opens its editor.
        if (!hadFocus)
            m_grid->setFocus(Qt::MouseFocusReason);
        else if (!editorMode() && !fromIndicator)
            showEditor();
        return true;
    }
    runGuarded([&] {
        updateData();
        hideEditor();
        if (row != ds->RecNo())
            ds->MoveTo(row);
        setSelectedIndex(column);
        if (!hadFocus)
            m_grid->setFocus(Qt::MouseFocusReason);
    });
    return true;
}

void TDBGridEditing::typeCharacter(const QString &text)
{
    if (!canModify())
        return;
    if (!ensureEditing())
        return;
    showEditorWithText(text, true);
}

void TDBGridEditing::enterKey()
{
    if (editorMode()) {
        updateData();
        hideEditor();
    } else {
        showEditor();
    }
}

void TDBGridEditing::escapeKey()
{
    TDataSet *ds = dataSet();
    if (editorMode() && m_editorModified) {
        // First the cell gets back what the entry holds.
        m_editorModified = false;
        hideEditor();
        return;
    }
    hideEditor();
    if (isEditingState(ds))
        ds->Cancel();
}

void TDBGridEditing::insertKey()
{
    if (!canModify())
        return;
    updateData();
    hideEditor();
    dataSet()->Insert();
}

void TDBGridEditing::tabKey(bool forward)
{
    const int column = selectedIndex();
    const int last = columnCount() - 1;
    if (forward) {
        if (column < last) {
            moveColumn(column + 1);
            return;
        }
        nextRow();
        setSelectedIndex(0);
    } else {
        if (column > 0) {
            moveColumn(column - 1);
            return;
        }
        priorRow();
        setSelectedIndex(last);
    }
}

void TDBGridEditing::nextRow()
{
    TDataSet *ds = dataSet();
    updateData();
    if (isUntouchedNewEntry()) {
        // Nothing is appended after a new entry nobody typed into; one inserted inside the
        // table is dropped, which brings the entry below it up.
        if (newEntryAtEnd())
            return;
        hideEditor();
        ds->Cancel();
        return;
    }
    hideEditor();
    ds->MoveBy(1);
    if (ds->Eof() && canModify())
        ds->Append();
}

void TDBGridEditing::priorRow()
{
    TDataSet *ds = dataSet();
    updateData();
    if (isUntouchedNewEntry() && newEntryAtEnd()) {
        hideEditor();
        ds->Cancel();
        return;
    }
    hideEditor();
    ds->MoveBy(-1);
}

void TDBGridEditing::moveBy(int distance)
{
    updateData();
    hideEditor();
    dataSet()->MoveBy(distance);
}

void TDBGridEditing::first()
{
    updateData();
    hideEditor();
    dataSet()->First();
}

void TDBGridEditing::last()
{
    updateData();
    hideEditor();
    dataSet()->Last();
}

void TDBGridEditing::moveColumn(int column)
{
    updateData();
    hideEditor();
    setSelectedIndex(column);
}

void TDBGridEditing::deleteKey()
{
    TDataSet *ds = dataSet();
    if (!canModify() || ds->IsEmpty())
        return;
    if (m_grid->hasOption(dgConfirmDelete) && !ConfirmDeleteRecord())
        return;
    hideEditor();
    ds->Delete();
}
