// Numbers read from the command line, the environment and files, through
// strtoll, so that a malformed or out-of-range number is told from a real one.
#ifndef CORVANE_BENCH_ARGS_H
#define CORVANE_BENCH_ARGS_H

#include <cerrno>
#include <climits>
#include <cstdlib>

// The decimal number at the start of text, after optional white space (what
// follows it is ignored), or fallback when there is none or it does not fit.
inline long long leadingNumberOr(const char* text, long long fallback)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    return end == text || errno == ERANGE ? fallback : value;
}

// A count from the command line: the whole of text as an int, or fallback.
inline int countOr(const char* text, int fallback)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return fallback;
    return static_cast<int>(value);
}

#endif
