#include "sound_art.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "texture_noise.h"
#include "wav_file.h"

namespace {

// Every tone and noise burst rises from silence and falls back to it over
// these; the attack is short, so that each effect marks its moment.
const double ATTACK_SAMPLES = WAV_SAMPLE_RATE * 0.008;
const double RELEASE_SAMPLES = WAV_SAMPLE_RATE * 0.010;
const double TWO_PI = 6.283185307179586;
const double FULL_SCALE = 32767;
const double DB_PER_DECADE = 20;

// Each effect is scaled to its peak, in dBFS: the announcement well below
// the others, the crash the loudest, none above -3 dBFS.
const double PEAK_DBFS[NUM_EFFECTS] = {-12, -6, -4.5, -3.5};

// A sine whose pitch may glide, exponentially, from hz to endHz.
struct Tone {
    double start, seconds;  // where it lies in the effect
    double hz, endHz;
    double level;         // against the effect's other parts
    double decaySeconds;  // time constant of its exponential decay
};

// White noise through a one-pole low-pass whose cutoff glides likewise.
struct NoiseBurst {
    double seconds;
    double cutoffHz, endCutoffHz;
    double level;
    double decaySeconds;
};

// Two soft blips at one pitch.
const Tone ANNOUNCE_TONES[] = {{0.00, 0.07, 880, 880, 1.0, 0.04},
                               {0.12, 0.07, 880, 880, 1.0, 0.04}};

// C, E and G rising, each note with its second and third harmonic for a
// reedy edge the announcement lacks.
const double APPROACH_NOTES_HZ[] = {523.25, 659.26, 783.99};
const double APPROACH_NOTE_SECONDS = 0.1;
const double APPROACH_HARMONIC_LEVELS[] = {1.0, 0.35, 0.15};
const double APPROACH_DECAY_SECONDS = 0.15;

// A bell: the hum an octave down, the strike note, its octave and two
// inharmonic partials above, the higher ones dying sooner.
const Tone LANDING_TONES[] = {{0, 0.80, 392.0, 392.0, 0.35, 0.40},
                              {0, 0.80, 784.0, 784.0, 1.00, 0.28},
                              {0, 0.60, 1568.0, 1568.0, 0.50, 0.16},
                              {0, 0.45, 2164.0, 2164.0, 0.30, 0.10},
                              {0, 0.30, 4234.0, 4234.0, 0.12, 0.05}};

// A low thump that drops in pitch under a rumble that darkens as it fades.
const Tone CRASH_THUMP = {0, 0.45, 110, 38, 0.9, 0.15};
const NoiseBurst CRASH_NOISE = {0.90, 3000, 250, 1.4, 0.25};
const Uint32 CRASH_NOISE_SEED = 0x00C0FFEEu;

int samplesIn(double seconds)
{
    return static_cast<int>(std::lround(seconds * WAV_SAMPLE_RATE));
}

// The envelope at sample i of a part n samples long: a linear attack, an
// exponential decay and a linear release that reaches 0 at its last sample.
double envelopeAt(int i, int n, double decaySeconds)
{
    const double attack = std::min(1.0, i / ATTACK_SAMPLES);
    const double release = std::min(1.0, (n - 1 - i) / RELEASE_SAMPLES);
    return attack * release * std::exp(-i / (decaySeconds * WAV_SAMPLE_RATE));
}

// The value at fraction t of an exponential glide from one value to another.
double glideAt(double from, double to, double t)
{
    return from * std::pow(to / from, t);
}

// Grows the wave, if need be, to take a part n samples long from first.
void makeRoom(std::vector<double>& wave, int first, int n)
{
    wave.resize(std::max(wave.size(), static_cast<size_t>(first) + n));
}

void addTone(std::vector<double>& wave, const Tone& tone)
{
    const int first = samplesIn(tone.start);
    const int n = samplesIn(tone.seconds);
    makeRoom(wave, first, n);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        wave[first + i] += tone.level * envelopeAt(i, n, tone.decaySeconds) * std::sin(phase);
        phase +=
            TWO_PI * glideAt(tone.hz, tone.endHz, static_cast<double>(i) / n) / WAV_SAMPLE_RATE;
    }
}

void addNoiseBurst(std::vector<double>& wave, const NoiseBurst& burst, Uint32 seed)
{
    const int n = samplesIn(burst.seconds);
    makeRoom(wave, 0, n);
    NoiseSource source(seed);
    double filtered = 0;
    for (int i = 0; i < n; ++i) {
        const double cutoff =
            glideAt(burst.cutoffHz, burst.endCutoffHz, static_cast<double>(i) / n);
        const double smoothing = 1 - std::exp(-TWO_PI * cutoff / WAV_SAMPLE_RATE);
        filtered += smoothing * (2 * source.nextUnit() - 1 - filtered);
        wave[i] += burst.level * envelopeAt(i, n, burst.decaySeconds) * filtered;
    }
}

template <size_t N> std::vector<double> composeTones(const Tone (&tones)[N])
{
    std::vector<double> wave;
    for (const Tone& tone : tones)
        addTone(wave, tone);
    return wave;
}

std::vector<double> composeApproach()
{
    std::vector<double> wave;
    double start = 0;
    for (double hz : APPROACH_NOTES_HZ) {
        double harmonic = 1;
        for (double level : APPROACH_HARMONIC_LEVELS) {
            addTone(wave, {start, APPROACH_NOTE_SECONDS, harmonic * hz, harmonic * hz, level,
                           APPROACH_DECAY_SECONDS});
            ++harmonic;
        }
        start += APPROACH_NOTE_SECONDS;
    }
    return wave;
}

std::vector<double> composeCrash()
{
    std::vector<double> wave;
    addNoiseBurst(wave, CRASH_NOISE, CRASH_NOISE_SEED);
    addTone(wave, CRASH_THUMP);
    return wave;
}

// Scales the wave so that its loudest sample lies at peakDbfs, and rounds it
// to 16 bits.
std::vector<Sint16> quantise(const std::vector<double>& wave, double peakDbfs)
{
    double loudest = 0;
    for (double value : wave)
        loudest = std::max(loudest, std::abs(value));
    const double peak = FULL_SCALE * std::pow(10.0, peakDbfs / DB_PER_DECADE);
    const double scale = loudest > 0 ? peak / loudest : 0;
    std::vector<Sint16> samples(wave.size());
    std::transform(wave.begin(), wave.end(), samples.begin(), [scale](double value) {
        return static_cast<Sint16>(std::lround(value * scale));
    });
    return samples;
}

std::vector<double> composeEffect(Effect effect)
{
    switch (effect) {
    case EffectAnnounce:
        return composeTones(ANNOUNCE_TONES);
    case EffectApproach:
        return composeApproach();
    case EffectLanding:
        return composeTones(LANDING_TONES);
    case EffectCrash:
        return composeCrash();
    default:
        return {};
    }
}

}  // namespace

std::vector<Sint16> synthesiseEffect(Effect effect)
{
    return quantise(composeEffect(effect), PEAK_DBFS[effect]);
}
