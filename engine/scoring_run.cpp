#include "engine/scoring_run.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>
#include <unordered_set>
#include <vector>

#include "engine/calibration.h"
#include "engine/decision_maker.h"
#include "engine/discrepancy.h"
#include "engine/dm_optimisation.h"
#include "engine/dm_screening.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/intrinsic_range.h"
#include "engine/pooling.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "engine/worker_pool.h"

namespace halvorine {

namespace {

// Global and item weights depend on the significance level; equal and user weights do not.
bool LevelledWeights() {
    return WeightType == GlobalWeighting || WeightType == ItemWeighting;
}

FullRunReuse* OpenReuse = nullptr;

void Run(int& code) {
    code = RunOk;
    if (WeightType == UserWeighting && !CheckUserWeights(code)) return;
    if ((code = CheckBinProbabilities()) != RunOk) return;
    if (!BayesianUpdates && (code = ComputeIntrinsicRanges()) != RunOk) return;
    if (!InformationComputed) {
        FullRunReuse* reuse = FullRunReuse::Open();
        if ((code = reuse ? reuse->ComputeInformation() : ComputeAllInformation()) != RunOk) return;
        InformationComputed = true;
    }
    if (LevelledWeights()) SortedCalibrationLevels(CalibrationLevels, CalibrationLevelCount);

    if (OptimiseDM && LevelledWeights()) {
        OptimiseDecisionMaker(code);
        if (code != RunOk) return;
    } else {
        if (LevelledWeights()) {
            if (!CheckSignificanceLevel(false)) {
                code = RunSignificanceOutOfRange;
                return;
            }
            SignificanceLevel = UserSignificanceLevel;
        } else {
            SignificanceLevel = 0;
        }
        switch (WeightType) {
        case GlobalWeighting: ComputeGlobalWeights(code); break;
        case EqualWeighting:
            for (int e = 1; e <= ExpertCount; ++e)
                if (ExpertTable[e]) ExpertTable[e]->Weight = static_cast<float>(1.0L / ExpertCount);
            break;
        case ItemWeighting: ComputeItemWeights(code); break;
        default: break;  // user weights as checked and completed
        }
        if (code != RunOk) return;
        if ((code = BuildDecisionMaker()) != RunOk) return;
    }

    if (WeightType >= GlobalWeighting && WeightType <= UserWeighting && (code = ScoreDecisionMaker()) != RunOk) return;
    if (DiscrepancyOn && !RobustnessRun) {
        ComputeDiscrepancies(code);
        if (code == RunOk) ComputeMeanDiscrepancies();
    }
}

}  // namespace

void RunCalculation(int& code) {
    try {
        Run(code);
    } catch (const std::bad_alloc&) {
        // The working storage of the pooling and the optimisation grows with the case.
        code = RunOutOfMemory;
    }
}

bool CheckUserWeights(int& code) {
    float sum = 0;  // kept as a 32-bit real after every addition, in expert order
    int given = 0;
    int missing = 0;
    for (int e = 1; e <= ExpertCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        const float w = x->Weight;
        if (IsMissing(w)) {
            ++missing;
            continue;
        }
        if (w == 1.0f) {
            code = RunUserWeightIsOne;
            return false;
        }
        // Not a number is no weight between 0 and 1 either.
        if (!(w >= 0.0f && w <= 1.0f)) {
            code = RunUserWeightOutOfRange;
            return false;
        }
        sum = static_cast<float>(static_cast<long double>(sum) + w);
        ++given;
    }
    if (given == 0) {
        code = RunNoUserWeights;
        return false;
    }
    if (std::fabs(static_cast<long double>(sum) - 1) > 1e-5L && missing == 0) {
        code = RunUserWeightSum;
        return false;
    }
    if (sum > 1.0f) {
        code = RunUserWeightSum;
        return false;
    }
    if (missing > 0) {
        const float fill = static_cast<float>((1 - static_cast<long double>(sum)) / missing);
        for (int e = 1; e <= ExpertCount; ++e) {
            TExpert* x = ExpertTable[e].get();
            if (x && IsMissing(x->Weight)) x->Weight = fill;
        }
    }
    return true;
}

bool CheckSignificanceLevel(bool recompute) {
    if (OptimiseDM || !LevelledWeights()) return true;
    if (recompute) SortedCalibrationLevels(CalibrationLevels, CalibrationLevelCount);
    SignificanceLevel = 0.03f;
    MinSignificanceLevel = 0;
    // Without data experts there is no level to offer but 0.
    MaxSignificanceLevel = CalibrationLevelCount > 0 ? CalibrationLevels[CalibrationLevelCount] : 0.0f;
    return MinSignificanceLevel <= UserSignificanceLevel && UserSignificanceLevel <= MaxSignificanceLevel;
}

void SortedCalibrationLevels(float (&levels)[MaxExpertCount + 1], int& K) {
    K = 0;
    // Levels without mass would make every entropy infinite.
    if (CheckBinProbabilities() != RunOk) return;
    // The experts side by side; each score only reads its expert's assessments.
    std::vector<float> all(static_cast<std::size_t>(ExpertCount) + 1, 0.0f);
    ForEachTask(ExpertCount, [&all](int, int task) {
        const int e = task + 1;
        if (!IsDataExpert(e)) return;
        float I = 0;
        RelativeEntropyOfSeeds(e, I);
        all[static_cast<std::size_t>(e)] = CalibrationOfEntropy(e, I);
    });
    std::vector<float> score;
    for (int e = 1; e <= ExpertCount; ++e)
        if (IsDataExpert(e)) score.push_back(all[static_cast<std::size_t>(e)]);
    if (score.empty()) return;
    // The order the repeated bubble passes reach; a p-value is never NaN.
    std::sort(score.begin(), score.end());
    const int n = static_cast<int>(score.size());
    K = 1;
    for (int j = 0; j + 1 < n; ++j)
        if (score[j] < score[j + 1]) levels[K++] = score[j];
    levels[K] = score[n - 1];
}

FullRunReuse::FullRunReuse() : outer_(OpenReuse) {
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        const TItem* item = ItemTable[i].get();
        ranges_[item] = {std::bit_cast<std::uint32_t>(item->IntrinsicLow),
                         std::bit_cast<std::uint32_t>(item->IntrinsicHigh)};
    }
    ReadSpans();
    ReadHits();
    ReadMeans();
    ReadChecks();
    OpenReuse = this;
}

