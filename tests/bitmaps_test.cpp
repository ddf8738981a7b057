// The generated bitmaps as the game shows them on its 16-bit screen, and the
// colours players must tell apart: WCAG 2.1 contrast, CIEDE2000 difference,
// colour vision simulated after Machado, Oliveira and Fernandes (2009).
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
#include <tuple>
#include <vector>

#include "../tools/bitmap_paths.h"
#include "skyrel_main.h"
#include "test_surfaces.h"

namespace {

using Colour = std::array<double, 3>;  // sRGB, 0 to 255, or linear, 0 to 1
using Matrix = std::array<double, 9>;  // by rows
const Colour BLACK = {0, 0, 0};
const Matrix LUMA = {0.2126, 0.7152, 0.0722};  // its first row gives the luminance

// A bitmap the game names "bitmaps/NAME", w x h, and its heading when it is
// an aircraft look. Black is transparent in the keyed ones; texts need only
// fit in w x h.
struct GameBitmap {
    std::string file;
    int w, h;
    bool keyed, text;
    int heading;
};

class Bitmaps : public ::testing::Test {
protected:
    // As the 16-bit screen shows it, or as read; null when missing.
    static SurfacePtr load(const std::string& file, bool onScreen = true)
    {
        SurfacePtr read(SDL_LoadBMP(bitmapPath(CORVANE_BITMAPS_DIR, file.c_str()).c_str()));
        SurfacePtr screen = makeBitmap(1, 1);
        if (!read || !onScreen)
            return read;
        return SurfacePtr(SDL_ConvertSurface(read.get(), screen->format, 0));
    }
    static Colour colourAt(SDL_Surface* s, int x, int y)
    {
        Uint8 c[3];
        SDL_GetRGB(pixelAt(s, x, y), s->format, &c[0], &c[1], &c[2]);
        return {double(c[0]), double(c[1]), double(c[2])};
    }
    static Colour times(const Matrix& m, const Colour& c)
    {
        return {m[0] * c[0] + m[1] * c[1] + m[2] * c[2], m[3] * c[0] + m[4] * c[1] + m[5] * c[2],
                m[6] * c[0] + m[7] * c[1] + m[8] * c[2]};
    }
    static Colour linear(Colour c)
    {
        for (double& v : c)
            v = v <= 10.31475 ? v / 255 / 12.92 : std::pow((v / 255 + 0.055) / 1.055, 2.4);
        return c;
    }
    static double luminance(const Colour& c) { return times(LUMA, linear(c))[0]; }
    static double contrast(double a, double b)
    {
        return (std::max(a, b) + .05) / (std::min(a, b) + .05);
    }
    // CIELAB of a linear colour, white being D65.
    static Colour lab(const Colour& l)
    {
        Colour f = times({0.4124 / 0.95047, 0.3576 / 0.95047, 0.1805 / 0.95047, 0.2126, 0.7152,
                          0.0722, 0.0193 / 1.08883, 0.1192 / 1.08883, 0.9505 / 1.08883},
                         l);
        for (double& t : f)
            t = t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
        return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
    }
    static double deltaE(const Colour& linear1, const Colour& linear2);
    // Edge pixels of the area x, y, w, h that match their neighbour outside.
    static double unmarkedEdges(SDL_Surface* s, int x, int y, int w, int h)
    {
        int unmarked = 0;
        for (int i = x; i < x + w; ++i) {
            unmarked += pixelAt(s, i, y) == pixelAt(s, i, y - 1);
            unmarked += pixelAt(s, i, y + h - 1) == pixelAt(s, i, y + h);
        }
        for (int j = y; j < y + h; ++j) {
            unmarked += pixelAt(s, x, j) == pixelAt(s, x - 1, j);
            unmarked += pixelAt(s, x + w - 1, j) == pixelAt(s, x + w, j);
        }
        return unmarked;
    }
    static double quantile(std::vector<double> values, double q)
    {
        auto at = values.begin() + static_cast<long>(q * (values.size() - 1));
        std::nth_element(values.begin(), at, values.end());
        return *at;
    }
    static double mean(const std::vector<double>& v)
    {
        return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    }
    // Luminances of what a keyed look shows; with unlike, only where the two differ.
    static std::vector<double> lights(SDL_Surface* s, SDL_Surface* unlike = nullptr)
    {
        std::vector<double> l;
        for (int i = 0; i < s->w * s->h; ++i) {
            const Uint32 p = pixelAt(s, i % s->w, i / s->w);
            if (p != 0 && (unlike == nullptr || p != pixelAt(unlike, i % s->w, i / s->w)))
                l.push_back(luminance(colourAt(s, i % s->w, i / s->w)));
        }
        return l;
    }
    static std::vector<GameBitmap> gameBitmaps();
};

double Bitmaps::deltaE(const Colour& linear1, const Colour& linear2)
{
    const double deg = M_PI / 180;
    const double p25 = std::pow(25.0, 7);
    const Colour p = lab(linear1);
    const Colour q = lab(linear2);
    const double c7 = std::pow((std::hypot(p[1], p[2]) + std::hypot(q[1], q[2])) / 2, 7);
    const double g = 1.5 - 0.5 * std::sqrt(c7 / (c7 + p25));
    const double cp1 = std::hypot(g * p[1], p[2]);
    const double cp2 = std::hypot(g * q[1], q[2]);
    const double h1 = cp1 == 0 ? 0 : std::fmod(std::atan2(p[2], g * p[1]) / deg + 360, 360);
    const double h2 = cp2 == 0 ? 0 : std::fmod(std::atan2(q[2], g * q[1]) / deg + 360, 360);
    const bool grey = cp1 * cp2 == 0;
    const double dh = grey ? 0 : std::remainder(h2 - h1, 360);  // the shorter way round
    const double hBar = grey ? h1 + h2 : std::fmod(h1 + dh / 2 + 360, 360);
    const double lBar = (p[0] + q[0]) / 2 - 50;
    const double cBar = (cp1 + cp2) / 2;
    const double t = 1 - 0.17 * std::cos((hBar - 30) * deg) + 0.24 * std::cos(2 * hBar * deg) +
                     0.32 * std::cos((3 * hBar + 6) * deg) - 0.20 * std::cos((4 * hBar - 63) * deg);
    const double rT = -2 * std::sqrt(std::pow(cBar, 7) / (std::pow(cBar, 7) + p25)) *
                      std::sin(60 * std::exp(-std::pow((hBar - 275) / 25, 2)) * deg);
    const double l = (q[0] - p[0]) / (1 + 0.015 * lBar * lBar / std::sqrt(20 + lBar * lBar));
    const double c = (cp2 - cp1) / (1 + 0.045 * cBar);
    const double h = 2 * std::sqrt(cp1 * cp2) * std::sin(dh / 2 * deg) / (1 + 0.015 * cBar * t);
    return std::sqrt(l * l + c * c + h * h + rT * c * h);
}

// Every bitmap the game loads; every look of an aircraft class has the size
// of its normal look, which is square.
std::vector<GameBitmap> Bitmaps::gameBitmaps()
{
    std::vector<GameBitmap> all = {
        {BACKGROUND_FILE, SCREEN_WIDTH, SCREEN_HEIGHT, false, false, -1},
        {DIGITS_FILE, 10 * DIGIT_WIDTH, DIGIT_HEIGHT, false, false, -1},
        {ICON_FILE, ICON_SIZE, ICON_SIZE, false, false, -1},
        {PAUSE_TEXT_FILE, SCREEN_WIDTH, PRESSKEY_TEXT_Y - PAUSE_TEXT_Y, true, true, -1},
        {PRESSKEY_TEXT_FILE, SCREEN_WIDTH, SCREEN_HEIGHT - PRESSKEY_TEXT_Y, true, true, -1}};
    for (const AircraftClass& c : FLEET) {
        SurfacePtr normal = load(c.normalFile);
        const int side = normal && normal->w == normal->h ? normal->w : -1;
        all.push_back({c.crashedFile, side, side, true, false, -1});
        for (int h = HeadingN; h < NUM_HEADINGS; ++h) {
            for (const char* look : {c.normalFile, c.approachFile})
                all.push_back(
                    {headingFile(look, static_cast<Compass>(h)), side, side, true, false, h});
        }
    }
    return all;
}

}  // namespace

