#include "engine/run_options.h"

namespace halvorine {

RunOptions RunOptionsInUse() {
    RunOptions o;
    o.WeightType = WeightType;
    o.CalibrationPower = CalibrationPower;
    o.IntrinsicRangeOvershoot = IntrinsicRangeOvershoot;
    o.UserSignificanceLevel = UserSignificanceLevel;
    o.OptimiseDM = OptimiseDM;
    o.DiscrepancyOn = DiscrepancyOn;
    o.BayesianUpdates = BayesianUpdates;
    o.ExactChiSquare = ExactChiSquare;
    o.LogIntrinsicRange = LogIntrinsicRange;
    o.UseMinSeedCount = UseMinSeedCount;
    o.RobustnessRun = RobustnessRun;
    o.RobustnessOnExperts = RobustnessOnExperts;
    return o;
}

void UseRunOptions(const RunOptions& o) {
    WeightType = o.WeightType;
    CalibrationPower = o.CalibrationPower;
    IntrinsicRangeOvershoot = o.IntrinsicRangeOvershoot;
    UserSignificanceLevel = o.UserSignificanceLevel;
    OptimiseDM = o.OptimiseDM;
    DiscrepancyOn = o.DiscrepancyOn;
    BayesianUpdates = o.BayesianUpdates;
    ExactChiSquare = o.ExactChiSquare;
    LogIntrinsicRange = o.LogIntrinsicRange;
    UseMinSeedCount = o.UseMinSeedCount;
    RobustnessRun = o.RobustnessRun;
    RobustnessOnExperts = o.RobustnessOnExperts;
}

TRunSettings MakerSettings(const RunOptions& o, float significanceLevel) {
    TRunSettings s;
    s.RobustnessRun = o.RobustnessRun;
    s.DiscrepancyOn = o.DiscrepancyOn;
    s.OptimiseDM = o.OptimiseDM;
    s.BayesianUpdates = o.BayesianUpdates;
    s.SignificanceLevel = significanceLevel;
    s.RobustnessOnExperts = o.RobustnessOnExperts;
    s.WeightType = o.WeightType;
    s.CalibrationPower = o.CalibrationPower;
    s.IntrinsicRangeOvershoot = o.IntrinsicRangeOvershoot;
    return s;
}

}  // namespace halvorine