void FullRunReuse::ReadHits() {
    // As RelativeEntropyOfSeeds counts them.
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        Hits h;
        for (int i = 1; i <= MaxItemCount; ++i) {
            const TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item || !a->Valid || !IsSeedItem(a->Item)) continue;
            const int bin = RealisationBin(*a, a->Item->Realisation);
            ++h.PerBin[bin];
            h.Items.emplace_back(a->Item, bin);
        }
        hits_[ExpertTable[e].get()] = std::move(h);
    }
}

void FullRunReuse::NoteTable() {
    table_.assign(MaxItemCount + 1, nullptr);
    for (int i = 1; i <= MaxItemCount; ++i) table_[static_cast<std::size_t>(i)] = ItemTable[i].get();
    map_.assign(ItemIndexMap->begin(), ItemIndexMap->end());
    missing_.clear();
    std::unordered_set<const TItem*> present(table_.begin(), table_.end());
    for (const auto& [item, range] : ranges_)
        if (IsSeedItem(item) && !present.count(item)) missing_.push_back(item);
}

bool FullRunReuse::TableAsNoted() const {
    if (table_.empty()) return false;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (table_[static_cast<std::size_t>(i)] != ItemTable[i].get()) return false;
    return std::equal(map_.begin(), map_.end(), ItemIndexMap->begin());
}

bool FullRunReuse::SeedHits(const TExpert* x, int* hits) const {
    if (!TableAsNoted()) return false;
    const auto found = hits_.find(x);
    if (found == hits_.end()) return false;
    const Hits& h = found->second;
    for (int k = 0; k <= QuantileCount + 1; ++k) hits[k] = h.PerBin[k];
    for (const TItem* gone : missing_)
        for (const auto& [item, bin] : h.Items)
            if (item == gone) --hits[bin];
    return true;
}

