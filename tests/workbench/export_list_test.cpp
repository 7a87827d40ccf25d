// The window that exports quantiles and percentile tables as tab-separated columns: its lists and
// keys, and the files and clipboard texts it writes (expected texts written out by hand).
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "engine/case_builder.h"
#include "engine/globals.h"
#include "engine/output_files.h"
#include "engine/tables.h"
#include "main_form_fixture.h"
#include "platform/temp_folder.h"
#include "platform/testing/scripted_prompts.h"
#include "workbench/case_state.h"
#include "workbench/distribution_dialog.h"
#include "workbench/export_list.h"
#include "workbench/items_sheet.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

namespace fs = std::filesystem;
using platform::Answer;

// E1's percentile table of 10, 20, 40 on 0..50 at the levels 5/50/95, in a field of 2, worked by
// hand: entry 0 the low bound, entry 1 the tail 10 - 10 x 4/4.75 = 1.5789, entries 2..4 a quarter
// of the way each to 10 at entry 5, then 10/45 a point to 20 at 50, 40 at 95, the tail
// 40 + 10 x 4/4.75 = 48.42 at 99 and the high bound at 100.
struct TableRow {
    int Point;
    const char* Label;
    const char* Value;
};
const TableRow E1Table[] = {
    {0, " 0.25", " 0"},    {1, " 1.00", "1.579"},  {2, " 2.00", "3.684"}, {3, " 3.00", "5.789"},
    {4, " 4.00", "7.895"}, {5, " 5.00", "10"},     {6, " 6.00", "10.22"}, {50, "50.00", "20"},
    {95, "95.00", "40"},   {99, "99.00", "48.42"}, {100, "99.75", "50"},
};

class ExportListTest : public platform_test::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        ResetGlobals();
        ResetWindowState();
        Platform = &prompts;
        CaseFile.CaseName = "study";
        CaseFile.CaseFileName = (root_ / "study.dtt").string();
    }
    void TearDown() override {
        ResetGlobals();
        ResetWindowState();
        Platform = nullptr;
        ScratchTest::TearDown();
    }

    // Levels 5/50/95; item X (UNI, range 0..50) assessed 10, 20, 40 by E1 and 1, 2, 3 by E2.
    void TwoExpertsOneItem() {
        testcase::SetLevels({5, 50, 95});
        TItem* x = testcase::AddItem("X");
        x->IntrinsicLow = 0;
        x->IntrinsicHigh = 50;
        testcase::AddExpert("E1", {{10, 20, 40}});
        testcase::AddExpert("E2", {{1, 2, 3}});
    }

    static ExportListCore Filled() {
        ExportListCore core;
        EXPECT_TRUE(core.Fill());
        return core;
    }

    static void Tick(CheckList& list, const std::vector<std::string>& ids) {
        for (std::size_t i = 0; i < list.Ids.size(); ++i)
            list.Checked[i] = std::find(ids.begin(), ids.end(), list.Ids[i]) != ids.end();
    }

    std::string ToFile(ExportListCore& core, bool distributions, const std::string& name = "out.dis") {
        const std::string path = (root_ / name).string();
        prompts.QueueSaveFile(path);
        core.ExportCaseData(true, distributions, true);
        return ReadFile(path);
    }

    platform::ScriptedPrompts prompts;
};

// ---------------------------------------------------------------- what is written

TEST_F(ExportListTest, QuantilesOfTwoExpertsAsColumnsInOneFile) {
    TwoExpertsOneItem();
    ExportListCore core = Filled();
    Tick(core.Experts, {"E1", "E2"});
    Tick(core.Items, {"X"});
    std::vector<std::string> captions;
    core.ShowCaption = [&](const std::string& c) { captions.push_back(c); };
    // Every number in a field as wide as the longest id (2).
    EXPECT_EQ(ToFile(core, false), "   \tE1\tE2\r\n"
                                   "   \t X\t X\r\n"
                                   "05%\t10\t 1\r\n"
                                   "50%\t20\t 2\r\n"
                                   "95%\t40\t 3\r\n");
    EXPECT_EQ(prompts.Recorded()[0].Choice.Filter, "Output files (*.dis)|*.dis");
    EXPECT_EQ(prompts.Recorded()[0].Choice.FileName, "study");
    EXPECT_EQ(captions, (std::vector<std::string>{"Exporting E1/X", "Exporting E2/X"}));
    EXPECT_EQ(FieldWidth, 10);
    EXPECT_TRUE(OutputLineBreak);
    EXPECT_EQ(prompts.BusyDepth(), 0);
    EXPECT_EQ(prompts.BusyCount(), 1);
}

