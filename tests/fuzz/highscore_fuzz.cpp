// The high-score reader on any file: the leading decimal number, after optional
// white space and '+', when it fits 32 bits, else 0. A wrong answer aborts.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "skyrel_main.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t start = std::min(text.find_first_not_of(" \t\n\v\f\r"), size);
    text.remove_prefix(start + (start < size && text[start] == '+' ? 1 : 0));
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const unsigned int expected =
        error == std::errc() && value <= UINT32_MAX ? static_cast<unsigned int>(value) : 0;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");  // only read from
    if (!file)
        return 0;
    const unsigned int read = parseHighscore(file);
    std::fclose(file);
    if (read != expected)
        std::abort();
    return 0;
}