void FullRunReuse::ReadChecks() {
    // Every data expert holds the same items in the same slots with none missing in between, the
    // table holds those items, and nothing in the table is filtered; every assessment's check
    // passes and leaves the validity the full run found.
    checksHold_ = false;
    const int n = ExpertCount;
    if (n < 1 || !ExpertTable[1]) return;
    const TExpert* first = ExpertTable[1].get();
    int m = 0;
    while (m < MaxItemCount && first->Assessments[static_cast<std::size_t>(m) + 1]) ++m;
    slotItems_.assign(static_cast<std::size_t>(m) + 1, nullptr);
    for (int s = 1; s <= m; ++s) {
        const TItem* item = first->Assessments[static_cast<std::size_t>(s)]->Item;
        if (!item || !slotOf_.emplace(item, s).second) return;
        slotItems_[static_cast<std::size_t>(s)] = item;
    }
    int present = 0;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* item = ItemTable[i].get();
        if (!item) continue;
        if (!slotOf_.count(item) || (ItemsFilterEnabled && item->FilterFlag)) return;
        ++present;
    }
    if (present != m) return;
    validBySlot_.assign(static_cast<std::size_t>(m) + 1, {});
    for (int e = 1; e <= n; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!IsDataExpert(e) || (ExpertsFilterEnabled && x->FilterFlag)) return;
        Checked c;
        c.Position = e - 1;
        byPosition_.push_back(x);
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = x->Assessments[static_cast<std::size_t>(s)].get();
            if (s > m) {
                if (a) return;
                continue;
            }
            bool valid = false;
            if (!a || a->Item != slotItems_[static_cast<std::size_t>(s)] || CheckAssessment(*a, true, valid) != 0 ||
                valid != a->Valid)
                return;
            if (valid) validBySlot_[static_cast<std::size_t>(s)].push_back(c.Position);
            c.Valid += valid;
            c.Assessed += valid;
            c.Invalid += !valid;
            if (IsSeedItem(a->Item)) {
                ++c.SeedAnswers;
                c.Seeds += valid;
            }
        }
        checked_[x] = c;
    }
    checksHold_ = true;
}

bool FullRunReuse::CheckCase(int& code) {
    checkedNow_ = false;
    if (!checksHold_ || ExpertCount < 1) return false;
    // CheckCaseData refuses these at once.
    for (int e = 1; e <= ExpertSlotCount; ++e)
        if (ExpertTable[e] && ExpertTable[e]->Id.empty()) return false;
    // The full run's experts in their order, one of them left out at most.
    int leftOut = -1;
    for (int e = 1; e <= ExpertCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x || x->IsDecisionMaker || (ExpertsFilterEnabled && x->FilterFlag)) return false;
        const auto found = checked_.find(x);
        if (found == checked_.end()) return false;
        const int skipped = found->second.Position - (e - 1);
        if (skipped == 1 && leftOut < 0)
            leftOut = e - 1;
        else if (skipped != (leftOut < 0 ? 0 : 1))
            return false;
    }
    if (leftOut < 0 && static_cast<std::size_t>(ExpertCount) + 1 == checked_.size()) leftOut = ExpertCount;
    if (static_cast<std::size_t>(ExpertCount) + (leftOut < 0 ? 0 : 1) != checked_.size()) return false;
    // The slots of the items out of the table, each of which must be filtered out.
    std::vector<char> inTable(slotItems_.size(), 0);
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* item = ItemTable[i].get();
        if (!item) continue;
        const auto found = slotOf_.find(item);
        if (found == slotOf_.end() || (ItemsFilterEnabled && item->FilterFlag)) return false;
        inTable[static_cast<std::size_t>(found->second)] = 1;
    }
    std::vector<std::size_t> out;
    for (std::size_t s = 1; s < slotItems_.size(); ++s) {
        if (inTable[s]) continue;
        if (!(ItemsFilterEnabled && slotItems_[s]->FilterFlag)) return false;
        out.push_back(s);
    }

    for (TAssessment* a : madeValid_) a->Valid = false;
    madeValid_.clear();
    // As CheckCaseData counts: a filtered assessment is valid and not counted.
    SeedAssessmentCount = 0;
    MinSeedCount = 32767;
    int result = 0;
    for (int e = 1; e <= ExpertCount; ++e) {
        TExpert* x = ExpertTable[e].get();
        Checked c = checked_.find(x)->second;
        int valid = c.Valid;
        for (const std::size_t s : out) {
            TAssessment* a = x->Assessments[s].get();
            const bool seed = IsSeedItem(a->Item);
            if (a->Valid) {
                --c.Assessed;
                if (seed) --c.Seeds;
            } else {
                --c.Invalid;
                ++valid;
                a->Valid = true;
                madeValid_.push_back(a);
            }
            if (seed) --c.SeedAnswers;
        }
        x->HasInvalid = c.Invalid > 0;
        x->AssessedCount = c.Assessed;
        x->SeedCount = c.Seeds;
        SeedAssessmentCount += c.SeedAnswers;
        MinSeedCount = std::min(MinSeedCount, x->SeedCount);
        if (valid > 0) ++result;
    }
    CheckedExpert = ExpertCount;
    ItemCount = static_cast<int>(slotItems_.size()) - 1;
    // The map BuildItemIndexMap makes; every expert holds each item where the first does.
    for (int i = 1; i <= MaxItemCount; ++i)
        ItemColumnMap[i] = ItemTable[i] ? static_cast<std::uint16_t>(slotOf_.find(ItemTable[i].get())->second) : 0;
    ItemIndexMap = &ItemColumnMap;
    SeedItemCount = 0;
    for (const auto& item : ItemTable)
        if (IsSeedItem(item.get())) ++SeedItemCount;
    if (SeedItemCount <= 1 || SeedAssessmentCount < 2) result = CheckTooFewSeeds;
    code = result;
    checkedExperts_.assign(ExpertCount, nullptr);
    for (int e = 1; e <= ExpertCount; ++e) checkedExperts_[static_cast<std::size_t>(e) - 1] = ExpertTable[e].get();
    leftOutAt_ = leftOut;
    filteredNow_.assign(slotItems_.size(), 0);
    for (const std::size_t s : out) filteredNow_[s] = 1;
    checkedNow_ = true;
    return true;
}

