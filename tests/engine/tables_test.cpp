#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "case_builder.h"
#include "engine/globals.h"
#include "engine/tables.h"

using namespace halvorine;

using namespace testcase;

namespace {

class TablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        SetLevels({5, 50, 95});
    }
    void TearDown() override { ResetGlobals(); }

    // Three UNI items, two of them seeds, and two experts with increasing values.
    void SmallCase() {
        AddItem("X1", "UNI", 5);
        AddItem("X2", "UNI", 12);
        AddItem("X3", "UNI");
        AddExpert("E1", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
        AddExpert("E2", {{1.5f, 2.5f, 3.5f}, {4.5f, 5.5f, 6.5f}, {7.5f, 8.5f, 9.5f}});
    }
};

TEST_F(TablesTest, MissingValueConventions) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(NoValue), 0xC479E666u);
    struct Case {
        float value;
        bool missing;
    } cases[] = {{-999.45f, true},     {-999.59f, true},  {-999.39f, false}, {NoValue, true},
                 {MissingValue, true}, {-999.61f, false}, {0.0f, false}};
    for (const auto& c : cases) EXPECT_EQ(IsMissing(c.value), c.missing) << c.value;

    TItem item;
    EXPECT_FALSE(IsSeedItem(&item)) << "no realisation parsed";
    item.HasRealisation = true;
    item.Realisation = MissingValue;
    EXPECT_FALSE(IsSeedItem(&item)) << "exactly the missing value";
    item.Realisation = -999.45f;
    EXPECT_TRUE(IsSeedItem(&item)) << "a parsed realisation just above the missing value";
}

TEST_F(TablesTest, FreshRecordsAreValueInitialised) {
    TItem* item = NewItem("X", "name", 1);
    EXPECT_EQ(std::string(item->Scale), "LOG");
    EXPECT_EQ(item->Realisation, NoValue);
    EXPECT_EQ(item->IntrinsicLow, NoValue);
    EXPECT_EQ(item->IntrinsicHigh, NoValue);
    EXPECT_EQ(item->ItemWeightSum, 0.0f);
    TExpert* x = NewExpert("A-very-long-id", "", 1);
    EXPECT_EQ(std::string(x->Id), "A-very-l");
    EXPECT_EQ(x->Weight, MissingValue);
    EXPECT_EQ(x->Calibration, 0.0f);
    EXPECT_FALSE(x->IsDecisionMaker);
    TAssessment* a = NewAssessment(x, 1);
    EXPECT_EQ(a->Item, nullptr);
    EXPECT_EQ(a->Values[1], NoValue);
    EXPECT_EQ(a->Values[25], NoValue);
    EXPECT_EQ(a->Distribution.Family, FamilyNone);
}

TEST_F(TablesTest, BinProbabilities) {
    EXPECT_FLOAT_EQ(BinProbabilities[1], 0.05f);
    EXPECT_FLOAT_EQ(BinProbabilities[2], 0.45f);
    EXPECT_FLOAT_EQ(BinProbabilities[3], 0.45f);
    EXPECT_FLOAT_EQ(BinProbabilities[4], 0.05f);
    // Counts outside 1..25 leave the table alone instead of writing past it.
    for (int bad : {0, 26, -3, 30000}) {
        QuantileCount = bad;
        ComputeBinProbabilities();
        EXPECT_FLOAT_EQ(BinProbabilities[4], 0.05f);
    }
}

