#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/core/slot_table.h"

namespace {

// A record whose creation can be made to fail as an exhausted heap would.
struct Record {
    static inline bool failNext = false;
    std::string Id;
    std::string Name;
    bool FilterFlag = false;
    Record() {
        if (failNext) {
            failNext = false;
            throw std::bad_alloc();
        }
    }
};

constexpr int Slots = 6;
using Table = std::array<std::unique_ptr<Record>, Slots + 1>;

// The table from a string of ids, one letter a slot from slot 1, '.' an empty slot.
Table Make(const std::string& ids) {
    Table t;
    for (std::size_t k = 0; k < ids.size(); ++k)
        if (ids[k] != '.') {
            t[k + 1] = std::make_unique<Record>();
            t[k + 1]->Id = std::string(1, ids[k]);
        }
    return t;
}

std::string Ids(const Table& t) {
    std::string s;
    for (int k = 1; k <= Slots; ++k) s += t[k] ? t[k]->Id : ".";
    return s;
}

TEST(SlotTable, AFailedAllocationLeavesTheTableAsItWas) {
    Table t = Make("ab.c..");
    Record::failNext = true;
    EXPECT_EQ(NewNamedRecord(t, 3, Slots, "x", ""), nullptr);
    EXPECT_EQ(Ids(t), "ab.c..");

    Record::failNext = true;
    EXPECT_EQ(InsertNamedRecord(t, 1, Slots, "x", ""), nullptr);
    EXPECT_EQ(Ids(t), "ab.c..") << "nothing shifted for a record that could not be made";

    // The slot opened for a record that could not be made is closed again.
    int calls = 0;
    EXPECT_EQ(InsertCreated(t, 1, Slots,
                            [&](int k) {
                                ++calls;
                                Record::failNext = true;
                                return NewNamedRecord(t, k, Slots, "x", "");
                            }),
              0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Ids(t), "abc...");

    Record::failNext = false;
    Record* made = InsertNamedRecord(t, 2, Slots, "x", "name");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Name, "name");
    EXPECT_EQ(Ids(t), "axbc..");
}

TEST(SlotTable, MovingBackCountsAndReaches) {
    // side holds entries at 2 and 4 of the range 2..5: two come back, the last from offset 3.
    Table t = Make("pq....");
    Table side = Make(".a.b..");
    SideMove m = MoveFromSide(t, Slots, 2, 2, 5, side);
    EXPECT_EQ(m.Moved, 2);
    EXPECT_EQ(m.Reach, 3);
    EXPECT_EQ(Ids(t), "paqb..") << "each shifts up to the first empty slot";
    EXPECT_EQ(Ids(side), "......");

    // A full table takes nothing back; the record stays in the side table.
    Table full = Make("abcdef");
    Table rest = Make("..x...");
    EXPECT_EQ(RestoreFromSide(full, Slots, rest, Slots), 0);
    EXPECT_EQ(Ids(rest), "..x...");
}

TEST(SlotTable, FilteringOutRefusesASecondFilter) {
    Table t = Make("abcd..");
    t[2]->FilterFlag = true;
    t[4]->FilterFlag = true;
    Table side;
    EXPECT_EQ(FilterFlaggedOut(t, side, Slots, Slots), 2);
    EXPECT_EQ(Ids(t), "ac....");
    EXPECT_EQ(Ids(side), ".b.d..");
    t[1]->FilterFlag = true;
    EXPECT_EQ(FilterFlaggedOut(t, side, Slots, Slots), -1) << "the side table is in use";
    EXPECT_EQ(Ids(t), "ac....");
    EXPECT_EQ(RestoreFromSide(t, Slots, side, Slots), 2);
    EXPECT_EQ(Ids(t), "abcd..");
}

TEST(SlotTable, TakingOutFreesOrMovesWithinTheTable) {
    Table t = Make("abcdef");
    Table side;
    std::vector<int> seen;
    EXPECT_EQ(TakeOut(t, 5, 99, &side, [&](int j) { seen.push_back(j); }), 2);
    EXPECT_EQ(Ids(side), "....ef");
    EXPECT_EQ(TakeOut(t, -3, 2, nullptr, [&](int j) { seen.push_back(j); }), 2);
    EXPECT_EQ(Ids(t), "..cd..");
    EXPECT_EQ(seen, (std::vector<int>{5, 6, 1, 2}));
}

}  // namespace
