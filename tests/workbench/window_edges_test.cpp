// The edges where a user's data went elsewhere or away: what the user types lands in what the
// window shows, and nothing typed, cut or refused is lost. Real keys and clicks from the state the
// windows are in, with the sheets a user has open; every edit is saved, reopened and compared.
#include "main_form_fixture.h"
#include "sheet_cells.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <sstream>

#include "common/ui/flpoint_dlg.h"
#include "workbench/about_form.h"
#include "workbench/run_dialog.h"

namespace {

using namespace sheet_cells;
namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class WindowEdgesTest : public MainFormTest {
protected:
    static void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { test_support::KeyToFocus(key, mods); }

    static void Type(const QString& text) {
        for (QChar ch : text) {
            QWidget* w = QApplication::focusWidget();
            ASSERT_NE(w, nullptr);
            QTest::keyClicks(w, QString(ch));
            QApplication::processEvents();
        }
    }

    static QString EditorText() {
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return editor ? editor->text() : QStringLiteral("(no open cell)");
    }

    // The example case with its experts, realisations and first expert's assessments open.
    std::string OpenThreeSheets() {
        const std::string dtt = CopyExample(".dtt");
        OpenThrough(dtt);
        EXPECT_NE(ExpertsSheet, nullptr);
        Action("Items1")->trigger();
        QApplication::processEvents();
        Action("Assessments1")->trigger();
        QApplication::processEvents();
        return dtt;
    }

    void SaveAndReopen(const std::string& path) {
        Action("FileSaveItem")->trigger();
        QApplication::processEvents();
        FreshProgram();
        OpenThrough(path);
    }

    // Window > the entry of the open window whose caption starts with `caption`.
    void ChooseWindow(const QString& caption) {
        emit Menu("Window1")->aboutToShow();
        for (QAction* a : Menu("Window1")->actions())
            if (a->text().contains(QStringLiteral(" ") + caption)) {
                a->trigger();
                QApplication::processEvents();
                return;
            }
        ADD_FAILURE() << "no Window entry " << caption.toStdString();
    }

    bool PasteEnabled() {
        RefreshMenus();
        return Action("PasteCtrlV1")->isEnabled();
    }

    static int ItemRowOf(const char* id) {
        for (int i = 1; i <= MaxItemCount; ++i)
            if (ItemTable[i] && ItemTable[i]->Id.str() == id) return i;
        return 0;
    }

    static int ExpertRowOf(const char* id) {
        for (int e = 1; e <= MaxExpertCount; ++e)
            if (ExpertTable[e] && ExpertTable[e]->Id.str() == id) return e;
        return 0;
    }
};

// In an open cell copy, paste and undo work on the cell's text; the rows cut in row mode stay
// cut until a row command pastes them.
TEST_F(WindowEdgesTest, TextKeysInAnOpenCellEditTheTextAndLeaveTheRowsAlone) {
    const std::string dtt = OpenThreeSheets();
    const auto before = CaseRecords();
    SheetGrid* grid = GridOf(R);
    ASSERT_NE(grid, nullptr);

    // Text the user selects is what Ctrl+C copies, not the view.
    ClickCell(grid, 6, 5);  // "Mean July temperature at station D (deg C)"
    Key(Qt::Key_End);
    for (int n = 0; n < 7; ++n) Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "(deg C)");
    EXPECT_EQ(prompts.ClipboardText(), "") << "the view was copied as well";

