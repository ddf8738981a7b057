// The generated bitmaps, read back as the game reads them: loaded, and
// converted to the 16-bit RGB565 screen format.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../tools/bitmap_paths.h"
#include "skyrel_main.h"
#include "test_surfaces.h"

namespace {

const int NUM_DIGITS = 10;
const int MIN_AIRCRAFT_SIZE = 16;
const int MAX_AIRCRAFT_SIZE = 40;
const double CLEARLY_DIFFERENT = 0.3;  // share of visible pixels that differ

// The bitmap as the 16-bit screen shows it.
SurfacePtr load(const char* gameFile)
{
    SurfacePtr loaded(SDL_LoadBMP(bitmapPath(CORVANE_BITMAPS_DIR, gameFile).c_str()));
    if (!loaded)
        return nullptr;
    SurfacePtr format = makeBitmap(1, 1);
    return SurfacePtr(SDL_ConvertSurface(loaded.get(), format->format, SDL_SWSURFACE));
}

// The pixels of the looks that differ, of those visible in either.
double shareDiffering(SDL_Surface* a, SDL_Surface* b)
{
    int visible = 0;
    int differing = 0;
    for (int y = 0; y < a->h; ++y) {
        for (int x = 0; x < a->w; ++x) {
            visible += pixelAt(a, x, y) != 0 || pixelAt(b, x, y) != 0;
            differing += pixelAt(a, x, y) != pixelAt(b, x, y);
        }
    }
    return visible == 0 ? 0.0 : static_cast<double>(differing) / visible;
}

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<const char*> keyedFiles()
{
    std::vector<const char*> files = {PAUSE_TEXT_FILE, PRESSKEY_TEXT_FILE};
    for (const AircraftClass& c : FLEET)
        files.insert(files.end(), {c.normalFile, c.approachFile, c.crashedFile});
    return files;
}

}  // namespace

TEST(Bitmaps, EveryBitmapHasTheSizeTheGameDrawsItAt)
{
    SurfacePtr background = load(BACKGROUND_FILE);
    SurfacePtr digits = load(DIGITS_FILE);
    SurfacePtr pause = load(PAUSE_TEXT_FILE);
    SurfacePtr presskey = load(PRESSKEY_TEXT_FILE);
    ASSERT_TRUE(background && digits && pause && presskey);
    EXPECT_EQ(background->w * 1000 + background->h, SCREEN_WIDTH * 1000 + SCREEN_HEIGHT);
    EXPECT_EQ(digits->w * 1000 + digits->h, NUM_DIGITS * DIGIT_WIDTH * 1000 + DIGIT_HEIGHT);
    EXPECT_LE(std::max(pause->w, presskey->w), SCREEN_WIDTH);
    EXPECT_LE(PAUSE_TEXT_Y + pause->h, PRESSKEY_TEXT_Y);
    EXPECT_LE(PRESSKEY_TEXT_Y + presskey->h, SCREEN_HEIGHT);
    for (const AircraftClass& c : FLEET) {
        SurfacePtr normal = load(c.normalFile);
        ASSERT_TRUE(normal) << c.normalFile;
        EXPECT_GE(std::min(normal->w, normal->h), MIN_AIRCRAFT_SIZE) << c.normalFile;
        EXPECT_LE(std::max(normal->w, normal->h), MAX_AIRCRAFT_SIZE) << c.normalFile;
        for (const char* file : {c.approachFile, c.crashedFile}) {
            SurfacePtr look = load(file);
            ASSERT_TRUE(look) << file;
            EXPECT_EQ(look->w * 1000 + look->h, normal->w * 1000 + normal->h) << file;
        }
    }
}

TEST(Bitmaps, KeyedBitmapsHaveBlackAroundThemAndNoVisiblePixelTurnsBlackOnTheScreen)
{
    for (const char* file : keyedFiles()) {
        SurfacePtr original(SDL_LoadBMP(bitmapPath(CORVANE_BITMAPS_DIR, file).c_str()));
        SurfacePtr shown = load(file);
        ASSERT_TRUE(original && shown) << file;
        int lost = 0;
        int black = 0;
        for (int y = 0; y < shown->h; ++y) {
            for (int x = 0; x < shown->w; ++x) {
                Uint8 r, g, b;
                SDL_GetRGB(pixelAt(original.get(), x, y), original->format, &r, &g, &b);
                const bool visible = r + g + b > 0;
                lost += visible && pixelAt(shown.get(), x, y) == 0;
                black += !visible;
            }
        }
        EXPECT_GT(black, 0) << file;
        EXPECT_EQ(lost, 0) << file;
    }
}

