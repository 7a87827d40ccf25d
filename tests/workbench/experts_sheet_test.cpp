// The experts sheet driven through its grid: keys, row operations, undo, edits and views.
#include "sheet_fixture.h"

#include <cctype>

#include "workbench/record_links.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

using Texts = std::vector<std::string>;

class ExpertsSheetTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        BuildTwoExpertCase();
        sheet = OpenExperts();
        grid = sheet->ExpertsGrid;
    }
    TExpertsSheet* sheet = nullptr;
    SheetGrid* grid = nullptr;
};

TEST_F(ExpertsSheetTest, EnterOnTheLastRowAppendsARowAndCtrlZRemovesIt) {
    grid->SetCursor(1, 2);
    ASSERT_TRUE(grid->EditorOpen());
    Key(Qt::Key_Return);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo", ""}));
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    // The new expert has an assessment of every item.
    EXPECT_NE(FindAssessment(ExpertTable[3].get(), ItemTable[2].get()), nullptr);

    // Ctrl+Z in the open cell is the cell's own undo; in row mode it undoes the new row.
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo", ""}));
    Key(Qt::Key_F3);
    ASSERT_FALSE(grid->EditorOpen());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo"}));
    EXPECT_EQ(grid->model()->rowCount(), 2);
}

TEST_F(ExpertsSheetTest, EnterOnAnotherRowOnlyMovesToTheNextRowFirstColumn) {
    grid->SetCursor(3, 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo"}));
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_TRUE(grid->EditorOpen());
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
}

TEST_F(ExpertsSheetTest, DeletingTwoRowsAsksAndCtrlZRestoresThemInPlace) {
    testcase::AddExpert("Cleo", {{3, 30, 300}, {1, 2, 3}});
    sheet->FormAdjust();
    grid->SetCursor(1, 1);
    Key(Qt::Key_F3);  // row mode
    ASSERT_FALSE(grid->EditorMode());
    Key(Qt::Key_Down, Qt::ShiftModifier);
    int first = 0, last = 0;
    grid->SelectedRows(first, last);
    ASSERT_EQ(first, 1);
    ASSERT_EQ(last, 2);

    const int countBefore = ExpertCount;
    prompts.QueueAnswer(platform::Answer::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(prompts.MessageTexts(), (Texts{"Delete expert rows?"}));
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Cleo"}));
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::Del);
    EXPECT_EQ(sheet->EditMenu.UndoCaption, "&Undo Del Experts (Ctrl-Z)");

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo", "Cleo"}));
    EXPECT_EQ(ExpertCount, countBefore);
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::None);
}

TEST_F(ExpertsSheetTest, AnsweringNoDeletesNothingAndOneRowAsksWithABlank) {
    Key(Qt::Key_F3);
    prompts.QueueAnswer(platform::Answer::No);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(prompts.MessageTexts(), (Texts{"Cut expert row ?"}));
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo"}));
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::None);
}

TEST_F(ExpertsSheetTest, CutThenPasteTwicePastesOnce) {
    testcase::AddExpert("Cleo", {{3, 30, 300}, {1, 2, 3}});
    sheet->FormAdjust();
    grid->SetCursor(1, 1);
    Key(Qt::Key_F3);
    prompts.QueueAnswer(platform::Answer::Yes);
    Key(Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(testcase::ExpertIds(), (Texts{"Bo", "Cleo"}));
    EXPECT_TRUE(sheet->EditMenu.Paste);

    grid->SetCursor(1, 2);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Bo", "Cleo", "Anna"}));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Bo", "Cleo", "Anna"}));

    // Undoing the paste gives the rows back to the cut buffer; the next undo undoes the cut.
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Bo", "Cleo"}));
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::Cut);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo", "Cleo"}));
}

TEST_F(ExpertsSheetTest, PasteWithNothingCutInsertsNothingAndKeepsTheRecord) {
    grid->SetCursor(1, 2);
    Key(Qt::Key_Return);  // Create
    ASSERT_EQ(ExpertsUndo.Record.Kind, UndoKind::Create);
    Key(Qt::Key_F3);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo", ""}));
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::Create);
}

TEST_F(ExpertsSheetTest, AltInsertInRowModeInsertsBeforeTheCurrentRow) {
    grid->SetCursor(1, 2);
    Key(Qt::Key_F3);
    Key(Qt::Key_Insert, Qt::AltModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "", "Bo"}));
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_TRUE(grid->EditorMode());
}

