// Sound: the game's effects, played through SDL_mixer. Knows nothing of the
// game: it is handed the files to load and told which effect to start.
#ifndef CORVANE_SOUND_H
#define CORVANE_SOUND_H

// The effects, each at the moment a player needs it.
enum Effect {
    EffectAnnounce,  // an aircraft is announced: soft and short
    EffectApproach,  // a route takes an aircraft in to land: a short rising figure
    EffectLanding,   // an aircraft lands and scores: a chime
    EffectCrash,     // two aircraft crash: a burst, the one sound of a game over
    NUM_EFFECTS
};

#endif
