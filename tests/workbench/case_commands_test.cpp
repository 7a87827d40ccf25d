// The case commands of the main window: New, Open, Merge, Save, Save As, Exit, the settings
// file and the sheets they open, through the scripted prompts.
#include "main_form_fixture.h"

#include "common/core/line_io.h"
#include "common/core/text.h"
#include "engine/assessments_file.h"
#include "engine/case_file_support.h"

using namespace halvorine;

namespace {

namespace fs = std::filesystem;
using platform::Answer;

int CountKind(const platform::ScriptedPrompts& p, const std::string& kind) {
    int n = 0;
    for (const auto& r : p.Recorded())
        if (r.Kind == kind) ++n;
    return n;
}

// ---------------------------------------------------------------- Open

TEST_F(MainFormTest, OpenShowsTheSheetOfTheChosenFile) {
    struct Case {
        const char* chosen;  // extension of the file chosen
        bool withDtt;        // the case has its assessments file
        bool experts;        // an experts sheet comes up
        bool realisations;   // a realisations sheet comes up
        int items;           // items read
    } cases[] = {
        {".dtt", true, true, false, 12},
        {".rls", true, false, true, 12},
        {".rls", false, false, true, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.chosen) + (c.withDtt ? " with dtt" : " alone"));
        const std::string path = CopyExample(c.chosen);
        if (!c.withDtt) fs::remove(root_ / "STORM.dtt");
        OpenThrough(path);
        EXPECT_EQ(ExpertsSheet != nullptr, c.experts);
        EXPECT_EQ(ChildSheets[0] != nullptr, c.realisations);
        EXPECT_EQ(static_cast<int>(testcase::ItemIds().size()), c.items);
        EXPECT_EQ(form->windowTitle(), "STORM: Halvorine v1.0");
        EXPECT_EQ(CaseFile.CaseName, "STORM");
        EXPECT_EQ(CaseFile.CaseFileName, path);
        EXPECT_TRUE(prompts.MessageTexts().empty());
        // The next open closes this case first; nothing is modified, the experts sheet asks.
        if (c.experts) prompts.QueueAnswer(Answer::Yes);
        ASSERT_TRUE(form->CloseChildren());
        prompts.Clear();
    }
    // Neither file: a new case.
    OpenThrough((root_ / "nothing.dtt").string());
    EXPECT_EQ(CaseFile.CaseFileName, "NONAME.rls");
    ASSERT_NE(ChildSheets[0], nullptr);
    ASSERT_NE(ItemTable[1], nullptr);
    EXPECT_EQ(ItemTable[2], nullptr);
    EXPECT_EQ(form->windowTitle(), "NONAME: Halvorine v1.0");
}

TEST_F(MainFormTest, OpenTellsReadingInTheCaption) {
    OpenThrough(CopyExample(".dtt"));
    const auto& captions = prompts.CaptionHistory();
    auto at = [&](const std::string& text) {
        return std::find(captions.begin(), captions.end(), text) - captions.begin();
    };
    ASSERT_LT(at("Reading Experts file..."), static_cast<long>(captions.size()));
    EXPECT_LT(at("Reading Experts file..."), at("Reading Items file..."));
    EXPECT_EQ(captions.back(), "STORM: Halvorine v1.0");
    EXPECT_EQ(prompts.BusyDepth(), 0);
    EXPECT_EQ(prompts.BusyCount(), 1) << "the hourglass for the assessments file only";
}

