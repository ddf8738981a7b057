// The game on a real field: start-up, spawns, ticks, the frame, drags, the loop, the best score.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

#include "game_fixture.h"

namespace fs = std::filesystem;

namespace {

const int RUNWAY_X = 350, RUNWAY_Y = 197, APPROACH_X = 270;  // on the east-west runway
const int EW_AIRCRAFT = 8;  // type 1, for the east-west runway; 0 lands on the pad

// The four digits that the counter cells from x show on surface; '?' for no glyph.
std::string counterAt(SDL_Surface* surface, int x)
{
    std::string shown(4, '?');
    for (int d = 0; d < 4 * 10; ++d) {
        SDL_Rect glyph = rectOf(d % 10 * DIGIT_WIDTH, 0, DIGIT_WIDTH, DIGIT_HEIGHT);
        SurfacePtr digit = makeBitmap(DIGIT_WIDTH, DIGIT_HEIGHT);
        SDL_BlitSurface(digitSurf, &glyph, digit.get(), nullptr);
        if (wrongPixels(surface, digit.get(), x + d / 10 * DIGIT_WIDTH, COUNTER_Y) == 0)
            shown[d / 10] = static_cast<char>('0' + d % 10);
    }
    return shown;
}

// Whether the window shows the text centred at y over the field.
bool windowShows(SDL_Surface* text, int y)
{
    return wrongPixels(seams.window.get(), text, (SCREEN_WIDTH - text->w) / 2, y, bgSurf) == 0;
}

}  // namespace

using Game = GameTest;

// The best score read shows on the first frame, which Escape follows.
TEST_F(Game, StartUpShowsTheBestScoreReadOnTheFirstFrame)
{
    closeSound();
    freeField();
    SDL_Quit();
    std::ofstream(HIGHSCORE_FILE) << " 42\n";
    std::string seen;
    seams.onPresent = [&] {
        seen = counterAt(seams.window.get(), SCORE_X) + counterAt(seams.window.get(), HIGHSCORE_X);
        push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
    };
    char name[] = "corvane";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(SDL_main(1, argv), EXIT_OK);
    EXPECT_EQ(seen, "00000042");
}

// The arguments; what the game starts with, or the status and the one line said when it does not.
TEST(CommandLine, OptionsSetTheWindowAndABadOneEndsTheGameWithOneLine)
{
    const std::string help = " (corvane --help tells the options)\n";
    const auto bad = [&](const char* value) {
        std::string said = "64 corvane: --scale takes a whole number from 1 to 8, not ";
        return said.append(value).append(help);
    };
    for (const auto& [args, outcome] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--fullscreen", "--scale", "8", "--mute"}, "scale 8 fullscreen mute"},
             {{"-h"}, "0 Usage: corvane [--scale N] [--fullscreen] [--mute]\n..."},
             {{"--scale", "0"}, bad("'0'")},
             {{"--scale", "9"}, bad("'9'")},
             {{"--scale", "2x"}, bad("'2x'")},
             {{"--scale"}, "64 corvane: --scale needs a number" + help},
             {{"--help", "x"}, "64 corvane: unknown argument 'x'" + help},
             {{"--version", "--fullscreen"},
              "64 corvane: --version takes no other argument" + help}}) {
        std::vector<char*> argv = {const_cast<char*>("corvane")};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const Settings s = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        const std::string said =
            testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
        const size_t firstLine = said.find('\n') + 1;
        EXPECT_EQ(s.play ? "scale " + std::to_string(s.scale) +
                               (s.fullscreen ? " fullscreen" : " window") + (s.mute ? " mute" : "")
                         : std::to_string(s.exitStatus) + " " + said.substr(0, firstLine) +
                               (firstLine < said.size() ? "..." : ""),
                  outcome);
    }
}