TEST_F(TablesTest, DefaultIdentifiersStayDistinctWithinTheirWidth) {
    struct Case {
        std::string got, want;
    } cases[] = {
        {DefaultItemId(7), "_item  7"},
        {DefaultItemId(1000), "_item1000"},
        {DefaultExpertId(7), "_exp   7"},
        {DefaultExpertId(999), "_exp 999"},
        {DefaultExpertId(1000), "_exp1000"},
        {DefaultDecisionMakerId(1), "DMaker 1"},
        {DefaultDecisionMakerId(99), "DMaker99"},
        {DefaultDecisionMakerId(100), "DMake100"},
        {DefaultDecisionMakerId(10000), "DMa10000"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
    EXPECT_NE(DefaultExpertId(1000), DefaultExpertId(100).substr(0, 8));
    EXPECT_TRUE(IsDefaultExpertId("_exp1000"));
    EXPECT_TRUE(IsDefaultExpertId("_exp  12"));
    EXPECT_FALSE(IsDefaultExpertId("_expert"));
    EXPECT_FALSE(IsDefaultExpertId("_exp"));
}

TEST_F(TablesTest, InsertItemShiftsItemsAndGivesEveryExpertAMissingSlot) {
    for (const char* id : {"I1", "I2", "I3", "I4", "I5"}) AddItem(id);
    AddExpert("E1", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
    AddExpert("E2", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
    TItem* old3 = ItemTable[3].get();
    ASSERT_EQ(InsertItem("NEW", "", 3), 3);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"I1", "I2", "NEW", "I3", "I4", "I5"}));
    EXPECT_EQ(ItemTable[4].get(), old3);
    for (int e = 1; e <= 2; ++e) {
        TAssessment* a = ExpertTable[e]->Assessments[3].get();
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->Item, ItemTable[3].get());
        for (int k = 1; k <= 3; ++k) EXPECT_EQ(a->Values[k], NoValue);
        EXPECT_EQ(ExpertTable[e]->Assessments[4]->Item, old3);
    }
    // Position 0 means the first position.
    ASSERT_EQ(InsertItem("FIRST", "", 0), 1);
    EXPECT_EQ(std::string(ItemTable[1]->Id), "FIRST");
}

TEST_F(TablesTest, InsertIntoFullTablesIsRefused) {
    for (int i = 1; i <= MaxItemCount; ++i) NewItem("I" + std::to_string(i), "", i);
    EXPECT_EQ(InsertItem("X", "", 5), 0);
    EXPECT_EQ(std::string(ItemTable[5]->Id), "I5");
    for (int e = 1; e <= ExpertSlotCount; ++e) NewExpert("E" + std::to_string(e), "", e);
    EXPECT_EQ(InsertExpert("X", "", 5), 0);
    EXPECT_EQ(std::string(ExpertTable[5]->Id), "E5");
}

TEST_F(TablesTest, DecisionMakersFollowTheDataExperts) {
    SmallCase();
    BuildItemIndexMap();
    ASSERT_TRUE(AddDecisionMaker(""));
    EXPECT_EQ(ExpertCount, 2);
    EXPECT_EQ(std::string(ExpertTable[3]->Id), "DMaker 1");
    EXPECT_TRUE(ExpertTable[3]->IsDecisionMaker);
    for (int i = 1; i <= 3; ++i) {
        TAssessment* a = AssessmentAt(3, i);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->Item, ItemTable[i].get());
        EXPECT_TRUE(a->Valid);
    }
    EXPECT_EQ(ExpertTable[3]->Assessments[0], nullptr);
    ASSERT_TRUE(AddDecisionMaker("Mine"));
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "E2", "Mine", "DMaker 1"}));
    EXPECT_EQ(ExpertCount, 2);
    EXPECT_EQ(DecisionMakerCount, 2);
}

TEST_F(TablesTest, DecisionMakerIsRefusedWithoutDataExpertsOrWithAnUnmappedItem) {
    AddItem("X1");
    EXPECT_FALSE(AddDecisionMaker("DM"));
    EXPECT_EQ(ExpertTable[1], nullptr);

    SmallCase();
    BuildItemIndexMap();
    ItemColumnMap[2] = 0;  // an item without a slot
    EXPECT_FALSE(AddDecisionMaker("DM"));
    EXPECT_EQ(ExpertIds().size(), 2u);
}

TEST_F(TablesTest, AssessmentAtIsNullForAnUnmappedItemOrMissingExpert) {
    SmallCase();
    BuildItemIndexMap();
    EXPECT_NE(AssessmentAt(1, 2), nullptr);
    ItemColumnMap[2] = 0;
    EXPECT_EQ(AssessmentAt(1, 2), nullptr);
    EXPECT_EQ(AssessmentAt(5, 1), nullptr);
    EXPECT_EQ(AssessmentAt(0, 1), nullptr);
    EXPECT_EQ(AssessmentAt(1, 1001), nullptr);
}

TEST_F(TablesTest, DeletingAnItemTheExpertNeverAssessedEnds) {
    SmallCase();
    TExpert* x = ExpertTable[1].get();
    x->Assessments[2].reset();
    CompactAssessments(x, 1);
    DeleteAssessmentsOfItems(x, 2, 2, ItemTable);
    EXPECT_EQ(x->Assessments[1]->Item, ItemTable[1].get());
    EXPECT_EQ(x->Assessments[2]->Item, ItemTable[3].get());
    EXPECT_EQ(x->Assessments[3], nullptr);
}

