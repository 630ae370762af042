#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QKeyEvent;
class QLineEdit;
class QMouseEvent;
class QWidget;
class TDBGrid;
class TDataSet;
class TField;

// The editing behaviour of a data grid whose options hold dgEditing: the cell editor, the
// keys that start, take and drop changes, the moves between cells and entries, and the
// delete confirmation. It attaches to the grid (through event filters), and lives as long
// as the grid, which owns it.
//
// The current entry's state belongs to the grid's dataset; this class decides only which
// dataset operation a key or click asks for, and when an open cell editor's text goes into
// the entry (UpdateData): before any move, a post, an Enter and when the focus leaves the
// grid. An error raised on the way is shown in the framework's error box, and what asked
// for it does not happen: the move, the save or the closing of the editor.
class TDBGridEditing : public QObject
{
    Q_OBJECT
public:
    // Attaches to grid; the grid becomes the parent. Turns off the view's own editing.
    explicit TDBGridEditing(TDBGrid *grid);
    ~TDBGridEditing() override;

    TDBGrid *grid() const { return m_grid; }

    // The cell editor over the current cell; visible while editorMode().
    QLineEdit *inplaceEditor() const { return m_editor; }
    bool editorMode() const;
    // Whether the open editor's text differs from what the entry holds (typed since the
    // editor opened or since its text last went into the entry).
    bool editorModified() const { return m_editorModified; }

    // The current column (0-based) of the grid.
    int selectedIndex() const;
    void setSelectedIndex(int column);

    // Opens the editor over the current cell with the cell's text, all of it selected.
    void showEditor();
    // Closes the editor; its text is kept nowhere.
    void hideEditor();

    // Hands an open, changed editor's text to the current field. Raises the field's
    // conversion error; the editor then keeps its text.
    void updateData();

    // For the window's close: closes the editor without handing its text on, and stops
    // reacting to the focus leaving the grid.
    void detach();

    // Called by the grid when its own key and mouse handling runs (public for tests).
    bool handleGridKey(QKeyEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TDataSet *dataSet() const;
    TField *currentField() const;
    bool canModify() const;
    bool isUntouchedNewEntry() const;
    bool newEntryAtEnd() const;
    int columnCount() const;
    int visibleRowCount() const;

    bool handleEditorKey(QKeyEvent *event);
    bool handleViewportMouse(QMouseEvent *event, bool fromIndicator);
    void onFocusChanged(QWidget *old, QWidget *now);
    void onDataSetEvent();

    // Starts editing the entry before the first change of a cell; false when the entry
    // cannot be changed (read-only, or the engine refused and its error was shown).
    bool ensureEditing();
    void showEditorWithText(const QString &text, bool modified);
    void placeEditor();
    void runGuarded(const std::function<void()> &action);

    // The key table.
    void typeCharacter(const QString &text);
    void enterKey();
    void escapeKey();
    void insertKey();
    void tabKey(bool forward);
    void nextRow();
    void priorRow();
    void moveBy(int distance);
    void first();
    void last();
    void moveColumn(int column);
    void deleteKey();

    QPointer<TDBGrid> m_grid;
    QLineEdit *m_editor = nullptr;
    bool m_editorModified = false;
    int m_savedColumn = -1;
    bool m_settingText = false;
    bool m_detached = false;
};
