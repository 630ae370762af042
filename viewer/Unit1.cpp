#include "Unit1.h"

#include <QIcon>

#include "about.h"
#include "handlers.h"
#include "enginelocation.h"
#include "inifile.h"
#include "programfolder.h"
#include "sysutils.h"

TForm1 *Form1 = nullptr;

namespace {

// The unit's table path (see TablePath()).
QString g_tablePath;

const QString kTableFile = QStringLiteral("TelBase.dbf");
const QString kSettingsFile = QStringLiteral("fonvik.ini");
const QString kSection = QStringLiteral("param");
const QString kNameKey = QStringLiteral("name");
const QString kBaseKey = QStringLiteral("base");
const QString kDefaultName = QStringLiteral("организации");
const QString kTitle = QStringLiteral("Телефонный справочник ");
const QString kDesignTitle = QStringLiteral("Телефонный справочник организации");
const QString kOrderLine = QStringLiteral("ORDER BY FIO");

const QString kTextHint =
    QStringLiteral("Для поиска введите фрагмент текста и нажмите \"Enter\"");
const QString kNumberHint =
    QStringLiteral("Для поиска введите номер (используйте только цифры) и нажмите \"Enter\"");

QString selectLine()
{
    return QStringLiteral("select * from '") + QuotedSqlText(g_tablePath) +
           QStringLiteral("'");
}

} // namespace

const QString &TablePath()
{
    return g_tablePath;
}

QString QuotedSqlText(const QString &text)
{
    // A quote inside quoted statement text is written twice, so a name like O'Neil or a
    // folder holding a quote cannot end the text early.
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return quoted;
}

TForm1::TForm1(QWidget *parent) : TForm(parent)
{
    // One main window per program run: its table path starts empty with it.
    g_tablePath.clear();

    setCaption(kDesignTitle);
    setClientSize(782, 459);
    setPosition(186, 129);
    setWindowIcon(QIcon(QStringLiteral(":/viewer/fonvik.png")));

    // Members in their declared order.
    DBGrid1 = new TDBGrid(this);
    DataSource1 = new TDataSource(this);
    Query1 = new TQuery(this);
    Edit1 = new TEdit(this);
    Edit2 = new TEdit(this);
    Edit3 = new TEdit(this);
    Edit4 = new TEdit(this);
    SpeedButton1 = new TSpeedButton(this);
    Edit5 = new TEdit(this);
    BitBtn1 = new TBitBtn(this);

    DataSource1->SetDataSet(Query1);

    DBGrid1->setGeometry(0, 56, 785, 401);
    DBGrid1->setToolTip(QStringLiteral("Список телефонных номеров"));
    DBGrid1->setReadOnly(true);
    DBGrid1->setOptions(dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines |
                        dgTabs | dgRowSelect | dgConfirmDelete | dgCancelOnExit);
    DBGrid1->setColumns({
        {QStringLiteral("FIO"), QStringLiteral("ФИО"), Qt::AlignHCenter, 200},
        {QStringLiteral("OTDEL"), QStringLiteral("Отдел"), Qt::AlignHCenter, 150},
        {QStringLiteral("DOLJ"), QStringLiteral("Должность"), Qt::AlignLeft, 150},
        {QStringLiteral("KAB"), QStringLiteral("№ кабинета"), Qt::AlignHCenter,
         TColumn::kDefaultWidth},
        {QStringLiteral("NVNUTR"), QStringLiteral("№ внутренний"), Qt::AlignHCenter,
         TColumn::kDefaultWidth},
        {QStringLiteral("NGOROD"), QStringLiteral("№ городской"), Qt::AlignHCenter, 100},
        {QStringLiteral("NSOT"), QStringLiteral("№ сотовый"), Qt::AlignLeft, 100},
    });
    DBGrid1->setDataSource(DataSource1);

    Edit1->setGeometry(18, 8, 199, 21);
    Edit1->setToolTip(kTextHint);
    Edit2->setGeometry(220, 8, 141, 21);
    Edit2->setToolTip(kTextHint);
    Edit3->setGeometry(511, 8, 69, 21);
    Edit3->setToolTip(kNumberHint);
    Edit4->setGeometry(584, 8, 72, 21);
    Edit4->setToolTip(kNumberHint);
    Edit5->setGeometry(660, 7, 93, 21);
    Edit5->setToolTip(kNumberHint);

    BitBtn1->setGeometry(384, 8, 83, 25);
    BitBtn1->setText(QStringLiteral("О программе"));

    SpeedButton1->setGeometry(8, 32, 23, 22);
    SpeedButton1->setToolTip(QStringLiteral("Отменить фильтр"));
    SpeedButton1->setGlyph(QPixmap(QStringLiteral(":/viewer/cancelfilter.png")));

    // Tab order: the grid, the five boxes, the About button; the cancel-filter button
    // takes no focus.
    setTabOrder(DBGrid1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Edit4);
    setTabOrder(Edit4, Edit5);
    setTabOrder(Edit5, BitBtn1);
    setTabOrder(BitBtn1, DBGrid1);
    DBGrid1->setFocus();

    Edit1->OnKeyUp = [this](QObject *s, TKeyCode &k, TShiftState sh) { Edit1KeyUp(s, k, sh); };
    Edit2->OnKeyUp = [this](QObject *s, TKeyCode &k, TShiftState sh) { Edit2KeyUp(s, k, sh); };
    Edit3->OnKeyUp = [this](QObject *s, TKeyCode &k, TShiftState sh) { Edit3KeyUp(s, k, sh); };
    Edit4->OnKeyUp = [this](QObject *s, TKeyCode &k, TShiftState sh) { Edit4KeyUp(s, k, sh); };
    Edit5->OnKeyUp = [this](QObject *s, TKeyCode &k, TShiftState sh) { Edit5KeyUp(s, k, sh); };
    for (TEdit *box : {Edit3, Edit4, Edit5})
        box->OnKeyPress = [this](QObject *s, char &k) { Edit5KeyPress(s, k); };
    SpeedButton1->OnClick = [this](QObject *s) { SpeedButton1Click(s); };
    BitBtn1->OnClick = [this](QObject *s) { BitBtn1Click(s); };

    RunHandler([this] { FormCreate(this); });
}