TEST_F(ExpertsSheetTest, DeletingEveryRowLeavesOneEmptyRow) {
    grid->SetCursor(1, 1);
    Key(Qt::Key_F3);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    prompts.QueueAnswer(platform::Answer::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{""}));
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(ExpertsSheetTest, AReleaseWithoutItsPressAndRepeatsDoNothing) {
    grid->SetCursor(1, 2);
    QWidget* w = QApplication::focusWidget();
    // The Enter that closed a message box arrives as a release only.
    QTest::keyRelease(w, Qt::Key_Return);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo"}));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(QApplication::focusWidget(), &repeat);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo"}));
}

TEST_F(ExpertsSheetTest, TabStepsOverTheHiddenUserWeightColumn) {
    ASSERT_EQ(grid->columnWidth(2), 0);
    grid->SetCursor(1, 1);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->Col(), 3);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->Col(), 1);

    WeightType = UserWeighting;
    sheet->FormPaint();  // a new layout for user weights
    EXPECT_GT(grid->columnWidth(2), 0);
    grid->SetCursor(1, 1);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->Col(), 2);
}

TEST_F(ExpertsSheetTest, TypingAUserWeightStoresItWithoutMarkingTheFile) {
    WeightType = UserWeighting;
    sheet->FormPaint();
    grid->SetCursor(2, 1);
    QTest::keyClicks(QApplication::focusWidget(), "0.25");
    Key(Qt::Key_Tab);
    EXPECT_FLOAT_EQ(ExpertTable[1]->Weight, 0.25f);
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_EQ(grid->model()->index(0, 2).data().toString().toStdString(), "      0.25");
}

TEST_F(ExpertsSheetTest, TabbingThroughCellsStoresNothing) {
    WeightType = UserWeighting;
    ExpertTable[1]->Weight = 0.123456f;
    sheet->FormPaint();
    grid->SetCursor(1, 1);
    for (int i = 0; i < 8; ++i) Key(Qt::Key_Tab);
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_EQ(ExpertTable[1]->Weight, 0.123456f);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo"}));
}

// ---------------------------------------------------------------- id edits

struct IdCase {
    const char* Typed;
    const char* Expected;
    bool Modified;
};

void PrintTo(const IdCase& c, std::ostream* os) {
    *os << '"' << c.Typed << "\" gives \"" << c.Expected << '"' << (c.Modified ? ", modified" : ", unmodified");
}

class ExpertIdEdit : public ExpertsSheetTest, public ::testing::WithParamInterface<IdCase> {};

