#include "pairwise/model/globals.h"

#include "common/core/line_io.h"
#include "pairwise/model/workspace.h"
#include "platform/random_source.h"

namespace trindel {

ItemTableType ItemTable;
ExpertTableType ExpertTable;
ItemTableType FilteredItems;
ExpertTableType FilteredExperts;
std::array<TPairItem*, MaxItemCount + 1> RobustnessFlaggedItems{};

FILEDATA CaseFile;
int AnswerColumnCount = 0;
std::string ExpertDataHeader;
TPairExpert* ActiveExpert = nullptr;

int CurrentItemIndex = 0;
int ItemCount = 0;
int CurrentExpertIndex = 0;
int ExpertReadCount = 0;
int BinaryIOResult = 0;

bool ItemsFilterEnabled = true;
bool ExpertsFilterEnabled = true;
bool SavedFilterFlag = true;

bool ScaleTransformation = true;
bool ConfidenceIntervals = false;
int ConfidenceLevel = DefaultConfidenceLevel;
int SimulationCount = DefaultSimulationCount;

int FieldWidth = 10;
int DecimalPlaces = 4;
char FloatFormat = 'g';
char DecimalSeparator = '.';
std::unique_ptr<TextFileWriter> OutFile;
bool OutputLineBreak = true;

platform::Prompts* Platform = nullptr;
platform::RandomSource* RandomNumbers = nullptr;

platform::RandomSource& Randoms() {
    return RandomNumbers ? *RandomNumbers : platform::ProcessRandom();
}

void FreeCase() {
    // Experts first: their rows point at items.
    ActiveExpert = nullptr;
    for (auto& e : ExpertTable) e.reset();
    for (auto& e : FilteredExperts) e.reset();
    for (auto& i : ItemTable) i.reset();
    for (auto& i : FilteredItems) i.reset();
    RobustnessFlaggedItems.fill(nullptr);
    AnswerColumnCount = 0;
    CurrentItemIndex = 0;
    ItemCount = 0;
    CurrentExpertIndex = 0;
    ExpertReadCount = 0;
}

void ResetGlobals() {
    FreeCase();

    CaseFile.CaseFileName.clear();
    CaseFile.CaseName.clear();
    CaseFile.FileKinds[ExpertsFileKind] = TFileKind{"ey", "Experts", false};
    CaseFile.FileKinds[ItemsFileKind] = TFileKind{"iy", "Items", false};
    ExpertDataHeader.clear();
    BinaryIOResult = 0;

    ItemsFilterEnabled = true;
    ExpertsFilterEnabled = true;
    SavedFilterFlag = true;

    ScaleTransformation = true;
    ConfidenceIntervals = false;
    ConfidenceLevel = DefaultConfidenceLevel;
    SimulationCount = DefaultSimulationCount;

    FieldWidth = 10;
    DecimalPlaces = 4;
    FloatFormat = 'g';
    OutFile.reset();  // an export left open is discarded, not committed
    OutputLineBreak = true;

    ResetWorkspace();
}

}  // namespace trindel
