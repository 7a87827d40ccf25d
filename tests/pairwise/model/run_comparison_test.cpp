#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "common/core/calc_error.h"
#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/run_comparison.h"
#include "pairwise/model/run_tally.h"
#include "pairwise_model_cases.h"
#include "report_test_support.h"

using namespace trindel;

namespace {

using reporttest::AddExpert;
using reporttest::AddItems;
using reporttest::AddItemsNumbered;
using reporttest::RunTest;

class RunComparisonTest : public RunTest {
protected:
    static std::string Fixture(const std::string& name) { return std::string(FIXTURES_DIR) + "/pairwise/" + name; }

    void ReadGoldenCase() {
        ASSERT_EQ(ReadItemsFile(Fixture("golden_case.iy")), 0);
        ASSERT_EQ(ReadExpertDataFile(Fixture("golden_case.ey")), 0);
        CaseFile.CaseName = "golden_case";
        ScaleTransformation = true;
        ConfidenceIntervals = true;
        prompts.Seed(20240524);
    }

    // The case refused: the message, no report, and the run reported as failed.
    void ExpectRefused(const std::string& message) {
        prompts.QueueAnswer(platform::Answer::Ok);
        EXPECT_FALSE(RunComparison(1));
        EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{message});
        EXPECT_FALSE(ReportExists());
        EXPECT_FALSE(RunSucceeded);
        EXPECT_EQ(ReportFile, nullptr);
    }
};

// The case's third item and third expert are flagged and left out; the run is the worked
// example over the items 1, 2, 4, 5 and the experts 1, 2, 4, with the reference items 1
// and 4 (the flagged item 3 has a realisation too) and intervals from a fixed seed.
TEST_F(RunComparisonTest, GoldenReportOfASmallCase) {
    ReadGoldenCase();
    ASSERT_TRUE(RunComparison(1));
    EXPECT_EQ(ReadFileBytes(ReportPath()), ReadFileBytes(Fixture("golden_case.ouc")));
    EXPECT_TRUE(RunSucceeded);
    EXPECT_EQ(ReportFile, nullptr);
    EXPECT_EQ(prompts.RandomizeCount(), 1);
    EXPECT_TRUE(prompts.MessageTexts().empty());
}

// Nothing one run tallies reaches the next. The other run (all five items, no transformation,
// only ExpA and ExpX, who never answer "=") gives the same report before and after the golden
// run, whose ties and tallies lie in the same cells; the golden run after it gives the golden
// report.
TEST_F(RunComparisonTest, ARunAfterAnotherGivesTheSameReport) {
    ReadGoldenCase();
    ASSERT_TRUE(ExpertTable[3] && ExpertTable[3]->FilterFlag);
    auto run = [&](bool golden) {
        ItemsFilterEnabled = golden;
        ScaleTransformation = golden;
        for (int x = 1; x <= 4; ++x) ExpertTable[x]->FilterFlag = golden ? x == 3 : x == 2 || x == 4;
        prompts.Seed(20240524);
        EXPECT_TRUE(RunComparison(1));
        return ReadFileBytes(ReportPath());
    };
    const std::string goldenReport = ReadFileBytes(Fixture("golden_case.ouc"));
    const std::string other = run(false);
    ASSERT_NE(other, goldenReport);
    EXPECT_EQ(run(true), goldenReport);
    EXPECT_EQ(run(false), other);
    EXPECT_EQ(run(true), goldenReport);
    EXPECT_TRUE(prompts.MessageTexts().empty());
}

