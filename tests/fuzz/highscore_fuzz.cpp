// Feeds arbitrary bytes to the high-score reader as the file's content and
// holds its answer against the rule: the leading decimal number, after
// optional white space and an optional '+', when it fits 32 bits; 0 for
// anything else. A wrong answer aborts, so libFuzzer keeps the input.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "skyrel_main.h"

namespace {

unsigned int expectedHighscore(std::string_view text)
{
    const size_t start = text.find_first_not_of(" \t\n\v\f\r");
    if (start == std::string_view::npos)
        return 0;
    text.remove_prefix(start + (text[start] == '+' ? 1 : 0));
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && value <= UINT32_MAX ? static_cast<unsigned int>(value) : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = std::tmpfile();
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::rewind(file);
    const unsigned int read = parseHighscore(file);
    std::fclose(file);
    const unsigned int expected =
        expectedHighscore(std::string_view(reinterpret_cast<const char*>(data), size));
    if (read != expected) {
        std::fprintf(stderr, "read %u where the rule gives %u\n", read, expected);
        std::abort();
    }
    return 0;
}
