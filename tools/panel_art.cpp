// The counter panel, the digit strip and the two screen texts.
#include <SDL_gfxPrimitives.h>
#include <SDL_rotozoom.h>

#include <vector>

#include "airfield_geometry.h"
#include "art.h"
#include "canvas.h"
#include "palette.h"

namespace {

const int PANEL_HEIGHT = 24;  // the last row is a rule
const int COUNTER_DIGITS = 4;
const int COUNTER_FRAME_GAP = 2;  // flat panel between the digit cells and their frame
const int LABEL_GAP = 6;          // between a label and the frame of its counter
const int FONT_SIZE = 8;
const char* const SCORE_LABEL = "SCORE";
const char* const HIGHSCORE_LABEL = "BEST";

// Digit glyphs of 8 x 12 pixels, drawn one pixel in from the top left of
// their 10 x 14 cell, so a shadow fits on the right and below.
const int NUM_DIGITS = 10;
const int GLYPH_WIDTH = 8;
const int GLYPH_HEIGHT = 12;
const int GLYPH_OFFSET = 1;
const char* const DIGIT_GLYPHS[NUM_DIGITS][GLYPH_HEIGHT] = {
    {"..####..", ".######.", "##....##", "##....##", "##...###", "##..####", "####..##", "###...##",
     "##....##", "##....##", ".######.", "..####.."},
    {"...##...", "..###...", ".####...", "...##...", "...##...", "...##...", "...##...", "...##...",
     "...##...", "...##...", ".######.", ".######."},
    {"..####..", ".######.", "##....##", "......##", "......##", ".....##.", "....##..", "...##...",
     "..##....", ".##.....", "########", "########"},
    {"..####..", ".######.", "##....##", "......##", "......##", "...####.", "...####.", "......##",
     "......##", "##....##", ".######.", "..####.."},
    {".....##.", "....###.", "...####.", "..##.##.", ".##..##.", "##...##.", "########", "########",
     ".....##.", ".....##.", ".....##.", ".....##."},
    {"########", "########", "##......", "##......", "######..", "#######.", "......##", "......##",
     "......##", "##....##", ".######.", "..####.."},
    {"..####..", ".######.", "##....##", "##......", "##......", "######..", "#######.", "##....##",
     "##....##", "##....##", ".######.", "..####.."},
    {"########", "########", "......##", ".....##.", ".....##.", "....##..", "....##..", "...##...",
     "...##...", "..##....", "..##....", "..##...."},
    {"..####..", ".######.", "##....##", "##....##", "##....##", ".######.", ".######.", "##....##",
     "##....##", "##....##", ".######.", "..####.."},
    {"..####..", ".######.", "##....##", "##....##", "##....##", ".#######", "..######", "......##",
     "......##", "##....##", ".######.", "..####.."},
};

// The screen texts: the 8 x 8 font blown up, with a rounded dark outline and
// a drop shadow so they read over the ground, runways and aircraft alike.
const char* const PAUSE_TEXT = "PAUSED";
const char* const PRESSKEY_TEXT = "PRESS ANY KEY";
const int PAUSE_TEXT_SCALE = 5;
const int PRESSKEY_TEXT_SCALE = 3;
const int TEXT_OUTLINE_RADIUS = 2;
const int TEXT_SHADOW_OFFSET = 2;

// The legend at the left of the panel: for each landing type, small
// pictures of its aircraft, an arrow and a small sign of its landing area.
const int LEGEND_LEFT = 8;
const double LEGEND_ICON_ZOOM = 0.67;
const int LEGEND_ICON_GAP = 2;
const int LEGEND_ARROW_GAP = 4;
const int LEGEND_ARROW_LENGTH = 4;
const int LEGEND_ARROW_HALF_HEIGHT = 3;
const int LEGEND_GROUP_GAP = 16;
const int SIGN_LENGTH = 16;
const int SIGN_THICKNESS = 6;
const int SIGN_PAD_SIDE = 10;

// x of the first pixel of a frame around the counter drawn from counterX.
int counterFrameLeft(int counterX)
{
    return counterX - COUNTER_FRAME_GAP - 1;
}

int counterFrameWidth()
{
    return COUNTER_DIGITS * DIGIT_WIDTH + 2 * (COUNTER_FRAME_GAP + 1);
}

void paintCounterFrame(SDL_Surface* field, int counterX)
{
    outlineBox(field, counterFrameLeft(counterX), COUNTER_Y - COUNTER_FRAME_GAP - 1,
               counterFrameWidth(), DIGIT_HEIGHT + 2 * (COUNTER_FRAME_GAP + 1), PANEL_RULE);
}

// The label ends LABEL_GAP pixels left of the counter's frame, centred on
// the digits' height.
void paintCounterLabel(SDL_Surface* field, int counterX, const char* label)
{
    const int width = static_cast<int>(SDL_strlen(label)) * FONT_SIZE;
    const int x = counterFrameLeft(counterX) - LABEL_GAP - width;
    const int y = COUNTER_Y + (DIGIT_HEIGHT - FONT_SIZE) / 2;
    stringRGBA(field, static_cast<Sint16>(x), static_cast<Sint16>(y), label, PANEL_LABEL.r,
               PANEL_LABEL.g, PANEL_LABEL.b, SDL_ALPHA_OPAQUE);
}

int panelMiddle()
{
    return (PANEL_HEIGHT - 1) / 2;
}

// Pastes the icon with black left out; answers its width.
int pasteIcon(SDL_Surface* field, SDL_Surface* icon, int x)
{
    SDL_SetColorKey(icon, SDL_SRCCOLORKEY, 0);
    stampCanvas(field, icon, x, panelMiddle() - icon->h / 2);
    return icon->w;
}

int paintLegendArrow(SDL_Surface* field, int x)
{
    const int y = panelMiddle();
    filledTrigonRGBA(field, static_cast<Sint16>(x),
                     static_cast<Sint16>(y - LEGEND_ARROW_HALF_HEIGHT), static_cast<Sint16>(x),
                     static_cast<Sint16>(y + LEGEND_ARROW_HALF_HEIGHT),
                     static_cast<Sint16>(x + LEGEND_ARROW_LENGTH), static_cast<Sint16>(y),
                     PANEL_LABEL.r, PANEL_LABEL.g, PANEL_LABEL.b, SDL_ALPHA_OPAQUE);
    return LEGEND_ARROW_LENGTH + 1;
}

// A landing area in miniature: a runway lying the way it lies on the field,
// or the pad. Answers its width.
int paintLandingSign(SDL_Surface* field, const TargetLayout& target, int x)
{
    int w = SIGN_PAD_SIDE;
    int h = SIGN_PAD_SIDE;
    Rgb ground = PAD_CONCRETE;
    if (!isPad(target)) {
        const bool alongX = turnsFromEast(target) % 2 == 0;
        w = alongX ? SIGN_LENGTH : SIGN_THICKNESS;
        h = alongX ? SIGN_THICKNESS : SIGN_LENGTH;
        ground = ASPHALT;
    }
    const int y = panelMiddle() - h / 2;
    fillBox(field, x, y, w, h, ground);
    outlineBox(field, x, y, w, h, accentOfType(target.type));
    return w;
}

int paintLegendGroup(SDL_Surface* field, const TargetLayout& target, int x)
{
    for (const AircraftClass& fleetClass : FLEET) {
        if (fleetClass.type != target.type) {
            continue;
        }
        SDL_Surface* icon = drawAircraftIcon(fleetClass, LEGEND_ICON_ZOOM);
        if (icon != nullptr) {
            x += pasteIcon(field, icon, x) + LEGEND_ICON_GAP;
            SDL_FreeSurface(icon);
        }
    }
    x += LEGEND_ARROW_GAP;
    x += paintLegendArrow(field, x) + LEGEND_ARROW_GAP;
    return x + paintLandingSign(field, target, x);
}

void paintLegend(SDL_Surface* field)
{
    int x = LEGEND_LEFT;
    for (const TargetLayout& target : AIRFIELD) {
        // cppcheck-suppress useStlAlgorithm ; a loop, as each step paints a group
        x = paintLegendGroup(field, target, x) + LEGEND_GROUP_GAP;
    }
}

bool isGlyphInk(int digit, int x, int y)
{
    return x >= 0 && y >= 0 && x < GLYPH_WIDTH && y < GLYPH_HEIGHT &&
           DIGIT_GLYPHS[digit][y][x] == '#';
}

void paintDigitGlyph(SDL_Surface* strip, int digit)
{
    const int left = digit * DIGIT_WIDTH + GLYPH_OFFSET;
    for (int y = 0; y <= GLYPH_HEIGHT; ++y) {
        for (int x = 0; x <= GLYPH_WIDTH; ++x) {
            if (isGlyphInk(digit, x, y)) {
                writePixel(strip, left + x, GLYPH_OFFSET + y, DIGIT_INK);
            } else if (isGlyphInk(digit, x - 1, y - 1)) {
                writePixel(strip, left + x, GLYPH_OFFSET + y, DIGIT_SHADOW);
            }
        }
    }
}

// One flag per pixel of a w x h image.
struct Mask {
    int w, h;
    std::vector<bool> bits;

