// Calculate: the data check's messages, the jump to the faulty cell, and the run dialog's
// place in the frame.
#include "main_form_fixture.h"

#include <QDialog>

#include "engine/case_builder.h"

using namespace halvorine;

namespace {

using platform::Answer;

// Items A (seed, UNI) and X (seed, UNI or LOG); experts E1 and E2 with good values unless
// the case changes them.
void BuildCase(const char* scaleOfX = "UNI") {
    testcase::SetLevels({5, 50, 95});
    testcase::AddItem("A", "UNI", 2.0f);
    testcase::AddItem("X", scaleOfX, 6.0f);
    testcase::AddExpert("E1", {{1, 2, 3}, {5, 6, 8}});
    testcase::AddExpert("E2", {{1, 2, 4}, {4, 6, 9}});
}

class CalculateTest : public MainFormTest {
protected:
    // Opens the experts sheet on the case in the tables, then calculates.
    void Calculate() {
        form->OpenExpertsWindow1Click();
        QApplication::processEvents();
        form->CalculateItemClick();
        QApplication::processEvents();
    }

    // A box over the frame takes the focus, then closes and gives it back.
    void BringToFrontThenBack() {
        QDialog box(form.get());
        box.setWindowTitle(QStringLiteral("box"));
        box.show();
        QApplication::setActiveWindow(&box);
        QApplication::processEvents();
        box.close();
        QApplication::setActiveWindow(form.get());
        QApplication::processEvents();
    }
};

TEST_F(CalculateTest, EachFailedCheckHasItsMessage) {
    struct Case {
        const char* what;
        void (*spoil)();
        const char* scaleOfX;
        std::string message;
        int expertRow;  // 0: the sheet does not move
        int itemRow;
    } cases[] = {
        {"no valid value",
         [] {
             for (int e : {1, 2})
                 for (int i : {1, 2})
                     for (int k = 1; k <= 3; ++k) ExpertTable[e]->Assessments[i]->Values[k] = MissingValue;
         },
         "UNI", "Empty ExpertsData list or no active experts found", 0, 0},
        {"expert without id", [] { ExpertTable[2]->Id = ""; }, "UNI", "Some Expert IDs are not defined", 0, 0},
        {"item without id", [] { ItemTable[2]->Id = ""; }, "UNI", "Some Item IDs are not defined for the expert `E1`",
         0, 0},
        {"missing assessment", [] { ExpertTable[2]->Assessments[2].reset(); }, "UNI",
         "No items defined for the expert E2", 2, 2},
        {"not increasing", [] { ExpertTable[1]->Assessments[2]->Values[2] = 4; }, "UNI",
         "Non-increasing or empty quantiles found, expert `E1`, item `X`", 1, 2},
        {"zero on LOG", [] { ExpertTable[2]->Assessments[2]->Values[1] = 0; }, "LOG",
         "Negative or zero quantiles are illegal for the LOG scale, expert `E2`, item `X`", 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshProgram();
        BuildCase(c.scaleOfX);
        c.spoil();
        prompts.Clear();
        prompts.QueueAnswer(Answer::Ok);
        Calculate();
        ASSERT_EQ(prompts.MessageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(prompts.Recorded().back().Buttons, platform::Buttons::Ok);
        EXPECT_EQ(RunDialog, nullptr);
        ASSERT_NE(ExpertsSheet, nullptr);
        if (c.expertRow == 0) {
            for (int r = 1; r <= MaxExpertCount; ++r) EXPECT_EQ(ChildSheets[r], nullptr) << "no assessments window";
            continue;
        }
        EXPECT_EQ(ExpertsSheet->ExpertsGrid->Row(), c.expertRow);
        TItemsSheet* sheet = ChildSheets[c.expertRow];
        ASSERT_NE(sheet, nullptr) << "the faulty expert's assessments are open";
        EXPECT_EQ(sheet->Core.Expert, ExpertTable[c.expertRow].get());
        EXPECT_EQ(sheet->ItemsGrid->Row(), c.itemRow) << "at the faulty item";
        EXPECT_EQ(form->MdiArea->currentSubWindow(), sheet);
    }
}

TEST_F(CalculateTest, NoExpertsNoRun) {
    form->MakeNewItemsForm();
    prompts.QueueAnswer(Answer::Ok);
    form->RunButtonClick();
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Can`t run without experts data"});
}

// Calculate without a run dialog to make once did nothing at all; an unwired service is a
// fault of the program and says which service is missing.
TEST_F(CalculateTest, AnUnwiredRunDialogStopsCalculateWithTheServicesName) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    BuildCase();
    Services().CreateRunDialog = nullptr;
    // The dying child runs this test again from its start and makes a scratch folder of its own,
    // which it cannot remove: it makes it inside this test's, which goes when this test ends.
    platform_test::SavedEnv tmpdir("TMPDIR");
    setenv("TMPDIR", root_.c_str(), 1);
    EXPECT_DEATH(Calculate(), "the service CreateRunDialog is not wired");
}

TEST_F(CalculateTest, AGoodCaseOpensTheRunDialogOnce) {
    int made = 0;
    Services().CreateRunDialog = [&made](QMdiArea* area) {
        ++made;
        auto* w = new QMdiSubWindow;
        w->setObjectName(QStringLiteral("RunDlgFrm"));
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setWindowTitle(QStringLiteral("Run Parameters"));
        area->addSubWindow(w);
        return w;
    };
    BuildCase();
    ExpertsUndo.Record.Kind = UndoKind::Del;
    Calculate();
    EXPECT_TRUE(prompts.MessageTexts().empty());
    ASSERT_NE(RunDialog, nullptr);
    EXPECT_TRUE(RunDialog->isVisible());
    EXPECT_EQ(form->MdiArea->currentSubWindow(), RunDialog.data());
    EXPECT_EQ(ExpertsUndo.Record.Kind, UndoKind::None) << "the undo records go before a run";

    // A box over the frame takes the focus and gives it back: the dialog stays known, and
    // the sheet that was active stays active.
    BringToFrontThenBack();
    EXPECT_NE(RunDialog, nullptr);
    form->MdiArea->setActiveSubWindow(ExpertsSheet);
    ASSERT_TRUE(CurrentWindowFlags()[ExpertsActive]);
    BringToFrontThenBack();
    EXPECT_TRUE(CurrentWindowFlags()[ExpertsActive]) << "a message box is no deactivation of the sheet";
    EXPECT_EQ(form->MdiArea->currentSubWindow(), ExpertsSheet);

    form->RunButtonClick();
    EXPECT_EQ(made, 1) << "the open dialog comes to the front";
    EXPECT_EQ(form->MdiArea->currentSubWindow(), RunDialog.data());

    RunDialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(RunDialog, nullptr) << "cleared when its window goes";
}

}  // namespace
