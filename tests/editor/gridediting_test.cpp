// The table of user actions, played on the real window over a three-entry table and
// checked against the table file afterwards.

#include <map>
#include <sstream>

#include "editortest.h"

namespace {

struct ActionCase
{
    const char *name;
    const char *script;    // steps separated by "|" (see play)
    const char *file;      // first field of each live entry in the file afterwards
    const char *grid;      // first column of each grid row afterwards
    TDataSetState state;   // of the current entry afterwards
    int row;               // current row afterwards
    int column;            // current column afterwards
    const char *error;     // the error box's text, "" when none was shown
};

std::ostream &operator<<(std::ostream &out, const ActionCase &c)
{
    return out << c.name;
}

class UserActions : public EditorTest, public ::testing::WithParamInterface<ActionCase>
{
protected:
    // Steps: "T:text" types, "K:name" presses a key, "N:name" clicks a navigator button,
    // "C:row,col" clicks a cell, "F" clicks into the organization name box, "A:ok" /
    // "A:cancel" sets how the delete confirmation is answered.
    void play(const std::string &script)
    {
        static const std::map<std::string, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
            {"Up", {Qt::Key_Up, Qt::NoModifier}},
            {"Down", {Qt::Key_Down, Qt::NoModifier}},
            {"Left", {Qt::Key_Left, Qt::NoModifier}},
            {"Right", {Qt::Key_Right, Qt::NoModifier}},
            {"Tab", {Qt::Key_Tab, Qt::NoModifier}},
            {"ShiftTab", {Qt::Key_Backtab, Qt::ShiftModifier}},
            {"Enter", {Qt::Key_Return, Qt::NoModifier}},
            {"Esc", {Qt::Key_Escape, Qt::NoModifier}},
            {"F2", {Qt::Key_F2, Qt::NoModifier}},
            {"Insert", {Qt::Key_Insert, Qt::NoModifier}},
            {"Backspace", {Qt::Key_Backspace, Qt::NoModifier}},
            {"Home", {Qt::Key_Home, Qt::NoModifier}},
            {"End", {Qt::Key_End, Qt::NoModifier}},
            {"CtrlHome", {Qt::Key_Home, Qt::ControlModifier}},
            {"CtrlEnd", {Qt::Key_End, Qt::ControlModifier}},
            {"CtrlDelete", {Qt::Key_Delete, Qt::ControlModifier}},
            {"PageDown", {Qt::Key_PageDown, Qt::NoModifier}},
            {"PageUp", {Qt::Key_PageUp, Qt::NoModifier}},
        };
        static const std::map<std::string, TNavigateBtn> buttons = {
            {"First", nbFirst}, {"Prior", nbPrior}, {"Next", nbNext},   {"Last", nbLast},
            {"Insert", nbInsert}, {"Delete", nbDelete}, {"Edit", nbEdit}, {"Post", nbPost},
            {"Cancel", nbCancel}};
        std::stringstream steps(script);
        std::string step;
        while (std::getline(steps, step, '|')) {
            if (step.empty())
                continue;
            const std::string arg = step.size() > 2 ? step.substr(2) : std::string();
            switch (step[0]) {
            case 'T': type(QString::fromStdString(arg)); break;
            case 'K': {
                auto it = keys.find(arg);
                ASSERT_NE(it, keys.end()) << "unknown key " << arg;
                key(it->second.first, it->second.second);
                break;
            }
            case 'N': {
                auto it = buttons.find(arg);
                ASSERT_NE(it, buttons.end()) << "unknown button " << arg;
                nav(it->second);
                break;
            }
            case 'C': {
                const auto comma = arg.find(',');
                clickCell(std::stoi(arg.substr(0, comma)), std::stoi(arg.substr(comma + 1)));
                break;
            }
            case 'F': clickBox(form->LabeledEdit2); break;
            case 'A': confirmAnswer = arg == "ok"; break;
            default: FAIL() << "unknown step " << step;
            }
            QApplication::processEvents();
        }
    }
};