    // Row mode: POP1 cut.
    Key(Qt::Key_F3);
    ClickCell(grid, 0, 12);
    prompts.QueueAnswer(platform::Answer::Yes);
    Key(Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(ItemRowOf("POP1"), 0);
    ASSERT_TRUE(PasteEnabled());

    // Editor mode: End, a blank and Ctrl+V in RAIN1's name.
    Key(Qt::Key_F3);
    ClickCell(grid, 6, 3);
    Key(Qt::Key_End);
    Type(" ");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(EditorText().toStdString(), "Wettest day rainfall at station C (mm) (deg C)");
    EXPECT_EQ(ItemRowOf("POP1"), 0) << "the paste inserted the cut rows too";
    EXPECT_EQ(ItemsUndo.Record.Kind, UndoKind::Cut) << "the cut rows are no longer held";

    // Ctrl+Z undoes the typing, not the cut.
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(EditorText().toStdString(), "Wettest day rainfall at station C (mm)");
    EXPECT_EQ(ItemRowOf("POP1"), 0) << "the undo brought the cut rows back";
    EXPECT_EQ(ItemsUndo.Record.Kind, UndoKind::Cut);
    Type(" wet");
    Key(Qt::Key_Tab);
    ASSERT_EQ(ItemTable[3]->Name.str(), "Wettest day rainfall at station C (mm) wet");

    // The row command still has the cut rows: pasted after COST1, where they were.
    Key(Qt::Key_F3);
    ClickCell(grid, 0, 11);
    Key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(ItemRowOf("POP1"), 12);

    SaveAndReopen(dtt);
    const std::vector<std::string> expected{"item 3 Name: Wettest day rainfall at station C (mm) -> "
                                            "Wettest day rainfall at station C (mm) wet"};
    EXPECT_EQ(Changes(before, CaseRecords()), expected);
}

// A file that fails to read leaves the case without a name: the next Save asks for one and
// never writes over the refused file, nor does the exit remember it.
TEST_F(WindowEdgesTest, ARefusedOpenLeavesNoNameForTheNextSaveToWriteOver) {
    // Line 3 ends after the expert's slot number: no item id, no scale.
    std::ifstream in(std::string(EXAMPLES_DIR) + "/STORM.dtt", std::ios::binary);
    std::string line, bytes;
    for (int n = 0; n < 4 && std::getline(in, line); ++n) bytes += (n == 2 ? line.substr(0, 19) + "\r" : line) + "\n";
    const fs::path bad = root_ / "BAD.dtt";
    WriteBytes(bad, bytes);
    prompts.QueueAnswer(platform::Answer::Ok);
    OpenThrough(bad.string());
    const std::vector<std::string> said{"Failed to load Experts file " + bad.string() +
                                        ". Check if this file exists and has proper format, at line 3"};
    ASSERT_EQ(prompts.MessageTexts(), said);
    EXPECT_EQ(form->windowTitle().toStdString(), "Halvorine v1.0");

    // Experts, OK the levels, an expert typed, Save Case.
    AnswerLevelsDialog(true);
    Action("Experts1")->trigger();
    QApplication::processEvents();
    ASSERT_NE(GridOf(E), nullptr);
    ClickCell(GridOf(E), 1, 1);
    Type("Ann");
    Key(Qt::Key_Tab);
    const fs::path chosen = root_ / "ANN.dtt";
    prompts.QueueSaveFile(chosen.string());
    Action("FileSaveItem")->trigger();
    QApplication::processEvents();
    int asked = 0;
    for (const auto& p : prompts.Recorded()) asked += p.Kind == "save" ? 1 : 0;
    EXPECT_EQ(asked, 1) << "Save asked for no name";
    EXPECT_EQ(ReadBytes(bad), bytes) << "the refused file was written over";

    prompts.QueueAnswer(platform::Answer::Yes);  // "Close the current case?"
    form->close();
    QApplication::processEvents();
    const std::string settings = ReadBytes(programFolder + "halvorin.ini");
    EXPECT_EQ(settings.find("BAD"), std::string::npos) << settings;

    // The case went where the user named it (an expert without assessments writes no line).
    ASSERT_TRUE(fs::exists(chosen));
    FreshProgram();
    prompts.Clear();
    OpenThrough(chosen.string());
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{});
    EXPECT_EQ(ReadBytes(bad), bytes);
}

// The assessments window follows the expert row the user moves to in the experts sheet at once:
// what it shows when the user clicks into it is what the keys edit.
TEST_F(WindowEdgesTest, TheAssessmentsWindowShowsTheCurrentExpertBeforeTheUserComesToIt) {
    const std::string dtt = CopyExample(".dtt");
    OpenThrough(dtt);
    SheetGrid* experts = GridOf(E);
    ASSERT_NE(experts, nullptr);
    const QModelIndex cedar = experts->model()->index(3 - experts->Source()->HeaderRows(), 1);
    QTest::mouseDClick(experts->viewport(), Qt::LeftButton, Qt::NoModifier, experts->visualRect(cedar).center());
    QApplication::processEvents();
    ASSERT_NE(GridOf(A), nullptr);
    auto title = [] { return GridOf(A)->parentWidget()->parentWidget()->windowTitle().toStdString(); };
    ASSERT_EQ(title().rfind("Assessments for the Expert: Cedar", 0), 0u) << title();

    ClickCell(experts, 1, 2);  // Birch's row
    EXPECT_EQ(title().rfind("Assessments for the Expert: Birch", 0), 0u) << title();

    const auto before = CaseRecords();
    ClickCell(GridOf(A), 5, 6);  // WIND1 95 % of the expert the window shows
    Type("29");
    Key(Qt::Key_Tab);
    const std::string key = "expert 2 WIND1 q3";
    const std::vector<std::string> expected{key + ": " + before.at(key) + " -> 29"};
    EXPECT_EQ(Changes(before, CaseRecords()), expected);
    SaveAndReopen(dtt);
    EXPECT_EQ(Changes(before, CaseRecords()), expected);
}

