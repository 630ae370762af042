#pragma once

#include "dataset.h"
#include "dbgrid.h"
#include "forms.h"
#include "stdctrls.h"

// The viewer's main window: the directory grid over the directory query, the five search
// boxes, the cancel-filter button and the About button. Its creation runs the whole
// start-up (FormCreate); an error there is shown in the error box and the window is still
// created, showing what the start-up had reached.
class TForm1 : public TForm
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    TDBGrid *DBGrid1;
    TDataSource *DataSource1;
    TQuery *Query1;
    TEdit *Edit1; // name fragment
    TEdit *Edit2; // department fragment
    TEdit *Edit3; // room number
    TEdit *Edit4; // internal number
    TSpeedButton *SpeedButton1; // cancel filter
    TEdit *Edit5; // city number
    TBitBtn *BitBtn1; // About

    void FormCreate(QObject *sender);
    void BitBtn1Click(QObject *sender);
    void SpeedButton1Click(QObject *sender);
    void Edit1KeyUp(QObject *sender, TKeyCode &key, TShiftState shift);
    void Edit2KeyUp(QObject *sender, TKeyCode &key, TShiftState shift);
    void Edit3KeyUp(QObject *sender, TKeyCode &key, TShiftState shift);
    void Edit4KeyUp(QObject *sender, TKeyCode &key, TShiftState shift);
    void Edit5KeyUp(QObject *sender, TKeyCode &key, TShiftState shift);
    // The digit filter of Edit3, Edit4 and Edit5.
    void Edit5KeyPress(QObject *sender, char &key);

private:
    void ShowFullList();
    void FragmentSearch(TEdit *box, const QString &column);
    void NumberSearch(TEdit *box, const QString &column);
    void EmptyBoxesExcept(const TEdit *keep);
};

// The table path: the base folder followed by "TelBase.dbf", set by the start-up and read
// by every statement. Empty until the start-up has read the settings.
const QString &TablePath();

// The text of a statement line that names the table: the table path between single
// quotes, a quote in the path doubled.
QString QuotedSqlText(const QString &text);

// The program's main window, set by the program start (nullptr before).
extern TForm1 *Form1;
