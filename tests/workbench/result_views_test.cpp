// The items sheet's result views: a decision maker's solution, the bilinear losses of any
// expert's quantiles and the robustness on items, with their run information lines.
#include "sheet_fixture.h"

#include "workbench/sheet_export.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

using Texts = std::vector<std::string>;

class ItemsResultViewTest : public SheetTest {
protected:
    // Levels 5/50/95; three seed items and one item without realisation; one expert.
    //   S1 (12):  10, 20, 40      S2 (5):  1, 2, 3      S3 (150):  100, 200, 300      N4: 7, 8, 9
    void BuildLossCase() {
        testcase::SetLevels({5, 50, 95});
        testcase::AddItem("S1", "UNI", 12);
        testcase::AddItem("S2", "UNI", 5);
        testcase::AddItem("N4", "UNI")->Name = "No seed";
        testcase::AddItem("S3", "UNI", 150)->Name = "Third seed";
        testcase::AddExpert("E1", {{10, 20, 40}, {1, 2, 3}, {7, 8, 9}, {100, 200, 300}});
        CaseFile.CaseName = "loss";
    }

    // A decision maker after the experts, made with the given settings.
    TExpert* AddResultExpert(const TRunSettings& settings) {
        ExpertCount = 0;
        EXPECT_GT(CheckCaseData(), 0);
        BuildItemIndexMap();
        EXPECT_TRUE(AddDecisionMaker(""));
        TExpert* dm = ExpertTable[ExpertCount + 1].get();
        dm->Settings = settings;
        return dm;
    }
};

// By hand, loss = 6 x the quantile loss, w = 6p (0.3, 3, 5.7 as 32-bit reals: 0.3000000119 and
// 5.699999809):
//   S1 r 12:  5 %  (12 - 10) x 0.3 = 0.6;   50 %  (20 - 12) x 3 = 24;   95 %  (40 - 12) x 0.3000002 = 8.400005
//   S2 r 5:   5 %  (5 - 1) x 0.3 = 1.2;     50 %  (5 - 2) x 3 = 9;      95 %  (5 - 3) x 5.7 = 11.4
//   S3 r 150: 5 %  (150 - 100) x 0.3000000119 = 15.000001;  50 %  (200 - 150) x 3 = 150; 95 %  (300 - 150) x 0.3000002
//   = 45.00003 totals 16.8, 183, 64.80003: summed in extended precision and stored once they are exactly the 32-bit
//   reals 16.800001 (the first loss is 15.000001 as a 32-bit real), 183 and 64.80003 (a 32-bit running sum would
//   give 64.800034).
TEST_F(ItemsResultViewTest, BilinearLossesAndTotals) {
    BuildLossCase();
    const TExpert* x = ExpertTable[1].get();
    struct Case {
        int Item;
        float Expected[3];
    };
    const Case cases[] = {{1, {0.6f, 24, 8.400005f}}, {2, {1.2f, 9, 11.4f}}, {4, {15.000001f, 150, 45.00003f}}};
    for (const Case& c : cases)
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(QuantileLoss(x->Assessments[c.Item].get(), k), c.Expected[k - 1])
                << "item " << c.Item << " quantile " << k;

    ItemsSheetMode = ItemsLossView;
    ItemsSheetCore core(ExpertTable[1].get());
    EXPECT_EQ(core.TotalLoss(1), 16.800001f);
    EXPECT_EQ(core.TotalLoss(2), 183.0f);
    EXPECT_EQ(core.TotalLoss(3), 64.80003f);

    // Three seed items and the total row; the item without realisation is not listed.
    EXPECT_EQ(core.GridRows(), 5);
    EXPECT_EQ(RowTexts(core, 0),
              (Texts{" Nr.", " Id", "Scale", "        5%", "       50%", "       95%", " Realization", "  Full Name"}));
    EXPECT_EQ(RowTexts(core, 1),
              (Texts{"   1", "S1", "UNI", "       0.6", "        24", "       8.4", "        12", ""}));
    EXPECT_EQ(RowTexts(core, 3),
              (Texts{"   3", "S3", "UNI", "        15", "       150", "        45", "       150", "Third seed"}));
    EXPECT_EQ(RowTexts(core, 4),
              (Texts{"   4", "---- Total ----", "", "      16.8", "       183", "      64.8", "", ""}));
    EXPECT_EQ(core.ItemUnderRow(3), ItemTable[4].get());
    EXPECT_EQ(core.ItemUnderRow(4), nullptr);
    EXPECT_TRUE(core.CellStyleAt(3, 1).Bold);
    EXPECT_FALSE(core.CellStyleAt(1, 1).Bold);
    EXPECT_EQ(core.Caption(), "Bilinear losses of quantile estimates for the Expert: E1");
}

