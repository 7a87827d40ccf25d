// The range-graph windows: what they show, their references, and saving their text.
#include "main_form_fixture.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "engine/output_files.h"
#include "range_graph_case.h"
#include "workbench/range_graph.h"

using namespace halvorine;

namespace {

using namespace rangegraph_test;
namespace fs = std::filesystem;
using platform::Answer;

class RangeGraphWindowTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        BuildSmallCase();
        CaseFile.CaseName = "FLOOD";
        prompts.Clear();
    }
    void TearDown() override {
        SetRangeGraphMemoCapacityForTesting(0);
        MainFormTest::TearDown();
    }

    TRangeGraphWindow* Open(int kind) {
        QMdiSubWindow* w = OpenRangeGraphWindow(form->MdiArea, kind);
        QApplication::processEvents();
        return qobject_cast<TRangeGraphWindow*>(w);
    }

    // "Save Range&Graph", as the File menu runs it.
    void SaveCommand() {
        form->UpdateMenuItems();
        ASSERT_TRUE(Action("SaveRangeGraph1")->isEnabled());
        Action("SaveRangeGraph1")->trigger();
        QApplication::processEvents();
    }

    static std::string FileText(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& l : lines) text += l + "\r\n";
        return text;
    }

    static QString MemoText(const std::vector<std::string>& lines) {
        QStringList list;
        for (const std::string& l : lines) list << QString::fromStdString(l);
        return list.join(QLatin1Char('\n'));
    }
};

TEST_F(RangeGraphWindowTest, EachLayoutHasItsOwnWindow) {
    TRangeGraphWindow* items = Open(ItemsWiseGraph);
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(ItemsRangeGraph.data(), items);
    EXPECT_EQ(items->windowTitle(), "Range Graph (Items)");
    EXPECT_EQ(RangeGraphKind, 0);
    EXPECT_TRUE(items->isVisible());
    EXPECT_EQ(form->MdiArea->activeSubWindow(), items);
    EXPECT_EQ(items->Memo1->toPlainText(), MemoText(SmallCaseItemsWise()));
    EXPECT_TRUE(items->Memo1->isReadOnly());
    EXPECT_EQ(items->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(items->Memo1->font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('M')))
        << "columns line up";
    EXPECT_EQ(items->Label1->text(), "Right-click inside the window to export the text");

    TRangeGraphWindow* experts = Open(ExpertsWiseGraph);
    ASSERT_NE(experts, nullptr);
    EXPECT_NE(experts, items);
    EXPECT_EQ(ExpertsRangeGraph.data(), experts);
    EXPECT_EQ(experts->windowTitle(), "Range Graph (Experts)");
    EXPECT_EQ(RangeGraphKind, 1);
    EXPECT_EQ(experts->Memo1->toPlainText(), MemoText(SmallCaseExpertsWise()));
    EXPECT_TRUE(prompts.Recorded().empty());

    // Going back to the items-wise window makes its layout the current one.
    form->MdiArea->setActiveSubWindow(items);
    QApplication::processEvents();
    EXPECT_EQ(RangeGraphKind, 0);
}

TEST_F(RangeGraphWindowTest, OpeningAgainBuildsTheSameWindowAnew) {
    TRangeGraphWindow* items = Open(ItemsWiseGraph);
    items->showMinimized();
    // E1's first quantile of Flow moves from 10 to 2.5: column 1.
    AssessmentAt(1, 1)->Values[1] = 2.5f;
    EXPECT_EQ(Open(ItemsWiseGraph), items);
    EXPECT_FALSE(items->isMinimized());
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);
    EXPECT_EQ(items->Lines()[3], "  1 [" + Dashes(26) + "*" + Dashes(31) + "]" + Blanks(15));
    EXPECT_EQ(items->Memo1->document()->findBlockByNumber(3).text().toStdString(), items->Lines()[3]);
}

TEST_F(RangeGraphWindowTest, AClosedWindowClearsOnlyItsOwnReference) {
    TRangeGraphWindow* experts = Open(ExpertsWiseGraph);
    experts->close();
    QApplication::processEvents();
    EXPECT_TRUE(ExpertsRangeGraph.isNull());
    EXPECT_EQ(RangeGraphKind, 0);

    // An older items-wise window that the reference no longer names, beside the current one.
    auto* older = new TRangeGraphWindow(form->MdiArea, ItemsWiseGraph);
    older->show();
    TRangeGraphWindow* current = Open(ItemsWiseGraph);
    ASSERT_NE(current, older);
    ItemsRangeGraph = current;
    older->close();
    QApplication::processEvents();
    EXPECT_EQ(ItemsRangeGraph.data(), current) << "the newer window keeps its reference";
    EXPECT_EQ(RangeGraphKind, 1);
    current->close();
    QApplication::processEvents();
    EXPECT_TRUE(ItemsRangeGraph.isNull());
    form->UpdateMenuItems();
    EXPECT_FALSE(Action("SaveRangeGraph1")->isEnabled());
}

