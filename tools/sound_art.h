// The game's sound effects, synthesised from sine tones and fixed-seed noise
// under envelopes: the same samples on every run.
#ifndef CORVANE_TOOLS_SOUND_ART_H
#define CORVANE_TOOLS_SOUND_ART_H

#include <SDL.h>

#include <vector>

#include "sound.h"

// The effect's samples at WAV_SAMPLE_RATE: under a second, at the effect's
// own peak level (never above -3 dBFS), rising from and falling to silence
// so that it neither starts nor ends with a click.
std::vector<Sint16> synthesiseEffect(Effect effect);

#endif
