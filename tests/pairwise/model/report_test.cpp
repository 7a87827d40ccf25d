#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/core/io_error.h"
#include "pairwise/model/agreement.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/report.h"
#include "pairwise/model/report_format.h"
#include "pairwise/model/run_tally.h"
#include "pairwise/model/triads.h"
#include "report_test_support.h"

using namespace trindel;

namespace {

using reporttest::AddExpert;
using reporttest::AddItems;
using reporttest::AddItemsNumbered;
using reporttest::RunTest;

using Lines = std::vector<std::string>;

class ReportTest : public RunTest {
protected:
    // Tallies the case and writes one section into a fresh report.
    template <typename Writer>
    Lines Section(Writer write) {
        TallyAnswers(RunItemPositions());
        OpenReport();
        write();
        return CloseReport();
    }
    // Counts, u and W first (their own report is dropped), then the scores table.
    Lines ScoresTable() {
        TallyAnswers(RunItemPositions());
        OpenReport();
        CountCircularTriads();
        AgreementAndConcordance();
        ReportFile.reset();
        OpenReport();
        WriteScoresTable();
        return CloseReport();
    }
};

TEST(ReportFormat, PadRightAndRepeatChar) {
    EXPECT_EQ(PadRight("abc", 5), "abc  ");
    EXPECT_EQ(PadRight("abcdef", 4), "abcd");
    EXPECT_EQ(PadRight("", 3), "   ");
    EXPECT_EQ(PadRight("abc", 0), "");
    EXPECT_EQ(PadRight("abc", -2), "");
    EXPECT_EQ(RepeatChar('-', 3), "---");
    EXPECT_EQ(RepeatChar('-', 0), "");
    EXPECT_EQ(RepeatChar('-', -1), "");
    EXPECT_EQ(RepeatChar('-', 81), std::string(80, '-'));
}

TEST_F(ReportTest, BannerCarriesTheCaseNameAndTheShortDate) {
    EXPECT_EQ(Section([] { WriteBanner(*ReportFile); }),
              (Lines{"", "Case name: case              24/05/2024                         Wtrindel", "", ""}));
}

TEST_F(ReportTest, BannerOfALongCaseNameIsCutAtEightyCharacters) {
    CaseFile.CaseName = std::string(70, 'x');
    const Lines lines = Section([] { WriteBanner(*ReportFile); });
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "Case name: " + std::string(69, 'x'));
}

// The cut at 80 bytes never ends the line in half a UTF-8 letter of the case name: that
// letter goes. A name that is not UTF-8 (Latin-1) is cut at 80 bytes as before.
TEST_F(ReportTest, BannerCutKeepsTheLettersOfTheCaseNameWhole) {
    const std::string x67(67, 'x'), x68(68, 'x'), x69(69, 'x');
    struct Case {
        std::string name, line;
    };
    const std::vector<Case> cases = {
        {x68 + "\xC3\xA9z", "Case name: " + x68},               // e-acute at bytes 80-81
        {x67 + "\xC3\xA9z", "Case name: " + x67 + "\xC3\xA9"},  // ends at byte 80: kept
        {x67 + "\xE2\x82\xACz", "Case name: " + x67},           // euro sign at bytes 79-81
        {x69 + "\xF0\x9F\x98\x80", "Case name: " + x69},        // four bytes from byte 81
        {x68 + "\xE9\xE9z", "Case name: " + x68 + "\xE9"},      // Latin-1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.size());
        CaseFile.CaseName = c.name;
        const Lines lines = Section([] { WriteBanner(*ReportFile); });
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[1], c.line);
    }
}

