// The whole game on the real binary under Xvfb, through X input and
// screenshots only: route the first aircraft that appears onto its target
// and read the landing off the score counter (a new game when a crash comes
// first), chase aircraft into each other until the game is over, see the
// best score kept, pause, resume and quit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using Picture = std::vector<Uint32>;  // 5-6-5 colours, row by row

const int MAX_GAMES = 10;
const int GAME_TIMEOUT_S = 150;  // the slowest class crosses the field in about that
const int CRASH_TIMEOUT_S = 180;
const int MATCHING_SHARE = 90;  // per cent of a look's visible pixels that must match

struct Bitmap {
    int w = 0, h = 0;
    Picture pixels;  // 0 where transparent
    const AircraftClass* kind = nullptr;
    int anchor = 0;  // an aircraft's first visible pixel
};

struct Seen {
    const AircraftClass* kind;
    int cx, cy;  // its centre
};

Picture pictureOf(SDL_Surface* s)
{
    Picture p;
    for (int y = 0; s && y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x)
            p.push_back(rgb565At(s, x, y));
    }
    return p;
}

Bitmap load(const char* gameFile)
{
    SurfacePtr s(SDL_LoadBMP((std::string(CORVANE_BITMAPS_DIR "/../") + gameFile).c_str()));
    return s ? Bitmap{s->w, s->h, pictureOf(s.get())} : Bitmap{};
}

class PlayThrough : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
        const Bitmap digits = load(DIGITS_FILE);
        ASSERT_FALSE(digits.pixels.empty() || pauseText.pixels.empty() ||
                     presskeyText.pixels.empty());
        for (int d = 0; d <= 9; ++d) {
            glyphs[d] = {DIGIT_WIDTH, DIGIT_HEIGHT, {}};
            for (int i = 0; i < DIGIT_WIDTH * DIGIT_HEIGHT; ++i)
                glyphs[d].pixels.push_back(
                    digits.pixels[i / DIGIT_WIDTH * digits.w + d * DIGIT_WIDTH + i % DIGIT_WIDTH]);
        }
        for (const AircraftClass& c : FLEET) {
            for (int h = HeadingN; h < NUM_HEADINGS; ++h) {
                const std::string file = headingFile(c.normalFile, static_cast<Compass>(h));
                looks.push_back(load(file.c_str()));
                Bitmap& look = looks.back();
                ASSERT_FALSE(look.pixels.empty()) << file;
                look.kind = &c;
                while (look.pixels[look.anchor] == 0)
                    ++look.anchor;
            }
        }
        // The game writes its best score into the folder: it runs as we do.
        dir.linkBitmaps();
        std::vector<std::string> env = gameEnv("x11");
        env.push_back("DISPLAY=" + x.name());
        game.emplace(std::vector<std::string>{CORVANE_BINARY}, env, dir.path,
                     dir.file("stderr.txt"));
        const std::string window =
            x.waitForWindow(R"(^Corvane \(Ver\. 1\.01\) - http://corvane\.example/$)", 20000);
        ASSERT_NE(window, "");
        // The icon title is the game's name; SDL2 keeps none, so under
        // sdl12-compat the window has no icon title at all.
        ChildProcess xprop({"xprop", "-id", window, "-notype", "WM_ICON_NAME"},
                           {"DISPLAY=" + x.name()}, "", dir.file("icon.txt"));
        ASSERT_EQ(xprop.waitForExit(20000), 0);
        EXPECT_EQ(readFile(dir.file("icon.txt")),
                  onSdl12Compat() ? "WM_ICON_NAME:  not found.\n" : "WM_ICON_NAME = \"Corvane\"\n");
        ASSERT_EQ(x.xdotool({"mousemove", "320", "240"}), 0);  // keys go to the window under it
    }

    Picture look() { return pictureOf(x.screenshot(dir.file("shot.bmp")).get()); }

    // The value of the four digit cells from x; nothing while any is hidden.
    std::optional<unsigned int> counter(const Picture& shot, int x)
    {
        unsigned int value = 0;
        for (int cell = 0; cell < 4; ++cell) {
            int digit = 0;
            while (digit <= 9 &&
                   !shows(shot, glyphs[digit], x + cell * DIGIT_WIDTH, COUNTER_Y, 100))
                ++digit;
            if (digit > 9)
                return std::nullopt;
            value = value * 10 + static_cast<unsigned int>(digit);
        }
        return value;
    }

    // Whether most of the bitmap shows with its top left corner at (x, y).
    static bool shows(const Picture& shot, const Bitmap& b, int x, int y,
                      int share = MATCHING_SHARE)
    {
        int visible = 0;
        int matching = 0;
        for (int i = 0; i < b.w * b.h; ++i) {
            const Uint32 p = b.pixels[i];
            visible += p != 0;
            matching += p != 0 && shot[(y + i / b.w) * SCREEN_WIDTH + x + i % b.w] == p;
        }
        return matching * 100 >= visible * share;
    }
    bool paused(const Picture& shot)
    {
        return shows(shot, pauseText, (SCREEN_WIDTH - pauseText.w) / 2, PAUSE_TEXT_Y);
    }
    bool over(const Picture& shot)
    {
        return !paused(shot) &&
               shows(shot, presskeyText, (SCREEN_WIDTH - presskeyText.w) / 2, PRESSKEY_TEXT_Y);
    }

    // Every aircraft that shows its normal look, in any heading, nearly whole.
    std::vector<Seen> findAircraft(const Picture& shot)
    {
        std::vector<Seen> seen;
        for (const Bitmap& l : looks) {
            for (int y = 0; y + l.h <= SCREEN_HEIGHT; ++y) {
                for (int x = 0; x + l.w <= SCREEN_WIDTH; ++x) {
                    const int anchorAt = (y + l.anchor / l.w) * SCREEN_WIDTH + x + l.anchor % l.w;
                    if (shot[anchorAt] == l.pixels[l.anchor] && shows(shot, l, x, y))
                        seen.push_back({l.kind, x + l.w / 2, y + l.h / 2});
                }
            }
        }
        return seen;
    }

    // Presses on from, drags through the points and lets go.
    void drag(int fromX, int fromY, const std::vector<std::pair<int, int>>& through)
    {
        std::vector<std::string> args = {
            "mousemove", std::to_string(fromX), std::to_string(fromY), "sleep", "0.05", "mousedown",
            "1"};
        for (const auto& [px, py] : through)
            args.insert(args.end(),
                        {"sleep", "0.03", "mousemove", std::to_string(px), std::to_string(py)});
        args.insert(args.end(), {"sleep", "0.03", "mouseup", "1"});
        EXPECT_EQ(x.xdotool(args), 0);
    }

    // Looks until the screen answers; nothing when it did not in time.
    Picture waitFor(const std::function<bool(const Picture&)>& wanted, int seconds)
    {
        const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
        while (Clock::now() < end && game->running()) {
            Picture shot = look();
            if (shot.size() == static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT && wanted(shot))
                return shot;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }

    XServer x;
    WorkFolder dir;
    std::optional<ChildProcess> game;
    std::vector<Bitmap> looks;
    Bitmap glyphs[10];
    Bitmap pauseText = load(PAUSE_TEXT_FILE);
    Bitmap presskeyText = load(PRESSKEY_TEXT_FILE);
};

}  // namespace

