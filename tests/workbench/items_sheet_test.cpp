// The realisations sheet and an expert's assessments window driven through their grids.
#include "sheet_fixture.h"
#include "workbench/window_state.h"

#include <cmath>

namespace {

using Texts = std::vector<std::string>;

class ItemsSheetTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        BuildTwoExpertCase();
    }
    int AssessmentsOf(const TExpert* x) {
        int n = 0;
        for (int s = 1; s <= MaxItemCount; ++s)
            if (x->Assessments[s]) ++n;
        return n;
    }
};

TEST_F(ItemsSheetTest, RealisationsViewTexts) {
    TItemsSheet* sheet = OpenRealisations();
    EXPECT_EQ(RowTexts(sheet->Core, 0), (Texts{" Nr.", " Id", "Scale", "", " Realization", "", "  Full Name"}));
    EXPECT_EQ(RowTexts(sheet->Core, 1), (Texts{"   1", "Q1", "UNI", "", "      12.5", "", "Flow rate"}));
    EXPECT_EQ(RowTexts(sheet->Core, 2), (Texts{"   2", "Q2", "LOG", "", "", "", "Depth"}));
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Realisations data: study");
    EXPECT_EQ(sheet->ItemsGrid->columnWidth(3), 0);
    EXPECT_EQ(sheet->ItemsGrid->columnWidth(5), 0);
}

TEST_F(ItemsSheetTest, AssessmentsViewTexts) {
    auto* sheet = new TItemsSheet(area, ExpertTable[1].get());
    sheet->show();
    EXPECT_EQ(RowTexts(sheet->Core, 0),
              (Texts{" Nr.", " Id", "Scale", "        5%", "       50%", "       95%", " Realization", "  Full Name"}));
    EXPECT_EQ(RowTexts(sheet->Core, 1),
              (Texts{"   1", "Q1", "UNI", "         1", "        10", "       100", "      12.5", "Flow rate"}));
    EXPECT_EQ(RowTexts(sheet->Core, 2),
              (Texts{"   2", "Q2", "LOG", "       0.5", "         2", "         8", "", "Depth"}));
    sheet->FormActivate();
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Assessments for the Expert: Anna \" Anna Berg \" ");
    // The cursor keeps to the quantile columns.
    EXPECT_EQ(sheet->ItemsGrid->Col(), 3);
    EXPECT_FALSE(sheet->Core.CanSelect(2, 1));
    EXPECT_EQ(sheet->Core.ItemsNumCols(), 8);
}

TEST_F(ItemsSheetTest, QuantileHeadersRoundLevelsHalfToEven) {
    // 12.5 % is exact and goes to the even 12; 2.5 % is stored a little above and gives 3.
    testcase::SetLevels({5, 12.5f, 2.5f, 100});
    ItemsSheetCore core(ExpertTable[1].get());
    EXPECT_EQ(core.CellText(3, 0), "        5%");
    EXPECT_EQ(core.CellText(4, 0), "       12%");
    EXPECT_EQ(core.CellText(5, 0), "        3%");
    EXPECT_EQ(core.CellText(6, 0), "       100%");
}

TEST_F(ItemsSheetTest, ScaleEditsTakeLogAndUniOnly) {
    TItemsSheet* sheet = OpenRealisations();
    sheet->Core.SetEditText(2, 1, "lin");
    EXPECT_EQ(ItemTable[1]->Scale.str(), "UNI");
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
    sheet->Core.SetEditText(2, 1, "log");
    EXPECT_EQ(ItemTable[1]->Scale.str(), "log");
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
}

TEST_F(ItemsSheetTest, RealisationEdits) {
    TItemsSheet* sheet = OpenRealisations();
    sheet->Core.SetEditText(4, 2, "-3");
    EXPECT_TRUE(ItemTable[2]->HasRealisation);
    EXPECT_EQ(ItemTable[2]->Realisation, -3.0f);
    // Below zero on a LOG item: taken, drawn in purple.
    EXPECT_EQ(sheet->Core.CellStyleAt(4, 2).Colour, 0x800080u);
    sheet->Core.SetEditText(4, 2, "abc");
    EXPECT_EQ(ItemTable[2]->Realisation, -3.0f);
    sheet->Core.SetEditText(4, 1, "");
    EXPECT_EQ(ItemTable[1]->Realisation, MissingValue);
    EXPECT_EQ(sheet->Core.CellText(4, 1), "");
}

