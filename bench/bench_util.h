// What the measurements share: numbers read from text, the clock, and order
// statistics of samples.
#ifndef CORVANE_BENCH_UTIL_H
#define CORVANE_BENCH_UTIL_H

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
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

inline long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

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
