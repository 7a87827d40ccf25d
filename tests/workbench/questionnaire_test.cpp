// The questionnaire of a case without experts: the levels dialog it asks, driven by clicks and
// keys; Cancel leaves the case's levels, OK makes the chosen ones the case's with their bins,
// and a save and reopen gives them back.
#include "main_form_fixture.h"
#include "modal_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <functional>

#include "engine/assessments_file.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace fs = std::filesystem;

namespace {

class QuestionnaireTest : public MainFormTest {
protected:
    // A new case of one named item whose levels, from an earlier header, are 10/50/90.
    void NewCaseAt105090() {
        form->MakeNewItemsForm();
        QApplication::processEvents();
        ItemTable[1]->Id = "D";
        ItemTable[1]->Name = "Depth (m)";
        ASSERT_TRUE(ParseAssessmentHeader("* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=  10  50  90 "));
    }

    // Runs the questionnaire command; `drive` answers the levels dialog with clicks and keys.
    void Questionnaire(std::function<void(TQuantilesForm&)> drive) {
        bool came = false;
        WhenModalComesUp<TQuantilesForm>(drive, came);
        Action("Questionnaire1")->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(came) << "no levels dialog came up";
    }

    static void Click(QWidget& d, const char* name) {
        auto* b = d.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    // Clicks value cell `column` of the grid and types over it; Tab leaves it.
    static void TypePercent(QWidget& d, int column, const char* text) {
        auto* grid = d.findChild<QTableWidget*>(QStringLiteral("QuantGrid"));
        ASSERT_NE(grid, nullptr);
        const QRect r = grid->visualRect(grid->model()->index(0, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QApplication::processEvents();
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QString::fromLatin1(text));
        QTest::keyClick(editor, Qt::Key_Tab);
        QApplication::processEvents();
    }

    static void ExpectLevels(const std::vector<float>& levels, const std::vector<float>& bins) {
        ASSERT_EQ(QuantileCount, static_cast<int>(levels.size()));
        for (std::size_t k = 0; k < levels.size(); ++k)
            EXPECT_EQ(QuantileLevels[k + 1], levels[k]) << "level " << k + 1;
        for (std::size_t k = 0; k < bins.size(); ++k)
            EXPECT_NEAR(BinProbabilities[k + 1], bins[k], 1e-6) << "bin " << k + 1;
    }
};

TEST_F(QuestionnaireTest, CancelAsksForTheLevelsShownAndLeavesTheCasesLevels) {
    NewCaseAt105090();
    const std::string out = (root_ / "ask.txt").string();
    prompts.QueueSaveFile(out);
    Questionnaire([](TQuantilesForm& d) { Click(d, "CancelButton"); });
    EXPECT_EQ(ReadFile(out), "Please fill in your  5%, 50% and 95% quantiles for the following uncertain values\r\n"
                             "\r\n"
                             " 1. Depth (m):\r\n"
                             "\r\n"
                             "    5%_______   50%_______   95%_______\r\n"
                             "\r\n");
    // Bins of 10/50/90: 0.1, 0.4, 0.4, 0.1.
    ExpectLevels({0.1f, 0.5f, 0.9f}, {0.1f, 0.4f, 0.4f, 0.1f});
    EXPECT_EQ(AssessmentHeader, "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=  10  50  90 ");
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
}

TEST_F(QuestionnaireTest, OkMakesTheChosenLevelsTheCasesWithTheirBinsAndTheSaveKeepsThem) {
    NewCaseAt105090();
    const std::string out = (root_ / "ask.txt").string();
    prompts.QueueSaveFile(out);
    Questionnaire([](TQuantilesForm& d) {
        TypePercent(d, 0, "25");
        TypePercent(d, 2, "75");
        Click(d, "OkButton");
    });
    EXPECT_EQ(ReadFile(out), "Please fill in your 25%, 50% and 75% quantiles for the following uncertain values\r\n"
                             "\r\n"
                             " 1. Depth (m):\r\n"
                             "\r\n"
                             "   25%_______   50%_______   75%_______\r\n"
                             "\r\n");
    // Bins of 25/50/75: a quarter each.
    ExpectLevels({0.25f, 0.5f, 0.75f}, {0.25f, 0.25f, 0.25f, 0.25f});
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified) << "the levels are kept in the assessments file";

    // Saved, closed and reopened, the case has the chosen levels.
    const std::string rls = (root_ / "LEVELS.rls").string();
    prompts.QueueSaveFile(rls);
    form->FileSaveAsItemClick();
    ASSERT_TRUE(fs::exists(root_ / "LEVELS.dtt"));
    DropForm();
    ResetGlobals();
    ResetWindowState();
    MakeForm();
    OpenThrough(rls);
    ExpectLevels({0.25f, 0.5f, 0.75f}, {0.25f, 0.25f, 0.25f, 0.25f});
    ASSERT_NE(ItemTable[1], nullptr);
    EXPECT_EQ(ItemTable[1]->Name.str(), "Depth (m)");
}

}  // namespace