TEST(Bitmaps, TheBackgroundShowsEveryEdgeOfEveryLandingAndApproachArea)
{
    SurfacePtr field = load(BACKGROUND_FILE);
    ASSERT_TRUE(field);
    int unmarked = 0;
    auto checkEdges = [&](int x, int y, int w, int h) {
        for (int i = x; i < x + w; ++i) {
            unmarked += pixelAt(field.get(), i, y) == pixelAt(field.get(), i, y - 1);
            unmarked += pixelAt(field.get(), i, y + h - 1) == pixelAt(field.get(), i, y + h);
        }
        for (int j = y; j < y + h; ++j) {
            unmarked += pixelAt(field.get(), x, j) == pixelAt(field.get(), x - 1, j);
            unmarked += pixelAt(field.get(), x + w - 1, j) == pixelAt(field.get(), x + w, j);
        }
    };
    for (const TargetLayout& t : AIRFIELD) {
        checkEdges(t.x, t.y, t.w, t.h);
        checkEdges(t.preX, t.preY, t.preW, t.preH);
    }
    EXPECT_EQ(unmarked, 0);
}

TEST(Bitmaps, DigitGlyphsDifferAndTheirCellsMatchThePanelUnderTheCounters)
{
    SurfacePtr digits = load(DIGITS_FILE);
    SurfacePtr field = load(BACKGROUND_FILE);
    ASSERT_TRUE(digits && field);
    std::vector<std::vector<Uint32>> glyphs(NUM_DIGITS);
    for (int d = 0; d < NUM_DIGITS; ++d) {
        for (int y = 0; y < DIGIT_HEIGHT; ++y) {
            for (int x = 0; x < DIGIT_WIDTH; ++x)
                glyphs[d].push_back(pixelAt(digits.get(), d * DIGIT_WIDTH + x, y));
        }
        for (int other = 0; other < d; ++other)
            EXPECT_NE(glyphs[d], glyphs[other]) << d << " " << other;
    }
    const Uint32 cell = pixelAt(digits.get(), 0, 0);
    int mismatched = 0;
    for (int counterX : {SCORE_X, HIGHSCORE_X}) {
        for (int y = COUNTER_Y; y < COUNTER_Y + DIGIT_HEIGHT; ++y) {
            for (int x = counterX; x < counterX + 4 * DIGIT_WIDTH; ++x)
                mismatched += pixelAt(field.get(), x, y) != cell;
        }
    }
    EXPECT_EQ(mismatched, 0);
}

TEST(Bitmaps, EveryLookDiffersClearlyFromTheOtherLooksAndClasses)
{
    std::vector<SurfacePtr> normals;
    for (const AircraftClass& c : FLEET) {
        SurfacePtr normal = load(c.normalFile);
        SurfacePtr approach = load(c.approachFile);
        SurfacePtr crashed = load(c.crashedFile);
        ASSERT_TRUE(normal && approach && crashed) << c.normalFile;
        EXPECT_GE(shareDiffering(normal.get(), approach.get()), CLEARLY_DIFFERENT) << c.normalFile;
        EXPECT_GE(shareDiffering(normal.get(), crashed.get()), CLEARLY_DIFFERENT) << c.normalFile;
        EXPECT_GE(shareDiffering(approach.get(), crashed.get()), CLEARLY_DIFFERENT) << c.normalFile;
        for (const SurfacePtr& other : normals) {
            if (other->w == normal->w && other->h == normal->h) {
                EXPECT_GE(shareDiffering(other.get(), normal.get()), CLEARLY_DIFFERENT);
            }
        }
        normals.push_back(std::move(normal));
    }
}

TEST(BitmapGenerator, WritesTheSameBytesOnEveryRun)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("corvane-bitmaps-" + std::to_string(getpid()));
    ASSERT_EQ(std::system(("'" MAKE_BITMAPS_PATH "' '" + dir.string() + "'").c_str()), 0);
    std::vector<const char*> files = keyedFiles();
    files.insert(files.end(), {BACKGROUND_FILE, DIGITS_FILE});
    for (const char* file : files) {
        EXPECT_EQ(readBytes(bitmapPath(dir, file)),
                  readBytes(bitmapPath(CORVANE_BITMAPS_DIR, file)))
            << file;
    }
    std::filesystem::remove_all(dir);
}