bool FullRunReuse::ExpertsAsChecked() const {
    if (!checkedNow_ || static_cast<std::size_t>(ExpertCount) != checkedExperts_.size()) return false;
    for (int e = 1; e <= ExpertCount; ++e)
        if (ExpertTable[e].get() != checkedExperts_[static_cast<std::size_t>(e) - 1]) return false;
    return true;
}

bool FullRunReuse::SlotAsChecked(int s) const {
    return s >= 1 && static_cast<std::size_t>(s) < filteredNow_.size() && !filteredNow_[static_cast<std::size_t>(s)];
}

void FullRunReuse::ReadMeans() {
    // As MeanInformationOf sums them for a data expert.
    fullMap_.assign(ItemIndexMap->begin(), ItemIndexMap->end());
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        Means m;
        m.Information.assign(MaxItemCount + 1, 0.0f);
        m.Kind.assign(MaxItemCount + 1, 0);
        for (int i = 1; i <= MaxItemCount; ++i) {
            const TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            const auto s = static_cast<std::size_t>((*ItemIndexMap)[i]);
            m.Information[s] = a->Information;
            m.Kind[s] = IsSeedItem(a->Item) ? 2 : 1;
            m.All.Add(a->Information);
            if (IsSeedItem(a->Item)) m.Seed.Add(a->Information);
        }
        m.Finite = AnswerScoresFinite(*ExpertTable[e]);
        means_[ExpertTable[e].get()] = std::move(m);
    }
}

void FullRunReuse::NoteSlots(const std::vector<int>& computed) {
    // The slots each map reaches, once each; a map that reaches a slot twice or one the full map
    // does not leaves the sums to be formed anew.
    goneSlots_.clear();
    newSlots_.clear();
    slotsHold_ = false;
    std::vector<char> full(MaxItemCount + 1, 0), now(MaxItemCount + 1, 0);
    auto reached = [](const std::vector<std::uint16_t>& map, std::vector<char>& slots) {
        for (int i = 1; i <= MaxItemCount; ++i) {
            const int s = map[static_cast<std::size_t>(i)];
            if (s < 1 || s > MaxItemCount) continue;
            if (slots[static_cast<std::size_t>(s)]) return false;
            slots[static_cast<std::size_t>(s)] = 1;
        }
        return true;
    };
    if (!reached(fullMap_, full) || !reached(map_, now)) return;
    for (int s = 1; s <= MaxItemCount; ++s) {
        if (now[static_cast<std::size_t>(s)] && !full[static_cast<std::size_t>(s)]) return;
        if (full[static_cast<std::size_t>(s)] && !now[static_cast<std::size_t>(s)]) goneSlots_.push_back(s);
    }
    for (const int i : computed) {
        const int s = (*ItemIndexMap)[i];
        if (s >= 1 && s <= MaxItemCount && now[static_cast<std::size_t>(s)]) newSlots_.push_back(s);
    }
    std::sort(newSlots_.begin(), newSlots_.end());
    newSlots_.erase(std::unique(newSlots_.begin(), newSlots_.end()), newSlots_.end());
    slotsHold_ = true;
}

