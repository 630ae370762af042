#include "Unit2.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QSessionManager>

#include "dataset.h"
#include "dbgrid.h"
#include "dbgridediting.h"
#include "dbnavigator.h"
#include "directory.h"
#include "enginelocation.h"
#include "errorbox.h"
#include "inifile.h"
#include "labelededit.h"
#include "opendialog.h"
#include "pictures.h"
#include "programfolder.h"
#include "stdctrls.h"

namespace {

// The settings file and its entries.
const char *const kSettingsFileName = "fonvik.ini";
const char *const kSection = "param";
const char *const kBaseKey = "base";
const char *const kNameKey = "Name";

// The window's fixed layout (pixels at 96 pixels per inch).
const char *const kCaption = "Редактирование справочника";
constexpr int kClientWidth = 637;
constexpr int kClientHeight = 307;
constexpr int kLeft = 192;
constexpr int kTop = 107;

const char *const kFolderButtonHint = "Выбрать базу";
const char *const kFolderBoxLabel = "Путь к базе";
const char *const kFolderBoxHint = "Путь к базе";
const char *const kNameBoxLabel = "Название организации";

const char *const kDialogFilter = "База справочника номеров|Telbase.dbf";
const char *const kDialogFileName = "TelBASE.DBF";

// Hints of the navigator's buttons in TNavigateBtn order; the refresh button's is set but
// the button is hidden.
const char *const kNavigatorHints[] = {
    "Первая запись",        "Предыдущая запись",   "Следующая запись",
    "Последняя запись",     "Добавить запись",     "Удалить запись",
    "Редактировать запись", "Применить изменения", "Отменить изменения",
    "Обновить данные"};

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TForm1::TForm1(QWidget *parent) : TForm(parent)
{
    buildLayout();
#ifndef QT_NO_SESSIONMANAGER
    // The session's end asks the window as a close does.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &TForm1::onCommitDataRequest);
#endif
    // The start-up runs before the window is first shown; its error is shown first, and
    // the window is still shown afterwards.
    Handle([&] { FormCreate(this); });
}

TForm1::~TForm1()
{
    // Pending changes of the current entry are dropped, never saved on the way out.
    if (m_gridEditing)
        m_gridEditing->detach();
    Handle([&] {
        if (Table1->State() == dsEdit || Table1->State() == dsInsert)
            Table1->Cancel();
    });
    DBGrid1->setDataSource(nullptr);
    DBNavigator1->setDataSource(nullptr);
    Table1->Close();
}

QString TForm1::settingsFilePath()
{
    return ProgramFolder::path() + QLatin1String(kSettingsFileName);
}

void TForm1::buildLayout()
{
    setCaption(u8(kCaption));
    setBorderStyle(TBorderStyle::bsSingle);
    setClientSize(kClientWidth, kClientHeight);
    setPosition(kLeft, kTop);
    setWindowIcon(QIcon(EditorPictures::windowIcon()));

    // Declaration order; the tab order is set below.
    DBGrid1 = new TDBGrid(this);
    DataSource1 = new TDataSource(this);
    Table1 = new TTable(this);
    DBNavigator1 = new TDBNavigator(this);
    OpenDialog1 = new TOpenDialog(this);
    LabeledEdit1 = new TLabeledEdit(this);
    SpeedButton1 = new TSpeedButton(this);
    LabeledEdit2 = new TLabeledEdit(this);

    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    LabeledEdit1->setObjectName(QStringLiteral("LabeledEdit1"));
    LabeledEdit2->setObjectName(QStringLiteral("LabeledEdit2"));
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));

    DataSource1->SetDataSet(Table1);
    DataSource1->SetAutoEdit(true);

    SpeedButton1->setGeometry(608, 16, 23, 22);
    SpeedButton1->setToolTip(u8(kFolderButtonHint));
    SpeedButton1->setGlyph(EditorPictures::folderButtonGlyph(), false);
    SpeedButton1->OnClick = [this](QObject *sender) { SpeedButton1Click(sender); };

    DBGrid1->setGeometry(0, 80, 633, 224);
    DBGrid1->setDataSource(DataSource1);
    QList<TColumn> columns;
    for (int i = 0; i < Directory::FieldCount; ++i) {
        TColumn column;
        column.fieldName = Directory::FieldName(i);
        column.title = Directory::EditorTitle(i);
        column.titleAlignment = Qt::AlignLeft;
        columns << column;
    }
    DBGrid1->setColumns(columns);
    m_gridEditing = new TDBGridEditing(DBGrid1);

    DBNavigator1->setBounds(8, 48, 234, 25);
    DBNavigator1->setDataSource(DataSource1);
    DBNavigator1->setVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete,
                                     nbEdit, nbPost, nbCancel});
    QStringList hints;
    for (const char *hint : kNavigatorHints)
        hints << u8(hint);
    DBNavigator1->setHints(hints);
    DBNavigator1->setConfirmDelete(true);
    // A post through the navigator takes the open cell editor's text along.
    DBNavigator1->setBeforeAction([this](TNavigateBtn) { m_gridEditing->updateData(); });

    LabeledEdit1->setBounds(312, 16, 289, 21);
    LabeledEdit1->setLabelCaption(u8(kFolderBoxLabel));
    LabeledEdit1->setToolTip(u8(kFolderBoxHint));

    LabeledEdit2->setBounds(0, 16, 305, 21);
    LabeledEdit2->setLabelCaption(u8(kNameBoxLabel));

    OpenDialog1->setFilter(u8(kDialogFilter));
    OpenDialog1->setFileName(QLatin1String(kDialogFileName));
    OpenDialog1->setOptions(TOpenDialog::ofHideReadOnly | TOpenDialog::ofEnableSizing);

    setTabOrder(DBGrid1, LabeledEdit1);
    setTabOrder(LabeledEdit1, LabeledEdit2);
    setTabOrder(LabeledEdit2, DBGrid1);
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

