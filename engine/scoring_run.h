// The one entry of the scoring engine, and the two checks that can refuse a run.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/constants.h"
#include "engine/exact_sum.h"

namespace halvorine {

struct InformationMeans;
struct TAssessment;
struct TExpert;
struct TItem;
class PoolLayoutStore;
struct ScreenPoints;

// Scores the case with the run options in the globals: ranges (unless BayesianUpdates), information
// (unless InformationComputed), the weights of WeightType, the decision maker in
// ExpertTable[ExpertCount+1] (at the best significance level when OptimiseDM is set, for global
// and item weights), the scores of experts and decision maker, and the discrepancies when
// DiscrepancyOn is set outside a robustness run. code is 0, an item number (global weights: no
// weighted expert answered it) or a RunCode of engine/run_codes.h; on a non-zero code the decision
// maker is incomplete.
void RunCalculation(int& code);

// User weights (WeightType UserWeighting): checks the Weight fields of experts 1..ExpertCount and, when they
// pass, gives the experts without one an equal share of what the others leave. False with
// RunUserWeightIsOne, RunNoUserWeights, RunUserWeightOutOfRange or RunUserWeightSum in code (then
// nothing is changed).
bool CheckUserWeights(int& code);

// Without optimisation and with global or item weights: sets the admissible range 0 ..
// the largest calibration score (MinSignificanceLevel, MaxSignificanceLevel; SignificanceLevel
// becomes 0.03) and tells whether UserSignificanceLevel lies in it. recompute: first rebuild the
// calibration levels. True at once for the other cases.
bool CheckSignificanceLevel(bool recompute);

// The distinct uncut calibration scores of the data experts, ascending, into levels[1..K] (K = 0
// without data experts). The experts' stored scores are not changed.
void SortedCalibrationLevels(float (&levels)[MaxExpertCount + 1], int& K);

// What the left-out runs of a robustness run take over from the full run before them. An
// assessment's information depends on nothing but its values and its item's intrinsic range, so
// while one of these is open, a run with InformationComputed clear computes the information only
// of the items whose range differs from the one the full run left; every other assessment keeps
// the full run's. Opened right after the full run and closed with the robustness run: what a run
// inside it overwrote is put back before the next run and when it closes, so nothing it holds can
// serve a later run on edited, filtered or merged data. It also holds the item layouts the
// optimisation's pooling hands from one run to the next (each taken only where it still holds).
class FullRunReuse {
public:
    // Remembers the ranges of the items 1.. up to the first empty slot, which the information of
    // their assessments was computed on.
    FullRunReuse();
    ~FullRunReuse();
    FullRunReuse(const FullRunReuse&) = delete;
    FullRunReuse& operator=(const FullRunReuse&) = delete;

    // The one open, if any.
    static FullRunReuse* Open();

    // ComputeAllInformation for a left-out run: the full run's information back where the last run
    // changed it, then the items whose range moved computed anew. The same code, CheckedExpert
    // and ItemCount as ComputeAllInformation.
    int ComputeInformation();

    // How many items the last ComputeInformation computed anew.
    int ItemsComputed() const { return computed_; }

    // The pooling's item layouts, handed from one left-out run's optimisation to the next.
    PoolLayoutStore& Layouts();

    // Whether the data experts now in the table are the full run's, or all but one of them, so
    // that SpanOf can tell the span of the items the full run had. Read before SpanOf.
    bool SpansHold();
    // The span of the present data experts' valid assessments of item (see ComputeIntrinsicRange):
    // assessed, and the lowest first and highest last quantile. False when it must be computed.
    bool SpanOf(const TItem* item, bool& assessed, float& low, float& high) const;

    // The hits per bin of data expert x's valid seed assessments (RelativeEntropyOfSeeds) from the
    // full run's, less those of the full run's seed items no longer in the table. False when the
    // table or the item map are not as the last ComputeInformation found them, or x is not one of
    // the full run's experts.
    bool SeedHits(const TExpert* x, int* hits) const;

    // Data expert x's mean information (MeanInformationOf) from the full run's sums, less the
    // items no longer reached and with the information computed anew in place of the full run's.
    // False when a sum would not be exact, the table or the map are not as the last
    // ComputeInformation found them, or x is not one of the full run's experts.
    bool MeansOf(const TExpert* x, InformationMeans& means) const;

    // True when every assessment of data expert x is known to have finite scores
    // (AnswerScoresFinite): they had in the full run, and with global or equal weights a left-out
    // run changes no more of them than the information computed anew. False: not known.
    bool AnswersFinite(const TExpert& x) const;

    // CheckCaseData for a left-out run, from the full run's checks: the items no longer in the
    // table are filtered out, the experts are the full run's or some of them. False, with nothing
    // changed, when the case is not one these checks tell (then CheckCaseData is to run).
    bool CheckCase(int& code);

