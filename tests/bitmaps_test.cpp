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

// The bitmap as the 16-bit screen shows it.
SurfacePtr load(const char* gameFile)
{
    SurfacePtr loaded(SDL_LoadBMP(bitmapPath(CORVANE_BITMAPS_DIR, gameFile).c_str()));
    if (!loaded)
        return nullptr;
    SurfacePtr format = makeBitmap(1, 1);
    return SurfacePtr(SDL_ConvertSurface(loaded.get(), format->format, SDL_SWSURFACE));
}

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The texts and every look of every aircraft, the heading looks included.
std::vector<std::string> keyedFiles()
{
    std::vector<std::string> files = {PAUSE_TEXT_FILE, PRESSKEY_TEXT_FILE};
    for (const AircraftClass& c : FLEET) {
        files.insert(files.end(), {c.normalFile, c.approachFile, c.crashedFile});
        for (int h = HeadingNE; h < NUM_HEADINGS; ++h) {
            files.push_back(headingFile(c.normalFile, static_cast<Compass>(h)));
            files.push_back(headingFile(c.approachFile, static_cast<Compass>(h)));
        }
    }
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
    EXPECT_TRUE(background->w == SCREEN_WIDTH && background->h == SCREEN_HEIGHT);
    EXPECT_TRUE(digits->w == NUM_DIGITS * DIGIT_WIDTH && digits->h == DIGIT_HEIGHT);
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
            EXPECT_TRUE(look && look->w == normal->w && look->h == normal->h) << file;
        }
    }
}

TEST(Bitmaps, KeyedBitmapsHaveBlackAroundThemAndNoVisiblePixelTurnsBlackOnTheScreen)
{
    for (const std::string& file : keyedFiles()) {
        SurfacePtr original(SDL_LoadBMP(bitmapPath(CORVANE_BITMAPS_DIR, file.c_str()).c_str()));
        SurfacePtr shown = load(file.c_str());
        ASSERT_TRUE(original && shown) << file;
        int lost = 0;
        int black = 0;
        for (int y = 0; y < shown->h; ++y) {
            for (int x = 0; x < shown->w; ++x) {
                Uint8 r;
                Uint8 g;
                Uint8 b;
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

TEST(BitmapGenerator, WritesTheSameBytesOnEveryRun)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("corvane-bitmaps-" + std::to_string(getpid()));
    // NOLINTNEXTLINE(cert-env33-c): the generator runs as a player builds it, quoted paths only
    ASSERT_EQ(std::system(("'" MAKE_BITMAPS_PATH "' '" + dir.string() + "'").c_str()), 0);
    std::vector<std::string> files = keyedFiles();
    files.insert(files.end(), {BACKGROUND_FILE, DIGITS_FILE});
    for (const std::string& file : files) {
        EXPECT_EQ(readBytes(bitmapPath(dir, file.c_str())),
                  readBytes(bitmapPath(CORVANE_BITMAPS_DIR, file.c_str())))
            << file;
    }
    std::filesystem::remove_all(dir);
}
