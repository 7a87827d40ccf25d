#include "pairwise/model/formatting.h"
#include "trindel_fixture.h"

using namespace trindel;

namespace {

using Answer = platform::Answer;

class SheetsTest : public TrindelTest {
protected:
    void OpenGolden() {
        OpenThrough(CopyCase("golden_case", "golden_case"));
        ASSERT_NE(ExpertsSheet, nullptr);
    }
    // The comparisons sheet of experts-grid row `row`, through the menu.
    TItemsSheet* OpenComparisons(int row) {
        form->MdiArea->setActiveSubWindow(ExpertsSheet);
        ExpertsSheet->ExpertsGrid->SetCursor(1, row);
        QApplication::processEvents();
        form->UpdateMenuItems();
        Action("Assessments1")->trigger();
        QApplication::processEvents();
        return ComparisonsSheet();
    }
    SheetGrid* ExpertsGrid() const { return ExpertsSheet->ExpertsGrid; }
    // Row mode on the experts grid with rows first..last selected.
    void SelectExpertRows(int first, int last) {
        ExpertsSheet->SetExpertsEditorMode(false);
        ExpertsGrid()->SetCursor(1, first);
        ExpertsGrid()->SelectRows(first, last);
    }
};

// '<' at row 2, column 4 (left item 2 against top item 3) mirrors as '>' at row 3, column 3.
TEST_F(SheetsTest, AnswersAreEnteredMirrored) {
    OpenGolden();
    TItemsSheet* sheet = OpenComparisons(1);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Comparisons for the Expert: ExpA \" Ann \" "));
    SheetGrid* grid = sheet->ItemsGrid;
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 1);
    ASSERT_EQ(sheet->Core.CellText(4, 2), " <");  // as read: Birch against Cedar
    TypeAt(grid, 4, 2, ">");
    EXPECT_EQ(sheet->Core.CellText(4, 2), " >");
    EXPECT_EQ(sheet->Core.CellText(3, 3), " <");
    TypeAt(grid, 4, 2, "=");
    EXPECT_EQ(sheet->Core.CellText(4, 2), " =");
    EXPECT_EQ(sheet->Core.CellText(3, 3), " =");
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
    form->File1Click();
    EXPECT_TRUE(Action("SaveBtn")->isEnabled());
}

// Only '<', '=' and '>' are taken; the diagonal and a blank change nothing.
TEST_F(SheetsTest, OtherAnswersAndTheDiagonalAreIgnored) {
    OpenGolden();
    TItemsSheet* sheet = OpenComparisons(1);
    ASSERT_NE(sheet, nullptr);
    for (const char* text : {"x", " <", "", "?"}) {
        sheet->Core.SetEditText(4, 2, text);
        EXPECT_EQ(sheet->Core.CellText(4, 2), " <") << text;
    }
    sheet->Core.SetEditText(3, 2, ">");
    EXPECT_EQ(sheet->Core.CellText(3, 2), " .");
    EXPECT_FALSE(sheet->Core.CanEdit(3, 2));
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified);
}

// The cursor never rests on the diagonal: Tab steps over it, Home and End keep off it.
TEST_F(SheetsTest, CursorStepsOverTheDiagonal) {
    OpenGolden();
    TItemsSheet* sheet = OpenComparisons(1);
    ASSERT_NE(sheet, nullptr);
    SheetGrid* grid = sheet->ItemsGrid;
    grid->SetCursor(3, 2);  // left item 2 against top item 2
    sheet->ConstrainCursor();
    EXPECT_EQ(grid->Col(), 2);
    grid->SetCursor(2, 2);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_EQ(grid->Row(), 2);
    grid->SetCursor(6, 5);
    sheet->ConstrainCursor();
    EXPECT_EQ(grid->Col(), 5);  // the last diagonal cell
    grid->SetCursor(2, 1);
    sheet->ConstrainCursor();
    EXPECT_EQ(grid->Col(), 3);
}