TEST_F(MainFormTest, AFileThatFailsToLoadIsNamedWithItsLineAndLeavesNoCase) {
    struct Case {
        const char* file;
        const char* kind;
        const char* failing;  // the file named in the message
        int line;
    } cases[] = {
        {"BROKEN.dtt", "Experts", "BROKEN.dtt", 3},
        {"BADITEMS.dtt", "Items", "BADITEMS.rls", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        prompts.Clear();
        prompts.QueueAnswer(Answer::Ok);
        OpenThrough(Fixture(c.file));
        ASSERT_EQ(prompts.MessageTexts().size(), 1u);
        EXPECT_EQ(prompts.MessageTexts()[0], std::string("Failed to load ") + c.kind + " file " + Fixture(c.failing) +
                                                 ". Check if this file exists and has proper format, at line " +
                                                 std::to_string(c.line));
        EXPECT_TRUE(form->OpenChildren().isEmpty()) << "no sheet opens";
        EXPECT_TRUE(testcase::ItemIds().empty()) << "the tables are empty";
        EXPECT_TRUE(testcase::ExpertIds().empty());
        EXPECT_EQ(form->windowTitle(), "Halvorine v1.0");
    }
    // The next open reads its case alone, not on top of what the failed one had read.
    prompts.Clear();
    OpenThrough(CopyExample(".dtt"));
    EXPECT_EQ(testcase::ExpertIds(), (std::vector<std::string>{"Alder", "Birch", "Cedar", "Dogwood"}));
    EXPECT_EQ(testcase::ItemIds().size(), 12u);
}

// ---------------------------------------------------------------- New and the levels prompt

TEST_F(MainFormTest, NewCaseThenExpertsAsksForTheLevels) {
    form->NewItemFileClickClick();
    ASSERT_NE(ChildSheets[0], nullptr);
    EXPECT_EQ(ItemsSheet, ChildSheets[0]);
    EXPECT_EQ(CaseFile.CaseFileName, "NONAME.rls");
    EXPECT_EQ(CaseFile.CaseName, "NONAME");

    AnswerLevelsDialog(false);
    form->OpenExpertsWindow1Click();
    EXPECT_EQ(ExpertsSheet, nullptr) << "Cancel: no experts sheet";
    EXPECT_EQ(ExpertTable[1], nullptr);

    AnswerLevelsDialog(true);
    form->OpenExpertsWindow1Click();
    ASSERT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(QuantileCount, 3);
    EXPECT_EQ(AssessmentHeader, "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95 ");
    ASSERT_NE(ExpertTable[1], nullptr) << "the first expert goes to position 1";
    EXPECT_EQ(ExpertTable[2], nullptr);
    EXPECT_NE(ExpertTable[1]->Assessments[1], nullptr) << "with a slot for the item";
    EXPECT_EQ(ItemsSheet, ChildSheets[0]) << "the realisations sheet stays the items sheet";
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].ConfirmClose);
}

TEST_F(MainFormTest, StaleModifiedFlagsDoNotStopNewOrExit) {
    // Flags left set with no window that could ask about them.
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    form->NewFileButtonClick();
    EXPECT_NE(ChildSheets[0], nullptr);
    EXPECT_TRUE(prompts.MessageTexts().empty());
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);

    // Flags of the other kind set while the realisations sheet asks only about its own.
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(prompts.MessageTexts().empty());
}

// ---------------------------------------------------------------- Save and Save As

TEST_F(MainFormTest, SaveOfAnUnnamedCaseAsksForAName) {
    form->MakeNewItemsForm();
    ItemTable[1]->Id = "Q1";
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    prompts.QueueSaveFile((root_ / "fresh").string());
    form->FileSaveItemClick();
    ASSERT_EQ(CountKind(prompts, "save"), 1);
    EXPECT_EQ(prompts.Recorded()[0].Choice.Filter, ItemFilesFilter) << "the realisations sheet is active";
    EXPECT_EQ(prompts.Recorded()[0].Choice.FileName, "");
    EXPECT_TRUE(fs::exists(root_ / "fresh.rls"));
    EXPECT_TRUE(fs::exists(root_ / "fresh.dtt")) << "a new name gets both files";
    EXPECT_EQ(CaseFile.CaseName, "fresh");
    EXPECT_EQ(form->windowTitle(), "fresh: Halvorine v1.0");
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_FALSE(Action("SaveBtn")->isEnabled());
    const auto& captions = prompts.CaptionHistory();
    EXPECT_NE(std::find(captions.begin(), captions.end(), "Saving Experts file..."), captions.end());
    EXPECT_NE(std::find(captions.begin(), captions.end(), "Saving Items file..."), captions.end());
}

TEST_F(MainFormTest, SaveAsOntoAnExistingCaseAsksAndCancelChangesNothing) {
    OpenThrough(CopyExample(".dtt"));
    const std::string before = CaseFile.CaseFileName;
    WriteFile("data.rls", "old\r\n");
    prompts.QueueSaveFile((root_ / "data.dtt").string());
    prompts.QueueAnswer(Answer::Cancel);
    form->FileSaveAsItemClick();
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0], "Case DATA already exists. Overwrite?");
    EXPECT_EQ(prompts.Recorded().back().MessageKind, platform::MessageKind::Warning);
    EXPECT_EQ(prompts.Recorded().back().Buttons, platform::Buttons::OkCancel);
    EXPECT_EQ(CaseFile.CaseFileName, before);
    EXPECT_EQ(CaseFile.CaseName, "STORM");
    EXPECT_FALSE(fs::exists(root_ / "data.dtt"));
    EXPECT_EQ(ReadFile(root_ / "data.rls"), "old\r\n");

    prompts.Clear();
    prompts.QueueSaveFile((root_ / "data.dtt").string());
    prompts.QueueAnswer(Answer::Ok);
    form->FileSaveAsItemClick();
    EXPECT_EQ(CaseFile.CaseName, "data");
    EXPECT_EQ(ReadFile(root_ / "data.dtt"), ReadFile(root_ / "STORM.dtt")) << "the same case under a new name";
    EXPECT_EQ(ReadFile(root_ / "data.rls"), ReadFile(root_ / "STORM.rls"));
}