TEST_F(PlayThrough, ALandingACrashTheBestScorePauseAndEscape)
{
    bool landed = false;
    for (int games = 0; games < MAX_GAMES && !landed; ++games) {
        Picture shot = waitFor([&](const Picture& s) { return !findAircraft(s).empty(); }, 60);
        ASSERT_FALSE(shot.empty()) << "no aircraft appeared";
        const Seen first = findAircraft(shot).front();
        for (const TargetLayout& t : AIRFIELD) {
            if (t.type == first.kind->type)
                drag(first.cx, first.cy,
                     {{t.preX + t.preW / 2, t.preY + t.preH / 2}, {t.x + t.w / 2, t.y + t.h / 2}});
        }
        shot = waitFor([&](const Picture& s) { return counter(s, SCORE_X) == 1u || over(s); },
                       GAME_TIMEOUT_S);
        ASSERT_FALSE(shot.empty()) << "neither a landing nor a crash";
        landed = !over(shot);
        ASSERT_TRUE(landed || x.xdotool({"key", "space"}) == 0);  // a new game after a crash
    }
    ASSERT_TRUE(landed) << "no landing in " << MAX_GAMES << " games";

    // Chase one aircraft into another until they crash.
    Picture shot = waitFor(
        [&](const Picture& s) {
            if (over(s))
                return true;
            const std::vector<Seen> seen = findAircraft(s);
            size_t chaser = 0;
            size_t chased = 0;  // the closest pair
            int closest = 0x7FFFFFFF;
            for (size_t i = 0; i < seen.size(); ++i) {
                for (size_t j = 0; j < seen.size(); ++j) {
                    const int d =
                        std::abs(seen[i].cx - seen[j].cx) + std::abs(seen[i].cy - seen[j].cy);
                    if (i != j && d < closest) {
                        closest = d;
                        chaser = i;
                        chased = j;
                    }
                }
            }
            if (chaser != chased)
                drag(seen[chaser].cx, seen[chaser].cy, {{seen[chased].cx, seen[chased].cy}});
            return false;
        },
        CRASH_TIMEOUT_S);
    ASSERT_FALSE(shot.empty()) << "no crash";
    EXPECT_EQ(readFile(dir.file("highscore.txt")), "1");

    ASSERT_EQ(x.xdotool({"key", "space"}), 0);
    EXPECT_FALSE(waitFor(
                     [&](const Picture& s) {
                         return counter(s, HIGHSCORE_X) == 1u && counter(s, SCORE_X) == 0u;
                     },
                     20)
                     .empty())
        << "the next game does not show the best score";
    ASSERT_EQ(x.xdotool({"key", "p"}), 0);
    EXPECT_FALSE(waitFor([&](const Picture& s) { return paused(s); }, 10).empty());
    ASSERT_EQ(x.xdotool({"key", "p"}), 0);
    EXPECT_FALSE(waitFor([&](const Picture& s) { return !paused(s); }, 10).empty());
    ASSERT_EQ(x.xdotool({"key", "Escape"}), 0);
    EXPECT_EQ(game->waitForExit(20000), EXIT_OK) << readFile(dir.file("stderr.txt"));
}