    bool at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < w && y < h && bits[static_cast<size_t>(y) * w + x];
    }
};

// The glyph pixels of text in the 8 x 8 font, scaled up and moved right
// and down by margin pixels on a mask of the given size.
Mask maskText(const char* text, int scale, int margin, int w, int h)
{
    const int length = static_cast<int>(SDL_strlen(text));
    SDL_Surface* small = createCanvas(length * FONT_SIZE, FONT_SIZE);
    stringRGBA(small, 0, 0, text, 255, 255, 255, SDL_ALPHA_OPAQUE);
    SDL_Surface* large = zoomSurface(small, scale, scale, SMOOTHING_OFF);
    Mask mask = {w, h, std::vector<bool>(static_cast<size_t>(w) * h)};
    for (int y = 0; y < large->h; ++y) {
        for (int x = 0; x < large->w; ++x) {
            mask.bits[static_cast<size_t>(y + margin) * w + x + margin] =
                readPixel(large, x, y) != BLACK;
        }
    }
    SDL_FreeSurface(large);
    SDL_FreeSurface(small);
    return mask;
}

// The mask grown by a disc of the given radius and moved by (dx, dy).
Mask growMask(const Mask& mask, int radius, int dx, int dy)
{
    Mask grown = {mask.w, mask.h, std::vector<bool>(mask.bits.size())};
    for (int y = 0; y < mask.h; ++y) {
        for (int x = 0; x < mask.w; ++x) {
            bool hit = false;
            for (int oy = -radius; oy <= radius && !hit; ++oy) {
                for (int ox = -radius; ox <= radius && !hit; ++ox) {
                    hit = ox * ox + oy * oy <= radius * radius && mask.at(x - dx + ox, y - dy + oy);
                }
            }
            grown.bits[static_cast<size_t>(y) * mask.w + x] = hit;
        }
    }
    return grown;
}

