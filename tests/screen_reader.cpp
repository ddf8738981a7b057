#include "screen_reader.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <unordered_set>

#include "skyrel_main.h"
#include "x_session.h"

namespace {

const Uint16 WHITE_565 = 0xFFFF;  // the marker's colour
const int DIGIT_COUNT = 4;
const int NUM_GLYPHS = 10;
const size_t ANCHORS_PER_LOOK = 4;
const int ANCHOR_SPACING = 6;      // pixels between two anchors of a look, at least
const int MIN_MATCH_PERCENT = 60;  // of a look's visible pixels, for an aircraft seen

const char* const LOOK_NAMES[] = {"normal", "approach", "crashed"};
const char* const KIND_NAMES[] = {"d", "c", "b", "a"};  // the classes in FLEET order
static_assert(sizeof KIND_NAMES / sizeof KIND_NAMES[0] == NUM_AIRCRAFT_CLASSES,
              "every class needs a name");

int visiblePixelsOf(const Picture& p)
{
    return static_cast<int>(std::count_if(p.pixels.begin(), p.pixels.end(),
                                          [](Uint16 v) { return v != TRANSPARENT_565; }));
}

int overlapArea(const SeenAircraft& a, const SeenAircraft& b)
{
    const int w = std::min(a.x + a.w, b.x + b.w) - std::max(a.x, b.x);
    const int h = std::min(a.y + a.h, b.y + b.h) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

// Two finds that share most of the smaller one's area are one aircraft seen
// twice (a look one pixel off, or a similar look). Aircraft that have just
// crashed overlap by a pixel or two only.
bool isSameAircraft(const SeenAircraft& a, const SeenAircraft& b)
{
    const int smaller = std::min(a.w * a.h, b.w * b.h);
    return 2 * overlapArea(a, b) > smaller;
}

void blitKeyed(Picture* target, const Picture& source, int x, int y)
{
    for (int sy = 0; sy < source.height; ++sy) {
        for (int sx = 0; sx < source.width; ++sx) {
            const Uint16 v = source.at(sx, sy);
            const int tx = x + sx;
            const int ty = y + sy;
            if (v != TRANSPARENT_565 && tx >= 0 && ty >= 0 && tx < target->width &&
                ty < target->height)
                target->set(tx, ty, v);
        }
    }
}

}  // namespace

Picture pictureOf(SDL_Surface* surface)
{
    Picture p;
    if (!surface || SDL_LockSurface(surface) != 0)
        return p;
    p.width = surface->w;
    p.height = surface->h;
    p.pixels.resize(static_cast<size_t>(p.width * p.height));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.set(x, y, static_cast<Uint16>(rgb565At(surface, x, y)));
    SDL_UnlockSurface(surface);
    return p;
}

Picture loadPicture(const std::string& file)
{
    SurfacePtr surface(SDL_LoadBMP(file.c_str()));
    return pictureOf(surface.get());
}

int centredX(int width)
{
    return (SCREEN_WIDTH - width) / 2;
}

std::string describe(const SeenAircraft& aircraft)
{
    return std::string(KIND_NAMES[aircraft.kind]) + " " +
           LOOK_NAMES[static_cast<int>(aircraft.look)] + " at (" + std::to_string(aircraft.x) +
           "," + std::to_string(aircraft.y) + ")";
}

ScreenReader::ScreenReader(const std::string& gameDir) : dir(gameDir)
{
    const std::pair<Picture*, const char*> interfaceBitmaps[] = {
        {&background, BACKGROUND_FILE},
        {&digits, DIGITS_FILE},
        {&pauseText, PAUSE_TEXT_FILE},
        {&presskeyText, PRESSKEY_TEXT_FILE},
    };
    for (const auto& [picture, file] : interfaceBitmaps) {
        *picture = loadPicture(dir + "/" + file);
        if (picture->empty())
            errors += std::string(file) + " ";
    }
    if (background.width != SCREEN_WIDTH || background.height != SCREEN_HEIGHT)
        errors += "(background size) ";
    if (digits.width < NUM_GLYPHS * DIGIT_WIDTH || digits.height < DIGIT_HEIGHT)
        errors += "(digit strip size) ";
    for (int kind = 0; kind < NUM_AIRCRAFT_CLASSES; ++kind) {
        loadLook(kind, Look::Normal, FLEET[kind].normalFile);
        loadLook(kind, Look::Approach, FLEET[kind].approachFile);
        loadLook(kind, Look::Crashed, FLEET[kind].crashedFile);
    }
}

// Anchors are pixels of the look's rarest colours, spread apart, never white
// (a marker is white all over).
void ScreenReader::loadLook(int kind, Look look, const std::string& file)
{
    LookBitmap bitmap{kind, look, loadPicture(dir + "/" + file), 0, {}};
    if (bitmap.picture.empty()) {
        errors += file + " ";
        return;
    }
    bitmap.visiblePixels = visiblePixelsOf(bitmap.picture);

    std::map<Uint16, int> frequency;
    std::vector<Anchor> pixels;
    for (int y = 0; y < bitmap.picture.height; ++y) {
        for (int x = 0; x < bitmap.picture.width; ++x) {
            const Uint16 v = bitmap.picture.at(x, y);
            if (v == TRANSPARENT_565 || v == WHITE_565)
                continue;
            ++frequency[v];
            pixels.push_back({x, y, v});
        }
    }
    std::stable_sort(pixels.begin(), pixels.end(), [&](const Anchor& a, const Anchor& b) {
        return frequency.at(a.colour) < frequency.at(b.colour);
    });
    for (const Anchor& p : pixels) {
        const bool crowded =
            std::any_of(bitmap.anchors.begin(), bitmap.anchors.end(), [&](const Anchor& a) {
                return std::abs(a.x - p.x) < ANCHOR_SPACING && std::abs(a.y - p.y) < ANCHOR_SPACING;
            });
        if (!crowded)
            bitmap.anchors.push_back(p);
        if (bitmap.anchors.size() == ANCHORS_PER_LOOK)
            break;
    }
    looks.push_back(bitmap);
}

// Every pixel that differs from the field and has the colour of an anchor
// proposes a place for that anchor's look; each place is scored over all the
// look's visible pixels.
std::vector<SeenAircraft> ScreenReader::findAircraft(const Picture& shot) const
{
    std::vector<Candidate> candidates;
    if (shot.width != background.width || shot.height != background.height)
        return {};
    std::unordered_set<Uint64> tried;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const Uint16 v = shot.at(x, y);
            if (v == background.at(x, y))
                continue;
            for (size_t i = 0; i < looks.size(); ++i) {
                for (const Anchor& a : looks[i].anchors) {
                    if (a.colour != v)
                        continue;
                    const int ox = x - a.x;
                    const int oy = y - a.y;
                    const Uint64 place = (static_cast<Uint64>(i) << 32) |
                                         (static_cast<Uint64>(oy + 0x8000) << 16) |
                                         static_cast<Uint64>(ox + 0x8000);
                    if (!tried.insert(place).second)
                        continue;
                    if (std::optional<Candidate> c = matchLook(shot, i, ox, oy))
                        candidates.push_back(*c);
                }
            }
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.score > b.score; });

    std::vector<SeenAircraft> seen;
    for (const Candidate& c : candidates) {
        const LookBitmap& l = looks[c.lookIndex];
        const SeenAircraft aircraft{l.kind, l.look, c.x, c.y, l.picture.width, l.picture.height};
        if (std::none_of(seen.begin(), seen.end(),
                         [&](const SeenAircraft& s) { return isSameAircraft(s, aircraft); }))
            seen.push_back(aircraft);
    }
    return seen;
}

