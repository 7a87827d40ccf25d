// Generated cases for the engine's benchmarks and tests: experts of differing bias and confidence
// answer every item, and each seed item's realisation is drawn from one expert's own
// distribution, so that calibration scores spread the way they do in real studies.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/globals.h"
#include "engine/tables.h"

using namespace halvorine;

namespace generated {

struct CaseShape {
    int experts = 20;
    int items = 50;
    int seeds = 10;           // items 1..seeds carry a realisation
    int quantiles = 3;        // 3: 5/50/95 %; otherwise evenly spread levels
    double logShare = 0.3;    // share of items on the LOG scale
    double missingShare = 0;  // share of assessments left without values
    std::uint32_t seed = 20240611;
};

// The levels of the generated cases: 5, 50 and 95 % for three quantiles, else (k - 0.5)/Q.
inline void SetGeneratedLevels(int quantiles) {
    QuantileCount = quantiles;
    for (int k = 1; k <= quantiles; ++k)
        QuantileLevels[k] = quantiles == 3 ? (k == 1   ? 0.05f
                                              : k == 2 ? 0.5f
                                                       : 0.95f)
                                           : static_cast<float>((k - 0.5) / quantiles);
    ComputeBinProbabilities();
}

// Rounds to 4 significant digits, as people write numbers down; some answers come out whole,
// and different experts sometimes give exactly the same value.
inline double Written(double v) {
    if (v == 0) return 0;
    const double scale = std::pow(10.0, 3 - std::floor(std::log10(std::fabs(v))));
    return std::round(v * scale) / scale;
}

// Fills the tables (which must be empty) with a case of the given shape; ExpertCount is left 0,
// as after reading the files.
inline void BuildCase(const CaseShape& shape) {
    std::mt19937_64 rng(shape.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> normal(0.0, 1.0);
    SetGeneratedLevels(shape.quantiles);
    const int q = shape.quantiles;

    // Standard normal quantiles at the levels (by bisection: the generator needs no library).
    std::vector<double> z(q + 1);
    for (int k = 1; k <= q; ++k) {
        double lo = -10, hi = 10;
        for (int it = 0; it < 100; ++it) {
            const double m = (lo + hi) / 2;
            (0.5 * std::erfc(-m / std::sqrt(2.0)) < QuantileLevels[k] ? lo : hi) = m;
        }
        z[k] = (lo + hi) / 2;
    }

    struct Profile {
        double bias, confidence;
    };
    std::vector<Profile> profiles(shape.experts + 1);
    for (int e = 1; e <= shape.experts; ++e) profiles[e] = {0.8 * normal(rng), std::exp(0.6 * normal(rng))};

    std::vector<std::vector<std::vector<float>>> answers(shape.experts + 1,
                                                         std::vector<std::vector<float>>(shape.items + 1));
    for (int i = 1; i <= shape.items; ++i) {
        const bool log = unit(rng) < shape.logShare;
        const double centre = log ? 3 * normal(rng) : 100 * normal(rng);
        const double spread = log ? 0.3 + unit(rng) : 5 + 20 * unit(rng);
        TItem* item = NewItem(std::string("Q").append(std::to_string(i)), "", i);
        item->Scale = log ? "LOG" : "UNI";

        for (int e = 1; e <= shape.experts; ++e) {
            if (unit(rng) < shape.missingShare) continue;
            const Profile& p = profiles[e];
            const double median = centre + spread * (p.bias + 0.4 * normal(rng));
            const double width = spread * p.confidence * (0.6 + 0.8 * unit(rng));
            std::vector<float> row(q + 1);
            double previous = -HUGE_VAL;
            for (int k = 1; k <= q; ++k) {
                double v = median + width * z[k] * (0.8 + 0.4 * unit(rng));
                if (log) v = std::exp(v);
                v = Written(v);
                // Strictly increasing, also once nudged: at least a thousandth of the value apart.
                const double gap = 1e-3 * std::fabs(previous) + 1e-3;
                if (v <= previous + gap) v = Written(previous + 2 * gap + 0.01 * width);
                row[k] = static_cast<float>(v);
                previous = row[k];
            }
            answers[e][i] = row;
        }

        if (i <= shape.seeds) {
            // The realisation follows one expert's piecewise uniform distribution.
            int e = 1 + static_cast<int>(unit(rng) * shape.experts);
            while (answers[e][i].empty()) e = e % shape.experts + 1;
            const std::vector<float>& row = answers[e][i];
            auto onScale = [&](double v) { return log ? std::log(v) : v; };
            const double tail = onScale(row[q]) - onScale(row[1]) + 1e-3;
            const double u = unit(rng);
            int k = 1;
            while (k <= q && u > QuantileLevels[k]) ++k;
            const double from = k == 1 ? onScale(row[1]) - tail / 2 : onScale(row[k - 1]);
            const double to = k == q + 1 ? onScale(row[q]) + tail / 2 : onScale(row[k]);
            const double low = k == 1 ? 0.0 : QuantileLevels[k - 1];
            const double high = k == q + 1 ? 1.0 : QuantileLevels[k];
            double r = from + (to - from) * (u - low) / (high - low);
            if (log) r = std::exp(r);
            item->Realisation = static_cast<float>(Written(r));
            item->HasRealisation = true;
        }
    }

    for (int e = 1; e <= shape.experts; ++e) {
        TExpert* x = NewExpert(std::string("E").append(std::to_string(e)), "", e);
        for (int i = 1; i <= shape.items; ++i) {
            TAssessment* a = NewAssessment(x, i);
            a->Item = ItemTable[i].get();
            const std::vector<float>& row = answers[e][i];
            for (std::size_t k = 1; k < row.size(); ++k) a->Values[k] = row[k];
        }
    }
}

}  // namespace generated
