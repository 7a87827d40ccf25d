// A Save As whose second file cannot be written: the case keeps its old name and its changes.
#include <filesystem>

#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "trindel_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST_F(TrindelTest, AFailedSaveAsKeepsTheOldNameAndTheChanges) {
    const std::string opened = CopyCase("golden_case", "golden_case");
    OpenThrough(opened);
    ASSERT_NE(ExpertsSheet, nullptr);
    // The sheet opens on the first expert's Id: Tab to its Name and type over it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), "Annie");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(ExpertTable[1]->Name.str(), "Annie");
    form->File1Click();
    ASSERT_TRUE(Action("SaveBtn")->isEnabled());

    // The items file's name is taken by a folder: the expert data file is written, the items
    // file cannot replace the folder.
    fs::create_directories(root_ / "new.iy" / "inside");
    prompts.QueueSaveFile((root_ / "new.ey").string());
    EXPECT_THROW(form->FileSave(true), IoError);
    EXPECT_FALSE(fs::exists(root_ / "new.ey")) << "no half of a pair";
    EXPECT_EQ(CaseFile.CaseFileName, opened);
    EXPECT_EQ(CaseFile.CaseName, "golden_case");
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("golden_case: WTrindel"));
    EXPECT_EQ(prompts.BusyDepth(), 0);
    form->File1Click();
    EXPECT_TRUE(Action("SaveBtn")->isEnabled());

    // Save then writes the case under its own name; reopened, the change is there.
    Action("SaveBtn")->trigger();
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    // The experts sheet minimises itself at the first Close All and closes at the second.
    for (int i = 0; i < 2; ++i) {
        Action("CloseAllWindows")->trigger();
        QApplication::processEvents();
    }
    EXPECT_TRUE(prompts.MessageTexts().empty()) << "nothing is left unsaved";
    ASSERT_EQ(ExpertTable[1], nullptr);
    OpenThrough(opened);
    ASSERT_NE(ExpertTable[1], nullptr);
    EXPECT_EQ(ExpertTable[1]->Name.str(), "Annie");
}

}  // namespace
