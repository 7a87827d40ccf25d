// The distribution dialog as a user reaches it: a case at the levels 10/50/90 opened through the
// main window with its realisations, experts and assessments sheets, the family chosen from the
// assessments sheet's popup with the mouse, the dialog driven by keys and clicks, and the result
// saved, closed, reopened and compared.
#include "main_form_fixture.h"
#include "modal_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <cstring>
#include <functional>

#include "common/core/pascal_str.h"
#include "common/ui/sheet_grid.h"
#include "workbench/distribution_dialog.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace fs = std::filesystem;

namespace {

class DistributionCaseTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        for (const char* ext : {".dtt", ".rls"})
            fs::copy_file(std::string(FIXTURES_DIR) + "/distribution/LEVELS" + ext,
                          root_ / (std::string("LEVELS") + ext), fs::copy_options::overwrite_existing);
    }

    std::string CasePath() const { return (root_ / "LEVELS.dtt").string(); }

    // The case with the sheets the walk-through leaves open: experts (from the open), the
    // realisations, and the assessments of the expert in row `expertRow` of the experts sheet.
    TItemsSheet* OpenCaseWithSheets(int expertRow) {
        OpenThrough(CasePath());
        EXPECT_NE(ExpertsSheet, nullptr);
        form->OpenItemsWindow1Click();
        QApplication::processEvents();
        return OpenAssessments(expertRow);
    }

    TItemsSheet* OpenAssessments(int expertRow) {
        if (!ExpertsSheet) return nullptr;
        form->MdiArea->setActiveSubWindow(ExpertsSheet);
        SheetGrid* grid = ExpertsSheet->ExpertsGrid;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(grid, 1, expertRow));
        QApplication::processEvents();
        Action("Assessments1")->trigger();
        QApplication::processEvents();
        for (QMdiSubWindow* w : form->MdiArea->subWindowList())
            if (auto* s = qobject_cast<TItemsSheet*>(w); s && s->Core.Expert == ExpertTable[expertRow].get()) return s;
        ADD_FAILURE() << "no assessments sheet of row " << expertRow;
        return nullptr;
    }

    static QPoint CellCentre(SheetGrid* grid, int col, int row) {
        return grid->visualRect(grid->model()->index(row - grid->Source()->HeaderRows(), col)).center();
    }

    // Right-click on the item's row, then the family's entry of the popup; `drive` runs on the
    // dialog that comes up and must close it.
    static void ChooseFamily(TItemsSheet* sheet, int itemRow, const char* entry,
                             std::function<void(TDistribDlg&)> drive) {
        SheetGrid* grid = sheet->ItemsGrid;
        QTest::mouseClick(grid->viewport(), Qt::RightButton, Qt::NoModifier, CellCentre(grid, 3, itemRow));
        QApplication::processEvents();
        QMenu* menu = sheet->DistributionMenu;
        ASSERT_TRUE(menu->isVisible()) << "no popup";
        QAction* action = menu->findChild<QAction*>(QString::fromLatin1(entry));
        ASSERT_NE(action, nullptr) << entry;
        bool came = false;
        WhenModalComesUp<TDistribDlg>(drive, came);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
        QApplication::processEvents();
        EXPECT_TRUE(came) << "no dialog came up";
    }

    // Clicks into edit k, selects its text with Ctrl+A and types over it.
    static void TypeInto(TDistribDlg& d, int k, const char* text) {
        QLineEdit* e = d.Edit(k);
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, QString::fromLatin1(text));
    }

    static long double Shown(TDistribDlg& d, int k) {
        long double v = 0;
        EXPECT_EQ(ValReal(d.Edit(k)->text().toStdString(), v), 0) << d.Edit(k)->text().toStdString();
        return v;
    }

    static std::vector<std::string> QuantileTexts(TItemsSheet* s, int itemRow) {
        std::vector<std::string> out;
        for (int k = 1; k <= QuantileCount; ++k) out.push_back(s->Core.CellText(k + 2, itemRow));
        return out;
    }

    // Closes the program's window and the case, then opens the case anew.
    void Reopen() {
        DropForm();
        ResetGlobals();
        ResetWindowState();
        MakeForm();
        OpenThrough(CasePath());
    }

    static bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};

