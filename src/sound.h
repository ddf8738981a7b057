// Sound: the game's effects, played through SDL_mixer. Knows nothing of the
// game: it is handed the files to load and told which effect to start. A
// game without sound plays on silently: muted, without an audio device, or
// with an effect that cannot be loaded, which is said once on standard error.
#ifndef CORVANE_SOUND_H
#define CORVANE_SOUND_H

#include <string>

// The effects, each at the moment a player needs it.
enum Effect {
    EffectAnnounce,  // an aircraft is announced: soft and short
    EffectApproach,  // a route takes an aircraft in to land: a short rising figure
    EffectLanding,   // an aircraft lands and scores: a chime
    EffectCrash,     // two aircraft crash: a burst, the one sound of a game over
    NUM_EFFECTS
};

// Opens the audio device and loads the effects, by Effect, unless muted.
void openSound(const std::string files[NUM_EFFECTS], bool mute);
// Starts an effect, beside any that still play.
void playEffect(Effect effect);
// Stops every effect that plays.
void stopEffects();
void pauseSound();
void resumeSound();
// Frees the effects and closes the audio device.
void closeSound();

#endif
