// The experts' weights: global (calibration times mean seed information) and item weights
// (calibration times the information on each item); the global ones are also written to
// "weightsw.dat" in the current directory.
#pragma once

#include <span>
#include <vector>

namespace halvorine {

struct TAssessment;

// "weightsw.dat" in the current directory: one line per data expert, its number in 2 characters,
// ": " and its RawWeight in fixed notation with 10 decimals in 14 characters. Nothing reads the
// file back, so a failure to write it is ignored.
void WriteWeightsFile();
// The same file with raw[e] for expert e.
void WriteWeightsFile(const std::vector<float>& raw);

// Calibration (cut by the significance level for a data expert) times mean seed information.
float GlobalWeightRaw(int e);

// Calibration times the information of expert e's assessment of item i.
float ItemWeightRaw(int e, int i);

// The first data expert without a valid seed assessment (then every calibration statistic would
// be 0, since it is scaled by the smallest seed count); 0 when every one has some.
int FirstExpertWithoutSeeds();

// RawWeight and Weight of every data expert. code: 0; RunZeroWeights when the raw weights sum to
// zero (only RawWeight stored); the last item that some data expert assessed but whose valid
// assessments carry no weight (the weights are stored and the file written all the same);
// RunNoSeedAnswers (CheckedExpert), RunBadLevels or RunNotFinite before anything is stored.
void ComputeGlobalWeights(int& code);

// RawItemWeight and ItemWeight of every assessment of every data expert. code keeps the caller's
// value on success; RunZeroWeights when some item's raw weights sum to zero (stops there);
// RunNoSeedAnswers, RunBadLevels or RunNotFinite before anything is stored.
void ComputeItemWeights(int& code);

// What the weights read of the data experts that neither the weights nor the significance level
// change: each expert's seed entropy and mean information, and who answered each item. The
// optimisation reads it once and reuses it in every pass; it stays valid while the answers, their
// information and the realisations do (within one run).
class ExpertScores {
public:
    // Reads experts 1..ExpertCount and items 1.. up to the first empty slot; everyAnswer: also
    // every expert's answers, which item weights read. Stores nothing in the experts (a decision
    // maker's information is refreshed, as ComputeMeanInformation does).
    void Read(bool everyAnswer);

    // The items read (1..Items()); whether some data expert answered item i, validly or not; the
    // data experts who answered it validly, in expert order.
    int Items() const { return items_; }
    bool Assessed(int i) const { return assessed_[static_cast<std::size_t>(i)] != 0; }
    std::span<const int> ValidExperts(int i) const {
        const Range r = validRange_[static_cast<std::size_t>(i)];
        return {valid_.data() + r.First, static_cast<std::size_t>(r.End - r.First)};
    }

private:
    friend void ComputeGlobalWeights(int& code, const ExpertScores& scores, std::vector<float>* fileWeights);
    friend void ComputeItemWeights(int& code, const ExpertScores& scores);

    struct Answer {
        int Expert;
        TAssessment* Assessment;
    };
    struct Range {
        int First = 0;
        int End = 0;
    };

    int items_ = 0;
    std::vector<char> present_;
    std::vector<float> entropy_;
    std::vector<float> meanSeedInformation_;
    std::vector<float> meanInformation_;
    // Per item: the data experts with a valid assessment (global weights) and, when read with
    // everyAnswer, every expert up to ExpertCount with an assessment (item weights), in expert
    // order; assessed: some data expert answered, validly or not. Item i's lists lie in row i of
    // ExpertCount places.
    std::vector<char> assessed_;
    std::vector<Range> validRange_;
    std::vector<int> valid_;
    std::vector<Range> answerRange_;
    std::vector<Answer> answers_;
};

// ComputeGlobalWeights and ComputeItemWeights from scores read earlier in the same run. With
// fileWeights, the raw weights that would go to "weightsw.dat" are put there instead (the file
// is written once when a series of passes ends).
void ComputeGlobalWeights(int& code, const ExpertScores& scores, std::vector<float>* fileWeights);
void ComputeItemWeights(int& code, const ExpertScores& scores);

}  // namespace halvorine