TEST_F(ReportTest, HeaderWithTransformationNamesBothReferenceItems) {
    reporttest::BuildWorkedExample();
    const Lines lines = Section([] {
        RefItem1 = 1;
        RefItem2 = 4;
        RefValue1 = 10;
        RefValue2 = 1;
        NelRefItem = 1;
        WriteReportHeader();
    });
    const Lines expected = {
        "",
        "Case name: case              24/05/2024                         Wtrindel",
        "",
        "",
        "     RESULTS OF RUNNING MODELS FOR PAIRWISE COMPARISONS.",
        "",
        "  Number of experts : 3    Number of items : 4",
        "  Transformation: yes. ",
        "  Reference values. Item  1. A1                =  1.000E+0001 (for NEL)",
        "                    Item  4. A4                =  1.000E+0000",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(ReportTest, HeaderWithoutTransformation) {
    ScaleTransformation = false;
    reporttest::BuildWorkedExample();
    const Lines lines = Section([] { WriteReportHeader(); });
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[7], "  Transformation: no. ");
}

// Pair (1,2): two '>' and one '=' give P = 2.5 of N = 3.
TEST_F(ReportTest, PreferenceTableOfTheWorkedExample) {
    reporttest::BuildWorkedExample();
    const Lines expected = {
        "Number of experts preferring \"left\" item to the \"top\",",
        "       relative to the total number of replying experts",
        "",
        "Item      2        3        4  ",
        " 1     2.5/ 3   2.0/ 3   3.0/ 3",
        " 2              2.0/ 3   3.0/ 3",
        " 3                       3.0/ 3",
        "",
        "",
    };
    EXPECT_EQ(Section(WritePreferenceTable), expected);
}

TEST_F(ReportTest, PreferenceTableOfNineItemsEndsWithABlockWithoutColumns) {
    AddItemsNumbered(9);
    AddExpert("A", std::string(36, '>'));
    const Lines expected = {
        "Number of experts preferring \"left\" item to the \"top\",",
        "       relative to the total number of replying experts",
        "",
        "Item      2        3        4        5        6        7        8        9  ",
        " 1     1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1",
        " 2              1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1",
        " 3                       1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1",
        " 4                                1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1",
        " 5                                         1.0/ 1   1.0/ 1   1.0/ 1   1.0/ 1",
        " 6                                                  1.0/ 1   1.0/ 1   1.0/ 1",
        " 7                                                           1.0/ 1   1.0/ 1",
        " 8                                                                    1.0/ 1",
        "",
        "Item",
        " 1  ",
        " 2  ",
        " 3  ",
        " 4  ",
        " 5  ",
        " 6  ",
        " 7  ",
        " 8  ",
        "",
        "",
    };
    EXPECT_EQ(Section(WritePreferenceTable), expected);
}

TEST_F(ReportTest, PreferenceTableOfEightItemsIsOneBlock) {
    AddItemsNumbered(8);
    AddExpert("A", std::string(28, '<'));
    const Lines lines = Section(WritePreferenceTable);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[3], "Item      2        3        4        5        6        7        8  ");
    EXPECT_EQ(lines[4], " 1     0.0/ 1   0.0/ 1   0.0/ 1   0.0/ 1   0.0/ 1   0.0/ 1   0.0/ 1");
    EXPECT_EQ(lines[10], " 7                                                           0.0/ 1");
    EXPECT_EQ(lines[11], "");
    EXPECT_EQ(lines[12], "");
}

TEST_F(ReportTest, ScoresTableOfTheWorkedExample) {
    reporttest::BuildWorkedExample();
    const Lines expected = {
        "Items scores,  circular triads C(e)  and  coefficients of agreement",
        "                  Items:",
        "Expert name      1     2     3     4     Triads",
        "  1. A          3.0   2.0   1.0   0.0      0",
        "  2. B          2.0   2.0   2.0   0.0      1",
        "  3. C          2.5   1.5   2.0   0.0      1",
        "Total           7.5   5.5   5.0   0.0",
        "",
        "",
        "Coefficient of agreement   u = 0.431 (approxim., because of \"=\" answers)",
        "               concordance W = 0.678",
        "",
    };
    EXPECT_EQ(ScoresTable(), expected);
}

// Expert B never compared item 10. Strict answers only, so u carries no remark and an empty line
// follows it. u: the 36 pairs of items 1..9 have P = N = 2 (num 36, den 36), the pairs with item
// 10 have N = 1; u = 1. W: T = 17, 15, ..., 1, 0; mean 8.1; S = 312.9;
// W = 12 * 312.9 / (4 * 10 * 99) = 0.948.
TEST_F(ReportTest, ScoresTableOfTenItemsWithAnItemOneExpertNeverCompared) {
    AddItemsNumbered(10);
    AddExpert("A", std::string(45, '>'));
    std::string b;
    for (int l = 1; l < 10; ++l)
        for (int t = l + 1; t <= 10; ++t) b += t == 10 ? ' ' : '>';
    AddExpert("B", b);
    const Lines expected = {
        "Items scores,  circular triads C(e)  and  coefficients of agreement",
        "                  Items:",
        "Expert name      1     2     3     4     5     6     7     8     9 ",
        "  1. A          9.0   8.0   7.0   6.0   5.0   4.0   3.0   2.0   1.0",
        "  2. B          8.0   7.0   6.0   5.0   4.0   3.0   2.0   1.0   0.0",
        "Total          17.0  15.0  13.0  11.0   9.0   7.0   5.0   3.0   1.0",
        "",
        "                  Items:",
        "Expert name     10     Triads",
        "  1. A          0.0      0",
        "  2. B" + std::string(11, ' ') + "?       0",
        "Total           0.0",
        "",
        "  ?    means that expert didn't give information about the item.",
        "",
        "Coefficient of agreement   u = 1.000",
        "",
        "               concordance W = 0.948",
        "",
    };
    EXPECT_EQ(ScoresTable(), expected);
}

// E2 is flagged and leaves the run: the three counted experts are numbered 1..3, not by their slots.
TEST_F(ReportTest, ScoresTableNumbersTheCountedExpertsAfterFlaggedOnesLeave) {
    AddItemsNumbered(3);
    AddExpert("E1", ">>>");
    AddExpert("E2", "<<<")->FilterFlag = true;
    AddExpert("E3", ">>>");
    AddExpert("E4", ">><");
    const Lines lines = ScoresTable();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[2], "Expert name      1     2     3     Triads");
    EXPECT_EQ(lines[3], "  1. E1         2.0   1.0   0.0      0");
    EXPECT_EQ(lines[4], "  2. E3         2.0   1.0   0.0      0");
    EXPECT_EQ(lines[5], "  3. E4         2.0   0.0   1.0      0");
}

