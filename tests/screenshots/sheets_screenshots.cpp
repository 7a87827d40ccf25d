// Pictures of every sheet for a person to look at: written only when SHEETS_SCREENSHOT_DIR
// names a folder (run under a real display server, e.g. xvfb-run with QT_QPA_PLATFORM=xcb).
#include "screenshot_support.h"
#include "sheet_fixture.h"
#include "workbench/window_state.h"

namespace {

TEST_F(SheetTest, ScreenshotsOfEverySheet) {
    if (test_support::ScreenshotDir().isEmpty()) GTEST_SKIP() << "SHEETS_SCREENSHOT_DIR not set";
    using test_support::Shoot;
    BuildTwoExpertCase();
    WeightType = UserWeighting;
    ExpertTable[1]->Weight = 0.75f;
    TExpertsSheet* experts = OpenExperts();
    Shoot(experts, "experts_data");
    ExpertsSheetMode = ExpertsScoresView;
    ExpertCount = 2;
    BuildItemIndexMap();
    AddDecisionMaker("");
    DiscrepancyOn = true;
    experts->FormPaint();
    Shoot(experts, "experts_scores");
    ExpertsSheetMode = ExpertsRobustnessView;
    experts->FormPaint();
    Shoot(experts, "experts_robustness");
    ExpertsSheetMode = ExpertsDataView;
    experts->FormPaint();
    experts->hide();

    TItemsSheet* items = OpenRealisations();
    Shoot(items, "realisations");
    BayesianUpdates = true;
    items->FormPaint();
    Shoot(items, "realisations_bayes");
    BayesianUpdates = false;
    items->hide();
    auto* assess = new TItemsSheet(area, ExpertTable[1].get());
    assess->show();
    area->setActiveSubWindow(assess);
    Shoot(assess, "assessments");
    Shoot(frame.get(), "frame");
}

}  // namespace