TEST_F(DistributionCaseTest, OkThatChangesQuantilesMarksTheCaseModifiedAndTheSaveKeepsThem) {
    TItemsSheet* sheet = OpenCaseWithSheets(1);
    ASSERT_NE(sheet, nullptr);
    RefreshMenus();
    ASSERT_FALSE(Action("SaveBtn")->isEnabled()) << "nothing changed yet";

    // E1's X1 is Normal(0, 1) at 10/50/90 to the file's 6 digits; a mean of 10 is typed.
    std::string opened[2];
    ChooseFamily(sheet, 1, "Normal1", [&](TDistribDlg& d) {
        opened[0] = d.Param1Edit->text().toStdString();
        opened[1] = d.param2Label->text().toStdString();
        EXPECT_NEAR(Shown(d, 1), 0.0L, 1e-6);
        EXPECT_NEAR(Shown(d, 2), 1.0L, 2e-6);
        TypeInto(d, 1, "10");
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
    });
    EXPECT_EQ(opened[1], "Deviation");
    TAssessment* a = ExpertTable[1]->Assessments[1].get();
    // Hand computation: the fit's deviation times z(p) is the file's -1.28155 and 1.28155 less
    // the fitted mean (within 1e-7 of 0), so the quantiles are 10 -+ 1.28155.
    EXPECT_NEAR(a->Values[1], 8.71845, 2e-6);
    EXPECT_NEAR(a->Values[2], 10.0, 1e-6);
    EXPECT_NEAR(a->Values[3], 11.28155, 2e-6);
    const std::vector<std::string> shown = QuantileTexts(sheet, 1);

    RefreshMenus();
    EXPECT_TRUE(Action("SaveBtn")->isEnabled()) << "the change can be saved";
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    // New Case asks to save the change, not only to close; Cancel keeps the case.
    prompts.QueueAnswer(platform::Answer::Cancel);
    form->NewFileButtonClick();
    ASSERT_FALSE(prompts.MessageTexts().empty());
    EXPECT_NE(prompts.MessageTexts().back().find("has been changed. Save it?"), std::string::npos)
        << prompts.MessageTexts().back();
    ASSERT_NE(ExpertTable[1], nullptr);

    const float saved = ExpertTable[1]->Assessments[1]->Values[3];
    form->FileSaveItemClick();
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    Reopen();
    TItemsSheet* again = OpenAssessments(1);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(QuantileTexts(again, 1), shown) << "the quantiles as they were shown";
    a = ExpertTable[1]->Assessments[1].get();
    EXPECT_NEAR(a->Values[1], 8.71845, 2e-6);
    EXPECT_NEAR(a->Values[3], 11.2816, 1e-4);
    EXPECT_EQ(a->Values[3], saved) << "as it was saved";
    // The other assessments are as the file had them.
    EXPECT_EQ(ExpertTable[1]->Assessments[2]->Values[3], 1.71609f);
    EXPECT_EQ(ExpertTable[2]->Assessments[1]->Values[1], 2.2f);
}

TEST_F(DistributionCaseTest, EachFamilyOpensWithItsOwnParametersAndOkKeepsTheQuantiles) {
    // The file's values are each family's quantiles at 10/50/90 to 6 digits: E1 X1 Normal(0, 1),
    // E1 X2 Log Normal(1, error factor 2), E2 X1 Uniform(2, 4), E2 X2 Log Uniform(0.01, 1).
    struct Case {
        int ExpertRow, ItemRow;
        const char* Entry;
        long double P1, P2, Tolerance;  // the file's 6 digits move the fit by up to about 1e-5
    };
    const Case cases[] = {
        {1, 1, "Normal1", 0, 1, 5e-6},
        {1, 2, "Lognormal1", 1, 2, 2e-5},
        {2, 1, "Uniform1", 2, 4, 2e-6},
        {2, 2, "LogUniform1", 0.01L, 1, 2e-5},
    };
    OpenCaseWithSheets(1);
    float before[3][3][4] = {};
    for (int e = 1; e <= 2; ++e)
        for (int i = 1; i <= 2; ++i)
            for (int k = 1; k <= 3; ++k) before[e][i][k] = ExpertTable[e]->Assessments[i]->Values[k];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Entry);
        TItemsSheet* sheet = OpenAssessments(c.ExpertRow);
        ASSERT_NE(sheet, nullptr);
        const std::vector<std::string> shown = QuantileTexts(sheet, c.ItemRow);
        ChooseFamily(sheet, c.ItemRow, c.Entry, [&](TDistribDlg& d) {
            EXPECT_NEAR(Shown(d, 1), c.P1, c.Tolerance * std::max(std::fabs(c.P1), 1.0L));
            EXPECT_NEAR(Shown(d, 2), c.P2, c.Tolerance * c.P2);
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
        });
        EXPECT_TRUE(DistribDlgAccepted);
        TAssessment* a = ExpertTable[c.ExpertRow]->Assessments[c.ItemRow].get();
        EXPECT_EQ(a->Distribution.Family, c.Entry == std::string("Normal1")      ? FamilyNormal
                                          : c.Entry == std::string("Lognormal1") ? FamilyLogNormal
                                          : c.Entry == std::string("Uniform1")   ? FamilyUniform
                                                                                 : FamilyLogUniform);
        for (int k = 1; k <= 3; ++k)
            EXPECT_TRUE(SameBits(a->Values[k], before[c.ExpertRow][c.ItemRow][k]))
                << "quantile " << k << ": " << a->Values[k] << " was " << before[c.ExpertRow][c.ItemRow][k];
        EXPECT_EQ(QuantileTexts(sheet, c.ItemRow), shown);
    }
    RefreshMenus();
    EXPECT_FALSE(Action("SaveBtn")->isEnabled()) << "no value changed";
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);

    // Saved under a new name and reopened, every value is the file's.
    const std::string copy = (root_ / "COPY.dtt").string();
    prompts.QueueSaveFile(copy);
    form->FileSaveAsItemClick();
    DropForm();
    ResetGlobals();
    ResetWindowState();
    MakeForm();
    OpenThrough(copy);
    for (int e = 1; e <= 2; ++e)
        for (int i = 1; i <= 2; ++i)
            for (int k = 1; k <= 3; ++k)
                EXPECT_TRUE(SameBits(ExpertTable[e]->Assessments[i]->Values[k], before[e][i][k]))
                    << e << " " << i << " " << k;
}

}  // namespace