TEST_F(MainFormTest, SaveWritesFlaggedExpertsAndTheEnteredQuantiles) {
    OpenThrough(CopyExample(".dtt"));
    // A result view keeps a flagged expert aside, and an update has moved a quantile.
    CheckCaseData();
    ASSERT_TRUE(SaveRestoreQuantiles(true));
    BayesianUpdates = true;
    ExpertTable[1]->Assessments[1]->Values[2] = 999.0f;
    ExpertTable[2]->FilterFlag = true;
    FilterExpertsOut(FilteredExperts);
    ASSERT_NE(FilteredExperts[2], nullptr);
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;

    form->FileSaveItemClick();
    EXPECT_EQ(CountKind(prompts, "save"), 0) << "a named case saves under its name";
    const std::vector<std::string> lines = ReadTextLines((root_ / "STORM.dtt").string());
    ASSERT_EQ(lines.size(), ReadTextLines((root_ / "STORM.rls").string()).size() * 4 + 1);
    int birch = 0;
    for (const std::string& l : lines)
        if (l.find("    Birch ") != std::string::npos) ++birch;
    EXPECT_EQ(birch, 12) << "the flagged expert is written";
    EXPECT_NE(lines[1].find("3.80000E+0002"), std::string::npos) << "the entered value, not the updated one";
    EXPECT_EQ(lines[1].find("9.99000E+0002"), std::string::npos);

    EXPECT_EQ(ExpertTable[1]->Assessments[1]->Values[2], 999.0f) << "the update stays in force";
    EXPECT_NE(FilteredExperts[2], nullptr) << "the flagged expert is aside again for the view";
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
}

TEST_F(MainFormTest, SaveOfAnUnchangedCaseWritesItBack) {
    OpenThrough(CopyExample(".dtt"));
    const std::string dtt = ReadFile(root_ / "STORM.dtt");
    const std::string rls = ReadFile(root_ / "STORM.rls");
    fs::remove(root_ / "STORM.dtt");
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    form->FileSaveItemClick();
    EXPECT_EQ(ReadFile(root_ / "STORM.dtt"), dtt);
    EXPECT_EQ(ReadFile(root_ / "STORM.rls"), rls);
}

TEST_F(MainFormTest, ResettingTheCaseStateKeepsTheEnteredDataAndFlaggedItems) {
    testcase::SetLevels({5, 50, 95});
    testcase::AddItem("A", "UNI", 2.0f);
    testcase::AddItem("B")->FilterFlag = true;
    testcase::AddExpert("E1", {{1, 2, 3}, {4, 5, 6}});
    BuildItemIndexMap();
    ASSERT_TRUE(SaveRestoreQuantiles(true));
    BayesianUpdates = true;
    WeightType = UserWeighting;
    ExpertTable[1]->Assessments[1]->Values[2] = 2.5f;
    FilterItemsOut(FilteredItems);
    ASSERT_EQ(testcase::ItemIds(), std::vector<std::string>{"A"});

    ResetCaseState();
    EXPECT_EQ(ExpertTable[1]->Assessments[1]->Values[2], 2.0f) << "the value as entered";
    EXPECT_FALSE(BayesianUpdates);
    EXPECT_TRUE(QuantileBackup.empty());
    EXPECT_EQ(WeightType, GlobalWeighting);
    EXPECT_EQ(ExpertCount, 0);
    EXPECT_EQ(testcase::ItemIds(), (std::vector<std::string>{"A", "B"})) << "the flagged item is back, not lost";
    EXPECT_TRUE(OutputLineBreak);
}

// ---------------------------------------------------------------- Merge

