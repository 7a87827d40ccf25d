// F4 on rows selected in row mode, with the other sheets open: each selected row's filter flag
// flips on its own (flagged rows come free, the others are flagged), rows outside the selection
// and the other table keep theirs, and the files keep what the sheet shows: a flag is an edit,
// saved by Save and asked about at close.
#include "filter_rows_support.h"
#include "main_form_fixture.h"
#include "sheet_cells.h"

#include <ostream>

#include "engine/assessments_file.h"
#include "engine/items_file.h"

namespace {

using namespace sheet_cells;
using filter_rows::FilterCase;
using filter_rows::Select;

class FilterRowsTest : public MainFormTest, public ::testing::WithParamInterface<FilterCase> {
protected:
    // The example case flagged as the strings say, through the program's own writers, and a
    // program started afresh.
    std::string FlaggedExample(const std::string& experts, const std::string& items) {
        const std::string dtt = CopyExample(".dtt");
        const std::string rls = (root_ / "STORM.rls").string();
        EXPECT_EQ(ReadAssessmentsFile(dtt), 0);
        EXPECT_EQ(ReadItemsFile(rls), 0);
        for (std::size_t i = 0; i < experts.size(); ++i) ExpertTable[i + 1]->FilterFlag = experts[i] == 'F';
        for (std::size_t i = 0; i < items.size(); ++i) ItemTable[i + 1]->FilterFlag = items[i] == 'F';
        EXPECT_TRUE(WriteAssessmentsFile(dtt));
        EXPECT_TRUE(WriteItemsFile(rls));
        FreshProgram();
        return dtt;
    }

    static std::string ExpertFlags() { return filter_rows::FlagLetters(ExpertTable); }
    static std::string ItemFlags() { return filter_rows::FlagLetters(ItemTable); }
};

TEST_P(FilterRowsTest, F4FlipsEachSelectedRowOnItsOwn) {
    const FilterCase& c = GetParam();
    const std::string dtt = FlaggedExample(c.ExpertsBefore, c.ItemsBefore);
    OpenThrough(dtt);
    ASSERT_NE(ExpertsSheet, nullptr);
    ASSERT_EQ(ExpertFlags(), c.ExpertsBefore);
    ASSERT_EQ(ItemFlags(), c.ItemsBefore);
    Action("Items1")->trigger();
    Action("Assessments1")->trigger();
    QApplication::processEvents();
    ASSERT_NE(GridOf(R), nullptr);
    ASSERT_NE(GridOf(A), nullptr);

    SheetGrid* grid = GridOf(c.Items ? R : E);
    ASSERT_NO_FATAL_FAILURE(filter_rows::PickRows(grid, c));

    test_support::KeyToFocus(Qt::Key_F4);
    EXPECT_EQ(ExpertFlags(), c.ExpertsAfter);
    EXPECT_EQ(ItemFlags(), c.ItemsAfter);
    filter_rows::ExpectGreyedAsFlagged(grid, c.Items ? c.ItemsAfter : c.ExpertsAfter);

    // The flags are written with the records: Save is enabled and writes them, and closing the
    // case first asks whether to save them.
    RefreshMenus();
    ASSERT_TRUE(Action("FileSaveItem")->isEnabled()) << "F4 left nothing to save";
    Action("FileSaveItem")->trigger();
    QApplication::processEvents();
    FreshProgram();
    OpenThrough(dtt);
    ASSERT_NE(ExpertsSheet, nullptr);
    EXPECT_EQ(ExpertFlags(), c.ExpertsAfter);
    EXPECT_EQ(ItemFlags(), c.ItemsAfter);

    // Flipped back and the case closed: the question comes, and No leaves the file as saved.
    Action(c.Items ? "Items1" : "Experts1")->trigger();
    QApplication::processEvents();
    grid = GridOf(c.Items ? R : E);
    ASSERT_NO_FATAL_FAILURE(filter_rows::PickRows(grid, c));
    test_support::KeyToFocus(Qt::Key_F4);
    ASSERT_EQ(c.Items ? ItemFlags() : ExpertFlags(), c.Items ? c.ItemsBefore : c.ExpertsBefore);
    const std::size_t asked = prompts.MessageTexts().size();
    prompts.QueueAnswer(platform::Answer::No);
    if (c.Items) prompts.QueueAnswer(platform::Answer::Yes);  // "Close the current case?"
    ASSERT_TRUE(form->CloseChildren());
    const std::vector<std::string> texts = prompts.MessageTexts();
    ASSERT_GT(texts.size(), asked) << "no save question for the flags";
    EXPECT_NE(texts[asked].find("ave"), std::string::npos) << texts[asked];
    FreshProgram();
    OpenThrough(dtt);
    EXPECT_EQ(ExpertFlags(), c.ExpertsAfter);
    EXPECT_EQ(ItemFlags(), c.ItemsAfter);
}

// Every selection mixes flagged and unflagged rows, and no outcome is all flagged or all clear
// within it, nor follows the first or the last row clicked. The example has 4 experts and 12 items.
INSTANTIATE_TEST_SUITE_P(MixedSelections, FilterRowsTest,
                         ::testing::Values(FilterCase{"experts_1_to_3_by_keys", false, 1, 3, Select::Keys, "F.F.",
                                                      "..F.........", ".F..", "..F........."},
                                           FilterCase{"experts_4_up_to_2_by_mouse", false, 4, 2, Select::Mouse, ".FF.",
                                                      "............", "...F", "............"},
                                           FilterCase{"items_5_up_to_2_by_keys", true, 5, 2, Select::Keys, "F...",
                                                      "..F.F.......", "F...", ".F.F........"},
                                           FilterCase{"items_1_to_6_by_mouse", true, 1, 6, Select::Mouse, "....",
                                                      "FF..F......F", "....", "..FF.F.....F"}),
                         [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.Name); });

}  // namespace
