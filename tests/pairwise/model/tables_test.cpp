#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model_test_support.h"
#include "pairwise/model/formatting.h"

using namespace trindel;

using namespace pairtest;

namespace {

using Rows = std::vector<std::string>;

class TablesTest : public ModelTest {
protected:
    // n items I1..In and two experts whose every cell holds its own letter: E1 row r, column
    // c holds 'a' + 5(r-1) + (c-1), E2 the same in capitals (the diagonal too, so that it
    // moves visibly as well).
    void DistinctCase(int n) {
        std::vector<std::string> ids;
        for (int i = 1; i <= n; ++i) ids.push_back("I" + std::to_string(i));
        AddItems(ids);
        for (char base : {'a', 'A'}) {
            Rows rows;
            for (int r = 0; r < n; ++r) {
                std::string row;
                for (int c = 0; c < n; ++c) row += static_cast<char>(base + 5 * r + c);
                rows.push_back(row);
            }
            AddExpert(base == 'a' ? "E1" : "E2", rows);
        }
    }
    static Rows Upper(Rows rows) {
        for (auto& r : rows)
            for (char& c : r)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return rows;
    }
    // Each expert's row r refers to the item at position r.
    static void ExpectRowsOnTheirItems(const TPairExpert* x) {
        for (int r = 1; r <= MaxItemCount && x->AnswerRows[r]; ++r)
            EXPECT_EQ(x->AnswerRows[r]->Item, ItemTable[r].get()) << x->Id.str() << " row " << r;
    }
};

TEST_F(TablesTest, NewRecordsStartAsTheyShould) {
    TPairItem* item = NewItem("A-very-long-item-id", std::string(70, 'n'), 1);
    EXPECT_EQ(item->Id.str(), "A-very-long-it");
    EXPECT_EQ(item->Name.size(), 60u);
    EXPECT_EQ(item->Scale.str(), "LOG");
    EXPECT_EQ(std::bit_cast<std::uint32_t>(item->Realisation), 0xC479E666u);
    EXPECT_FALSE(item->HasRealisation || item->FilterFlag || item->NameDone);
    EXPECT_FALSE(IsReferenceItem(item)) << "a new item is never a reference item";
    item->HasRealisation = true;
    item->Realisation = MissingValue;
    EXPECT_FALSE(IsReferenceItem(item)) << "exactly -999.5";
    item->Realisation = -999.4f;
    EXPECT_TRUE(IsReferenceItem(item));

    TPairExpert* x = NewExpert("LongExpertId", std::string(55, 'x'), 1);
    EXPECT_EQ(x->Id.str(), "LongExpe");
    EXPECT_EQ(x->Name.size(), 50u);
    for (const auto& row : x->AnswerRows) EXPECT_EQ(row, nullptr);

    TAnswerRow* row = NewAnswerRow(x, 0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Item, nullptr);
    for (int k = 1; k <= MaxItemCount; ++k) ASSERT_EQ(row->Answers[k], ' ') << k;
    EXPECT_EQ(NewAnswerRow(x, 1001), nullptr);
}

// Each operation on the distinct-cell case, with the rows of E1 after it by hand (E2 the
// same in capitals).
TEST_F(TablesTest, ItemOperationsMoveRowsAndColumnsTogether) {
    struct Case {
        const char* what;
        int items;
        std::function<void()> operation;
        std::vector<std::string> ids;
        Rows rows;
    } cases[] = {
        {"insert at 2 of 3",
         3,
         [] { EXPECT_EQ(InsertItem("N", "", 2), 2); },
         {"I1", "N", "I2", "I3"},
         {"a bc", "", "f gh", "k lm"}},
        {"insert after the last of 3",
         3,
         [] { EXPECT_EQ(InsertItem("N", "", 4), 4); },
         {"I1", "I2", "I3", "N"},
         {"abc", "fgh", "klm", ""}},
        {"insert at 1 of 2", 2, [] { EXPECT_EQ(InsertItem("N", "", 1), 1); }, {"N", "I1", "I2"}, {"", " ab", " fg"}},
        {"delete 2 of 4",
         4,
         [] { DeleteItems(false, 2, 2, nullptr, ItemTable); },
         {"I1", "I3", "I4"},
         {"acd", "kmn", "prs"}},
        {"delete 2..3 of 5",
         5,
         [] { DeleteItems(false, 2, 3, nullptr, ItemTable); },
         {"I1", "I4", "I5"},
         {"ade", "pst", "uxy"}},
        {"delete the first and the last of 4",
         4,
         [] {
             DeleteItems(false, 4, 4, nullptr, ItemTable);
             DeleteItems(false, 1, 1, nullptr, ItemTable);
         },
         {"I2", "I3"},
         {"gh", "lm"}},
        {"rows of items 2 and 4 of 5 through DeleteAnswerRows",
         5,
         [] {
             for (int e = 1; e <= 2; ++e) {
                 DeleteAnswerRows(ExpertTable[e].get(), 4, 4);
                 DeleteAnswerRows(ExpertTable[e].get(), 2, 2);
             }
             DeleteItems(true, 4, 4, nullptr, ItemTable);
             DeleteItems(true, 2, 2, nullptr, ItemTable);
         },
         {"I1", "I3", "I5"},
         {"ace", "kmo", "uwy"}},
        {"a range whose last lies before its first changes nothing",
         3,
         [] { DeleteAnswerRows(ExpertTable[1].get(), 3, 2), DeleteAnswerRows(ExpertTable[2].get(), 3, 2); },
         {"I1", "I2", "I3"},
         {"abc", "fgh", "klm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        DistinctCase(c.items);
        c.operation();
        EXPECT_EQ(ItemIds(), c.ids);
        const int n = static_cast<int>(c.ids.size());
        EXPECT_EQ(Matrix(ExpertTable[1].get(), n + 1), [&] {
            Rows r = c.rows;
            r.push_back("<none>");
            return r;
        }());
        EXPECT_EQ(Matrix(ExpertTable[2].get(), n), Upper(c.rows));
        ExpectRowsOnTheirItems(ExpertTable[1].get());
        ExpectRowsOnTheirItems(ExpertTable[2].get());
    }
}

// Closing two gaps at once: each gap takes its own column, so no answer changes its pair.
TEST_F(TablesTest, CompactingRowsWithTwoGapsRemovesBothColumns) {
    DistinctCase(5);
    for (int e = 1; e <= 2; ++e) {
        ExpertTable[e]->AnswerRows[2].reset();
        ExpertTable[e]->AnswerRows[4].reset();
        CompactAnswerRows(ExpertTable[e].get(), 1);
    }
    EXPECT_EQ(Matrix(ExpertTable[1].get(), 4), (Rows{"ace", "kmo", "uwy", "<none>"}));
    EXPECT_EQ(Matrix(ExpertTable[2].get(), 3), (Rows{"ACE", "KMO", "UWY"}));

    // Rows missing only at the end are no gap: nothing moves.
    ExpertTable[1]->AnswerRows[3].reset();
    CompactAnswerRows(ExpertTable[1].get(), 1);
    EXPECT_EQ(Matrix(ExpertTable[1].get(), 3), (Rows{"ace", "kmo", "<none>"}));
}

// An expert with fewer rows than items keeps the answers of its later columns in place.
TEST_F(TablesTest, InsertedColumnShiftsOverEveryUsedItem) {
    DistinctCase(4);
    ExpertTable[1]->AnswerRows[4].reset();
    ExpertTable[1]->AnswerRows[3].reset();
    ASSERT_EQ(InsertItem("N", "", 2), 2);
    EXPECT_EQ(Matrix(ExpertTable[1].get(), 4), (Rows{"a bcd", "", "f ghi", "<none>"}));
    EXPECT_EQ(Matrix(ExpertTable[2].get(), 5), (Rows{"A BCD", "", "F GHI", "K LMN", "P QRS"}));
}

TEST_F(TablesTest, NewExpertGetsABlankRowForEveryItem) {
    DistinctCase(5);
    ASSERT_EQ(InsertExpert("NEW", "", 2), 2);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "NEW", "E2"}));
    const TPairExpert* x = ExpertTable[2].get();
    EXPECT_EQ(RowCount(x), 5);
    ExpectRowsOnTheirItems(x);
    EXPECT_EQ(Matrix(x, 5), (Rows{"", "", "", "", ""}));

