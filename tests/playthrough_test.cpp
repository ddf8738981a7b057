// A whole game of the installed game under Xvfb, through X input and
// screenshots only: route the first aircraft that appears onto its target and
// read the landing off the score counter (a new game when a crash comes
// first), drag aircraft into each other until the game is over, see the best
// score kept in the player's data folder and on screen, pause, resume, quit.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <functional>
#include <thread>

#include "game_process.h"
#include "skyrel_main.h"
#include "x_session.h"

namespace {

struct Bitmap {
    int w = 0;
    int h = 0;
    std::vector<Uint32> pixels;  // 5-6-5, row by row; 0 is transparent
    const AircraftClass* kind = nullptr;
};

struct Seen {
    const AircraftClass* kind;
    int cx, cy;  // its centre
};

// Columns x to x + w of the surface (all of them when w is 0).
Bitmap bitmapOf(const SurfacePtr& s, int x = 0, int w = 0)
{
    Bitmap b{s ? (w > 0 ? w : s->w) : 0, s ? s->h : 0, {}};
    for (int i = 0; i < b.w * b.h; ++i)
        b.pixels.push_back(rgb565At(s.get(), x + i % b.w, i / b.w));
    return b;
}

Bitmap load(const std::string& gameFile, int x = 0, int w = 0)
{
    return bitmapOf(SurfacePtr(SDL_LoadBMP((CORVANE_BITMAPS_DIR "/../" + gameFile).c_str())), x, w);
}

// Whether share per cent of the bitmap's visible pixels show at (x, y).
bool shows(const Bitmap& shot, const Bitmap& b, int x, int y, int share = 90)
{
    int visible = 0;
    int matching = 0;
    for (int i = 0; i < b.w * b.h; ++i) {
        const Uint32 p = b.pixels[i];
        visible += p != 0;
        matching += p != 0 && shot.pixels[(y + i / b.w) * shot.w + x + i % b.w] == p;
    }
    return matching * 100 >= visible * share;
}

// The normal look of every class in every heading.
std::vector<Bitmap> normalLooks()
{
    std::vector<Bitmap> looks;
    for (const AircraftClass& c : FLEET) {
        for (int h = HeadingN; h < NUM_HEADINGS; ++h) {
            looks.push_back(load(headingFile(c.normalFile, Compass(h))));
            looks.back().kind = &c;
        }
    }
    return looks;
}

// Every aircraft that shows its normal look, in any heading, nearly whole.
std::vector<Seen> findAircraft(const Bitmap& shot, const std::vector<Bitmap>& looks)
{
    std::vector<Seen> seen;
    for (const Bitmap& l : looks) {
        int a = 0;  // its first visible pixel, tried before the rest
        while (l.pixels[a] == 0)
            ++a;
        for (int i = 0; i + (l.h - 1) * SCREEN_WIDTH < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) {
            const int x = i % SCREEN_WIDTH;
            const int y = i / SCREEN_WIDTH;
            const int at = (y + a / l.w) * SCREEN_WIDTH + x + a % l.w;
            if (x + l.w <= SCREEN_WIDTH && shot.pixels[at] == l.pixels[a] && shows(shot, l, x, y))
                seen.push_back({l.kind, x + l.w / 2, y + l.h / 2});
        }
    }
    return seen;
}

// The centres of the two aircraft closest to each other; none when fewer show.
std::vector<std::pair<int, int>> closestPair(const std::vector<Seen>& seen)
{
    std::vector<std::pair<int, int>> pair;
    int closest = INT_MAX;
    for (size_t i = 0; i < seen.size(); ++i) {
        for (size_t j = i + 1; j < seen.size(); ++j) {
            const int d = std::abs(seen[i].cx - seen[j].cx) + std::abs(seen[i].cy - seen[j].cy);
            if (d < closest)
                pair = {{seen[i].cx, seen[i].cy}, {seen[j].cx, seen[j].cy}};
            closest = std::min(d, closest);
        }
    }
    return pair;
}

// Presses at the first point, drags through the others and lets go.
void drag(const XServer& x, const std::vector<std::pair<int, int>>& points)
{
    std::vector<std::string> args;
    for (const auto& [px, py] : points) {
        args.insert(args.end(),
                    {"mousemove", std::to_string(px), std::to_string(py), "sleep", "0.04"});
        if (args.size() == 5)
            args.insert(args.end(), {"mousedown", "1"});
    }
    args.insert(args.end(), {"mouseup", "1"});
    EXPECT_EQ(x.xdotool(args), 0);
}

}  // namespace

