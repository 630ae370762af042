#include "Unit1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "about.h"
#include "engineloader.h"
#include "errorbox.h"
#include "programfolder.h"
#include "registry.h"
#include "testtable.h"

namespace {

const QString kDesignTitle = QStringLiteral("Телефонный справочник организации");

// The directory the tests search. O'Neil carries a quote in the name.
const std::vector<TestEntry> kEntries = {
    {QStringLiteral("Иванов Иван Иванович"), QStringLiteral("Бухгалтерия"),
     QStringLiteral("Главный бухгалтер"), QStringLiteral("12"), QStringLiteral("101"),
     QStringLiteral("2223344"), QStringLiteral("89001112233")},
    {QStringLiteral("Петров Пётр Петрович"), QStringLiteral("Отдел кадров"),
     QStringLiteral("Инспектор"), QStringLiteral("15"), QStringLiteral("205"),
     QStringLiteral("2147483647"), QString()},
    {QStringLiteral("O'Neil John"), QStringLiteral("Sales"), QStringLiteral("Manager"),
     QStringLiteral("7"), QStringLiteral("300"), QStringLiteral("5550001"), QString()},
    {QStringLiteral("Абрамова Анна Сергеевна"), QStringLiteral("Бухгалтерия"),
     QStringLiteral("Кассир"), QStringLiteral("12"), QStringLiteral("102"),
     QStringLiteral("2223345"), QString()},
    {QStringLiteral("Сидорова Ивета"), QStringLiteral("Отдел кадров"),
     QStringLiteral("Специалист"), QStringLiteral("16"), QStringLiteral("206"),
     QStringLiteral("2223399"), QString()},
};

struct Shown {
    QString caption;
    QString text;
};

// Engine location store seams: a store that cannot be read after the key was opened, and
// one that cannot be written.
class FailingStore : public StoreFileAccess
{
public:
    enum Mode { FailSecondRead, FailWrite };
    explicit FailingStore(Mode mode) : m_mode(mode) {}
    FileAccess::ReadResult load(const QString &path, QByteArray &bytes) override
    {
        if (m_mode == FailSecondRead && ++m_loads > 1)
            return FileAccess::ReadResult::Failed;
        return StoreFileAccess::load(path, bytes);
    }
    bool save(const QString &path, const QByteArray &bytes) override
    {
        return m_mode != FailWrite && StoreFileAccess::save(path, bytes);
    }

private:
    Mode m_mode;
    int m_loads = 0;
};

// Each test: its own program folder holding the table and the settings file, its own
// engine location store naming the build's engine folder, and an error box recorder.
class ViewerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QLatin1Char('/');
        ProgramFolder::setForTesting(folder);
        setMachineStorePathForTesting(folder + QStringLiteral("machine.reg"));
        writeStore(QStringLiteral("DLLPATH=sz:") + QStringLiteral(FONVIK_TEST_ENGINE_DIR) +
                   QStringLiteral("\\0"));
        EngineLoader::instance().SetFolders({QStringLiteral(FONVIK_TEST_ENGINE_DIR)});
        previousPresenter = setErrorBoxPresenter(
            [this](const QString &caption, const QString &text) { shown.push_back({caption, text}); });
    }

    void TearDown() override
    {
        delete Form1;
        Form1 = nullptr;
        AboutBox = nullptr;
        setErrorBoxPresenter(previousPresenter);
        setStoreFileAccessForTesting(nullptr);
        setMachineStorePathForTesting(QString());
        ProgramFolder::setForTesting(QString());
    }

    void writeStore(const QString &valueLine)
    {
        QFile store(folder + QStringLiteral("machine.reg"));
        ASSERT_TRUE(store.open(QIODevice::WriteOnly));
        store.write("[SOFTWARE\\Borland\\Database Engine]\n");
        store.write(valueLine.toUtf8() + '\n');
    }

    void writeSettings(const QByteArray &text)
    {
        QFile ini(folder + QStringLiteral("fonvik.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(text);
    }

    void writeTable(const QString &tableFolder = QString())
    {
        const QString at = tableFolder.isEmpty() ? folder : tableFolder;
        QDir().mkpath(at);
        ASSERT_TRUE(WriteDirectoryTable(at + QStringLiteral("TelBase.dbf"), kEntries));
    }

    // The program start: the main window, then the hidden About window.
    void start()
    {
        Form1 = new TForm1;
        AboutBox = new TAboutBox(Form1);
        Form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    }

    QStringList lines() const { return Form1->Query1->SQL.Lines(); }

    QString selectLine(const QString &path) const
    {
        return QStringLiteral("select * from '") + path + QStringLiteral("'");
    }

    // The FIO column as the grid shows it, top to bottom.
    QStringList names() const
    {
        QStringList out;
        const QAbstractItemModel *model = Form1->DBGrid1->model();
        for (int row = 0; row < model->rowCount(); ++row)
            out << model->index(row, 0).data().toString();
        return out;
    }

    QStringList boxes() const
    {
        return {Form1->Edit1->text(), Form1->Edit2->text(), Form1->Edit3->text(),
                Form1->Edit4->text(), Form1->Edit5->text()};
    }

    TEdit *box(int number) const
    {
        TEdit *all[] = {Form1->Edit1, Form1->Edit2, Form1->Edit3, Form1->Edit4, Form1->Edit5};
        return all[number - 1];
    }

    // Enter pressed and released in a box, as the user does it.
    void enterIn(TEdit *edit, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return, modifiers);
    }

    // Types text key by key, as the keyboard sends it (any letters, Cyrillic included).
    static void typeText(QWidget *widget, const QString &text)
    {
        for (const QChar c : text) {
            const int key = c.isLetter() ? c.toUpper().unicode()
                            : c == QLatin1Char(' ') ? int(Qt::Key_Space)
                                                    : c.unicode();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &release);
        }
    }

    void fillAllBoxes()
    {
        Form1->Edit1->setText(QStringLiteral("a"));
        Form1->Edit2->setText(QStringLiteral("b"));
        Form1->Edit3->setText(QStringLiteral("1"));
        Form1->Edit4->setText(QStringLiteral("2"));
        Form1->Edit5->setText(QStringLiteral("3"));
    }

    QTemporaryDir dir;
    QString folder;
    std::vector<Shown> shown;
    ErrorBoxPresenter previousPresenter;
};

