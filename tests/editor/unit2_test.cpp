// The editor's window: its layout, start-up, folder choice, the save on close and the
// failure paths.

#include <sys/stat.h>

#include <QDir>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>

#include "editortest.h"
#include "opendialog.h"
#include "stdctrls.h"

namespace {

TEST_F(EditorTest, WindowIsLaidOutAsDesigned)
{
    writeAbc();
    start();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Редактирование справочника"));
    EXPECT_EQ(form->clientWidth(), 637);
    EXPECT_EQ(form->clientHeight(), 307);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(form->windowIcon().isNull());

    struct Place
    {
        QWidget *control;
        QRect rect;
    };
    const Place places[] = {
        {form->SpeedButton1, QRect(608, 16, 23, 22)},
        {form->DBGrid1, QRect(0, 80, 633, 224)},
        {form->DBNavigator1, QRect(8, 48, 234, 25)},
        {form->LabeledEdit1, QRect(312, 16, 289, 21)},
        {form->LabeledEdit2, QRect(0, 16, 305, 21)},
    };
    for (const Place &p : places)
        EXPECT_EQ(p.control->geometry(), p.rect) << p.control->objectName().toStdString();

    // Labels 3 pixels above their boxes, left-aligned with them.
    for (TLabeledEdit *box : {form->LabeledEdit1, form->LabeledEdit2}) {
        EXPECT_EQ(box->editLabel()->geometry().left(), box->x());
        EXPECT_EQ(box->editLabel()->geometry().bottom() + 1 + 3, box->y());
    }
    EXPECT_EQ(form->LabeledEdit1->editLabel()->text(), QStringLiteral("Путь к базе"));
    EXPECT_EQ(form->LabeledEdit2->editLabel()->text(), QStringLiteral("Название организации"));
    EXPECT_EQ(form->LabeledEdit1->toolTip(), QStringLiteral("Путь к базе"));
    EXPECT_EQ(form->SpeedButton1->toolTip(), QStringLiteral("Выбрать базу"));
    EXPECT_TRUE(form->LabeledEdit2->toolTip().isEmpty());
    EXPECT_EQ(form->SpeedButton1->focusPolicy(), Qt::NoFocus);

    // Nine buttons of 26 x 25 side by side; refresh hidden.
    const char *const hints[] = {"Первая запись",        "Предыдущая запись",
                                 "Следующая запись",     "Последняя запись",
                                 "Добавить запись",      "Удалить запись",
                                 "Редактировать запись", "Применить изменения",
                                 "Отменить изменения"};
    for (int i = nbFirst; i <= nbCancel; ++i) {
        QToolButton *button = form->DBNavigator1->button(TNavigateBtn(i));
        EXPECT_TRUE(button->isVisible()) << i;
        EXPECT_EQ(button->geometry(), QRect(26 * i, 0, 26, 25)) << i;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hints[i])) << i;
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << i;
        EXPECT_FALSE(button->icon().isNull()) << i;
    }
    EXPECT_FALSE(form->DBNavigator1->button(nbRefresh)->isVisible());
    EXPECT_EQ(form->DBNavigator1->button(nbRefresh)->toolTip(), QStringLiteral("Обновить данные"));
}

TEST_F(EditorTest, TabOrderIsGridFolderBoxNameBox)
{
    writeAbc();
    start();
    EXPECT_EQ(focus(), form->DBGrid1);
    // In the grid Tab moves between cells; the boxes are reached by the mouse.
    clickBox(form->LabeledEdit1);
    EXPECT_EQ(focus(), form->LabeledEdit1);
    key(Qt::Key_Tab);
    EXPECT_EQ(focus(), form->LabeledEdit2);
    key(Qt::Key_Tab);
    EXPECT_EQ(focus(), form->DBGrid1);
}

// Column titles, left-aligned, and default widths from the fields' display widths.
TEST_F(EditorTest, GridColumnsTakeTheirDefaultWidths)
{
    writeTable({}, {{"FIO", 'C', 60}, {"OTDEL", 'C', 60}, {"DOLJ", 'C', 50}, {"KAB", 'N', 6},
                    {"NVNUTR", 'N', 6}, {"NGOROD", 'N', 11}, {"NSOT", 'C', 20}});
    start();
    ASSERT_TRUE(errors.empty()) << errors.front();
    const char *const titles[] = {"ФИО", "Отдел", "Должность", "Кабинет", "Внутренний номер",
                                  "Городской номер", "Номер сотового"};
    const int displayWidths[] = {60, 60, 50, 10, 10, 10, 20};
    const QFontMetrics metrics(form->DBGrid1->font());
    const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (int i = 0; i < 7; ++i) {
        const QString title = QString::fromUtf8(titles[i]);
        EXPECT_EQ(form->DBGrid1->columns().at(i).title, title);
        EXPECT_EQ(form->DBGrid1->columns().at(i).titleAlignment & Qt::AlignHorizontal_Mask,
                  Qt::AlignLeft);
        const int expected = std::max(displayWidths[i] * zero + 4, metrics.horizontalAdvance(title) + 4);
        EXPECT_EQ(form->DBGrid1->columnWidth(i), expected) << i;
    }
}

