#include "wav_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const Uint16 PCM_FORMAT = 1;
const Uint16 MONO = 1;
const Uint16 BITS_PER_SAMPLE = 16;
const Uint16 BYTES_PER_SAMPLE = BITS_PER_SAMPLE / 8;
const Uint32 FMT_CHUNK_SIZE = 16;
// What the RIFF chunk holds besides the samples: "WAVE", the fmt chunk and
// the data chunk's header.
const Uint32 RIFF_OVERHEAD = 4 + (8 + FMT_CHUNK_SIZE) + 8;

void appendTag(std::vector<Uint8>& bytes, const char* tag)
{
    bytes.insert(bytes.end(), tag, tag + 4);
}

void appendLittleEndian(std::vector<Uint8>& bytes, Uint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<Uint8>(value >> (8 * i)));
}

std::vector<Uint8> encodeWav(const std::vector<Sint16>& samples)
{
    const auto dataSize = static_cast<Uint32>(samples.size() * BYTES_PER_SAMPLE);
    std::vector<Uint8> bytes;
    appendTag(bytes, "RIFF");
    appendLittleEndian(bytes, RIFF_OVERHEAD + dataSize, 4);
    appendTag(bytes, "WAVE");
    appendTag(bytes, "fmt ");
    appendLittleEndian(bytes, FMT_CHUNK_SIZE, 4);
    appendLittleEndian(bytes, PCM_FORMAT, 2);
    appendLittleEndian(bytes, MONO, 2);
    appendLittleEndian(bytes, WAV_SAMPLE_RATE, 4);
    appendLittleEndian(bytes, WAV_SAMPLE_RATE * MONO * BYTES_PER_SAMPLE, 4);
    appendLittleEndian(bytes, MONO * BYTES_PER_SAMPLE, 2);
    appendLittleEndian(bytes, BITS_PER_SAMPLE, 2);
    appendTag(bytes, "data");
    appendLittleEndian(bytes, dataSize, 4);
    for (Sint16 sample : samples)
        appendLittleEndian(bytes, static_cast<Uint16>(sample), BYTES_PER_SAMPLE);
    return bytes;
}

}  // namespace

bool saveWav(const std::vector<Sint16>& samples, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "Couldn't write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const std::vector<Uint8> bytes = encodeWav(samples);
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    if (!written)
        std::fprintf(stderr, "Couldn't write %s\n", path.c_str());
    return written;
}
