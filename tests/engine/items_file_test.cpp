#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_builder.h"
#include "case_file_support.h"
#include "column_line.h"
#include "common/core/line_io.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"

using namespace halvorine;

using namespace casefiles_test;
using ::testing::ElementsAre;

namespace {

class ItemsFileTest : public CaseFileTest {};

TEST_F(ItemsFileTest, ReaderLineRules) {
    const std::string longName(180, 'n');
    const std::string file = PutLines(
        "rules.rls",
        {
            ItemRow("1", "A", "twelve", "uni", "Alpha"),    // no number: no realisation yet
            ItemRow("1", "a", "1.5", "LOG", "Other name"),  // same item: the first parsed realisation
            ItemRow("1", "A", "99", ""),                    // keeps it; no scale word keeps the scale
            ItemRow("1", "A", "99", "LOG", "", true),
            ItemRow("2", "B", "-9.99600E+0002", "UNI"),  // the written form of "none"
            ItemRow("3", "C", " 1.23457E+0002", "xyz"),  // unknown scale word: the default
            "",
            ItemRow("4", "D", "1", "UNI") + " " + longName,  // a name past its field
            ColumnLine({{2, 5, "5"}}),                       // no id: fails
            ItemRow("6", "F", "1", "UNI"),
        },
        "\n");
    prompts_.QueueAnswer(platform::Answer::Ok);
    EXPECT_EQ(ReadItemsFile(file), 9) << "the blank line counts";
    EXPECT_EQ(prompts_.MessageTexts(),
              std::vector<std::string>{file + " holds at line 1 a value that is not a number the program can store.\n\r"
                                              "Such values are read as missing."});

    ASSERT_EQ(testcase::ItemIds(), (std::vector<std::string>{"A", "B", "C", "D"}));
    const TItem& a = *ItemTable[1];
    EXPECT_EQ(a.Realisation, 1.5f);
    EXPECT_TRUE(a.HasRealisation);
    EXPECT_EQ(a.Name.str(), "Alpha");
    EXPECT_EQ(a.Scale.str(), "LOG") << "the last scale word decides";
    EXPECT_TRUE(a.FilterFlag);

    const TItem& b = *ItemTable[2];
    EXPECT_EQ(b.Realisation, NoValue);
    EXPECT_TRUE(b.HasRealisation);
    EXPECT_FALSE(IsSeedItem(&b));
    EXPECT_FALSE(b.FilterFlag);
    EXPECT_EQ(ItemTable[3]->Scale.str(), "LOG");
    EXPECT_EQ(ItemTable[3]->Realisation, 123.457f);
    EXPECT_EQ(ItemTable[4]->Name.str(), std::string(173, 'n')) << "cut to its field";
    EXPECT_FALSE(ItemTable[4]->FilterFlag);
}

TEST_F(ItemsFileTest, EveryExpertGetsEveryItemInItsSlot) {
    testcase::SetLevels({5, 50, 95});
    const std::string dtt = PutLines("c.dtt", {"* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95",
                                               AssessmentRow("1", "E1", "1", "X2", "UNI", {"1", "2", "3"}),
                                               AssessmentRow("2", "E2", "1", "X2", "UNI", {"4", "5", "6"})});
    const std::string rls = PutLines(
        "c.rls", {ItemRow("1", "X1", "1", "UNI"), ItemRow("2", "X2", "2", "UNI"), ItemRow("3", "X3", "3", "UNI")});
    ASSERT_EQ(ReadAssessmentsFile(dtt), 0);
    ASSERT_EQ(ReadItemsFile(rls), 0);
    ASSERT_EQ(testcase::ItemIds(), (std::vector<std::string>{"X2", "X1", "X3"}));
    for (int e = 1; e <= 2; ++e) {
        for (int i = 1; i <= 3; ++i) {
            const TAssessment* a = AssessmentAt(e, i);
            ASSERT_TRUE(a);
            EXPECT_EQ(a->Item, ItemTable[i].get());
            if (i > 1) {
                EXPECT_THAT(std::vector<float>(a->Values + 1, a->Values + 4), ElementsAre(NoValue, NoValue, NoValue));
            }
        }
    }
    EXPECT_EQ(AssessmentAt(2, 1)->Values[3], 6.0f);
}

TEST_F(ItemsFileTest, ItemsBeyondTheTableAreDiscardedWithOneWarning) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 1001; ++i) lines.push_back(ItemRow(std::to_string(i), "X" + std::to_string(i), "1", "UNI"));
    const std::string file = PutLines("many.rls", lines);
    prompts_.QueueAnswer(platform::Answer::Ok);
    EXPECT_EQ(ReadItemsFile(file), 0);
    EXPECT_THAT(prompts_.MessageTexts(),
                ElementsAre(file + " contains more items than this version of the program can support (max 1000)."
                                   "\n\rThe extraneous items are discarded."));
    EXPECT_EQ(ItemTable[1000]->Id.str(), "X1000");
}