TEST_F(ItemsResultViewTest, MissingLosses) {
    BuildLossCase();
    TExpert* x = ExpertTable[1].get();
    // The examples of the loss rule: p = 0.05, q = 10: r = 12 gives 2 x 0.3, r = 8 gives 2 x 5.7.
    ItemTable[1]->Realisation = 8;
    EXPECT_FLOAT_EQ(QuantileLoss(x->Assessments[1].get(), 1), 11.4f);
    ItemTable[1]->Realisation = 12;

    EXPECT_EQ(QuantileLoss(nullptr, 1), MissingValue);
    EXPECT_EQ(QuantileLoss(x->Assessments[3].get(), 1), MissingValue) << "no realisation";
    TAssessment orphan;
    EXPECT_EQ(QuantileLoss(&orphan, 1), MissingValue) << "no item";

    // A cleared quantile shows blank and adds nothing to its column.
    x->Assessments[2]->Values[1] = MissingValue;
    EXPECT_EQ(QuantileLoss(x->Assessments[2].get(), 1), MissingValue);
    ItemsSheetMode = ItemsLossView;
    ItemsSheetCore core(x);
    EXPECT_EQ(core.CellText(3, 2), "");
    EXPECT_FLOAT_EQ(core.TotalLoss(1), 15.6f);
    EXPECT_EQ(core.CellText(3, 4), "      15.6");

    // No seed item at all: the total row alone, with zero sums.
    for (int i = 1; i <= 4; ++i) ItemTable[i]->HasRealisation = false;
    EXPECT_EQ(core.GridRows(), 2);
    EXPECT_EQ(RowTexts(core, 1),
              (Texts{"   1", "---- Total ----", "", "         0", "         0", "         0", "", ""}));
}

TEST_F(ItemsResultViewTest, SolutionViewHeaderKeepsTheDecisionMakersSettings) {
    BuildLossCase();
    TRunSettings settings;
    settings.OptimiseDM = true;
    settings.WeightType = GlobalWeighting;
    settings.SignificanceLevel = 0.0312f;
    settings.CalibrationPower = 1;
    TExpert* dm = AddResultExpert(settings);
    for (int k = 1; k <= 3; ++k) dm->Assessments[1]->Values[k] = 10.0f * k;
    ItemsSheetMode = ItemsSolutionView;
    ItemsSheetCore core(dm);
    ASSERT_TRUE(core.IsResultSheet);
    const Texts expected{"Resulting solution (combined DM distribution of values assessed by experts)",
                         " Bayesian Updates: no      Weights:  global     DM Optimisation:  yes ",
                         " Significance Level:   0.0312    Calibration Power:   1.0000"};
    EXPECT_EQ(core.HeaderInfo(), expected);
    // Later runs with other options do not change what this decision maker was made with.
    WeightType = EqualWeighting;
    OptimiseDM = false;
    BayesianUpdates = true;
    SignificanceLevel = 0.5f;
    CalibrationPower = 0.25f;
    EXPECT_EQ(core.HeaderInfo(), expected);

    EXPECT_EQ(RowTexts(core, 1),
              (Texts{"   1", "S1", "UNI", "        10", "        20", "        30", "        12", ""}));
    EXPECT_TRUE(core.CellStyleAt(4, 1).Bold);
    EXPECT_FALSE(core.CellStyleAt(6, 1).Bold);
    EXPECT_EQ(core.Caption(), "Solution for : DMaker 1");
    EXPECT_FALSE(core.CanSelect(3, 1));
    EXPECT_FALSE(core.CanEdit(3, 1));

    // Every weight kind and the other flags.
    const struct {
        int Weight;
        bool Bayes, Optimise;
        const char* Line;
    } kinds[] = {{2, true, false, " Bayesian Updates: yes     Weights:  equal      DM Optimisation:  no  "},
                 {3, false, true, " Bayesian Updates: no      Weights:  item       DM Optimisation:  yes "},
                 {4, false, false, " Bayesian Updates: no      Weights:  user       DM Optimisation:  no  "}};
    for (const auto& k : kinds) {
        dm->Settings.WeightType = static_cast<std::uint16_t>(k.Weight);
        dm->Settings.BayesianUpdates = k.Bayes;
        dm->Settings.OptimiseDM = k.Optimise;
        EXPECT_EQ(core.HeaderInfo()[1], k.Line);
    }
    // The loss view of a result sheet has no run information.
    ItemsSheetMode = ItemsLossView;
    EXPECT_TRUE(core.HeaderInfo().empty());
}

class ItemsRobustnessViewTest : public ItemsResultViewTest {
protected:
    void SetUp() override {
        ItemsResultViewTest::SetUp();
        BuildLossCase();
        TRunSettings settings;
        settings.RobustnessRun = true;
        settings.WeightType = GlobalWeighting;
        settings.SignificanceLevel = 0.05f;
        settings.CalibrationPower = 0.5f;
        dm = AddResultExpert(settings);
        dm->MeanInformation = 1.5f;
        dm->MeanSeedInformation = 0.75f;
        dm->Calibration = 0.5f;
        ItemTable[1]->Robustness = TRobustness{0.125f, 0.25f, 2.0f, 0.5f, 0.2f};
        ItemTable[2]->Robustness = TRobustness{0.5f, 1.0f, 3.0f, 0.0f, 0.2f};
        ItemTable[4]->Robustness = TRobustness{0.0f, 0.0f, 1.0f, 1e-12f, 2e-10f};
        ItemsSheetMode = ItemsRobustnessView;
    }
    TExpert* dm = nullptr;
};

