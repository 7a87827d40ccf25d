#include "engine/globals.h"

#include "engine/output_files.h"
#include "engine/run_options.h"

namespace halvorine {

ItemTableType ItemTable;
ExpertTableType ExpertTable;
IndexMapType ItemColumnMap{};
IndexMapType RobustItemColumnMap{};
IndexMapType* ItemIndexMap = &ItemColumnMap;
ItemTableType FilteredItems;
std::array<TItem*, MaxItemCount + 1> RobustnessFlaggedItems{};
ExpertTableType FilteredExperts;
std::vector<SavedQuantiles> QuantileBackup;

int QuantileCount = 0;
float QuantileLevels[MaxQuantileCount + 1] = {};
float BinProbabilities[MaxQuantileCount + 2] = {};
std::string AssessmentHeader;

FILEDATA CaseFile;
platform::Prompts* Platform = nullptr;

int FieldWidth = 10;
int DecimalPlaces = 4;
char FloatFormat = 'g';
char DecimalSeparator = '.';

int ExpertCount = 0;
int ExpertCountBeforeFilter = 0;
int DecisionMakerCount = 0;
int ItemCount = 0;
int CurrentItemIndex = 0;
int CheckedExpert = 0;
int SeedItemCount = 0;
int MinSeedCount = 0;
int SeedAssessmentCount = 0;

bool RobustnessRun = false;
bool DiscrepancyOn = false;
bool OptimiseDM = true;
bool BayesianUpdates = false;
bool RobustnessOnExperts = false;
std::uint16_t WeightType = GlobalWeighting;
float CalibrationPower = 1.0f;
float IntrinsicRangeOvershoot = 0.1f;
float UserSignificanceLevel = -1.0f;
float MinSignificanceLevel = 0.0f;
float MaxSignificanceLevel = 1.0f;
bool ExactChiSquare = true;
bool LogIntrinsicRange = true;
bool UseMinSeedCount = true;
bool InformationComputed = false;
int RunThreadCount = 0;
float SignificanceLevel = 0;
float BestDMScore = 0;
float CalibrationLevels[MaxExpertCount + 1] = {};
int CalibrationLevelCount = 0;
ShortString<8> RunDMName;
int RunErrorCode = 0;
std::string RunErrorText;

bool ItemsFilterEnabled = true;
bool ExpertsFilterEnabled = true;

bool OutputLineBreak = true;
OutputFile OutFile;
bool ClipboardOutputOpen = false;
std::string ClipboardOutputText;

int MaxItems = MaxItemCount;
bool TooManyRecords = false;
float PercentileTable[101] = {};
std::string PercentileTableNote;

void FreeCase() {
    // Experts first: their assessments point at items.
    for (auto& e : ExpertTable) e.reset();
    for (auto& i : ItemTable) i.reset();
    for (auto& i : FilteredItems) i.reset();
    for (auto& i : RobustnessFlaggedItems) i = nullptr;
    for (auto& e : FilteredExperts) e.reset();
    QuantileBackup.clear();
    ItemColumnMap.fill(0);
    RobustItemColumnMap.fill(0);
    ItemIndexMap = &ItemColumnMap;
    ExpertCount = 0;
    ExpertCountBeforeFilter = 0;
    DecisionMakerCount = 0;
    ItemCount = 0;
    CurrentItemIndex = 0;
    CheckedExpert = 0;
    SeedItemCount = 0;
    MinSeedCount = 0;
    SeedAssessmentCount = 0;
}

void SetRunOptionDefaults() {
    UseRunOptions(RunOptions{});
    // Not options but what the last run found admissible: they go with its results.
    MinSignificanceLevel = 0.0f;
    MaxSignificanceLevel = 1.0f;
}

void ResetGlobals() {
    FreeCase();

    QuantileCount = 0;
    for (auto& l : QuantileLevels) l = 0;
    for (auto& b : BinProbabilities) b = 0;
    AssessmentHeader.clear();

    CaseFile.CaseFileName.clear();
    CaseFile.CaseName = "NONAME";
    CaseFile.FileKinds[AssessmentsFileKind] = TFileKind{"dtt", "Experts", false, true};
    CaseFile.FileKinds[ItemsFileKind] = TFileKind{"rls", "Items", false, false};

    FieldWidth = 10;
    DecimalPlaces = 4;
    FloatFormat = 'g';

    SetRunOptionDefaults();
    InformationComputed = false;
    SignificanceLevel = 0;
    BestDMScore = 0;
    for (auto& l : CalibrationLevels) l = 0;
    CalibrationLevelCount = 0;
    RunDMName = "";
    RunErrorCode = 0;
    RunErrorText.clear();

    ItemsFilterEnabled = true;
    ExpertsFilterEnabled = true;

    OutputLineBreak = true;
    OutFile.Abandon();
    ClipboardOutputOpen = false;
    ClipboardOutputText.clear();

    MaxItems = MaxItemCount;
    TooManyRecords = false;
    for (auto& p : PercentileTable) p = 0;
    PercentileTableNote.clear();
}

void ComputeBinProbabilities() {
    // Levels outside 1..25 would index past the tables.
    if (QuantileCount < 1 || QuantileCount > MaxQuantileCount) return;
    BinProbabilities[1] = QuantileLevels[1];
    for (int k = 2; k <= QuantileCount; ++k) BinProbabilities[k] = QuantileLevels[k] - QuantileLevels[k - 1];
    BinProbabilities[QuantileCount + 1] = 1.0f - QuantileLevels[QuantileCount];
}

}  // namespace halvorine
