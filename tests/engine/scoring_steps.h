// Runs the scoring steps on a case built in the tables, in the order of a calculation, for tests
// of the steps before and after the decision maker.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "case_builder.h"
#include "engine/decision_maker.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/intrinsic_range.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "scratch_folder.h"

using namespace halvorine;

namespace testcase {

// A fresh temporary folder as the current directory while the object lives: global weights write
// "weightsw.dat" there.
class ScratchCurrentFolder : public test_support::ScratchFolder {
public:
    ScratchCurrentFolder() : ScratchFolder("scoring-test") { Enter(); }
};

// Starts and ends from the defaults, with the levels 5/50/95.
class ScoringTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        SetLevels({5, 50, 95});
    }
    void TearDown() override { ResetGlobals(); }
};

// Levels 5/50/95, three UNI seed items and a LOG item without realisation, two experts:
//   X1 (5.25):  A (2.5, 5.5, 8.5)     B (6.25, 6.75, 7.25)
//   X2 (12.75): A (8.5, 12.5, 16.5)   B (13.25, 13.5, 13.75)
//   X3 (0.7):   A (0.25, 1.25, 2.25)  B (0.5, 0.625, 0.875)
//   L4 (LOG):   A (10, 20, 50)        B (25, 28, 35)
inline void HandComputedCase() {
    SetLevels({5, 50, 95});
    AddItem("X1", "UNI", 5.25f);
    AddItem("X2", "UNI", 12.75f);
    AddItem("X3", "UNI", 0.7f);
    AddItem("L4", "LOG");
    AddExpert("A", {{2.5f, 5.5f, 8.5f}, {8.5f, 12.5f, 16.5f}, {0.25f, 1.25f, 2.25f}, {10, 20, 50}});
    AddExpert("B", {{6.25f, 6.75f, 7.25f}, {13.25f, 13.5f, 13.75f}, {0.5f, 0.625f, 0.875f}, {25, 28, 35}});
}

// The data check, the item map and a new decision maker after the data experts.
inline void PrepareRun(const std::string& dmName = "") {
    ASSERT_GT(CheckCaseData(), 0);
    BuildItemIndexMap();
    ASSERT_TRUE(AddDecisionMaker(dmName));
    RunDMName = dmName;
}

// Ranges, information, the weights of WeightType (equal: 1/N each; user: as set), the decision
// maker and its scores. Returns the first non-zero code.
inline int ScoreCase() {
    if (int code = ComputeIntrinsicRanges()) return code;
    if (int code = ComputeAllInformation()) return code;
    int code = 0;
    switch (WeightType) {
    case 1: ComputeGlobalWeights(code); break;
    case 2:
        for (int e = 1; e <= ExpertCount; ++e) ExpertTable[e]->Weight = 1.0f / ExpertCount;
        break;
    case 3: ComputeItemWeights(code); break;
    default: break;
    }
    if (code) return code;
    if ((code = BuildDecisionMaker())) return code;
    return ScoreDecisionMaker();
}

inline TExpert* DecisionMaker() {
    return ExpertTable[ExpertCount + 1].get();
}

// One quantile (50 %), both experts say 5.5 on the non-seed item 3: its range collapses to
// 5.5 .. 5.5, and a bin without width carries mass.
inline void CollapsedRangeCase() {
    SetLevels({50});
    AddItem("S1", "UNI", 1.5f);
    AddItem("S2", "UNI", 2.5f);
    AddItem("X", "UNI");
    AddExpert("E1", {{1.25f}, {2.25f}, {5.5f}});
    AddExpert("E2", {{1.75f}, {2.75f}, {5.5f}});
}

// Whole runs from the engine's entry, in a scratch current directory.
class ScoringRunTest : public ScoringTest {
protected:
    // code of RunCalculation on the case as it stands (after PrepareRun)
    static int Run() {
        int code = 12345;
        RunCalculation(code);
        return code;
    }

    ScratchCurrentFolder folder_;
};

}  // namespace testcase
