// Pictures of every sheet for a person to look at: written only when SHEETS_SCREENSHOT_DIR
// names a folder (run under a real display server, e.g. xvfb-run with QT_QPA_PLATFORM=xcb).
#include "sheet_fixture.h"

#include <QPixmap>

namespace {

TEST_F(SheetTest, ScreenshotsOfEverySheet) {
    const QByteArray dir = qgetenv("SHEETS_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "SHEETS_SCREENSHOT_DIR not set";
    BuildTwoExpertCase();
    WeightType = 4;
    ExpertTable[1]->Weight = 0.75f;
    auto shoot = [&](QWidget* w, const char* name) {
        QApplication::processEvents();
        QTest::qWait(100);
        w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
    };
    TExpertsSheet* experts = OpenExperts();
    shoot(experts, "experts_data");
    ExpertsSheetMode = ExpertsScoresView;
    ExpertCount = 2;
    BuildItemIndexMap();
    AddDecisionMaker("");
    DiscrepancyOn = true;
    experts->FormPaint();
    shoot(experts, "experts_scores");
    ExpertsSheetMode = ExpertsRobustnessView;
    experts->FormPaint();
    shoot(experts, "experts_robustness");
    ExpertsSheetMode = ExpertsDataView;
    experts->FormPaint();
    experts->hide();

    TItemsSheet* items = OpenRealisations();
    shoot(items, "realisations");
    BayesianUpdates = true;
    items->FormPaint();
    shoot(items, "realisations_bayes");
    BayesianUpdates = false;
    items->hide();
    auto* assess = new TItemsSheet(area, ExpertTable[1].get());
    assess->show();
    area->setActiveSubWindow(assess);
    shoot(assess, "assessments");
    shoot(frame.get(), "frame");
}

} // namespace
