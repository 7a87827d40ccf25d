// Pictures of the run dialog and the result views for a person to look at: written only when
// SHEETS_SCREENSHOT_DIR names a folder (run under a real display server, e.g. xvfb-run with
// QT_QPA_PLATFORM=xcb).
#include "run_dialog_fixture.h"
#include "screenshot_support.h"
#include "workbench/window_state.h"

namespace {

TEST_F(RunDialogTest, ScreenshotsOfTheDialogAndTheResultViews) {
    if (test_support::ScreenshotDir().isEmpty()) GTEST_SKIP() << "SHEETS_SCREENSHOT_DIR not set";
    using test_support::Shoot;
    TRunDlgFrm* d = OpenDialog();
    Shoot(d, "run_dialog");
    d->DMOptBox->setChecked(false);
    Type(d->SignLevelEdit, "abc");
    Shoot(d, "run_dialog_level");
    d->SignLevelEdit->clear();
    d->RunButtonClick();
    Shoot(d, "run_dialog_display");
    Shoot(experts, "run_scores");
    d->DSolutionButtonClick();
    Shoot(ChildSheets[FirstResultSlot], "result_solution");
    d->DBLossButtonClick();
    ChildSheets[FirstResultSlot]->FormPaint();
    Shoot(ChildSheets[FirstResultSlot], "result_loss");
    ChildSheets[FirstResultSlot]->close();
    QApplication::processEvents();

    // Robustness results as a robustness run leaves them.
    TExpert* dm = ExpertTable[ExpertCount + 1].get();
    dm->Settings.RobustnessRun = true;
    for (int i = 1; i <= 3; ++i)
        ItemTable[i]->Robustness = TRobustness{0.0125f * i, 0.025f * i, 1.1f + 0.1f * i, 0.9f - 0.1f * i, 0.3f};
    ItemTable[4]->FilterFlag = true;
    RobustnessFlaggedItems[4] = ItemTable[4].get();
    ItemsSheetMode = ItemsRobustnessView;
    d->Display_solution();
    Shoot(ChildSheets[FirstResultSlot], "result_robustness");
    Shoot(frame.get(), "run_frame");
}

}  // namespace