TEST_F(EditorTest, NoSettingsFileGivesTheProgramFolder)
{
    writeAbc();
    start();
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(form->LabeledEdit1->text(), folder());
    EXPECT_EQ(form->LabeledEdit2->text(), QString());
    EXPECT_EQ(form->Table1->TableName(), folder() + QStringLiteral("Telbase.dbf"));
    EXPECT_EQ(gridNames(), "Alpha,Bravo,Charlie");
}

struct SettingsCase
{
    const char *name;
    const char *settings; // file content, UTF-8 here, stored in 1251
    const char *folderBox; // "%F" stands for the program folder
    const char *nameBox;
};

class StartUpSettings : public EditorTest, public ::testing::WithParamInterface<SettingsCase>
{
};

TEST_P(StartUpSettings, FillTheBoxes)
{
    const SettingsCase c = GetParam();
    writeAbc();
    writeSettings(Cp1251::fromUnicode(QString::fromUtf8(c.settings).replace(QStringLiteral("%F"), folder())));
    start();
    EXPECT_EQ(form->LabeledEdit1->text(), QString::fromUtf8(c.folderBox).replace(QStringLiteral("%F"), folder()));
    EXPECT_EQ(form->LabeledEdit2->text(), QString::fromUtf8(c.nameBox));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartUpSettings,
    ::testing::Values(
        SettingsCase{"BothKeys", "[param]\nbase=%F\nName=Завод\n", "%F", "Завод"},
        SettingsCase{"UpperCaseNames", "[PARAM]\nBASE=%F\nNAME=Завод\n", "%F", "Завод"},
        SettingsCase{"EmptyBaseFallsBack", "[param]\nbase=\nName=\n", "%F", ""},
        SettingsCase{"BaseWithoutSeparator", "[param]\nbase=/no/such/Data\n", "/no/such/Data", ""}),
    [](const auto &info) { return std::string(info.param.name); });

// A base folder without its final separator names another file: the engine's error comes
// first, then the window with the boxes filled and the table closed.
TEST_F(EditorTest, TableThatCannotBeOpened)
{
    writeAbc();
    const QString base = folder().chopped(1); // without the final separator
    writeSettings(Cp1251::fromUnicode(QStringLiteral("[param]\nbase=%1\nName=Завод\n").arg(base)));
    start();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errorsWhileShown.empty()) << "the error box comes before the window";
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->Table1->Active());
    EXPECT_EQ(form->Table1->TableName(), base + QStringLiteral("Telbase.dbf"));
    EXPECT_EQ(form->LabeledEdit1->text(), base);
    EXPECT_EQ(form->DBGrid1->gridModel()->rowCount(), 0);
    for (int i = nbFirst; i <= nbRefresh; ++i)
        EXPECT_FALSE(form->DBNavigator1->button(TNavigateBtn(i))->isEnabled()) << i;
    type(QStringLiteral("x"));
    key(Qt::Key_Insert);
    EXPECT_EQ(errors.size(), 1u);
    // The boxes still save: corrected, the folder opens the table at the next start.
    form->LabeledEdit1->setText(folder());
    EXPECT_TRUE(form->close());
    form.reset();
    errors.clear();
    start();
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(gridNames(), "Alpha,Bravo,Charlie");
    EXPECT_EQ(form->LabeledEdit2->text(), QStringLiteral("Завод"));
}

TEST_F(EditorTest, CloseWritesBothKeysEvenWithoutChanges)
{
    writeAbc();
    start();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readSettings(), (QStringLiteral("[param]\nbase=") + folder() + QStringLiteral("\nName=\n")).toUtf8());
}

TEST_F(EditorTest, CloseWritesTheBoxesAsTheyStandAndKeepsOtherLines)
{
    writeAbc();
    writeSettings("; settings\n[other]\nkey=1\n[param]\nbase=" + folder().toUtf8() + "\nName=Old\nextra=x\n");
    start();
    form->LabeledEdit1->setText(QStringLiteral("/data/phones/"));
    form->LabeledEdit2->setText(QStringLiteral("Завод"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readSettings(), "; settings\n[other]\nkey=1\n[param]\nbase=/data/phones/\nName="
                                  + Cp1251::fromUnicode(QStringLiteral("Завод")) + "\nextra=x\n");
}

// A settings file that cannot be written keeps the window open; a later close tries again.
TEST_F(EditorTest, FailedSaveKeepsTheWindowOpen)
{
    writeAbc();
    start();
    ASSERT_TRUE(QDir().mkdir(settingsPath())); // a folder in the file's place cannot be written
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], ("Unable to write to " + settingsPath() + ".").toStdString());
    ASSERT_TRUE(QDir().rmdir(settingsPath()));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(readSettings().startsWith("[param]\nbase="));
}