TEST_F(ExportListTest, TheClipboardGetsTheSameTextInPlaceOfWhatItHeld) {
    TwoExpertsOneItem();
    ExportListCore core = Filled();
    Tick(core.Experts, {"E2", "E1"});
    Tick(core.Items, {"X"});
    prompts.SetClipboardText("old text");
    core.ExportCaseData(false, false, true);
    EXPECT_EQ(prompts.ClipboardText(), "   \tE1\tE2\r\n"
                                       "   \t X\t X\r\n"
                                       "05%\t10\t 1\r\n"
                                       "50%\t20\t 2\r\n"
                                       "95%\t40\t 3\r\n");
    EXPECT_FALSE(ClipboardOutputOpen);
    EXPECT_TRUE(prompts.Recorded().empty()) << "no file choice for the clipboard";
}

TEST_F(ExportListTest, HeaderLinesOfOneColumnHaveNoTabAndIdsAreMadeSafe) {
    testcase::SetLevels({5, 95});
    testcase::AddItem("Y Z");
    testcase::AddItem("W");
    testcase::AddExpert("E/1", {{1.5f, 2.5f}, {7, 8}});
    testcase::AddExpert("E2", {{3, 4}, {9, 10}});
    ExportListCore core = Filled();
    EXPECT_EQ(core.Items.Ids, (std::vector<std::string>{"Y Z", "W"}));
    EXPECT_EQ(core.Experts.Ids, (std::vector<std::string>{"E/1", "E2"}));
    Tick(core.Experts, {"E/1"});
    Tick(core.Items, {"Y Z"});
    // Width 3 from "E/1" and "Y Z".
    EXPECT_EQ(ToFile(core, false), "   E_1\r\n"
                                   "   Y_Z\r\n"
                                   "05%\t1.5\r\n"
                                   "95%\t2.5\r\n");
    // One expert and two items: tabs again.
    Tick(core.Items, {"Y Z", "W"});
    prompts.QueueAnswer(Answer::Ok);  // overwrite
    EXPECT_EQ(ToFile(core, false), "   \tE_1\tE_1\r\n"
                                   "   \tY_Z\t  W\r\n"
                                   "05%\t1.5\t  7\r\n"
                                   "95%\t2.5\t  8\r\n");
}

TEST_F(ExportListTest, NothingTickedWritesTheLabelsOnly) {
    TwoExpertsOneItem();
    ExportListCore core = Filled();
    EXPECT_EQ(ToFile(core, false), "   \r\n"
                                   "   \r\n"
                                   "05%\r\n"
                                   "50%\r\n"
                                   "95%\r\n");
    // Ticked entries that no longer match any record are left out.
    core.Experts.Ids[0] = "gone";
    core.Items.Ids[0] = "X";
    Tick(core.Experts, {"gone", "E2"});
    Tick(core.Items, {"X"});
    prompts.QueueAnswer(Answer::Ok);
    EXPECT_EQ(ToFile(core, false), "   E2\r\n"
                                   "    X\r\n"
                                   "05%\t 1\r\n"
                                   "50%\t 2\r\n"
                                   "95%\t 3\r\n");
}

TEST_F(ExportListTest, PercentileTablesInOneFileHaveZeroLedLabels) {
    TwoExpertsOneItem();
    ExportListCore core = Filled();
    Tick(core.Experts, {"E1"});
    Tick(core.Items, {"X"});
    const std::vector<std::string> lines = [&] {
        const std::string path = (root_ / "out.dis").string();
        prompts.QueueSaveFile(path);
        core.ExportCaseData(true, true, true);
        return ReadTextLines(path);
    }();
    ASSERT_EQ(lines.size(), 103u);
    EXPECT_EQ(lines[0], "     E1") << "a blank label of five";
    EXPECT_EQ(lines[1], "      X");
    EXPECT_EQ(lines[3].substr(0, 6), "01.00\t");
    for (const TableRow& r : E1Table) {
        std::string label = r.Label;
        if (label[0] == ' ') label[0] = '0';
        EXPECT_EQ(lines[static_cast<std::size_t>(r.Point) + 2], label + "\t" + r.Value);
    }
}