    // In an empty case the new expert brings an empty first item.
    ResetGlobals();
    ASSERT_EQ(InsertExpert("ONLY", "", 1), 1);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{""}));
    EXPECT_EQ(RowCount(ExpertTable[1].get()), 1);
    ExpectRowsOnTheirItems(ExpertTable[1].get());
}

TEST_F(TablesTest, FullTablesRefuseNewEntries) {
    AddItems({"I1"});
    for (int e = 1; e <= MaxExpertCount; ++e) ASSERT_EQ(InsertExpert("E" + std::to_string(e), "", e), e);
    EXPECT_EQ(CountExperts(), 1000);
    EXPECT_EQ(InsertExpert("X", "", 1), 0);
    EXPECT_EQ(InsertExpert("X", "", 1001), 0);
    for (int e = MaxExpertCount + 1; e <= ExpertSlotCount; ++e) EXPECT_EQ(ExpertTable[e], nullptr) << e;
    EXPECT_EQ(ExpertTable[1]->Id.str(), "E1");
    EXPECT_EQ(ExpertTable[1000]->Id.str(), "E1000");

    // A full side table moved back stops where no slot is left.
    ExpertTableType side;
    side[1] = std::make_unique<TPairExpert>();
    EXPECT_EQ(MoveExperts(1, 1, 1, side), 0);
    EXPECT_NE(side[1], nullptr) << "kept, not lost";

    ResetGlobals();
    for (int i = 1; i <= MaxItemCount; ++i) NewItem("I" + std::to_string(i), "", i);
    EXPECT_EQ(InsertItem("X", "", 5), 0);
    EXPECT_EQ(CountItems(), 1000);
}