    // Whether the experts in the table are still those the last CheckCase of this run checked
    // with success: then the validity of every assessment in a slot it did not filter is the full
    // run's, and each data expert holds an assessment in every slot up to the last item's.
    bool ExpertsAsChecked() const;
    // Slot s holds an item's assessments that CheckCase left as the full run checked them.
    bool SlotAsChecked(int s) const;
    // The experts whose assessment in slot s is valid, as positions among the full run's data
    // experts in table order; the position of the one left out now, or -1.
    const std::vector<int>& ValidInSlot(int s) const { return validBySlot_[static_cast<std::size_t>(s)]; }
    int LeftOutPosition() const { return leftOutAt_; }
    // The full run's data expert at that place.
    const TExpert* ExpertAt(int position) const { return byPosition_[static_cast<std::size_t>(position)]; }

    // The screening's points of the seed items, handed from one left-out run to the next.
    ScreenPoints& Screening();

private:
    struct Range {
        std::uint32_t Low = 0;
        std::uint32_t High = 0;
    };
    struct Saved {
        TAssessment* Assessment = nullptr;
        float Information = 0;
        float Low = 0;
        float High = 0;
    };
    // One item's span in the full run, and what leaving out one expert leaves of it.
    struct Span {
        int Count = 0;                            // valid assessments of data experts
        float Low = 0, High = 0;                  // their lowest first and highest last quantile
        const TExpert* LowBy = nullptr;           // the one expert at Low, when it is the only one
        const TExpert* HighBy = nullptr;          // the one expert at High, when it is the only one
        float LowOfOthers = 0, HighOfOthers = 0;  // without that expert (when Count > 1)
    };
    // One expert's seed hits in the full run: per bin, and the bin of each seed item counted.
    struct Hits {
        int PerBin[MaxQuantileCount + 2] = {};
        std::vector<std::pair<const TItem*, int>> Items;
    };
    // One expert's information per assessment slot in the full run, and its sums over the slots
    // the full map reaches (all, and those of seed items).
    struct Means {
        std::vector<float> Information;
        std::vector<char> Kind;  // 0: no assessment reached, 1: of another item, 2: of a seed item
        ExactSum All, Seed;
        bool Finite = false;  // AnswerScoresFinite
    };
    // One expert's check with no item filtered out: as CheckExpertData counts.
    struct Checked {
        int Position = 0;  // among the full run's data experts
        int Assessed = 0, Seeds = 0, Invalid = 0, Valid = 0, SeedAnswers = 0;
    };
    void PutBack();
    void ReadChecks();
    void ReadSpans();
    void ReadHits();
    void ReadMeans();
    void NoteTable();
    void NoteSlots(const std::vector<int>& computed);
    bool TableAsNoted() const;

    std::unordered_map<const TItem*, Range> ranges_;
    std::unordered_map<const TItem*, Span> spans_;
    std::vector<const TExpert*> experts_;  // the full run's data experts, in table order
    const TExpert* leftOut_ = nullptr;     // the one of them missing now (SpansHold)
    std::unordered_map<const TExpert*, Hits> hits_;
    // The table and map as ComputeInformation last found them, and the full run's seed items
    // missing from them.
    std::vector<const TItem*> table_;
    std::vector<std::uint16_t> map_;
    std::vector<const TItem*> missing_;
    std::unordered_map<const TExpert*, Means> means_;
    std::vector<std::uint16_t> fullMap_;
    // Since the full run: the slots the map no longer reaches and those computed anew (false
    // when the map reaches others).
    std::vector<int> goneSlots_, newSlots_;
    bool slotsHold_ = false;
    // Every expert holds the assessments of slotItems_[1..] in those slots, and nothing after.
    std::unordered_map<const TExpert*, Checked> checked_;
    std::unordered_map<const TItem*, int> slotOf_;
    std::vector<const TItem*> slotItems_;
    bool checksHold_ = false;
    std::vector<TAssessment*> madeValid_;  // invalid in the full run, valid as filtered out now
    std::vector<std::vector<int>> validBySlot_;
    std::vector<const TExpert*> byPosition_;
    std::unique_ptr<ScreenPoints> screening_;
    // What the last CheckCase found: the experts, the one left out, the slots it filtered.
    std::vector<const TExpert*> checkedExperts_;
    int leftOutAt_ = -1;
    std::vector<char> filteredNow_;
    bool checkedNow_ = false;
    std::vector<Saved> saved_;
    std::unique_ptr<PoolLayoutStore> layouts_;
    int computed_ = 0;
    FullRunReuse* outer_ = nullptr;
};

}  // namespace halvorine
