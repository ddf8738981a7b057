// The generated bitmaps as the 16-bit screen shows them and sounds as SDL reads them, and the
// colours players tell apart: WCAG 2.1 contrast, colour vision after Machado et al. (2009).
#include <SDL_gfxPrimitives.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "../tools/bitmap_paths.h"
#include "skyrel_main.h"
#include "test_surfaces.h"

namespace {

using Colour = std::array<double, 3>;          // linear RGB, 0 to 1
using Matrix = std::array<double, 9>;          // by rows
const Matrix LUMA = {0.2126, 0.7152, 0.0722};  // its first row gives the luminance

// As the 16-bit screen shows it, or as read; null when missing.
SurfacePtr load(const std::string& file, bool onScreen = true)
{
    SurfacePtr read(SDL_LoadBMP(bitmapPath(CORVANE_BITMAPS_DIR, file.c_str()).c_str()));
    if (!read || !onScreen)
        return read;
    return SurfacePtr(SDL_ConvertSurface(read.get(), makeBitmap(1, 1)->format, 0));
}

Colour colourAt(SDL_Surface* s, int x, int y)
{
    Uint8 c[3];
    SDL_GetRGB(pixelAt(s, x, y), s->format, &c[0], &c[1], &c[2]);
    Colour linear;
    for (int i = 0; i < 3; ++i)  // 3294.6 is 255 x 12.92
        linear[i] = c[i] <= 10 ? c[i] / 3294.6 : std::pow((c[i] / 255.0 + .055) / 1.055, 2.4);
    return linear;
}

Colour times(const Matrix& m, const Colour& c)
{
    return {m[0] * c[0] + m[1] * c[1] + m[2] * c[2], m[3] * c[0] + m[4] * c[1] + m[5] * c[2],
            m[6] * c[0] + m[7] * c[1] + m[8] * c[2]};
}

double contrast(double a, double b)
{
    return (std::max(a, b) + .05) / (std::min(a, b) + .05);
}

}  // namespace

// Every bitmap the game loads, and every sound, the same bytes when generated again. Texts need
// only fit; each look of an aircraft class has the size of its square normal look.
TEST(Bitmaps, EveryFileIsThereAtItsSizeBlackOnlyWhereTransparentAndTheSameOnEveryRun)
{
    const struct {
        std::string file;
        int w, h;
        bool keyed, text;
    } interface[] = {
        {BACKGROUND_FILE, SCREEN_WIDTH, SCREEN_HEIGHT, false, false},
        {DIGITS_FILE, 10 * DIGIT_WIDTH, DIGIT_HEIGHT, false, false},
        {ICON_FILE, ICON_SIZE, ICON_SIZE, false, false},
        {PAUSE_TEXT_FILE, SCREEN_WIDTH, PRESSKEY_TEXT_Y - PAUSE_TEXT_Y, true, true},
        {PRESSKEY_TEXT_FILE, SCREEN_WIDTH, SCREEN_HEIGHT - PRESSKEY_TEXT_Y, true, true}};
    std::vector all(std::begin(interface), std::end(interface));
    for (const AircraftClass& c : FLEET) {
        SurfacePtr normal = load(c.normalFile);
        const int side = normal && normal->w == normal->h ? normal->w : -1;
        all.push_back({c.crashedFile, side, side, true, false});
        for (int h = 0; h < 2 * NUM_HEADINGS; ++h) {
            const char* look = h < NUM_HEADINGS ? c.normalFile : c.approachFile;
            const auto heading = static_cast<Compass>(h % NUM_HEADINGS);
            all.push_back({headingFile(look, heading), side, side, true, false});
        }
    }
    const std::string again =
        std::filesystem::temp_directory_path() / ("corvane-bitmaps-" + std::to_string(getpid()));
    const std::string command = "'" MAKE_BITMAPS_PATH "' '" + again +
                                "' && '" MAKE_BITMAPS_PATH "' --sounds '" + again + "'";
    // NOLINTNEXTLINE(cert-env33-c): the generator runs as a player builds it, quoted paths only
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto sameAgain = [&](const std::string& file) {  // file as the game names it
        std::ifstream now(bitmapPath(again, file.c_str()), std::ios::binary);
        std::ifstream before(CORVANE_BITMAPS_DIR "/../" + file, std::ios::binary);
        using Bytes = std::istreambuf_iterator<char>;
        return std::equal(Bytes(now), Bytes(), Bytes(before), Bytes());
    };
    for (const char* file : SOUND_FILES)
        EXPECT_TRUE(sameAgain(file)) << file;
    for (const auto& b : all) {
        SurfacePtr original = load(b.file, false);
        SurfacePtr shown = load(b.file);
        ASSERT_TRUE(original && shown) << b.file;
        EXPECT_TRUE(b.text ? shown->w <= b.w && shown->h <= b.h
                           : shown->w == b.w && shown->h == b.h)
            << b.file << " is " << shown->w << " x " << shown->h;
        int black[2] = {};  // in the file, and shown black: transparent where keyed
        for (int i = 0; i < shown->w * shown->h; ++i) {
            black[0] += colourAt(original.get(), i % shown->w, i / shown->w) == Colour{};
            black[1] += pixelAt(shown.get(), i % shown->w, i / shown->w) == 0;
        }
        EXPECT_TRUE(black[1] == black[0] && (black[0] > 0 || !b.keyed)) << b.file;
        EXPECT_TRUE(sameAgain(b.file)) << b.file;
    }
    std::filesystem::remove_all(again);
}