// Which items each run's expert answered does not reach the next run either: the second
// counted expert answers D in one run (B) and leaves it open in the other (C, whose "?" must
// come back after B's run).
TEST_F(RunComparisonTest, AnItemLeftOpenStaysOpenAfterARunThatAnsweredIt) {
    ScaleTransformation = false;
    AddItems({"A", "B", "C", "D"});
    AddExpert("A", ">>><<>");
    AddExpert("B", "><>>>>");
    AddExpert("C", "=> <  ");  // nothing on (A,D), (B,D), (C,D)
    auto run = [&](bool withB) {
        ExpertTable[2]->FilterFlag = !withB;
        ExpertTable[3]->FilterFlag = withB;
        prompts.Seed(20240524);
        EXPECT_TRUE(RunComparison(1));
        return ReadFileBytes(ReportPath());
    };
    const std::string open = run(false);
    ASSERT_NE(open.find("    ? "), std::string::npos) << open;
    const std::string answered = run(true);
    EXPECT_EQ(answered.find("    ? "), std::string::npos) << answered;
    EXPECT_EQ(run(false), open);
    EXPECT_EQ(run(true), answered);
    EXPECT_TRUE(prompts.MessageTexts().empty());
}

// The golden case's values at full precision, from the script beside the reference file;
// relative tolerance 1e-9 (the script rounds like the six-byte real but evaluates its own way).
TEST_F(RunComparisonTest, GoldenCaseModelValuesMatchTheReference) {
    ReadGoldenCase();
    ASSERT_TRUE(RunComparison(1));
    const pairmodel_test::ReferenceRows rows = pairmodel_test::ReadReference("comparison_report_reference.txt");
    auto near = [](long double actual, long double expected, const std::string& what) {
        EXPECT_NEAR(static_cast<double>(actual), static_cast<double>(expected),
                    1e-9 * std::max(1.0, std::fabs(static_cast<double>(expected))))
            << what;
    };
    const std::pair<const char*, const CalcVector*> vectors[] = {
        {"NelValues", &NelValues},
        {"ThurstoneCValues", &ThurstoneCValues},
        {"ThurstoneBValues", &ThurstoneBValues},
        {"NelTransformed", &NelTransformed},
        {"ThurstoneCLinear", &ThurstoneCLinear},
        {"ThurstoneCLog", &ThurstoneCLog},
        {"ThurstoneBLinear", &ThurstoneBLinear},
        {"ThurstoneBLog", &ThurstoneBLog},
        {"NelLowerBounds", &NelLowerBounds},
        {"NelUpperBounds", &NelUpperBounds},
        {"ThurstoneCLinearLower", &ThurstoneCLinearLower},
        {"ThurstoneCLinearUpper", &ThurstoneCLinearUpper},
        {"ThurstoneCLogLower", &ThurstoneCLogLower},
        {"ThurstoneCLogUpper", &ThurstoneCLogUpper},
    };
    for (const auto& [name, v] : vectors) {
        const std::vector<long double> expected = pairmodel_test::Numbers(rows, name);
        ASSERT_EQ(expected.size(), 4u) << name;
        for (std::size_t i = 1; i <= 4; ++i)
            near((*v)[i], expected[i - 1], std::string(name) + " " + std::to_string(i));
    }
    near(NelFitStatistic, pairmodel_test::Numbers(rows, "NelFitStatistic").at(0), "NelFitStatistic");
    near(ThurstoneFitStatistic, pairmodel_test::Numbers(rows, "ThurstoneFitStatistic").at(0), "ThurstoneFitStatistic");
    const std::pair<const char*, bool> flags[] = {{"ThurstoneBReversed", ThurstoneBReversed},
                                                  {"ThurstoneCReversed", ThurstoneCReversed},
                                                  {"ThurstoneContradiction", ThurstoneContradiction},
                                                  {"LogBoundOverflow", LogBoundOverflow}};
    for (const auto& [name, value] : flags) EXPECT_EQ(value, pairmodel_test::Numbers(rows, name).at(0) != 0) << name;
}

