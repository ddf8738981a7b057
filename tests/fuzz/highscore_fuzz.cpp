// Feeds arbitrary bytes to the high-score reader as the content of
// "highscore.txt" and holds its answer against the rule, worked out here on
// the digits as text: the leading decimal number, after optional white space
// and an optional '+', when it fits the 32 bits of highscore; 0 for anything
// else. A wrong answer aborts, so libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "skyrel_main.h"

namespace {

// The largest high score, as the digits that spell it.
const std::string LARGEST_HIGHSCORE = "4294967295";

bool isBlank(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDecimalDigit(uint8_t c)
{
    return c >= '0' && c <= '9';
}

// Compares digit strings without leading zeros by length, then as text, so
// that no arithmetic can overflow on the way.
bool fitsHighscore(const std::string& digits)
{
    if (digits.size() != LARGEST_HIGHSCORE.size())
        return digits.size() < LARGEST_HIGHSCORE.size();
    return digits <= LARGEST_HIGHSCORE;
}

unsigned int expectedHighscore(const uint8_t* data, size_t size)
{
    size_t i = 0;
    while (i < size && isBlank(data[i]))
        ++i;
    if (i < size && data[i] == '+')
        ++i;
    const size_t first = i;
    while (i < size && isDecimalDigit(data[i]))
        ++i;
    if (i == first)
        return 0;
    size_t significant = first;
    while (significant + 1 < i && data[significant] == '0')
        ++significant;
    const std::string digits(data + significant, data + i);
    if (!fitsHighscore(digits))
        return 0;
    return static_cast<unsigned int>(std::stoul(digits));
}

// The bytes as a file the reader can read from; an empty input is an empty
// file, which fmemopen cannot make.
FILE* openAsFile(const uint8_t* data, size_t size, std::string* content)
{
    if (size == 0)
        return fopen("/dev/null", "r");
    content->assign(data, data + size);
    return fmemopen(content->data(), size, "r");
}

// Reads the bytes as the file's content and aborts, so that libFuzzer keeps
// the input, when the reader's answer differs from the rule's.
void checkReader(const uint8_t* data, size_t size)
{
    std::string content;
    FILE* file = openAsFile(data, size, &content);
    if (!file) {
        perror("highscore_fuzz: cannot open the input as a file");
        abort();
    }
    const unsigned int read = parseHighscore(file);
    fclose(file);

    const unsigned int expected = expectedHighscore(data, size);
    if (read != expected) {
        fprintf(stderr, "highscore_fuzz: the reader gave %u where the rule gives %u\n", read,
                expected);
        abort();
    }
}

}  // namespace

// libFuzzer never hands an empty input to a run that starts from a corpus, so
// the empty file is checked once here.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    checkReader(nullptr, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    checkReader(data, size);
    return 0;
}