TEST_F(ItemsSheetTest, EnterOnTheLastRowAppendsAndElsewhereMovesToTheNextEditableCell) {
    TItemsSheet* sheet = OpenRealisations();
    SheetGrid* grid = sheet->ItemsGrid;
    grid->SetCursor(2, 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Col(), 4);  // the hidden lower bound is passed
    grid->SetCursor(6, 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(testcase::ItemIds(), (Texts{"Q1", "Q2", ""}));
    // Every expert assesses the new item.
    EXPECT_EQ(AssessmentsOf(ExpertTable[1].get()), 3);
    // Ctrl+Z in the open cell is the cell's own undo; in row mode it undoes the new row.
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ItemIds(), (Texts{"Q1", "Q2", ""}));
    Key(Qt::Key_F3);
    ASSERT_FALSE(grid->EditorOpen());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ItemIds(), (Texts{"Q1", "Q2"}));
    EXPECT_EQ(AssessmentsOf(ExpertTable[1].get()), 2);
}

TEST_F(ItemsSheetTest, InsertThenSwitchingWindowsThenCtrlZLosesNoRealItem) {
    TExpertsSheet* experts = OpenExperts();
    TItemsSheet* sheet = OpenRealisations();
    sheet->ItemsGrid->SetCursor(1, 1);
    Key(Qt::Key_F3);
    Key(Qt::Key_Insert);
    ASSERT_EQ(testcase::ItemIds(), (Texts{"Q1", "", "Q2"}));
    // Leaving the sheet removes the empty row; its undo record goes with it.
    area->setActiveSubWindow(experts);
    QApplication::processEvents();
    EXPECT_EQ(testcase::ItemIds(), (Texts{"Q1", "Q2"}));
    area->setActiveSubWindow(sheet);
    QApplication::processEvents();
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ItemIds(), (Texts{"Q1", "Q2"}));
    EXPECT_EQ(ItemsUndo.Record.Kind, UndoKind::None);
}

TEST_F(ItemsSheetTest, CutItemsLeaveTheAssessmentsWhenTheyAreFreed) {
    TItemsSheet* sheet = OpenRealisations();
    sheet->ItemsGrid->SetCursor(1, 1);
    Key(Qt::Key_F3);
    prompts.QueueAnswer(platform::Answer::Yes);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(prompts.MessageTexts(), (Texts{"Cut item row ?"}));
    ASSERT_EQ(testcase::ItemIds(), (Texts{"Q2"}));
    // Waiting for an undo, the item keeps its assessments.
    EXPECT_EQ(AssessmentsOf(ExpertTable[1].get()), 2);
    FreeItemsUndo();
    for (int e = 1; e <= 2; ++e) {
        EXPECT_EQ(AssessmentsOf(ExpertTable[e].get()), 1);
        EXPECT_EQ(ExpertTable[e]->Assessments[1]->Item, ItemTable[1].get());
    }
}

TEST_F(ItemsSheetTest, AFullTableTakesNoNewItemAndRecordsNothing) {
    while (testcase::ItemIds().size() < static_cast<std::size_t>(MaxItemCount))
        InsertItem("_x" + std::to_string(testcase::ItemIds().size()), "",
                   static_cast<int>(testcase::ItemIds().size()) + 1);
    ItemsSheetCore core;
    core.Cursor.Row = MaxItemCount;
    core.Cursor.Col = 1;
    SheetKey enter{vk::Enter};
    core.KeyRelease(enter);
    EXPECT_EQ(testcase::ItemIds().size(), static_cast<std::size_t>(MaxItemCount));
    EXPECT_EQ(ItemsUndo.Record.Kind, UndoKind::None);
    core.Cursor.Row = 5;
    SheetKey insert{vk::Insert};
    core.KeyRelease(insert);
    EXPECT_EQ(ItemTable[MaxItemCount]->Id.str(), "_x999");
    EXPECT_EQ(ItemsUndo.Record.Kind, UndoKind::None);
}