TEST_F(MainFormTest, MergeAddsTheExpertsAndKeepsTheCaseName) {
    const std::string path = CopyExample(".dtt");
    OpenThrough(path);
    prompts.Clear();
    prompts.QueueOpenFile(Fixture("MERGE.dtt"));
    form->MergeAssessmentsFile1Click();
    ASSERT_EQ(prompts.Recorded().size(), 1u);
    EXPECT_EQ(prompts.Recorded()[0].Choice.Filter, "Expert Assessment  Files (.dtt)|*.dtt") << "the first entry only";
    EXPECT_EQ(form->ExpertFileOpenDialog.Filter, ExpertFilesFilter) << "and back afterwards";
    EXPECT_EQ(testcase::ExpertIds(), (std::vector<std::string>{"Alder", "Birch", "Cedar", "Dogwood", "Elm"}));
    EXPECT_EQ(CaseFile.CaseFileName, path);
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_EQ(ExpertsSheet->Core.GridRows(), 6);
    EXPECT_EQ(form->MdiArea->currentSubWindow(), ExpertsSheet);
    EXPECT_FALSE(ExpertsSheet->ExpertsGrid->EditorMode()) << "row mode after a merge";
}

TEST_F(MainFormTest, AMergeThatFailsLeavesTheCaseAsItWas) {
    const std::string path = CopyExample(".dtt");
    OpenThrough(path);
    const std::vector<std::string> before = casefiles_test::CaseSnapshot();
    prompts.QueueOpenFile(Fixture("MERGEBAD.dtt"));
    prompts.QueueAnswer(Answer::Ok);
    form->MergeAssessmentsFile1Click();
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0], "Failed to load Experts file " + Fixture("MERGEBAD.dtt") +
                                             ". Check if this file exists and has proper format, at line 3");
    EXPECT_EQ(casefiles_test::CaseSnapshot(), before) << "not the expert of line 2 either";
    EXPECT_EQ(CaseFile.CaseFileName, path);
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_EQ(form->ExpertFileOpenDialog.Filter, ExpertFilesFilter);
}

TEST_F(MainFormTest, AMergeIntoACaseWithoutExpertsShowsThem) {
    form->MakeNewItemsForm();
    testcase::SetLevels({5, 50, 95});
    prompts.QueueOpenFile(Fixture("MERGE.dtt"));
    form->MergeAssessmentsFile1Click();
    ASSERT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(testcase::ExpertIds(), (std::vector<std::string>{"Elm"}));
}

// ---------------------------------------------------------------- Exit and the settings file

TEST_F(MainFormTest, ExitWithCancelKeepsTheProgramAndTheCase) {
    OpenThrough(CopyExample(".dtt"));
    form->OpenItemsWindow1Click();
    ASSERT_NE(ChildSheets[0], nullptr);
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    const std::vector<std::string> before = casefiles_test::CaseSnapshot();

    prompts.QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(form->close());
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0],
              "Contents of the case file " + (root_ / "STORM.rls").string() + " has been changed. Save it?");
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->Closing);
    EXPECT_NE(ExpertsSheet, nullptr);
    EXPECT_NE(ChildSheets[0], nullptr);
    EXPECT_EQ(casefiles_test::CaseSnapshot(), before);
    EXPECT_FALSE(fs::exists(programFolder + "halvorin.ini")) << "nothing written before the exit";

    // Cancel at the second question, the experts sheet's, keeps it too.
    prompts.Clear();
    prompts.QueueAnswer(Answer::No);
    prompts.QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(prompts.MessageTexts().size(), 2u);
    EXPECT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(testcase::ExpertIds().size(), 4u);

    prompts.Clear();
    prompts.QueueAnswer(Answer::No);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(testcase::ExpertIds().empty());
    EXPECT_EQ(ReadFile(programFolder + "halvorin.ini"), (root_ / "STORM.dtt").string() + "\r\n");
}

TEST_F(MainFormTest, TheSettingsFileKeepsTheLastCaseForTheNextOpen) {
    form->MakeNewItemsForm();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(ReadFile(programFolder + "halvorin.ini"), "NONAME.rls\r\n");
    DropForm();
    MakeForm();
    EXPECT_EQ(form->ExpertFileOpenDialog.FileName, "NONAME.rls");
    prompts.QueueOpenFile("");
    form->OpenCase();
    EXPECT_EQ(prompts.Recorded().back().Choice.FileName, "NONAME.rls") << "the Open dialog starts on it";
    EXPECT_EQ(prompts.Recorded().back().Choice.Filter, ExpertFilesFilter);
}

}  // namespace
