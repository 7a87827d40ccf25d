#include <gtest/gtest.h>

#include "model_test_support.h"
#include "pairwise/model/run_tally.h"
#include "pairwise/model/workspace.h"

using namespace trindel;

using namespace pairtest;

namespace {

class WorkspaceTest : public ModelTest {};

TEST_F(WorkspaceTest, ReferenceItemsAreTheFirstAndTheLastWithARealisation) {
    AddItems({"I1", "I2", "I3", "I4", "I5", "I6", "I7", "I8"});
    for (int k : {2, 5, 7}) {
        ItemTable[k]->HasRealisation = true;
        ItemTable[k]->Realisation = static_cast<float>(10 * k);
    }
    ItemTable[3]->HasRealisation = true;  // at the missing value: no reference
    ItemTable[3]->Realisation = MissingValue;
    ItemTable[8]->Realisation = 80;  // a value without the flag: no reference
    AnswerColumnCount = 8;

    const ReferenceItems r = FindReferenceItems();
    EXPECT_EQ(r.Count, 3);
    EXPECT_EQ(r.FirstPosition, 2);
    EXPECT_EQ(r.SecondPosition, 7);
    EXPECT_EQ(r.FirstValue, 20.0f);
    EXPECT_EQ(r.SecondValue, 70.0f);
    EXPECT_EQ(r.FirstId, "I2");
    EXPECT_EQ(r.SecondId, "I7");

    AnswerColumnCount = 4;  // only the run's positions count
    const ReferenceItems one = FindReferenceItems();
    EXPECT_EQ(one.Count, 1);
    EXPECT_EQ(one.SecondPosition, 0);
    EXPECT_EQ(one.SecondId, "");
}

// Answers tallied without the run's counts set are cleared all the same, and so is a larger run's
// corner after a smaller run.
TEST_F(WorkspaceTest, ClearCalculationReachesEveryCellATallyTouched) {
    TallyAnswer(7, 3, 40, '=');
    TallyAnswer(2, 1, 2, '>');
    ASSERT_EQ(RunItemCount, 0);
    ClearCalculation();
    EXPECT_EQ(PairCount[3][40], 0);
    EXPECT_EQ(PairCount[40][3], 0);
    EXPECT_EQ(PreferenceCount[40][3].Value(), 0.0L);
    EXPECT_EQ(ExpertPreference[7][3][40].Value(), 0.0L);
    EXPECT_EQ(ExpertPreference[7][40][3].Value(), 0.0L);
    EXPECT_EQ(ExpertPreference[2][1][2].Value(), 0.0L);
    EXPECT_FALSE(Answered[40][7]);
    EXPECT_FALSE(Answered[1][2]);

    TallyAnswer(150, 149, 150, '<');
    RunItemCount = 2;  // a later, smaller run's counts
    RunExpertCount = 1;
    ClearCalculation();
    EXPECT_EQ(ExpertPreference[150][150][149].Value(), 0.0L);
    EXPECT_EQ(PairCount[149][150], 0);
    EXPECT_FALSE(Answered[150][150]);
}

TEST_F(WorkspaceTest, ResetSetsTheProgramDefaults) {
    ConfidenceLevel = 80;
    ScaleTransformation = false;
    ExpertsFilterEnabled = false;
    CaseFile.FileKinds[ExpertsFileKind].Modified = true;
    ResetGlobals();
    EXPECT_TRUE(ScaleTransformation);
    EXPECT_FALSE(ConfidenceIntervals);
    EXPECT_EQ(ConfidenceLevel, 90);
    EXPECT_EQ(SimulationCount, 50);
    EXPECT_TRUE(ItemsFilterEnabled && ExpertsFilterEnabled && SavedFilterFlag && OutputLineBreak);
    EXPECT_EQ(FieldWidth, 10);
    EXPECT_EQ(DecimalPlaces, 4);
    EXPECT_EQ(FloatFormat, 'g');
    EXPECT_EQ(CaseFile.FileKinds[ExpertsFileKind].Ext.str(), "ey");
    EXPECT_EQ(CaseFile.FileKinds[ExpertsFileKind].Kind.str(), "Experts");
    EXPECT_EQ(CaseFile.FileKinds[ItemsFileKind].Ext.str(), "iy");
    EXPECT_EQ(CaseFile.FileKinds[ItemsFileKind].Kind.str(), "Items");
    EXPECT_FALSE(CaseFile.FileKinds[ExpertsFileKind].Modified);
    EXPECT_EQ(CaseFile.CaseName, "");
}

}  // namespace