TEST_F(ItemsSheetTest, TabInTheAssessmentsWindowWrapsBetweenRows) {
    auto* sheet = new TItemsSheet(area, ExpertTable[1].get());
    sheet->show();
    area->setActiveSubWindow(sheet);
    QApplication::processEvents();
    SheetGrid* grid = sheet->ItemsGrid;
    grid->SetCursor(5, 1);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 3);
    grid->SetCursor(3, 1);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 5);
}

TEST_F(ItemsSheetTest, QuantileEditsStoreAndMarkTheAssessmentsFile) {
    auto* sheet = new TItemsSheet(area, ExpertTable[2].get());
    sheet->show();
    area->setActiveSubWindow(sheet);
    QApplication::processEvents();
    SheetGrid* grid = sheet->ItemsGrid;
    grid->SetCursor(4, 2);
    ASSERT_TRUE(grid->EditorOpen());
    QTest::keyClicks(QApplication::focusWidget(), "7.5");
    Key(Qt::Key_Tab);
    EXPECT_EQ(FindAssessment(ExpertTable[2].get(), ItemTable[2].get())->Values[2], 7.5f);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
}

TEST_F(ItemsSheetTest, BoundEditsOnALogItemCompareOnTheValueScale) {
    BayesianUpdates = true;
    LogIntrinsicRange = true;
    TItem* q2 = ItemTable[2].get();
    // The run keeps the assessed range of a LOG item as logarithms: here 0.5 .. 8.
    q2->AssessedLow = std::log(0.5f);
    q2->AssessedHigh = std::log(8.0f);
    ItemsSheetCore core;
    core.SetEditText(3, 2, "0.25");
    EXPECT_FLOAT_EQ(q2->IntrinsicLow, 0.25f);
    core.SetEditText(3, 2, "1");
    EXPECT_NEAR(q2->IntrinsicLow, 0.5f, 1e-6);
    core.SetEditText(5, 2, "4");
    EXPECT_NEAR(q2->IntrinsicHigh, 8.0f, 1e-5);
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
}

TEST_F(ItemsSheetTest, ARightClickInTheLossViewMeansTheSeedItemOfThatRow) {
    testcase::AddItem("Q3", "UNI", 4.0f);
    ItemsSheetMode = ItemsLossView;
    ItemsSheetCore core(ExpertTable[1].get());
    // Rows list the seed items Q1 and Q3, then the total row.
    EXPECT_EQ(core.ItemUnderRow(1), ItemTable[1].get());
    EXPECT_EQ(core.ItemUnderRow(2), ItemTable[3].get());
    EXPECT_EQ(core.ItemUnderRow(3), nullptr);
    EXPECT_EQ(core.ItemUnderRow(40), nullptr);
    ItemsSheetMode = ItemsDataView;
    EXPECT_EQ(core.ItemUnderRow(2), ItemTable[2].get());
    EXPECT_EQ(core.ItemUnderRow(0), nullptr);
}

TEST_F(ItemsSheetTest, FlaggedItemsAreGreyedAndCannotBeEdited) {
    TItemsSheet* sheet = OpenRealisations();
    sheet->ItemsGrid->SetCursor(1, 1);
    Key(Qt::Key_F3);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_F4);
    EXPECT_TRUE(ItemTable[1]->FilterFlag);
    EXPECT_TRUE(ItemTable[2]->FilterFlag);
    EXPECT_TRUE(sheet->Core.CellStyleAt(1, 1).Greyed);
    sheet->Core.SetEditText(6, 1, "renamed");
    EXPECT_EQ(ItemTable[1]->Name.str(), "Flow rate");
    Key(Qt::Key_F5);
    EXPECT_FALSE(ItemsFilterEnabled);
    EXPECT_FALSE(sheet->Core.CellStyleAt(1, 1).Greyed);
}

}  // namespace