TEST_F(RunComparisonTest, FlaggedItemsStayInPlaceAndKeepTheirNumbers) {
    AddItems({"I1", "I2", "I3", "I4"});
    ItemTable[2]->FilterFlag = true;
    // Pairs (1,2) (1,3) (1,4) (2,3) (2,4) (3,4); the flagged item's pairs must not count.
    AddExpert("A", "<<>>><");
    const std::vector<int> items = RunItemPositions();
    EXPECT_EQ(items, (std::vector<int>{1, 3, 4}));
    TallyAnswers(items);
    EXPECT_EQ(RunItemCount, 3);
    EXPECT_EQ(ItemOrder[1], 1);
    EXPECT_EQ(ItemOrder[2], 3);
    EXPECT_EQ(ItemOrder[3], 4);
    // Run pairs (1,3)='<', (1,4)='>', (3,4)='<' become (1,2), (1,3), (2,3) of the run.
    EXPECT_EQ(static_cast<double>(PreferenceCount[2][1]), 1.0);
    EXPECT_EQ(static_cast<double>(PreferenceCount[1][3]), 1.0);
    EXPECT_EQ(static_cast<double>(PreferenceCount[3][2]), 1.0);
    EXPECT_EQ(PairCount[1][2] + PairCount[1][3] + PairCount[2][3], 3);

    ItemsFilterEnabled = false;
    EXPECT_EQ(RunItemPositions(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(RunComparisonTest, TallyOfTiesBlankExpertsAndStrayCharacters) {
    AddItemsNumbered(3);
    AddExpert("A", "=>?");
    AddExpert("Blank", "   ");
    AddExpert("B", ">  ");
    TallyAnswers(RunItemPositions());
    EXPECT_EQ(RunExpertCount, 3);  // the blank expert is listed all the same
    EXPECT_EQ(RunExpertId[2].str(), "Blank");
    EXPECT_FALSE(NoTieAnswers);
    // (1,2): a tie and a '>': N = 2, P = 1.5 and 0.5.
    EXPECT_EQ(PairCount[1][2], 2);
    EXPECT_EQ(PairCount[2][1], 2);
    EXPECT_EQ(static_cast<double>(PreferenceCount[1][2]), 1.5);
    EXPECT_EQ(static_cast<double>(PreferenceCount[2][1]), 0.5);
    EXPECT_EQ(static_cast<double>(ExpertPreference[1][1][2]), 0.5);
    EXPECT_EQ(static_cast<double>(ExpertPreference[1][2][1]), 0.5);
    // '?' is no answer.
    EXPECT_EQ(PairCount[2][3], 0);
    for (int i = 1; i <= 3; ++i) EXPECT_FALSE(Answered[i][2]) << i;
    EXPECT_TRUE(Answered[1][3]);
    EXPECT_TRUE(Answered[2][3]);
    EXPECT_FALSE(Answered[3][3]);
}

TEST_F(RunComparisonTest, MissingAnswerRowsReadBlankAndEmptyExpertSlotsAreSkipped) {
    AddItemsNumbered(3);
    AddExpert("A", ">>>");
    AddExpert("Gap", ">>>");
    TPairExpert* c = AddExpert("C", "<<<");
    c->AnswerRows[2].reset();  // no row for item 2: its pair (2,3) reads blank
    ExpertTable[2].reset();
    TallyAnswers(RunItemPositions());
    EXPECT_EQ(RunExpertCount, 2);
    EXPECT_EQ(RunExpertNumber[1], 1);
    EXPECT_EQ(RunExpertNumber[2], 3);
    EXPECT_EQ(RunExpertId[2].str(), "C");
    EXPECT_EQ(PairCount[1][2], 2);
    EXPECT_EQ(PairCount[2][3], 1);
}

TEST_F(RunComparisonTest, FlaggedExpertsCountOnlyWithFilteringOff) {
    AddItemsNumbered(2);
    AddExpert("A", ">");
    AddExpert("B", "<")->FilterFlag = true;
    TallyAnswers(RunItemPositions());
    EXPECT_EQ(RunExpertCount, 1);
    ExpertsFilterEnabled = false;
    TallyAnswers(RunItemPositions());
    EXPECT_EQ(RunExpertCount, 2);
    EXPECT_EQ(RunExpertId[2].str(), "B");
}

TEST_F(RunComparisonTest, ReferenceItemsComeFromTheRunsItems) {
    const struct {
        int choice;
        int nelItem;
        double nelValue;
    } cases[] = {{1, 1, 8}, {2, 3, 2}, {0, 1, 8}};
    for (const auto& c : cases) {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        ReadGoldenCase();
        ConfidenceIntervals = false;
        ASSERT_TRUE(RunComparison(c.choice)) << c.choice;
        EXPECT_EQ(RefItem1, 1);
        EXPECT_EQ(RefItem2, 3);  // run position of item 4, Dogwood
        EXPECT_EQ(static_cast<double>(RefValue1), 8.0);
        EXPECT_EQ(static_cast<double>(RefValue2), 2.0);
        EXPECT_EQ(NelRefItem, c.nelItem) << c.choice;
        EXPECT_EQ(static_cast<double>(NelRefValue), c.nelValue) << c.choice;
    }
}

TEST_F(RunComparisonTest, WithoutTransformationTheReferenceItemsStayZero) {
    ReadGoldenCase();
    ScaleTransformation = false;
    ConfidenceIntervals = false;
    ASSERT_TRUE(RunComparison(2));
    EXPECT_EQ(RefItem1, 0);
    EXPECT_EQ(RefItem2, 0);
    EXPECT_EQ(NelRefItem, 0);
    const std::vector<std::string> lines = ReadTextLines(ReportPath());
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[7], "  Transformation: no. ");
    EXPECT_EQ(lines[8], "Number of experts preferring \"left\" item to the \"top\",");
    // Ends with the model values: no transformed values, no intervals.
    EXPECT_EQ(lines[lines.size() - 2], "  with          :            3                   3   degrees of freedom)");
    EXPECT_EQ(lines.back(), "");
}

TEST_F(RunComparisonTest, TooManyItemsAreRefused) {
    ScaleTransformation = false;
    AddItemsNumbered(151);
    AddExpert("A", ">");
    AddExpert("B", "<");
    ExpectRefused("Number of items must not exceed 150");
}

TEST_F(RunComparisonTest, TooManyExpertsAreRefused) {
    ScaleTransformation = false;
    AddItemsNumbered(2);
    for (int e = 1; e <= 151; ++e) AddExpert("e" + std::to_string(e), ">");
    ExpectRefused("Number of experts must not exceed 150");
}

TEST_F(RunComparisonTest, LimitsCountOnlyWhatTheRunTakes) {
    ScaleTransformation = false;
    AddItemsNumbered(151);
    ItemTable[151]->FilterFlag = true;
    for (int e = 1; e <= 151; ++e) AddExpert("e" + std::to_string(e), e % 2 ? ">" : "<");
    ExpertTable[151]->FilterFlag = true;
    EXPECT_EQ(RunRefusal(RunItemPositions()), "");
}

// The flagged item 3 has a realisation as well; without it the run has one or three.
TEST_F(RunComparisonTest, TransformationNeedsExactlyTwoReferenceItemsAmongTheRunsItems) {
    const struct {
        bool itemsFilter;
        int unflag;  // item whose realisation is removed, 0 for none
    } cases[] = {{false, 0}, {true, 4}};
    for (const auto& c : cases) {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        prompts.Clear();
        ReadGoldenCase();
        ItemsFilterEnabled = c.itemsFilter;
        if (c.unflag) ItemTable[c.unflag]->HasRealisation = false;
        ExpectRefused("Number of realizations is not equal to 2");
    }
}

TEST_F(RunComparisonTest, RefusalLeavesAnEarlierReportAlone) {
    ReadGoldenCase();
    {
        TextFileWriter earlier(ReportPath());
        earlier.WriteLine("earlier report");
        earlier.Commit();
    }
    ItemTable[4]->HasRealisation = false;
    prompts.QueueAnswer(platform::Answer::Ok);
    EXPECT_FALSE(RunComparison(1));
    EXPECT_EQ(ReadFileBytes(ReportPath()), "earlier report\r\n");
}

// No pair answered by two experts: u is 0/0. The report keeps what was written before.
TEST_F(RunComparisonTest, CalculationErrorEndsTheReportWhereItStopped) {
    ScaleTransformation = false;
    AddItemsNumbered(3);
    AddExpert("A", ">  ");
    AddExpert("B", "  >");
    try {
        RunComparison(1);
        ADD_FAILURE() << "the run succeeded";
    } catch (const CalcError& error) {
        EXPECT_EQ(error.Kind(), CalcErrorKind::InvalidOperation);
    }
    EXPECT_FALSE(RunSucceeded);
    EXPECT_EQ(ReportFile, nullptr);
    const std::vector<std::string> lines = ReadTextLines(ReportPath());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], " 2              1.0/ 1");  // the preference table's last row
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(lines.back(), "");
}