// A route (green at alpha 100, blended by SDL_gfx) stands out on 95 % of the field, the rest
// being paint; aircraft and accents on its light patches. Each accent is worn by its type's
// aircraft and stays apart in linear RGB for normal, protan, deutan and tritan vision.
TEST(Bitmaps, RoutesAircraftAndLandingTypesStandApartForEveryColourVision)
{
    const int panelRows = 24;
    SurfacePtr field = load(BACKGROUND_FILE);
    ASSERT_TRUE(field);
    SurfacePtr routed(SDL_ConvertSurface(field.get(), field->format, 0));
    boxRGBA(routed.get(), 0, panelRows, SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1, 0, 255, 0, 100);
    std::vector<double> fieldLights;
    double clear = 0;
    for (int i = panelRows * field->w; i < field->w * field->h; ++i) {
        fieldLights.push_back(times(LUMA, colourAt(field.get(), i % field->w, i / field->w))[0]);
        const Colour route = colourAt(routed.get(), i % field->w, i / field->w);
        clear += contrast(fieldLights.back(), times(LUMA, route)[0]) >= 2.5;
    }
    EXPECT_GE(clear / fieldLights.size(), 0.95) << "share of the field a route stands out on";
    const auto fieldLight = fieldLights.begin() + static_cast<long>(fieldLights.size() * 95 / 100);
    std::nth_element(fieldLights.begin(), fieldLight, fieldLights.end());  // a light patch
    Colour accents[MAX_TARGETS + 1];
    for (const TargetLayout& t : AIRFIELD) {
        accents[t.type] = colourAt(field.get(), t.x + t.w / 2, t.y);  // its top edge's middle
        EXPECT_GE(contrast(times(LUMA, accents[t.type])[0], *fieldLight), 3) << "accent " << t.type;
    }
    for (const AircraftClass& c : FLEET) {
        SurfacePtr normal = load(c.normalFile);
        ASSERT_TRUE(normal) << c.normalFile;
        double worn = 0;
        std::vector<double> shows;  // the lights of what the look shows
        for (int i = 0; i < normal->w * normal->h; ++i) {
            const Colour look = colourAt(normal.get(), i % normal->w, i / normal->w);
            worn += look == accents[c.type];
            if (look != Colour{})
                shows.push_back(times(LUMA, look)[0]);
        }
        const double mean = std::accumulate(shows.begin(), shows.end(), 0.0) / shows.size();
        EXPECT_GE(contrast(mean, *fieldLight), 3) << c.normalFile;
        EXPECT_GE(worn, 1) << c.normalFile << " wears its type's accent";
    }
    const Matrix simulations[] = {{1, 0, 0, 0, 1, 0, 0, 0, 1},
                                  {0.152286, 1.052583, -0.204868, 0.114503, 0.786281, 0.099216,
                                   -0.003882, -0.048116, 1.051998},
                                  {0.367322, 0.860646, -0.227968, 0.280085, 0.672501, 0.047413,
                                   -0.011820, 0.042940, 0.968881},
                                  {1.255528, -0.076749, -0.178779, -0.078411, 0.930809, 0.147602,
                                   0.004733, 0.691367, 0.303900}};
    const int pairs[][2] = {{1, 2}, {1, 3}, {2, 3}};
    for (int v = 0; v < 4; ++v) {
        for (const auto& [a, b] : pairs) {
            const Colour p = times(simulations[v], accents[a]);
            const Colour q = times(simulations[v], accents[b]);
            EXPECT_GE(std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]), 1)  // least now 1.061
                << "vision " << v << ", accents " << a << " and " << b;
        }
    }
}

// Every sound: 16-bit mono PCM at 22,050 Hz, a second at most, peaking at -3 dBFS at most, and no
// click: it ramps from and to 0 no faster than a line to its peak over 110 samples (5 ms).
TEST(Sounds, EveryEffectIsShortMonoPcmUnderMinus3dBFSAndFadedAtBothEnds)
{
    const int fade = 110;
    for (const char* file : SOUND_FILES) {
        const std::string path = bitmapPath(CORVANE_SOUNDS_DIR, file);
        SDL_AudioSpec wav;
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        ASSERT_TRUE(SDL_LoadWAV(path.c_str(), &wav, &buffer, &length)) << SDL_GetError();
        std::vector<int> s(length / 2);
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = static_cast<Sint16>(buffer[2 * i] | buffer[2 * i + 1] << 8);
        SDL_FreeWAV(buffer);
        EXPECT_TRUE(wav.format == AUDIO_S16LSB && wav.channels == 1 && wav.freq == 22050) << file;
        ASSERT_TRUE(s.size() / 2 >= fade && s.size() <= 22050) << file << ": " << s.size();
        const int peak = std::abs(*std::max_element(
            s.begin(), s.end(), [](int a, int b) { return std::abs(a) < std::abs(b); }));
        int steep = 0;  // samples above the ramps
        for (int i = 0; i < fade; ++i)
            steep += std::abs(s[i]) * fade > peak * i || std::abs(s.rbegin()[i]) * fade > peak * i;
        EXPECT_TRUE(peak <= 23197 && steep == 0) << file << ": " << peak << ", " << steep;
    }
}