TForm1::~TForm1()
{
    // The grid and the data source go before the query they show, and all three while
    // the window is still whole.
    delete DBGrid1;
    delete DataSource1;
    delete Query1;
}

void TForm1::FormCreate(QObject *)
{
    LocateEngineLibrary();
    QString name;
    {
        const TIniFile ini(ProgramFolder::path() + kSettingsFile);
        name = ini.ReadString(kSection, kNameKey, kDefaultName);
        g_tablePath = ini.ReadString(kSection, kBaseKey, ProgramFolder::path());
    }
    g_tablePath += kTableFile;
    if (name.isEmpty())
        name = kDefaultName;
    setCaption(kTitle + name);
    for (TEdit *box : {Edit1, Edit2, Edit3, Edit4, Edit5})
        box->clear();
    ShowFullList();
}

void TForm1::ShowFullList()
{
    Query1->Close();
    Query1->SQL.Clear();
    Query1->SQL.Add(selectLine());
    Query1->SQL.Add(kOrderLine);
    Query1->Open();
}

void TForm1::BitBtn1Click(QObject *)
{
    if (AboutBox)
        AboutBox->showModal();
}

void TForm1::SpeedButton1Click(QObject *)
{
    EmptyBoxesExcept(nullptr);
    ShowFullList();
}

void TForm1::EmptyBoxesExcept(const TEdit *keep)
{
    for (TEdit *box : {Edit1, Edit2, Edit3, Edit4, Edit5}) {
        if (box != keep)
            box->clear();
    }
}

void TForm1::FragmentSearch(TEdit *box, const QString &column)
{
    EmptyBoxesExcept(box);
    Query1->Close();
    Query1->SQL.Clear();
    Query1->SQL.Add(selectLine());
    Query1->SQL.Add(QStringLiteral("where ") + column + QStringLiteral(" like '%") +
                    QuotedSqlText(box->text()) + QStringLiteral("%'"));
    Query1->SQL.Add(kOrderLine);
    Query1->Open();
}

void TForm1::NumberSearch(TEdit *box, const QString &column)
{
    EmptyBoxesExcept(box);
    Query1->Close();
    Query1->SQL.Clear();
    Query1->SQL.Add(selectLine());
    Query1->SQL.Add(QStringLiteral("where ") + column + QStringLiteral("=:") + column);
    const qint32 value = StrToInt(box->text());
    Query1->ParamByName(column)->SetAsInteger(value);
    Query1->SQL.Add(kOrderLine);
    Query1->Open();
}

void TForm1::Edit1KeyUp(QObject *, TKeyCode &key, TShiftState)
{
    if (key == VirtualKey::Return)
        FragmentSearch(Edit1, QStringLiteral("FIO"));
}

void TForm1::Edit2KeyUp(QObject *, TKeyCode &key, TShiftState)
{
    if (key == VirtualKey::Return)
        FragmentSearch(Edit2, QStringLiteral("Otdel"));
}

void TForm1::Edit3KeyUp(QObject *, TKeyCode &key, TShiftState)
{
    if (key == VirtualKey::Return)
        NumberSearch(Edit3, QStringLiteral("kab"));
}

void TForm1::Edit4KeyUp(QObject *, TKeyCode &key, TShiftState)
{
    if (key == VirtualKey::Return)
        NumberSearch(Edit4, QStringLiteral("nvnutr"));
}

void TForm1::Edit5KeyUp(QObject *, TKeyCode &key, TShiftState)
{
    if (key == VirtualKey::Return)
        NumberSearch(Edit5, QStringLiteral("ngorod"));
}

void TForm1::Edit5KeyPress(QObject *, char &key)
{
    const bool passes = key == 8 || key == 13 || (key >= '0' && key <= '9');
    if (!passes)
        key = 0;
}