TEST(PlayThrough, ALandingACrashTheBestScorePauseAndEscape)
{
    XServer x;
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    WorkFolder dir;  // the game's working folder, without bitmaps, and the player's home
    ChildProcess install(
        {CMAKE_COMMAND_PATH, "--install", CORVANE_BUILD_DIR, "--prefix", dir.file("prefix")}, {},
        "", "");
    ASSERT_EQ(install.waitForExit(120000), 0);
    std::vector<std::string> env = gameEnv("x11");
    env.insert(env.end(),
               {"DISPLAY=" + x.name(), "HOME=" + dir.path, "XDG_DATA_HOME=" + dir.file("xdg")});
    ChildProcess game({dir.file("prefix/games/corvane")}, env, dir.path, dir.file("err.txt"));
    const std::string window =
        x.waitForWindow(R"(^Corvane \(Ver\. 1\.01\) - http://corvane\.example/$)", 20000);
    ASSERT_NE(window, "");
    // The icon title is the game's name; SDL2 keeps none, so sdl12-compat shows none.
    ChildProcess xprop({"xprop", "-id", window, "-notype", "WM_ICON_NAME"}, {"DISPLAY=" + x.name()},
                       "", dir.file("icon.txt"));
    ASSERT_EQ(xprop.waitForExit(20000), 0);
    EXPECT_EQ(readFile(dir.file("icon.txt")),
              onSdl12Compat() ? "WM_ICON_NAME:  not found.\n" : "WM_ICON_NAME = \"Corvane\"\n");
    ASSERT_EQ(x.xdotool({"mousemove", "320", "240"}), 0);  // keys go to the window under it

    const std::vector<Bitmap> looks = normalLooks();
    const Bitmap pauseText = load(PAUSE_TEXT_FILE);
    const Bitmap presskeyText = load(PRESSKEY_TEXT_FILE);
    const auto counterShows = [&](const Bitmap& shot, int left, const char* fourDigits) {
        bool all = true;
        for (int cell = 0; cell < 4; ++cell) {
            const Bitmap glyph =
                load(DIGITS_FILE, (fourDigits[cell] - '0') * DIGIT_WIDTH, DIGIT_WIDTH);
            all = all && shows(shot, glyph, left + cell * DIGIT_WIDTH, COUNTER_Y, 100);
        }
        return all;
    };
    const auto paused = [&](const Bitmap& s) {
        return shows(s, pauseText, (SCREEN_WIDTH - pauseText.w) / 2, PAUSE_TEXT_Y);
    };
    const auto over = [&](const Bitmap& s) {
        return !paused(s) &&
               shows(s, presskeyText, (SCREEN_WIDTH - presskeyText.w) / 2, PRESSKEY_TEXT_Y);
    };
    // Looks until the screen answers; an empty shot when it did not in time.
    const auto waitFor = [&](const std::function<bool(const Bitmap&)>& wanted, int seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end && game.running()) {
            Bitmap shot = bitmapOf(x.screenshot(dir.file("shot.bmp")));
            if (shot.w == SCREEN_WIDTH && shot.h == SCREEN_HEIGHT && wanted(shot))
                return shot;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return Bitmap{};
    };
    bool landed = false;
    for (int games = 0; games < 10 && !landed; ++games) {
        const auto anyAircraft = [&](const Bitmap& s) { return !findAircraft(s, looks).empty(); };
        Bitmap shot = waitFor(anyAircraft, 60);
        ASSERT_FALSE(shot.pixels.empty()) << "no aircraft appeared";
        const Seen first = findAircraft(shot, looks).front();
        for (const TargetLayout& t : AIRFIELD) {
            if (t.type == first.kind->type) {
                drag(x, {{first.cx, first.cy},
                         {t.preX + t.preW / 2, t.preY + t.preH / 2},
                         {t.x + t.w / 2, t.y + t.h / 2}});
            }
        }
        // The slowest class crosses the field in about two and a half minutes.
        shot = waitFor([&](const Bitmap& s) { return counterShows(s, SCORE_X, "0001") || over(s); },
                       150);
        ASSERT_FALSE(shot.pixels.empty()) << "neither a landing nor a crash";
        landed = !over(shot);
        ASSERT_TRUE(landed || x.xdotool({"key", "space"}) == 0);  // a new game after a crash
    }
    ASSERT_TRUE(landed) << "no landing in 10 games";

    // Drag the closest two aircraft into each other until they crash.
    const auto chase = [&](const Bitmap& s) {
        const std::vector<std::pair<int, int>> pair = closestPair(findAircraft(s, looks));
        if (!over(s) && !pair.empty())
            drag(x, pair);
        return over(s);
    };
    ASSERT_FALSE(waitFor(chase, 180).pixels.empty()) << "no crash";
    EXPECT_EQ(readFile(dir.file("xdg/corvane/highscore.txt")), "1");

    ASSERT_EQ(x.xdotool({"key", "space"}), 0);
    const auto bestKept = [&](const Bitmap& s) {
        return counterShows(s, HIGHSCORE_X, "0001") && counterShows(s, SCORE_X, "0000");
    };
    EXPECT_FALSE(waitFor(bestKept, 20).pixels.empty()) << "the next game does not show the best";
    ASSERT_EQ(x.xdotool({"key", "p"}), 0);
    EXPECT_FALSE(waitFor(paused, 10).pixels.empty());
    ASSERT_EQ(x.xdotool({"key", "p"}), 0);
    EXPECT_FALSE(waitFor([&](const Bitmap& s) { return !paused(s); }, 10).pixels.empty());
    ASSERT_EQ(x.xdotool({"key", "Escape"}), 0);
    EXPECT_EQ(game.waitForExit(20000), EXIT_OK) << readFile(dir.file("err.txt"));
}