TEST_F(ExportListTest, SeparateFilesPerExpertAndItemAreAppendedTo) {
    TwoExpertsOneItem();
    ExportListCore core = Filled();
    Tick(core.Experts, {"E1", "E2"});
    Tick(core.Items, {"X"});
    core.ExportCaseData(true, true, false);
    EXPECT_TRUE(prompts.Recorded().empty()) << "the files go beside the case without a choice";
    const std::vector<std::string> e1 = ReadTextLines((root_ / "E1_X.dis").string());
    const std::vector<std::string> e2 = ReadTextLines((root_ / "E2_X.dis").string());
    ASSERT_EQ(e1.size(), 101u);
    ASSERT_EQ(e2.size(), 101u);
    // The labels keep their leading blank; no header.
    for (const TableRow& r : E1Table)
        EXPECT_EQ(e1[static_cast<std::size_t>(r.Point)], std::string(r.Label) + "\t" + r.Value);
    // E2's 1, 2, 3: the tails go to 0.1579 and 3 + 47 x 4/4.75 = 42.58.
    EXPECT_EQ(e2[1], " 1.00\t0.1579");
    EXPECT_EQ(e2[5], " 5.00\t 1");
    EXPECT_EQ(e2[99], "99.00\t42.58");
    EXPECT_EQ(ReadFile(root_ / "E1_X.dis").substr(0, 10), " 0.25\t 0\r\n");

    core.ExportCaseData(true, true, false);
    const std::vector<std::string> twice = ReadTextLines((root_ / "E1_X.dis").string());
    ASSERT_EQ(twice.size(), 202u);
    EXPECT_TRUE(std::equal(e1.begin(), e1.end(), twice.begin() + 101));
}

TEST_F(ExportListTest, SeparateFilesThatWouldShareANameAreNotWritten) {
    testcase::SetLevels({5, 50, 95});
    TItem* x = testcase::AddItem("X");
    x->IntrinsicLow = 0;
    x->IntrinsicHigh = 50;
    testcase::AddExpert("a b", {{10, 20, 40}});
    testcase::AddExpert("a_b", {{1, 2, 3}});
    ExportListCore core = Filled();
    Tick(core.Experts, {"a b", "a_b"});
    Tick(core.Items, {"X"});
    prompts.QueueAnswer(Answer::Ok);
    core.ExportCaseData(true, true, false);
    EXPECT_EQ(prompts.MessageTexts(),
              std::vector<std::string>{
                  "a b_X and a_b_X would both be written to a_b_X.dis. Change one of the Ids and export again."});
    EXPECT_FALSE(fs::exists(root_ / "a_b_X.dis"));
}

TEST_F(ExportListTest, ACancelledChoiceWritesNothingAndChangesNoSetting) {
    TwoExpertsOneItem();
    ExportListCore core = Filled();
    Tick(core.Experts, {"E1"});
    Tick(core.Items, {"X"});
    prompts.QueueSaveFile("");
    core.ExportCaseData(true, false, true);
    // An existing file kept on Cancel of the overwrite question.
    WriteFile("out.dis", "old\r\n");
    prompts.QueueSaveFile((root_ / "out.dis").string());
    prompts.QueueAnswer(Answer::Cancel);
    core.ExportCaseData(true, false, true);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Output file OUT.DIS already exists. Overwrite?"});
    EXPECT_EQ(ReadFile(root_ / "out.dis"), "old\r\n");
    EXPECT_EQ(FieldWidth, 10);
    EXPECT_TRUE(OutputLineBreak);
    EXPECT_EQ(prompts.BusyCount(), 0);
}

TEST_F(ExportListTest, AFailedWriteLeavesTheSettingsAndNoOpenFile) {
    TwoExpertsOneItem();
    ExportListCore core = Filled();
    Tick(core.Experts, {"E1"});
    Tick(core.Items, {"X"});
    // A folder where the separate file would go: it cannot be opened.
    fs::create_directories(root_ / "E1_X.dis");
    EXPECT_THROW(core.ExportCaseData(true, true, false), IoError);
    EXPECT_EQ(FieldWidth, 10);
    EXPECT_TRUE(OutputLineBreak);
    EXPECT_FALSE(OutFile.IsOpen());
    EXPECT_EQ(prompts.BusyDepth(), 0);
}

// ---------------------------------------------------------------- the window