TEST_P(ExpertIdEdit, FollowsTheIdRule) {
    // Row 1 is edited; the others hold an 8-character id and ids that clash after cutting.
    ExpertTable[2]->Id = "abcdefgh";
    testcase::AddExpert("ab", {});
    testcase::AddExpert("ABC1", {});
    testcase::AddExpert("AB C", {});
    sheet->FormAdjust();
    const IdCase& c = GetParam();
    sheet->Core.SetEditText(1, 1, c.Typed);
    EXPECT_EQ(ExpertTable[1]->Id.str(), c.Expected) << "typed \"" << c.Typed << "\"";
    EXPECT_EQ(CaseFile.FileKinds[AssessmentsFileKind].Modified, c.Modified);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExpertIdEdit,
                         ::testing::Values(
                             // A 9-character id whose 8-character cut is taken: shortened until free.
                             IdCase{"abcdefghi", "abcdefg", true}, IdCase{"ABCDEFGHX", "ABCDEFG", true},
                             // A 9-character id with a free prefix is stored cut to 8.
                             IdCase{"zyxwvutsr", "zyxwvuts", true},
                             // "ab c" is taken: cut back it passes "ab ", right-trimmed to the taken "ab", then "a".
                             IdCase{"ab c", "a", true}, IdCase{"AB C", "A", true},
                             // A free blank inside an id is kept.
                             IdCase{"ab d", "ab d", true}, IdCase{"abc1", "abc", true}, IdCase{"ab", "a", true},
                             IdCase{"", "Anna", false}, IdCase{"   ", "Anna", false}, IdCase{"ANNA", "Anna", false},
                             IdCase{"  Nova  ", "Nova", true}),
                         [](const ::testing::TestParamInfo<IdCase>& info) {
                             // The case's number and what is typed, blanks shown as '_': stable from run to run.
                             std::string name = "n" + std::to_string(info.index) + "_";
                             for (const char* p = info.param.Typed; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST_F(ExpertsSheetTest, NameEditsMarkTheFileOnlyWhenTheTextDiffersIgnoringCase) {
    sheet->Core.SetEditText(3, 1, "  ANNA BERG ");
    EXPECT_EQ(ExpertTable[1]->Name.str(), "ANNA BERG");
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    sheet->Core.SetEditText(3, 2, std::string(60, 'n'));
    EXPECT_EQ(ExpertTable[2]->Name.str(), std::string(50, 'n'));
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
}

// ---------------------------------------------------------------- views

TEST_F(ExpertsSheetTest, DataViewTexts) {
    ExpertsTextOutput = false;
    EXPECT_EQ(RowTexts(sheet->Core, 0), (Texts{"   Nr.", " Id", "User Weight", "  Full Name"}));
    EXPECT_EQ(RowTexts(sheet->Core, 1), (Texts{"     1", "Anna", "", "Anna Berg"}));
    EXPECT_EQ(RowTexts(sheet->Core, 2), (Texts{"     2", "Bo", "", ""}));
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Experts data: study");
    ExpertsTextOutput = true;
    EXPECT_EQ(RowTexts(sheet->Core, 1),
              (Texts{"     1", "Anna    ", "          ", "Anna Berg" + std::string(41, ' ')}));
    ExpertsTextOutput = false;
}

class ResultViewsTest : public ExpertsSheetTest {
protected:
    void SetUp() override {
        ExpertsSheetTest::SetUp();
        TExpert* a = ExpertTable[1].get();
        TExpert* b = ExpertTable[2].get();
        a->Calibration = 0.5f, a->MeanInformation = 1.25f, a->MeanSeedInformation = 2, a->SeedCount = 1;
        a->RawWeight = 0.25f, a->Weight = 0.75f, a->WeightWithDM = 0.5f;
        b->Calibration = 0.125f, b->MeanInformation = 0.5f, b->MeanSeedInformation = 1, b->SeedCount = 1;
        b->Weight = 0.25f, b->WeightWithDM = 0.125f;
        a->Robustness = TRobustness{0.25f, 0.5f, 1.5f, 2, 1};
        b->Robustness = TRobustness{0.125f, 0.0625f, 0.75f, 0, 0.1f};
        // As a run leaves them: the experts counted, one decision maker after them.
        ExpertCount = 2;
        BuildItemIndexMap();
        ASSERT_TRUE(AddDecisionMaker(""));
        TExpert* dm = ExpertTable[3].get();
        dm->Calibration = 0.75f, dm->MeanInformation = 0.875f, dm->MeanSeedInformation = 1.5f;
        dm->RawWeight = 0.5f, dm->Weight = 0.625f, dm->WeightWithDM = 0.375f;
        SignificanceLevel = 0.05f;
    }
};

TEST_F(ResultViewsTest, ScoresViewTexts) {
    ExpertsSheetMode = ExpertsScoresView;
    sheet->FormPaint();
    const Texts expected[] = {
        {"   Nr.", " Id", "Calibr.", "Mean relative", "Mean relative", "Numb", "UnNormalized", "Normaliz.weight",
         "Normaliz.weight"},
        {"", "", "", " total   ", " realization ", "real", "weight ", "without DM", "with DM"},
        {"     1", "Anna", "       0.5", "      1.25", "         2", "   1", "      0.25", "      0.75", "       0.5"},
        {"     2", "Bo", "     0.125", "       0.5", "         1", "   1", "", "      0.25", "     0.125"},
        {"     3", "DMaker 1", "      0.75", "     0.875", "       1.5", "   0", "       0.5", "", "     0.375"},
    };
    ASSERT_EQ(sheet->Core.GridRows(), 5);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(RowTexts(sheet->Core, r), expected[r]) << "row " << r;
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Expert scores: study");
    EXPECT_EQ(sheet->Core.HeaderInfo(), (Texts{"Results of scoring experts",
                                               " Bayesian Updates: no      Weights:  global     DM Optimisation:  yes ",
                                               " Significance Level:       0.05    Calibration Power:          1"}));
    // Only the decision maker's row takes the cursor.
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_FALSE(sheet->Core.CanSelect(1, 2));
}

TEST_F(ResultViewsTest, ScoresViewWithDiscrepancy) {
    DiscrepancyOn = true;
    ExpertTable[1]->MeanDiscrepancy = 0.25f;
    ExpertTable[1]->MeanSeedDiscrepancy = MissingValue;
    ExpertsSheetMode = ExpertsScoresView;
    sheet->FormPaint();
    EXPECT_EQ(sheet->Core.CellText(9, 0), "Rel.Inf to DM");
    EXPECT_EQ(sheet->Core.CellText(9, 1), "total ");
    EXPECT_EQ(sheet->Core.CellText(10, 1), "realiz.");
    EXPECT_EQ(sheet->Core.CellText(9, 2), "      0.25");
    EXPECT_EQ(sheet->Core.CellText(10, 2), "   N/A ");
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Expert scores: study and Relative Inforamtion to DM");
    EXPECT_EQ(sheet->Core.HeaderInfo()[0], "Results of scoring experts and Relative Information to the DM");
}

TEST_F(ResultViewsTest, RobustnessViewTexts) {
    ExpertsSheetMode = ExpertsRobustnessView;
    sheet->FormPaint();
    const Texts expected[] = {
        {"   Nr.", " Id", "Rel.info/bgr.", "Rel.info/bgr.", "Calibr.", "Rel.info/or.DM", "Rel.info/or.DM"},
        {"", "excl.exp", " total   ", " realization ", "", " total   ", " realization "},
        {"     1", "Anna", "       1.5", "         2", "       0.5", "      0.25", "       0.5"},
        {"     2", "Bo", "      0.75", "         0", "", "     0.125", "    0.0625"},
        {"     3", "DMaker 1", "     0.875", "       1.5", "      0.75", "         0", "         0"},
    };
    for (int r = 0; r < 5; ++r) EXPECT_EQ(RowTexts(sheet->Core, r), expected[r]) << "row " << r;
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Robustness for Experts: study");
    ExpertsTextOutput = true;
    EXPECT_EQ(sheet->Core.CellText(0, 1), "      ");
    EXPECT_EQ(sheet->Core.CellText(1, 1), "excl.exp");
    ExpertsTextOutput = false;
}

TEST_F(ResultViewsTest, DeletingTheLastDecisionMakerAndUndoingRestoresBothCounters) {
    ExpertsSheetMode = ExpertsScoresView;
    sheet->FormPaint();
    ASSERT_EQ(grid->Row(), 4);
    ASSERT_EQ(ExpertCount, 2);
    ASSERT_EQ(DecisionMakerCount, 1);
    prompts.QueueAnswer(platform::Answer::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(prompts.MessageTexts(), (Texts{"Delete expert row ?"}));
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo"}));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo", "DMaker 1"}));
    EXPECT_EQ(ExpertCount, 2);
    EXPECT_EQ(DecisionMakerCount, 1);
}

TEST_F(ResultViewsTest, DataRowsCannotBeDeletedInTheScoresView) {
    ExpertsSheetMode = ExpertsScoresView;
    sheet->FormPaint();
    sheet->Core.Cursor.SelFirst = sheet->Core.Cursor.SelLast = sheet->Core.Cursor.Row = 2;
    SheetKey del{vk::Delete};
    EXPECT_EQ(sheet->Core.DeleteExpertRows(del), EffectNone);
    EXPECT_TRUE(prompts.MessageTexts().empty());
}

TEST_F(ResultViewsTest, ARowOperationInTheDataViewFirstRemovesTheDecisionMakers) {
    ASSERT_EQ(ExpertsSheetMode, ExpertsDataView);
    // The data view never shows the decision maker.
    EXPECT_EQ(sheet->Core.GridRows(), 3);
    grid->SetCursor(1, 2);
    Key(Qt::Key_Return);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"Anna", "Bo", ""}));
    EXPECT_EQ(DecisionMakerCount, 0);
    for (int e = 1; e <= ExpertSlotCount; ++e) {
        if (ExpertTable[e]) {
            EXPECT_FALSE(ExpertTable[e]->IsDecisionMaker);
        }
    }
}

