// The search for the significance level that gives the best decision maker.
#pragma once

namespace halvorine {

// With global or item weights: builds the decision maker at level 0 and at every calibration
// level CalibrationLevels[2..CalibrationLevelCount], keeps the level whose decision maker scores
// best (its uncut calibration times its mean seed information; a tie keeps the lower level), and
// builds the final decision maker at that level. Leaves SignificanceLevel at the best level and
// BestDMScore at its score. code: 0, or the code of the first weights or pooling step that failed
// (the passes stop there).
void OptimiseDecisionMaker(int& code);

// How the candidate levels are searched. Screened first bounds the score of every level cheaply
// and pools exactly only the levels that can be the best (with the same result); Exhaustive pools
// at every level; Audited bounds the scores as Screened does and then pools at every level, to
// check each exact score against its bounds.
enum class LevelSearch { Screened, Exhaustive, Audited };
void OptimiseDecisionMaker(int& code, LevelSearch search);
// The search OptimiseDecisionMaker(code) makes (Screened unless set).
void SetLevelSearch(LevelSearch search);

// What the last search did.
struct LevelSearchReport {
    int Candidates = 0;     // candidate levels the passes went through
    int ExactPasses = 0;    // candidate passes that pooled (the final pass not counted)
    bool Screened = false;  // the bounds applied
    int OutOfBounds = 0;    // exact scores outside the bounds of their level (a fault if not 0)
    int Bounded = 0;        // exact scores checked against bounds
    int PassedOver = 0;     // candidate levels the bounds rule out (Audited pools them all the same)
};
const LevelSearchReport& LastLevelSearch();

// Whether candidate pass k (from 1), whose decision maker scores `score`, becomes the best when the
// best so far scores `best`: the first pass always, a later one only with a strictly higher score
// (a tie keeps the earlier, lower level).
bool BecomesBest(int k, float score, float best);

}  // namespace halvorine
