// make_bitmaps: draws every bitmap the game loads, and synthesises its
// sound effects.
//
//   make_bitmaps OUTDIR                      writes the game's 72 bitmaps
//                                            and the window icon
//   make_bitmaps --icons ICONDIR             writes the desktop icons,
//                                            corvane-SIZE.png
//   make_bitmaps --sounds SOUNDDIR           writes the game's four sound
//                                            effects as WAV files
//   make_bitmaps --preview SHEET BITMAPSDIR  composes a preview sheet
//
// The output depends on nothing but this code: the same bytes on every run.
#include <SDL_gfxPrimitives.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "art.h"
#include "bitmap_paths.h"
#include "canvas.h"
#include "png_file.h"
#include "preview.h"
#include "sound_art.h"
#include "wav_file.h"

namespace {

const int EXIT_DONE = 0;
const int EXIT_USAGE = 1;
const int EXIT_FAILED = 2;

// The sizes of the desktop icons, as the hicolor theme files them.
const int DESKTOP_ICON_SIZES[] = {32, 48, 64, 128};

// Saves and frees the bitmap; a null bitmap is a failure to draw it.
bool saveBitmap(SDL_Surface* bitmap, const std::string& dir, const char* gameFile)
{
    const std::string path = bitmapPath(dir, gameFile);
    if (bitmap == nullptr) {
        std::fprintf(stderr, "Couldn't draw %s: %s\n", path.c_str(), SDL_GetError());
        return false;
    }
    const bool saved = saveCanvas(bitmap, path);
    SDL_FreeSurface(bitmap);
    return saved;
}

bool createFolder(const std::string& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error)
        std::fprintf(stderr, "Couldn't create %s: %s\n", dir.c_str(), error.message().c_str());
    return !error;
}

bool writeAllBitmaps(const std::string& dir)
{
    if (!createFolder(dir))
        return false;
    bool ok = saveBitmap(drawGameIcon(ICON_SIZE), dir, ICON_FILE);
    ok = saveBitmap(drawBackground(), dir, BACKGROUND_FILE) && ok;
    ok = saveBitmap(drawDigitStrip(), dir, DIGITS_FILE) && ok;
    ok = saveBitmap(drawPauseText(), dir, PAUSE_TEXT_FILE) && ok;
    ok = saveBitmap(drawPresskeyText(), dir, PRESSKEY_TEXT_FILE) && ok;
    for (const AircraftClass& fleetClass : FLEET) {
        for (AircraftLook look : AIRCRAFT_LOOKS) {
            const char* file = fileOfLook(fleetClass, look);
            ok = saveBitmap(drawAircraft(fleetClass, look), dir, file) && ok;
            for (int h = HeadingNE; turnsWithHeading(look) && h < NUM_HEADINGS; ++h) {
                const auto heading = static_cast<Compass>(h);
                ok = saveBitmap(drawAircraft(fleetClass, look, heading), dir,
                                headingFile(file, heading).c_str()) &&
                     ok;
            }
        }
    }
    return ok;
}

bool writeDesktopIcons(const std::string& dir)
{
    if (!createFolder(dir))
        return false;
    bool ok = true;
    for (int size : DESKTOP_ICON_SIZES) {
        const std::string path = dir + "/corvane-" + std::to_string(size) + ".png";
        SDL_Surface* icon = drawGameIcon(size);
        if (icon == nullptr) {
            std::fprintf(stderr, "Couldn't draw %s: %s\n", path.c_str(), SDL_GetError());
            ok = false;
            continue;
        }
        ok = savePng(icon, path) && ok;
        SDL_FreeSurface(icon);
    }
    return ok;
}

bool writeAllSounds(const std::string& dir)
{
    if (!createFolder(dir))
        return false;
    bool ok = true;
    for (int e = 0; e < NUM_EFFECTS; ++e) {
        const auto effect = static_cast<Effect>(e);
        ok = saveWav(synthesiseEffect(effect), bitmapPath(dir, SOUND_FILES[effect])) && ok;
    }
    return ok;
}

// SDL_gfx keeps a surface per glyph it has drawn; choosing the font again
// frees them.
void releaseFontCache()
{
    gfxPrimitivesSetFont(nullptr, 0, 0);
}

void printUsage()
{
    std::fprintf(stderr, "usage: make_bitmaps OUTDIR\n"
                         "       make_bitmaps --icons ICONDIR\n"
                         "       make_bitmaps --sounds SOUNDDIR\n"
                         "       make_bitmaps --preview SHEET.bmp BITMAPSDIR\n");
}

}  // namespace

int main(int argc, char* argv[])
{
    int status = EXIT_USAGE;
    if (argc == 2 && argv[1][0] != '-') {
        status = writeAllBitmaps(argv[1]) ? EXIT_DONE : EXIT_FAILED;
    } else if (argc == 3 && std::strcmp(argv[1], "--icons") == 0) {
        status = writeDesktopIcons(argv[2]) ? EXIT_DONE : EXIT_FAILED;
    } else if (argc == 3 && std::strcmp(argv[1], "--sounds") == 0) {
        status = writeAllSounds(argv[2]) ? EXIT_DONE : EXIT_FAILED;
    } else if (argc == 4 && std::strcmp(argv[1], "--preview") == 0) {
        status = renderPreview(argv[3], argv[2]) ? EXIT_DONE : EXIT_FAILED;
    } else {
        printUsage();
    }
    releaseFontCache();
    return status;
}
