#include <QMenuBar>

#include "common/core/line_io.h"
#include "trindel_fixture.h"

namespace {

using Answer = platform::Answer;

TEST_F(TrindelTest, StartsWithItsCaptionAndTheCaseCommandsOff) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("WTrindel"));
    EXPECT_FALSE(Action("SaveBtn")->isEnabled());
    EXPECT_FALSE(Action("FileSaveItem")->isEnabled());
    EXPECT_FALSE(Action("FileSaveAsItem")->isEnabled());
    EXPECT_FALSE(Action("RunButton")->isEnabled());
    EXPECT_FALSE(Action("CalculateItem")->isEnabled());
    EXPECT_TRUE(Action("EnableFiltering1")->isChecked());
    EXPECT_EQ(form->ExpertFileOpenDialog.FileName, "");
    EXPECT_EQ(form->ExpertFileOpenDialog.Filter, "Expert Data Files (.ey)|*.ey|Item Realizations Files (.iy)|*.iy");
    EXPECT_EQ(FieldWidth, 10);
    EXPECT_EQ(DecimalPlaces, 4);
    EXPECT_EQ(FloatFormat, 'g');
}

// The settings file: read into the open dialog at start, one line written at close (an
// empty one when no case was opened).
TEST_F(TrindelTest, SettingsFileKeepsTheLastCasePath) {
    form->close();
    QApplication::processEvents();
    EXPECT_EQ(ReadFile(programFolder + "trindel.ini"), "\r\n");
    DropForm();

    WriteFile("bin/trindel.ini", "/data/cases/study.ey\r\n");
    MakeForm();
    EXPECT_EQ(form->ExpertFileOpenDialog.FileName, "/data/cases/study.ey");
    OpenThrough(CopyCase("golden_case", "golden_case", ".iy"));
    ASSERT_NE(ExpertsSheet, nullptr);
    ExpertsSheet->showMinimized();  // a sheet that is not minimised refuses to close
    form->close();
    QApplication::processEvents();
    EXPECT_EQ(ReadFile(programFolder + "trindel.ini"), (root_ / "golden_case.iy").string() + "\r\n");
}

TEST_F(TrindelTest, OpenCaseWithBothFilesShowsTheExperts) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    ASSERT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("golden_case: WTrindel"));
    EXPECT_EQ(ExpertsSheet->windowTitle(), QStringLiteral("Experts data: golden_case"));
    EXPECT_EQ(ActiveExpert, ExpertTable[1].get());
    EXPECT_TRUE(CurrentWindowFlags()[ExpertsOpen]);
    EXPECT_TRUE(Action("RunButton")->isEnabled());
    EXPECT_EQ(CountItems(), 5);
    EXPECT_EQ(CountExperts(), 4);
    EXPECT_EQ(ExpertsSheet->Core.CellText(1, 3), "ExpX");
    EXPECT_TRUE(ExpertsSheet->Core.CellStyleAt(1, 3).Greyed);
    EXPECT_TRUE(prompts.MessageTexts().empty());
    const std::vector<std::string> expected = {"Reading Items file...", "Reading Experts file...",
                                               "golden_case: WTrindel"};
    const auto& captions = prompts.CaptionHistory();
    ASSERT_GE(captions.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(captions.end() - 3, captions.end()), expected);
}

TEST_F(TrindelTest, OpenCaseWithoutExpertFileShowsTheRealisations) {
    std::filesystem::copy_file(Fixture("golden_case.iy"), root_ / "trees.iy");
    OpenThrough((root_ / "trees.iy").string());
    EXPECT_EQ(ExpertsSheet, nullptr);
    ASSERT_NE(ChildSheets[0], nullptr);
    EXPECT_EQ(ChildSheets[0]->windowTitle(), QStringLiteral("Realisations data: trees"));
    EXPECT_EQ(ChildSheets[0]->Core.CellText(2, 1), "8");
    EXPECT_EQ(ChildSheets[0]->Core.CellText(2, 2), "");
    EXPECT_EQ(form->windowTitle(), QStringLiteral("trees: WTrindel"));
}

// A case whose items file is missing opens nothing and says which file is missing; the caption
// and the case keep no name of it. Before, it said nothing and the caption read "absent: WTrindel".
TEST_F(TrindelTest, OpenCaseWithoutItemsFileNamesTheMissingFile) {
    std::filesystem::copy_file(Fixture("golden_case.ey"), root_ / "half.ey");
    for (const char* chosen : {"half.ey", "absent.ey"}) {
        SCOPED_TRACE(chosen);
        const std::string stem = std::string(chosen).substr(0, std::string(chosen).find('.'));
        prompts.Clear();
        prompts.QueueAnswer(Answer::Ok);
        OpenThrough((root_ / chosen).string());
        EXPECT_TRUE(form->OpenChildren().isEmpty());
        EXPECT_EQ(prompts.MessageTexts(),
                  std::vector<std::string>{"Failed to load Items file " + (root_ / (stem + ".iy")).string() +
                                           ". Check if this file exists and has proper "
                                           "format, at line 1"});
        EXPECT_EQ(form->windowTitle(), QStringLiteral("WTrindel"));
        EXPECT_EQ(CaseFile.CaseFileName, "");
    }
}

