// The game on a real field: start-up and its command line, spawning, the
// tick, the frame, route drags, the main loop and the high-score file.
#include <sys/resource.h>
#include <sys/stat.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>

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

// What the event queue holds, emptying it: "k" and the key, "q", or "m" for the mouse.
std::string drainQueue()
{
    std::string queued;
    for (SDL_Event e; SDL_PollEvent(&e);) {
        queued += e.type == SDL_KEYDOWN ? "k" + std::to_string(e.key.keysym.sym)
                  : e.type == SDL_QUIT  ? "q"
                                        : "m";
    }
    return queued;
}

}  // namespace

using Game = GameTest;

TEST_F(Game, StartUpAndTheCommandLineEndWithTheirStatusAndMessage)
{
    freeField();
    SDL_Quit();
    std::ofstream(HIGHSCORE_FILE) << " 42\n";
    std::string seen;  // the first frame, which Escape follows
    seams.onPresent = [&] {
        char* title = nullptr;
        char* icon = nullptr;
        SDL_WM_GetCaption(&title, &icon);
        seen = std::string(title) + " " + icon + " " + std::to_string(numtargets) + " " +
               std::to_string(numsprites) + " " + counterAt(seams.window.get(), SCORE_X) +
               counterAt(seams.window.get(), HIGHSCORE_X);
        push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
    };
    // The argument, the video driver, a bitmap taken away, the status, how the output starts.
    using Args = std::vector<std::string>;
    for (const auto& [arguments, driver, missing, status, said] :
         std::vector<std::tuple<Args, const char*, std::string, int, std::string>>{
             {{"--help"}, "dummy", "", EXIT_OK, "Usage: corvane [--help | --version]\nLand"},
             {{"--version"}, "dummy", "", EXIT_OK, "Corvane 1.01\n"},
             {{"-x"}, "dummy", "", EXIT_BAD_ARGUMENT, "corvane: unknown argument '-x'\nUsage"},
             {{"--help", "y"}, "dummy", "", EXIT_BAD_ARGUMENT, "corvane: unknown argument 'y'\n"},
             {{}, "none", "", EXIT_NO_SDL, "Couldn't initialize SDL: "},
             {{}, "dummy", "background.bmp", EXIT_NO_BITMAP, ""},
             {{}, "dummy", "d1.bmp", EXIT_NO_BITMAP, ""},
             {{}, "dummy", "c2_sw.bmp", EXIT_NO_BITMAP, ""},
             {{}, "dummy", "a4.bmp", EXIT_NO_BITMAP, ""},
             {{}, "dummy", "", EXIT_OK, ""}}) {
        fs::remove_all("bitmaps");
        fs::copy(CORVANE_BITMAPS_DIR, "bitmaps");
        if (!missing.empty())
            fs::remove("bitmaps/" + missing);
        setenv("SDL_VIDEODRIVER", driver, 1);
        Args words = {"corvane"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(SDL_main(static_cast<int>(argv.size()), argv.data()), status) << missing;
        std::string text = testing::internal::GetCapturedStdout();
        text += testing::internal::GetCapturedStderr();
        const std::string expected =
            missing.empty() ? said : "Couldn't load bitmap bitmaps/" + missing;
        EXPECT_EQ(expected.empty() ? text : text.substr(0, expected.size()), expected);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
        freeField();
    }
    EXPECT_EQ(seen, "Corvane (Ver. 1.01) - http://corvane.example/ Corvane 3 20 00000042");
}

TEST_F(Game, AnInstalledGameFindsItsBitmapsBesideTheProgramAndItsBestScoreWithThePlayer)
{
    fs::remove("bitmaps");
    for (const auto& [xdg, home, path] :
         std::vector<std::tuple<const char*, const char*, std::string>>{
             {"/x", "/h", "/x/corvane/highscore.txt"},
             {"x", "/", "//.local/share/corvane/highscore.txt"},
             {"x", "", ""}}) {
        setenv("XDG_DATA_HOME", xdg, 1);
        setenv("HOME", home, 1);
        testing::internal::CaptureStderr();
        locateGameFiles();
        EXPECT_EQ(testing::internal::GetCapturedStderr().empty(), !path.empty());
        EXPECT_EQ(highscorePath, path);
        EXPECT_TRUE(fs::path(dataFolder).is_absolute() && dataPath("f") == dataFolder + "/f");
    }
    fs::create_directory_symlink(CORVANE_BITMAPS_DIR, "bitmaps");
    locateGameFiles();
    EXPECT_EQ(dataPath("f") + " " + highscorePath, "f highscore.txt");
}

TEST_F(Game, BlackIsTransparentInEveryLookAndTextButNotInTheField)
{
    SurfacePtr grey = makeBitmap(SCREEN_WIDTH, SCREEN_HEIGHT, 128, 128, 128);
    std::vector<SDL_Surface*> keyed = {txtPauseSurf, txtPresskeySurf};
    for (unsigned int i = 0; i < numsprites; ++i) {
        FlyObj* a = aircraft(i);
        keyed.insert(keyed.end(), a->normalHeadings, a->normalHeadings + NUM_HEADINGS);
        keyed.insert(keyed.end(), a->approachHeadings, a->approachHeadings + NUM_HEADINGS);
        keyed.push_back(a->crashedSurf);
    }
    for (SDL_Surface* look : keyed) {
        SDL_BlitSurface(grey.get(), nullptr, screen, nullptr);
        SDL_BlitSurface(look, nullptr, screen, nullptr);
        EXPECT_EQ(wrongPixels(screen, look, 0, 0, grey.get()), 0);
    }
    EXPECT_FALSE((bgSurf->flags | digitSurf->flags) & SDL_SRCCOLORKEY);
}

TEST_F(Game, AnAircraftIsDrawnInTheSpawnWindowThatShrinksWithTheScoreWhenItIsOutOfPlay)
{
    for (const auto& [points, window] : std::vector<std::pair<unsigned int, int>>{
             {0, 3000}, {1, 2990}, {297, 30}, {298, 20}, {299, 20}, {UINT_MAX, 20}}) {
        for (const int draw : {window + 7, window - 1, 20}) {
            score = points;
            seams.draws = {draw, 700};
            addNewSprite();
            EXPECT_EQ(marker ? marker->sprite : nullptr,
                      draw % window < 20 ? sprites[draw % window] : nullptr)
                << points;
            resetSituation();
        }
    }
    seams.randCalls = 0;
    marker = new Marker(sprites[19], 50);
    addNewSprite();  // a pending marker: no draw at all
    resetSituation();
    launch(5, 300, 300);
    seams.draws = {5, 0};
    addNewSprite();  // an aircraft in play: no second draw
    EXPECT_EQ(seams.randCalls * 100 + (marker != nullptr), 100);
}

TEST_F(Game, AnAircraftEntersAtABorderPointUnlessAnotherHasACornerInTheSquareThere)
{
    const int last = MAX_SPRITES - 1;  // the blocker: the last of the roster counts too
    const int sw = sprites[0]->getWidth();
    const int sh = sprites[0]->getHeight();
    const int bw = sprites[last]->getWidth();
    const int bh = sprites[last]->getHeight();
    const int half = SPAWN_CLEARANCE / 2;
    // The point on the border; where the aircraft enters, its step inwards,
    // and the corner of the square that must be free.
    for (const auto& [p, x, y, vx, vy, cx, cy] :
         std::vector<std::array<int, 7>>{{0, 0, 0, 0, 1, 0, 0},
                                         {300, 300 - sw, 0, 0, 1, 300 - sw - half, 0},
                                         {639, 639 - sw, 0, 0, 1, 639 - sw - half, 0},
                                         {640, 0, 0, 1, 0, 0, 0},
                                         {890, 0, 250 - sh, 1, 0, 0, 250 - sh - half},
                                         {1120, 0, 480 - sh, 0, -1, 0, 400},
                                         {1420, 300 - sw, 480 - sh, 0, -1, 300 - sw - half, 400},
                                         {1760, 640 - sw, 0, -1, 0, 560, 0},
                                         {2239, 640 - sw, 479 - sh, -1, 0, 560, 479 - sh - half}}) {
        // The blocker's corners just inside and just outside the square.
        for (const auto& [bx, by, blocks] :
             std::vector<std::tuple<int, int, bool>>{{cx + 79, cy + 79, true},
                                                     {cx - bw, cy - bh, true},
                                                     {cx + 80, cy + 79, false},
                                                     {cx - bw - 1, cy - bh, false},
                                                     {cx - bw, cy - bh - 1, false}}) {
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

TEST_F(Game, ATickMovesLandsThenCrashesTheFirstCollidingPairForAGameOverThatKeepsTheBestScore)
{
    const int w = sprites[8]->getWidth();
    const int h = sprites[8]->getHeight();
    // The best score, the score after the game over, the best score in the file.
    for (const auto& [points, kept] :
         std::vector<std::pair<unsigned int, std::string>>{{2, "3 0 0"}, {3, "4 0 4"}}) {
        // 11 on the runway and 1 on the pad land, before 12 would collide with 11.
        launch(11, RUNWAY_X - w / 2, RUNWAY_Y - h / 2, STILL, Final);
        launch(12, RUNWAY_X - w / 2 + 2, RUNWAY_Y - h / 2);
        launch(1, 502 - sprites[1]->getWidth() / 2, 267 - sprites[1]->getHeight() / 2, STILL,
               Final);
        launch(0, 100, 400, 0);
        sprites[0]->setVelocity(1, -1);
        score = points - 1;
        EXPECT_TRUE(doGameTickTasks());
        EXPECT_EQ(stateOf(*sprites[0]) + " / " + stateOf(*sprites[11]) + " / " +
                      stateOf(*sprites[1]),
                  "101,399 1,-1 2 0 / 0,0 0,0 0 0 hidden / 0,0 0,0 0 0 hidden");
        sprites[0]->setVelocity(0, 0);  // kept through the reset, as a spawn sets it
        // 8's far corner is in 9 and 9's in 10: the pair (8, 9) is found
        // first. 3's corners are all outside 5: the pair (3, 5) is no crash.
        for (int i : {8, 9, 10})
            launch(i, 200 + (i - 8) * (w - 1), 300 + (i - 8) * (h - 1));
        launch(5, 100, 100);
        launch(3, 100 + sprites[5]->getWidth(), 100);
        marker = new Marker(sprites[19], 50);
        highscore = 3;
        EXPECT_FALSE(doGameTickTasks());
        for (int i : {8, 9, 10}) {  // 10's corner under 9
            SDL_Surface* look = i < 10 ? aircraft(i)->crashedSurf : aircraft(i)->normalSurf;
            EXPECT_LE(wrongPixels(seams.window.get(), look, 200 + (i - 8) * (w - 1),
                                  300 + (i - 8) * (h - 1), bgSurf),
                      2);
        }
        EXPECT_TRUE(windowShows(txtPresskeySurf, PRESSKEY_TEXT_Y));
        std::string after = std::to_string(highscore) + " " + std::to_string(score);
        readHighscore();
        EXPECT_EQ(after + " " + std::to_string(highscore) + (marker ? " marker" : ""), kept);
        for (unsigned int i = 0; i < numsprites; ++i)
            EXPECT_EQ(stateOf(*sprites[i]), "0,0 0,0 0 0 hidden") << i;
    }
    launch(0, 300, 300);  // the first of the roster collides too
    launch(19, 302, 302);
    EXPECT_FALSE(doGameTickTasks());
}

TEST_F(Game, ATickWaitsForTheRestOfTenMillisecondsSinceTheLastOne)
{
    // The elapsed time, the delay asked for, naps of 100 us through the last millisecond.
    for (const auto& [elapsed, delays, naps] :
         std::vector<std::tuple<Uint32, std::vector<Uint32>, int>>{
             {0, {9}, 10}, {3, {6}, 10}, {8, {1}, 10}, {9, {}, 10}, {10, {}, 0}, {25, {}, 0}}) {
        seams = Seams();
        lastTick = 5000;
        seams.now = lastTick + elapsed;
        EXPECT_TRUE(doGameTickTasks());
        EXPECT_EQ(seams.delays, delays) << elapsed;
        EXPECT_EQ(seams.naps, naps) << elapsed;
        EXPECT_EQ(lastTick, std::max(elapsed, TICK_PERIOD) + 5000) << elapsed;
    }
}

TEST_F(Game, TheFrameShowsCountersRoutesUnderAircraftTheMarkerOnTopAndThePauseScreenNoAircraft)
{
    score = 1234;
    highscore = 10000;
    SDL_Surface* look = aircraft(0)->normalSurf;
    const int routeY = 300 + look->h / 2;  // a route across aircraft 0, the first drawn
    launch(0, 100, 300);
    sprites[0]->addToPath(60, routeY);
    sprites[0]->addToPath(200, routeY);
    launch(15, 400, 300);
    marker = new Marker(sprites[16], 50);
    marker->rect = rectOf(400, 300, 8, 8);  // over aircraft 15
    redraw();
    SDL_Surface* window = seams.window.get();
    EXPECT_EQ(counterAt(window, SCORE_X) + counterAt(window, HIGHSCORE_X), "12349999");
    Uint8 rgb[6];  // the route: green, blended over the field
    SDL_GetRGB(pixelAt(window, 80, routeY), screen->format, &rgb[0], &rgb[1], &rgb[2]);
    SDL_GetRGB(pixelAt(bgSurf, 80, routeY), screen->format, &rgb[3], &rgb[4], &rgb[5]);
    EXPECT_TRUE(rgb[1] > rgb[4] && rgb[0] <= rgb[3] && rgb[2] <= rgb[5]);
    EXPECT_EQ(pixelAt(window, 80, routeY + 5), pixelAt(bgSurf, 80, routeY + 5));
    EXPECT_EQ(wrongPixels(window, look, 100, 300, window), 0);  // over its route
    EXPECT_EQ(pixelAt(window, 407, 307), SDL_MapRGB(screen->format, 255, 255, 255));
    pauseScreen();
    EXPECT_EQ(counterAt(window, SCORE_X), "1234");
    EXPECT_TRUE(windowShows(txtPauseSurf, PAUSE_TEXT_Y) &&
                windowShows(txtPresskeySurf, PRESSKEY_TEXT_Y));
    EXPECT_NE(wrongPixels(window, look, 100, 300, bgSurf), 0);
}

TEST_F(Game, APressOnAnAircraftDrawsARouteOnePointATickUntilReleaseCrashOrLanding)
{
    // A route from the approach area onto the runway puts it on approach;
    // one from the runway, or of an aircraft for another target, does not.
    for (const auto& [index, from, state] :
         std::vector<std::tuple<int, int, Sint32>>{{EW_AIRCRAFT, APPROACH_X, OnApproach},
                                                   {EW_AIRCRAFT, RUNWAY_X + 9, Routed},
                                                   {0, APPROACH_X, Routed}}) {
        FlyObj* a = aircraft(index);
        launch(index, 100, 190);
        a->addToPath(5, 5);  // replaced by the new route
        launch(19, 600, 20);
        push(SDL_MOUSEBUTTONDOWN, 101, 191);
        push(SDL_KEYDOWN, 0, 0, SDLK_a);  // no quit: the same point again
        push(SDL_MOUSEMOTION, from, RUNWAY_Y);
        push(SDL_MOUSEMOTION, RUNWAY_X, RUNWAY_Y);
        push(SDL_MOUSEBUTTONUP, 500, 400);
        push(SDL_MOUSEBUTTONDOWN, 10, 10);  // on no aircraft: nothing happens
        for (SDL_Event e; SDL_PollEvent(&e);)
            EXPECT_TRUE(handleMouseInput(&e));
        ASSERT_EQ(a->pathLen, 4u);
        EXPECT_TRUE(a->path[1].x == 101 && a->path[2].x == from && a->path[3].y == RUNWAY_Y);
        EXPECT_EQ(a->state * 100 + (STILL - sprites[19]->moveDelay), state * 100 + 3);
        EXPECT_EQ(a->surface, state == OnApproach ? a->approachSurf : a->normalSurf);
        resetSituation();
    }
    // With nothing waiting the point repeats until the route is full.
    launch(12, 300, 300);
    push(SDL_MOUSEBUTTONDOWN, 305, 305);
    SDL_Event press;
    SDL_PollEvent(&press);
    EXPECT_TRUE(handleMouseInput(&press));
    EXPECT_TRUE(sprites[12]->pathLen == PATH_CAPACITY && sprites[12]->path[1023].x == 305);
    // Of two aircraft under the pointer the lower index is picked, never a hidden one.
    launch(1, 300, 300);
    EXPECT_EQ(clickOnSprite(305, 305), 1);
    sprites[1]->visible = false;
    EXPECT_EQ(clickOnSprite(305, 305), 12);
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
        // What was still queued, then the quit put back.
        EXPECT_EQ(drainQueue(), crash ? "qk27" : "k27q");
    }
}

TEST_F(Game, AKeyHaltsTheGameOnThePauseScreenTheNextResumesItAndACloseRequestQuits)
{
    launch(19, 100, 100);
    push(SDL_KEYDOWN, 0, 0, SDLK_SPACE);
    push(SDL_MOUSEBUTTONDOWN, 105, 105);  // ignored while halted
    seams.onDelay = [&] {
        if (seams.delays.size() == 3) {
            EXPECT_TRUE(windowShows(txtPauseSurf, PAUSE_TEXT_Y));
            push(SDL_KEYDOWN, 0, 0, SDLK_a);
            push(SDL_QUIT);
            push(SDL_MOUSEMOTION, 10, 10);
        }
    };
    runMainLoop();
    EXPECT_EQ(seams.delays, std::vector<Uint32>(3, TICK_PERIOD));
    // Four passes, the last ending with a tick after the rest of the queue.
    EXPECT_EQ(seams.randCalls * 10 + (STILL - sprites[19]->moveDelay), 41);
    EXPECT_EQ(sprites[19]->pathLen + drainQueue().size(), 0u);
}

TEST_F(Game, AfterAGameOverAPressIsIgnoredAKeyStartsTheNextGameAndEscapeQuits)
{
    launch(8, 200, 200);
    launch(9, 205, 205);
    seams.onDelay = [&] {
        if (seams.delays.size() == 1) {
            launch(12, 400, 100);
            push(SDL_MOUSEBUTTONDOWN, 405, 105);
            push(SDL_MOUSEBUTTONUP, 500, 300);
            push(SDL_KEYDOWN, 0, 0, SDLK_RETURN);
            push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        }
    };
    runMainLoop();
    EXPECT_EQ(sprites[12]->pathLen * 10 + (STILL - sprites[12]->moveDelay), 1u);  // one tick
    EXPECT_FALSE(windowShows(txtPauseSurf, PAUSE_TEXT_Y));
    push(SDL_MOUSEBUTTONDOWN, 405, 105);  // while running, a press draws a route
    push(SDL_MOUSEMOTION, 400, 400);
    push(SDL_MOUSEBUTTONUP, 400, 400);
    push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
    runMainLoop();
    EXPECT_EQ(sprites[12]->pathLen * 10 + static_cast<unsigned int>(sprites[12]->state), 23u);
}

TEST_F(Game, TheBestScoreReadIsTheLeadingNumberAndAWriteReplacesTheFileWholeOrNotAtAll)
{
    for (const auto& [text, value] :
         std::vector<std::pair<std::string, unsigned int>>{{"42", 42},
                                                           {" \t\n7x", 7},
                                                           {"+5", 5},
                                                           {"0042\n", 42},
                                                           {"-5", 0},
                                                           {"abc", 0},
                                                           {"", 0},
                                                           {"+-1", 0},
                                                           {"4294967295", UINT_MAX},
                                                           {"4294967296", 0},
                                                           {"99999999999999999999", 0},
                                                           {"none", 0}}) {
        std::ofstream(HIGHSCORE_FILE) << text;
        if (text == "none")
            fs::remove(HIGHSCORE_FILE);
        highscore = 1;
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
    // A write that fails for want of room leaves the old file.
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    rlimit noRoom = unlimited;
    noRoom.rlim_cur = 0;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &noRoom);
    highscore = 99;
    writeHighscore();
    setrlimit(RLIMIT_FSIZE, &unlimited);
    readHighscore();
    EXPECT_EQ(highscore, 1234u);
    // So does one whose file cannot be replaced.
    fs::remove(HIGHSCORE_FILE);
    fs::create_directory(HIGHSCORE_FILE);
    writeHighscore();
    EXPECT_TRUE(fs::is_directory(HIGHSCORE_FILE));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}
