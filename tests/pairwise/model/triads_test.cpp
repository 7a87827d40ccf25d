#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pairwise/model/report.h"
#include "pairwise/model/run_tally.h"
#include "pairwise/model/triads.h"
#include "report_test_support.h"

using namespace trindel;

namespace {

using reporttest::AddExpert;
using reporttest::AddItems;
using reporttest::AddItemsNumbered;
using reporttest::RunTest;

class TriadsTest : public RunTest {
protected:
    // Tallies the case, counts the triads into a fresh report and gives the report's lines.
    std::vector<std::string> CountTriads() {
        TallyAnswers(RunItemPositions());
        OpenReport();
        CountCircularTriads();
        return CloseReport();
    }
};

TEST(TriadKindTable, EveryPatternOfThreeRelations) {
    const std::string c1[] = {"<><", "><>"};
    const std::string c2[] = {"=<>", "=><", "<=<", "<>=", ">=>", "><="};
    const std::string c3[] = {"==<", "==>", "=<=", "=>=", "<==", ">=="};
    auto expected = [&](const std::string& p) {
        for (const auto& q : c1)
            if (p == q) return 1;
        for (const auto& q : c2)
            if (p == q) return 2;
        for (const auto& q : c3)
            if (p == q) return 3;
        return 0;
    };
    const char rel[] = {'<', '=', '>'};
    int triads = 0;
    for (char a : rel)
        for (char b : rel)
            for (char c : rel) {
                const std::string p{a, b, c};
                EXPECT_EQ(TriadKind(p), expected(p)) << p;
                if (TriadKind(p) != 0) ++triads;
            }
    EXPECT_EQ(triads, 14);
    // Consistent ones named in the tables' notes.
    EXPECT_EQ(TriadKind(">>>"), 0);  // A>B, A>C, B>C
    EXPECT_EQ(TriadKind("==="), 0);
}

TEST_F(TriadsTest, RelationThresholdsOfTheExpertMatrix) {
    const struct {
        long double x;
        char relation;
    } cases[] = {{0, '<'}, {0.09L, '<'}, {0.1L, '='}, {0.5L, '='}, {0.59L, '='}, {0.6L, '>'}, {1, '>'}};
    for (const auto& c : cases) {
        ExpertPreference[1][1][2] = c.x;
        EXPECT_EQ(PairRelation(1, 1, 2), c.relation) << static_cast<double>(c.x);
    }
}

// Expert B has a C1 triad on items 1,2,3 (1>2, 2>3, 3>1), expert C a C2 triad (1=2, 1>3, 2<3).
TEST_F(TriadsTest, WorkedExampleListsOneTriadEachForBAndC) {
    reporttest::BuildWorkedExample();
    const std::vector<std::string> lines = CountTriads();
    const std::vector<std::string> expected = {
        "Inconsistencies (circular triads) in experts answers.",
        "   Triads can be of the type    C1   :   A>B, B>C and C>A",
        "                                C2   :   A=B, A>C and B<C",
        "                                C3   :   A=B, A=C and B<C",
        "",
        "Experts       items           circular triads",
        "B              1, 2, 3        C1",
        "total :                        1x C1 + 0x C2 + 0x C3  =  1",
        "C              1, 2, 3        C2",
        "total :                        0x C1 + 1x C2 + 0x C3  =  1",
        "",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(TriadCount[1], 0);
    EXPECT_EQ(TriadCount[2], 1);
    EXPECT_EQ(TriadCount[3], 1);
}

// Row sums of each expert's matrix, a tie counting 0.5: A 3,2,1,0; B 2,2,2,0; C 2.5,1.5,2,0.
TEST_F(TriadsTest, WorkedExampleItemScoresAndTotals) {
    reporttest::BuildWorkedExample();
    CountTriads();
    const double scores[4][3] = {{3, 2, 2.5}, {2, 2, 1.5}, {1, 2, 2}, {0, 0, 0}};
    const double totals[4] = {7.5, 5.5, 5, 0};
    for (int i = 1; i <= 4; ++i) {
        for (int e = 1; e <= 3; ++e)
            EXPECT_EQ(static_cast<double>(ItemScore[i][e]), scores[i - 1][e - 1]) << i << "," << e;
        EXPECT_EQ(static_cast<double>(ItemScoreTotal[i]), totals[i - 1]) << i;
    }
}

TEST_F(TriadsTest, LaterTriadsOfAnExpertGoUnderBlanksAndTiesMakeC3) {
    AddItemsNumbered(4);
    // (1,2,3): 1=2, 1=3, 2<3 is "==<", C3; (1,2,4): 1=2, 1>4, 2=4 is "=>=", C3;
    // (1,3,4) "=>>" and (2,3,4) "<=>" are consistent.
    AddExpert("expert01", "==><=>");
    const std::vector<std::string> lines = CountTriads();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[6], "expert01       1, 2, 3        C3");
    EXPECT_EQ(lines[7], "               1, 2, 4        C3");
    EXPECT_EQ(lines[8], "total :                        0x C1 + 0x C2 + 2x C3  =  2");
    EXPECT_EQ(lines[9], "");
    EXPECT_EQ(TriadCount[1], 2);
}

TEST_F(TriadsTest, ConsistentExpertsWriteNothing) {
    AddItemsNumbered(4);
    AddExpert("A", ">>>>>>");
    AddExpert("B", "======");
    EXPECT_TRUE(CountTriads().empty());
    EXPECT_EQ(TriadCount[1], 0);
    EXPECT_EQ(TriadCount[2], 0);
}

// Kept as the counting has always read it: a blank pair holds 0 both ways and reads '<', so
// 1>3 and 3>2 with (1,2) left blank count as the cycle 2>1, 1>3, 3>2.
TEST_F(TriadsTest, BlankPairBetweenAnsweredItemsReadsAsTopPreferred) {
    AddItemsNumbered(3);
    AddExpert("A", " ><");
    const std::vector<std::string> lines = CountTriads();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[6], "A              1, 2, 3        C1");
    EXPECT_EQ(TriadCount[1], 1);
}

