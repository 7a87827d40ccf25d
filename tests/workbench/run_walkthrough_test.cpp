// The whole way from the main window: open a case, Calculate, RUN, and the decision maker's
// solution in its sheet, checked against scores computed independently of the program.
#include "main_form_fixture.h"

#include <cstring>

#include "common/core/line_io.h"
#include "engine/formatting.h"
#include "engine/scoring_reference.h"
#include "workbench/run_dialog.h"
#include "workbench/services.h"

using namespace halvorine;

namespace {

const char* const Items[] = {"X1", "X2", "X3", "L4"};

class RunWalkthroughTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        WireServices();
    }
    void TearDown() override {
        WireServices();
        MainFormTest::TearDown();
    }

    // The two-expert case computed by hand (tests/engine/scoring_steps.h) as case files.
    void OpenHandCase() {
        for (const char* ext : {".dtt", ".rls"})
            std::filesystem::copy_file(std::string(FIXTURES_DIR) + "/rundialog/HAND" + ext,
                                       root_ / (std::string("HAND") + ext),
                                       std::filesystem::copy_options::overwrite_existing);
        OpenThrough((root_ / "HAND.dtt").string());
        ASSERT_NE(ExpertsSheet, nullptr);
    }

    TRunDlgFrm* Calculate() {
        form->CalculateItemClick();
        QApplication::processEvents();
        TRunDlgFrm* d = OpenRunDialog();
        EXPECT_NE(d, nullptr);
        return d;
    }

    static std::vector<std::uint32_t> EnteredBits() {
        std::vector<std::uint32_t> bits;
        for (int e = 1; e <= 2; ++e)
            for (int i = 1; i <= 4; ++i)
                for (int k = 1; k <= 3; ++k) {
                    std::uint32_t b = 0;
                    std::memcpy(&b, &ExpertTable[e]->Assessments[i]->Values[k], sizeof b);
                    bits.push_back(b);
                }
        return bits;
    }
};

TEST_F(RunWalkthroughTest, GlobalWeightsWithOptimisation) {
    OpenHandCase();
    TRunDlgFrm* d = Calculate();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->GlButton->isChecked());
    EXPECT_TRUE(d->DMOptBox->isChecked());
    d->RunButton->click();
    QApplication::processEvents();
    EXPECT_TRUE(prompts.MessageTexts().empty());
    ASSERT_TRUE(d->DSolutionButton->isEnabled());
    d->DSolutionButton->click();
    QApplication::processEvents();

    TItemsSheet* sheet = ChildSheets[FirstResultSlot];
    ASSERT_NE(sheet, nullptr);
    const TExpert* dm = ExpertTable[3].get();
    ASSERT_EQ(sheet->Core.Expert, dm);
    EXPECT_EQ(sheet->windowTitle().toStdString(), "Solution for : DMaker 1");
    EXPECT_EQ(sheet->Core.HeaderInfo()[1], " Bayesian Updates: no      Weights:  global     DM Optimisation:  yes ");
    // The best level of this case is 0 (no expert cut): the decision maker of the global weights.
    EXPECT_EQ(sheet->Core.HeaderInfo()[2], " Significance Level:   0.0000    Calibration Power:   1.0000");
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(sheet->Core.CellText(1, i), Items[i - 1]);
        for (int k = 1; k <= 3; ++k) {
            const std::string cell = sheet->Core.CellText(k + 2, i);
            EXPECT_EQ(cell, FormatNumber(FindAssessment(dm, ItemTable[i].get())->Values[k]))
                << Items[i - 1] << " quantile " << k;
            const float reference = static_cast<float>(
                testcase::ScoringReference(std::string(Items[i - 1]) + ".global_dm." + std::to_string(k)));
            EXPECT_EQ(cell, FormatNumber(reference)) << Items[i - 1] << " quantile " << k;
        }
    }
    // On the first item: 3.09639, 6.67092 and 8.11525 in four digits.
    EXPECT_EQ(sheet->Core.CellText(3, 1), "     3.096");
    EXPECT_EQ(sheet->Core.CellText(4, 1), "     6.671");
    EXPECT_EQ(sheet->Core.CellText(5, 1), "     8.115");

    // A click on the run information writes the view to a text file.
    const std::string path = (root_ / "solution.txt").string();
    prompts.QueueSaveFile(path);
    QTest::mouseClick(sheet->HeaderInfoLabel, Qt::LeftButton);
    QApplication::processEvents();
    std::vector<std::string> lines;
    for (const std::string& l : ReadTextLines(path)) lines.push_back(l);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[2], "Resulting solution (combined DM distribution of values assessed by experts)");
    EXPECT_EQ(lines[3], " Bayesian Updates: no      Weights:  global     DM Optimisation:  yes ");
    EXPECT_EQ(lines[4], " Significance Level:   0.0000    Calibration Power:   1.0000");
}

