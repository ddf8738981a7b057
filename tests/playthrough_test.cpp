// The .deb's game starts muted; the one cmake --install puts in place is played at scale 2 through
// X input and screenshots only: its own data, a landing (after new games), a crash heard, the best
// score, pause, resume, Escape. A fullscreen start shows the field at scale 2, centred in black.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "skyrel_main.h"
#include "x_session.h"

namespace {

const std::pair<int, int> MEETING_POINT = {150, 350};  // away from the landing areas
const int SCALE = 2;
const SDL_Rect MARK = {600, 440, 8, 8};  // painted on the installed field, in magenta
const int MARKED = (MARK.y + 1) * SCREEN_WIDTH + MARK.x + 1;  // a pixel inside it
const Uint32 MAGENTA = 0xF81F;                                // in 5-6-5

struct Bitmap {
    int w = 0;
    int h = 0;
    std::vector<Uint32> pixels;  // 5-6-5, row by row; 0 is transparent
    int type = 0;                // of an aircraft's look
};

using Seen = std::vector<int>;  // an aircraft's type and centre

// Columns x to x + w of the surface (all of them when w is 0), for a look of that type.
Bitmap bitmapOf(const SurfacePtr& s, int x = 0, int w = 0, int type = 0)
{
    Bitmap b{s ? (w > 0 ? w : s->w) : 0, s ? s->h : 0, {}, type};
    for (int i = 0; i < b.w * b.h; ++i)
        b.pixels.push_back(rgb565At(s.get(), x + i % b.w, i / b.w));
    return b;
}

// The field a screenshot shows from (left, top) at a scale, a pixel from each block; empty
// without a screenshot.
Bitmap fieldOf(const SurfacePtr& shot, int left, int top, int scale)
{
    Bitmap b{shot ? SCREEN_WIDTH : 0, SCREEN_HEIGHT, {}, 0};
    for (int i = 0; i < b.w * b.h; ++i)
        b.pixels.push_back(rgb565At(shot.get(), left + i % b.w * scale, top + i / b.w * scale));
    return b;
}

Bitmap load(const std::string& file, int x = 0, int w = 0, int type = 0)
{
    return bitmapOf(SurfacePtr(SDL_LoadBMP((CORVANE_BITMAPS_DIR "/../" + file).c_str())), x, w,
                    type);
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

// Every aircraft that shows a look nearly whole; the look's first visible pixel is tried first.
std::vector<Seen> findAircraft(const Bitmap& shot, const std::vector<Bitmap>& looks)
{
    std::vector<Seen> seen;
    for (const Bitmap& l : looks) {
        int a = 0;
        while (l.pixels[a] == 0)
            ++a;
        for (int y = 0; y + l.h <= SCREEN_HEIGHT; ++y) {
            for (int x = 0; x + l.w <= SCREEN_WIDTH; ++x) {
                const int at = (y + a / l.w) * SCREEN_WIDTH + x + a % l.w;
                if (shot.pixels[at] == l.pixels[a] && shows(shot, l, x, y))
                    seen.push_back({l.type, x + l.w / 2, y + l.h / 2});
            }
        }
    }
    return seen;
}

// Through points of the field, in the middle of their blocks on the window at (0, 0).
void drag(const XServer& x, const std::vector<std::pair<int, int>>& points)
{
    std::vector<std::string> cmd = {"xdotool"};
    for (const auto& [px, py] : points) {
        cmd.insert(cmd.end(), {"mousemove", std::to_string(px * SCALE + SCALE / 2),
                               std::to_string(py * SCALE + SCALE / 2), "sleep", ".04"});
        if (cmd.size() == 6)
            cmd.insert(cmd.end(), {"mousedown", "1"});
    }
    cmd.insert(cmd.end(), {"mouseup", "1"});
    EXPECT_EQ(x.run(cmd), 0);
}

// Whether the 16-bit samples the disk audio driver wrote hold the start of a sound of ours (a WAV
// file with a header of 44 bytes), within a rounding, though SDL2 may double its channels and its
// rate; without a sound, whether they are silent or none were written.
bool holdsSound(const std::string& written, const std::string& wavFile)
{
    if (wavFile.empty())
        return written.find_first_not_of('\0') == std::string::npos;
    const std::string wav = readFile(wavFile).substr(44, 8192);  // its first 0.19 s
    std::vector<Sint16> sound(wav.size() / 2);
    std::vector<Sint16> out(written.size() / 2);
    std::memcpy(sound.data(), wav.data(), sound.size() * 2);
    std::memcpy(out.data(), written.data(), out.size() * 2);
    for (size_t step : {1, 2, 4}) {  // samples written for each of the sound's
        for (size_t at = 0; at + sound.size() * step <= out.size(); ++at) {
            size_t i = 0;
            while (i < sound.size() && abs(out[at + i * step] - sound[i]) <= 64)
                ++i;
            if (i == sound.size())
                return true;
        }
    }
    return false;
}

bool counterShows(const Bitmap& shot, int left, const char* four)
{
    bool all = true;
    for (int cell = 0; cell < 4; ++cell) {
        const Bitmap digit = load(DIGITS_FILE, (four[cell] - '0') * DIGIT_WIDTH, DIGIT_WIDTH);
        all = all && shows(shot, digit, left + cell * DIGIT_WIDTH, COUNTER_Y, 100);
    }
    return all;
}

}  // namespace

TEST(PlayThrough, ALandingACrashTheBestScorePauseAndEscape)
{
    XServer x(1600, 1200);
    ASSERT_NE(x.name(), "") << "Xvfb did not start";
    WorkFolder dir;  // both installs, the games' working folder (without bitmaps) and home
    const char* steps =
        "cd \"$0\" && \"" CMAKE_COMMAND_PATH "\" --install \"" CORVANE_BUILD_DIR
        "\" --prefix prefix && \"" CPACK_COMMAND_PATH "\" -G DEB --config \"" CORVANE_BUILD_DIR
        "/CPackConfig.cmake\" -B debs && dpkg-deb -x debs/corvane_*.deb root";
    ASSERT_EQ(ChildProcess({"sh", "-c", steps, dir.path}, {}, "", "").waitForExit(240000), 0);
    const std::string data = dir.file("prefix/share/games/corvane/");
    SurfacePtr field(SDL_LoadBMP((data + BACKGROUND_FILE).c_str()));  // this game's own field
    SDL_Rect mark = MARK;
    ASSERT_TRUE(field &&
                SDL_FillRect(field.get(), &mark, SDL_MapRGB(field->format, 255, 0, 255)) == 0 &&
                SDL_SaveBMP(field.get(), (data + BACKGROUND_FILE).c_str()) == 0);
    std::vector<std::string> env = gameEnv("x11");
    env.insert(env.end(), {"DISPLAY=" + x.name(), "HOME=" + dir.path, "XDG_DATA_HOME=" + dir.path,
                           "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIODELAY=40",  // as in real time
                           "SDL_DISKAUDIOFILE=" + dir.file("muted.raw")});
    ChildProcess packaged({dir.file("root/usr/games/corvane"), "--mute"}, env, dir.path,
                          dir.file("err.txt"));
    EXPECT_EQ(packaged.waitForExit(700), -1) << "the packaged game ended";
    packaged.signal(SIGTERM);  // SDL turns it into a quit event
    EXPECT_EQ(packaged.waitForExit(20000), EXIT_OK);
    EXPECT_EQ(readFile(dir.file("err.txt")), "");  // its bitmaps and icon found where installed
    EXPECT_TRUE(holdsSound(readFile(dir.file("muted.raw")), ""));
    env.back() = "SDL_DISKAUDIOFILE=" + dir.file("heard.raw");
    ChildProcess game({dir.file("prefix/games/corvane"), "--scale", std::to_string(SCALE)}, env,
                      dir.path, dir.file("err.txt"));
    ASSERT_EQ(x.run({"xdotool", "search", "--sync", "--name", "^Corvane"}), 0);
    // The caption, and the game's name as icon title, which SDL2 and so sdl12-compat keep not.
    const std::string caption = "Corvane (Ver. 1.01) - http://corvane.example/";
    ASSERT_EQ(x.run({"xprop", "-name", caption, "-notype", "WM_ICON_NAME"}, dir.file("icon")), 0);
    EXPECT_EQ(readFile(dir.file("icon")),
              onSdl12Compat() ? "WM_ICON_NAME:  not found.\n" : "WM_ICON_NAME = \"Corvane\"\n");
    // At (0, 0), where sdl12-compat centres it; keys go to the window under the pointer.
    ASSERT_EQ(x.run({"xdotool", "search", "--name", "^Corvane", "windowmove", "--sync", "0", "0",
                     "mousemove", "640", "480"}),
              0);

    std::vector<Bitmap> looks;  // every class's normal look in every heading
    for (const AircraftClass& c : FLEET) {
        for (int h = HeadingN; h < NUM_HEADINGS; ++h)
            looks.push_back(load(headingFile(c.normalFile, Compass(h)), 0, 0, c.type));
    }
    const Bitmap pauseText = load(PAUSE_TEXT_FILE);
    const Bitmap presskeyText = load(PRESSKEY_TEXT_FILE);
    const auto paused = [&](const Bitmap& s) {
        return shows(s, pauseText, (SCREEN_WIDTH - pauseText.w) / 2, PAUSE_TEXT_Y);
    };
    const auto over = [&](const Bitmap& s) {
        return !paused(s) &&
               shows(s, presskeyText, (SCREEN_WIDTH - presskeyText.w) / 2, PRESSKEY_TEXT_Y);
    };
    // Looks until the field answers; an empty shot when it did not in time.
    const auto waitFor = [&](const std::function<bool(const Bitmap&)>& wanted, int seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end && game.running()) {
            Bitmap shot = fieldOf(x.screenshot(dir.file("shot.bmp")), 0, 0, SCALE);
            if (!shot.pixels.empty() && wanted(shot))
                return shot;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return Bitmap{};
    };
    const auto marked = [](const Bitmap& s) { return s.pixels[MARKED] == MAGENTA; };
    ASSERT_FALSE(waitFor(marked, 20).pixels.empty()) << "another field, or none shown";
    bool landed = false;
    for (int games = 0; games < 10 && !landed; ++games) {
        Bitmap shot = waitFor([&](const Bitmap& s) { return !findAircraft(s, looks).empty(); }, 60);
        ASSERT_FALSE(shot.pixels.empty()) << "no aircraft appeared";
        const Seen first = findAircraft(shot, looks).front();
        for (const TargetLayout& t : AIRFIELD) {
            if (t.type == first[0]) {
                drag(x, {{first[1], first[2]},
                         {t.preX + t.preW / 2, t.preY + t.preH / 2},
                         {t.x + t.w / 2, t.y + t.h / 2}});
            }
        }
        shot = waitFor([&](const Bitmap& s) { return counterShows(s, SCORE_X, "0001") || over(s); },
                       150);  // the slowest class crosses the field in about 150 s
        ASSERT_FALSE(shot.pixels.empty()) << "neither a landing nor a crash";
        landed = !over(shot);
        ASSERT_TRUE(landed || x.run({"xdotool", "key", "space"}) == 0);  // a new game after a crash
    }
    ASSERT_TRUE(landed) << "no landing in 10 games";

    const auto crashed = [&](const Bitmap& s) {  // routes every aircraft to one point
        for (const Seen& a : over(s) ? std::vector<Seen>() : findAircraft(s, looks))
            drag(x, {{a[1], a[2]}, MEETING_POINT});
        return over(s);
    };
    ASSERT_FALSE(waitFor(crashed, 180).pixels.empty()) << "no crash";
    EXPECT_EQ(readFile(dir.file("corvane/highscore.txt")), "1");

    ASSERT_EQ(x.run({"xdotool", "key", "space"}), 0);  // the next game, which shows the best
    EXPECT_FALSE(waitFor([&](const Bitmap& s) { return counterShows(s, HIGHSCORE_X, "0001"); }, 20)
                     .pixels.empty());
    ASSERT_EQ(x.run({"xdotool", "key", "p"}), 0);
    EXPECT_FALSE(waitFor(paused, 10).pixels.empty());
    ASSERT_EQ(x.run({"xdotool", "key", "p"}), 0);
    EXPECT_FALSE(waitFor([&](const Bitmap& s) { return !paused(s); }, 10).pixels.empty());
    ASSERT_EQ(x.run({"xdotool", "key", "Escape"}), 0);
    EXPECT_EQ(game.waitForExit(20000), EXIT_OK);
    EXPECT_EQ(readFile(dir.file("err.txt")).find("Couldn't"), std::string::npos);  // SDL's notes
    EXPECT_TRUE(holdsSound(readFile(dir.file("heard.raw")), data + SOUND_FILES[EffectCrash]));
}

TEST(PlayThrough, AFullscreenStartShowsTheFieldAtTheLargestScaleCentredInBlack)
{
    XServer x(1920, 1080);
    ASSERT_NE(x.name(), "") << "Xvfb did not start";
    WorkFolder dir(WorkFolder::WITH_BITMAPS);
    std::vector<std::string> env = gameEnv("x11");
    env.push_back("DISPLAY=" + x.name());
    ChildProcess game({CORVANE_BINARY, "--fullscreen", "--mute"}, env, dir.path, "");
    ASSERT_EQ(x.run({"xdotool", "search", "--sync", "--name", "^Corvane", "sleep", "1"}), 0);
    const SurfacePtr shot = x.screenshot(dir.file("shot.bmp"));
    const Bitmap field = fieldOf(shot, 320, 60, 2);
    const Bitmap background = load(BACKGROUND_FILE);
    int same = 0;   // pixels below the counters that show the field; few show an aircraft
    int black = 0;  // pixels of the border, in two columns at each side
    for (size_t i = 30 * size_t{SCREEN_WIDTH}; i < field.pixels.size(); ++i)
        same += field.pixels[i] == background.pixels[i];
    for (int i = 0; shot && i < 4 * 1080; ++i)
        black += rgb565At(shot.get(), std::array{0, 319, 1600, 1919}[i % 4], i / 4) == 0;
    EXPECT_TRUE(same >= 9 * SCREEN_WIDTH * 45 && black == 4 * 1080) << same << " " << black;
    ASSERT_EQ(x.run({"xdotool", "key", "Escape"}), 0);
    EXPECT_EQ(game.waitForExit(20000), EXIT_OK);
}
