#include "texture_noise.h"

#include <algorithm>

namespace {

// A zero state would stay zero for ever.
const Uint32 FALLBACK_SEED = 0x9E3779B9u;
const float UNIT_SCALE = 1.0f / 16777216.0f;  // 2^-24: the top 24 bits as a fraction
const int UNIT_SHIFT = 8;

float smoothStep(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

}  // namespace

NoiseSource::NoiseSource(Uint32 seed) : state(seed != 0 ? seed : FALLBACK_SEED) { }

Uint32 NoiseSource::next()
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float NoiseSource::nextUnit()
{
    return static_cast<float>(next() >> UNIT_SHIFT) * UNIT_SCALE;
}

ValueNoise::ValueNoise(int width, int height, int cellSize, NoiseSource& source)
    : cellSize(cellSize),
      cols(width / cellSize + 2),
      rows(height / cellSize + 2)
{
    lattice.resize(static_cast<size_t>(cols) * rows);
    std::generate(lattice.begin(), lattice.end(), [&source] { return source.nextUnit(); });
}

float ValueNoise::latticeAt(int col, int row) const
{
    return lattice[static_cast<size_t>(row) * cols + col];
}

float ValueNoise::valueAt(int x, int y) const
{
    const int col = x / cellSize;
    const int row = y / cellSize;
    const float fx = smoothStep(static_cast<float>(x % cellSize) / cellSize);
    const float fy = smoothStep(static_cast<float>(y % cellSize) / cellSize);
    const float top = latticeAt(col, row) + (latticeAt(col + 1, row) - latticeAt(col, row)) * fx;
    const float bottom =
        latticeAt(col, row + 1) + (latticeAt(col + 1, row + 1) - latticeAt(col, row + 1)) * fx;
    return top + (bottom - top) * fy;
}
