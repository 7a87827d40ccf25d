#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "common/core/calc_error.h"
#include "pairwise/model/checked_math.h"
#include "pairwise/model/proportions.h"
#include "pairwise_model_cases.h"

using namespace trindel;

namespace {

using namespace pairmodel_test;

CalcErrorKind ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CalcError& e) {
        return e.Kind();
    }
    ADD_FAILURE() << "no calculation error";
    return CalcErrorKind::Overflow;
}

TEST(CheckedMath, RaisesTheMatchingError) {
    struct Case {
        const char* what;
        std::function<void()> f;
        CalcErrorKind kind;
    } cases[] = {
        {"1/0", [] { CheckedDivide(1, 0); }, CalcErrorKind::ZeroDivide},
        {"0/0", [] { CheckedDivide(0, 0); }, CalcErrorKind::InvalidOperation},
        {"nan/1", [] { CheckedDivide(NAN, 1); }, CalcErrorKind::InvalidOperation},
        {"ln 0", [] { CheckedLn(0); }, CalcErrorKind::ZeroDivide},
        {"ln -1", [] { CheckedLn(-1); }, CalcErrorKind::InvalidOperation},
        {"sqrt -1", [] { CheckedSqrt(-1); }, CalcErrorKind::InvalidOperation},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.f), c.kind) << c.what;
    EXPECT_EQ(CheckedDivide(3, 4), 0.75L);
    EXPECT_FALSE(std::signbit(CheckedSqrt(-0.0L)));
}

class Proportions : public ModelCase {};

TEST_F(Proportions, RulesForZeroOneAndEverythingBetween) {
    struct Case {
        std::vector<std::string> experts;  // answers on the pair (1, 2)
        long double p12;
        long double p21;
    } cases[] = {
        {{" "}, 0.5L, 0.5L},                    // nobody compared: 1/(2*0+2)
        {{">"}, 0.75L, 0.25L},                  // N = 1, unanimous: 3/4
        {{"<"}, 0.25L, 0.75L},                  // N = 1, nobody for item 1: 1/4
        {{"="}, 0.5L, 0.5L},                    // c = 0.5, neither rule
        {{">", "<", ">"}, 2.0L / 3, 1.0L / 3},  // plain c / N
        {{"=", "=", ">"}, 2.0L / 3, 1.0L / 3},  // ties count half each way
        {std::vector<std::string>(10, ">"), 21.0L / 22, 1.0L / 22},
        {std::vector<std::string>(100, "<"), 1.0L / 202, 201.0L / 202},
    };
    for (const Case& c : cases) {
        TallyAnswers(2, c.experts);
        CalcMatrix p{};
        PreferenceProportions(p, PreferenceCount);
        EXPECT_NEAR(static_cast<double>(p[1][2]), static_cast<double>(c.p12), 1e-12)
            << c.experts.size() << c.experts[0];
        EXPECT_NEAR(static_cast<double>(p[2][1]), static_cast<double>(c.p21), 1e-12)
            << c.experts.size() << c.experts[0];
    }
}

TEST_F(Proportions, RawProportionsReachZeroAndOneAndGiveOneForUnansweredPairs) {
    // Pairs (1,2) (1,3) (2,3): two experts agree on (1,2), split on (1,3), leave (2,3) blank.
    TallyAnswers(3, {">> ", ">< "});
    CalcMatrix r{};
    RawProportions(r, PreferenceCount);
    EXPECT_EQ(r[1][2], 1.0L);
    EXPECT_EQ(r[2][1], 0.0L);
    EXPECT_EQ(r[1][3], 0.5L);
    EXPECT_EQ(r[3][1], 0.5L);
    EXPECT_EQ(r[2][3], 1.0L);
    EXPECT_EQ(r[3][2], 1.0L);
}

TEST_F(Proportions, OutputMayBeTheInputTable) {
    TallyAnswers(3, {">=<", "><<", ">>>"});
    CalcMatrix separate{};
    PreferenceProportions(separate, PreferenceCount);
    CalcMatrix same{};
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) same[i][j] = PreferenceCount[i][j];
    PreferenceProportions(same, same);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) {
            if (i == j) continue;
            EXPECT_EQ(same[i][j], separate[i][j]) << i << "," << j;
        }
}

TEST_F(Proportions, RowSumsWithAndWithoutTheDiagonal) {
    RunItemCount = 3;
    CalcMatrix m{};
    const long double cells[3][3] = {{5, 1, 2}, {0.5L, 7, -1}, {3, 4, 9}};
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) m[i][j] = cells[i - 1][j - 1];
    CalcVector off{};
    CalcVector all{};
    RowSumsOffDiagonal(off, m);
    RowSums(all, m);
    const long double expectedOff[] = {3, -0.5L, 7};
    const long double expectedAll[] = {8, 6.5L, 16};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(off[i], expectedOff[i - 1]) << i;
        EXPECT_EQ(all[i], expectedAll[i - 1]) << i;
    }
}

TEST_F(Proportions, NormaliseAndStartValues) {
    RunItemCount = 4;
    CalcVector v{};
    StartValues(v);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(v[i], 0.25L);
    v[1] = 1;
    v[2] = 3;
    v[3] = 0;
    v[4] = 4;
    NormaliseToSumOne(v);
    EXPECT_EQ(v[1], 0.125L);
    EXPECT_EQ(v[2], 0.375L);
    EXPECT_EQ(v[4], 0.5L);

    // A zero sum: 1/0 with a non-zero entry, 0/0 when every entry is 0.
    v = CalcVector{};
    EXPECT_EQ(ErrorOf([&] { NormaliseToSumOne(v); }), CalcErrorKind::InvalidOperation);
    v[1] = 1;
    v[2] = -1;
    EXPECT_EQ(ErrorOf([&] { NormaliseToSumOne(v); }), CalcErrorKind::ZeroDivide);
}

TEST_F(Proportions, NoItemsNoDivision) {
    RunItemCount = 0;
    CalcVector v{};
    StartValues(v);
    NormaliseToSumOne(v);
    EXPECT_EQ(v[1], 0.0L);
}

}  // namespace
