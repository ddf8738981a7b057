// The generated bitmaps, read back the way the game reads them: loaded with
// SDL_LoadBMP and converted to the 16-bit RGB565 screen format, black keyed
// out where the game keys it.
#include <gtest/gtest.h>

#include <SDL.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game_files.h"
#include "skyrel_main.h"
#include "test_surfaces.h"

namespace {

const Uint32 RGB565_RED = 0xF800;
const Uint32 RGB565_GREEN = 0x07E0;
const Uint32 RGB565_BLUE = 0x001F;
const int NUM_DIGITS = 10;
const int MIN_AIRCRAFT_SIZE = 20;
const int MAX_AIRCRAFT_SIZE = 28;
const int MIN_ACCENT_PIXELS = 8;
const int MIN_GLYPH_INK = 12;
// Share of the visible pixels that must change for two bitmaps to count as
// clearly different at a glance, and to a program matching pixels.
const double CLEARLY_DIFFERENT = 0.3;
const int BRIGHT_LUMA = 160;
const int DARK_LUMA = 80;

using Bitmap = SurfacePtr;

std::string fileNameOf(const char* gameFile)
{
    return std::filesystem::path(gameFile).filename().string();
}

std::vector<const char*> keyedGameFiles()
{
    std::vector<const char*> files = allBitmapFiles();
    files.erase(files.begin(), files.begin() + 2);  // background and digits are not keyed
    return files;
}

Bitmap loadBitmap(const char* gameFile)
{
    const std::string path = std::string(CORVANE_BITMAPS_DIR) + "/" + fileNameOf(gameFile);
    return Bitmap(SDL_LoadBMP(path.c_str()));
}

// The 16-bit screen copy the game makes, with black as colour key if asked.
Bitmap convertForScreen(SDL_Surface* loaded, bool keyed)
{
    Bitmap screen(
        SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 16, RGB565_RED, RGB565_GREEN, RGB565_BLUE, 0));
    if (keyed) {
        SDL_SetColorKey(loaded, SDL_SRCCOLORKEY, SDL_MapRGB(loaded->format, 0, 0, 0));
    }
    return Bitmap(SDL_ConvertSurface(loaded, screen->format, SDL_SWSURFACE));
}

// 0xRRGGBB, whatever the surface's format.
Uint32 rgbAt(SDL_Surface* s, int x, int y)
{
    Uint8 r, g, b;
    SDL_GetRGB(pixelAt(s, x, y), s->format, &r, &g, &b);
    return static_cast<Uint32>(r) << 16 | g << 8 | b;
}

int lumaOf(Uint32 rgb)
{
    return (299 * (rgb >> 16 & 0xFF) + 587 * (rgb >> 8 & 0xFF) + 114 * (rgb & 0xFF)) / 1000;
}

// The pixels of a keyed 16-bit bitmap, centred in a frame of w x h; 0 where
// the bitmap is transparent or absent.
std::vector<Uint32> centredPixels(SDL_Surface* s, int w, int h)
{
    std::vector<Uint32> pixels(static_cast<size_t>(w) * h, 0);
    const int left = (w - s->w) / 2;
    const int top = (h - s->h) / 2;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            pixels[static_cast<size_t>(y + top) * w + x + left] = pixelAt(s, x, y);
        }
    }
    return pixels;
}

// Of the pixels visible in either bitmap, the share that differs, the two
// bitmaps laid over each other by their centres.
double shareDiffering(SDL_Surface* a, SDL_Surface* b)
{
    const int w = std::max(a->w, b->w);
    const int h = std::max(a->h, b->h);
    const std::vector<Uint32> pa = centredPixels(a, w, h);
    const std::vector<Uint32> pb = centredPixels(b, w, h);
    int visible = 0, differing = 0;
    for (size_t i = 0; i < pa.size(); ++i) {
        visible += (pa[i] != 0 || pb[i] != 0) ? 1 : 0;
        differing += pa[i] != pb[i] ? 1 : 0;
    }
    return visible == 0 ? 0.0 : static_cast<double>(differing) / visible;
}

int countPixelsOf(SDL_Surface* s, Uint32 rgb)
{
    int count = 0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            count += rgbAt(s, x, y) == rgb ? 1 : 0;
        }
    }
    return count;
}

int runGenerator(const std::string& arguments)
{
    const std::string command = std::string("'") + MAKE_BITMAPS_PATH + "' " + arguments;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh empty folder for one test, removed again by the test.
std::filesystem::path makeScratchDir(const std::string& name)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("corvane_" + name + "_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

class BitmapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }

    static void TearDownTestSuite() { SDL_Quit(); }
};

struct Border {
    int insideX, insideY, outsideX, outsideY;
};

