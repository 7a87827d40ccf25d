#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/core/calc_error.h"
#include "pairwise/model/agreement.h"
#include "pairwise/model/run_tally.h"
#include "pairwise/model/triads.h"
#include "report_test_support.h"

using namespace trindel;

namespace {

using reporttest::AddExpert;
using reporttest::AddItemsNumbered;
using reporttest::RunTest;

class AgreementTest : public RunTest {
protected:
    void Compute() {
        TallyAnswers(RunItemPositions());
        OpenReport();
        CountCircularTriads();
        AgreementAndConcordance();
        CloseReport();
    }
    static double U() { return static_cast<double>(AgreementU); }
    static double W() { return static_cast<double>(ConcordanceW); }
};

// By hand: P over the ordered pairs above 1.5 is 2.5, 2, 3, 2, 3, 3, so
// num = 2.5*1.5/2 + 1 + 3 + 1 + 3 + 3 = 12.875; den = 6 pairs * 3*2/2 = 18;
// u = 2*12.875/18 - 1 = 0.4305556. Totals T = (7.5, 5.5, 5, 0), mean 4.5,
// S = 9 + 1 + 0.25 + 20.25 = 30.5; W = 12*30.5 / (9*4*15) = 0.6777778.
TEST_F(AgreementTest, WorkedExample) {
    reporttest::BuildWorkedExample();
    Compute();
    EXPECT_NEAR(U(), 25.75 / 18 - 1, 1e-11);
    EXPECT_NEAR(W(), 366.0 / 540, 1e-11);
    // A second run of the same case gives the same W: nothing carries over.
    const double first = W();
    Compute();
    EXPECT_EQ(W(), first);
}

// The extremes of u, and W where it is known by hand.
TEST_F(AgreementTest, AgreementAtItsBounds) {
    const struct {
        const char* what;
        int n;
        std::vector<std::string> answers;
        double u;
        std::optional<double> w;
    } cases[] = {
        {"unanimous experts agree fully", 5, {"><><><><><", "><><><><><", "><><><><><", "><><><><><"}, 1, {}},
        // Every item has the same total (each expert's wins of it add to the pairs it is in).
        {"two experts opposed on every pair", 6, {">><<>><<>><<>><", "<<>><<>><<>><<>"}, -1, 0},
        // One '>' and one '=' on the pair: P = 1.5 and 0.5 add nothing to num; den = 1.
        {"preference counts up to one and a half add nothing", 2, {">", "="}, -1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        AddItemsNumbered(c.n);
        for (std::size_t e = 0; e < c.answers.size(); ++e) AddExpert(std::string(1, char('A' + e)), c.answers[e]);
        Compute();
        EXPECT_NEAR(U(), c.u, 1e-11);
        if (c.w) {
            EXPECT_NEAR(W(), *c.w, 1e-11);
        }
    }
}

// W = 12 S / (m^2 n (n^2 - 1)) from totals counted straight from the answers.
TEST_F(AgreementTest, ConcordanceOfRandomAnswersMatchesTheFormula) {
    const struct {
        int n;
        int m;
        unsigned seed;
    } cases[] = {{3, 2, 11}, {5, 3, 12}, {8, 4, 13}, {12, 7, 14}};
    for (const auto& c : cases) {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        AddItemsNumbered(c.n);
        std::mt19937 random(c.seed);
        std::vector<double> totals(static_cast<std::size_t>(c.n) + 1, 0);
        for (int e = 0; e < c.m; ++e) {
            std::string pairs;
            for (int l = 1; l < c.n; ++l)
                for (int t = l + 1; t <= c.n; ++t) {
                    const char a = "<=>"[random() % 3];
                    pairs += a;
                    totals[static_cast<std::size_t>(l)] += a == '>' ? 1 : a == '=' ? 0.5 : 0;
                    totals[static_cast<std::size_t>(t)] += a == '<' ? 1 : a == '=' ? 0.5 : 0;
                }
            AddExpert("e" + std::to_string(e), pairs);
        }
        Compute();
        double mean = 0;
        for (int i = 1; i <= c.n; ++i) mean += totals[static_cast<std::size_t>(i)] / c.n;
        double s = 0;
        for (int i = 1; i <= c.n; ++i)
            s += (totals[static_cast<std::size_t>(i)] - mean) * (totals[static_cast<std::size_t>(i)] - mean);
        const double w = 12 * s / (double(c.m) * c.m * c.n * (double(c.n) * c.n - 1));
        EXPECT_NEAR(W(), w, 1e-10) << "n=" << c.n << " m=" << c.m;
    }
}

TEST_F(AgreementTest, NoPairAnsweredByTwoExpertsIsAnInvalidOperation) {
    const struct {
        int n;
        const char* a;
        const char* b;
    } cases[] = {
        {3, ">  ", "  <"},  // each pair answered once
        {1, "", ""},        // no pair at all: one item
        {3, "   ", "   "},  // nothing answered
    };
    for (const auto& c : cases) {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        AddItemsNumbered(c.n);
        AddExpert("A", c.a);
        AddExpert("B", c.b);
        try {
            Compute();
            ADD_FAILURE() << "n=" << c.n << " computed u = " << U();
        } catch (const CalcError& error) {
            EXPECT_EQ(error.Kind(), CalcErrorKind::InvalidOperation) << c.n;
            EXPECT_STREQ(error.what(), "Invalid floating point operation");
        }
    }
}

TEST_F(AgreementTest, ConcordanceIsLeftAloneWhenQueryAnswersWereCounted) {
    reporttest::BuildWorkedExample();
    ConcordanceW = 0.25L;
    TallyAnswers(RunItemPositions());
    NoQueryAnswers = false;
    OpenReport();
    CountCircularTriads();
    AgreementAndConcordance();
    CloseReport();
    EXPECT_EQ(W(), 0.25);
    EXPECT_NEAR(U(), 25.75 / 18 - 1, 1e-11);
}

}  // namespace