// Aircraft never leave the screen, so a look that would reach past an edge
// is not there.
std::optional<ScreenReader::Candidate> ScreenReader::matchLook(const Picture& shot,
                                                               size_t lookIndex, int x, int y) const
{
    const LookBitmap& l = looks[lookIndex];
    if (x < 0 || y < 0 || x + l.picture.width > shot.width || y + l.picture.height > shot.height)
        return std::nullopt;
    const int allowedMisses = l.visiblePixels - l.visiblePixels * MIN_MATCH_PERCENT / 100;
    int matched = 0;
    int missed = 0;
    for (int by = 0; by < l.picture.height; ++by) {
        for (int bx = 0; bx < l.picture.width; ++bx) {
            const Uint16 wanted = l.picture.at(bx, by);
            if (wanted == TRANSPARENT_565)
                continue;
            if (shot.at(x + bx, y + by) == wanted) {
                ++matched;
            } else if (++missed > allowedMisses) {
                return std::nullopt;
            }
        }
    }
    return Candidate{lookIndex, x, y, matched - missed};
}

std::optional<unsigned int> ScreenReader::readCounter(const Picture& shot, int x) const
{
    unsigned int value = 0;
    for (int cell = 0; cell < DIGIT_COUNT; ++cell) {
        const int cellX = x + cell * DIGIT_WIDTH;
        int digit = -1;
        for (int glyph = 0; glyph < NUM_GLYPHS && digit < 0; ++glyph) {
            bool same = true;
            for (int dy = 0; dy < DIGIT_HEIGHT && same; ++dy)
                for (int dx = 0; dx < DIGIT_WIDTH && same; ++dx)
                    same = shot.at(cellX + dx, COUNTER_Y + dy) ==
                           digits.at(glyph * DIGIT_WIDTH + dx, dy);
            if (same)
                digit = glyph;
        }
        if (digit < 0)
            return std::nullopt;
        value = value * 10 + static_cast<unsigned int>(digit);
    }
    return value;
}