TEST_F(ResultViewsTest, ADecisionMakerSheetIsFoundByItsRecordAndClosesWithIt) {
    ExpertTable[3]->Id = "Anna";  // ids of decision makers may repeat
    ExpertsSheetMode = ExpertsScoresView;
    sheet->FormPaint();
    sheet->OpenExpertItemsSheet(0);
    ASSERT_NE(ChildSheets[FirstResultSlot], nullptr);
    EXPECT_EQ(FindResultSheet(3), FirstResultSlot);
    EXPECT_EQ(FindResultSheet(1), 0);
    ClearResultExperts(sheet);
    EXPECT_EQ(ChildSheets[FirstResultSlot], nullptr);
    EXPECT_EQ(ActiveExpert, nullptr);
    EXPECT_EQ(ExpertsSheetMode, ExpertsDataView);
}

TEST_F(ResultViewsTest, AFullTableOfResultSheetsRefusesANewOne) {
    ExpertsSheetMode = ExpertsScoresView;
    sheet->FormPaint();
    TItemsSheet* stand = OpenRealisations();
    for (int i = FirstResultSlot; i <= ChildSheetSlots; ++i) ChildSheets[i] = stand;
    area->setActiveSubWindow(sheet);
    sheet->ExpertsGrid->SetCursor(1, 4);
    prompts.QueueAnswer(platform::Answer::Ok);
    sheet->OpenExpertItemsSheet(0);
    EXPECT_EQ(prompts.MessageTexts(), (Texts{"Too many result windows are open. Close one of them first."}));
    for (int i = FirstResultSlot; i <= ChildSheetSlots; ++i) EXPECT_EQ(ChildSheets[i], stand);
    for (int i = FirstResultSlot; i <= ChildSheetSlots; ++i) ChildSheets[i] = nullptr;
}