TEST_P(UserActions, LeaveTheTableAsExpected)
{
    const ActionCase c = GetParam();
    writeAbc();
    start();
    ASSERT_TRUE(errors.empty()) << errors.front();
    play(c.script);
    EXPECT_EQ(fileNames(), c.file);
    EXPECT_EQ(gridNames(), c.grid);
    EXPECT_EQ(state(), c.state);
    EXPECT_EQ(form->Table1->RecNo(), c.row);
    EXPECT_EQ(editing()->selectedIndex(), c.column);
    EXPECT_EQ(errors.empty() ? std::string() : errors.back(), c.error);
}

const char *const kAbc = "Alpha,Bravo,Charlie";

INSTANTIATE_TEST_SUITE_P(
    Rows, UserActions,
    ::testing::Values(
        // Typing starts editing; the typed text replaces the cell's and stays unsaved.
        ActionCase{"TypingStartsEditing", "T:Zed", kAbc, "Alpha,Bravo,Charlie", dsEdit, 0, 0, ""},
        ActionCase{"EnterPutsTextIntoTheEntry", "T:Zed|K:Enter", kAbc, "Zed,Bravo,Charlie", dsEdit, 0, 0, ""},
        ActionCase{"PostSavesTypedText", "T:Zed|N:Post", "Zed,Bravo,Charlie", "Zed,Bravo,Charlie", dsBrowse, 0, 0, ""},
        ActionCase{"BackspaceEmptiesTheCell", "K:Backspace|K:Enter|N:Post", ",Bravo,Charlie", ",Bravo,Charlie", dsBrowse, 0, 0, ""},
        ActionCase{"F2KeepsTheCellsText", "K:F2|T:X|K:Enter|N:Post", "AlphaX,Bravo,Charlie", "AlphaX,Bravo,Charlie", dsBrowse, 0, 0, ""},
        ActionCase{"EnterOpensTheEditor", "K:Enter|T:Q|K:Enter|N:Post", "Q,Bravo,Charlie", "Q,Bravo,Charlie", dsBrowse, 0, 0, ""},
        // Esc first gives the cell back its value, then drops the entry's changes.
        ActionCase{"EscRestoresTheCell", "T:Zed|K:Esc", kAbc, kAbc, dsEdit, 0, 0, ""},
        ActionCase{"SecondEscDropsTheChanges", "T:Zed|K:Esc|K:Esc", kAbc, kAbc, dsBrowse, 0, 0, ""},
        ActionCase{"EscAfterEnterDropsTheChanges", "T:Zed|K:Enter|K:Esc|K:Down", kAbc, kAbc, dsBrowse, 1, 0, ""},
        ActionCase{"EscDropsANewEntry", "K:Insert|T:New|K:Enter|K:Esc", kAbc, kAbc, dsBrowse, 0, 0, ""},
        // Moves save a changed entry first.
        ActionCase{"DownSavesTheChangedEntry", "T:Zed|K:Down", "Zed,Bravo,Charlie", "Zed,Bravo,Charlie", dsBrowse, 1, 0, ""},
        ActionCase{"UpSavesTheChangedEntry", "K:Down|T:Yo|K:Up", "Alpha,Yo,Charlie", "Alpha,Yo,Charlie", dsBrowse, 0, 0, ""},
        ActionCase{"ClickOnAnotherRowSaves", "T:Zed|C:2,1", "Zed,Bravo,Charlie", "Zed,Bravo,Charlie", dsBrowse, 2, 1, ""},
        ActionCase{"NavigatorNextSaves", "T:Zed|N:Next", "Zed,Bravo,Charlie", "Zed,Bravo,Charlie", dsBrowse, 1, 0, ""},
        ActionCase{"CtrlEndSaves", "T:Zed|K:CtrlEnd", "Zed,Bravo,Charlie", "Zed,Bravo,Charlie", dsBrowse, 2, 0, ""},
        ActionCase{"PageDownGoesToTheEnd", "K:PageDown", kAbc, kAbc, dsBrowse, 2, 0, ""},
        ActionCase{"CtrlHomeGoesToTheFirst", "K:Down|K:Down|K:CtrlHome", kAbc, kAbc, dsBrowse, 0, 0, ""},
        // Insert puts a new entry at the current row; the engine stores it at the end.
        ActionCase{"InsertKeyAddsAnEntryAtTheCurrentRow", "K:Down|K:Insert|T:New|K:Enter", kAbc, "Alpha,New,Bravo,Charlie", dsInsert, 1, 0, ""},
        ActionCase{"InsertedEntryIsStoredAtTheEnd", "K:Down|K:Insert|T:New|N:Post", "Alpha,Bravo,Charlie,New", "Alpha,Bravo,Charlie,New", dsBrowse, 3, 0, ""},
        // Saved by the move, the new entry is the last one, so Down goes on to append.
        ActionCase{"DownSavesTheInsertedEntry", "K:Down|K:Insert|T:New|K:Down", "Alpha,Bravo,Charlie,New", "Alpha,Bravo,Charlie,New,", dsInsert, 4, 0, ""},
        ActionCase{"NavigatorInsertAddsAnEntry", "N:Insert|T:New|N:Post", "Alpha,Bravo,Charlie,New", "Alpha,Bravo,Charlie,New", dsBrowse, 3, 0, ""},
        ActionCase{"UntouchedInsertIsDroppedByAMove", "K:Down|K:Insert|K:Down", kAbc, kAbc, dsBrowse, 1, 0, ""},
        // Tab and Shift+Tab across cells and entries.
        ActionCase{"TabGoesToTheNextColumn", "K:Tab|K:Tab", kAbc, kAbc, dsBrowse, 0, 2, ""},
        ActionCase{"TabPastTheLastColumn", "K:End|K:Tab", kAbc, kAbc, dsBrowse, 1, 0, ""},
        ActionCase{"ShiftTabBeforeTheFirstColumn", "K:Down|K:ShiftTab", kAbc, kAbc, dsBrowse, 0, 6, ""},
        ActionCase{"TabSavesAChangedEntryOnTheWay", "T:Zed|K:Enter|K:End|K:Tab", "Zed,Bravo,Charlie", "Zed,Bravo,Charlie", dsBrowse, 1, 0, ""},
        ActionCase{"TabTakesTheEditorsText", "T:Zed|K:Tab|K:ShiftTab|K:Down", "Zed,Bravo,Charlie", "Zed,Bravo,Charlie", dsBrowse, 1, 0, ""},
        ActionCase{"RightAndLeftMoveBetweenColumns", "K:Right|K:Right|K:Left", kAbc, kAbc, dsBrowse, 0, 1, ""},
        // Appending at the end, and not twice.
        ActionCase{"DownOnTheLastAppends", "K:CtrlEnd|K:Down", kAbc, "Alpha,Bravo,Charlie,", dsInsert, 3, 0, ""},
        ActionCase{"DownTwiceAppendsOnce", "K:CtrlEnd|K:Down|K:Down", kAbc, "Alpha,Bravo,Charlie,", dsInsert, 3, 0, ""},
        ActionCase{"UpDropsTheUntouchedNewEntry", "K:CtrlEnd|K:Down|K:Up", kAbc, kAbc, dsBrowse, 2, 0, ""},
        ActionCase{"TabOnTheLastAppends", "K:CtrlEnd|K:End|K:Tab", kAbc, "Alpha,Bravo,Charlie,", dsInsert, 3, 0, ""},
        ActionCase{"TabOnTheUntouchedNewEntryStays", "K:CtrlEnd|K:Down|K:End|K:Tab", kAbc, "Alpha,Bravo,Charlie,", dsInsert, 3, 0, ""},
        ActionCase{"TypedNewEntryIsSavedByDown", "K:CtrlEnd|K:Down|T:Delta|K:Down", "Alpha,Bravo,Charlie,Delta", "Alpha,Bravo,Charlie,Delta,", dsInsert, 4, 0, ""},
        ActionCase{"TypedNewEntryIsSavedByUp", "K:CtrlEnd|K:Down|T:Delta|K:Up", "Alpha,Bravo,Charlie,Delta", "Alpha,Bravo,Charlie,Delta", dsBrowse, 2, 0, ""},
        // The focus leaving the grid.
        ActionCase{"LeavingDropsTheUntouchedNewEntry", "K:CtrlEnd|K:Down|F", kAbc, kAbc, dsBrowse, 2, 0, ""},
        ActionCase{"LeavingKeepsTypedTextUnsaved", "T:Zed|F", kAbc, "Zed,Bravo,Charlie", dsEdit, 0, 0, ""},
        ActionCase{"LeavingThenPostSaves", "T:Zed|F|N:Post", "Zed,Bravo,Charlie", "Zed,Bravo,Charlie", dsBrowse, 0, 0, ""},
        // The navigator.
        ActionCase{"NavigatorEditThenCancel", "N:Edit|T:Zed|N:Cancel", kAbc, kAbc, dsBrowse, 0, 0, ""},
        ActionCase{"NavigatorCancelDropsANewEntry", "N:Insert|T:New|N:Cancel", kAbc, kAbc, dsBrowse, 0, 0, ""},
        ActionCase{"NavigatorLastAndFirst", "N:Last|N:Prior|N:First|N:Next", kAbc, kAbc, dsBrowse, 1, 0, ""},
        // Deleting, confirmed or not.
        ActionCase{"CtrlDeleteOkDeletes", "K:Down|A:ok|K:CtrlDelete", "Alpha,Charlie", "Alpha,Charlie", dsBrowse, 1, 0, ""},
        ActionCase{"CtrlDeleteCancelKeeps", "K:Down|A:cancel|K:CtrlDelete", kAbc, kAbc, dsBrowse, 1, 0, ""},
        ActionCase{"NavigatorDeleteOkDeletes", "A:ok|N:Delete", "Bravo,Charlie", "Bravo,Charlie", dsBrowse, 0, 0, ""},
        ActionCase{"NavigatorDeleteCancelKeeps", "A:cancel|N:Delete", kAbc, kAbc, dsBrowse, 0, 0, ""},
        ActionCase{"DeleteDropsANewEntry", "K:CtrlEnd|K:Down|T:New|A:ok|K:CtrlDelete", kAbc, kAbc, dsBrowse, 2, 0, ""},
        // Conversion errors: the move or save does not happen and the text stays.
        ActionCase{"LettersInANumberOnEnter", "K:Right|K:Right|K:Right|T:abc|K:Enter", kAbc, kAbc, dsEdit, 0, 3,
                   "'abc' is not a valid integer value for field 'KAB'"},
        ActionCase{"LettersInANumberStopTheMove", "K:Right|K:Right|K:Right|T:abc|K:Down", kAbc, kAbc, dsEdit, 0, 3,
                   "'abc' is not a valid integer value for field 'KAB'"},
        ActionCase{"LettersInANumberStopThePost", "K:Right|K:Right|K:Right|T:abc|N:Post", kAbc, kAbc, dsEdit, 0, 3,
                   "'abc' is not a valid integer value for field 'KAB'"},
        ActionCase{"CorrectedNumberIsSaved", "K:Right|K:Right|K:Right|T:abc|K:Enter|K:Esc|T:77|N:Post", kAbc, kAbc, dsBrowse, 0, 3,
                   "'abc' is not a valid integer value for field 'KAB'"},
        ActionCase{"EmptyNumberEmptiesTheField", "K:Right|K:Right|K:Right|K:Backspace|K:Down", kAbc, kAbc, dsBrowse, 1, 3, ""}),
    [](const auto &info) { return std::string(info.param.name); });