TEST_F(RangeGraphWindowTest, SaveWritesTheGraphOfTheCurrentLayout) {
    Open(ItemsWiseGraph);
    Open(ExpertsWiseGraph);
    ASSERT_EQ(RangeGraphKind, 1);
    const std::string experts = (root_ / "graph").string();
    prompts.QueueSaveFile(experts);
    SaveCommand();
    ASSERT_EQ(prompts.Recorded().size(), 1u);
    EXPECT_EQ(prompts.Recorded()[0].Choice.Filter, "RangeGraph files (*.rge)|*.rge");
    EXPECT_EQ(prompts.Recorded()[0].Choice.FileName, "FLOOD");
    EXPECT_EQ(ReadFile(root_ / "graph.rge"), FileText(SmallCaseExpertsWise()));

    // Each window writes its own graph, whichever was built last.
    form->MdiArea->setActiveSubWindow(ItemsRangeGraph);
    QApplication::processEvents();
    ASSERT_EQ(RangeGraphKind, 0);
    prompts.Clear();
    prompts.QueueSaveFile((root_ / "graph").string());
    SaveCommand();
    EXPECT_EQ(prompts.Recorded()[0].Choice.Filter, "RangeGraph files (*.rgi)|*.rgi");
    EXPECT_EQ(ReadFile(root_ / "graph.rgi"), FileText(SmallCaseItemsWise()));
}

TEST_F(RangeGraphWindowTest, SavingOverAnExistingFileAsksFirst) {
    Open(ItemsWiseGraph);
    WriteFile("old.rgi", "kept\r\n");
    const std::string path = (root_ / "old.rgi").string();

    prompts.QueueSaveFile(path);
    prompts.QueueAnswer(Answer::Cancel);
    SaveCommand();
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Output file OLD.RGI already exists. Overwrite?"});
    EXPECT_EQ(ReadFile(root_ / "old.rgi"), "kept\r\n");

    prompts.QueueSaveFile("");  // the choice cancelled
    SaveCommand();
    EXPECT_EQ(ReadFile(root_ / "old.rgi"), "kept\r\n");

    prompts.Clear();
    prompts.QueueSaveFile(path);
    prompts.QueueAnswer(Answer::Ok);
    SaveCommand();
    EXPECT_EQ(ReadFile(root_ / "old.rgi"), FileText(SmallCaseItemsWise()));
    EXPECT_TRUE(prompts.AllAnswersUsed());
}

TEST_F(RangeGraphWindowTest, AFailedSaveIsReportedAndLeavesNoFileOpen) {
    Open(ItemsWiseGraph);
    prompts.QueueSaveFile((root_ / "missing" / "graph.rgi").string());
    prompts.QueueAnswer(Answer::Ok);  // the error's message
    SaveCommand();
    ASSERT_EQ(prompts.Recorded().size(), 2u);
    EXPECT_EQ(prompts.Recorded()[1].MessageKind, platform::MessageKind::Error);
    EXPECT_FALSE(OutFile.IsOpen());
    EXPECT_FALSE(fs::exists(root_ / "missing"));
}

TEST_F(RangeGraphWindowTest, AGraphLongerThanTheWindowTakesIsSavedWhole) {
    SetRangeGraphMemoCapacityForTesting(10);
    prompts.QueueAnswer(Answer::Ok);
    TRangeGraphWindow* items = Open(ItemsWiseGraph);
    EXPECT_EQ(prompts.MessageTexts(),
              std::vector<std::string>{
                  "The Rangegraph window can`t fit the whole data amount, - please use File / Save Rangegraph"});
    EXPECT_EQ(items->Memo1->document()->blockCount(), 10);
    EXPECT_EQ(items->Lines(), SmallCaseItemsWise());
    prompts.Clear();
    prompts.QueueSaveFile((root_ / "all.rgi").string());
    SaveCommand();
    EXPECT_EQ(ReadFile(root_ / "all.rgi"), FileText(SmallCaseItemsWise()));
}

}  // namespace

#ifdef HALVORINE_SCREENSHOTS
#include "screenshot_support.h"
#include "workbench/window_state.h"

namespace {

// Pictures of both graph windows for a person to look at, taken by the screenshot tool
// (tests/screenshots) into the folder SHEETS_SCREENSHOT_DIR names.
TEST_F(RangeGraphWindowTest, ScreenshotsOfTheGraphWindows) {
    if (test_support::ScreenshotDir().isEmpty()) GTEST_SKIP() << "SHEETS_SCREENSHOT_DIR not set";
    using test_support::Shoot;
    TRangeGraphWindow* items = Open(ItemsWiseGraph);
    Shoot(form.get(), "range_graph_items");
    Shoot(items, "range_graph_items_window");
    Open(ExpertsWiseGraph);
    Shoot(form.get(), "range_graph_both");
    form->resize(621, 353);
    Shoot(form.get(), "range_graph_start_size");
}

}  // namespace
#endif
