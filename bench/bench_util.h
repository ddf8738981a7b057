// Numbers read from text, the clock and order statistics, for the measurements.
#ifndef CORVANE_BENCH_UTIL_H
#define CORVANE_BENCH_UTIL_H

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

// The decimal number at the start of text, after optional white space, or
// fallback when there is none or it does not fit. With whole, nothing may
// follow it.
inline long long numberOr(const char* text, long long fallback, bool whole = false)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    return end == text || errno == ERANGE || (whole && *end != '\0') ? fallback : value;
}

// A count on the command line: the whole of text, from 1 to INT_MAX, or 0.
inline int countOf(const char* text)
{
    const long long value = numberOr(text, 0, true);
    return value > 0 && value <= INT_MAX ? static_cast<int>(value) : 0;
}

// CLOCK_MONOTONIC, which the launcher and the preloaded probe both read.
inline long long monotonicNanoseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

// The nearest-rank percentile (0 to 100) of the samples; 0 when there are none.
inline double percentileOf(std::vector<double> samples, double percent)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const auto rank =
        static_cast<size_t>(std::ceil(percent / 100.0 * static_cast<double>(samples.size())));
    return samples[std::clamp<size_t>(rank, 1, samples.size()) - 1];
}

inline double medianOf(const std::vector<double>& samples)
{
    return percentileOf(samples, 50.0);
}

#endif