TEST_F(TablesTest, DeletingAnItemReachesDecisionMakers) {
    SmallCase();
    BuildItemIndexMap();
    ASSERT_TRUE(AddDecisionMaker(""));
    TItem* gone = ItemTable[2].get();
    DeleteItems(false, 2, 2, nullptr, ItemTable);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"X1", "X3"}));
    for (int e = 1; e <= 3; ++e) {
        for (int s = 1; s <= MaxItemCount; ++s) {
            const auto& a = ExpertTable[e]->Assessments[s];
            if (a) {
                EXPECT_NE(a->Item, gone) << "expert " << e << " slot " << s;
            }
        }
        EXPECT_EQ(ExpertTable[e]->Assessments[2]->Item, ItemTable[2].get());
    }
}

TEST_F(TablesTest, CutAndPasteThroughSideTablesWithDecisionMakers) {
    SmallCase();
    AddExpert("E3", {});
    AddExpert("E4", {});
    BuildItemIndexMap();
    ASSERT_TRUE(AddDecisionMaker(""));
    ASSERT_EQ(ExpertCount, 4);

    // Cut experts 2..3 into the undo buffer.
    ExpertTableType undo;
    DeleteExperts(2, 3, ExpertTable, &undo);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "E4", "DMaker 1"}));
    EXPECT_EQ(ExpertCount, 2);
    EXPECT_EQ(ExpertCountBeforeFilter, 4);

    // Working on the side table itself leaves the counters alone.
    int before = ExpertCount;
    ExpertTableType spare;
    DeleteExperts(3, 3, undo, &spare);
    EXPECT_EQ(ExpertCount, before);
    ASSERT_EQ(MoveExperts(2, 3, 3, spare), 1);
    EXPECT_EQ(spare[3], nullptr);
    EXPECT_EQ(std::string(ExpertTable[2]->Id), "E3");
    EXPECT_EQ(ExpertCount, 3);

    // Paste the rest back in place: one owner per record, only moved entries counted.
    EXPECT_EQ(MoveExperts(2, 2, 3, undo), 1);
    EXPECT_EQ(undo[2], nullptr);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "E2", "E3", "E4", "DMaker 1"}));
    EXPECT_EQ(ExpertCount, 4);
    EXPECT_EQ(MoveExperts(2, 2, 3, undo), 0) << "a second paste finds nothing left";

    // Items the same way; a position below 1 is the first position.
    ItemTableType cut;
    DeleteItems(false, 1, 2, &cut, ItemTable);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"X3"}));
    EXPECT_EQ(MoveItems(-4, 1, 2, cut), 2);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"X1", "X2", "X3"}));
    EXPECT_EQ(cut[1], nullptr);
    EXPECT_EQ(MoveItems(1, 2, 1, cut), 0);
}

TEST_F(TablesTest, MoveStopsAtTheEndOfTheTable) {
    for (int i = 1; i <= MaxItemCount - 1; ++i) NewItem("I" + std::to_string(i), "", i);
    ItemTableType side;
    side[1] = std::make_unique<TItem>();
    side[1]->Id = "A";
    side[2] = std::make_unique<TItem>();
    side[2]->Id = "B";
    EXPECT_EQ(MoveItems(999, 1, 2, side), 1);
    EXPECT_EQ(std::string(ItemTable[999]->Id), "A");
    EXPECT_EQ(side[1], nullptr);
    ASSERT_NE(side[2], nullptr) << "what found no room stays in the side table";
    EXPECT_EQ(std::string(side[2]->Id), "B");
}

TEST_F(TablesTest, ExpertFilterRoundTrip) {
    SmallCase();
    AddExpert("E3", {{1, 2, 3}});
    ExpertTable[2]->FilterFlag = true;
    FilterExpertsOut(FilteredExperts);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "E3"}));
    EXPECT_EQ(ExpertCount, 2);
    RestoreFilteredExperts(FilteredExperts);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "E2", "E3"}));
    EXPECT_EQ(ExpertCount, 3);

    // All flagged: the count stays 0 and the next check recounts.
    for (int e = 1; e <= 3; ++e) ExpertTable[e]->FilterFlag = true;
    FilterExpertsOut(FilteredExperts);
    EXPECT_EQ(ExpertCount, 0);
    RestoreFilteredExperts(FilteredExperts);
    EXPECT_EQ(ExpertIds().size(), 3u);
    EXPECT_EQ(ExpertCount, 0);
    for (int e = 1; e <= 3; ++e) ExpertTable[e]->FilterFlag = false;
    EXPECT_GT(CheckCaseData(), 0);
    EXPECT_EQ(ExpertCount, 3);
}