TEST_F(RunComparisonTest, AReportThatCannotBeCreatedIsAnInputOutputError) {
    ReadGoldenCase();
    CaseFile.CaseName = "no such folder/golden_case";
    EXPECT_THROW(RunComparison(1), IoError);
    EXPECT_FALSE(RunSucceeded);
    EXPECT_EQ(ReportFile, nullptr);
}

TEST_F(RunComparisonTest, NoSimulationWhenTheCountDoesNotFitTheLevel) {
    const struct {
        int level;
        int count;
    } cases[] = {{50, 200}, {90, 1000}, {99, 101}, {100, 50}};
    for (const auto& c : cases) {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        ReadGoldenCase();
        ConfidenceLevel = c.level;
        SimulationCount = c.count;
        ASSERT_TRUE(RunComparison(1)) << c.level;
        EXPECT_FALSE(SimulationPossible) << c.level << " " << c.count;
        const std::vector<std::string> lines = ReadTextLines(ReportPath());
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 3], "  No simulation possible.");
        EXPECT_EQ(lines[lines.size() - 2], "     Number of simulations is too large OR interval is too narrow");
        EXPECT_EQ(lines.back(), std::string(44, '-'));
    }
}

// ---- maps that cannot be computed ----

// The text a column or an interval shows where its map could not be computed.
const std::string NotComputedCell = "not computed";
const std::string NotComputedInterval = " [    not computed     ]";