class ExportWindowTest : public ExportListTest {
protected:
    void SetUp() override {
        ExportListTest::SetUp();
        frame = std::make_unique<QMainWindow>();
        frame->resize(400, 300);
        frame->show();
        (void)QTest::qWaitForWindowExposed(frame.get());
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TItemsListBoxForm*>(w)) delete w;
        frame.reset();
        WireServices();
        ExportListTest::TearDown();
    }

    TItemsListBoxForm* OpenWindow() {
        TItemsListBoxForm* w = OpenExportList();
        if (!w) return nullptr;
        QApplication::setActiveWindow(w);
        QApplication::processEvents();
        return w;
    }

    static std::vector<bool> Checks(const QListWidget* box) {
        std::vector<bool> out;
        for (int i = 0; i < box->count(); ++i) out.push_back(box->item(i)->checkState() == Qt::Checked);
        return out;
    }

    std::unique_ptr<QMainWindow> frame;
};

TEST_F(ExportWindowTest, ListsFollowTheFirstExpertsSlotsAndTheExpertTable) {
    testcase::SetLevels({5, 50, 95});
    testcase::AddItem("A");
    testcase::AddItem("B");
    testcase::AddExpert("E1", {{1, 2, 3}, {1, 2, 3}});
    testcase::AddExpert("E2", {{1, 2, 3}, {1, 2, 3}});
    // The first expert keeps B before A.
    std::swap(ExpertTable[1]->Assessments[1], ExpertTable[1]->Assessments[2]);
    ExportDistributions = false;
    QPointer<TItemsListBoxForm> w = OpenWindow();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle().toStdString(), "Exporting Case Data");
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(w->ItemsListBox->count(), 2);
    EXPECT_EQ(w->ItemsListBox->item(0)->text().toStdString(), "B");
    EXPECT_EQ(w->ExpertsListBox->item(1)->text().toStdString(), "E2");
    EXPECT_EQ(Checks(w->ItemsListBox), (std::vector<bool>{false, false}));
    EXPECT_FALSE(w->SingleFile->isVisible()) << "quantiles are always one text";
    EXPECT_FALSE(w->ToClipboardCheckBox->isChecked());
    EXPECT_TRUE(w->SingleFile->isChecked());
    EXPECT_EQ(w->OkButton->text().toStdString(), "Export");
    EXPECT_GE(w->width(), 266);
    EXPECT_GE(w->height(), 357);
    delete w;

    ExportDistributions = true;
    w = OpenWindow();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->SingleFile->isVisible());
}

TEST_F(ExportWindowTest, NoExpertOrNoAssessedItemOpensNothing) {
    ExportDistributions = false;
    EXPECT_EQ(OpenWindow(), nullptr);
    testcase::SetLevels({5, 50, 95});
    testcase::AddExpert("E1", {});
    EXPECT_EQ(OpenWindow(), nullptr) << "the first expert assesses nothing";
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<TItemsListBoxForm*>(w), nullptr);
}