bool FullRunReuse::MeansOf(const TExpert* x, InformationMeans& means) const {
    if (!slotsHold_ || !TableAsNoted()) return false;
    const auto found = means_.find(x);
    if (found == means_.end()) return false;
    const Means& m = found->second;
    ExactSum all = m.All, seed = m.Seed;
    for (const int s : goneSlots_) {
        if (!m.Kind[static_cast<std::size_t>(s)]) continue;
        const float v = m.Information[static_cast<std::size_t>(s)];
        all.Remove(v);
        if (m.Kind[static_cast<std::size_t>(s)] == 2) seed.Remove(v);
    }
    for (const int s : newSlots_) {
        const char kind = m.Kind[static_cast<std::size_t>(s)];
        if (!kind) continue;
        const TAssessment* a = x->Assessments[static_cast<std::size_t>(s)].get();
        const float was = m.Information[static_cast<std::size_t>(s)];
        all.Remove(was);
        all.Add(a->Information);
        if (kind == 2) {
            seed.Remove(was);
            seed.Add(a->Information);
        }
    }
    if (!all.Exact() || !seed.Exact()) return false;
    means = {};
    if (x->SeedCount != 0) means.Seed = static_cast<float>(seed.Total() / x->SeedCount);
    if (x->AssessedCount != 0) means.All = static_cast<float>(all.Total() / x->AssessedCount);
    return true;
}

bool FullRunReuse::AnswersFinite(const TExpert& x) const {
    // Item weights are weighed anew on every assessment.
    if (WeightType == ItemWeighting || !slotsHold_ || !TableAsNoted()) return false;
    const auto found = means_.find(&x);
    if (found == means_.end() || !found->second.Finite) return false;
    for (const int s : newSlots_) {
        const TAssessment* a = x.Assessments[static_cast<std::size_t>(s)].get();
        if (a && a->Item && !std::isfinite(a->Information)) return false;
    }
    return true;
}

void FullRunReuse::ReadSpans() {
    for (int e = 1; e <= ExpertCount; ++e)
        if (IsDataExpert(e)) experts_.push_back(ExpertTable[e].get());
    int items = 0;
    while (items < MaxItemCount && ItemTable[items + 1]) ++items;
    std::vector<Span> spans(static_cast<std::size_t>(items) + 1);
    std::vector<char> known(static_cast<std::size_t>(items) + 1, 0);
    ForEachTask(items, [&](int, int task) {
        const int i = task + 1;
        Span& s = spans[static_cast<std::size_t>(i)];
        // As ComputeIntrinsicRange scans them; values that compare equal with other bits (zeros)
        // or not at all (NaN) would make the result hang on the order, so those items are left out.
        int lowCount = 0, highCount = 0;
        s.LowOfOthers = HUGE_VALF;
        s.HighOfOthers = -HUGE_VALF;
        bool orderFree = true;
        ScanSpan(i, [&](int e, float first, float last) {
            if (!std::isfinite(first) || !std::isfinite(last) || first == 0 || last == 0) return orderFree = false;
            const TExpert* x = ExpertTable[e].get();
            if (s.Count == 0 || first < s.Low) {
                if (s.Count > 0) s.LowOfOthers = s.Low;
                s.Low = first;
                s.LowBy = x;
                lowCount = 1;
            } else {
                if (first == s.Low) ++lowCount;
                s.LowOfOthers = std::min(s.LowOfOthers, first);
            }
            if (s.Count == 0 || last > s.High) {
                if (s.Count > 0) s.HighOfOthers = s.High;
                s.High = last;
                s.HighBy = x;
                highCount = 1;
            } else {
                if (last == s.High) ++highCount;
                s.HighOfOthers = std::max(s.HighOfOthers, last);
            }
            ++s.Count;
            return true;
        });
        if (!orderFree) return;
        if (lowCount > 1) s.LowBy = nullptr;
        if (highCount > 1) s.HighBy = nullptr;
        known[static_cast<std::size_t>(i)] = 1;
    });
    for (int i = 1; i <= items; ++i)
        if (known[static_cast<std::size_t>(i)]) spans_[ItemTable[i].get()] = spans[static_cast<std::size_t>(i)];
}