struct ReferenceCase {
    const char* what;
    int first, second;  // positions of the two reference items
    float r1, r2;
    std::vector<std::string> answers;  // of the two experts, pairs (1,2), (1,3), ..., (3,4)
    bool nelOk[3];                     // [choice]: the NEL scaling gives positive values
    MapStatus cLinear, cLog;
};

// The report's rows of a section: the lines after `heading` (skipping `skip` lines), n of them.
std::vector<std::string> RowsAfter(const std::vector<std::string>& lines, const std::string& heading, int skip, int n) {
    const auto at = std::find(lines.begin(), lines.end(), heading);
    if (at == lines.end() || lines.end() - at <= skip + n) return {};
    return {at + skip + 1, at + skip + 1 + n};
}

bool ParsesAsNumber(const std::string& field, double& x) {
    try {
        std::size_t used = 0;
        x = std::stod(field, &used);
        return field.find_first_not_of(' ', used) == std::string::npos;
    } catch (...) {
        return false;
    }
}

// Four items, two experts; reference values of every kind a map cannot take, with the intervals.
// Wherever a map could not be computed its column holds the text in every row and its intervals
// hold the text too; every number printed is a value some model produced: no negative NEL value
// and no interval whose lower end lies above its upper end.
TEST_F(RunComparisonTest, ColumnsOfMapsThatCannotBeComputedHoldNoNumbers) {
    const MapStatus ok = MapStatus::Computed;
    const std::vector<std::string> plain = {">>>>>>", ">><>>>"};
    const ReferenceCase cases[] = {
        {"opposite signs", 1, 4, 5.655f, -1.0f, plain, {true, true, false}, ok, MapStatus::OppositeSigns},
        {"second value 0", 1, 4, 5.0f, 0.0f, plain, {true, true, false}, ok, MapStatus::SecondReferenceZero},
        {"both negative", 1, 4, -2.0f, -1.0f, plain, {false, false, false}, ok, MapStatus::NegativeReferences},
        {"first value 0", 1, 4, 0.0f, 3.0f, plain, {false, false, true}, ok, MapStatus::FirstReferenceZero},
        // 1 > 2, 3 > 1, 4 > 1, 2 > 3, 4 > 2, 3 > 4 by both: with z the deviate of 5/6, item 1's
        // deviates are 0, z, -z, -z and item 2's -z, 0, z, -z, so both row sums are -z exactly.
        {"equal model C values",
         1,
         2,
         2.0f,
         3.0f,
         {"><<><>", "><<><>"},
         {true, true, true},
         MapStatus::EqualDeviates,
         MapStatus::EqualDeviates},
    };
    for (const ReferenceCase& c : cases) {
        for (int choice : {1, 2}) {
            const std::string what = std::string(c.what) + ", NEL reference " + std::to_string(choice);
            ResetGlobals();
            Platform = &prompts;
            RandomNumbers = &prompts;
            prompts.Seed(77);
            CaseFile.CaseName = "case";
            AddItems({"I1", "I2", "I3", "I4"});
            for (auto [position, value] : {std::pair{c.first, c.r1}, std::pair{c.second, c.r2}}) {
                ItemTable[position]->HasRealisation = true;
                ItemTable[position]->Realisation = value;
            }
            AddExpert("A", c.answers[0]);
            AddExpert("B", c.answers[1]);
            ExpertsFilterEnabled = false;
            ScaleTransformation = true;
            ConfidenceIntervals = true;
            ASSERT_TRUE(RunComparison(choice)) << what;
            EXPECT_EQ(NelMapStatus == MapStatus::Computed, c.nelOk[choice]) << what;
            EXPECT_EQ(ThurstoneCMaps.Linear, c.cLinear) << what;
            EXPECT_EQ(ThurstoneCMaps.Log, c.cLog) << what;

            const std::vector<std::string> lines = ReadTextLines(ReportPath());
            const MapStatus columns[5] = {NelMapStatus, ThurstoneCMaps.Linear, ThurstoneCMaps.Log,
                                          ThurstoneBMaps.Linear, ThurstoneBMaps.Log};
            const std::vector<std::string> values = RowsAfter(lines, "Transformed item values", 2, 4);
            ASSERT_EQ(values.size(), 4u) << what;
            for (const std::string& row : values)
                for (int col = 0; col < 5; ++col) {
                    const std::string cell = row.substr(2 + 14 * col, 14);
                    double x = 0;
                    if (columns[col] != MapStatus::Computed) {
                        EXPECT_EQ(cell, "  " + NotComputedCell) << what << ": " << row;
                    } else {
                        ASSERT_TRUE(ParsesAsNumber(cell, x)) << what << ": " << row;
                        if (col == 0) {
                            EXPECT_GT(x, 0) << what << ": " << row;
                        }
                    }
                }
            for (int col = 0; col < 5; ++col) {
                if (columns[col] == MapStatus::Computed) continue;
                const std::string name[5] = {"NEL(Br.-T)", "ThurC(lin)", "ThurC(log)", "ThurB(lin)", "ThurB(log)"};
                EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                                       [&](const std::string& l) {
                                           return l.starts_with(" " + name[col] + " not computable: ");
                                       }),
                          lines.end())
                    << what << ": the note of " << name[col];
            }

            const MapStatus intervals[3] = {NelMapStatus, ThurstoneCMaps.Linear, ThurstoneCMaps.Log};
            const std::vector<std::string> bounds = RowsAfter(
                lines, "Item   NEL (Bradley-Terry)     Thurstone C (linear)     Thurstone C (log)", 0, 4);
            ASSERT_EQ(bounds.size(), 4u) << what;
            for (const std::string& row : bounds)
                for (int col = 0; col < 3; ++col) {
                    const std::string cell = row.substr(2 + 24 * col, 24);
                    if (intervals[col] != MapStatus::Computed) {
                        EXPECT_EQ(cell, NotComputedInterval) << what << ": " << row;
                        continue;
                    }
                    double lo = 0;
                    double hi = 0;
                    ASSERT_TRUE(ParsesAsNumber(cell.substr(2, 10), lo) && ParsesAsNumber(cell.substr(13, 10), hi))
                        << what << ": " << row;
                    EXPECT_LE(lo, hi) << what << ": " << row;
                    if (col == 0) {
                        EXPECT_GE(lo, 0) << what << ": " << row;
                    }
                }
        }
    }
}

}  // namespace