bool ScreenReader::showsPauseText(const Picture& shot) const
{
    return showsText(shot, pauseText, PAUSE_TEXT_Y);
}

bool ScreenReader::showsPresskeyText(const Picture& shot) const
{
    return showsText(shot, presskeyText, PRESSKEY_TEXT_Y);
}

// The texts are drawn over everything else, so every one of their visible
// pixels shows.
bool ScreenReader::showsText(const Picture& shot, const Picture& text, int y) const
{
    const int x = centredX(text.width);
    if (shot.empty() || x < 0 || y + text.height > shot.height)
        return false;
    for (int ty = 0; ty < text.height; ++ty) {
        for (int tx = 0; tx < text.width; ++tx) {
            const Uint16 v = text.at(tx, ty);
            if (v != TRANSPARENT_565 && shot.at(x + tx, y + ty) != v)
                return false;
        }
    }
    return true;
}

Picture ScreenReader::composePauseScreen(unsigned int score, unsigned int best) const
{
    Picture screen = background;
    drawCounter(&screen, score, SCORE_X);
    drawCounter(&screen, best, HIGHSCORE_X);
    blitKeyed(&screen, pauseText, centredX(pauseText.width), PAUSE_TEXT_Y);
    blitKeyed(&screen, presskeyText, centredX(presskeyText.width), PRESSKEY_TEXT_Y);
    return screen;
}

// Glyph cells are copied whole, their background included.
void ScreenReader::drawCounter(Picture* target, unsigned int value, int x) const
{
    unsigned int divisor = 1000;
    for (int cell = 0; cell < DIGIT_COUNT; ++cell, divisor /= 10) {
        const int glyph = static_cast<int>(value / divisor % 10);
        for (int dy = 0; dy < DIGIT_HEIGHT; ++dy)
            for (int dx = 0; dx < DIGIT_WIDTH; ++dx)
                target->set(x + cell * DIGIT_WIDTH + dx, COUNTER_Y + dy,
                            digits.at(glyph * DIGIT_WIDTH + dx, dy));
    }
}