bool FullRunReuse::SpansHold() {
    // The data experts in table order: the full run's, at most one of them missing.
    leftOut_ = nullptr;
    const std::size_t n = experts_.size();
    std::size_t t = 0;
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        const TExpert* x = ExpertTable[e].get();
        if (t < n && experts_[t] == x) {
            ++t;
        } else if (!leftOut_ && t + 1 < n && experts_[t + 1] == x) {
            leftOut_ = experts_[t];
            t += 2;
        } else {
            return false;
        }
    }
    if (!leftOut_ && t + 1 == n) leftOut_ = experts_[t++];
    return t == n;
}

bool FullRunReuse::SpanOf(const TItem* item, bool& assessed, float& low, float& high) const {
    const auto found = spans_.find(item);
    if (found == spans_.end()) return false;
    const Span& s = found->second;
    // The one expert left out takes its assessment with it; with two or more at the same end,
    // the others keep that end.
    const bool lowGoes = leftOut_ && s.LowBy == leftOut_;
    const bool highGoes = leftOut_ && s.HighBy == leftOut_;
    if (s.Count == 1 && (lowGoes || highGoes)) {
        assessed = false;
        return true;
    }
    // Whether the expert left out answered validly is not known here when it is at neither end,
    // which then does not matter; with a single answer it is at both.
    assessed = s.Count > 0;
    low = lowGoes ? s.LowOfOthers : s.Low;
    high = highGoes ? s.HighOfOthers : s.High;
    return true;
}

FullRunReuse::~FullRunReuse() {
    PutBack();
    for (TAssessment* a : madeValid_) a->Valid = false;
    OpenReuse = outer_;
}

FullRunReuse* FullRunReuse::Open() {
    return OpenReuse;
}

ScreenPoints& FullRunReuse::Screening() {
    if (!screening_) screening_ = std::make_unique<ScreenPoints>();
    return *screening_;
}

PoolLayoutStore& FullRunReuse::Layouts() {
    // Nothing edits the answers while the left-out runs go on.
    if (!layouts_) layouts_ = std::make_unique<PoolLayoutStore>(true);
    return *layouts_;
}

void FullRunReuse::PutBack() {
    const int q = QuantileCount;
    for (const Saved& s : saved_) {
        s.Assessment->Information = s.Information;
        s.Assessment->Values[0] = s.Low;
        s.Assessment->Values[q + 1] = s.High;
    }
    saved_.clear();
}

int FullRunReuse::ComputeInformation() {
    PutBack();
    NoteTable();
    computed_ = 0;
    // The slots whose item is not the one with the full run's range; a slot without an item is
    // computed when the map still leads to assessments there.
    std::vector<int> slots;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* item = ItemTable[i].get();
        if (!item) {
            if ((*ItemIndexMap)[i] != 0) slots.push_back(i);
            continue;
        }
        const auto found = ranges_.find(item);
        if (found == ranges_.end() || found->second.Low != std::bit_cast<std::uint32_t>(item->IntrinsicLow) ||
            found->second.High != std::bit_cast<std::uint32_t>(item->IntrinsicHigh))
            slots.push_back(i);
    }
    computed_ = static_cast<int>(slots.size());
    NoteSlots(slots);
    const int q = QuantileCount;
    return ComputeInformationOfItems(slots, [this, q](TAssessment& a) {
        saved_.push_back({&a, a.Information, a.Values[0], a.Values[q + 1]});
    });
}

}  // namespace halvorine