// Undoing a Paste gives the rows back to the cut buffer: Paste takes them again, and the next
// Undo puts them where they were cut from.
class UndoPasteTest : public WindowEdgesTest, public ::testing::WithParamInterface<Sheet> {};

TEST_P(UndoPasteTest, PutsTheRowsBackInTheCutBuffer) {
    const Sheet s = GetParam();
    const std::string dtt = OpenThreeSheets();
    if (s == E) {
        Action("Experts1")->trigger();
        QApplication::processEvents();
    } else {
        ChooseWindow(QStringLiteral("Realisations data"));
    }
    const auto before = CaseRecords();
    SheetGrid* grid = GridOf(s);
    const int cutRow = s == E ? 3 : 12;
    auto present = [s] { return s == E ? ExpertRowOf("Cedar") : ItemRowOf("POP1"); };
    const std::string undoCut = s == E ? "&Undo Cut Experts (Ctrl-Z)" : "&Undo Cut Items (Ctrl-Z)";
    const std::string undoPaste = s == E ? "&Undo Paste Experts (Ctrl-Z)" : "&Undo Paste Items (Ctrl-Z)";

    ClickCell(grid, 0, cutRow);
    prompts.QueueAnswer(platform::Answer::Yes);
    Key(Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(present(), 0);
    for (int round = 0; round < 2; ++round) {
        ClickCell(grid, 0, 1);
        Key(Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(present(), 2) << "round " << round;
        RefreshMenus();
        EXPECT_EQ(Action("UndoCtrlZ1")->text().toStdString(), undoPaste);
        Action("UndoCtrlZ1")->trigger();
        QApplication::processEvents();
        EXPECT_EQ(present(), 0) << "round " << round;
        EXPECT_TRUE(PasteEnabled()) << "round " << round << ": the rows are lost";
        EXPECT_EQ(Action("UndoCtrlZ1")->text().toStdString(), undoCut);
    }
    Action("UndoCtrlZ1")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(present(), cutRow);
    EXPECT_TRUE(Changes(before, CaseRecords()).empty());

    CaseFile.FileKinds[AssessmentsFileKind].Modified = CaseFile.FileKinds[ItemsFileKind].Modified = true;  // saved as it is now
    SaveAndReopen(dtt);
    EXPECT_EQ(Changes(before, CaseRecords()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Sheets, UndoPasteTest, ::testing::Values(E, R),
                         [](const ::testing::TestParamInfo<Sheet>& info) {
                             return std::string(info.param == E ? "Experts" : "Realisations");
                         });

// However a sheet is activated, it is in the same editor state: a key that only moves in the
// cell (End) leaves no text selected for the next letter to replace.
struct ActivationCase {
    const char* Name;
    Sheet Target;
    bool ByWindowMenu;  // else a click on the window's title bar
};

class ActivationTest : public WindowEdgesTest, public ::testing::WithParamInterface<ActivationCase> {};

TEST_P(ActivationTest, EndThenALetterAppendsToTheCell) {
    const ActivationCase& c = GetParam();
    const std::string dtt = OpenThreeSheets();
    const auto before = CaseRecords();
    const int col = c.Target == E ? 3 : 6;
    const int row = c.Target == E ? 1 : 3;
    ClickCell(GridOf(c.Target), col, row);
    ClickCell(GridOf(c.Target == E ? R : E), 1, 2);  // another sheet
    QWidget* sheet = GridOf(c.Target)->parentWidget()->parentWidget();
    ASSERT_NE(qobject_cast<QMdiSubWindow*>(sheet), nullptr);
    if (c.ByWindowMenu) {
        ChooseWindow(sheet->windowTitle());
    } else {
        QTest::mouseClick(sheet, Qt::LeftButton, Qt::NoModifier, QPoint(sheet->width() / 2, 6));
        QApplication::processEvents();
    }
    Key(Qt::Key_End);
    Type("K");
    Key(Qt::Key_Tab);
    const std::string key = c.Target == E ? "expert 1 Name" : "item 3 Name";
    const std::vector<std::string> expected{key + ": " + before.at(key) + " -> " + before.at(key) + "K"};
    EXPECT_EQ(Changes(before, CaseRecords()), expected);
    SaveAndReopen(dtt);
    EXPECT_EQ(Changes(before, CaseRecords()), expected);
}

INSTANTIATE_TEST_SUITE_P(Ways, ActivationTest,
                         ::testing::Values(ActivationCase{"RealisationsByWindowMenu", R, true},
                                           ActivationCase{"RealisationsByTitleBar", R, false},
                                           ActivationCase{"ExpertsByWindowMenu", E, true},
                                           ActivationCase{"ExpertsByTitleBar", E, false}),
                         [](const ::testing::TestParamInfo<ActivationCase>& info) { return info.param.Name; });

// The Edit menu acts on the sheet in front and its enabling follows that sheet, however it came
// to the front: a click on its title bar, the Window menu, or the area choosing the next window
// when the front one is closed with Ctrl+F4.
TEST_F(WindowEdgesTest, TheEditMenuActsOnTheSheetInFront) {
    const std::string dtt = OpenThreeSheets();
    const auto before = CaseRecords();
    auto windowOf = [](Sheet s) { return qobject_cast<QMdiSubWindow*>(GridOf(s)->parentWidget()->parentWidget()); };
    QMdiSubWindow* const sheets[] = {windowOf(E), windowOf(R), windowOf(A)};
    for (QMdiSubWindow* w : sheets) ASSERT_NE(w, nullptr);

    // Edit > Toggle editor mode turns the front sheet to row mode and back, and no other sheet;
    // an assessments window is not one the Edit menu acts on.
    auto check = [&](QMdiSubWindow* front, const std::string& step) {
        ASSERT_EQ(form->MdiArea->currentSubWindow(), front) << step;
        RefreshMenus();
        const bool realisations = front == sheets[R];
        EXPECT_EQ(Action("ChangeallscalestoUNI1")->isEnabled(), realisations) << step;
        EXPECT_EQ(Action("OpenItemsWindow1")->isEnabled(), !realisations) << step;
        EXPECT_EQ(Action("ToggleEditormode1")->isEnabled(), front != sheets[A]) << step;
        const bool closed = GridOf(A) == nullptr;
        const std::vector<Sheet> open = closed ? std::vector<Sheet>{E, R} : std::vector<Sheet>{E, R, A};
        bool modes[3] = {};
        for (Sheet s : open) modes[s] = GridOf(s)->EditorMode();
        Action("ToggleEditormode1")->trigger();
        QApplication::processEvents();
        for (Sheet s : open)
            EXPECT_EQ(GridOf(s)->EditorMode(), modes[s] != (sheets[s] == front && s != A))
                << step << ": sheet " << s;
        Action("ToggleEditormode1")->trigger();
        QApplication::processEvents();
        for (Sheet s : open) EXPECT_EQ(GridOf(s)->EditorMode(), modes[s]) << step << ": sheet " << s;
    };
    for (Sheet s : {R, E, A, E}) {
        QMdiSubWindow* w = sheets[s];
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(w->width() / 2, 6));
        QApplication::processEvents();
        check(w, "title bar of " + w->windowTitle().toStdString());
    }
    for (Sheet s : {A, R, E}) {
        ChooseWindow(sheets[s]->windowTitle());
        check(sheets[s], "Window menu " + sheets[s]->windowTitle().toStdString());
    }
    ChooseWindow(sheets[A]->windowTitle());
    Key(Qt::Key_F4, Qt::ControlModifier);
    ASSERT_EQ(GridOf(A), nullptr) << "the assessments window stays";
    QMdiSubWindow* next = form->MdiArea->currentSubWindow();
    ASSERT_TRUE(next == sheets[E] || next == sheets[R]);
    check(next, "after Ctrl+F4");

    EXPECT_TRUE(Changes(before, CaseRecords()).empty());
    CaseFile.FileKinds[AssessmentsFileKind].Modified = CaseFile.FileKinds[ItemsFileKind].Modified = true;
    SaveAndReopen(dtt);
    EXPECT_TRUE(Changes(before, CaseRecords()).empty());
}

// A dialog opened while a sheet's cell is open takes the keyboard; the About box takes Enter.
TEST_F(WindowEdgesTest, DialogsTakeTheKeysTypedIntoThem) {
    const std::string dtt = OpenThreeSheets();
    const auto before = CaseRecords();
    ClickCell(GridOf(A), 4, 1);  // Alder's RIVER1 50 %
    ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);

    Action("Changefloatingpointformat1")->trigger();
    QApplication::processEvents();
    auto* format = form->findChild<TFlpointDlg*>();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(QApplication::activeWindow(), format);
    Key(Qt::Key_A, Qt::ControlModifier);
    Type("25");
    EXPECT_EQ(format->FWEdit->text().toStdString(), "25");
    QTest::mouseClick(format->OKButton, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(FieldWidth, 20);

    Action("AboutWHALVORIN1")->trigger();
    QApplication::processEvents();
    auto* about = form->findChild<TAbout*>();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(QApplication::activeWindow(), about);
    Key(Qt::Key_Return);
    EXPECT_FALSE(about->isVisible()) << "Enter did not close the About box";

    EXPECT_EQ(Changes(before, CaseRecords()), std::vector<std::string>{});
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    SaveAndReopen(dtt);
    EXPECT_EQ(Changes(before, CaseRecords()), std::vector<std::string>{});
}

// Framed text pads by letters: an id with a letter of two bytes keeps its row's separators
// under the header's.
TEST_F(WindowEdgesTest, CopiedViewLinesUpWithLettersOfSeveralBytes) {
    const std::string dtt = OpenThreeSheets();
    Action("Experts1")->trigger();
    QApplication::processEvents();
    ClickCell(GridOf(E), 1, 1);
    Type(QString::fromUtf8("\u00c5lder"));
    Key(Qt::Key_Tab);
    ASSERT_EQ(ExpertTable[1]->Id.str(), "\xC3\x85lder");
    Key(Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QString::fromUtf8(prompts.ClipboardText().c_str()).split(QStringLiteral("\r\n"));
    auto bars = [](const QString& line) {
        std::vector<int> at;
        for (int i = 0; i < line.size(); ++i)
            if (line[i] == QLatin1Char('|')) at.push_back(i);
        return at;
    };
    std::vector<int> header;
    int rows = 0;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('_')) && line.contains(QLatin1Char('|'))) header = bars(line);
        if (!header.empty() && line.contains(QStringLiteral("lder"))) {
            ++rows;
            EXPECT_EQ(bars(line), header) << line.toStdString();
        }
    }
    EXPECT_EQ(rows, 1) << prompts.ClipboardText();
    SaveAndReopen(dtt);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "\xC3\x85lder");
}