struct ConversionCase
{
    const char *name;
    int column;
    const char *text;
    const char *error; // as the error box shows it; "" for none
};

std::ostream &operator<<(std::ostream &out, const ConversionCase &c)
{
    return out << c.name;
}

class ConversionErrors : public EditorTest, public ::testing::WithParamInterface<ConversionCase>
{
};

// A cell's text that its field cannot take: the error, and the entry stays in editing
// with the typed text; the save does not happen.
TEST_P(ConversionErrors, StopTheSaveAndKeepTheText)
{
    const ConversionCase c = GetParam();
    writeTable({{"Alpha", "Sales", "Head", "101", "201", "3001", "+7901"}},
               {{"FIO", 'C', 30}, {"OTDEL", 'C', 20}, {"DOLJ", 'C', 20}, {"KAB", 'N', 4},
                {"NVNUTR", 'N', 6}, {"NGOROD", 'N', 11}, {"NSOT", 'C', 20}});
    start();
    for (int i = 0; i < c.column; ++i)
        key(Qt::Key_Right);
    key(Qt::Key_Backspace);
    type(QString::fromUtf8(c.text));
    nav(nbPost);
    if (*c.error) {
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], c.error);
        EXPECT_EQ(state(), dsEdit);
        EXPECT_TRUE(editing()->editorMode());
        EXPECT_EQ(editing()->inplaceEditor()->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(fileRows().at(0).at(size_t(c.column)),
                  (std::vector<std::string>{"Alpha", "Sales", "Head", "101", "201", "3001", "+7901"}[size_t(c.column)]));
    } else {
        EXPECT_TRUE(errors.empty()) << errors.front();
        EXPECT_EQ(state(), dsBrowse);
        EXPECT_EQ(fileRows().at(0).at(size_t(c.column)), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConversionErrors,
    ::testing::Values(
        ConversionCase{"LettersInASmallNumber", 3, "abc", "'abc' is not a valid integer value for field 'KAB'"},
        ConversionCase{"SmallNumberOutOfRange", 3, "40000",
                       "40000 is not a valid value for field 'KAB'. The allowed range is -32768 to 32767."},
        ConversionCase{"LettersInAWholeNumber", 4, "12a", "'12a' is not a valid integer value for field 'NVNUTR'"},
        ConversionCase{"LettersInAWideNumber", 5, "x1", "'x1' is not a valid floating point value for field 'NGOROD'"},
        ConversionCase{"EmptyTextEmptiesTheField", 4, "", ""},
        ConversionCase{"ValidNumber", 5, "3512001", ""}),
    [](const auto &info) { return std::string(info.param.name); });

// The number fields' contents after edits (the names alone do not show them).
TEST_F(EditorTest, NumberCellsReachTheFile)
{
    writeAbc();
    start();
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    type(QStringLiteral("77"));
    key(Qt::Key_Down);
    key(Qt::Key_Backspace);
    nav(nbPost);
    EXPECT_TRUE(errors.empty()) << errors.front();
    const auto rows = fileRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][3], "77");
    EXPECT_EQ(rows[1][3], "");
    EXPECT_EQ(rows[2][3], "103");
}