TEST_F(ItemsFileTest, WriterLayout) {
    TItem* x1 = testcase::AddItem("X1", "UNI", 123.4567f);
    x1->Name = "Height of the tower";
    TItem* x2 = testcase::AddItem("Item_fourteen_", "log");
    x2->FilterFlag = true;
    testcase::AddItem("", "UNI", 7);  // no id but a realisation: gets one
    const std::string path = PathOf("out.rls");
    ASSERT_TRUE(WriteItemsFile(path));
    EXPECT_THAT(ReadTextLines(path),
                ElementsAre(ItemRow("1", "X1", " 1.234567E+002", "UNI", "Height of the tower") + " ",
                            ItemRow("2", "Item_fourteen_", "-9.99600E+0002", "log", "", true),
                            ItemRow("3", "_item  3", " 7.00000E+0000", "UNI") + std::string(175, ' ')));

    ResetGlobals();
    ASSERT_EQ(ReadItemsFile(path), 0);
    EXPECT_EQ(ItemTable[1]->Realisation, 123.4567f);
    EXPECT_EQ(ItemTable[1]->Name.str(), "Height of the tower");
    EXPECT_EQ(ItemTable[2]->Scale.str(), "log");
    EXPECT_TRUE(ItemTable[2]->FilterFlag);
}

// The reader's "item of the last line" may be left from an earlier case, pointing at an empty slot or past the table.
TEST_F(ItemsFileTest, StaleItemHintIsChecked) {
    CurrentItemIndex = 1500;
    ASSERT_EQ(ReadItemsFile(PutLines("one.rls", {ItemRow("1", "X1", "1", "UNI")})), 0);
    EXPECT_EQ(testcase::ItemIds(), (std::vector<std::string>{"X1"}));
}

TEST_F(ItemsFileTest, Lookups) {
    testcase::AddItem("Alpha");
    testcase::AddItem("beta");
    TItem* gamma = testcase::AddItem("Gamma");
    EXPECT_EQ(ItemNumberOfId("BETA"), 2);
    EXPECT_EQ(ItemNumberOfId("gamma"), 3);
    EXPECT_EQ(ItemNumberOfId("delta"), 0);
    EXPECT_EQ(ItemNumberOfId(""), 0);
    EXPECT_EQ(ItemIndexOf(gamma), 3);
    EXPECT_EQ(ItemIndexOf(nullptr), 0);
    TItem outside;
    EXPECT_EQ(ItemIndexOf(&outside), 0);

    TExpert* e1 = NewExpert("E1", "", 1);
    TExpert* e2 = NewExpert("E2", "", 2);
    NewAssessment(e2, 3)->Item = ItemTable[1].get();
    NewExpert("E4", "", 4);  // after the first empty slot: not reached
    AddItemToExperts(gamma, 3);
    ASSERT_TRUE(e1->Assessments[3]);
    EXPECT_EQ(e1->Assessments[3]->Item, gamma);
    EXPECT_EQ(e1->Assessments[3]->Values[1], NoValue);
    EXPECT_EQ(e2->Assessments[3]->Item, ItemTable[1].get()) << "a taken slot is left alone";
    EXPECT_FALSE(ExpertTable[4]->Assessments[3]);
}

}  // namespace
