// Passing the cursor over every cell of every sheet stores nothing: the case files written
// afterwards are the files that were read.
#include "main_form_fixture.h"
#include "sheet_fixture.h"

#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/core/io_error.h"
#include "engine/assessments_file.h"
#include "engine/items_file.h"
#include "scratch_folder.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

std::string FileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class RoundTripTest : public SheetTest, public ::testing::WithParamInterface<int> {
protected:
    void TabThrough(SheetGrid* grid) {
        GridSource* s = grid->Source();
        int cells = 0;
        for (int r = s->HeaderRows(); r < s->GridRows(); ++r)
            for (int c = 0; c < s->GridCols(); ++c)
                if (s->CanSelect(c, r)) ++cells;
        grid->setFocus();
        for (int i = 0; i <= cells; ++i) Key(Qt::Key_Tab);
    }
};

TEST_P(RoundTripTest, TabbingThroughEveryCellChangesNoFile) {
    FieldWidth = GetParam();
    WeightType = UserWeighting;  // the user-weight column takes the cursor too
    const std::filesystem::path src = std::filesystem::path(FIXTURES_DIR) / "case";
    const test_support::ScratchFolder scratch("sheets_round_trip");
    const std::filesystem::path& dir = scratch.Path();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(ReadAssessmentsFile((src / "case.dtt").string()), 0);
    ASSERT_EQ(ReadItemsFile((src / "case.rls").string()), 0);
    ActiveExpert = ExpertTable[1].get();

    TExpertsSheet* experts = OpenExperts();
    TabThrough(experts->ExpertsGrid);
    TItemsSheet* items = OpenRealisations();
    TabThrough(items->ItemsGrid);
    area->setActiveSubWindow(experts);
    for (int row = 1; row <= 3; ++row) {
        experts->ExpertsGrid->SetCursor(1, row);
        experts->OpenExpertItemsSheet(0);
        TItemsSheet* assessments = ChildSheets[row];
        ASSERT_NE(assessments, nullptr);
        ASSERT_EQ(assessments->Core.Expert, ExpertTable[row].get());
        TabThrough(assessments->ItemsGrid);
        area->setActiveSubWindow(experts);
    }
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);

    ASSERT_TRUE(WriteAssessmentsFile((dir / "out.dtt").string()));
    ASSERT_TRUE(WriteItemsFile((dir / "out.rls").string()));
    EXPECT_EQ(FileBytes(dir / "out.dtt"), FileBytes(src / "case.dtt"));
    EXPECT_EQ(FileBytes(dir / "out.rls"), FileBytes(src / "case.rls"));
}

INSTANTIATE_TEST_SUITE_P(FieldWidths, RoundTripTest, ::testing::Values(10, 5));

// A Save As whose second file cannot be written leaves no half case behind: the old files,
// the old name, the changes still to be saved; once the place can be written it saves whole.
TEST_F(MainFormTest, AFailedSaveAsKeepsTheCaseAsItWas) {
    OpenThrough(CopyExample(".dtt"));
    ASSERT_NE(ExpertsSheet, nullptr);
    ExpertTable[1]->Name = "Renamed expert";
    ItemTable[2]->Name = "Renamed item";
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    form->UpdateMenuItems();
    const std::string oldDtt = ReadFile(root_ / "STORM.dtt");
    const std::string oldRls = ReadFile(root_ / "STORM.rls");

    Folder("elsewhere/data.rls");  // a folder where the items file would go
    prompts.QueueSaveFile((root_ / "elsewhere" / "data.dtt").string());
    EXPECT_THROW(form->FileSaveAsItemClick(), IoError);
    EXPECT_EQ(CaseFile.CaseName, "STORM");
    EXPECT_EQ(CaseFile.CaseFileName, (root_ / "STORM.dtt").string());
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
    EXPECT_EQ(form->windowTitle(), "STORM: Halvorine v1.0");
    EXPECT_FALSE(std::filesystem::exists(root_ / "elsewhere" / "data.dtt")) << "no half of the pair";
    EXPECT_EQ(ReadFile(root_ / "STORM.dtt"), oldDtt);
    EXPECT_EQ(ReadFile(root_ / "STORM.rls"), oldRls);
    RefreshMenus();
    EXPECT_TRUE(Action("SaveBtn")->isEnabled());

    std::filesystem::remove(root_ / "elsewhere" / "data.rls");
    prompts.Clear();
    prompts.QueueSaveFile((root_ / "elsewhere" / "data.dtt").string());
    form->FileSaveAsItemClick();
    EXPECT_EQ(CaseFile.CaseName, "data");
    EXPECT_FALSE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_FALSE(CaseFile.FileKinds[ItemsFileKind].Modified);
    const std::vector<std::string> saved = {ExpertTable[1]->Name.str(), ItemTable[2]->Name.str()};

    prompts.QueueAnswer(platform::Answer::Yes);
    ASSERT_TRUE(form->CloseChildren());
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Close the current case?"}) << "nothing left to save";
    OpenThrough((root_ / "elsewhere" / "data.dtt").string());
    EXPECT_EQ((std::vector<std::string>{ExpertTable[1]->Name.str(), ItemTable[2]->Name.str()}), saved);
    EXPECT_EQ(saved, (std::vector<std::string>{"Renamed expert", "Renamed item"}));
}

// A save that fails while a sheet closes (the file is read-only) leaves the sheet open with the
// case in it: the close is abandoned, as when the user answers Cancel, and nothing is lost.
TEST_F(MainFormTest, ASaveThatFailsOnCloseKeepsTheSheetAndTheCase) {
    OpenThrough(CopyExample(".dtt"));
    ASSERT_NE(ExpertsSheet, nullptr);
    ExpertTable[1]->Name = "Edited before the close";
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    form->UpdateMenuItems();
    std::filesystem::permissions(root_ / "STORM.dtt", std::filesystem::perms::owner_read);
    const std::string old = ReadFile(root_ / "STORM.dtt");

    auto* open = qobject_cast<QToolButton*>(form->SpeedPanel->widgetForAction(Action("OpenBtn")));
    ASSERT_NE(open, nullptr);
    prompts.Clear();
    prompts.QueueAnswer(platform::Answer::Yes);  // save the changes
    prompts.QueueAnswer(platform::Answer::Ok);   // the error
    QTest::mouseClick(open, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(prompts.MessageTexts().size(), 2u);
    EXPECT_EQ(prompts.MessageTexts()[1], "I/O error on " + (root_ / "STORM.dtt").string() + ": file is read-only");
    for (const auto& p : prompts.Recorded()) EXPECT_NE(p.Kind, "open") << "no other case is opened over it";
    ASSERT_NE(ExpertsSheet, nullptr) << "the sheet stays";
    EXPECT_TRUE(ExpertsSheet->isVisible());
    ASSERT_NE(ExpertTable[1], nullptr);
    EXPECT_EQ(ExpertTable[1]->Name.str(), "Edited before the close");
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_EQ(ReadFile(root_ / "STORM.dtt"), old);

    // Once the file can be written, the same close saves it.
    std::filesystem::permissions(root_ / "STORM.dtt", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    prompts.Clear();
    prompts.QueueAnswer(platform::Answer::Yes);
    prompts.QueueAnswer(platform::Answer::Yes);  // "Close the current case?"
    ASSERT_TRUE(form->CloseChildren());
    OpenThrough((root_ / "STORM.dtt").string());
    ASSERT_NE(ExpertTable[1], nullptr);
    EXPECT_EQ(ExpertTable[1]->Name.str(), "Edited before the close");
}

}  // namespace
