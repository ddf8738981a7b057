// The field's colours as players see them on the 16-bit screen: the green
// routes stand out on it, aircraft and markings stay readable, and the three
// landing types stay apart for normal vision and the three dichromacies.
// Contrast is WCAG 2.1's, colour difference CIEDE2000 (Sharma, Wu, Dalal).
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_gfxPrimitives.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "skyrel_main.h"
#include "test_surfaces.h"

namespace {

const int PANEL_ROWS = 24;      // the counter panel along the top; routes run below it
const Uint8 ROUTE_ALPHA = 100;  // the game's routes: green (0, 255, 0) at this alpha
const double MIN_ROUTE_CONTRAST = 2.5, MIN_ROUTE_DELTA_E = 35;
const double MIN_ROUTE_SHARE = 0.95;  // the rest: runway paint and thin markings
const double MIN_CONTRAST = 3, MIN_TYPE_DELTA_E = 20;
const double LIGHT_QUANTILE = 0.95;  // a light patch of the field, not its paint

using Colour = std::array<double, 3>;  // sRGB, 0 to 255; or linear, 0 to 1

// Machado, Oliveira and Fernandes (2009) at severity 1, on linear RGB.
const std::pair<const char*, std::array<double, 9>> VISIONS[] = {
    {"normal", {1, 0, 0, 0, 1, 0, 0, 0, 1}},
    {"protanopia",
     {0.152286, 1.052583, -0.204868, 0.114503, 0.786281, 0.099216, -0.003882, -0.048116, 1.051998}},
    {"deuteranopia",
     {0.367322, 0.860646, -0.227968, 0.280085, 0.672501, 0.047413, -0.011820, 0.042940, 0.968881}},
    {"tritanopia",
     {1.255528, -0.076749, -0.178779, -0.078411, 0.930809, 0.147602, 0.004733, 0.691367, 0.303900}},
};

Colour toLinear(const Colour& c)
{
    Colour l;
    for (int i = 0; i < 3; ++i) {
        const double v = c[i] / 255;
        l[i] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    }
    return l;
}

// Row i of a 3 x 3 matrix (given by rows) times a column.
double rowTimes(const double* row, const Colour& c)
{
    return row[0] * c[0] + row[1] * c[1] + row[2] * c[2];
}

const double LUMA[] = {0.2126, 0.7152, 0.0722};
const double TO_XYZ[] = {0.4124, 0.3576, 0.1805, 0.2126, 0.7152, 0.0722, 0.0193, 0.1192, 0.9505};
const double WHITE_D65[] = {0.95047, 1, 1.08883};

double luminance(const Colour& c)
{
    return rowTimes(LUMA, toLinear(c));
}

double contrastOf(double la, double lb)
{
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Colour simulate(const Colour& c, const std::array<double, 9>& m)
{
    Colour out;
    for (int i = 0; i < 3; ++i) {
        const double v = std::clamp(rowTimes(&m[3 * i], toLinear(c)), 0.0, 1.0);
        out[i] = 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
    }
    return out;
}

Colour labOf(const Colour& c)
{
    double f[3];
    for (int i = 0; i < 3; ++i) {
        const double t = rowTimes(&TO_XYZ[3 * i], toLinear(c)) / WHITE_D65[i];
        f[i] = t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    }
    return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

double deltaE2000(const Colour& c1, const Colour& c2)
{
    const double deg = M_PI / 180, p25 = std::pow(25.0, 7);
    const Colour p = labOf(c1), q = labOf(c2);
    const double c7 = std::pow((std::hypot(p[1], p[2]) + std::hypot(q[1], q[2])) / 2, 7);
    const double g = 1.5 - 0.5 * std::sqrt(c7 / (c7 + p25));
    const double cp1 = std::hypot(g * p[1], p[2]), cp2 = std::hypot(g * q[1], q[2]);
    auto hue = [&](const Colour& k) { return std::atan2(k[2], g * k[1]) / deg; };
    const bool grey = cp1 * cp2 == 0;
    const double h1 = cp1 == 0 ? 0 : std::fmod(hue(p) + 360, 360);
    const double h2 = cp2 == 0 ? 0 : std::fmod(hue(q) + 360, 360);
    const double dh = grey ? 0 : std::remainder(h2 - h1, 360);  // the shorter way round
    const double hBar = grey ? h1 + h2 : std::fmod(h1 + dh / 2 + 360, 360);
    const double lBar = (p[0] + q[0]) / 2 - 50, cBar = (cp1 + cp2) / 2;
    const double t = 1 - 0.17 * std::cos((hBar - 30) * deg) + 0.24 * std::cos(2 * hBar * deg) +
                     0.32 * std::cos((3 * hBar + 6) * deg) - 0.20 * std::cos((4 * hBar - 63) * deg);
    const double rT = -2 * std::sqrt(std::pow(cBar, 7) / (std::pow(cBar, 7) + p25)) *
                      std::sin(60 * std::exp(-std::pow((hBar - 275) / 25, 2)) * deg);
    const double l = (q[0] - p[0]) / (1 + 0.015 * lBar * lBar / std::sqrt(20 + lBar * lBar));
    const double c = (cp2 - cp1) / (1 + 0.045 * cBar);
    const double h = 2 * std::sqrt(cp1 * cp2) * std::sin(dh / 2 * deg) / (1 + 0.015 * cBar * t);
    return std::sqrt(l * l + c * c + h * h + rT * c * h);
}

// A bitmap as the game shows it: converted to the 16-bit screen format.
SurfacePtr loadOnScreen(const char* gameFile)
{
    const std::string name = std::filesystem::path(gameFile).filename().string();
    SurfacePtr loaded(SDL_LoadBMP((std::string(CORVANE_BITMAPS_DIR) + "/" + name).c_str()));
    SurfacePtr screen = makeBitmap(1, 1);
    return SurfacePtr(loaded ? SDL_ConvertSurface(loaded.get(), screen->format, 0) : nullptr);
}

Colour colourAt(SDL_Surface* s, int x, int y)
{
    Uint8 r, g, b;
    SDL_GetRGB(pixelAt(s, x, y), s->format, &r, &g, &b);
    return {double(r), double(g), double(b)};
}

double quantile(std::vector<double> values, double q)
{
    auto at = values.begin() + static_cast<long>(q * (values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// Luminance of what a keyed bitmap shows from row top down: its mean (q < 0)
// or quantile q; with unlike, only of the pixels that differ from unlike's.
double lightOf(SDL_Surface* s, int top, double q, SDL_Surface* unlike = nullptr)
{
    std::vector<double> l;
    for (int y = top; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            const Uint32 p = pixelAt(s, x, y);
            if (p != 0 && (unlike == nullptr || p != pixelAt(unlike, x, y)))
                l.push_back(luminance(colourAt(s, x, y)));
        }
    }
    return q < 0 ? std::accumulate(l.begin(), l.end(), 0.0) / l.size() : quantile(l, q);
}

// The field, and the field with a route pixel over every pixel below the
// panel: SDL_gfx blends a line alike in every direction on 16 bits.
struct Field {
    SurfacePtr bare = loadOnScreen(BACKGROUND_FILE), routed;
    Field()
    {
        routed.reset(bare ? SDL_ConvertSurface(bare.get(), bare->format, 0) : nullptr);
        for (int y = PANEL_ROWS; routed && y < routed->h; ++y)
            lineRGBA(routed.get(), 0, y, routed->w - 1, y, 0, 255, 0, ROUTE_ALPHA);
    }
};

Colour accentOf(SDL_Surface* field, int type)
{
    const TargetLayout* t =
        std::find_if(AIRFIELD, AIRFIELD + MAX_TARGETS, [&](auto& a) { return a.type == type; });
    return colourAt(field, t->x + t->w / 2, t->y);  // the middle of its landing area's top edge
}

}  // namespace

TEST(FieldColours, RoutesStandOutOnAlmostTheWholeField)
{
    const Field field;
    ASSERT_TRUE(field.routed) << SDL_GetError();
    std::vector<double> contrasts, deltas;
    int clear = 0;
    for (int y = PANEL_ROWS; y < field.bare->h; ++y) {
        for (int x = 0; x < field.bare->w; ++x) {
            const Colour under = colourAt(field.bare.get(), x, y);
            const Colour over = colourAt(field.routed.get(), x, y);
            contrasts.push_back(contrastOf(luminance(under), luminance(over)));
            deltas.push_back(deltaE2000(under, over));
            clear += contrasts.back() >= MIN_ROUTE_CONTRAST && deltas.back() >= MIN_ROUTE_DELTA_E;
        }
    }
    const double share = static_cast<double>(clear) / contrasts.size();
    std::printf("route on the field: contrast median %.2f, 5%% %.2f; dE median %.1f, 5%% %.1f; "
                "clear on %.1f%%\n",
                quantile(contrasts, 0.5), quantile(contrasts, 0.05), quantile(deltas, 0.5),
                quantile(deltas, 0.05), 100 * share);
    EXPECT_GE(share, MIN_ROUTE_SHARE);
}

// Aircraft fly over all of the field, so each look is held against a light
// patch of it. The approach look, green like the routes, also shows its
// lights (where it differs from the normal look) against a lit route.
TEST(FieldColours, AircraftMarkerAndLandingAccentsStandOutFromTheField)
{
    const Field field;
    ASSERT_TRUE(field.routed) << SDL_GetError();
    const double fieldLight = lightOf(field.bare.get(), PANEL_ROWS, LIGHT_QUANTILE);
    const double routeLight = lightOf(field.routed.get(), PANEL_ROWS, LIGHT_QUANTILE);
    std::vector<std::pair<std::string, double>> contrasts = {{"marker", contrastOf(1, fieldLight)}};
    for (const AircraftClass& c : FLEET) {
        SurfacePtr normal = loadOnScreen(c.normalFile), approach = loadOnScreen(c.approachFile);
        ASSERT_TRUE(normal && approach) << c.normalFile;
        const double lights = lightOf(approach.get(), 0, 0.5, normal.get());
        contrasts.push_back({c.normalFile, contrastOf(lightOf(normal.get(), 0, -1), fieldLight)});
        contrasts.push_back(
            {c.approachFile, contrastOf(lightOf(approach.get(), 0, -1), fieldLight)});
        contrasts.push_back(
            {std::string(c.approachFile) + " on a route", contrastOf(lights, routeLight)});
    }
    for (const TargetLayout& t : AIRFIELD) {
        const double accent = luminance(accentOf(field.bare.get(), t.type));
        contrasts.push_back({"accent " + std::to_string(t.type), contrastOf(accent, fieldLight)});
    }
    for (const auto& [name, contrast] : contrasts) {
        std::printf("%s: %.2f:1\n", name.c_str(), contrast);
        EXPECT_GE(contrast, MIN_CONTRAST) << name;
    }
}

// A type shows as its landing area's accent, and its aircraft wear the same.
TEST(FieldColours, LandingTypesStayApartForEveryColourVision)
{
    const Field field;
    ASSERT_TRUE(field.bare) << SDL_GetError();
    for (const AircraftClass& c : FLEET) {
        SurfacePtr look = loadOnScreen(c.normalFile);
        ASSERT_TRUE(look) << c.normalFile;
        int worn = 0;
        for (int i = 0; i < look->w * look->h; ++i)
            worn += colourAt(look.get(), i % look->w, i / look->w) ==
                    accentOf(field.bare.get(), c.type);
        EXPECT_GT(worn, 0) << c.normalFile << " does not wear the accent of type " << c.type;
    }
    for (const auto& [name, matrix] : VISIONS) {
        double lowest = 1e9;
        for (int a = 1; a <= MAX_TARGETS; ++a) {
            for (int b = 1; b < a; ++b) {
                lowest =
                    std::min(lowest, deltaE2000(simulate(accentOf(field.bare.get(), a), matrix),
                                                simulate(accentOf(field.bare.get(), b), matrix)));
            }
        }
        std::printf("%s: landing types at least dE %.1f apart\n", name, lowest);
        EXPECT_GE(lowest, MIN_TYPE_DELTA_E) << name;
    }
}