TEST_F(TrindelTest, UnreadableItemsFileNamesTheLine) {
    std::filesystem::copy_file(Fixture("bad_line5.iy"), root_ / "bad.iy");
    prompts.QueueAnswer(Answer::Ok);
    OpenThrough((root_ / "bad.iy").string());
    EXPECT_EQ(prompts.MessageTexts(),
              std::vector<std::string>{"Failed to load Items file " + (root_ / "bad.iy").string() +
                                       ". Check if this file exists and has proper format, at line 5"});
    EXPECT_TRUE(form->OpenChildren().isEmpty());
    // The caption shows that nothing is being read, and no name of the refused case is left.
    EXPECT_EQ(form->windowTitle(), QStringLiteral("WTrindel"));
    EXPECT_EQ(CaseFile.CaseFileName, "");
}

TEST_F(TrindelTest, ExpertsAfterAFailedOpenShowsWhatWasRead) {
    WriteFile("part.iy", ReadFile(Fixture("golden_case.iy")));
    // The third line has no expert number.
    const std::vector<std::string> lines = ReadTextLines(Fixture("golden_case.ey"));
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) bytes += (i == 7 ? std::string("garbage") : lines[i]) + "\r\n";
    WriteFile("part.ey", bytes);
    prompts.QueueAnswer(Answer::Ok);
    OpenThrough((root_ / "part.ey").string());
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0], "Failed to load Experts file " + (root_ / "part.ey").string() +
                                             ". Check if this file exists and has proper format, at line 8");
    EXPECT_EQ(ExpertsSheet, nullptr);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("WTrindel"));
    Action("Experts1")->trigger();
    ASSERT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(ExpertsSheet->Core.CellText(1, 1), "ExpA");
    // What was read is no case of that name: Save asks for one and leaves the refused files.
    ExpertsSheet->Core.SetEditText(2, 1, "Changed");
    prompts.QueueSaveFile("");
    Action("SaveBtn")->trigger();
    QApplication::processEvents();
    ASSERT_FALSE(prompts.Recorded().empty());
    EXPECT_EQ(prompts.Recorded().back().Kind, "save");
    EXPECT_EQ(ReadFile((root_ / "part.ey").string()), bytes);
}

TEST_F(TrindelTest, NewCaseIsOneEmptyItemCalledNoname) {
    Action("NewItemFileClick")->trigger();
    QApplication::processEvents();
    ASSERT_NE(ChildSheets[0], nullptr);
    EXPECT_EQ(CaseFile.CaseFileName, "NONAME.iy");
    EXPECT_EQ(CaseFile.CaseName, "NONAME");
    EXPECT_EQ(CountItems(), 1);
    EXPECT_EQ(ChildSheets[0]->windowTitle(), QStringLiteral("Realisations data: NONAME"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("NONAME: WTrindel"));
    // E&xperts on a case without experts: one blank expert.
    Action("Experts1")->trigger();
    ASSERT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(CountExperts(), 1);
    EXPECT_EQ(ExpertsSheet->Core.CellText(1, 1), "");
}

// A modified case: the save question runs first; Cancel keeps everything as it was.
TEST_F(TrindelTest, NewCaseAsksAboutModifiedData) {
    Action("NewItemFileClick")->trigger();
    ChildSheets[0]->Core.SetEditText(1, 1, "Oak");
    ASSERT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
    prompts.QueueAnswer(Answer::Cancel);
    Action("NewItemFileClick")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(prompts.MessageTexts(),
              std::vector<std::string>{"Contents of the case file NONAME.iy has been changed. Save it?"});
    ASSERT_NE(ChildSheets[0], nullptr);
    EXPECT_EQ(ItemTable[1]->Id.str(), "Oak");
}

TEST_F(TrindelTest, SaveAsOntoAnExistingCaseAsksInCapitals) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    CopyCase("case12", "other");
    const std::string before = ReadFile(root_ / "other.ey");
    prompts.QueueSaveFile((root_ / "other.ey").string());
    prompts.QueueAnswer(Answer::Cancel);
    Action("FileSaveAsItem")->trigger();
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Case OTHER already exists. Overwrite?"});
    EXPECT_EQ(ReadFile(root_ / "other.ey"), before);
    EXPECT_EQ(CaseFile.CaseName, "golden_case");
}