// The folder started in, the program's folder, XDG_DATA_HOME and HOME; what the game says, its
// data folder and best score file, ~ for the scratch folder. "." holds the bitmaps, "other" a
// bitmaps folder of other things, "prog" a copy of the game and "inst" an installation.
TEST_F(Game, TheDataAreFoundInTheWorkingFolderThenBesideTheProgramThenInstalled)
{
    for (const char* made :
         {"other/bitmaps", "prog/bitmaps", "inst/games", "inst/share/games/corvane/bitmaps"})
        fs::create_directories(made);
    for (const std::string at : {"prog/", "inst/share/games/corvane/"})
        std::ofstream(at + BACKGROUND_FILE) << "";
    for (auto [cwd, program, xdg, home, found] : std::vector<std::array<std::string, 5>>{
             {".", "~/prog", "/x", "/h", "||highscore.txt"},
             {"other", "~/prog", "/x", "/h", "|~/prog|~/prog/highscore.txt"},
             {"other", "~/inst/games", "/x", "/h",
              "|~/inst/share/games/corvane|/x/corvane/highscore.txt"},
             {"other", "~/inst/games", "x", "/h",
              "|~/inst/share/games/corvane|/h/.local/share/corvane/highscore.txt"},
             {"other", "~/inst/games", "", "",
              "Neither XDG_DATA_HOME nor HOME is set: the best score is kept in memory only\n"
              "|~/inst/share/games/corvane|"},
             {"other", "~/other", "", "",
              "Couldn't load bitmap bitmaps/background.bmp: not in ~/other/, ~/other/ or "
              "~/share/games/corvane/\n|no|highscore.txt"}}) {
        for (std::string* s : {&program, &found}) {
            for (size_t at = s->find('~'); at != std::string::npos; at = s->find('~'))
                s->replace(at, 1, folder);
        }
        fs::current_path(folder + "/" + cwd);
        setenv("XDG_DATA_HOME", xdg.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        dataFolder = "no";
        highscorePath = HIGHSCORE_FILE;
        testing::internal::CaptureStderr();
        const bool located = locateGameFiles(program, BACKGROUND_FILE);
        std::string seen = testing::internal::GetCapturedStderr();
        seen += "|" + dataFolder;
        seen += "|" + highscorePath;
        EXPECT_EQ(seen, found);
        EXPECT_EQ(located, dataFolder != "no");
        fs::current_path(folder);
    }
}

// The desktop, the scale asked for, fullscreen and a point of the window; the window as "width x
// height scale left,top", and the point on the field, "x,y", and whether on it or the border.
TEST(Window, TheLargestWholeScaleThatFitsAndPointsOnTheBorderKeptAtTheFieldsEdge)
{
    for (auto [w, h, scale, fullscreen, x, y, shown] :
         std::vector<std::tuple<int, int, int, bool, int, int, std::string>>{
             {1920, 1080, 0, false, 3, 5, "1280x960 2 0,0 1,2 on"},
             {3840, 2160, 0, false, 2559, 0, "2560x1920 4 0,0 639,0 on"},
             {1600, 1000, 0, false, 0, 0, "640x480 1 0,0 0,0 on"},
             {0, 0, 0, false, 639, 479, "640x480 1 0,0 639,479 on"},
             {1920, 1080, 3, false, 5, 1439, "1920x1440 3 0,0 1,479 on"},
             {1920, 1080, 0, true, 320, 60, "1920x1080 2 320,60 0,0 on"},
             {1920, 1080, 0, true, 1599, 1019, "1920x1080 2 320,60 639,479 on"},
             {1920, 1080, 0, true, 319, 60, "1920x1080 2 320,60 0,0 off"},
             {1920, 1080, 0, true, 1600, 1019, "1920x1080 2 320,60 639,479 off"},
             {1920, 1080, 0, true, 1000, 30, "1920x1080 2 320,60 340,0 off"},
             {1366, 768, 5, true, 5, 767, "1366x768 1 363,144 0,479 off"}}) {
        const WindowLayout l = layoutWindow(
            w, h, {SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, "", "", "", scale, fullscreen});
        const bool on = mapPointToField(l, SCREEN_WIDTH, SCREEN_HEIGHT, &x, &y);
        EXPECT_EQ(std::to_string(l.width) + "x" + std::to_string(l.height) + " " +
                      std::to_string(l.scale) + " " + std::to_string(l.left) + "," +
                      std::to_string(l.top) + " " + std::to_string(x) + "," + std::to_string(y) +
                      (on ? " on" : " off"),
                  shown);
    }
}

// Presses come in window pixels; the window seam checks every frame sent at its scale.
TEST_F(Game, AtScalesTwoAndThreeEachFrameIsShownScaledAndPressesLandOnTheField)
{
    EXPECT_EQ(screen, SDL_GetVideoSurface());  // at scale 1 the game draws on the window
    for (const int s : {2, 3}) {
        screen = openWindow(
            {SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, "", "", dataPath(ICON_FILE), s, false});
        ASSERT_TRUE(screen && SDL_GetVideoSurface()->w == SCREEN_WIDTH * s);
        launch(19, 100, 100);
        launch(8, 300, 190);
        launch(9, 400, 300, STILL, Routed);
        sprites[9]->addToPath(500, 300);
        sprites[9]->addToPath(550, 300);
        push(SDL_MOUSEBUTTONDOWN, 405 * s, 305 * s, SDLK_UNKNOWN, SDL_BUTTON_WHEELDOWN);
        push(SDL_MOUSEBUTTONUP, 405 * s, 305 * s, SDLK_UNKNOWN, SDL_BUTTON_WHEELDOWN);
        push(SDL_MOUSEBUTTONDOWN, 305 * s + s - 1, 195 * s);
        push(SDL_MOUSEMOTION, 270 * s, 197 * s + s - 1);
        push(SDL_MOUSEMOTION, 350 * s, 197 * s);
        push(SDL_MOUSEBUTTONUP, 0, 0);
        push(SDL_KEYDOWN, 0, 0, SDLK_F11);  // to fullscreen and back: no pause keys, nor Alt
        push(SDL_KEYDOWN, 0, 0, SDLK_F11);
        push(SDL_KEYDOWN, 0, 0, SDLK_LALT);
        push(SDL_QUIT);
        runMainLoop();
        const Coord* route = sprites[8]->path;  // from presses in window pixels
        EXPECT_TRUE(route[0].x == 305 && route[0].y == 195 && route[1].x == 270 &&
                    route[1].y == 197 && sprites[8]->pathLen == 3);
        EXPECT_EQ(stateOf(*sprites[9]), "400,300 0,0 3 2");  // the wheel changed nothing
        EXPECT_EQ(STILL - sprites[19]->moveDelay, 3);        // two in the drag, one ending the pass
        EXPECT_EQ(SDL_GetVideoSurface()->w, SCREEN_WIDTH * s);
        resetSituation();
    }
}

// The spawn window by score; then where an aircraft enters, and what keeps it out.
TEST_F(Game, AnAircraftIsDrawnFromAWindowShrinkingWithTheScoreAndEntersWhereTheBorderIsClear)
{
    for (const auto& [points, window] : std::vector<std::pair<unsigned int, int>>{
             {0, 3000}, {1, 2990}, {297, 30}, {298, 20}, {299, 20}, {UINT_MAX, 20}}) {
        for (const int draw : {window + 7, window - 1, 19}) {
            score = points;
            seams.draws = {draw, 700};
            addNewSprite();
            EXPECT_EQ(marker ? marker->sprite : nullptr,
                      draw % window < 20 ? sprites[draw % window] : nullptr)
                << points << " " << draw;
            resetSituation();
        }
    }
    const int last = MAX_SPRITES - 1;      // the blocker: the last of the roster counts too
    const int s = sprites[0]->getWidth();  // the looks are square
    const int b = sprites[last]->getWidth();
    const int half = SPAWN_CLEARANCE / 2;
    // The point on the border; where the aircraft enters, its step in, the free square's corner.
    for (const auto& [p, x, y, vx, vy, cx, cy] :
         std::vector<std::array<int, 7>>{{0, 0, 0, 0, 1, 0, 0},
                                         {300, 300 - s, 0, 0, 1, 300 - s - half, 0},
                                         {639, 639 - s, 0, 0, 1, 639 - s - half, 0},
                                         {640, 0, 0, 1, 0, 0, 0},
                                         {890, 0, 250 - s, 1, 0, 0, 250 - s - half},
                                         {1120, 0, 480 - s, 0, -1, 0, 400},
                                         {1420, 300 - s, 480 - s, 0, -1, 300 - s - half, 400},
                                         {1760, 640 - s, 0, -1, 0, 560, 0},
                                         {2239, 640 - s, 479 - s, -1, 0, 560, 479 - s - half}}) {
        // The blocker's corners just inside and just outside the square.
        for (const auto& [bx, by, blocks] : std::vector<std::tuple<int, int, bool>>{
                 {cx + 79, cy + 79, true},
                 {cx - b, cy - b, true},
                 {cx + 80, cy + 79, false},
                 {cx - b - 1, cy - b, false},
             }) {
            launch(last, bx, by);
            aircraft(0)->setCrashed();
            sprites[0]->addToPath(1, 1);
            seams.draws = {3 * static_cast<int>(SPAWN_WINDOW_BASE), p + 2 * (640 + 480)};
            addNewSprite();
            const std::string entered = std::to_string(x) + "," + std::to_string(y) + " " +
                                        std::to_string(vx) + "," + std::to_string(vy) + " 1 0";
            EXPECT_EQ(marker ? stateOf(*sprites[0]) : "blocked",
                      blocks ? "blocked" : entered + " hidden")
                << p << " " << bx << "," << by;
            EXPECT_TRUE(blocks || (sprites[0]->surface == aircraft(0)->normalSurf &&
                                   marker->rect.x == x && marker->rect.y == y));
            resetSituation();
        }
    }
}

TEST_F(Game, ATickCrashesTheFirstCollidingPairForAGameOverThatKeepsTheBestScore)
{
    const int w = sprites[8]->getWidth();  // the looks are square
    // 8's far corner is in 9 and 9's in 10: the pair (8, 9) is found first.
    for (int i : {8, 9, 10})
        launch(i, 200 + (i - 8) * (w - 1), 300 + (i - 8) * (w - 1));
    marker = new Marker(sprites[19], 50);
    score = 4;
    highscore = 3;
    EXPECT_FALSE(doGameTickTasks());
    SDL_Surface* crashed = aircraft(8)->crashedSurf;  // both; 9 and 10 cover a corner pixel each
    EXPECT_LE(wrongPixels(seams.window.get(), crashed, 200, 300, bgSurf) +
                  wrongPixels(seams.window.get(), crashed, 199 + w, 299 + w, bgSurf),
              4);
    EXPECT_TRUE(windowShows(txtPresskeySurf, PRESSKEY_TEXT_Y));
    const std::string after = std::to_string(highscore) + " " + std::to_string(score);
    readHighscore();
    EXPECT_EQ(after + " " + std::to_string(highscore) + (marker ? " marker" : ""), "4 0 4");
    highscorePath = "";   // the best kept in memory only, then a game of 0
    launch(0, 300, 300);  // the first of the roster collides too
    launch(19, 302, 302);
    EXPECT_FALSE(doGameTickTasks());
    EXPECT_EQ(highscore, 4u);
}

// The time from the last tick's stamp to the next tick (µs), how far SDL's clock falls behind the
// other in its wait (µs), and its wakeups: it ends once SDL's clock reads 10 ms on, within 1 ms.
TEST_F(Game, ATickWaitsWithOneWakeupUntilTenMillisecondsAfterTheLastOne)
{
    seams.oversleep = NS_PER_MS / 20;
    for (const auto& [afterUs, lagUs, wakeups] : std::vector<std::tuple<int, int, int>>{
             {0, 0, 1}, {3300, 0, 1}, {9990, 0, 1}, {10000, 0, 0}, {25000, 0, 0}, {4000, 300, 3}}) {
        seams.ns += NS_PER_MS - (seams.ns - seams.origin) % NS_PER_MS;  // SDL's clock turns
        lastTick = seams.ticks();
        const Uint32 since = lastTick;
        seams.ns += afterUs * 1000LL;
        const long long start = seams.ns;
        seams.sleeps = 0;
        seams.onSleep = [&, lag = lagUs] { seams.origin += seams.sleeps == 1 ? lag * 1000LL : 0; };
        EXPECT_TRUE(doGameTickTasks());
        const long long due = seams.origin + (since + TICK_PERIOD) * NS_PER_MS;  // SDL's turn
        EXPECT_TRUE(lastTick - since >= TICK_PERIOD && seams.sleeps == wakeups &&
                    seams.ns - std::max(due, start) < NS_PER_MS)
            << afterUs << ": " << seams.sleeps << " wakeups, " << seams.ns - due << " ns late";
    }
}

TEST_F(Game, TheFrameShowsTheCountersRoutesUnderAircraftAndTheMarkerOnTop)
{
    score = 1234;
    highscore = 10000;
    SDL_Surface* look = aircraft(19)->normalSurf;
    const int routeY = 300 + look->h / 2;  // a route across aircraft 19, the last drawn
    launch(19, 100, 300);
    sprites[19]->addToPath(60, routeY);
    sprites[19]->addToPath(200, routeY);
    sprites[19]->addToPath(510, 160);  // and on across aircraft 0, the first drawn
    launch(0, 500, 150);
    sprites[0]->addToPath(520, 160);
    sprites[0]->addToPath(620, 160);
    launch(15, 400, 300);
    const SurfacePtr white = makeBitmap(look->w, look->h, 255, 255, 255);
    marker = new Marker(sprites[16], 50);
    marker->rect = rectOf(400, 300, look->w, look->h);  // over aircraft 15, all of it
    redraw();
    SDL_Surface* window = seams.window.get();
    EXPECT_EQ(counterAt(window, SCORE_X) + counterAt(window, HIGHSCORE_X), "12349999");
    const Uint32 green = screen->format->Gmask;
    for (const auto& [x, y] : {std::pair(80, routeY), std::pair(610, 160)})  // the routes, green
        EXPECT_GT(pixelAt(window, x, y) & green, pixelAt(bgSurf, x, y) & green);
    EXPECT_EQ(wrongPixels(window, look, 100, 300, window), 0);  // over its route
    EXPECT_EQ(wrongPixels(window, sprites[0]->surface, 500, 150, window), 0);
    EXPECT_EQ(wrongPixels(window, white.get(), 400, 300), 0);
    // Only what changed is sent again: a few tiles for a step, nothing for the same frame.
    sprites[0]->setPos(501, 150);
    for (const long long most : {6 * 32 * 16, 0}) {
        seams.sentPixels = 0;
        redraw();
        EXPECT_TRUE((seams.sentPixels > 0) == (most > 0) && seams.sentPixels <= most);
    }
}

TEST_F(Game, APressOnAnAircraftDrawsARouteOnePointATickUntilReleaseCrashOrLanding)
{
    // Dragged from the approach area onto the runway it is on approach; else not.
    for (const auto& [index, from, state] : std::vector<std::tuple<int, int, Sint32>>{
             {EW_AIRCRAFT, APPROACH_X, OnApproach}, {0, APPROACH_X, Routed}}) {
        FlyObj* a = aircraft(index);
        launch(index, 100, 190);
        a->addToPath(5, 5);  // an old route, flown halfway
        a->addToPath(9, 9);
        a->pathPos = 1;
        launch(19, 600, 20);
        push(SDL_MOUSEBUTTONDOWN, 101, 191);
        push(SDL_MOUSEMOTION, from, RUNWAY_Y);
        push(SDL_MOUSEMOTION, RUNWAY_X, RUNWAY_Y);
        push(SDL_KEYDOWN, 0, 0, SDLK_a);  // no quit: the drag takes it as the same point again
        push(SDL_MOUSEBUTTONUP, 500, 400);
        push(SDL_MOUSEBUTTONDOWN, 10, 10);  // on no aircraft: nothing happens
        for (SDL_Event e; SDL_PollEvent(&e);) {
            EXPECT_EQ(e.type, SDL_MOUSEBUTTONDOWN) << "put back as a quit";
            EXPECT_TRUE(handleMouseInput(&e));
        }
        ASSERT_EQ(a->pathLen, 4u);
        EXPECT_TRUE(a->path[0].x == 101 && a->path[1].x == from && a->path[2].y == RUNWAY_Y &&
                    a->pathPos == 0);
        EXPECT_EQ(a->state * 100 + (STILL - sprites[19]->moveDelay), state * 100 + 3);
        EXPECT_EQ(a->surface, state == OnApproach ? a->approachSurf : a->normalSurf);
        std::set<SDL_Surface*> looks(a->normalHeadings, std::end(a->normalHeadings));
        looks.insert(a->approachHeadings, std::end(a->approachHeadings));
        EXPECT_EQ(looks.size() - looks.count(nullptr), 2u * NUM_HEADINGS);  // each its own look
        resetSituation();
    }
    // A crash or a landing ends a drag, and a quit read meanwhile is put back.
    for (bool crash : {true, false}) {
        resetSituation();
        launch(12, RUNWAY_X - 10, RUNWAY_Y - 10, STILL, crash ? Flying : Final);
        launch(13, RUNWAY_X - (crash ? 8 : 100), RUNWAY_Y - 8);
        push(SDL_MOUSEBUTTONDOWN, sprites[12]->getPosX(), sprites[12]->getPosY());
        push(crash ? SDL_KEYDOWN : SDL_QUIT, 0, 0, SDLK_ESCAPE);
        push(crash ? SDL_QUIT : SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        SDL_Event e;
        SDL_PollEvent(&e);
        EXPECT_EQ(handleMouseInput(&e), !crash);
        EXPECT_EQ(stateOf(*sprites[12]) + " " + std::to_string(score),
                  "0,0 0,0 0 0 hidden " + std::to_string(!crash));
        std::string queued;  // what was still queued, then the quit put back
        for (SDL_Event left; SDL_PollEvent(&left);)
            queued += left.type == SDL_QUIT ? "q" : "k" + std::to_string(left.key.keysym.sym);
        EXPECT_EQ(queued, crash ? "qk27" : "k27q");
    }
}

// Through the main loop: a pause screen without aircraft, silent, where a press does nothing and
// the fullscreen keys keep the picture; then each effect once, and a crash that silences the
// rest and halts the game on its frame until a key, in the pass a close ends. Muted, silence.
TEST_F(Game, AKeyPausesTheGameAndItsSoundEachMomentIsHeardOnceAndACrashHaltsUntilAKey)
{
    launch(12, RUNWAY_X - 5, RUNWAY_Y - 5, STILL, Final);  // lands in the first tick
    launch(EW_AIRCRAFT, 100, 190);
    push(SDL_KEYDOWN, 0, 0, SDLK_SPACE);
    push(SDL_MOUSEBUTTONDOWN, 105, 195);
    push(SDL_KEYDOWN, 0, 0, SDLK_F11);
    push(SDL_KEYDOWN, 0, 0, SDLK_F11);
    seams.draws = {0, 700};  // aircraft 0 announced while paused
    bool collided = false;
    Uint32 haltedAt = 0;  // the tick stamp when the crash halted the game
    seams.onDelay = [&] {
        if (seams.delays.size() == 1) {
            EXPECT_TRUE(windowShows(txtPauseSurf, PAUSE_TEXT_Y) &&
                        windowShows(txtPresskeySurf, PRESSKEY_TEXT_Y));
            EXPECT_NE(wrongPixels(seams.window.get(), aircraft(EW_AIRCRAFT)->normalSurf, 100, 190,
                                  bgSurf),
                      0);
            EXPECT_EQ(sprites[EW_AIRCRAFT]->pathLen, 0u);
            push(SDL_KEYDOWN, 0, 0, SDLK_SPACE);
            push(SDL_MOUSEBUTTONDOWN, 101, 191);
            push(SDL_MOUSEMOTION, APPROACH_X, RUNWAY_Y);
            push(SDL_MOUSEMOTION, RUNWAY_X, RUNWAY_Y);
            push(SDL_MOUSEBUTTONUP);
        } else if (seams.delays.size() == 2) {
            EXPECT_TRUE(windowShows(txtPresskeySurf, PRESSKEY_TEXT_Y));
            haltedAt = lastTick;
            collided = false;                              // the next game may go on
            SDL_FillRect(seams.window.get(), nullptr, 0);  // the window lost its picture
            push(SDL_VIDEOEXPOSE);
            push(SDL_KEYDOWN, 0, 0, SDLK_a);
            push(SDL_QUIT);
            push(SDL_MOUSEMOTION, 10, 10);
        }
    };
    seams.onSleep = [&] {
        const Uint32 white = SDL_MapRGB(screen->format, 255, 255, 255);  // announced, still hidden
        EXPECT_TRUE(seams.sleeps != 1 ||
                    (marker && !sprites[0]->isVisible() &&
                     pixelAt(seams.window.get(), marker->rect.x, marker->rect.y) == white));
        if (sprites[EW_AIRCRAFT]->state == OnApproach && !collided) {
            launch(18, 300, 300);
            launch(19, 302, 302);
            collided = true;
        } else if (collided && sprites[18]->state == Inactive) {
            ADD_FAILURE() << "the game went on after the crash";
            push(SDL_QUIT);
        }
    };
    runMainLoop();
    EXPECT_EQ(seams.heard, "pause resume landing announce approach stop crash resume ");
    EXPECT_TRUE(seams.delays.size() == 2 && lastTick != haltedAt);  // the last pass ticked
    closeSound();
    openSound(SOUNDS, true);  // muted: nothing heard
    seams.heard.clear();
    playEffect(EffectCrash);
    pauseSound();
    EXPECT_EQ(seams.heard, "");
}

TEST_F(Game, TheBestScoreReadIsTheLeadingNumberAndAWriteKeepsTheHigherWholeOrNotAtAll)
{
    for (const auto& [text, value] : std::vector<std::pair<std::string, unsigned int>>{
             {" \t\n+7x", 7}, {"-5", 0}, {"4294967295", UINT_MAX}, {"4294967296", 0}}) {
        std::ofstream(HIGHSCORE_FILE) << text;
        readHighscore();
        EXPECT_EQ(highscore, value) << text;
    }
    highscore = 1234;
    const int savedInput = dup(0);  // without standard input the file may get descriptor 0
    close(0);
    writeHighscore();
    dup2(savedInput, 0);
    close(savedInput);
    struct stat info { };
    EXPECT_TRUE(stat(HIGHSCORE_FILE, &info) == 0 && (info.st_mode & 0777) == 0644);
    // The best score after a game that ended with best, the file's, what is said.
    const auto save = [](unsigned int best) {
        highscore = best;
        testing::internal::CaptureStderr();
        writeHighscore();
        return std::to_string(highscore) + " " + std::to_string(readBestScore()) + " " +
               testing::internal::GetCapturedStderr();
    };
    const std::string notSaved = "Couldn't save the best score to ";
    rlimit room{};
    getrlimit(RLIMIT_FSIZE, &room);
    const rlimit noRoom{0, room.rlim_max};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &noRoom);
    const std::string outOfRoom = save(99999);  // what it says cannot grow a file either
    setrlimit(RLIMIT_FSIZE, &room);
    EXPECT_EQ(outOfRoom.substr(0, 11), "99999 1234 ");
    std::ofstream(HIGHSCORE_FILE) << 50;  // another game ended meanwhile, with more
    EXPECT_EQ(save(30), "50 50 ");
    const int otherGame = open("highscore.txt.lock", O_RDWR);  // holds the lock for good
    ASSERT_EQ(flock(otherGame, LOCK_EX), 0);
    EXPECT_EQ(save(60),
              "60 60 Couldn't lock highscore.txt.lock: saving the best score without it\n");
    close(otherGame);
    highscorePath = "made/on/the/way/highscore.txt";
    EXPECT_EQ(save(70), "70 70 ");
    EXPECT_EQ(fs::status("made/on/the/way").permissions(), fs::perms::owner_all);  // private
    highscorePath = std::string(250, 'h') + ".txt";  // no room in its name for a temporary file
    std::ofstream(highscorePath) << 5;
    EXPECT_EQ(save(77), "77 5 " + notSaved + highscorePath + ": File name too long\n");
    highscorePath = HIGHSCORE_FILE;
    fs::remove(HIGHSCORE_FILE);
    fs::create_directory(HIGHSCORE_FILE);  // a file that cannot be replaced is left as it was
    EXPECT_EQ(save(80), "80 0 " + notSaved + "highscore.txt: Is a directory\n");
    std::set<std::string> left;  // no temporary file
    for (const fs::directory_entry& entry : fs::directory_iterator("."))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, std::set<std::string>({"bitmaps", "highscore.txt", "highscore.txt.lock", "made",
                                           "sounds", std::string(250, 'h') + ".txt"}));
}