void TForm1::FormCreate(QObject *)
{
    LocateEngineLibrary();
    QString base;
    {
        TIniFile ini(settingsFilePath());
        base = ini.ReadString(QLatin1String(kSection), QLatin1String(kBaseKey), QString());
        LabeledEdit2->setText(ini.ReadString(QLatin1String(kSection), QLatin1String(kNameKey), QString()));
    }
    m_settingsRead = true;
    if (base.isEmpty())
        base = ProgramFolder::path();
    LabeledEdit1->setText(base);
    Table1->Close();
    Table1->SetTableName(base + QLatin1String(Directory::EditorTableFileName));
    Table1->Open();
}

void TForm1::SpeedButton1Click(QObject *)
{
    // The dialog starts in the folder the box names, unless an earlier choice is kept.
    OpenDialog1->setInitialDir(LabeledEdit1->text());
    if (!OpenDialog1->execute(this))
        return;
    LabeledEdit1->setText(ProgramFolder::of(OpenDialog1->fileName()));
    LabeledEdit1->setModified(true);
}

void TForm1::FormCloseQuery(QObject *, bool &)
{
    TIniFile ini(settingsFilePath());
    // When the start-up stopped before the settings were read, the boxes hold nothing from
    // the file: only a box the user changed is written, so the stored values survive.
    if (m_settingsRead || LabeledEdit1->isModified())
        ini.WriteString(QLatin1String(kSection), QLatin1String(kBaseKey), LabeledEdit1->text());
    if (m_settingsRead || LabeledEdit2->isModified())
        ini.WriteString(QLatin1String(kSection), QLatin1String(kNameKey), LabeledEdit2->text());
}

bool TForm1::queryClose()
{
    bool canClose = true;
    if (!Handle([&] { FormCloseQuery(this, canClose); }))
        return false;
    return canClose;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!queryClose()) {
        event->ignore();
        return;
    }
    // The window closes: the current entry's pending changes are dropped without a question.
    m_gridEditing->detach();
    Handle([&] {
        if (Table1->State() == dsEdit || Table1->State() == dsInsert)
            Table1->Cancel();
    });
    TForm::closeEvent(event);
}

void TForm1::onCommitDataRequest(QSessionManager &manager)
{
#ifndef QT_NO_SESSIONMANAGER
    if (!queryClose())
        manager.cancel();
#else
    Q_UNUSED(manager);
#endif
}
