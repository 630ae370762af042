#pragma once

#include <QString>

#include "forms.h"

class QCloseEvent;
class QSessionManager;
class TDBGrid;
class TDBGridEditing;
class TDBNavigator;
class TDataSource;
class TLabeledEdit;
class TOpenDialog;
class TSpeedButton;
class TTable;

// The editor's main window: the directory grid with its navigator over the table, the
// folder box with its folder button, and the organization name box. The start-up
// (FormCreate) runs while the window is built, before it is first shown; every request to
// close it saves the two boxes to the settings file (FormCloseQuery), and a failed save
// keeps it open.
class TForm1 : public TForm
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The controls and components, owned by the window for its whole life.
    TDBGrid *DBGrid1;
    TDataSource *DataSource1;
    TTable *Table1;
    TDBNavigator *DBNavigator1;
    TOpenDialog *OpenDialog1;
    TLabeledEdit *LabeledEdit1;
    TSpeedButton *SpeedButton1;
    TLabeledEdit *LabeledEdit2;

    // Start-up: engine library location, the settings into the two boxes, the table open.
    // Raises what its steps raise; the caller shows it.
    void FormCreate(QObject *Sender);
    // The folder choice: a confirmed file's folder (with its final separator) goes into
    // the folder box; a cancel changes nothing.
    void SpeedButton1Click(QObject *Sender);
    // Saves both boxes to the settings file. Raises EIniFileException when a write fails;
    // CanClose is left as it came.
    void FormCloseQuery(QObject *Sender, bool &CanClose);

    // The grid's editing behaviour (cell editor, keys, moves).
    TDBGridEditing *gridEditing() const { return m_gridEditing; }

    // The settings file's full path: the program folder followed by its name.
    static QString settingsFilePath();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    // Runs FormCloseQuery as a close request does; true when the window may close.
    bool queryClose();
    void onCommitDataRequest(QSessionManager &manager);

    TDBGridEditing *m_gridEditing = nullptr;
    // False while the start-up has not read the settings file (an engine location error
    // stopped it first): the boxes then hold nothing read from the file.
    bool m_settingsRead = false;
    bool m_closing = false;
};