// An aircraft look faces its heading: its canopy, which marks the nose of
// every airframe, lies in that direction from the centre, give or take half
// the angle between two headings.
TEST_F(Bitmaps, EveryFileIsThereAtItsSizeBlackOnlyWhereTransparentAndFacingItsHeading)
{
    const Colour canopy = {40, 64, 104};
    for (const GameBitmap& b : gameBitmaps()) {
        SurfacePtr original = load(b.file, false);
        SurfacePtr shown = load(b.file);
        ASSERT_TRUE(original && shown) << b.file;
        EXPECT_TRUE(b.text ? shown->w <= b.w && shown->h <= b.h
                           : shown->w == b.w && shown->h == b.h)
            << b.file << " is " << shown->w << " x " << shown->h;
        int lost = 0;
        int black = 0;
        double noseX = 0;
        double noseY = 0;
        for (int y = 0; y < shown->h; ++y) {
            for (int x = 0; x < shown->w; ++x) {
                const Colour c = colourAt(original.get(), x, y);
                lost += c != BLACK && pixelAt(shown.get(), x, y) == 0;
                black += c == BLACK;
                const bool nose = std::hypot(std::hypot(c[0] - canopy[0], c[1] - canopy[1]),
                                             c[2] - canopy[2]) <= 6;
                noseX += nose ? x + 0.5 - shown->w / 2.0 : 0;
                noseY += nose ? y + 0.5 - shown->h / 2.0 : 0;
            }
        }
        EXPECT_TRUE(lost == 0 && (black > 0 || !b.keyed)) << b.file << ": " << lost << " lost";
        const double bearing = std::atan2(noseX, -noseY) * 180 / M_PI;  // clockwise from north
        EXPECT_TRUE(b.heading < 0 ||
                    std::abs(std::remainder(bearing - 45.0 * b.heading, 360)) <= 22.5)
            << b.file << " faces " << bearing;
    }
}