class ModelSectionsTest : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        AddItems({"First", "Second"});
        AddExpert("A", ">");
        TallyAnswers(RunItemPositions());
    }
    // The section from the workspace as it stands (the case was tallied once).
    template <typename Writer>
    Lines Written(Writer write) {
        OpenReport();
        write();
        return CloseReport();
    }
    static void Set(CalcVector& v, long double first, long double second) {
        v[1] = first;
        v[2] = second;
    }
};

// The NEL reference is the second item (choice 2); both Thurstone maps reversed.
TEST_F(ModelSectionsTest, TransformedValuesWithReversedOrderWarnings) {
    RefItem1 = 1;
    RefItem2 = 2;
    NelRefItem = 2;
    Set(NelTransformed, 1.5L, 2);
    Set(ThurstoneCLinear, -0.25L, 2);
    Set(ThurstoneCLog, 1e-5L, 2);
    Set(ThurstoneBLinear, 0, 2);
    Set(ThurstoneBLog, 1234.4L, 2);
    ThurstoneBReversed = true;
    ThurstoneCReversed = true;
    ThurstoneContradiction = false;
    const Lines expected = {
        "Transformed item values",
        "",
        "Item  NEL(Br.-T)   ThurC(lin)    ThurC(log)     ThurB(lin)   ThurB(log)",
        " 1   1.500E+0000  -2.500E-0001   1.000E-0005   0.000E+0000   1.234E+0003 ref",
        " 2   2.000E+0000   2.000E+0000   2.000E+0000   2.000E+0000   2.000E+0000 REF",
        "",
        " REF    marks the reference value for the NEL and Thurstone models",
        " ref    marks the other reference value for the Thurstone models",
        " WARNING :",
        " Non-transformed values contradict the order of the reference values:",
        " transformed values are unreliable for",
        "   Thurstone B model",
        "   Thurstone C model",
    };
    EXPECT_EQ(Written(WriteTransformedValues), expected);

    ThurstoneBReversed = false;
    const Lines onlyC = Written(WriteTransformedValues);
    ASSERT_EQ(onlyC.size(), 12u);
    EXPECT_EQ(onlyC[10], " transformed values are unreliable for");
    EXPECT_EQ(onlyC[11], "   Thurstone C model");
}

TEST_F(ModelSectionsTest, SimulatedIntervalsWithoutTransformationShowNoLogColumn) {
    ScaleTransformation = false;
    LogBoundOverflow = true;  // only reported with the log bounds
    Set(NelLowerBounds, 0.1L, 0);
    Set(NelUpperBounds, 0.25L, 0);
    Set(ThurstoneCLinearLower, -1.2L, 0);
    Set(ThurstoneCLinearUpper, 0.3L, 0);
    const Lines expected = {
        "",
        "Simulation of 90% confidence intervals.",
        "",
        "",
        "Item   NEL (Bradley-Terry)     Thurstone C (linear)",
        " 1 [ 1.0E-0001, 2.5E-0001] [-1.2E+0000, 3.0E-0001]",
        " 2 [ 0.0E+0000, 0.0E+0000] [ 0.0E+0000, 0.0E+0000]",
        "",
    };
    EXPECT_EQ(Written(WriteSimulatedIntervals), expected);
}

TEST_F(ModelSectionsTest, SimulatedLogBoundBeyondTheLimitIsReported) {
    ScaleTransformation = true;
    LogBoundOverflow = true;
    Set(ThurstoneCLogLower, 0.5L, 2);
    Set(ThurstoneCLogUpper, 1e37L, 3);
    const Lines expected = {
        "",
        "Simulation of 90% confidence intervals.",
        "  Results transformed with respect to reference values.",
        "",
        "Item   NEL (Bradley-Terry)     Thurstone C (linear)     Thurstone C (log)",
        " 1 [ 0.0E+0000, 0.0E+0000] [ 0.0E+0000, 0.0E+0000] [ 5.0E-0001, 1.0E+0037]",
        " 2 [ 0.0E+0000, 0.0E+0000] [ 0.0E+0000, 0.0E+0000] [ 2.0E+0000, 3.0E+0000]",
        "",
        "Overflow while calculating bounds for  Thurstone C (log).",
        "",
    };
    EXPECT_EQ(Written(WriteSimulatedIntervals), expected);
}

TEST_F(ReportTest, NoSimulationPossibleLines) {
    EXPECT_EQ(Section(WriteNoSimulationPossible),
              (Lines{"  No simulation possible.", "     Number of simulations is too large OR interval is too narrow",
                     "--------------------------------------------"}));
}

TEST_F(ReportTest, WritingWithoutAnOpenReportIsAnInputOutputError) {
    EXPECT_THROW(WriteReportLine("x"), IoError);
    EXPECT_THROW(WriteReportHeader(), IoError);
}

}  // namespace
