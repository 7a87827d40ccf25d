// The experts' weights: global (calibration times mean seed information) and item weights
// (calibration times the information on each item); the global ones are also written to
// "weightsw.dat" in the current directory.
#pragma once

// "weightsw.dat" in the current directory: one line per data expert, its number in 2 characters,
// ": " and its RawWeight in fixed notation with 10 decimals in 14 characters. Nothing reads the
// file back, so a failure to write it is ignored.
void WriteWeightsFile();

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