TEST_F(Bitmaps, TheGeneratorWritesTheSameBytesOnEveryRun)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("corvane-bitmaps-" + std::to_string(getpid()));
    // NOLINTNEXTLINE(cert-env33-c): the generator runs as a player builds it, quoted paths only
    ASSERT_EQ(std::system(("'" MAKE_BITMAPS_PATH "' '" + dir.string() + "'").c_str()), 0);
    auto bytes = [](const std::string& from, const GameBitmap& b) {
        std::ifstream in(bitmapPath(from, b.file.c_str()), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    for (const GameBitmap& b : gameBitmaps())
        EXPECT_EQ(bytes(dir, b), bytes(CORVANE_BITMAPS_DIR, b)) << b.file;
    std::filesystem::remove_all(dir);
}

// What must stand out, each with its least value. A route, green at alpha 100
// as SDL_gfx blends it on 16 bits, by contrast 2.5 and dE 35 on 95 % of the
// field below the panel (the rest is paint). Aircraft, marker and accents by
// contrast 3 against a light patch of the field (its 95th percentile); the
// approach look, green like routes, by its lights against a lit route. Each
// type's accent, painted on its landing area, is worn by its aircraft, and
// the three stay dE 20 apart for every colour vision.
TEST_F(Bitmaps, RoutesAircraftMarkingsAndLandingTypesStandApartForEveryColourVision)
{
    const int panelRows = 24;
    SurfacePtr field = load(BACKGROUND_FILE);
    ASSERT_TRUE(field);
    SurfacePtr routed(SDL_ConvertSurface(field.get(), field->format, 0));
    std::vector<double> fieldLights;
    std::vector<double> routeLights;
    double clear = 0;
    for (int y = panelRows; y < field->h; ++y) {
        lineRGBA(routed.get(), 0, static_cast<Sint16>(y), static_cast<Sint16>(field->w - 1),
                 static_cast<Sint16>(y), 0, 255, 0, 100);
        for (int x = 0; x < field->w; ++x) {
            const Colour under = colourAt(field.get(), x, y);
            const Colour over = colourAt(routed.get(), x, y);
            fieldLights.push_back(luminance(under));
            routeLights.push_back(luminance(over));
            clear += contrast(fieldLights.back(), routeLights.back()) >= 2.5 &&
                     deltaE(linear(under), linear(over)) >= 35;
        }
    }
    const double fieldLight = quantile(fieldLights, 0.95);
    std::vector<std::tuple<std::string, double, double>> rows = {
        {"share of the field a route stands out on", clear / fieldLights.size(), 0.95},
        {"marker", contrast(1, fieldLight), 3}};
    Colour accents[MAX_TARGETS + 1];
    for (const TargetLayout& t : AIRFIELD) {
        accents[t.type] = colourAt(field.get(), t.x + t.w / 2, t.y);  // its top edge's middle
        rows.emplace_back("accent " + std::to_string(t.type),
                          contrast(luminance(accents[t.type]), fieldLight), 3);
        rows.emplace_back("unmarked edges of area " + std::to_string(t.type),
                          -unmarkedEdges(field.get(), t.x, t.y, t.w, t.h) -
                              unmarkedEdges(field.get(), t.preX, t.preY, t.preW, t.preH),
                          0);
    }
    for (const AircraftClass& c : FLEET) {
        SurfacePtr normal = load(c.normalFile);
        SurfacePtr approach = load(c.approachFile);
        ASSERT_TRUE(normal && approach) << c.normalFile;
        double worn = 0;
        for (int i = 0; i < normal->w * normal->h; ++i)
            worn += colourAt(normal.get(), i % normal->w, i / normal->w) == accents[c.type];
        const std::string name = c.normalFile;
        rows.emplace_back(name, contrast(mean(lights(normal.get())), fieldLight), 3);
        rows.emplace_back(c.approachFile, contrast(mean(lights(approach.get())), fieldLight), 3);
        rows.emplace_back(c.approachFile + std::string("'s lights on a route"),
                          contrast(quantile(lights(approach.get(), normal.get()), 0.5),
                                   quantile(routeLights, 0.95)),
                          3);
        rows.emplace_back(name + " wears its type's accent", worn, 1);
    }
    const char* visions[] = {"normal", "protanopia", "deuteranopia", "tritanopia"};
    const Matrix simulations[] = {{1, 0, 0, 0, 1, 0, 0, 0, 1},
                                  {0.152286, 1.052583, -0.204868, 0.114503, 0.786281, 0.099216,
                                   -0.003882, -0.048116, 1.051998},
                                  {0.367322, 0.860646, -0.227968, 0.280085, 0.672501, 0.047413,
                                   -0.011820, 0.042940, 0.968881},
                                  {1.255528, -0.076749, -0.178779, -0.078411, 0.930809, 0.147602,
                                   0.004733, 0.691367, 0.303900}};
    for (int v = 0; v < 4; ++v) {
        Colour seen[MAX_TARGETS + 1];
        for (int type = 1; type <= MAX_TARGETS; ++type) {
            seen[type] = times(simulations[v], linear(accents[type]));
            for (double& channel : seen[type])
                channel = std::clamp(channel, 0.0, 1.0);
            for (int other = 1; other < type; ++other) {
                rows.emplace_back(std::string(visions[v]) + ": accents " + std::to_string(other) +
                                      " and " + std::to_string(type),
                                  deltaE(seen[other], seen[type]), 20);
            }
        }
    }
    for (const auto& [what, value, least] : rows)
        EXPECT_GE(value, least) << what;
}