TEST_F(ItemsRobustnessViewTest, Cells) {
    ItemsSheetCore core(dm);
    ASSERT_TRUE(core.IsRobustnessSheet);
    EXPECT_EQ(core.HeaderRows(), 2);
    EXPECT_EQ(core.GridCols(), 7);
    EXPECT_EQ(core.GridRows(), 2 + 4 + 1);
    EXPECT_EQ(RowTexts(core, 0),
              (Texts{" Nr.", " Id", "Rel.info/bgr.", "Rel.info/bgr.", "Calibr.", "Rel.info/or.DM", "Rel.info/or.DM"}));
    EXPECT_EQ(RowTexts(core, 1),
              (Texts{"", " of excl. item", "   total   ", " realization", "", "  total  ", " realization"}));
    // Calibration is the score over the seed information: 0.2 / 0.5.
    EXPECT_EQ(RowTexts(core, 2),
              (Texts{"   1", "S1", "         2", "       0.5", "       0.4", "     0.125", "      0.25"}));
    // No seed information: the calibration stays blank.
    EXPECT_EQ(core.CellText(4, 3), "");
    EXPECT_EQ(RowTexts(core, 4), (Texts{"   3", "N4", "         0", "         0", "", "         0", "         0"}));
    // The full run, shown by the decision maker itself.
    EXPECT_EQ(RowTexts(core, 6), (Texts{"   5", "None", "       1.5", "      0.75", "       0.5", "", ""}));
    for (int col = 0; col < 7; ++col) EXPECT_FALSE(core.CellStyleAt(col, 2).Bold);
    EXPECT_EQ(core.Caption(), "Robustness analysis / items");
    const Texts header{"Robustness analysis on seed Items",
                       " Bayesian Updates: no      Weights:  global     DM Optimisation:  no  ",
                       " Significance Level:   0.0500    Calibration Power:   0.5000"};
    EXPECT_EQ(core.HeaderInfo(), header);
}

TEST_F(ItemsRobustnessViewTest, TinySeedInformationIsReadAsTheToleranceAndNeverStored) {
    ItemsSheetCore core(dm);
    // 2e-10 / 1e-9 (the tolerance, not the stored 1e-12).
    EXPECT_EQ(core.CellText(4, 5), "       0.2");
    EXPECT_EQ(ItemTable[4]->Robustness.DMSeedInformation, 1e-12f);
    EXPECT_EQ(core.CellText(4, 5), "       0.2");
}

TEST_F(ItemsRobustnessViewTest, NoneRowNeedsTheFullRunsDecisionMaker) {
    ItemsSheetCore core(dm);
    ASSERT_EQ(core.CellText(1, 6), "None");
    // With the count one higher the slot after the experts is empty.
    ExpertCount = 2;
    EXPECT_EQ(RowTexts(core, 6), (Texts{"", "", "", "", "", "", ""}));
}

TEST_F(ItemsRobustnessViewTest, TextExportPadsTheColumns) {
    auto* sheet = new TItemsSheet(area, dm);
    ChildSheets[FirstResultSlot] = sheet;
    sheet->show();
    ItemsTextOutput = true;
    EXPECT_EQ(sheet->Core.CellText(0, 1), "    ");
    EXPECT_EQ(sheet->Core.CellText(1, 2), "S1            ");
    EXPECT_EQ(sheet->Core.CellText(1, 6), "None          ");
    EXPECT_EQ(sheet->Core.CellText(5, 6), "          ");
    ItemsTextOutput = false;

    const std::vector<std::string> lines = ExportSheetLines(sheet, nullptr, true, ExportTarget::Clipboard);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[2], "Robustness analysis on seed Items");
    EXPECT_EQ(lines[3], " Bayesian Updates: no      Weights:  global     DM Optimisation:  no  ");
    EXPECT_EQ(lines[4], " Significance Level:   0.0500    Calibration Power:   0.5000");
    EXPECT_FALSE(ItemsTextOutput);
}

TEST_F(ItemsResultViewTest, ResultSheetWindowShowsItsHeader) {
    BuildLossCase();
    TRunSettings settings;
    settings.WeightType = EqualWeighting;
    TExpert* dm = AddResultExpert(settings);
    ItemsSheetMode = ItemsSolutionView;
    auto* sheet = new TItemsSheet(area, dm);
    ChildSheets[FirstResultSlot] = sheet;
    sheet->show();
    area->setActiveSubWindow(sheet);
    QApplication::processEvents();
    EXPECT_TRUE(sheet->HeaderInfoLabel->isVisible());
    EXPECT_TRUE(sheet->HeaderInfoLabel->text().contains(QStringLiteral("Weights:  equal  ")));
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Solution for : DMaker 1");
    // The loss view of the same window: no header.
    ItemsSheetMode = ItemsLossView;
    sheet->FormPaint();
    EXPECT_FALSE(sheet->HeaderInfoLabel->isVisible());
    EXPECT_EQ(sheet->Core.GridRows(), 5);
}

}  // namespace
