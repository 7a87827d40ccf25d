#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "common/core/line_io.h"
#include "common/core/text.h"
#include "common/ui/report_view.h"
#include "pairwise/model/run_comparison.h"
#include "pairwise/model/workspace.h"
#include "trindel_fixture.h"

using namespace trindel;

namespace {

using Answer = platform::Answer;

class RunDialogTest : public TrindelTest {
protected:
    TRunDlgFrm* OpenGoldenAndCalculate() {
        OpenThrough(CopyCase("golden_case", "golden_case"));
        Action("RunButton")->trigger();
        QApplication::processEvents();
        return RunDialog;
    }
    static void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        QApplication::processEvents();
    }
};

// While the run holds the window the frame's status bar tells the step, and what the user
// clicks meanwhile (File in the menu bar, RUN again) is dropped instead of being run once the
// run is over. The clicks are queued as the window system queues them, and come either at the
// run's first step or before it starts.
TEST_F(RunDialogTest, ARunShowsItsStepsAndDropsTheClicksMadeMeanwhile) {
    for (const bool atFirstStep : {true, false}) {
        SCOPED_TRACE(atFirstStep ? "clicks at the first step" : "clicks before the run");
        TRunDlgFrm* dlg = OpenGoldenAndCalculate();
        ASSERT_NE(dlg, nullptr);
        Click(dlg->ConfidenceIntervalsBox);
        ASSERT_TRUE(ConfidenceIntervals);
        int runs = 0;
        QObject::connect(dlg->RunButton, &QPushButton::clicked, [&runs] { ++runs; });
        auto queueClicks = [this, dlg] {
            QMenuBar* bar = form->menuBar();
            for (QWidget* w : {static_cast<QWidget*>(bar), static_cast<QWidget*>(dlg->RunButton)}) {
                const QPoint at = w == bar ? bar->actionGeometry(Menu("File1")->menuAction()).center()
                                           : w->rect().center();
                for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                    QCoreApplication::postEvent(
                        w,
                        new QMouseEvent(t, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                                        t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
            }
        };
        // The steps as the status bar shows them.
        std::vector<std::string> captions;
        QObject::connect(form->StatusBar, &QStatusBar::messageChanged,
                         [&captions, &queueClicks, atFirstStep](const QString& t) {
                             if (captions.empty() && atFirstStep) queueClicks();
                             captions.push_back(t.toStdString());
                         });
        if (!atFirstStep) queueClicks();
        QTest::mouseClick(dlg->RunButton, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(runs, 1);
        EXPECT_FALSE(Menu("File1")->isVisible()) << "the File menu opened";
        ASSERT_NE(ReportWindow, nullptr);
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Run Parameters"));
        ASSERT_FALSE(captions.empty());
        EXPECT_EQ(captions.front(), "Calculating: preferences");
        auto seen = [&captions](const std::string& c) {
            return std::find(captions.begin(), captions.end(), c) != captions.end();
        };
        EXPECT_TRUE(seen("Calculating: circular triads, expert 1 of 3")) << captions.size();
        EXPECT_TRUE(seen("Calculating: models"));
        EXPECT_TRUE(seen("Calculating: intervals of NEL, simulation 50 of 50"));
        EXPECT_TRUE(seen("Calculating: intervals of Thurstone C, simulation 1 of 50"));
        EXPECT_TRUE(seen("Loading the report"));
        EXPECT_EQ(captions.back(), "") << "the status bar is cleared after the run";
        // Clicks are taken again once the run is over.
        Click(dlg->ConfidenceIntervalsBox);
        EXPECT_FALSE(ConfidenceIntervals);
        EXPECT_FALSE(RunProgress);
        dlg->close();
        QApplication::processEvents();
    }
}

// The whole way: the dialog's options, RUN, and the results window showing the report; the
// flagged item and expert stay in the tables and out of the run.
TEST_F(RunDialogTest, RunShowsTheReportOfTheCase) {
    TRunDlgFrm* dlg = OpenGoldenAndCalculate();
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(dlg->ScaleTransformBox->isChecked());
    EXPECT_FALSE(ScaleTransformation);
    Click(dlg->ScaleTransformBox);
    EXPECT_TRUE(dlg->ScaleTransformBox->isChecked());
    EXPECT_TRUE(ScaleTransformation);
    EXPECT_TRUE(dlg->RadioButton1->isChecked());
    EXPECT_EQ(dlg->RadioButton1->text(), QStringLiteral("Alder"));
    EXPECT_EQ(dlg->RadioButton2->text(), QStringLiteral("Dogwood"));
    Click(dlg->ConfidenceIntervalsBox);
    EXPECT_TRUE(ConfidenceIntervals);
    prompts.Seed(20240524);
    Click(dlg->RunButton);
    EXPECT_TRUE(prompts.MessageTexts().empty());
    ASSERT_NE(ReportWindow, nullptr);
    EXPECT_EQ(ReportWindow, ItemsRangeGraph);
    EXPECT_EQ(ReportWindow->windowTitle(), QStringLiteral("Comparison Results "));
    std::vector<std::string> expected{""};
    for (const std::string& line : ReadTextLines(Fixture("golden_case.ouc"))) expected.push_back(line);
    EXPECT_EQ(ReportWindow->Lines(), expected);
    EXPECT_EQ(ReportWindow->Memo1->LineCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(CountItems(), 5);
    EXPECT_EQ(CountExperts(), 4);
    EXPECT_FALSE(ResultsFresh);
}

// A second run replaces the results window with a fresh one.
TEST_F(RunDialogTest, SecondRunReplacesTheResultsWindow) {
    TRunDlgFrm* dlg = OpenGoldenAndCalculate();
    ASSERT_NE(dlg, nullptr);
    Click(dlg->RunButton);
    QPointer<TRangeGraphWindow> first = ReportWindow;
    ASSERT_NE(first, nullptr);
    Click(dlg->RunButton);
    QApplication::processEvents();
    EXPECT_EQ(first, nullptr);
    ASSERT_NE(ReportWindow, nullptr);
    EXPECT_EQ(ReportWindow, ItemsRangeGraph);
    // Closing the dialog takes the results window with it.
    dlg->close();
    QApplication::processEvents();
    EXPECT_EQ(ReportWindow, nullptr);
    EXPECT_EQ(ItemsRangeGraph, nullptr);
    EXPECT_EQ(RunDialog, nullptr);
}

TEST_F(RunDialogTest, SecondReferenceItemForTheNelModel) {
    TRunDlgFrm* dlg = OpenGoldenAndCalculate();
    ASSERT_NE(dlg, nullptr);
    Click(dlg->ScaleTransformBox);
    Click(dlg->RadioButton2);
    ASSERT_TRUE(dlg->RadioButton2->isChecked());
    Click(dlg->RunButton);
    ASSERT_TRUE(RunSucceeded);
    EXPECT_EQ(NelRefItem, RefItem2);
    EXPECT_EQ(NelRefItem, 3);  // Dogwood, the third item of the run
    EXPECT_EQ(static_cast<double>(NelRefValue), 2.0);
}

TEST_F(RunDialogTest, FewerThanTwoTakingPartRunsNothing) {
    TRunDlgFrm* dlg = OpenGoldenAndCalculate();
    ASSERT_NE(dlg, nullptr);
    DeleteExperts(4, 4, ExpertTable, nullptr);  // three experts, ExpX flagged
    ExpertTable[1]->FilterFlag = true;
    prompts.QueueAnswer(Answer::Ok);
    Click(dlg->RunButton);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Number of experts must be at least 2"});
    EXPECT_EQ(ReportWindow, nullptr);
    EXPECT_FALSE(std::filesystem::exists(root_ / "golden_case.ouc"));
}

// One realisation: no reference buttons, and the box will not stay ticked.
TEST_F(RunDialogTest, ScaleTransformationNeedsTwoRealisations) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    ItemTable[4]->HasRealisation = false;
    Action("RunButton")->trigger();
    TRunDlgFrm* dlg = RunDialog;
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->RadioGroup1->isHidden());
    EXPECT_TRUE(dlg->RadioButton1->isHidden());
    prompts.QueueAnswer(Answer::Ok);
    Click(dlg->ScaleTransformBox);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Number of realizations is not equal to 2"});
    EXPECT_FALSE(dlg->ScaleTransformBox->isChecked());
    EXPECT_FALSE(ScaleTransformation);
}

TEST_F(RunDialogTest, InputOutputErrorOfTheRunIsNamed) {
    TRunDlgFrm* dlg = OpenGoldenAndCalculate();
    ASSERT_NE(dlg, nullptr);
    CaseFile.CaseName = "no such folder/golden_case";
    prompts.QueueAnswer(Answer::Ok);
    Click(dlg->RunButton);
    EXPECT_EQ(
        prompts.MessageTexts(),
        std::vector<std::string>{"Input/Output error detected during calculations, quit the application recommended."});
    EXPECT_EQ(ReportWindow, nullptr);
    EXPECT_EQ(prompts.BusyDepth(), 0);
}

TEST_F(RunDialogTest, CalculationErrorsAreNamed) {
    TRunDlgFrm* dlg = OpenGoldenAndCalculate();
    ASSERT_NE(dlg, nullptr);
    const char* names[] = {"Zero divide", "Floating point overflow", "Invalid floating point operation",
                           "Input/Output error"};
    for (int i = 1; i <= 4; ++i) {
        prompts.Clear();
        prompts.QueueAnswer(Answer::Ok);
        dlg->ShowCalcError(i);
        EXPECT_EQ(prompts.MessageTexts(),
                  std::vector<std::string>{std::string(names[i - 1]) +
                                           " detected during calculations, quit the application recommended."});
    }
}

// An item no expert compared: the NEL model's own message, no results window.
TEST_F(RunDialogTest, UncomparedItemIsReported) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    for (auto& x : ExpertTable) {
        if (!x) continue;
        for (int r = 1; r <= 5; ++r) {
            x->AnswerRows[r]->Answers[2] = ' ';
            if (r == 2) x->AnswerRows[r]->Answers.fill(' ');
        }
    }
    Action("RunButton")->trigger();
    TRunDlgFrm* dlg = RunDialog;
    ASSERT_NE(dlg, nullptr);
    prompts.QueueAnswer(Answer::Ok);
    Click(dlg->RunButton);
    EXPECT_EQ(prompts.MessageTexts(),
              std::vector<std::string>{"Item 2 is not compared with any other item, the NEL model can`t be fitted"});
    EXPECT_EQ(ReportWindow, nullptr);
}

// A report line is shown whole whatever its length: with 100 or more experts the preference
// table's lines are 85 characters, and a cut "63.0/144" read "63.0/14".
TEST_F(RunDialogTest, ReportLinesAreShownWhole) {
    auto* window = new TRangeGraphWindow(form->MdiArea);
    window->AppendReportLine(std::string(79, 'a'));
    window->AppendReportLine(std::string(84, 'b') + "4");
    window->AppendReportLine(std::string(120, 'c'));
    const std::vector<std::string> expected{"", std::string(79, 'a'), std::string(84, 'b') + "4",
                                            std::string(120, 'c')};
    EXPECT_EQ(window->Lines(), expected);
    EXPECT_EQ(window->Memo1->Text().toStdString(),
              "\n" + std::string(79, 'a') + "\n" + std::string(84, 'b') + "4\n" + std::string(120, 'c'));
}

}  // namespace

namespace {

// Two run dialogs can be open (Calculate after the frame was activated makes a second one): closing
// one takes only its own results window.
TEST_F(RunDialogTest, ClosingADialogLeavesTheOtherDialogsResults) {
    TRunDlgFrm* first = OpenGoldenAndCalculate();
    ASSERT_NE(first, nullptr);
    auto* second = new TRunDlgFrm(form->MdiArea);
    RunDialog = second;
    second->setEnabled(true);
    second->show();
    Click(second->RunButton);
    QPointer<TRangeGraphWindow> results = ReportWindow;
    ASSERT_NE(results, nullptr);
    first->close();
    QApplication::processEvents();
    EXPECT_NE(results, nullptr) << "the second dialog's report stays";
    second->close();
    QApplication::processEvents();
    EXPECT_EQ(results, nullptr) << "and goes with its own dialog";
}

}  // namespace
