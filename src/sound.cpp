#include "sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

namespace {

// The effects are 16-bit mono at this rate. An output buffer of 1024
// samples starts an effect within about 46 ms of its moment.
const int SAMPLE_RATE = 22050;
const int MONO = 1;
const int OUTPUT_SAMPLES = 1024;
const int ALL_CHANNELS = -1;
const int ANY_CHANNEL = -1;

Mix_Chunk* effects[NUM_EFFECTS] = {};
bool opened = false;  // the audio device is open and every effect loaded

// Says once what could not be done; the game goes on without sound.
void giveUpSound(const char* what, const std::string& detail)
{
    fprintf(stderr, "Couldn't %s%s: %s; playing without sound\n", what, detail.c_str(),
            Mix_GetError());
    closeSound();
}

}  // namespace

void openSound(const std::string files[NUM_EFFECTS], bool mute)
{
    if (mute)
        return;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        giveUpSound("open the audio device", "");
        return;
    }
    if (Mix_OpenAudio(SAMPLE_RATE, AUDIO_S16SYS, MONO, OUTPUT_SAMPLES) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        giveUpSound("open the audio device", "");
        return;
    }
    opened = true;
    for (int e = 0; e < NUM_EFFECTS; ++e) {
        effects[e] = Mix_LoadWAV(files[e].c_str());
        if (!effects[e]) {
            giveUpSound("load sound ", files[e]);
            return;
        }
    }
}

void playEffect(Effect effect)
{
    if (opened)
        Mix_PlayChannel(ANY_CHANNEL, effects[effect], 0);
}

void stopEffects()
{
    if (opened)
        Mix_HaltChannel(ALL_CHANNELS);
}

void pauseSound()
{
    if (opened)
        Mix_Pause(ALL_CHANNELS);
}

void resumeSound()
{
    if (opened)
        Mix_Resume(ALL_CHANNELS);
}

void closeSound()
{
    if (!opened)
        return;
    opened = false;
    Mix_HaltChannel(ALL_CHANNELS);
    for (Mix_Chunk*& chunk : effects) {
        Mix_FreeChunk(chunk);  // takes null
        chunk = nullptr;
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