TEST_F(TablesTest, RecountStopsAtADecisionMaker) {
    SmallCase();
    BuildItemIndexMap();
    ASSERT_TRUE(AddDecisionMaker(""));
    ExpertCount = 0;
    EXPECT_EQ(CheckCaseData(), 2);
    EXPECT_EQ(ExpertCount, 2);
}

TEST_F(TablesTest, ItemFilterAndSideTablesLoseNothing) {
    SmallCase();
    ItemTable[2]->FilterFlag = true;
    FilterItemsOut(FilteredItems);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"X1", "X3"}));
    // Robustness flags an item too; clearing puts everything back.
    ItemTable[2]->FilterFlag = true;
    RobustnessFlaggedItems[2] = ItemTable[2].get();
    ClearItemFilter();
    EXPECT_FALSE(ItemTable[2]->FilterFlag);
    ClearItemSideTables();
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"X1", "X2", "X3"}));
    EXPECT_EQ(FilteredItems[2], nullptr);
}

TEST_F(TablesTest, SavedQuantilesGoBackToTheirOwnAssessments) {
    SmallCase();
    BuildItemIndexMap();
    ASSERT_TRUE(SaveRestoreQuantiles(true));
    TAssessment* e2x3 = ExpertTable[2]->Assessments[3].get();
    // Filter an item and an expert out in between and change values.
    ItemTable[1]->FilterFlag = true;
    FilterItemsOut(FilteredItems);
    ExpertTable[1]->FilterFlag = true;
    FilterExpertsOut(FilteredExperts);
    BuildItemIndexMap();
    e2x3->Values[2] = 42;
    ExpertTable[1]->Assessments[1]->Values[1] = 42;
    // The flagged expert waits in the side table, its filtered item's assessment in its slot.
    TAssessment* e1x1 = FilteredExperts[1]->Assessments[1].get();
    e1x1->Values[3] = 42;
    // An expert held elsewhere (a row operation's undo record) comes back too when named.
    ExpertTableType elsewhere;
    elsewhere[1] = std::move(ExpertTable[1]);
    elsewhere[1]->Assessments[2]->Values[1] = 42;
    ASSERT_TRUE(SaveRestoreQuantiles(false, &elsewhere));
    ExpertTable[1] = std::move(elsewhere[1]);
    EXPECT_EQ(e2x3->Values[2], 8.5f);
    EXPECT_EQ(ExpertTable[1]->Assessments[1]->Values[1], 1.5f);
    EXPECT_EQ(ExpertTable[1]->Assessments[2]->Values[1], 4.5f);
    EXPECT_EQ(e1x1->Values[3], 3.0f);
    EXPECT_TRUE(QuantileBackup.empty());
    EXPECT_TRUE(SaveRestoreQuantiles(false)) << "nothing saved: nothing to do";
}

TEST_F(TablesTest, DefaultItemNames) {
    AddItem("X1");
    AddItem("");
    ItemTable[2]->Name = "named";
    AddItem("");
    AddItem("");
    AddExpert("E1", {{1, 2, 3}, {1, 2, 3}, {}, {4, 5, 6}});
    EXPECT_TRUE(DefaultItemNames());
    // Item 3 was empty in every way and goes with its assessments; item 4 holds values and stays.
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"X1", "_item  2", "_item  3"}));
    EXPECT_EQ(ExpertTable[1]->Assessments[3]->Item, ItemTable[3].get());
    EXPECT_EQ(ExpertTable[1]->Assessments[3]->Values[1], 4.0f);
    EXPECT_EQ(ExpertTable[1]->Assessments[4], nullptr);
    EXPECT_FALSE(DefaultItemNames());
}

