#include "pairwise/model/run_comparison.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/core/calc_error.h"
#include "common/core/line_io.h"
#include "pairwise/model/agreement.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/nel_model.h"
#include "pairwise/model/report.h"
#include "pairwise/model/run_tally.h"
#include "pairwise/model/simulation.h"
#include "pairwise/model/thurstone.h"
#include "pairwise/model/transformation.h"
#include "pairwise/model/triads.h"
#include "pairwise/model/workspace.h"
#include "platform/prompts.h"
#include "platform/random_source.h"

namespace trindel {

namespace {

// Round(10000 / (100 - level)), halves to even; 0 for a level that leaves no interval.
int MaxSimulationsFor(int level) {
    if (level >= 100) return 0;
    return static_cast<int>(std::nearbyint(10000.0L / (100 - level)));
}

void SetReferenceItems(const std::vector<int>& items, int nelChoice) {
    const RunReferenceItems refs = FindRunReferenceItems(items);
    RefItem1 = refs.First;
    RefItem2 = refs.Second;
    RefValue1 = refs.FirstValue;
    RefValue2 = refs.SecondValue;
    NelRefItem = nelChoice == 2 ? RefItem2 : RefItem1;
    NelRefValue = nelChoice == 2 ? RefValue2 : RefValue1;
}

}  // namespace

std::function<void(const std::string& step)> RunProgress;

void ReportRunStep(const std::string& step) {
    if (RunProgress) RunProgress(step);
}

void RunModels(int& status) {
    ReportRunStep("Calculating: preferences");
    WriteReportHeader();
    Randoms().Randomize();
    MaxSimulations = MaxSimulationsFor(ConfidenceLevel);
    // SimulatedValues holds SimulatedRunCapacity runs; more cannot be simulated either.
    SimulationPossible = SimulationCount < MaxSimulations && SimulationCount >= 1 &&
                         SimulationCount <= SimulatedRunCapacity;
    ThurstoneContradiction = false;
    ThurstoneBReversed = false;
    ThurstoneCReversed = false;

    WritePreferenceTable();
    CountCircularTriads();
    AgreementAndConcordance();
    WriteScoresTable();

    ReportRunStep("Calculating: models");
    FitBradleyTerry(NelValues, PreferenceCount, 0);
    BradleyTerryGoodnessOfFit();
    FitThurstoneC(ThurstoneCValues, PreferenceCount);
    FitThurstoneB(ThurstoneBValues, PreferenceCount);
    ThurstoneGoodnessOfFit();
    WriteModelValues();

    if (ScaleTransformation) {
        ReportRunStep("Calculating: scale transformation");
        TransformBradleyTerry(NelTransformed, NelValues);
        TransformThurstone(ThurstoneBLinear, ThurstoneBLog, ThurstoneBValues, ThurstoneBReversed, ThurstoneBMaps);
        TransformThurstone(ThurstoneCLinear, ThurstoneCLog, ThurstoneCValues, ThurstoneCReversed, ThurstoneCMaps);
        WriteTransformedValues();
    }

    if (ConfidenceIntervals) {
        if (SimulationPossible) {
            SimulateAllIntervals();
            WriteSimulatedIntervals();
        } else {
            WriteNoSimulationPossible();
        }
    }
    status = 0;
}

bool RunComparison(int nelChoice) {
    ClearCalculation();
    const std::vector<int> items = RunItemPositions();
    const std::string refusal = RunRefusal(items);
    if (!refusal.empty()) {
        if (Platform) Platform->Message(platform::MessageKind::Warning, refusal, platform::Buttons::Ok);
        return RunSucceeded;
    }
    TallyAnswers(items);
    if (ScaleTransformation) SetReferenceItems(items, nelChoice);

    ReportFile = std::make_unique<TextFileWriter>(CaseFile.CaseName + ".ouc");
    int status = 0;
    // A run the models stopped keeps its report up to where it stopped; a report that could not
    // be written (a full disk) is dropped, and the last good one stays.
    auto commitPartial = [] {
        try {
            ReportFile->Commit();
        } catch (const IoError&) {}
        ReportFile.reset();
    };
    try {
        RunModels(status);
        ReportFile->Commit();
    } catch (const CalcError&) {
        commitPartial();
        throw;
    } catch (const UncomparedItemError&) {
        commitPartial();
        throw;
    } catch (...) {
        ReportFile.reset();
        throw;
    }
    ReportFile.reset();
    RunSucceeded = status == 0;
    return RunSucceeded;
}

}  // namespace trindel