TEST_F(TablesTest, MoveReportsHowFarItGot) {
    AddItems({"I1", "I2"});
    ItemTableType side;
    side[3] = std::make_unique<TPairItem>();
    side[3]->Id = "S3";
    side[5] = std::make_unique<TPairItem>();
    side[5]->Id = "S5";
    EXPECT_EQ(MoveItems(2, 3, 5, side), 3) << "position of the last moved entry in the range";
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"I1", "S3", "I2", "S5"}));
    EXPECT_EQ(MoveItems(1, 2, 1, side), 0);
}

TEST_F(TablesTest, FilteringMovesOnlyTheRecordsAndPutsThemBack) {
    DistinctCase(4);
    ItemTable[2]->FilterFlag = true;
    ItemTable[4]->FilterFlag = true;
    ExpertTable[1]->FilterFlag = true;
    const Rows before = Matrix(ExpertTable[2].get(), 4);

    FilterItemsOut(FilteredItems);
    FilterExpertsOut(FilteredExperts);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"I1", "I3"}));
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E2"}));
    EXPECT_EQ(Matrix(ExpertTable[1].get(), 4), before) << "rows and columns stay where they are";

    // A second filtering while the side tables are in use does nothing.
    ItemTable[1]->FilterFlag = true;
    FilterItemsOut(FilteredItems);
    EXPECT_EQ(CountItems(), 2);

    EXPECT_EQ(RestoreFilteredItems(FilteredItems), 2);
    RestoreFilteredExperts(FilteredExperts);
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"I1", "I2", "I3", "I4"}));
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "E2"}));
    for (int e = 1; e <= 2; ++e) ExpectRowsOnTheirItems(ExpertTable[e].get());
    for (const auto& p : FilteredItems) EXPECT_EQ(p, nullptr);
    for (const auto& p : FilteredExperts) EXPECT_EQ(p, nullptr);

    // Disabled filtering moves nothing.
    ItemsFilterEnabled = false;
    ExpertsFilterEnabled = false;
    FilterItemsOut(FilteredItems);
    FilterExpertsOut(FilteredExperts);
    EXPECT_EQ(CountItems(), 4);
    EXPECT_EQ(CountExperts(), 2);
}

// An item inserted or deleted while an expert is filtered out reaches that expert too, so
// it comes back with its rows on the right items.
TEST_F(TablesTest, ItemChangesReachFilteredExperts) {
    DistinctCase(3);
    ExpertTable[2]->FilterFlag = true;
    FilterExpertsOut(FilteredExperts);
    DeleteItems(false, 1, 1, nullptr, ItemTable);
    ASSERT_EQ(InsertItem("N", "", 2), 2);
    RestoreFilteredExperts(FilteredExperts);
    ASSERT_EQ(ExpertIds(), (std::vector<std::string>{"E1", "E2"}));
    EXPECT_EQ(Matrix(ExpertTable[2].get(), 3), (Rows{"G H", "", "L M"}));
    ExpectRowsOnTheirItems(ExpertTable[2].get());
}

