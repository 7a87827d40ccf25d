// Pictures of the main window with a case open, each sheet, the run dialog and the results
// window, for a person to look at. A tool, not a test: it checks nothing and is not run by
// ctest. SHEETS_SCREENSHOT_DIR names the folder the pictures go to (run it under a display
// server, e.g. xvfb-run with QT_QPA_PLATFORM=xcb).
#include <QCheckBox>
#include <QPushButton>

#include "pairwise/ui/trindel_fixture.h"
#include "screenshot_support.h"

using namespace trindel;

namespace {

TEST_F(TrindelTest, ScreenshotsOfTheProgramWindows) {
    ASSERT_FALSE(test_support::ScreenshotDir().isEmpty()) << "SHEETS_SCREENSHOT_DIR names the folder for the pictures";
    using test_support::Shoot;
    OpenThrough(CopyCase("case12", "case12"));
    Shoot(form.get(), "trindel_experts");
    Action("Items1")->trigger();
    Shoot(form.get(), "trindel_realisations");
    form->MdiArea->setActiveSubWindow(ExpertsSheet);
    form->UpdateMenuItems();
    Action("Assessments1")->trigger();
    Shoot(form.get(), "trindel_comparisons");
    // The run on the case whose experts mostly take part.
    ExpertsSheet->showMinimized();
    ASSERT_TRUE(form->CloseChildren() || form->CloseChildren());
    OpenThrough(CopyCase("golden_case", "golden_case"));
    Action("RunButton")->trigger();
    RunDialog->ScaleTransformBox->click();
    Shoot(form.get(), "trindel_run_dialog");
    RunDialog->RunButton->click();
    Shoot(form.get(), "trindel_results");
    form->WindowTileItemClick();
    Shoot(form.get(), "trindel_tiled");
}

}  // namespace
