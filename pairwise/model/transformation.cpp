#include "pairwise/model/transformation.h"

#include <cmath>

#include "pairwise/model/checked_math.h"

namespace trindel {

namespace {

MapStatus LinearStatus(int n, long double z1, long double z2) {
    if (RefItem1 < 1 || RefItem1 > n || RefItem2 < 1 || RefItem2 > n) return MapStatus::NoReference;
    if (z1 == z2) return MapStatus::EqualDeviates;
    return MapStatus::Computed;
}

// Near 0 the log map is meaningless: every value would come out as 1.
MapStatus LogStatus(MapStatus linear, long double r1, long double r2) {
    if (linear != MapStatus::Computed) return linear;
    if (!(r1 > 1e-20L || r1 < -1e-20L)) return MapStatus::FirstReferenceZero;
    if (r2 == 0) return MapStatus::SecondReferenceZero;
    if ((r1 < 0) != (r2 < 0)) return MapStatus::OppositeSigns;
    if (r1 < 0) return MapStatus::NegativeReferences;
    return MapStatus::Computed;
}

}  // namespace

void TransformThurstone(CalcVector& linear, CalcVector& log, const CalcVector& values, bool& reversed,
                        MapStatuses& maps) {
    const int n = RunItemCount;
    const CalcVector v = values;  // an output may be values itself
    ThurstoneSlope = 0;
    ThurstoneIntercept = 0;
    ThurstoneLogSlope = 0;
    ThurstoneLogIntercept = 0;
    const long double z1 = RefItem1 >= 1 && RefItem1 <= n ? v[RefItem1].Value() : 0.0L;
    const long double z2 = RefItem2 >= 1 && RefItem2 <= n ? v[RefItem2].Value() : 0.0L;
    const long double r1 = RefValue1;
    const long double r2 = RefValue2;
    maps.Linear = LinearStatus(n, z1, z2);
    maps.Log = LogStatus(maps.Linear, r1, r2);

    if (maps.Linear == MapStatus::Computed) {
        ThurstoneSlope = CheckedDivide(r1 - r2, z1 - z2);
        ThurstoneIntercept = r1 - ThurstoneSlope * z1;
        if (ThurstoneSlope < 0) reversed = true;
    }
    if (maps.Log == MapStatus::Computed) {
        ThurstoneLogSlope = CheckedDivide(CheckedLn(CheckedDivide(r1, r2)), z1 - z2);
        ThurstoneLogIntercept = CheckedLn(r1) - ThurstoneLogSlope * z1;
    }
    for (int i = 1; i <= n; ++i) {
        linear[i] = 0;
        log[i] = 0;
        if (maps.Linear == MapStatus::Computed) {
            linear[i] = ThurstoneSlope * v[i] + ThurstoneIntercept;
            if (linear[i] < 0) ThurstoneContradiction = true;
        }
        if (maps.Log == MapStatus::Computed) log[i] = std::exp(ThurstoneLogSlope * v[i] + ThurstoneLogIntercept);
    }
}

std::string MapStatusText(MapStatus status) {
    switch (status) {
    case MapStatus::Computed: return "";
    case MapStatus::NoReference: return "no reference item";
    case MapStatus::EqualDeviates: return "both reference items have the same value in this model";
    case MapStatus::FirstReferenceZero: return "the first reference value is 0";
    case MapStatus::SecondReferenceZero: return "the second reference value is 0";
    case MapStatus::OppositeSigns: return "the reference values have opposite signs";
    case MapStatus::NegativeReferences: return "the reference values are negative";
    case MapStatus::NonPositiveScale: return "the NEL reference value is not positive";
    }
    return "";
}

std::vector<std::string> TransformationNotes() {
    struct Column {
        const char* Name;
        MapStatus Status;
    };
    const Column columns[] = {{"NEL(Br.-T)", NelMapStatus},
                              {"ThurC(lin)", ThurstoneCMaps.Linear},
                              {"ThurC(log)", ThurstoneCMaps.Log},
                              {"ThurB(lin)", ThurstoneBMaps.Linear},
                              {"ThurB(log)", ThurstoneBMaps.Log}};
    std::vector<std::string> lines;
    for (const Column& c : columns)
        if (c.Status != MapStatus::Computed)
            lines.push_back(std::string(" ") + c.Name + " not computable: " + MapStatusText(c.Status) + ".");
    return lines;
}

}  // namespace trindel
