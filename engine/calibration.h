// Calibration: how well an expert's quantiles catch the realisations of the seed items, as the
// p-value of the relative entropy of the expert's hits per inter-quantile bin.
#pragma once

#include <string>

#include "engine/globals.h"

namespace halvorine {

// 0, or RunBadLevels when QuantileCount is outside 1..25 or some bin of BinProbabilities has no
// positive mass (the entropy and the information would not be finite).
int CheckBinProbabilities();

// The two quantile levels around the first interval without probability, as percents ("50% and
// 50%"; the ends of the scale are 0% and 100%); "" when every interval has some.
std::string EmptyIntervalLevels();

// The bin 1..QuantileCount+1 of a realisation: the first k whose nudged quantile the realisation
// does not definitely exceed, else QuantileCount+1.
int RealisationBin(const TAssessment& a, float realisation);

// Relative entropy of expert e's hits on its valid seed assessments with respect to the bin
// probabilities, rounded to 4 decimals (a half to the even neighbour). 0 without seed hits.
void RelativeEntropyOfSeeds(int e, float& I);

// The same from the hits per bin, hits[1..QuantileCount+1], of seedCount counted seeds.
float RelativeEntropyOfHits(const int* hits, int seedCount);

// The p-value of a calibration statistic with df degrees of freedom: exact from the chi-square
// distribution (ExactChiSquare), else from the stored step tables; df above 5 has no table and
// takes the exact value.
float CalibrationFromStatistic(int df, float stat);

// The uncut calibration of expert e (present) with seed entropy I: the p-value of
// 2 x CalibrationPower x n x I, n being MinSeedCount while UseMinSeedCount is set, else e's own
// SeedCount. Nothing is stored.
float CalibrationOfEntropy(int e, float I);

// The same with n given.
float CalibrationOfCount(int n, float I);

// Computes and stores expert e's SeedEntropy, Calibration and CalibrationCut; returns
// CalibrationCut for a data expert and Calibration for a decision maker (0 for an empty slot).
float CalibrationScore(int e);

// CalibrationScore of expert e (present) whose seed entropy I is known.
float CalibrationScoreOfEntropy(int e, float I);
// The same, with its CalibrationOfEntropy(e, I) already found.
float CalibrationScoreOfEntropy(int e, float I, float calibration);

}  // namespace halvorine
