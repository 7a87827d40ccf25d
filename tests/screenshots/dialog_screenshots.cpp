// Pictures of the distribution dialog and the column export window for a person to look at:
// written only when SHEETS_SCREENSHOT_DIR names a folder (run under a real display server, e.g.
// xvfb-run with QT_QPA_PLATFORM=xcb). SCREENSHOT_HOLD_MS keeps each window up that long, for a
// picture of the whole screen.
#include "screenshot_support.h"
#include "sheet_fixture.h"

#include <QLineEdit>
#include <QListWidget>

#include "workbench/distribution_dialog.h"
#include "workbench/export_list.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

TEST_F(SheetTest, ScreenshotsOfTheDistributionDialogAndTheExportWindow) {
    if (test_support::ScreenshotDir().isEmpty()) GTEST_SKIP() << "SHEETS_SCREENSHOT_DIR not set";
    using test_support::Shoot;
    BuildTwoExpertCase();
    ExpertCount = 2;
    ActiveExpert = ExpertTable[1].get();
    CurrentItemIndex = 1;
    TAssessment* a = ExpertTable[1]->Assessments[1].get();

    struct Shot {
        int Family;
        const char* Name;
    };
    for (const Shot& s : {Shot{FamilyNormal, "distribution_normal"}, Shot{FamilyBeta, "distribution_beta"},
                          Shot{FamilyLogUniform, "distribution_loguniform"}}) {
        SavedDistribution = a->Distribution;
        a->Distribution.Family = static_cast<std::uint8_t>(s.Family);
        TDistribDlg d(frame.get());
        d.show();
        Shoot(&d, s.Name);
        if (s.Family == FamilyLogUniform) {
            d.Param2Edit->setText(QStringLiteral("0.00001"));
            d.OKButtonClick();
            Shoot(&d, "distribution_loguniform_invalid");
        }
        d.CancelButtonClick();
    }
    // The notice on opening an expert whose data fail the check.
    a->Values[2] = 0.5f;
    SavedDistribution = a->Distribution;
    a->Distribution.Family = FamilyGamma;
    {
        TDistribDlg d(frame.get());
        d.show();
        Shoot(&d, "distribution_gamma_reset");
        d.CancelButtonClick();
    }

    ExportDistributions = true;
    for (int i = 3; i <= 14; ++i)
        NewAssessment(ExpertTable[1].get(), i)->Item = testcase::AddItem("ITEM" + std::to_string(i));
    TItemsListBoxForm* w = OpenExportList();
    ASSERT_NE(w, nullptr);
    w->ItemsListBox->item(0)->setCheckState(Qt::Checked);
    Shoot(w, "export_list");
    delete w;
}

}  // namespace