// ---------------------------------------------------------------- assessments windows

TEST_F(ExpertsSheetTest, DoubleClickingAnotherRowRetargetsTheOneAssessmentsWindow) {
    auto rowCentre = [this](int row) {
        QRect r = grid->visualRect(grid->model()->index(row - 1, 1));
        return r.center();
    };
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(1));
    QApplication::processEvents();
    ASSERT_NE(ChildSheets[1], nullptr);
    TItemsSheet* first = ChildSheets[1];
    EXPECT_EQ(first->Core.Expert, ExpertTable[1].get());
    EXPECT_EQ(first->windowTitle().toStdString(), "Assessments for the Expert: Anna \" Anna Berg \" ");

    area->setActiveSubWindow(sheet);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(2));
    QApplication::processEvents();
    EXPECT_EQ(ChildSheets[1], nullptr);
    EXPECT_EQ(ChildSheets[2], first);
    EXPECT_EQ(first->Core.Expert, ExpertTable[2].get());
    EXPECT_EQ(first->windowTitle().toStdString(), "Assessments for the Expert: Bo");
    int sheets = 0;
    for (QMdiSubWindow* w : area->subWindowList())
        if (qobject_cast<TItemsSheet*>(w)) ++sheets;
    EXPECT_EQ(sheets, 1);
}

TEST_F(ExpertsSheetTest, AnExpertWithoutIdOpensNoAssessments) {
    ExpertTable[2]->Id = "";
    grid->SetCursor(1, 2);
    prompts.QueueAnswer(platform::Answer::Ok);
    sheet->OpenExpertItemsSheet(0);
    EXPECT_EQ(prompts.MessageTexts(), (Texts{"Please specify Expert`s Id first"}));
    EXPECT_EQ(ChildSheets[2], nullptr);
}

TEST_F(ExpertsSheetTest, DeletingTheShownExpertClosesItsWindowAndClearsActiveExpert) {
    grid->SetCursor(1, 2);
    sheet->OpenExpertItemsSheet(0);
    ASSERT_NE(ChildSheets[2], nullptr);
    area->setActiveSubWindow(sheet);
    grid->SetCursor(1, 2);
    Key(Qt::Key_F3);
    prompts.QueueAnswer(platform::Answer::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(ChildSheets[2], nullptr);
    // Freeing the deleted expert (the next operation) leaves no pointer to it.
    grid->SetCursor(1, 1);
    Key(Qt::Key_Insert);
    EXPECT_TRUE(ActiveExpert == nullptr || ActiveExpert == ExpertTable[1].get() ||
                ActiveExpert == ExpertTable[2].get());
    QApplication::processEvents();
}

TEST_F(ExpertsSheetTest, CtrlCCopiesTheFramedViewToTheClipboard) {
    prompts.SetShortDate("01/02/2026");
    Key(Qt::Key_C, Qt::ControlModifier);
    const std::string text = prompts.ClipboardText();
    const std::string expected = " Case name : study                   01/02/2026              OBRIX version W4.0\r\n" +
                                 std::string(80, '_') + "\r\n" + std::string(27, '_') + "\r\n" +
                                 "   Nr.| Id     |  Full Name\r\n" + std::string(6, '_') + "|" + std::string(8, '_') +
                                 "|" + std::string(11, '_') + "\r\n" + "     1|Anna    |Anna Berg\r\n" +
                                 "     2|Bo      |\r\n" + std::string(27, '_') + "\r\n" + std::string(80, '_') +
                                 "\r\n" + std::string(62, ' ') + "Halvorine sheet export\r\n\f\r\n";
    EXPECT_EQ(text, expected);
}

}  // namespace