TEST_F(TablesTest, DefaultExpertNames) {
    AddItem("X1");
    AddExpert("", {{1, 2, 3}});
    AddExpert("OWN", {});
    AddExpert("", {{1, 2, 3}});
    AddExpert("", {});
    AddExpert("_exp   9", {});
    EXPECT_TRUE(DefaultExpertNames());
    // The trailing expert without id, name or values goes; one with values or an id of any kind stays.
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"_exp   1", "OWN", "_exp   3", "_exp   4"}));
    EXPECT_EQ(ExpertCount, 4);
}

// Every code of the data check, each from a small change of one fixture.
TEST_F(TablesTest, CheckCaseDataCodes) {
    struct Case {
        const char* name;
        void (*change)();
        int code;
        int expert;  // CheckedExpert, 0 = not checked
        int slot;    // ItemCount, 0 = not checked
    } cases[] = {
        {"valid", [] {}, 2, 0, 0},
        {"expert without id", [] { ExpertTable[2]->Id = ""; }, CheckNoExpertId, 0, 0},
        {"item without id", [] { ItemTable[2]->Id = ""; }, CheckNoItemId, 1, 2},
        {"slot 1 without item", [] { ExpertTable[2]->Assessments[1]->Item = nullptr; }, CheckNoItem, 2, 0},
        {"not increasing", [] { ExpertTable[2]->Assessments[3]->Values[3] = 8.5f; }, CheckNotIncreasing, 2, 3},
        {"zero on LOG",
         [] {
             ItemTable[3]->Scale = "log";
             ExpertTable[1]->Assessments[3]->Values[1] = 0;
         },
         CheckNotPositiveLog, 1, 3},
        {"realisation at zero on LOG",
         [] {
             ItemTable[1]->Scale = "LOG";
             ItemTable[1]->Realisation = 0;
         },
         CheckNotPositiveLog, 1, 1},
        {"one seed item", [] { ItemTable[2]->HasRealisation = false; }, CheckTooFewSeeds, 0, 0},
        {"slot holds another item", [] { std::swap(ExpertTable[2]->Assessments[2], ExpertTable[2]->Assessments[3]); },
         CheckNoItem, 2, 2},
        {"missing values are no error",
         [] {
             for (int e = 1; e <= 2; ++e)
                 for (int k = 1; k <= 3; ++k) ExpertTable[e]->Assessments[3]->Values[k] = NoValue;
         },
         2, 0, 0},
        {"flagged item is not checked",
         [] {
             ItemTable[2]->FilterFlag = true;
             ExpertTable[1]->Assessments[2]->Values[1] = 99;
         },
         2, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGlobals();
        SetLevels({5, 50, 95});
        SmallCase();
        c.change();
        EXPECT_EQ(CheckCaseData(), c.code);
        if (c.expert) {
            EXPECT_EQ(CheckedExpert, c.expert);
        }
        if (c.slot) {
            EXPECT_EQ(ItemCount, c.slot);
        }
    }
}

TEST_F(TablesTest, CheckCountsAndValidity) {
    SmallCase();
    ExpertTable[2]->Assessments[1]->Values[2] = NoValue;
    ItemTable[2]->FilterFlag = true;
    ExpertTable[1]->Assessments[2]->Values[1] = 99;  // not checked: flagged
    EXPECT_EQ(CheckCaseData(), 2);
    EXPECT_EQ(SeedItemCount, 2);
    EXPECT_EQ(SeedAssessmentCount, 2) << "the flagged seed item is not counted";
    EXPECT_EQ(ExpertTable[1]->SeedCount, 1);
    EXPECT_EQ(ExpertTable[2]->SeedCount, 0);
    EXPECT_EQ(MinSeedCount, 0);
    EXPECT_TRUE(ExpertTable[1]->Assessments[2]->Valid);
    EXPECT_FALSE(ExpertTable[2]->Assessments[1]->Valid);
    EXPECT_TRUE(ExpertTable[2]->HasInvalid);
    EXPECT_FALSE(ExpertTable[1]->HasInvalid);
    EXPECT_EQ(ExpertTable[1]->AssessedCount, 2);
}

TEST_F(TablesTest, SetAllScalesMarksBothFiles) {
    SmallCase();
    SetAllScales(1);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(std::string(ItemTable[i]->Scale), "LOG");
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified);
    EXPECT_TRUE(CaseFile.FileKinds[ItemsFileKind].Modified);
    ExpertTable[1]->Weight = 0.5f;
    ClearUserWeights();
    EXPECT_EQ(ExpertTable[1]->Weight, MissingValue);
}

}  // namespace
