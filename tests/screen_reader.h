// Reads the game's screen the way a player does: where the aircraft are and
// which look each shows, what the two counters say, which texts are up.
// Everything is compared at the 5-6-5 precision of the game's 16-bit screen.
#ifndef CORVANE_SCREEN_READER_H
#define CORVANE_SCREEN_READER_H

#include <SDL.h>

#include <optional>
#include <string>
#include <vector>

// A picture with one 5-6-5 value per pixel; empty when it could not be read.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Uint16> pixels;

    bool empty() const { return pixels.empty(); }
    Uint16 at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    void set(int x, int y, Uint16 value) { pixels[static_cast<size_t>(y * width + x)] = value; }
};

Picture pictureOf(SDL_Surface* surface);
Picture loadPicture(const std::string& file);

// Black is the colour key of every aircraft and text bitmap.
const Uint16 TRANSPARENT_565 = 0;

enum class Look { Normal, Approach, Crashed };

// An aircraft found on the screen: its class (an index into FLEET), its
// look and its rectangle.
struct SeenAircraft {
    int kind;
    Look look;
    int x, y, w, h;

    int centreX() const { return x + w / 2; }
    int centreY() const { return y + h / 2; }
};

std::string describe(const SeenAircraft& aircraft);

class ScreenReader {
public:
    // Loads the game's bitmaps from gameDir/bitmaps, as the game does from
    // its working folder.
    explicit ScreenReader(const std::string& gameDir);

    // Names the bitmaps that could not be read; empty when all were.
    const std::string& loadErrors() const { return errors; }

    // Every aircraft that shows most of one of its looks, best matches first
    // where two would overlap. White marker rectangles match no look.
    std::vector<SeenAircraft> findAircraft(const Picture& shot) const;

    // The four digits of a counter whose first cell is at x; nothing while
    // any cell shows something other than a whole glyph (an aircraft or a
    // marker over it).
    std::optional<unsigned int> readCounter(const Picture& shot, int x) const;

    bool showsPauseText(const Picture& shot) const;
    bool showsPresskeyText(const Picture& shot) const;

    // What the pause screen must look like with these counters: the field,
    // the two counters and the two texts, nothing else.
    Picture composePauseScreen(unsigned int score, unsigned int best) const;

private:
    // A pixel of a look, by position and colour, used to find where the look
    // could lie on a screen.
    struct Anchor {
        int x, y;
        Uint16 colour;
    };

    struct LookBitmap {
        int kind;
        Look look;
        Picture picture;
        int visiblePixels;
        std::vector<Anchor> anchors;
    };

    struct Candidate {
        size_t lookIndex;
        int x, y;
        int score;  // matching pixels minus differing ones
    };

    void loadLook(int kind, Look look, const std::string& file);
    std::optional<Candidate> matchLook(const Picture& shot, size_t lookIndex, int x, int y) const;
    bool showsText(const Picture& shot, const Picture& text, int y) const;
    void drawCounter(Picture* target, unsigned int value, int x) const;

    std::string dir;
    std::string errors;
    Picture background;
    Picture digits;
    Picture pauseText;
    Picture presskeyText;
    std::vector<LookBitmap> looks;
};

// Where a text of this width is centred on the screen.
int centredX(int width);

#endif
