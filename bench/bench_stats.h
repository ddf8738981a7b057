// Order statistics for the measurements: median and percentiles of samples.
#ifndef CORVANE_BENCH_STATS_H
#define CORVANE_BENCH_STATS_H

#include <algorithm>
#include <cmath>
#include <vector>

// The nearest-rank percentile (0 to 100) of the samples; 0 when there are none.
inline double percentileOf(std::vector<double> samples, double percent)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(percent / 100.0 * static_cast<double>(samples.size()));
    const size_t index = rank < 1.0 ? 0 : static_cast<size_t>(rank) - 1;
    return samples[std::min(index, samples.size() - 1)];
}

inline double medianOf(const std::vector<double>& samples)
{
    return percentileOf(samples, 50.0);
}

#endif
