// Deterministic noise for textures: a fixed-seed generator, so every run of
// the generator writes the same bytes.
#ifndef CORVANE_TOOLS_TEXTURE_NOISE_H
#define CORVANE_TOOLS_TEXTURE_NOISE_H

#include <SDL.h>

#include <vector>

// Marsaglia's xorshift32: tiny, fast, and the same on every platform.
class NoiseSource {
public:
    explicit NoiseSource(Uint32 seed);
    Uint32 next();
    float nextUnit();  // in [0, 1)

private:
    Uint32 state;
};

// Smooth value noise: random values on a square lattice, blended between
// lattice points; answers values in [0, 1).
class ValueNoise {
public:
    ValueNoise(int width, int height, int cellSize, NoiseSource& source);
    float valueAt(int x, int y) const;

private:
    float latticeAt(int col, int row) const;

    int cellSize;
    int cols, rows;
    std::vector<float> lattice;
};

#endif