SDL_Surface* drawScreenText(const char* text, int scale)
{
    const int margin = TEXT_OUTLINE_RADIUS;
    const int textHeight = FONT_SIZE * scale;
    const int w =
        static_cast<int>(SDL_strlen(text)) * FONT_SIZE * scale + 2 * margin + TEXT_SHADOW_OFFSET;
    const int h = textHeight + 2 * margin + TEXT_SHADOW_OFFSET;
    const Mask ink = maskText(text, scale, margin, w, h);
    const Mask outline = growMask(ink, TEXT_OUTLINE_RADIUS, 0, 0);
    const Mask shadow = growMask(ink, TEXT_OUTLINE_RADIUS, TEXT_SHADOW_OFFSET, TEXT_SHADOW_OFFSET);
    SDL_Surface* canvas = createCanvas(w, h);
    for (int y = 0; y < h; ++y) {
        // The ink warms from top to bottom of the letters.
        const float depth = static_cast<float>(y - margin) / (textHeight - 1);
        for (int x = 0; x < w; ++x) {
            if (ink.at(x, y)) {
                writePixel(canvas, x, y, mixColours(TEXT_INK, TEXT_INK_SHADE, depth));
            } else if (outline.at(x, y)) {
                writePixel(canvas, x, y, TEXT_OUTLINE);
            } else if (shadow.at(x, y)) {
                writePixel(canvas, x, y, TEXT_SHADOW);
            }
        }
    }
    return canvas;
}

}  // namespace

void paintPanel(SDL_Surface* field)
{
    fillBox(field, 0, 0, field->w, PANEL_HEIGHT - 1, PANEL);
    fillBox(field, 0, PANEL_HEIGHT - 1, field->w, 1, PANEL_RULE);
    paintCounterFrame(field, SCORE_X);
    paintCounterFrame(field, HIGHSCORE_X);
    paintCounterLabel(field, SCORE_X, SCORE_LABEL);
    paintCounterLabel(field, HIGHSCORE_X, HIGHSCORE_LABEL);
    paintLegend(field);
}

SDL_Surface* drawDigitStrip()
{
    SDL_Surface* strip = createCanvas(NUM_DIGITS * DIGIT_WIDTH, DIGIT_HEIGHT);
    if (strip == nullptr) {
        return nullptr;
    }
    fillBox(strip, 0, 0, strip->w, strip->h, PANEL);
    for (int digit = 0; digit < NUM_DIGITS; ++digit) {
        paintDigitGlyph(strip, digit);
    }
    return strip;
}

SDL_Surface* drawPauseText()
{
    return drawScreenText(PAUSE_TEXT, PAUSE_TEXT_SCALE);
}

SDL_Surface* drawPresskeyText()
{
    return drawScreenText(PRESSKEY_TEXT, PRESSKEY_TEXT_SCALE);
}
