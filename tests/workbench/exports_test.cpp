// The File menu's text exports: a sheet's view into a text file, and the questionnaire.
#include "main_form_fixture.h"

#include "common/core/line_io.h"
#include "workbench/sheet_export.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

namespace fs = std::filesystem;
using platform::Answer;

TEST_F(MainFormTest, ASheetExportAppendsToAnExistingTextFile) {
    OpenThrough(CopyExample(".dtt"));
    prompts.Clear();
    const std::string out = (root_ / "views.txt").string();
    prompts.QueueSaveFile(out);
    ExportSheet(nullptr, ExpertsSheet, false, ExportTarget::File);
    EXPECT_EQ(prompts.Recorded().back().Choice.Filter, "Output save files (*.txt)|*.txt");
    EXPECT_EQ(prompts.Recorded().back().Choice.FileName, "STORM") << "preset with the case name";
    const std::vector<std::string> first = ReadTextLines(out);
    ASSERT_GE(first.size(), 5u);
    EXPECT_EQ(first[0].substr(0, 25), " Case name : STORM       ");
    EXPECT_EQ(first[0].substr(61), "OBRIX version W4.0");
    EXPECT_EQ(first[1], std::string(80, '_'));
    EXPECT_EQ(first.back(), "\f");

    // The second export goes after the first, without a question.
    prompts.QueueSaveFile(out);
    ExportSheet(nullptr, ExpertsSheet, false, ExportTarget::File);
    EXPECT_TRUE(prompts.MessageTexts().empty());
    const std::vector<std::string> both = ReadTextLines(out);
    ASSERT_EQ(both.size(), 2 * first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), both.begin()));
    EXPECT_TRUE(std::equal(first.begin(), first.end(), both.begin() + static_cast<long>(first.size())));

    // A cancelled choice writes nothing.
    prompts.QueueSaveFile("");
    ExportSheet(nullptr, ExpertsSheet, false, ExportTarget::File);
    EXPECT_EQ(ReadTextLines(out).size(), both.size());
    EXPECT_FALSE(ExpertsTextOutput);
}

TEST_F(MainFormTest, TheQuestionnaireAsksForEveryNamedItem) {
    // Levels 5 and 95 %; three items, the second without a name.
    testcase::SetLevels({5, 95});
    testcase::AddItem("A")->Name = "Peak flow (m3/s)";
    testcase::AddItem("B");
    testcase::AddItem("C")->Name = "Depth (m)";
    testcase::AddExpert("E1", {{1, 2}, {1, 2}, {1, 2}});
    form->OpenItemsWindow1Click();
    RefreshMenus();
    ASSERT_TRUE(Action("Questionnaire1")->isEnabled());
    const std::string out = (root_ / "ask.txt").string();
    WriteFile("ask.txt", "old\r\n");
    prompts.QueueSaveFile(out);
    prompts.QueueAnswer(Answer::Ok);  // overwrite
    Action("Questionnaire1")->trigger();
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Output file ASK.TXT already exists. Overwrite?"});
    EXPECT_EQ(prompts.Recorded()[0].Choice.Filter, "Questionnaire save files (*.txt)|*.txt");
    EXPECT_EQ(ReadFile(out), "Please fill in your  5% and 95% quantiles for the following uncertain values\r\n"
                             "\r\n"
                             " 1. Peak flow (m3/s):\r\n"
                             "\r\n"
                             "    5%_______   95%_______\r\n"
                             "\r\n"
                             " 2. Depth (m):\r\n"
                             "\r\n"
                             "    5%_______   95%_______\r\n"
                             "\r\n");
}

TEST_F(MainFormTest, AQuestionnaireWithoutExpertsAsksForTheLevels) {
    form->MakeNewItemsForm();
    ItemTable[1]->Name = "Depth (m)";
    const std::string out = (root_ / "ask").string();
    prompts.QueueSaveFile(out);
    AnswerLevelsDialog(true);
    form->Questionnaire1Click();
    EXPECT_EQ(QuantileCount, 3);
    EXPECT_EQ(ReadFile(out + ".txt"),
              "Please fill in your  5%, 50% and 95% quantiles for the following uncertain values\r\n"
              "\r\n"
              " 1. Depth (m):\r\n"
              "\r\n"
              "    5%_______   50%_______   95%_______\r\n"
              "\r\n");
}

}  // namespace