// For every pixel along the four borders of the rectangle, the pixel just
// inside it and its neighbour just outside (x + w and y + h are outside).
std::vector<Border> bordersOf(int x, int y, int w, int h)
{
    std::vector<Border> borders;
    for (int i = x; i < x + w; ++i) {
        borders.push_back({i, y, i, y - 1});
        borders.push_back({i, y + h - 1, i, y + h});
    }
    for (int j = y; j < y + h; ++j) {
        borders.push_back({x, j, x - 1, j});
        borders.push_back({x + w - 1, j, x + w, j});
    }
    return borders;
}

}  // namespace

TEST_F(BitmapTest, EveryBitmapLoadsAtTheSizeTheGameDrawsItAt)
{
    for (const char* file : allBitmapFiles()) {
        EXPECT_TRUE(loadBitmap(file) != nullptr) << file << ": " << SDL_GetError();
    }
    Bitmap background = loadBitmap(BACKGROUND_FILE);
    ASSERT_TRUE(background);
    EXPECT_EQ(background->w, SCREEN_WIDTH);
    EXPECT_EQ(background->h, SCREEN_HEIGHT);

    Bitmap digits = loadBitmap(DIGITS_FILE);
    ASSERT_TRUE(digits);
    EXPECT_EQ(digits->w, NUM_DIGITS * DIGIT_WIDTH);
    EXPECT_EQ(digits->h, DIGIT_HEIGHT);

    // The pause text must end above the press-key text, which must fit on
    // the screen, both within its width.
    Bitmap pause = loadBitmap(PAUSE_TEXT_FILE);
    Bitmap presskey = loadBitmap(PRESSKEY_TEXT_FILE);
    ASSERT_TRUE(pause && presskey);
    EXPECT_LE(pause->w, SCREEN_WIDTH);
    EXPECT_LE(presskey->w, SCREEN_WIDTH);
    EXPECT_LE(PAUSE_TEXT_Y + pause->h, PRESSKEY_TEXT_Y);
    EXPECT_LE(PRESSKEY_TEXT_Y + presskey->h, SCREEN_HEIGHT);

    for (const AircraftClass& c : FLEET) {
        Bitmap normal = loadBitmap(c.normalFile);
        Bitmap approach = loadBitmap(c.approachFile);
        Bitmap crashed = loadBitmap(c.crashedFile);
        ASSERT_TRUE(normal && approach && crashed) << c.normalFile;
        EXPECT_GE(normal->w, MIN_AIRCRAFT_SIZE) << c.normalFile;
        EXPECT_LE(normal->w, MAX_AIRCRAFT_SIZE) << c.normalFile;
        EXPECT_GE(normal->h, MIN_AIRCRAFT_SIZE) << c.normalFile;
        EXPECT_LE(normal->h, MAX_AIRCRAFT_SIZE) << c.normalFile;
        for (SDL_Surface* look : {approach.get(), crashed.get()}) {
            EXPECT_EQ(look->w, normal->w) << c.normalFile;
            EXPECT_EQ(look->h, normal->h) << c.normalFile;
        }
    }
}

TEST_F(BitmapTest, BackgroundShowsEveryBorderOfEveryLandingAndApproachArea)
{
    Bitmap background = loadBitmap(BACKGROUND_FILE);
    ASSERT_TRUE(background);
    Bitmap screen = convertForScreen(background.get(), false);
    ASSERT_TRUE(screen);

    // The examples of the airfield table, then every border pixel.
    EXPECT_NE(rgbAt(background.get(), 293, 190), rgbAt(background.get(), 294, 190));
    EXPECT_NE(rgbAt(background.get(), 430, 326), rgbAt(background.get(), 430, 327));
    std::vector<std::string> unmarked;
    for (const TargetLayout& t : AIRFIELD) {
        const std::vector<std::vector<Border>> areas = {bordersOf(t.x, t.y, t.w, t.h),
                                                        bordersOf(t.preX, t.preY, t.preW, t.preH)};
        for (const std::vector<Border>& borders : areas) {
            for (const Border& b : borders) {
                const bool marked = rgbAt(background.get(), b.insideX, b.insideY) !=
                                        rgbAt(background.get(), b.outsideX, b.outsideY) &&
                                    pixelAt(screen.get(), b.insideX, b.insideY) !=
                                        pixelAt(screen.get(), b.outsideX, b.outsideY);
                if (!marked) {
                    unmarked.push_back("type " + std::to_string(t.type) + " at (" +
                                       std::to_string(b.insideX) + ", " +
                                       std::to_string(b.insideY) + ")");
                }
            }
        }
    }
    EXPECT_TRUE(unmarked.empty()) << unmarked.size() << " border pixels look like their "
                                  << "outside neighbour, the first: "
                                  << (unmarked.empty() ? "" : unmarked.front());
}