// Save As writes both files even when nothing changed; the caption then names the new case.
TEST_F(TrindelTest, SaveAsWritesBothFiles) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    prompts.QueueSaveFile((root_ / "copy.iy").string());
    Action("FileSaveAsItem")->trigger();
    EXPECT_TRUE(prompts.MessageTexts().empty());
    EXPECT_TRUE(std::filesystem::exists(root_ / "copy.iy"));
    EXPECT_TRUE(std::filesystem::exists(root_ / "copy.ey"));
    EXPECT_EQ(CaseFile.CaseName, "copy");
    EXPECT_EQ(form->windowTitle(), QStringLiteral("copy: WTrindel"));
    const auto& captions = prompts.CaptionHistory();
    ASSERT_GE(captions.size(), 3u);
    EXPECT_EQ(captions[captions.size() - 3], "Saving Experts file...");
    EXPECT_EQ(captions[captions.size() - 2], "Saving Items file...");
    EXPECT_FALSE(Action("SaveBtn")->isEnabled());
}

// A save that fails (the expert data file cannot be replaced) leaves the caption as it was,
// not "Saving ... file...", and the case modified.
TEST_F(TrindelTest, AFailedSaveGivesTheCaptionBack) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    ExpertsSheet->Core.SetEditText(2, 1, "Annie");
    std::filesystem::remove(root_ / "golden_case.ey");
    std::filesystem::create_directory(root_ / "golden_case.ey");
    try {
        form->FileSave(false);
    } catch (const std::exception&) {
        // The command's error report is the event dispatch's; the caption is what counts here.
    }
    EXPECT_EQ(form->windowTitle(), QStringLiteral("golden_case: WTrindel"));
    EXPECT_EQ(prompts.Caption(), "golden_case: WTrindel");
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
}

TEST_F(TrindelTest, SaveWritesTheModifiedKindOnly) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    const std::string items = ReadFile(root_ / "golden_case.iy");
    ExpertsSheet->Core.SetEditText(2, 1, "Annie");
    form->File1Click();
    ASSERT_TRUE(Action("SaveBtn")->isEnabled());
    Action("SaveBtn")->trigger();
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    EXPECT_FALSE(Action("SaveBtn")->isEnabled());
    EXPECT_NE(ReadFile(root_ / "golden_case.ey").find("Annie"), std::string::npos);
    EXPECT_EQ(ReadFile(root_ / "golden_case.iy"), items);
}

TEST_F(TrindelTest, CalculateWithoutExpertsSaysSo) {
    Action("NewItemFileClick")->trigger();
    prompts.QueueAnswer(Answer::Ok);
    form->CalculateItemClick();
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Can`t run without experts data"});
    EXPECT_EQ(RunDialog, nullptr);
}

// Twice without the frame being activated: one dialog; after an activation, a second one.
TEST_F(TrindelTest, CalculateReusesTheRunDialogUntilTheFrameIsActivated) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    Action("RunButton")->trigger();
    TRunDlgFrm* first = RunDialog;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isEnabled());
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Run Parameters"));
    Action("RunButton")->trigger();
    EXPECT_EQ(RunDialog, first);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form.get(), &activate);
    Action("RunButton")->trigger();
    EXPECT_NE(RunDialog, first);
    EXPECT_NE(RunDialog, nullptr);
}

// The menu follows the active sheet.
TEST_F(TrindelTest, MenusFollowTheActiveSheet) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    form->UpdateMenuItems();
    EXPECT_TRUE(Action("Assessments1")->isEnabled());
    EXPECT_FALSE(Action("Experts1")->isEnabled());
    EXPECT_TRUE(Menu("Edit1")->menuAction()->isEnabled());
    EXPECT_TRUE(Action("FileSaveAsItem")->isEnabled());
    EXPECT_FALSE(Action("FileSaveItem")->isEnabled());
    Action("Items1")->trigger();
    QApplication::processEvents();
    ASSERT_NE(ChildSheets[0], nullptr);
    form->UpdateMenuItems();
    EXPECT_TRUE(CurrentWindowFlags()[RealisationsActive]);
    EXPECT_FALSE(CurrentWindowFlags()[ExpertsActive]);
    EXPECT_FALSE(Action("Assessments1")->isEnabled());
    EXPECT_TRUE(Action("Experts1")->isEnabled());
    EXPECT_FALSE(Action("OpenItemsWindow1")->isEnabled());
}

// Exit closes the case at once; the experts sheet does not refuse by minimising itself.
TEST_F(TrindelTest, ExitClosesTheCaseAtOnce) {
    OpenThrough(CopyCase("golden_case", "golden_case"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(ExpertsSheet, nullptr);
    EXPECT_EQ(CountExperts(), 0);
}

TEST_F(TrindelTest, HelpOpensTheSharedHelpFile) {
    prompts.SetShowHelpResult(true);
    Action("HelpAboutItem")->trigger();
    ASSERT_FALSE(prompts.Recorded().empty());
    EXPECT_EQ(prompts.Recorded().back().Kind, "help");
    EXPECT_EQ(prompts.Recorded().back().Text, "Halvorine.hlp");
}

}  // namespace