// ---- Start-up -------------------------------------------------------------------------

TEST_F(ViewerFixture, NoSettingsListsEveryEntryOrderedByName)
{
    writeTable();
    start();
    EXPECT_TRUE(shown.empty()) << shown[0].text.toStdString();
    EXPECT_EQ(Form1->caption(), kDesignTitle);
    EXPECT_EQ(TablePath(), folder + QStringLiteral("TelBase.dbf"));
    EXPECT_EQ(lines(), (QStringList{selectLine(folder + QStringLiteral("TelBase.dbf")),
                                    QStringLiteral("ORDER BY FIO")}));
    EXPECT_TRUE(Form1->Query1->Active());
    const QStringList shownNames = names();
    EXPECT_EQ(shownNames.size(), int(kEntries.size()));
    EXPECT_TRUE(shownNames.contains(QStringLiteral("O'Neil John")));
    // Ordered by name: the Russian names in their alphabetical order.
    QStringList russian;
    for (const QString &name : shownNames)
        if (name.at(0).script() == QChar::Script_Cyrillic)
            russian << name;
    EXPECT_EQ(russian, (QStringList{QStringLiteral("Абрамова Анна Сергеевна"),
                                    QStringLiteral("Иванов Иван Иванович"),
                                    QStringLiteral("Петров Пётр Петрович"),
                                    QStringLiteral("Сидорова Ивета")}));
    EXPECT_EQ(boxes(), QStringList(5));
    EXPECT_TRUE(Form1->DBGrid1->hasFocus());
}

struct SettingsCase {
    const char *label;
    const char *ini;          // %F stands for the program folder
    const char *title;        // the organization name shown after the fixed words
    const char *tablePath;    // %F stands for the program folder
    bool opens;
};

void PrintTo(const SettingsCase &c, std::ostream *os)
{
    *os << c.label;
}

class StartupSettings : public ViewerFixture, public ::testing::WithParamInterface<SettingsCase>
{
};