TEST_F(BitmapTest, AircraftWearTheAccentOfTheLandingAreaTheyBelongTo)
{
    Bitmap background = loadBitmap(BACKGROUND_FILE);
    ASSERT_TRUE(background);
    // The accent of a type: the middle of its landing area's top edge.
    Uint32 accents[MAX_TARGETS];
    for (int i = 0; i < MAX_TARGETS; ++i) {
        const TargetLayout& t = AIRFIELD[i];
        accents[i] = rgbAt(background.get(), t.x + t.w / 2, t.y);
        for (int j = 0; j < i; ++j) {
            EXPECT_NE(accents[i], accents[j]) << "types " << AIRFIELD[j].type << " and " << t.type;
        }
    }
    for (const AircraftClass& c : FLEET) {
        for (const char* file : {c.normalFile, c.approachFile}) {
            Bitmap look = loadBitmap(file);
            ASSERT_TRUE(look) << file;
            for (int i = 0; i < MAX_TARGETS; ++i) {
                const int count = countPixelsOf(look.get(), accents[i]);
                if (AIRFIELD[i].type == c.type) {
                    EXPECT_GE(count, MIN_ACCENT_PIXELS) << file << " lacks its accent";
                } else {
                    EXPECT_EQ(count, 0) << file << " wears the accent of type " << AIRFIELD[i].type;
                }
            }
        }
    }
}

TEST_F(BitmapTest, DigitGlyphsAreDistinctAndTheirCellsMatchThePanel)
{
    Bitmap digits = loadBitmap(DIGITS_FILE);
    Bitmap background = loadBitmap(BACKGROUND_FILE);
    ASSERT_TRUE(digits && background);
    Bitmap digitsOnScreen = convertForScreen(digits.get(), false);
    Bitmap backgroundOnScreen = convertForScreen(background.get(), false);
    ASSERT_TRUE(digitsOnScreen && backgroundOnScreen);

    const Uint32 cellBackground = pixelAt(digitsOnScreen.get(), 0, 0);
    std::vector<std::vector<Uint32>> glyphs;
    for (int d = 0; d < NUM_DIGITS; ++d) {
        std::vector<Uint32> glyph;
        int ink = 0;
        for (int y = 0; y < DIGIT_HEIGHT; ++y) {
            for (int x = d * DIGIT_WIDTH; x < (d + 1) * DIGIT_WIDTH; ++x) {
                glyph.push_back(pixelAt(digitsOnScreen.get(), x, y));
                ink += glyph.back() != cellBackground ? 1 : 0;
            }
        }
        EXPECT_GE(ink, MIN_GLYPH_INK) << "digit " << d;
        EXPECT_EQ(pixelAt(digitsOnScreen.get(), d * DIGIT_WIDTH, 0), cellBackground) << d;
        for (int other = 0; other < d; ++other) {
            EXPECT_NE(glyph, glyphs[other]) << "digits " << other << " and " << d;
        }
        glyphs.push_back(glyph);
    }

    // The ring of panel just around each four-digit counter: a cell copied
    // whole must not show a seam against it.
    const int counterWidth = 4 * DIGIT_WIDTH;
    for (int counterX : {SCORE_X, HIGHSCORE_X}) {
        for (int y = COUNTER_Y - 1; y <= COUNTER_Y + DIGIT_HEIGHT; ++y) {
            for (int x = counterX - 1; x <= counterX + counterWidth; ++x) {
                const bool ring = y == COUNTER_Y - 1 || y == COUNTER_Y + DIGIT_HEIGHT ||
                                  x == counterX - 1 || x == counterX + counterWidth;
                if (ring) {
                    EXPECT_EQ(pixelAt(backgroundOnScreen.get(), x, y), cellBackground)
                        << "(" << x << ", " << y << ") beside the counter at " << counterX;
                }
            }
        }
    }
}

TEST_F(BitmapTest, KeyedBitmapsLoseNoVisiblePixelOnTheSixteenBitScreen)
{
    for (const char* file : keyedGameFiles()) {
        Bitmap loaded = loadBitmap(file);
        ASSERT_TRUE(loaded) << file;
        Bitmap screen = convertForScreen(loaded.get(), true);
        ASSERT_TRUE(screen) << file;
        const Uint32 key = screen->format->colorkey;
        int visible = 0, transparent = 0;
        for (int y = 0; y < loaded->h; ++y) {
            for (int x = 0; x < loaded->w; ++x) {
                const bool shown = rgbAt(loaded.get(), x, y) != 0;
                visible += shown ? 1 : 0;
                transparent += shown ? 0 : 1;
                if (shown) {
                    EXPECT_NE(pixelAt(screen.get(), x, y), key)
                        << file << ": (" << x << ", " << y << ") vanishes";
                }
            }
        }
        EXPECT_GT(visible, 0) << file;
        EXPECT_GT(transparent, 0) << file << " has no transparent background";
    }
}

