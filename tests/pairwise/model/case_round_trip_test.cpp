#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model_test_support.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/workspace.h"

using namespace trindel;

using namespace pairtest;

namespace {

struct ItemExpect {
    const char* id;
    bool given;  // a realisation field that parses (-9.996E+0002 included)
    float realisation;
    const char* scale;
    const char* name;
    bool flagged;
};

// tests/fixtures/pairwise/case12.iy, field by field.
const ItemExpect Case12Items[] = {
    {"A1", true, 12.5f, "UNI", "Apples", false},
    {"B2", true, NoValue, "LOG", "", false},
    {"Pear", true, 3.25e-3f, "LOG", "Pears from the orchard", true},
    {"D4", true, NoValue, "uni", "", false},
    {"E5", true, 1.0e5f, "LOG", "Elderberries", false},
    {"F6", true, NoValue, "UNI", "Figs", false},
    {"G7", true, NoValue, "LOG", "", true},
    {"LongItemId1234", true, NoValue, "LOG", "Grapes, seedless", false},
    {"I9", true, -2.5f, "UNI", "", false},
    {"J10", true, NoValue, "LOG", "Juniper berries (dried)", false},
    {"K11", true, NoValue, "Log", "", false},
    {"L12", true, NoValue, "UNI", "Lemons", true},
};

struct ExpertExpect {
    const char* id;
    const char* name;
    bool flagged;
    std::vector<std::string> rows;  // answers of rows 1..12, columns 1..12
};

// tests/fixtures/pairwise/case12.ey: mirrored matrices with ties and blanks.
const ExpertExpect Case12Experts[] = {
    {"ANNA",
     "Anna Berg",
     false,
     {" << = <><><<", "> < < =>=> =", ">> ><<><>>=>", "  < >= < <>>", "=>>< > =>><<", "  >=< > <>=<", ">=<  < ==> >",
      "<<>>= = =>=>", ">=< <>== <=<", "<<<><<<<>  =", "> =<>= ==  <", ">=<<>><<>=> "}},
    {"bo",
     "",
     true,
     {"     >><=== ", "  =>=<===   ", " = <>  > >< ", " <> > < > <<", " =<< >=> = =", "<>  <  >  =<",
      "<= >=  ==   ", ">=< <<= <<  ", "== <  => =<<", "= < =  >= < ", "= >> =  >> >", "   >=>  > < "}},
    {"CarlJohn",
     "Carl Johansson",
     true,
     {" <<>>>=>>=><", "> ==>>< < >>", ">= ==<< << <", "<==  ><<=><<", "<<=  =  < > ", "<<><= <=<> >", "=>>> >  >>=<",
      "<  > =  <>>>", "<>>=>><> <<>", "= >< <<<> ==", "<< >< =<>= =", "><>> <><<== "}},
};

void ExpectCase12() {
    ASSERT_EQ(CountItems(), 12);
    EXPECT_EQ(AnswerColumnCount, 12);
    for (int i = 1; i <= 12; ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const ItemExpect& want = Case12Items[i - 1];
        const TPairItem& item = *ItemTable[i];
        EXPECT_EQ(item.Id.str(), want.id);
        EXPECT_EQ(item.HasRealisation, want.given);
        EXPECT_EQ(item.Realisation, want.realisation);
        EXPECT_EQ(item.Scale.str(), want.scale);
        EXPECT_EQ(item.Name.str(), want.name);
        EXPECT_EQ(item.FilterFlag, want.flagged);
    }
    ASSERT_EQ(CountExperts(), 3);
    for (int e = 1; e <= 3; ++e) {
        SCOPED_TRACE("expert " + std::to_string(e));
        const ExpertExpect& want = Case12Experts[e - 1];
        const TPairExpert& x = *ExpertTable[e];
        EXPECT_EQ(x.Id.str(), want.id);
        EXPECT_EQ(x.Name.str(), want.name);
        EXPECT_EQ(x.FilterFlag, want.flagged);
        ASSERT_EQ(RowCount(&x), 12);
        for (int r = 1; r <= 12; ++r) {
            const TAnswerRow& row = *x.AnswerRows[r];
            EXPECT_EQ(row.Item, ItemTable[r].get()) << "row " << r;
            EXPECT_EQ(std::string(row.Answers.begin() + 1, row.Answers.begin() + 13), want.rows[r - 1]) << "row " << r;
            for (int k = 13; k <= MaxItemCount; ++k) ASSERT_EQ(row.Answers[k], ' ') << "row " << r << " column " << k;
        }
    }
}

class CaseRoundTripTest : public ModelTest {};

TEST_F(CaseRoundTripTest, HandWrittenCaseReadsWritesAndReadsBackUnchanged) {
    ASSERT_EQ(ReadItemsFile(Fixture("case12.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(Fixture("case12.ey")), 0);
    ExpectCase12();
    EXPECT_EQ(ExpertDataHeader, "* TRINDEL ASCII OUTPUT FILE. NQ=   12");

    // Four items carry a realisation above the missing value; the first and the last count.
    AnswerColumnCount = 12;
    const ReferenceItems refs = FindReferenceItems();
    EXPECT_EQ(refs.Count, 4);
    EXPECT_EQ(refs.FirstId, "A1");
    EXPECT_EQ(refs.SecondId, "I9");

    ASSERT_TRUE(WriteItemsFile(PathOf("copy.iy")));
    ASSERT_TRUE(WriteExpertDataFile(PathOf("copy.ey")));
    EXPECT_EQ(ReadFile(PathOf("copy.iy")), ReadFile(Fixture("case12.iy")));
    EXPECT_EQ(ReadFile(PathOf("copy.ey")), ReadFile(Fixture("case12.ey")));
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified || CaseFile.FileKinds[ItemsFileKind].Modified) << "nothing to mend";

    ResetGlobals();
    ASSERT_EQ(ReadItemsFile(PathOf("copy.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(PathOf("copy.ey")), 0);
    ExpectCase12();
}

// Flagged records that a run filtered out are saved all the same, on their own rows.
TEST_F(CaseRoundTripTest, SavingWhileFilteredWritesEveryRecord) {
    ASSERT_EQ(ReadItemsFile(Fixture("case12.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(Fixture("case12.ey")), 0);
    FilterItemsOut(FilteredItems);
    FilterExpertsOut(FilteredExperts);
    ASSERT_EQ(CountItems(), 9);
    ASSERT_EQ(CountExperts(), 1);
    AnswerColumnCount = 9;  // as a recount of the filtered sheet would leave it

    ASSERT_TRUE(WriteExpertDataFile(PathOf("f.ey")));
    ASSERT_TRUE(WriteItemsFile(PathOf("f.iy")));
    EXPECT_EQ(ReadFile(PathOf("f.iy")), ReadFile(Fixture("case12.iy")));
    EXPECT_EQ(ReadFile(PathOf("f.ey")), ReadFile(Fixture("case12.ey")));
}

// An item held outside the table (cut, waiting for its paste) has no number: its rows are
// left out of the file instead of being written under position 0.
TEST_F(CaseRoundTripTest, RowsOfAnItemOutsideTheTableAreLeftOut) {
    AddItems({"A", "B", "C"});
    AddExpert("E1", {" >>", "< >", "<< "});
    ItemTableType cut;
    DeleteItems(false, 2, 2, &cut, ItemTable);
    ASSERT_TRUE(WriteExpertDataFile(PathOf("cut.ey")));
    ResetGlobals();
    AddItems({"A", "C"});
    ASSERT_EQ(ReadExpertDataFile(PathOf("cut.ey")), 0);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(RowCount(ExpertTable[1].get()), 2);
}

// An empty or repeated item id would move every later answer column on reload: such items
// are saved under their automatic ids, and both files say so.
// Only ids beginning "_item" exactly are the program's and renumbered; "_Item A" and "_ITEM B"
// are the user's and kept. A user's id that spells an automatic one in capitals is kept too, and
// the automatic id that would repeat it takes the next free number. Before, every id beginning
// "_item" in any letter case was renamed.
TEST_F(CaseRoundTripTest, OnlyTheExactAutomaticPrefixIsRenumbered) {
    AddItems({"_ITEM  3", "_Item A", "_item x", "_iTeM  4", "_item 77"});
    AddExpert("E1", {" ><=<", "< >>>", ">< <<", "=<> >", ">>>< "});
    ASSERT_TRUE(WriteItemsFile(PathOf("p.iy")));
    ASSERT_TRUE(WriteExpertDataFile(PathOf("p.ey")));
    ResetGlobals();
    ASSERT_EQ(ReadItemsFile(PathOf("p.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(PathOf("p.ey")), 0);
    // Item 3's own number is a user's id, 4 too and 5 is item 5's: it takes 6.
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"_ITEM  3", "_Item A", "_item  6", "_iTeM  4", "_item  5"}));
    EXPECT_EQ(Matrix(ExpertTable[1].get(), 5), (std::vector<std::string>{" ><=<", "< >>>", ">< <<", "=<> >", ">>><"}));
}

TEST_F(CaseRoundTripTest, EmptyAndRepeatedIdsAreSavedUnderAutomaticIds) {
    AddItems({"A", "", "a", "D"});
    ItemTable[3]->Name = "third";
    AddExpert("E1", {" ><=", "< > ", ">  <", "= > "});
    AddExpert("E1", {" <<<", ">   ", ">   ", ">   "});
    ASSERT_TRUE(WriteItemsFile(PathOf("d.iy")));
    ASSERT_TRUE(WriteExpertDataFile(PathOf("d.ey")));
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified && CaseFile.FileKinds[ItemsFileKind].Modified);

    ResetGlobals();
    ASSERT_EQ(ReadItemsFile(PathOf("d.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(PathOf("d.ey")), 0);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"A", "_item  2", "_item  3", "D"}));
    EXPECT_EQ(ItemTable[3]->Name.str(), "third");
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "_exp   2"}));
    EXPECT_EQ(Matrix(ExpertTable[1].get(), 4), (std::vector<std::string>{" ><=", "< >", ">  <", "= >"}));
    EXPECT_EQ(Matrix(ExpertTable[2].get(), 4), (std::vector<std::string>{" <<<", ">", ">", ">"}));
}

}  // namespace

namespace {

TEST_F(CaseRoundTripTest, AnEmptyScaleIsSavedAsTheDefaultSoNoFieldShifts) {
    ASSERT_EQ(ReadItemsFile(Fixture("case12.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(Fixture("case12.ey")), 0);
    ItemTable[3]->Scale = "";
    ASSERT_TRUE(WriteItemsFile(PathOf("blank.iy")));
    ASSERT_TRUE(WriteExpertDataFile(PathOf("blank.ey")));
    ASSERT_EQ(ReadItemsFile(PathOf("blank.iy")), 0);
    ASSERT_EQ(ReadExpertDataFile(PathOf("blank.ey")), 0);
    EXPECT_EQ(ItemTable[3]->Scale.str(), "LOG");
    EXPECT_EQ(ItemTable[3]->Name.str(), "Pears from the orchard");
    EXPECT_TRUE(ItemTable[3]->FilterFlag);
    for (int e = 1; e <= 3; ++e) {
        const TPairExpert& x = *ExpertTable[e];
        std::string row;
        for (int t = 1; t <= 12; ++t) row += x.AnswerRows[3]->Answers[t];
        EXPECT_EQ(row, Case12Experts[e - 1].rows[2]) << "expert " << e;
    }
}

}  // namespace