TEST_F(RunWalkthroughTest, BayesianUpdatesSurviveReopeningTheDialog) {
    OpenHandCase();
    const std::vector<std::uint32_t> entered = EnteredBits();
    TRunDlgFrm* d = Calculate();
    ASSERT_NE(d, nullptr);
    d->BayUpdBox->setChecked(true);
    const std::vector<std::uint32_t> updated = EnteredBits();
    ASSERT_NE(updated, entered);
    d->CancelButton->click();
    QApplication::processEvents();
    ASSERT_EQ(RunDialog, nullptr);

    d = Calculate();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->BayUpdBox->isChecked());
    EXPECT_EQ(EnteredBits(), updated) << "made while ticked: not updated a second time";
    d->BayUpdBox->setChecked(false);
    EXPECT_EQ(EnteredBits(), entered);
}

}  // namespace

// File > Export as text > Copy Solution To Clipboard, through the keyboard on the solution
// sheet the run opened: the view's rows, tab-separated, without frame or case header.
TEST_F(RunWalkthroughTest, CopySolutionToClipboardPutsTheSolutionRowsTabSeparated) {
    OpenHandCase();
    TRunDlgFrm* d = Calculate();
    ASSERT_NE(d, nullptr);
    d->RunButton->click();
    QApplication::processEvents();
    d->DSolutionButton->click();
    QApplication::processEvents();
    TItemsSheet* sheet = ChildSheets[FirstResultSlot];
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(form->MdiArea->currentSubWindow(), sheet);
    prompts.SetClipboardText("before");

    QTest::keyClick(form.get(), Qt::Key_F, Qt::AltModifier);
    QMenu* file = Menu("File1");
    ASSERT_TRUE(file->isVisible());
    QTest::keyClick(file, Qt::Key_X);
    QMenu* text = Menu("Exportastext1");
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(text->isVisible());
    // A click on the item in the open submenu.
    QAction* copy = Action("CopySolutionToClipboard1");
    ASSERT_TRUE(copy->isEnabled());
    QTest::mouseClick(text, Qt::LeftButton, {}, text->actionGeometry(copy).center());
    QApplication::processEvents();

    // Written out by hand: the header row and one row per item, each cell followed by a tab and
    // trailing blanks and tabs trimmed, CR LF after each row; the realisations are those of
    // HAND.rls (L4 has none), the quantiles the reference decision maker's in four digits.
    const std::string expected =
        " Nr.\t Id           \tScale\t        5%\t       50%\t       95%\tRealizatio\t  Full Name\r\n"
        "   1\tX1            \tUNI  \t     3.096\t     6.671\t     8.115\t      5.25\r\n"
        "   2\tX2            \tUNI  \t     9.284\t     13.48\t     15.85\t     12.75\r\n"
        "   3\tX3            \tUNI  \t    0.3447\t    0.6825\t     2.046\t       0.7\r\n"
        "   4\tL4            \tLOG  \t     11.47\t     27.55\t      44.5\r\n";
    EXPECT_EQ(prompts.ClipboardText(), expected);
    // The quantiles above are the independent reference's, not the program's own output.
    for (int i = 0; i < 4; ++i)
        for (int k = 1; k <= 3; ++k) {
            const float reference = static_cast<float>(
                testcase::ScoringReference(std::string(Items[i]) + ".global_dm." + std::to_string(k)));
            const std::string cell = FormatNumber(reference);
            EXPECT_NE(expected.find("\t" + cell), std::string::npos) << Items[i] << " quantile " << k;
        }
    EXPECT_TRUE(prompts.MessageTexts().empty());
}