// The window commands leave the frame its size on the screen.
TEST_F(WindowEdgesTest, TileAndCascadeLeaveTheFrameOnTheScreen) {
    OpenThreeSheets();
    const QSize size = form->size();
    Action("WindowTileItem")->trigger();
    QApplication::processEvents();
    Action("WindowCascadeItem")->trigger();
    QApplication::processEvents();
    Action("Experts1")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(form->size(), size);
    EXPECT_LE(form->minimumSizeHint().height(), size.height());
    EXPECT_LE(form->minimumSizeHint().width(), size.width());
}

// With the results of a run open beside the sheets (the solution, the losses, both range graphs,
// the run dialog), Tile and Cascade lay the windows out inside the frame: the frame keeps its size
// and stays on the screen. Before, the frame took the size the tiled windows' contents asked for
// (1529 x 1676 on a 1600 x 1000 screen), its status bar off the screen.
TEST_F(WindowEdgesTest, TileAndCascadeWithRunResultsLeaveTheFrameOnTheScreen) {
    OpenThreeSheets();
    form->resize(1000, 700);
    QApplication::processEvents();
    const QSize size = form->size();
    form->CalculateItemClick();
    QApplication::processEvents();
    TRunDlgFrm* dialog = OpenRunDialog();
    ASSERT_NE(dialog, nullptr);
    for (QPushButton* b : {dialog->RunButton, dialog->DSolutionButton, dialog->DBLossButton, dialog->RangeItemsButton,
                           dialog->RangeExpertsButton}) {
        ASSERT_TRUE(b->isEnabled()) << b->objectName().toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    EXPECT_TRUE(prompts.MessageTexts().empty());
    for (const char* command : {"WindowTileItem", "WindowCascadeItem", "WindowTileItem"}) {
        SCOPED_TRACE(command);
        Action(command)->trigger();
        QApplication::processEvents();
        EXPECT_EQ(form->size(), size);
        EXPECT_LE(form->minimumSizeHint().height(), size.height());
        EXPECT_LE(form->minimumSizeHint().width(), size.width());
        if (std::string(command) != "WindowTileItem") continue;
        // Tiled: side by side inside the area, none over another.
        const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList();
        ASSERT_EQ(windows.size(), 7);
        for (QMdiSubWindow* w : windows) {
            EXPECT_TRUE(form->MdiArea->viewport()->rect().contains(w->geometry())) << w->windowTitle().toStdString();
            for (QMdiSubWindow* other : windows)
                if (other != w) {
                    EXPECT_FALSE(w->geometry().intersects(other->geometry()));
                }
        }
    }
}

}  // namespace