TEST_F(EditorTest, ReadOnlySettingsFileKeepsTheWindowOpen)
{
    writeAbc();
    const QByteArray stored = "[param]\nbase=" + folder().toUtf8() + "\nName=Old\n";
    writeSettings(stored);
    if (!makeReadOnly(settingsPath().toStdString()))
        GTEST_SKIP() << "no way to make a file read-only here";
    start();
    form->LabeledEdit2->setText(QStringLiteral("New"));
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], ("Unable to write to " + settingsPath() + ".").toStdString());
    EXPECT_EQ(readSettings(), stored);
}

// After an engine location error nothing was read from the settings file: a close keeps
// the stored values and writes only what the user changed.
TEST_F(EditorTest, EngineLocationErrorKeepsStoredSettings)
{
    writeAbc();
    const QByteArray stored = "[param]\nbase=/stored/folder/\nName=Stored\n";
    writeSettings(stored);
    writeStore(QStringLiteral("dword:5"));
    start();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Invalid data type for 'DLLPATH'"); // a final quote gets no "."
    EXPECT_TRUE(errorsWhileShown.empty()) << "the error box comes before the window";
    EXPECT_TRUE(form->LabeledEdit1->text().isEmpty());
    EXPECT_TRUE(form->LabeledEdit2->text().isEmpty());
    EXPECT_FALSE(form->Table1->Active());
    for (int i = nbFirst; i <= nbRefresh; ++i)
        EXPECT_FALSE(form->DBNavigator1->button(TNavigateBtn(i))->isEnabled()) << i;

    EXPECT_TRUE(form->close());
    EXPECT_EQ(readSettings(), stored);

    form.reset();
    start();
    clickBox(form->LabeledEdit2);
    type(QStringLiteral("New name"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readSettings(), "[param]\nbase=/stored/folder/\nName=New name\n");
}

struct FolderChoice
{
    const char *name;
    bool accepted;
    const char *chosen;    // the dialog's answer; "%F" stands for the program folder
    const char *folderBox; // afterwards
};

class FolderButton : public EditorTest, public ::testing::WithParamInterface<FolderChoice>
{
};

TEST_P(FolderButton, PutsTheChosenFolderIntoTheBox)
{
    const FolderChoice c = GetParam();
    writeAbc();
    start();
    std::vector<TOpenDialog::Request> asked;
    auto previous = TOpenDialog::setPresenter([&](const TOpenDialog::Request &r) {
        asked.push_back(r);
        return TOpenDialog::Answer{c.accepted, QString::fromUtf8(c.chosen)};
    });
    QTest::mouseClick(form->SpeedButton1, Qt::LeftButton);
    TOpenDialog::setPresenter(previous);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].fileName, QStringLiteral("TelBASE.DBF"));
    EXPECT_EQ(asked[0].nameFilter, QStringLiteral("База справочника номеров (Telbase.dbf)"));
    EXPECT_EQ(asked[0].initialDir, folder());
    EXPECT_EQ(form->LabeledEdit1->text(), QString::fromUtf8(c.folderBox).replace(QStringLiteral("%F"), folder()));
    // The open table is not touched.
    EXPECT_EQ(form->Table1->TableName(), folder() + QStringLiteral("Telbase.dbf"));
    EXPECT_EQ(gridNames(), "Alpha,Bravo,Charlie");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderButton,
    ::testing::Values(FolderChoice{"Confirmed", true, "/data/phones/Telbase.dbf", "/data/phones/"},
                      FolderChoice{"MissingFile", true, "/data/new/Other.dbf", "/data/new/"},
                      FolderChoice{"Cancelled", false, "", "%F"}),
    [](const auto &info) { return std::string(info.param.name); });

// A read-only table opens without a message and takes no changes.
TEST_F(EditorTest, ReadOnlyTableTakesNoChanges)
{
    writeAbc();
    if (!makeReadOnly(tablePath()))
        GTEST_SKIP() << "no way to make a file read-only here";
    start();
    ASSERT_FALSE(form->Table1->CanModify());
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(gridNames(), "Alpha,Bravo,Charlie");
    for (TNavigateBtn b : {nbInsert, nbDelete, nbEdit, nbPost, nbCancel})
        EXPECT_FALSE(form->DBNavigator1->button(b)->isEnabled()) << b;
    EXPECT_TRUE(form->DBNavigator1->button(nbNext)->isEnabled());
    type(QStringLiteral("Zed"));
    key(Qt::Key_Insert);
    key(Qt::Key_Delete, Qt::ControlModifier);
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Down);
    key(Qt::Key_F2);
    EXPECT_TRUE(editing()->editorMode());
    type(QStringLiteral("more"));
    EXPECT_EQ(editing()->inplaceEditor()->text(), QStringLiteral("Charlie"));
    EXPECT_EQ(state(), dsBrowse);
    EXPECT_EQ(form->Table1->RecordCount(), 3);
    EXPECT_TRUE(confirmations.empty());
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