// Item 2 is in no answered pair; read as '<' both ways it would make (1,2,3) "<><".
TEST_F(TriadsTest, ItemsTheExpertNeverComparedAreSkipped) {
    AddItemsNumbered(3);
    AddExpert("A", " > ");
    EXPECT_TRUE(CountTriads().empty());
    EXPECT_EQ(TriadCount[1], 0);
    EXPECT_EQ(static_cast<double>(ItemScore[1][1]), 1.0);
    EXPECT_EQ(static_cast<double>(ItemScoreTotal[2]), 0.0);
}

// Kendall: on complete strict answers the circular triads number n(n-1)(2n-1)/12 - (1/2) sum a_i^2,
// a_i being the wins of item i.
TEST_F(TriadsTest, CircularTriadsOfRandomStrictAnswersMatchKendallsCount) {
    const struct {
        int n;
        unsigned seed;
    } cases[] = {{3, 1}, {4, 2}, {5, 3}, {7, 4}, {9, 5}, {12, 6}, {20, 7}};
    for (const auto& c : cases) {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        AddItemsNumbered(c.n);
        std::mt19937 random(c.seed);
        std::vector<std::string> answers;
        for (int e = 0; e < 3; ++e) {
            std::string pairs;
            for (int p = 0; p < c.n * (c.n - 1) / 2; ++p) pairs += (random() & 1) ? '>' : '<';
            answers.push_back(pairs);
            AddExpert("e" + std::to_string(e + 1), pairs);
        }
        CountTriads();
        for (int e = 0; e < 3; ++e) {
            std::vector<int> wins(static_cast<std::size_t>(c.n) + 1, 0);
            std::size_t p = 0;
            for (int l = 1; l < c.n; ++l)
                for (int t = l + 1; t <= c.n; ++t, ++p) ++wins[static_cast<std::size_t>(answers[e][p] == '>' ? l : t)];
            double squares = 0;
            for (int i = 1; i <= c.n; ++i)
                squares += wins[static_cast<std::size_t>(i)] * wins[static_cast<std::size_t>(i)];
            const double kendall = c.n * (c.n - 1) * (2 * c.n - 1) / 12.0 - squares / 2;
            EXPECT_EQ(TriadCount[e + 1], kendall) << "n=" << c.n << " expert " << e + 1;
        }
    }
}

}  // namespace
