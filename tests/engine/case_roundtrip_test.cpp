// The hand-written case: read, written back byte for byte, saved twice alike, read the same with
// LF line ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_builder.h"
#include "case_file_support.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"

using namespace halvorine;

using namespace casefiles_test;
using ::testing::ElementsAre;

namespace {

class CaseRoundTrip : public CaseFileTest {
protected:
    void ReadCase(const std::string& dtt, const std::string& rls) {
        ResetGlobals();
        ASSERT_EQ(ReadAssessmentsFile(dtt), 0);
        ASSERT_EQ(ReadItemsFile(rls), 0);
    }
    void WriteCase(const std::string& stem) {
        ASSERT_TRUE(WriteAssessmentsFile(PathOf(stem + ".dtt")));
        ASSERT_TRUE(WriteItemsFile(PathOf(stem + ".rls")));
    }
    std::vector<float> ValuesOf(int e, int i) const {
        const TAssessment* a = AssessmentAt(e, i);
        EXPECT_TRUE(a && a->Item == ItemTable[i].get());
        return a ? std::vector<float>(a->Values + 1, a->Values + 1 + QuantileCount) : std::vector<float>();
    }
};

TEST_F(CaseRoundTrip, ReadsWhatTheFilesHold) {
    ReadCase(Fixture("case.dtt"), Fixture("case.rls"));
    EXPECT_EQ(AssessmentHeader, "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95");
    ASSERT_EQ(QuantileCount, 3);
    EXPECT_EQ(QuantileLevels[1], 0.05f);
    EXPECT_EQ(QuantileLevels[2], 0.5f);
    EXPECT_EQ(QuantileLevels[3], 0.95f);

    ASSERT_EQ(testcase::ItemIds(), (std::vector<std::string>{"X1", "X2", "Item_three_14c"}));
    const TItem& x1 = *ItemTable[1];
    const TItem& x2 = *ItemTable[2];
    const TItem& x3 = *ItemTable[3];
    EXPECT_EQ(x1.Name.str(), "First seed");
    EXPECT_EQ(x1.Scale.str(), "UNI");
    EXPECT_EQ(x1.Realisation, 12.5f);
    EXPECT_TRUE(IsSeedItem(&x1));
    EXPECT_FALSE(x1.FilterFlag);
    EXPECT_EQ(x2.Name.str(), "");
    EXPECT_EQ(x2.Scale.str(), "LOG");
    EXPECT_EQ(x2.Realisation, NoValue);
    EXPECT_TRUE(x2.HasRealisation) << "-999.6 is a number";
    EXPECT_FALSE(IsSeedItem(&x2));
    EXPECT_TRUE(x2.FilterFlag);
    EXPECT_EQ(x3.Name.str(), "Third item");
    EXPECT_EQ(x3.Realisation, 0.003f);

    ASSERT_EQ(testcase::ExpertIds(), (std::vector<std::string>{"E1", "Expert02", "S.Smith"}));
    EXPECT_EQ(ExpertTable[1]->Name.str(), "Alice Expert");
    EXPECT_FALSE(ExpertTable[1]->FilterFlag);
    EXPECT_EQ(ExpertTable[2]->Name.str(), "");
    EXPECT_TRUE(ExpertTable[2]->FilterFlag);
    EXPECT_EQ(ExpertTable[3]->Name.str(), "Sam Smith");
    EXPECT_TRUE(ExpertTable[3]->FilterFlag);
    EXPECT_EQ(ExpertCount, 0) << "a fresh read leaves the count to the data check";

    EXPECT_THAT(ValuesOf(1, 1), ElementsAre(10, 12, 15));
    EXPECT_THAT(ValuesOf(1, 2), ElementsAre(1, 2, 4));
    EXPECT_THAT(ValuesOf(1, 3), ElementsAre(0.001f, 0.002f, 0.005f));
    EXPECT_THAT(ValuesOf(2, 1), ElementsAre(9, NoValue, 14));
    EXPECT_THAT(ValuesOf(2, 2), ElementsAre(0.5f, 1, 3));
    EXPECT_THAT(ValuesOf(2, 3), ElementsAre(NoValue, NoValue, NoValue));
    EXPECT_THAT(ValuesOf(3, 1), ElementsAre(11, 12.5f, 13.25f));
    EXPECT_THAT(ValuesOf(3, 2), ElementsAre(100, 123.456f, 100000));
    EXPECT_THAT(ValuesOf(3, 3), ElementsAre(-1.5f, 0, 2.5f));
}

TEST_F(CaseRoundTrip, WritesTheFilesBackByteForByteAndAgainAlike) {
    ReadCase(Fixture("case.dtt"), Fixture("case.rls"));
    WriteCase("first");
    EXPECT_EQ(ReadFile(PathOf("first.dtt")), ReadFile(Fixture("case.dtt")));
    EXPECT_EQ(ReadFile(PathOf("first.rls")), ReadFile(Fixture("case.rls")));

    ReadCase(PathOf("first.dtt"), PathOf("first.rls"));
    WriteCase("second");
    EXPECT_EQ(ReadFile(PathOf("second.dtt")), ReadFile(PathOf("first.dtt")));
    EXPECT_EQ(ReadFile(PathOf("second.rls")), ReadFile(PathOf("first.rls")));
}

TEST_F(CaseRoundTrip, LfLineEndsReadTheSame) {
    ReadCase(Fixture("case.dtt"), Fixture("case.rls"));
    const auto withCrLf = CaseSnapshot();
    const auto asLf = [&](const std::string& fixture, const std::string& name) {
        std::string bytes = ReadFile(Fixture(fixture));
        std::string lf;
        for (char c : bytes)
            if (c != '\r') lf += c;
        EXPECT_NE(lf.size(), bytes.size());
        return WriteFile(name, lf).string();
    };
    ReadCase(asLf("case.dtt", "lf.dtt"), asLf("case.rls", "lf.rls"));
    EXPECT_EQ(CaseSnapshot(), withCrLf);
    WriteCase("fromlf");
    EXPECT_EQ(ReadFile(PathOf("fromlf.dtt")), ReadFile(Fixture("case.dtt")));
}

}  // namespace