TEST_F(ExportWindowTest, F3TogglesAWholeListAndF4InvertsIt) {
    testcase::SetLevels({5, 50, 95});
    testcase::AddItem("A");
    testcase::AddItem("B");
    testcase::AddItem("C");
    testcase::AddExpert("E1", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
    testcase::AddExpert("E2", {});
    QPointer<TItemsListBoxForm> w = OpenWindow();
    ASSERT_TRUE(w);
    w->ItemsListBox->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(w->Core.Items.Checked, (std::vector<bool>{false, true, false}));
    QTest::keyClick(w->ItemsListBox, Qt::Key_F4);
    EXPECT_EQ(Checks(w->ItemsListBox), (std::vector<bool>{true, false, true}));
    QTest::keyClick(w->ItemsListBox, Qt::Key_F3);
    EXPECT_EQ(Checks(w->ItemsListBox), (std::vector<bool>{true, true, true}));
    QTest::keyClick(w->ItemsListBox, Qt::Key_F3);
    EXPECT_EQ(Checks(w->ItemsListBox), (std::vector<bool>{false, false, false}));
    // Each list has its own state.
    EXPECT_EQ(Checks(w->ExpertsListBox), (std::vector<bool>{false, false}));
    QTest::keyClick(w->ExpertsListBox, Qt::Key_F3);
    EXPECT_EQ(Checks(w->ExpertsListBox), (std::vector<bool>{true, true}));
    EXPECT_EQ(Checks(w->ItemsListBox), (std::vector<bool>{false, false, false}));
    // The keys act on release.
    QTest::keyPress(w->ExpertsListBox, Qt::Key_F4);
    EXPECT_EQ(Checks(w->ExpertsListBox), (std::vector<bool>{true, true}));
    QTest::keyRelease(w->ExpertsListBox, Qt::Key_F4);
    EXPECT_EQ(Checks(w->ExpertsListBox), (std::vector<bool>{false, false}));
}

TEST_F(ExportWindowTest, TheClipboardTakesOneTextSoSingleFileIsFixed) {
    TwoExpertsOneItem();
    ExportDistributions = true;
    QPointer<TItemsListBoxForm> w = OpenWindow();
    ASSERT_TRUE(w);
    w->SingleFile->click();
    EXPECT_FALSE(w->SingleFile->isChecked());
    w->ToClipboardCheckBox->click();
    EXPECT_TRUE(w->SingleFile->isChecked());
    EXPECT_FALSE(w->SingleFile->isEnabled());
    w->ToClipboardCheckBox->click();
    EXPECT_TRUE(w->SingleFile->isEnabled());
    EXPECT_TRUE(w->SingleFile->isChecked());
}

TEST_F(ExportWindowTest, ExportWritesTheTickedColumnsAndCloses) {
    TwoExpertsOneItem();
    ExportDistributions = false;
    QPointer<TItemsListBoxForm> w = OpenWindow();
    ASSERT_TRUE(w);
    w->ExpertsListBox->item(1)->setCheckState(Qt::Checked);
    w->ItemsListBox->item(0)->setCheckState(Qt::Checked);
    w->ToClipboardCheckBox->click();
    QTest::mouseClick(w->OkButton, Qt::LeftButton);
    EXPECT_EQ(prompts.ClipboardText(), "   E2\r\n    X\r\n05%\t 1\r\n50%\t 2\r\n95%\t 3\r\n");
    EXPECT_FALSE(w && w->isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

// Prompts whose file choice activates another window first, as a real dialog does.
class ActivatingPrompts : public platform::ScriptedPrompts {
public:
    QWidget* Other = nullptr;
    bool SaveFile(platform::FileChoice& choice) override {
        if (Other) {
            Other->activateWindow();
            QApplication::setActiveWindow(Other);
            QApplication::processEvents();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return ScriptedPrompts::SaveFile(choice);
    }
};

TEST_F(ExportWindowTest, TheWindowClosesWhenLeftButNotWhileItsExportAsks) {
    TwoExpertsOneItem();
    ActivatingPrompts asking;
    asking.Other = frame.get();
    Platform = &asking;
    QPointer<TItemsListBoxForm> w = OpenWindow();
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->isActiveWindow());
    w->ExpertsListBox->item(0)->setCheckState(Qt::Checked);
    w->ItemsListBox->item(0)->setCheckState(Qt::Checked);
    const std::string out = (root_ / "asked.dis").string();
    asking.QueueSaveFile(out);
    w->OkButtonClick();
    EXPECT_EQ(ReadFile(out), "   E1\r\n    X\r\n05%\t10\r\n50%\t20\r\n95%\t40\r\n");
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());

    // Another window activated: the window goes.
    Platform = &prompts;
    w = OpenWindow();
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->isActiveWindow());
    QApplication::setActiveWindow(frame.get());
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

}  // namespace

// ---------------------------------------------------------------- from the main window

namespace {

TItemsListBoxForm* ExportWindowShown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<TItemsListBoxForm*>(w); f && f->isVisible()) return f;
    return nullptr;
}

TEST_F(MainFormTest, TheColumnExportCommandsOpenTheExportWindowOverTheCase) {
    OpenThrough(CopyExample(".dtt"));
    RefreshMenus();
    ASSERT_TRUE(Action("Quantiles1")->isEnabled());
    Action("Quantiles1")->trigger();
    QPointer<TItemsListBoxForm> w = ExportWindowShown();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->parentWidget(), form.get()) << "it goes with the main window";
    EXPECT_EQ(w->ItemsListBox->count(), 12);
    EXPECT_EQ(w->ItemsListBox->item(6)->text().toStdString(), "DAMAGE1");
    EXPECT_EQ(w->ExpertsListBox->count(), 4);
    EXPECT_EQ(w->ExpertsListBox->item(0)->text().toStdString(), "Alder");
    EXPECT_FALSE(w->SingleFile->isVisible());
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());

    Action("Distributions1")->trigger();
    w = ExportWindowShown();
    ASSERT_TRUE(w);
    EXPECT_TRUE(ExportDistributions);
    EXPECT_TRUE(w->SingleFile->isVisible());
    // The items sheet's popup reaches the distribution dialog too.
    EXPECT_TRUE(Services().OpenDistributionDialog.Wired());
    EXPECT_TRUE(Services().SetDistributionDefaults.Wired());
}

}  // namespace