TEST_F(BitmapTest, ScreenTextsAreOutlinedInADarkColourThatStaysVisible)
{
    for (const char* file : {PAUSE_TEXT_FILE, PRESSKEY_TEXT_FILE}) {
        Bitmap text = loadBitmap(file);
        ASSERT_TRUE(text) << file;
        int bright = 0, dark = 0;
        for (int y = 0; y < text->h; ++y) {
            for (int x = 0; x < text->w; ++x) {
                const Uint32 rgb = rgbAt(text.get(), x, y);
                dark += (rgb != 0 && lumaOf(rgb) < DARK_LUMA) ? 1 : 0;
                if (lumaOf(rgb) < BRIGHT_LUMA) {
                    continue;
                }
                ++bright;
                // Bright letters never touch the transparent background
                // directly: grass or a runway would eat their edges.
                const int neighbours[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
                for (const auto& n : neighbours) {
                    const bool inside = n[0] >= 0 && n[1] >= 0 && n[0] < text->w && n[1] < text->h;
                    EXPECT_TRUE(inside && rgbAt(text.get(), n[0], n[1]) != 0)
                        << file << ": letter pixel (" << x << ", " << y << ") has no outline";
                }
            }
        }
        EXPECT_GT(bright, 0) << file;
        EXPECT_GT(dark, 0) << file;
    }
}

TEST_F(BitmapTest, LooksAndClassesOfAircraftAreClearlyDifferent)
{
    std::vector<Bitmap> normals;
    for (const AircraftClass& c : FLEET) {
        Bitmap normal = convertForScreen(loadBitmap(c.normalFile).get(), true);
        Bitmap approach = convertForScreen(loadBitmap(c.approachFile).get(), true);
        Bitmap crashed = convertForScreen(loadBitmap(c.crashedFile).get(), true);
        ASSERT_TRUE(normal && approach && crashed) << c.normalFile;
        EXPECT_GE(shareDiffering(normal.get(), approach.get()), CLEARLY_DIFFERENT)
            << c.approachFile;
        EXPECT_GE(shareDiffering(normal.get(), crashed.get()), CLEARLY_DIFFERENT) << c.crashedFile;
        EXPECT_GE(shareDiffering(approach.get(), crashed.get()), CLEARLY_DIFFERENT)
            << c.crashedFile;
        for (size_t other = 0; other < normals.size(); ++other) {
            EXPECT_GE(shareDiffering(normals[other].get(), normal.get()), CLEARLY_DIFFERENT)
                << FLEET[other].normalFile << " and " << c.normalFile;
        }
        normals.push_back(std::move(normal));
    }
}

TEST(BitmapGenerator, WritesTheSameBytesOnEveryRun)
{
    const std::filesystem::path first = makeScratchDir("first");
    const std::filesystem::path second = makeScratchDir("second");
    ASSERT_EQ(runGenerator("'" + first.string() + "'"), 0);
    ASSERT_EQ(runGenerator("'" + second.string() + "'"), 0);
    const std::vector<const char*> sixteen = allBitmapFiles();
    std::vector<std::string> files = headingBitmapFiles();
    files.insert(files.end(), sixteen.begin(), sixteen.end());
    for (const std::string& file : files) {
        const std::string name = fileNameOf(file.c_str());
        const std::string bytes = readFile(first / name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, readFile(second / name)) << name << " differs between runs";
        EXPECT_EQ(bytes, readFile(std::filesystem::path(CORVANE_BITMAPS_DIR) / name))
            << name << " in the build is not what the generator writes";
    }
    std::filesystem::remove_all(first);
    std::filesystem::remove_all(second);
}

TEST(BitmapGenerator, ComposesAPreviewSheetAndRefusesBadArguments)
{
    const std::filesystem::path dir = makeScratchDir("preview");
    const std::string sheet = (dir / "sheet.bmp").string();
    ASSERT_EQ(runGenerator("--preview '" + sheet + "' '" + CORVANE_BITMAPS_DIR + "'"), 0);
    Bitmap loaded(SDL_LoadBMP(sheet.c_str()));
    ASSERT_TRUE(loaded) << SDL_GetError();
    EXPECT_EQ(loaded->w, SCREEN_WIDTH);
    EXPECT_EQ(loaded->h, SCREEN_HEIGHT);

    EXPECT_NE(runGenerator("2>/dev/null"), 0);
    EXPECT_NE(
        runGenerator("--preview '" + sheet + "' '" + (dir / "missing").string() + "' 2>/dev/null"),
        0);
    std::filesystem::remove_all(dir);
}