// One comparisons window: asked for another expert it moves there and shows that expert.
TEST_F(SheetsTest, ComparisonsWindowIsReusedForAnotherExpert) {
    OpenGolden();
    TItemsSheet* first = OpenComparisons(1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ChildSheets[1], first);
    TItemsSheet* second = OpenComparisons(2);
    EXPECT_EQ(second, first);
    EXPECT_EQ(ChildSheets[1], nullptr);
    EXPECT_EQ(ChildSheets[2], first);
    EXPECT_EQ(first->Core.SheetExpert, ExpertTable[2].get());
    EXPECT_EQ(first->ItemsGrid->Row(), 1);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Comparisons for the Expert: ExpB \" Ben \" "));
    EXPECT_EQ(first->Core.CellText(4, 2), " =");  // ExpB: Birch = Cedar
}

TEST_F(SheetsTest, ComparisonsNeedAnExpertId) {
    OpenGolden();
    ExpertsSheet->Core.SetEditText(1, 2, "");
    prompts.QueueAnswer(Answer::Ok);
    EXPECT_EQ(OpenComparisons(2), nullptr);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Please specify Expert`s Id first"});
}

// Enter on the last row makes a blank expert and goes to its Id cell; elsewhere it moves down.
TEST_F(SheetsTest, EnterOnTheLastExpertRowAddsOne) {
    OpenGolden();
    ExpertsGrid()->SetCursor(2, 1);
    QApplication::processEvents();
    Key(Qt::Key_Return);
    EXPECT_EQ(ExpertsGrid()->Row(), 2);
    EXPECT_EQ(ExpertsGrid()->Col(), 1);
    EXPECT_EQ(CountExperts(), 4);
    ExpertsGrid()->SetCursor(1, 4);
    QApplication::processEvents();
    Key(Qt::Key_Return);
    EXPECT_EQ(CountExperts(), 5);
    EXPECT_EQ(ExpertsGrid()->Row(), 5);
    EXPECT_EQ(ExpertsGrid()->Col(), 1);
    EXPECT_EQ(ExpertTable[5]->Id.str(), "");
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::Create);
}

// Cut of rows 2..3, paste after row 5 (of the remaining), undo takes them out again.
TEST_F(SheetsTest, CutPasteAndUndoOfExperts) {
    OpenGolden();
    InsertExpert("E5", "", 5);
    InsertExpert("E6", "", 6);
    ExpertsGrid()->Model()->Reset();
    SelectExpertRows(2, 3);
    prompts.QueueAnswer(Answer::Yes);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Cut expert rows?"});
    ASSERT_EQ(CountExperts(), 4);
    EXPECT_EQ(ExpertTable[2]->Id.str(), "ExpC");
    ExpertsSheet->UpdateExpertsEditMenu();
    EXPECT_TRUE(ExpertsSheet->EditMenu.Paste);
    EXPECT_EQ(ExpertsSheet->EditMenu.UndoCaption, "&Undo Cut Experts (Ctrl-Z)");
    ExpertsGrid()->SetCursor(1, 4);
    // Row keys work in row mode; in an open cell Ctrl+V would paste text.
    if (ExpertsGrid()->EditorMode()) Key(Qt::Key_F3);
    ASSERT_FALSE(ExpertsGrid()->EditorOpen());
    Key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(CountExperts(), 6);
    EXPECT_EQ(ExpertTable[5]->Id.str(), "ExpB");
    EXPECT_EQ(ExpertTable[6]->Id.str(), "ExpX");
    // A second paste has nothing to paste and keeps the undo.
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(CountExperts(), 6);
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::Paste);
    if (ExpertsGrid()->EditorMode()) Key(Qt::Key_F3);
    ASSERT_FALSE(ExpertsGrid()->EditorOpen());
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(CountExperts(), 4);
    EXPECT_EQ(ExpertTable[4]->Id.str(), "E6");
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::None);
}

TEST_F(SheetsTest, CtrlVWithoutACutChangesNothing) {
    OpenGolden();
    ExpertsGrid()->SetCursor(1, 4);
    QApplication::processEvents();
    Key(Qt::Key_Return);  // a Create to keep
    ASSERT_EQ(CountExperts(), 5);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(CountExperts(), 5);
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::Create);
}

TEST_F(SheetsTest, DeletingEveryExpertLeavesOneBlank) {
    OpenGolden();
    TItemsSheet* comparisons = OpenComparisons(2);
    ASSERT_NE(comparisons, nullptr);
    form->MdiArea->setActiveSubWindow(ExpertsSheet);
    SelectExpertRows(1, 4);
    prompts.QueueAnswer(Answer::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Delete expert rows?"});
    EXPECT_EQ(CountExperts(), 1);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "");
    EXPECT_EQ(ComparisonsSheet(), nullptr);  // its expert went with the rows
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    // Undo brings the four back in front of the blank one.
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(CountExperts(), 5);
    EXPECT_EQ(ExpertTable[1]->Id.str(), "ExpA");
}

// A comparisons window kept at another row than its expert's: deleting the expert closes it.
TEST_F(SheetsTest, DeletedExpertTakesItsRetargetedWindowWithIt) {
    OpenGolden();
    TItemsSheet* sheet = OpenComparisons(1);
    ASSERT_NE(sheet, nullptr);
    ActiveExpert = ExpertTable[3].get();
    form->MdiArea->setActiveSubWindow(ExpertsSheet);
    form->MdiArea->setActiveSubWindow(sheet);
    QApplication::processEvents();
    ASSERT_EQ(sheet->Core.SheetExpert, ExpertTable[3].get());
    form->MdiArea->setActiveSubWindow(ExpertsSheet);
    SelectExpertRows(3, 3);
    prompts.QueueAnswer(Answer::Yes);
    Key(Qt::Key_Delete);
    ASSERT_EQ(CountExperts(), 3);
    FreeExpertsUndo();
    CloseSheetsOfGoneExperts();
    QApplication::processEvents();
    EXPECT_EQ(ComparisonsSheet(), nullptr);
}

TEST_F(SheetsTest, DeletingEveryItemLeavesOneEmpty) {
    OpenGolden();
    Action("Items1")->trigger();
    QApplication::processEvents();
    TItemsSheet* sheet = ChildSheets[0];
    ASSERT_NE(sheet, nullptr);
    sheet->SetItemsEditorMode(false);
    sheet->ItemsGrid->SetCursor(1, 1);
    sheet->ItemsGrid->SelectRows(1, 5);
    prompts.QueueAnswer(Answer::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Delete item rows?"});
    EXPECT_EQ(CountItems(), 1);
    EXPECT_EQ(ItemTable[1]->Id.str(), "");
    EXPECT_EQ(sheet->Core.GridRows(), 2);
    // The experts' matrices follow: one row, blank.
    const TAnswerRow* row = ExpertTable[1]->AnswerRows[1].get();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Item, ItemTable[1].get());
    EXPECT_EQ(row->Answers[1], ' ');
    EXPECT_EQ(ExpertTable[1]->AnswerRows[2], nullptr);
}

// Deleting item 2 takes its row and column out of every expert; undo brings them back with
// their answers, so every answer stays under its items.
TEST_F(SheetsTest, ItemDeletionKeepsTheMatricesAligned) {
    OpenGolden();
    Action("Items1")->trigger();
    QApplication::processEvents();
    TItemsSheet* sheet = ChildSheets[0];
    ASSERT_NE(sheet, nullptr);
    const char alderCedar = ExpertTable[1]->AnswerRows[1]->Answers[3];
    const char alderBirch = ExpertTable[1]->AnswerRows[1]->Answers[2];
    ASSERT_NE(alderBirch, ' ');
    sheet->SetItemsEditorMode(false);
    sheet->ItemsGrid->SetCursor(1, 2);
    sheet->ItemsGrid->SelectRows(2, 2);
    prompts.QueueAnswer(Answer::Yes);
    Key(Qt::Key_Delete);
    ASSERT_EQ(CountItems(), 4);
    EXPECT_EQ(ExpertTable[1]->AnswerRows[1]->Answers[2], alderCedar);
    EXPECT_EQ(ExpertTable[1]->AnswerRows[2]->Item, ItemTable[2].get());
    EXPECT_EQ(ItemTable[2]->Id.str(), "Cedar");
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(CountItems(), 5);
    EXPECT_EQ(ItemTable[2]->Id.str(), "Birch");
    EXPECT_EQ(ExpertTable[1]->AnswerRows[1]->Answers[3], alderCedar);
    EXPECT_EQ(ExpertTable[1]->AnswerRows[1]->Answers[2], alderBirch);
    EXPECT_EQ(ExpertTable[1]->AnswerRows[2]->Item, ItemTable[2].get());
}

TEST_F(SheetsTest, EmptiedRealisationShowsEmptyAndStoresTheMissingValue) {
    OpenGolden();
    Action("Items1")->trigger();
    QApplication::processEvents();
    TItemsSheet* sheet = ChildSheets[0];
    ASSERT_NE(sheet, nullptr);
    TypeAt(sheet->ItemsGrid, 2, 1, "");
    sheet->Core.SetEditText(2, 1, "");
    EXPECT_EQ(sheet->Core.CellText(2, 1), "");
    EXPECT_EQ(ItemTable[1]->Realisation, MissingValue);
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
    TypeAt(sheet->ItemsGrid, 2, 2, "12.5");
    EXPECT_TRUE(ItemTable[2]->HasRealisation);
    EXPECT_EQ(ItemTable[2]->Realisation, 12.5f);
    EXPECT_EQ(sheet->Core.CellText(2, 2), "12.5");
    sheet->Core.SetEditText(2, 2, "abc");
    EXPECT_EQ(ItemTable[2]->Realisation, 12.5f);
}

// Ctrl-C: the framed text of the grid; two selected rows copy all, three the selection.
TEST_F(SheetsTest, CtrlCCopiesTheGridAsText) {
    OpenGolden();
    ExpertsGrid()->SetCursor(1, 1);
    QApplication::processEvents();
    Key(Qt::Key_C, Qt::ControlModifier);
    const std::string text = prompts.ClipboardText();
    // The name padded to 37 characters, the date to 61.
    const std::string header = " Case name : golden_case" + std::string(37 - 24, ' ') + "24/05/2024" +
                               std::string(61 - 47, ' ') + "OBRIX version W4.0\r\n";
    ASSERT_EQ(text.substr(0, header.size()), header);
    EXPECT_NE(text.find("ExpA    |Ann"), std::string::npos);
    EXPECT_NE(text.find("ExpC    |Cai"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 3), "\f\r\n");

    SelectExpertRows(2, 4);
    Key(Qt::Key_C, Qt::ControlModifier);
    const std::string part = prompts.ClipboardText();
    EXPECT_EQ(part.find("ExpA"), std::string::npos);
    EXPECT_NE(part.find("ExpB"), std::string::npos);
    EXPECT_NE(part.find("ExpC"), std::string::npos);
    EXPECT_EQ(ExpertsTextOutput, 0);
}

TEST_F(SheetsTest, FilteringFlagsAndGreysRows) {
    OpenGolden();
    SelectExpertRows(1, 2);
    Key(Qt::Key_F4);
    EXPECT_TRUE(ExpertTable[1]->FilterFlag);
    EXPECT_TRUE(ExpertTable[2]->FilterFlag);
    EXPECT_TRUE(ExpertsSheet->Core.CellStyleAt(1, 1).Greyed);
    Key(Qt::Key_F5);
    EXPECT_FALSE(ExpertsFilterEnabled);
    EXPECT_FALSE(ExpertsSheet->Core.CellStyleAt(1, 1).Greyed);
    EXPECT_FALSE(Action("EnableFiltering1")->isChecked());
}

}  // namespace
