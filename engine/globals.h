// The analysis program's records, tables and process-wide state: one open case at a time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/core/short_string.h"
#include "engine/constants.h"
#include "engine/distribution_record.h"

namespace platform {
class Prompts;
}

namespace halvorine {

struct TItem;
struct TExpert;
class OutputFile;

// Results of the robustness run that leaves one item or expert out.
struct TRobustness {
    float DMDiscrepancy = 0;
    float DMSeedDiscrepancy = 0;
    float DMInformation = 0;
    float DMSeedInformation = 0;
    float DMScore = 0;
};

// The run settings a decision maker was made with.
struct TRunSettings {
    bool RobustnessRun = false;
    bool DiscrepancyOn = false;
    bool OptimiseDM = false;
    bool BayesianUpdates = false;
    float SignificanceLevel = 0;
    bool RobustnessOnExperts = false;
    std::uint16_t WeightType = 0;
    float CalibrationPower = 0;
    float IntrinsicRangeOvershoot = 0;
};

// One expert's assessment of one item.
struct TAssessment {
    // Taken from blocks (record_pool.h): a full-size case holds a million of them.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* p, std::size_t size) noexcept;

    TItem* Item = nullptr;
    // Values[1..QuantileCount] are the quantiles; Values[0] and Values[QuantileCount+1] hold the
    // item's bounds during a run.
    float Values[MaxQuantileCount + 2] = {};
    TDistribution Distribution;
    float Information = 0;
    float RawItemWeight = 0;
    float ItemWeight = 0;
    float Discrepancy = 0;
    bool Valid = false;
};

struct TItem {
    float Realisation = NoValue;
    // "Not computed" until a run sets them.
    float IntrinsicLow = NoValue;
    float IntrinsicHigh = NoValue;
    float AssessedLow = NoValue;
    float AssessedHigh = NoValue;
    float ItemWeightSum = 0;
    TRobustness Robustness;
    ShortString<14> Id;
    ShortString<173> Name;
    ShortString<3> Scale;
    bool FilterFlag = false;
    bool HasRealisation = false;
    bool NameDone = false;
};

struct TExpert {
    float Calibration = 0;
    float CalibrationCut = 0;
    float SeedEntropy = 0;
    float RawWeight = MissingValue;
    float Weight = MissingValue;
    float WeightWithDM = 0;
    float MeanSeedInformation = 0;
    float MeanInformation = 0;
    float MeanDiscrepancy = 0;
    float MeanSeedDiscrepancy = 0;
    TRobustness Robustness;
    int AssessedCount = 0;
    int SeedCount = 0;
    int MinSeeds = 0;
    TRunSettings Settings;
    // Slot 0 is never used; slot i normally holds the assessment of ItemTable[i].
    std::array<std::unique_ptr<TAssessment>, MaxItemCount + 1> Assessments;
    ShortString<8> Id;
    ShortString<50> Name;
    bool NameDone = false;
    bool FilterFlag = false;
    bool HasInvalid = false;
    // Set for the pooled records a run adds, so a recount never takes one for a data expert.
    bool IsDecisionMaker = false;
};

struct TFileKind {
    ShortString<3> Ext;
    ShortString<12> Kind;
    bool Modified = false;
    bool ConfirmClose = false;
};

struct FILEDATA {
    std::string CaseFileName;
    std::string CaseName;
    TFileKind FileKinds[3];  // AssessmentsFileKind, ItemsFileKind; slot 0 is unused
};

// The slots of FILEDATA::FileKinds.
constexpr int AssessmentsFileKind = 1;  // the experts' assessments (.dtt)
constexpr int ItemsFileKind = 2;        // the items (.rls)

// 1-based tables of owning pointers; entry 0 is never used.
using ItemTableType = std::array<std::unique_ptr<TItem>, MaxItemCount + 1>;
using ExpertTableType = std::array<std::unique_ptr<TExpert>, ExpertSlotCount + 1>;
using IndexMapType = std::array<std::uint16_t, MaxItemCount + 1>;

// One assessment's quantiles kept aside while the Bayesian update changes them.
struct SavedQuantiles {
    TAssessment* Assessment = nullptr;
    float Values[MaxQuantileCount + 1] = {};
};

// ---- tables ----
extern ItemTableType ItemTable;
extern ExpertTableType ExpertTable;
extern IndexMapType ItemColumnMap;
extern IndexMapType RobustItemColumnMap;
extern IndexMapType* ItemIndexMap;
extern ItemTableType FilteredItems;
// Items a robustness run on items flagged; the items themselves stay in ItemTable or FilteredItems.
extern std::array<TItem*, MaxItemCount + 1> RobustnessFlaggedItems;
// The experts sheet's side table of flagged experts moved out for a run.
extern ExpertTableType FilteredExperts;
extern std::vector<SavedQuantiles> QuantileBackup;

// ---- quantile levels ----
extern int QuantileCount;
extern float QuantileLevels[MaxQuantileCount + 1];
extern float BinProbabilities[MaxQuantileCount + 2];
extern std::string AssessmentHeader;

// ---- the case record ----
extern FILEDATA CaseFile;

// ---- platform services (message boxes, file choices, caption, clipboard) ----
extern platform::Prompts* Platform;

// ---- display format ----
extern int FieldWidth;
extern int DecimalPlaces;
extern char FloatFormat;
extern char DecimalSeparator;  // from the user's locale; case files always use '.'

// ---- counts ----
extern int ExpertCount;
extern int ExpertCountBeforeFilter;
extern int DecisionMakerCount;
extern int ItemCount;
extern int CurrentItemIndex;
extern int CheckedExpert;
extern int SeedItemCount;
extern int MinSeedCount;
extern int SeedAssessmentCount;

// ---- run options ----
extern bool RobustnessRun;
extern bool DiscrepancyOn;
extern bool OptimiseDM;
extern bool BayesianUpdates;
extern bool RobustnessOnExperts;
extern std::uint16_t WeightType;  // one of the weighting codes below
constexpr std::uint16_t GlobalWeighting = 1;
constexpr std::uint16_t EqualWeighting = 2;
constexpr std::uint16_t ItemWeighting = 3;
constexpr std::uint16_t UserWeighting = 4;
extern float CalibrationPower;
extern float IntrinsicRangeOvershoot;
extern float UserSignificanceLevel;
extern float MinSignificanceLevel;
extern float MaxSignificanceLevel;
extern bool ExactChiSquare;
extern bool LogIntrinsicRange;
extern bool UseMinSeedCount;
extern bool InformationComputed;
// The threads a run may spread its per-item work over; 0: one per core. A setting of the process,
// not of the case: ResetGlobals leaves it.
extern int RunThreadCount;
extern float SignificanceLevel;
extern float BestDMScore;
// The distinct calibration scores of the data experts, ascending, in [1..CalibrationLevelCount]:
// the candidate significance levels and the upper end of the admissible range.
extern float CalibrationLevels[MaxExpertCount + 1];
extern int CalibrationLevelCount;
// The name of the decision maker of the current run (the run dialog sets it); with "check"
// in it the engine uses whole-number quantile values as they are, without the nudge.
extern ShortString<8> RunDMName;
extern int RunErrorCode;
extern std::string RunErrorText;

// ---- filtering ----
extern bool ItemsFilterEnabled;
extern bool ExpertsFilterEnabled;

// ---- export state ----
extern bool OutputLineBreak;
// The current output text file of the exports (engine/output_files.h).
extern OutputFile OutFile;
// A clipboard export collects its text here and sets the clipboard once when it closes.
extern bool ClipboardOutputOpen;
extern std::string ClipboardOutputText;

// ---- reader state ----
extern int MaxItems;
extern bool TooManyRecords;
extern float PercentileTable[101];
// Why the last percentile table could not be built; empty when it holds values.
extern std::string PercentileTableNote;

// Frees every record of the case (tables, side tables, backups) and sets every global to its
// default. The windows' own state (workbench/window_state.h) is theirs to reset.
void ResetGlobals();

// The run options (robustness, discrepancy, weights, significance levels, the test and
// range variants) to their defaults.
void SetRunOptionDefaults();

// Frees every item and expert record and empties the side tables; counters go to 0. The windows
// free through FreeCaseRecords, which also forgets their pointers into the records.
void FreeCase();

// Recomputes BinProbabilities from QuantileCount and QuantileLevels.
void ComputeBinProbabilities();

}  // namespace halvorine