TEST_P(StartupSettings, TitleTablePathAndFirstListing)
{
    const SettingsCase &c = GetParam();
    writeTable();
    QDir().mkpath(folder + QStringLiteral("it's/"));
    writeTable(folder + QStringLiteral("it's/"));
    writeSettings(
        Cp1251::fromUnicode(QString::fromUtf8(c.ini).replace(QStringLiteral("%F"), folder)));
    start();
    const QString path = QString::fromUtf8(c.tablePath).replace(QStringLiteral("%F"), folder);
    EXPECT_EQ(Form1->caption(),
              QStringLiteral("Телефонный справочник ") + QString::fromUtf8(c.title));
    EXPECT_EQ(TablePath(), path);
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    EXPECT_EQ(lines(), (QStringList{selectLine(quoted), QStringLiteral("ORDER BY FIO")}));
    EXPECT_EQ(boxes(), QStringList(5));
    EXPECT_EQ(Form1->Query1->Active(), c.opens);
    if (c.opens) {
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(names().size(), int(kEntries.size()));
    } else {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_FALSE(shown[0].text.isEmpty());
        EXPECT_EQ(Form1->DBGrid1->model()->rowCount(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupSettings,
    ::testing::Values(
        SettingsCase{"NameFromSettings", "[param]\nname=Завод\n", "Завод", "%FTelBase.dbf", true},
        SettingsCase{"EmptyNameGivesTheDefault", "[param]\nname=\n", "организации",
                     "%FTelBase.dbf", true},
        SettingsCase{"NamesWithoutRegardToCase", "[PARAM]\nNAME=Завод\nBASE=%F\n", "Завод",
                     "%FTelBase.dbf", true},
        SettingsCase{"BaseWithoutSeparator", "[param]\nbase=%Fdata\n", "организации",
                     "%FdataTelBase.dbf", false},
        SettingsCase{"BaseWithoutTable", "[param]\nbase=%Fnowhere/\n", "организации",
                     "%Fnowhere/TelBase.dbf", false},
        SettingsCase{"EmptyBaseGivesTheBareFileName", "[param]\nbase=\n", "организации",
                     "TelBase.dbf", false},
        SettingsCase{"QuoteInTheBaseFolder", "[param]\nbase=%Fit's/\n", "организации",
                     "%Fit's/TelBase.dbf", true}),
    [](const ::testing::TestParamInfo<SettingsCase> &info) { return info.param.label; });

TEST_F(ViewerFixture, MissingTableThenCancelFilterListsItOnceInPlace)
{
    start();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(Form1->Query1->Active());
    EXPECT_EQ(Form1->caption(), kDesignTitle);
    writeTable();
    QTest::mouseClick(Form1->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_TRUE(Form1->Query1->Active());
    EXPECT_EQ(names().size(), int(kEntries.size()));
}

struct LocationCase {
    const char *label;
    const char *storeLine;
    int failingStore; // -1 none, else FailingStore::Mode
    const char *message;
};

void PrintTo(const LocationCase &c, std::ostream *os)
{
    *os << c.label;
}

class EngineLocationErrors : public ViewerFixture,
                             public ::testing::WithParamInterface<LocationCase>
{
};

TEST_P(EngineLocationErrors, StopTheStartUpBeforeTheSettings)
{
    const LocationCase &c = GetParam();
    writeTable();
    writeSettings(Cp1251::fromUnicode(QStringLiteral("[param]\nname=Завод\n")));
    writeStore(QString::fromUtf8(c.storeLine));
    std::unique_ptr<FailingStore> seam;
    if (c.failingStore >= 0) {
        seam = std::make_unique<FailingStore>(FailingStore::Mode(c.failingStore));
        setStoreFileAccessForTesting(seam.get());
    }
    start();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QString::fromUtf8(c.message));
    EXPECT_EQ(Form1->caption(), kDesignTitle);
    EXPECT_TRUE(TablePath().isEmpty());
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_FALSE(Form1->Query1->Active());
    EXPECT_TRUE(Form1->isVisible());

    // A later cancel builds its statement over the empty table path and fails to open.
    QTest::mouseClick(Form1->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(lines(), (QStringList{QStringLiteral("select * from ''"),
                                    QStringLiteral("ORDER BY FIO")}));
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_FALSE(Form1->Query1->Active());
    setStoreFileAccessForTesting(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineLocationErrors,
    ::testing::Values(
        LocationCase{"NumberValue", "DLLPATH=dword:5", -1, "Invalid data type for 'DLLPATH'"},
        LocationCase{"BinaryValue", "DLLPATH=binary:01 02", -1,
                     "Invalid data type for 'DLLPATH'"},
        LocationCase{"FailedRead", "DLLPATH=sz:/opt/dll/\\0", FailingStore::FailSecondRead,
                     "Failed to get data for 'DLLPATH'"},
        LocationCase{"FailedWrite", "DLLPATH=sz:", FailingStore::FailWrite,
                     "Failed to set data for 'DLLPATH'"}),
    [](const ::testing::TestParamInfo<LocationCase> &info) { return info.param.label; });

// ---- Searches -------------------------------------------------------------------------

struct SearchCase {
    const char *label;
    int box;             // 1 .. 5
    const char *text;    // put into the box as typed or pasted text
    const char *condition;
    std::vector<const char *> names; // the FIO column afterwards, in order
};

void PrintTo(const SearchCase &c, std::ostream *os)
{
    *os << c.label;
}

class Searches : public ViewerFixture, public ::testing::WithParamInterface<SearchCase>
{
};

TEST_P(Searches, StatementBoxesAndRows)
{
    const SearchCase &c = GetParam();
    writeTable();
    start();
    fillAllBoxes();
    box(c.box)->setText(QString::fromUtf8(c.text));
    enterIn(box(c.box));
    EXPECT_TRUE(shown.empty()) << shown[0].text.toStdString();
    QStringList expectedBoxes(5);
    expectedBoxes[c.box - 1] = QString::fromUtf8(c.text);
    EXPECT_EQ(boxes(), expectedBoxes);
    EXPECT_EQ(lines(), (QStringList{selectLine(folder + QStringLiteral("TelBase.dbf")),
                                    QString::fromUtf8(c.condition),
                                    QStringLiteral("ORDER BY FIO")}));
    EXPECT_TRUE(Form1->Query1->Active());
    QStringList expectedNames;
    for (const char *name : c.names)
        expectedNames << QString::fromUtf8(name);
    EXPECT_EQ(names(), expectedNames);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Searches,
    ::testing::Values(
        SearchCase{"NameFragment", 1, "Петр", "where FIO like '%Петр%'",
                   {"Петров Пётр Петрович"}},
        SearchCase{"BlankInsideThePattern", 1, " Ив", "where FIO like '% Ив%'",
                   {"Иванов Иван Иванович", "Сидорова Ивета"}},
        SearchCase{"QuoteInTheName", 1, "O'Neil", "where FIO like '%O''Neil%'",
                   {"O'Neil John"}},
        SearchCase{"DepartmentFragment", 2, "кадров", "where Otdel like '%кадров%'",
                   {"Петров Пётр Петрович", "Сидорова Ивета"}},
        SearchCase{"NothingMatches", 2, "Склад", "where Otdel like '%Склад%'", {}},
        SearchCase{"RoomNumber", 3, "12", "where kab=:kab",
                   {"Абрамова Анна Сергеевна", "Иванов Иван Иванович"}},
        SearchCase{"LeadingZeros", 3, "007", "where kab=:kab", {"O'Neil John"}},
        SearchCase{"PastedHexadecimal", 3, "$10", "where kab=:kab", {"Сидорова Ивета"}},
        SearchCase{"PastedLeadingBlanks", 4, "  205", "where nvnutr=:nvnutr",
                   {"Петров Пётр Петрович"}},
        SearchCase{"LargestInteger", 5, "2147483647", "where ngorod=:ngorod",
                   {"Петров Пётр Петрович"}},
        SearchCase{"NumberNobodyHas", 5, "1", "where ngorod=:ngorod", {}}),
    [](const ::testing::TestParamInfo<SearchCase> &info) { return info.param.label; });

TEST_F(ViewerFixture, EmptyFragmentBoxSearchesWithTwoPercentSigns)
{
    writeTable();
    start();
    fillAllBoxes();
    Form1->Edit2->clear();
    enterIn(Form1->Edit2);
    EXPECT_EQ(boxes(), QStringList(5));
    EXPECT_EQ(lines().value(1), QStringLiteral("where Otdel like '%%'"));
}

struct FailedNumberCase {
    const char *label;
    int box;
    const char *text;
    const char *condition;
};

void PrintTo(const FailedNumberCase &c, std::ostream *os)
{
    *os << c.label;
}

class FailedNumberSearches : public ViewerFixture,
                             public ::testing::WithParamInterface<FailedNumberCase>
{
};

TEST_P(FailedNumberSearches, StopAfterTheConditionLineWithTheQueryClosed)
{
    const FailedNumberCase &c = GetParam();
    writeTable();
    start();
    fillAllBoxes();
    const QString text = QString::fromUtf8(c.text);
    box(c.box)->setText(text);
    enterIn(box(c.box));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("'%1' is not a valid integer value.").arg(text));
    QStringList expectedBoxes(5);
    expectedBoxes[c.box - 1] = text;
    EXPECT_EQ(boxes(), expectedBoxes);
    EXPECT_TRUE(box(c.box)->hasFocus());
    EXPECT_EQ(lines(), (QStringList{selectLine(folder + QStringLiteral("TelBase.dbf")),
                                    QString::fromUtf8(c.condition)}));
    EXPECT_FALSE(Form1->Query1->Active());
    EXPECT_EQ(Form1->DBGrid1->model()->rowCount(), 0);

    // Nothing of it lingers: the next search builds its statement from the start.
    Form1->Edit1->setText(QStringLiteral("Петр"));
    enterIn(Form1->Edit1);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(lines().size(), 3);
    EXPECT_EQ(names(), QStringList{QStringLiteral("Петров Пётр Петрович")});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedNumberSearches,
    ::testing::Values(FailedNumberCase{"EmptyBox", 3, "", "where kab=:kab"},
                      FailedNumberCase{"AboveTheLargestInteger", 4, "2147483648",
                                       "where nvnutr=:nvnutr"},
                      FailedNumberCase{"PastedLetters", 5, "12a", "where ngorod=:ngorod"},
                      FailedNumberCase{"PastedTrailingBlank", 5, "12 ", "where ngorod=:ngorod"},
                      FailedNumberCase{"TwoSigns", 3, "+-1", "where kab=:kab"}),
    [](const ::testing::TestParamInfo<FailedNumberCase> &info) { return info.param.label; });

TEST_F(ViewerFixture, KeysOtherThanEnterChangeNothing)
{
    writeTable();
    start();
    const QStringList before = lines();
    Form1->Edit3->setText(QStringLiteral("12"));
    Form1->Edit1->setFocus();
    typeText(Form1->Edit1, QStringLiteral("Ив"));
    QTest::keyClick(Form1->Edit1, Qt::Key_Escape);
    QTest::keyClick(Form1->Edit1, Qt::Key_Left);
    EXPECT_EQ(Form1->Edit1->text(), QStringLiteral("Ив"));
    EXPECT_EQ(Form1->Edit3->text(), QStringLiteral("12"));
    EXPECT_EQ(lines(), before);
    EXPECT_EQ(names().size(), int(kEntries.size()));
}

TEST_F(ViewerFixture, EnterWithModifiersSearchesLikePlainEnter)
{
    writeTable();
    start();
    for (Qt::KeyboardModifier modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        Form1->Edit1->setText(QStringLiteral("Петр"));
        Form1->Edit2->setText(QStringLiteral("x"));
        enterIn(Form1->Edit1, modifier);
        EXPECT_EQ(Form1->Edit2->text(), QString());
        EXPECT_EQ(lines().value(1), QStringLiteral("where FIO like '%Петр%'"));
        EXPECT_EQ(names(), QStringList{QStringLiteral("Петров Пётр Петрович")});
    }
}

TEST_F(ViewerFixture, HoldingEnterSearchesOnceOnRelease)
{
    writeTable();
    start();
    int opens = 0;
    TQuery *query = Form1->Query1;
    QObject::connect(query, &TDataSet::StateChanged, query, [&opens, query] {
        if (query->Active())
            ++opens;
    });
    TEdit *edit = Form1->Edit1;
    edit->setText(QStringLiteral("Петр"));
    edit->setFocus();
    const auto send = [edit](QEvent::Type type, bool autoRepeat) {
        QKeyEvent event(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), autoRepeat);
        QApplication::sendEvent(edit, &event);
    };
    send(QEvent::KeyPress, false);
    for (int i = 0; i < 5; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    EXPECT_EQ(opens, 0);
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(names(), QStringList{QStringLiteral("Петров Пётр Петрович")});
}

TEST_F(ViewerFixture, NumberBoxesTakeOnlyTypedDigitsAndBackspace)
{
    writeTable();
    start();
    for (TEdit *edit : {Form1->Edit3, Form1->Edit4, Form1->Edit5}) {
        edit->setFocus();
        typeText(edit, QStringLiteral("1a 2-+Ж.3"));
        EXPECT_EQ(edit->text(), QStringLiteral("123"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), QStringLiteral("12"));
    }
    Form1->Edit1->setFocus();
    typeText(Form1->Edit1, QStringLiteral("1a 2-Ж"));
    EXPECT_EQ(Form1->Edit1->text(), QStringLiteral("1a 2-Ж"));
    EXPECT_TRUE(shown.empty());
}

TEST_F(ViewerFixture, CancelFilterEmptiesTheBoxesAndListsEverything)
{
    writeTable();
    start();
    Form1->Edit2->setText(QStringLiteral("кадров"));
    enterIn(Form1->Edit2);
    ASSERT_EQ(names().size(), 2);
    Form1->Edit1->setText(QStringLiteral("typed, not searched"));
    QTest::mouseClick(Form1->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(boxes(), QStringList(5));
    EXPECT_EQ(lines(), (QStringList{selectLine(folder + QStringLiteral("TelBase.dbf")),
                                    QStringLiteral("ORDER BY FIO")}));
    EXPECT_EQ(names().size(), int(kEntries.size()));
    EXPECT_EQ(Form1->DBGrid1->currentRow(), 0);
    // Also with no filter in force.
    QTest::mouseClick(Form1->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(names().size(), int(kEntries.size()));
    EXPECT_TRUE(shown.empty());
}

// ---- The window -----------------------------------------------------------------------

TEST_F(ViewerFixture, TabOrderSkipsTheCancelFilterButton)
{
    writeTable();
    start();
    QWidget *expected[] = {Form1->Edit1, Form1->Edit2, Form1->Edit3, Form1->Edit4,
                           Form1->Edit5, Form1->BitBtn1, Form1->DBGrid1};
    ASSERT_TRUE(Form1->DBGrid1->hasFocus());
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Form1->BitBtn1);
    EXPECT_EQ(Form1->SpeedButton1->focusPolicy(), Qt::NoFocus);
}

TEST_F(ViewerFixture, LayoutOfTheControls)
{
    writeTable();
    start();
    EXPECT_EQ(Form1->size(), QSize(782, 459));
    EXPECT_EQ(Form1->pos(), QPoint(186, 129));
    EXPECT_FALSE(Form1->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(Form1->font().pixelSize(), 11);
    const struct {
        QWidget *control;
        QRect geometry;
        const char *hint;
    } layout[] = {
        {Form1->DBGrid1, QRect(0, 56, 785, 401), "Список телефонных номеров"},
        {Form1->Edit1, QRect(18, 8, 199, 21), "Для поиска введите фрагмент текста и нажмите \"Enter\""},
        {Form1->Edit2, QRect(220, 8, 141, 21), "Для поиска введите фрагмент текста и нажмите \"Enter\""},
        {Form1->Edit3, QRect(511, 8, 69, 21),
         "Для поиска введите номер (используйте только цифры) и нажмите \"Enter\""},
        {Form1->Edit4, QRect(584, 8, 72, 21),
         "Для поиска введите номер (используйте только цифры) и нажмите \"Enter\""},
        {Form1->Edit5, QRect(660, 7, 93, 21),
         "Для поиска введите номер (используйте только цифры) и нажмите \"Enter\""},
        {Form1->BitBtn1, QRect(384, 8, 83, 25), ""},
        {Form1->SpeedButton1, QRect(8, 32, 23, 22), "Отменить фильтр"},
    };
    for (const auto &item : layout) {
        EXPECT_EQ(item.control->geometry(), item.geometry) << item.hint;
        EXPECT_EQ(item.control->toolTip(), QString::fromUtf8(item.hint));
    }
    EXPECT_EQ(Form1->BitBtn1->text(), QStringLiteral("О программе"));
    EXPECT_EQ(Form1->SpeedButton1->glyph().size(), QSize(19, 20));
    EXPECT_EQ(Form1->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(ViewerFixture, GridIsReadOnlyWithItsSevenColumns)
{
    writeTable();
    start();
    TDBGrid *grid = Form1->DBGrid1;
    EXPECT_TRUE(grid->readOnly());
    EXPECT_EQ(grid->options(), TDBGridOptions(dgTitles | dgIndicator | dgColumnResize |
                                              dgColLines | dgRowLines | dgTabs | dgRowSelect |
                                              dgConfirmDelete | dgCancelOnExit));
    const struct {
        const char *field;
        const char *title;
        Qt::Alignment alignment;
        int width; // 0: the field's default width
    } columns[] = {
        {"FIO", "ФИО", Qt::AlignHCenter, 200},        {"OTDEL", "Отдел", Qt::AlignHCenter, 150},
        {"DOLJ", "Должность", Qt::AlignLeft, 150},    {"KAB", "№ кабинета", Qt::AlignHCenter, 0},
        {"NVNUTR", "№ внутренний", Qt::AlignHCenter, 0},
        {"NGOROD", "№ городской", Qt::AlignHCenter, 100},
        {"NSOT", "№ сотовый", Qt::AlignLeft, 100},
    };
    ASSERT_EQ(grid->columns().size(), 7);
    for (int i = 0; i < 7; ++i) {
        const TColumn &column = grid->columns().at(i);
        EXPECT_EQ(column.fieldName, QString::fromLatin1(columns[i].field));
        EXPECT_EQ(column.title, QString::fromUtf8(columns[i].title));
        EXPECT_EQ(column.titleAlignment, columns[i].alignment);
        EXPECT_EQ(grid->columnWidth(i),
                  columns[i].width ? columns[i].width : grid->defaultColumnWidth(i));
    }
    // Numbers right, text left.
    const auto alignment = [&](int column) {
        return Qt::Alignment(grid->model()->index(0, column).data(Qt::TextAlignmentRole).toInt()) &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(0), Qt::AlignLeft);
    EXPECT_EQ(alignment(3), Qt::AlignRight);
    EXPECT_EQ(alignment(5), Qt::AlignRight);
    EXPECT_EQ(alignment(6), Qt::AlignLeft);
}

TEST_F(ViewerFixture, SearchBoxesLieOverTheirColumns)
{
    writeTable();
    start();
    QHeaderView *titles = Form1->DBGrid1->horizontalHeader();
    const auto columnSpan = [&](int column) {
        const int left = titles->mapTo(Form1, QPoint(titles->sectionViewportPosition(column), 0)).x();
        return std::pair(left, left + Form1->DBGrid1->columnWidth(column) - 1);
    };
    EXPECT_EQ(columnSpan(0), std::pair(14, 213));
    EXPECT_EQ(columnSpan(1), std::pair(215, 364));
    EXPECT_EQ(columnSpan(2), std::pair(366, 515));
    EXPECT_EQ(columnSpan(3).first, 517);
    // Each box starts over its column.
    const auto inside = [&](QWidget *w, int column) {
        const auto [left, right] = columnSpan(column);
        return w->x() >= left && w->x() <= right;
    };
    EXPECT_TRUE(inside(Form1->Edit1, 0));
    EXPECT_TRUE(inside(Form1->Edit2, 1));
    EXPECT_TRUE(inside(Form1->BitBtn1, 2));
    // The number boxes follow in the order of their columns.
    EXPECT_LT(Form1->Edit3->x(), Form1->Edit4->x());
    EXPECT_LT(Form1->Edit4->x(), Form1->Edit5->x());
}

TEST_F(ViewerFixture, AboutButtonShowsTheAboutWindowModallyAndChangesNothing)
{
    writeTable();
    start();
    Form1->Edit1->setText(QStringLiteral("Петр"));
    enterIn(Form1->Edit1);
    const QStringList before = lines();
    for (int round = 0; round < 2; ++round) {
        bool wasModal = false;
        QTimer::singleShot(0, AboutBox, [&] {
            wasModal = AboutBox->isVisible() && QApplication::activeModalWidget() == AboutBox;
            QTest::mouseClick(AboutBox->Button1, Qt::LeftButton);
        });
        QTest::mouseClick(Form1->BitBtn1, Qt::LeftButton);
        EXPECT_TRUE(wasModal);
        EXPECT_FALSE(AboutBox->isVisible());
    }
    EXPECT_EQ(lines(), before);
    EXPECT_EQ(Form1->Edit1->text(), QStringLiteral("Петр"));
    EXPECT_EQ(names(), QStringList{QStringLiteral("Петров Пётр Петрович")});
}

} // namespace

int main(int argc, char **argv)
{
    // Test discovery runs the program without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