TEST_F(TablesTest, DefaultItemNames) {
    AddItems({"I1", "_item 99", "", "", ""});
    ItemTable[3]->Name = "named";
    AddExpert("E1", {"", "", "", "", ""});
    ItemTable[5]->HasRealisation = true;
    EXPECT_TRUE(DefaultItemNames());
    // Item 4 had no id, name, realisation or answer: it and its rows are gone.
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"I1", "_item  2", "_item  3", "_item  4"}));
    EXPECT_EQ(RowCount(ExpertTable[1].get()), 4);
    ExpectRowsOnTheirItems(ExpertTable[1].get());

    // An item with answers is never dropped with them: it gets an id instead.
    ResetGlobals();
    AddItems({"I1", "", "I3"});
    AddExpert("E1", {" >", "<", ""});
    EXPECT_TRUE(DefaultItemNames());
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"I1", "_item  2", "I3"}));

    // An empty item 1 stays as it is.
    ResetGlobals();
    AddItems({""});
    EXPECT_TRUE(DefaultItemNames());
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{""}));
    ResetGlobals();
    AddItems({"I1"});
    EXPECT_FALSE(DefaultItemNames());
}

TEST_F(TablesTest, DefaultExpertNames) {
    AddItems({"I1", "I2"});
    AddExpert("", {"", ""});  // before an expert with an own id: gets one
    AddExpert("OWN", {"", ""});
    AddExpert("_exp  77", {"", ""});  // renumbered
    AddExpert("", {" >", "< "});      // answers: kept under a default id
    AddExpert("", {"", ""});          // nothing, and no own id after it: deleted
    EXPECT_TRUE(DefaultExpertNames());
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"_exp   1", "OWN", "_exp   3", "_exp   4"}));
    EXPECT_FALSE(DefaultExpertNames());
    EXPECT_EQ(DefaultExpertId(1000), "_exp1000") << "never cut into the id of expert 100";
    EXPECT_EQ(DefaultItemId(7), "_item  7");
}

TEST_F(TablesTest, DeletingExpertsFreesThemAndCloses) {
    DistinctCase(2);
    InsertExpert("E3", "", 3);
    ActiveExpert = ExpertTable[1].get();
    DeleteExperts(1, 1, ExpertTable, nullptr);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E2", "E3"}));
    EXPECT_EQ(ActiveExpert, nullptr) << "no reference to a freed expert";

    ExpertTableType undo;
    DeleteExperts(1, 1, ExpertTable, &undo);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E3"}));
    ASSERT_NE(undo[1], nullptr);
    EXPECT_EQ(undo[1]->Id.str(), "E2");
    EXPECT_EQ(MoveExperts(1, 1, 1, undo), 1);
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"E2", "E3"}));
}

TEST_F(TablesTest, SavingGivesEveryRecordAnIdOfItsOwn) {
    AddItems({"I1", "", "i1", "_ITEM  9", "I5"});
    AddExpert("A", {});
    AddExpert("a", {});
    AddExpert("", {});
    EXPECT_TRUE(PrepareCaseForSaving());
    // "_ITEM  9" is the user's: only ids beginning "_item" exactly are renumbered.
    EXPECT_EQ(ItemIds(), (std::vector<std::string>{"I1", "_item  2", "_item  3", "_ITEM  9", "I5"}));
    EXPECT_EQ(ExpertIds(), (std::vector<std::string>{"A", "_exp   2", "_exp   3"}));
    EXPECT_TRUE(CaseFile.FileKinds[ExpertsFileKind].Modified && CaseFile.FileKinds[ItemsFileKind].Modified);
    CaseFile.FileKinds[ExpertsFileKind].Modified = CaseFile.FileKinds[ItemsFileKind].Modified = false;
    EXPECT_FALSE(PrepareCaseForSaving());
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified || CaseFile.FileKinds[ItemsFileKind].Modified);
}

TEST_F(TablesTest, FormatNumberUsesTheDisplaySettings) {
    EXPECT_EQ(FormatNumber(123.456f), "     123.5");
    FloatFormat = 'f';
    DecimalPlaces = 2;
    FieldWidth = 6;
    DecimalSeparator = ',';
    EXPECT_EQ(FormatNumber(-1.5f), " -1,50");
    DecimalSeparator = '.';
}

}  // namespace