// Cyrillic text typed into a cell reaches the file in the table's code page.
TEST_F(EditorTest, CyrillicTextIsStoredInCodePage1251)
{
    writeAbc();
    start();
    type(QStringLiteral("Иванов Иван"));
    nav(nbPost);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(fileRows().at(0).at(0), "Иванов Иван");
    EXPECT_EQ(tinydbf::liveRows(tablePath()).at(0).at(0),
              Cp1251::fromUnicode(QStringLiteral("Иванов Иван")).toStdString());
}

// An empty table: the grid is empty, and a first entry can be typed in and saved.
TEST_F(EditorTest, FirstEntryOfAnEmptyTable)
{
    writeTable({});
    start();
    EXPECT_EQ(form->DBGrid1->gridModel()->rowCount(), 0);
    confirmAnswer = true;
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(confirmations.empty()) << "Ctrl+Delete asks nothing on an empty table";
    type(QStringLiteral("First"));
    EXPECT_EQ(state(), dsInsert);
    key(Qt::Key_Return);
    nav(nbPost);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(fileNames(), "First");
}

// Closing the window drops pending changes without a question.
TEST_F(EditorTest, ClosingDropsPendingChanges)
{
    writeAbc();
    start();
    type(QStringLiteral("Zed"));
    key(Qt::Key_Return);
    key(Qt::Key_Insert);
    EXPECT_EQ(fileNames(), "Zed,Bravo,Charlie"); // the move to the new entry saved Zed
    type(QStringLiteral("Lost"));
    EXPECT_TRUE(form->close());
    form.reset();
    EXPECT_TRUE(confirmations.empty());
    EXPECT_EQ(fileNames(), "Zed,Bravo,Charlie");
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
