// WTrindel's records, tables, case record, settings and reader state: one open case at a time.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <string>

#include "common/core/short_string.h"

class TextFileWriter;

namespace platform {
class Prompts;
class RandomSource;
}  // namespace platform

namespace trindel {

// ---- fixed values ----
constexpr int MaxItemCount = 1000;     // item slots 1..1000; also the answers of a row
constexpr int MaxExpertCount = 1000;   // experts live in slots 1..1000
constexpr int ExpertSlotCount = 1032;  // size of the expert tables

// A realisation at or below it counts as absent; an emptied realisation cell stores it.
constexpr float MissingValue = -999.5f;
// Stored in the realisation of a new item and when a realisation field does not parse.
inline const float NoValue = std::bit_cast<float>(std::uint32_t{0xC479E666u});

// Scale words, 1-based; new items and unknown words get DefaultScale.
inline const char* const ScaleNames[3] = {"", "LOG", "UNI"};
constexpr int DefaultScale = 1;

constexpr int BinaryItemRecordSize = 88;

// ---- records ----
struct TPairItem {
    float Realisation = NoValue;
    ShortString<14> Id;
    ShortString<60> Name;
    ShortString<3> Scale;
    bool FilterFlag = false;
    bool HasRealisation = false;
    bool NameDone = false;
};

// One expert's answers with one left item: Answers[k] for the pair (left item, ItemTable[k]),
// one of '>' (left preferred), '<' (top preferred), '=' or ' ' (none). Answers[0] is unused.
struct TAnswerRow {
    TPairItem* Item = nullptr;
    std::array<char, MaxItemCount + 1> Answers;
    TAnswerRow() { Answers.fill(' '); }
};

struct TPairExpert {
    // Row l holds the answers with the item at position l as left item; slot 0 is not used.
    std::array<std::unique_ptr<TAnswerRow>, MaxItemCount + 1> AnswerRows;
    ShortString<8> Id;
    ShortString<50> Name;
    bool NameDone = false;
    bool FilterFlag = false;
};

struct TFileKind {
    ShortString<3> Ext;
    ShortString<12> Kind;
    bool Modified = false;
};

struct FILEDATA {
    std::string CaseFileName;
    std::string CaseName;
    TFileKind FileKinds[3];  // ExpertsFileKind, ItemsFileKind; slot 0 is unused
};

// The slots of the case's FileKinds.
constexpr int ExpertsFileKind = 1;  // the expert data file
constexpr int ItemsFileKind = 2;    // the items file

// 1-based tables of owning pointers; entry 0 is never used.
using ItemTableType = std::array<std::unique_ptr<TPairItem>, MaxItemCount + 1>;
using ExpertTableType = std::array<std::unique_ptr<TPairExpert>, ExpertSlotCount + 1>;

// ---- tables ----
extern ItemTableType ItemTable;
extern ExpertTableType ExpertTable;
// Flagged entries moved out for a run, at their old positions.
extern ItemTableType FilteredItems;
extern ExpertTableType FilteredExperts;
// Read by the filter operations; nothing in this program fills it.
extern std::array<TPairItem*, MaxItemCount + 1> RobustnessFlaggedItems;

// ---- the case ----
extern FILEDATA CaseFile;
extern int AnswerColumnCount;         // answer columns = items
extern std::string ExpertDataHeader;  // as last read or written
extern TPairExpert* ActiveExpert;     // whose comparisons the comparisons sheet shows

// ---- reader state ----
extern int CurrentItemIndex;
extern int ItemCount;
extern int CurrentExpertIndex;
extern int ExpertReadCount;
extern int BinaryIOResult;  // last input/output result of the binary items reader

// ---- filtering ----
extern bool ItemsFilterEnabled;
extern bool ExpertsFilterEnabled;
extern bool SavedFilterFlag;

// ---- run settings ----
extern bool ScaleTransformation;
extern bool ConfidenceIntervals;
constexpr int DefaultConfidenceLevel = 90;
constexpr int DefaultSimulationCount = 50;
extern int ConfidenceLevel;  // percent of the simulated intervals
extern int SimulationCount;  // simulated data sets per model

// ---- display and output ----
extern int FieldWidth;
extern int DecimalPlaces;
extern char FloatFormat;
extern char DecimalSeparator;                    // from the user's locale; case files always use '.'
extern std::unique_ptr<TextFileWriter> OutFile;  // the grid text export's file while it writes
extern bool OutputLineBreak;

// ---- platform services (message boxes, file choices, caption, clipboard) ----
extern platform::Prompts* Platform;
// The simulations' random numbers; null means the process's clock-seeded source (a test puts a
// seeded or scripted one here).
extern platform::RandomSource* RandomNumbers;
platform::RandomSource& Randoms();

// Frees every record of the case and empties the side tables; reader counters go to 0.
void FreeCase();

// Frees the case and sets every global, the calculation workspace included, to its default.
void ResetGlobals();

}  // namespace trindel
