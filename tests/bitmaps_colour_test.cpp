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

using Colour = std::array<double, 3>;  // sRGB, 0 to 255

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

double luminance(const Colour& c)
{
    const Colour l = toLinear(c);
    return 0.2126 * l[0] + 0.7152 * l[1] + 0.0722 * l[2];
}

double contrastOf(double la, double lb)
{
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Colour simulate(const Colour& c, const std::array<double, 9>& m)
{
    const Colour l = toLinear(c);
    Colour out;
    for (int i = 0; i < 3; ++i) {
        const double v =
            std::clamp(m[3 * i] * l[0] + m[3 * i + 1] * l[1] + m[3 * i + 2] * l[2], 0.0, 1.0);
        out[i] = 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
    }
    return out;
}

// CIELAB under D65.
Colour labOf(const Colour& c)
{
    const Colour l = toLinear(c);
    auto f = [](double t) {
        return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    };
    const double fx = f((0.4124 * l[0] + 0.3576 * l[1] + 0.1805 * l[2]) / 0.95047);
    const double fy = f(0.2126 * l[0] + 0.7152 * l[1] + 0.0722 * l[2]);
    const double fz = f((0.0193 * l[0] + 0.1192 * l[1] + 0.9505 * l[2]) / 1.08883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double deltaE2000(const Colour& c1, const Colour& c2)
{
    const double deg = M_PI / 180, p25 = std::pow(25.0, 7);
    const Colour p = labOf(c1), q = labOf(c2);
    const double c7 = std::pow((std::hypot(p[1], p[2]) + std::hypot(q[1], q[2])) / 2, 7);
    const double g = 1.5 - 0.5 * std::sqrt(c7 / (c7 + p25));
    const double cp1 = std::hypot(g * p[1], p[2]), cp2 = std::hypot(g * q[1], q[2]);
    auto hue = [&](const Colour& k) {
        return std::fmod(std::atan2(k[2], g * k[1]) / deg + 360, 360);
    };
    const double h1 = cp1 == 0 ? 0 : hue(p), h2 = cp2 == 0 ? 0 : hue(q);
    const bool grey = cp1 * cp2 == 0;
    const double dh = grey ? 0 : std::remainder(h2 - h1, 360);  // the shorter way round
    const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(dh / 2 * deg);
    const double hBar = grey ? h1 + h2 : std::fmod(h1 + dh / 2 + 360, 360);
    const double lBar = (p[0] + q[0]) / 2 - 50, cBar7 = std::pow((cp1 + cp2) / 2, 7);
    const double t = 1 - 0.17 * std::cos((hBar - 30) * deg) + 0.24 * std::cos(2 * hBar * deg) +
                     0.32 * std::cos((3 * hBar + 6) * deg) - 0.20 * std::cos((4 * hBar - 63) * deg);
    const double sL = 1 + 0.015 * lBar * lBar / std::sqrt(20 + lBar * lBar);
    const double sC = 1 + 0.045 * (cp1 + cp2) / 2, sH = 1 + 0.015 * (cp1 + cp2) / 2 * t;
    const double rT = -2 * std::sqrt(cBar7 / (cBar7 + p25)) *
                      std::sin(60 * std::exp(-std::pow((hBar - 275) / 25, 2)) * deg);
    const double l = (q[0] - p[0]) / sL, c = (cp2 - cp1) / sC, h = dH / sH;
    return std::sqrt(l * l + c * c + h * h + rT * c * h);
}

// A bitmap as the game shows it: converted to the 16-bit screen format.
SurfacePtr loadOnScreen(const char* gameFile)
{
    const std::string name = std::filesystem::path(gameFile).filename().string();
    SurfacePtr loaded(SDL_LoadBMP((std::string(CORVANE_BITMAPS_DIR) + "/" + name).c_str()));
    SurfacePtr screen = makeCanvas(1, 1);
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

// Luminance of what a keyed bitmap shows below row top: its mean (q < 0) or
// quantile q; with unlike, only of the pixels that differ from unlike's.
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

}  // namespace

class FieldColours : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        field = loadOnScreen(BACKGROUND_FILE).release();
        ASSERT_TRUE(field) << SDL_GetError();
        // SDL_gfx blends a line alike in every direction on 16 bits, so one
        // line a row puts a route pixel over every field pixel once.
        routed = SDL_ConvertSurface(field, field->format, 0);
        for (int y = PANEL_ROWS; y < field->h; ++y) {
            lineRGBA(routed, 0, y, field->w - 1, y, 0, 255, 0, ROUTE_ALPHA);
        }
    }

    static void TearDownTestSuite()
    {
        SDL_FreeSurface(field);
        SDL_FreeSurface(routed);
        SDL_Quit();
    }

    static SDL_Surface *field, *routed;
};
SDL_Surface *FieldColours::field, *FieldColours::routed;

TEST_F(FieldColours, RoutesStandOutOnAlmostTheWholeField)
{
    std::vector<double> contrasts, deltas;
    int clear = 0;
    for (int y = PANEL_ROWS; y < field->h; ++y) {
        for (int x = 0; x < field->w; ++x) {
            const Colour under = colourAt(field, x, y), over = colourAt(routed, x, y);
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
TEST_F(FieldColours, AircraftMarkerAndLandingAccentsStandOutFromTheField)
{
    const double fieldLight = lightOf(field, PANEL_ROWS, LIGHT_QUANTILE);
    const double routeLight = lightOf(routed, PANEL_ROWS, LIGHT_QUANTILE);
    std::vector<std::pair<std::string, double>> contrasts = {{"marker", contrastOf(1, fieldLight)}};
    for (const AircraftClass& c : FLEET) {
        SurfacePtr normal = loadOnScreen(c.normalFile), approach = loadOnScreen(c.approachFile);
        ASSERT_TRUE(normal && approach) << c.normalFile;
        const double lights = lightOf(approach.get(), 0, 0.5, normal.get());
        contrasts.push_back({c.normalFile, contrastOf(lightOf(normal.get(), 0, -1), fieldLight)});
        contrasts.push_back(
            {c.approachFile, contrastOf(lightOf(approach.get(), 0, -1), fieldLight)});
        contrasts.push_back(
            {"route under " + std::string(c.approachFile), contrastOf(lights, routeLight)});
    }
    for (const TargetLayout& t : AIRFIELD) {
        const double accent = luminance(colourAt(field, t.x + t.w / 2, t.y));
        contrasts.push_back(
            {"accent of type " + std::to_string(t.type), contrastOf(accent, fieldLight)});
    }
    for (const auto& [name, contrast] : contrasts) {
        std::printf("%s: %.2f:1\n", name.c_str(), contrast);
        EXPECT_GE(contrast, MIN_CONTRAST) << name;
    }
}

// A type shows as its landing area's accent, which its aircraft wear too.
TEST_F(FieldColours, LandingTypesStayApartForEveryColourVision)
{
    std::vector<std::pair<int, Colour>> accents;
    for (const TargetLayout& t : AIRFIELD) {
        accents.push_back({t.type, colourAt(field, t.x + t.w / 2, t.y)});
    }
    for (const AircraftClass& c : FLEET) {
        SurfacePtr look = loadOnScreen(c.normalFile);
        ASSERT_TRUE(look) << c.normalFile;
        int worn = 0;
        for (int i = 0; i < look->w * look->h; ++i) {
            worn += colourAt(look.get(), i % look->w, i / look->w) == accents[c.type - 1].second;
        }
        EXPECT_GT(worn, 0) << c.normalFile << " does not wear the accent of type " << c.type;
    }
    for (const auto& [name, matrix] : VISIONS) {
        double lowest = 1e9;
        for (size_t i = 0; i < accents.size(); ++i) {
            for (size_t j = 0; j < i; ++j) {
                lowest = std::min(lowest, deltaE2000(simulate(accents[i].second, matrix),
                                                     simulate(accents[j].second, matrix)));
            }
        }
        std::printf("%s: landing types at least dE %.1f apart\n", name, lowest);
        EXPECT_GE(lowest, MIN_TYPE_DELTA_E) << name;
    }
}
