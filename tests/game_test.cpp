// The game on a real field: start-up, spawning, the tick, the frame, route
// drags, the main loop and the high-score file.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "game_fixture.h"

namespace {

const int BORDER = 2 * (SCREEN_WIDTH + SCREEN_HEIGHT);
const int RUNWAY_X = 350, RUNWAY_Y = 197;  // on the east-west runway
const int APPROACH_X = 270;                // and on its approach area
const int STILL = 100000;                  // launch's move delay: the aircraft holds still

// Puts an aircraft in a landing state with its centre on (cx, cy).
void placeCentredAt(PathSprite* s, int cx, int cy, Sint32 state)
{
    s->setPos(cx - s->getWidth() / 2, cy - s->getHeight() / 2);
    s->visible = true;
    s->state = state;
    s->moveDelay = STILL;
}

// The four digits that the counter cells from x show; '?' for no glyph.
std::string counterAt(int x)
{
    std::string shown;
    for (int cell = 0; cell < 4; ++cell) {
        char digit = '?';
        for (int d = 0; d <= 9; ++d) {
            bool same = true;
            for (int i = 0; i < DIGIT_WIDTH * DIGIT_HEIGHT; ++i)
                same = same &&
                       pixelAt(screen, x + cell * DIGIT_WIDTH + i % DIGIT_WIDTH,
                               COUNTER_Y + i / DIGIT_WIDTH) ==
                           pixelAt(digitSurf, d * DIGIT_WIDTH + i % DIGIT_WIDTH, i / DIGIT_WIDTH);
            digit = same ? static_cast<char>('0' + d) : digit;
        }
        shown += digit;
    }
    return shown;
}

int centredX(SDL_Surface* text)
{
    return (SCREEN_WIDTH - text->w) / 2;
}

}  // namespace

class Game : public GameTest {
protected:
    // Presses on (x, y), moves through the points and lets go, as the main
    // loop meets it; answers what handleMouseInput answers.
    bool drag(int x, int y, const std::vector<Coord>& moves)
    {
        push(SDL_MOUSEBUTTONDOWN, x, y);
        for (Coord m : moves)
            push(SDL_MOUSEMOTION, m.x, m.y);
        push(SDL_MOUSEBUTTONUP, 500, 400);
        SDL_Event e;
        SDL_PollEvent(&e);
        const bool running = handleMouseInput(&e);
        for (leftOver = 0; SDL_PollEvent(&e); ++leftOver) { }
        return running;
    }
    int leftOver = 0;  // events that the latest drag left queued
    // Whether the text is on the screen over the field and was shown whole
    // by the latest update.
    bool shownWhole(SDL_Surface* text, int y)
    {
        const SDL_Rect& s = seams.shown;
        const int x = centredX(text);
        return wrongPixels(text, x, y, bgSurf) == 0 && s.x <= x && s.x + s.w >= x + text->w &&
               s.y <= y && s.y + s.h >= y + text->h;
    }
    bool pauseTextShown() { return shownWhole(txtPauseSurf, PAUSE_TEXT_Y); }
};

TEST_F(Game, StartUpOpensTheWindowReadsTheBestScoreAndPlaysUntilEscape)
{
    freeField();
    SDL_Quit();
    std::ofstream("highscore.txt") << " 42\n";
    std::string seen;
    seams.nextDraw = [&] {
        char *title = nullptr, *icon = nullptr;
        SDL_WM_GetCaption(&title, &icon);
        if (seen.empty()) {
            redraw();
            seen = std::string(title).substr(0, 8) + icon + " " + std::to_string(screen->w) + "x" +
                   std::to_string(screen->h) + "x" + std::to_string(screen->format->BitsPerPixel) +
                   " " + std::to_string(numsprites) + " " + std::to_string(numtargets) + " " +
                   counterAt(SCORE_X) + " " + counterAt(HIGHSCORE_X);
            push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        }
        return 2999;
    };
    EXPECT_EQ(SDL_main(0, nullptr), EXIT_OK);
    EXPECT_EQ(seen, "Corvane Corvane 640x480x16 20 3 0000 0042");
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(Game, StartUpEndsWithStatusThreeNamingAMissingBitmap)
{
    freeField();
    SDL_Quit();
    std::filesystem::remove("bitmaps");
    for (const char* missing : {"bitmaps/background.bmp", "bitmaps/text_presskey.bmp",
                                "bitmaps/d1.bmp", "bitmaps/d4.bmp", "bitmaps/a4.bmp"}) {
        std::filesystem::remove_all("bitmaps");
        std::filesystem::copy(CORVANE_BITMAPS_DIR, "bitmaps");
        std::filesystem::remove(missing);
        testing::internal::CaptureStderr();
        EXPECT_EQ(SDL_main(0, nullptr), EXIT_NO_BITMAP) << missing;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind(std::string("Couldn't load bitmap ") + missing, 0), 0u) << said;
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
        freeField();
    }
}

TEST_F(Game, BlackIsTransparentInEveryLookAndTextButNotInTheField)
{
    SurfacePtr grey = makeBitmap(SCREEN_WIDTH, SCREEN_HEIGHT, 128, 128, 128);
    std::vector<SDL_Surface*> keyed = {txtPauseSurf, txtPresskeySurf};
    for (unsigned int i = 0; i < numsprites; ++i)
        keyed.insert(keyed.end(), {aircraft(i)->normalSurf, aircraft(i)->approachSurf,
                                   aircraft(i)->crashedSurf});
    for (SDL_Surface* look : keyed) {
        SDL_BlitSurface(grey.get(), nullptr, screen, nullptr);
        SDL_BlitSurface(look, nullptr, screen, nullptr);
        EXPECT_EQ(wrongPixels(look, 0, 0, grey.get()), 0);
    }
    EXPECT_FALSE((bgSurf->flags | digitSurf->flags) & SDL_SRCCOLORKEY);
}

TEST_F(Game, TheSpawnWindowShrinksByTenPerPointToTwentyAndBusyAircraftStayPut)
{
    // clang-format off
    for (const auto& [points, window] : std::vector<std::pair<unsigned int, int>>{
             {0, 3000}, {1, 2990}, {297, 30}, {298, 20}, {UINT_MAX, 20}}) {
        // clang-format on
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
    const int k = HELICOPTER, blocker = MAX_SPRITES - 1;  // the last of the roster counts too
    const int sw = sprites[k]->getWidth(), sh = sprites[k]->getHeight();
    const int bw = sprites[blocker]->getWidth(), bh = sprites[blocker]->getHeight();
    const int half = SPAWN_CLEARANCE / 2, bottom = SCREEN_HEIGHT - sh, right = SCREEN_WIDTH - sw;
    struct Case {
        int p;       // the point on the border
        int x, y;    // where the aircraft enters
        int vx, vy;  // heading inwards
        int cx, cy;  // the clearance square's corner
    };
    // clang-format off
    const std::vector<Case> cases = {
        {0, 0, 0, 0, 1, 0, 0},          {300, 300 - sw, 0, 0, 1, 300 - sw - half, 0},
        {639, 639 - sw, 0, 0, 1, 639 - sw - half, 0},   {640, 0, 0, 1, 0, 0, 0},
        {890, 0, 250 - sh, 1, 0, 0, 250 - sh - half},   {1120, 0, bottom, 0, -1, 0, 400},
        {1420, 300 - sw, bottom, 0, -1, 300 - sw - half, 400},   {1760, right, 0, -1, 0, 560, 0},
        {2010, right, 250 - sh, -1, 0, 560, 250 - sh - half},
        {2239, right, 479 - sh, -1, 0, 560, 479 - sh - half}};
    // clang-format on
    for (const Case& c : cases) {
        // The blocker's corners just inside and just outside the square.
        for (const auto& [bx, by, blocks] :
             std::vector<std::tuple<int, int, bool>>{{c.cx + 79, c.cy + 79, true},
                                                     {c.cx - bw, c.cy - bh, true},
                                                     {c.cx + 80, c.cy + 79, false},
                                                     {c.cx - bw - 1, c.cy - bh, false},
                                                     {c.cx - bw, c.cy - bh - 1, false}}) {
            launch(blocker, bx, by);
            aircraft(k)->setCrashed();
            sprites[k]->addToPath(1, 1);
            seams.draws = {k + 3 * static_cast<int>(SPAWN_WINDOW_BASE), c.p + BORDER};
            addNewSprite();
            const std::string entered = std::to_string(c.x) + "," + std::to_string(c.y) + " " +
                                        std::to_string(c.vx) + "," + std::to_string(c.vy) +
                                        " 1 0 hidden";
            EXPECT_EQ(marker ? stateOf(*sprites[k]) : "blocked", blocks ? "blocked" : entered)
                << c.p << " " << bx << "," << by;
            EXPECT_TRUE(blocks || (sprites[k]->surface == aircraft(k)->normalSurf &&
                                   marker->rect.x == c.x && marker->rect.y == c.y));
            resetSituation();
        }
    }
}

TEST_F(Game, ATickMovesAndLandsAircraftAndALandedOneIsGoneBeforeTheCollisionSearch)
{
    placeCentredAt(sprites[EW_AIRCRAFT], RUNWAY_X, RUNWAY_Y, Final);
    placeCentredAt(sprites[HELICOPTER + 1], 502, 267, Final);  // on the pad
    sprites[HELICOPTER + 1]->addToPath(100, 100);
    launch(EW_AIRCRAFT + 1, sprites[EW_AIRCRAFT]->getPosX() + 2, sprites[EW_AIRCRAFT]->getPosY());
    for (int i : {0, 19}) {
        launch(i, 100 + 20 * i, 400, 0);
        sprites[i]->setVelocity(1, -1);
    }
    score = 5;
    EXPECT_TRUE(doGameTickTasks());
    EXPECT_EQ(score, 7u);
    EXPECT_EQ(stateOf(*sprites[0]) + " / " + stateOf(*sprites[19]),
              "101,399 1,-1 2 0 / 481,399 1,-1 2 0");
    EXPECT_EQ(stateOf(*sprites[EW_AIRCRAFT]) + " / " + stateOf(*sprites[HELICOPTER + 1]),
              "0,0 0,0 0 0 hidden / 0,0 0,0 0 0 hidden");
    EXPECT_EQ(sprites[EW_AIRCRAFT + 1]->state, Flying);
}

TEST_F(Game, TheFirstCollidingPairCrashesShownWithThePressKeyTextThenTheFieldIsCleared)
{
    const int w = sprites[8]->getWidth(), h = sprites[8]->getHeight();
    seams.onPresent = [&] {
        for (int i : {8, 9, 10}) {
            SDL_Surface* look = i < 10 ? aircraft(i)->crashedSurf : aircraft(i)->normalSurf;
            EXPECT_LE(wrongPixels(look, sprites[i]->getPosX(), sprites[i]->getPosY(), bgSurf), 2);
            EXPECT_EQ(sprites[i]->state, i < 10 ? Crashed : Flying);
        }
        EXPECT_EQ(sprites[5]->state, Flying);
    };
    for (const auto& [points, written] :
         std::vector<std::pair<unsigned int, std::string>>{{2, ""}, {3, "3"}}) {
        // 8's far corner is in 9 and 9's in 10: the pair (8, 9) is found
        // first. 3's corners are all outside 5: the pair (3, 5) is no crash.
        for (int i : {8, 9, 10})
            launch(i, 200 + (i - 8) * (w - 1), 300 + (i - 8) * (h - 1));
        launch(5, 100, 100);
        launch(3, 100 + sprites[5]->getWidth(), 100);
        marker = new Marker(sprites[0], 50);
        score = points;
        highscore = 2;
        EXPECT_FALSE(doGameTickTasks());
        EXPECT_TRUE(shownWhole(txtPresskeySurf, PRESSKEY_TEXT_Y));
        EXPECT_EQ(readWorkFile("highscore.txt") + " " + std::to_string(highscore) + " " +
                      std::to_string(score) + (marker ? " marker" : ""),
                  written + " " + std::to_string(std::max(points, 2u)) + " 0");
        for (unsigned int i = 0; i < numsprites; ++i) {
            EXPECT_EQ(stateOf(*sprites[i]), "0,0 0,0 0 0 hidden") << i;
            EXPECT_EQ(sprites[i]->surface, aircraft(i)->normalSurf);
            EXPECT_EQ(sprites[i]->getCPosX(), sprites[i]->getWidth() / 2);
        }
    }
}

TEST_F(Game, AnAircraftStartedByTheMarkerTakesPartFromTheNextTick)
{
    launch(0, 300, 300);
    sprites[3]->setPos(302, 302);
    marker = new Marker(sprites[3], 0);
    EXPECT_TRUE(doGameTickTasks());
    EXPECT_EQ(stateOf(*sprites[3]) + (marker ? " marker" : ""), "302,302 0,0 2 0");
    EXPECT_FALSE(doGameTickTasks());
}

TEST_F(Game, ATickWaitsForTheRestOfTenMillisecondsSinceTheLastOne)
{
    // The elapsed time, the delay asked for, naps of 100 us through the last millisecond.
    for (const auto& [elapsed, delays, naps] :
         std::vector<std::tuple<Uint32, std::vector<Uint32>, int>>{
             {0, {9}, 10}, {3, {6}, 10}, {9, {}, 10}, {10, {}, 0}, {25, {}, 0}}) {
        seams = Seams();
        lastTick = 5000;
        seams.now = lastTick + elapsed;
        EXPECT_TRUE(doGameTickTasks());
        EXPECT_EQ(seams.delays, delays) << elapsed;
        EXPECT_EQ(seams.naps, naps) << elapsed;
        EXPECT_EQ(lastTick, std::max(elapsed, TICK_PERIOD) + 5000) << elapsed;
    }
}

TEST_F(Game, TheFrameShowsFieldCountersRoutesUnderAircraftTheMarkerOnTopAndThePauseScreenNoAircraft)
{
    score = 42;
    highscore = 1234;
    SDL_Surface* look = aircraft(14)->normalSurf;
    const int routeY = 300 + look->h / 2;  // a route across aircraft 14
    launch(14, 100, 300);
    sprites[14]->addToPath(60, routeY);
    sprites[14]->addToPath(200, routeY);
    launch(13, 250, 100);
    launch(15, 400, 300);
    marker = new Marker(sprites[16], 50);
    marker->rect = rectOf(400, 300, 8, 8);  // over aircraft 15
    redraw();
    EXPECT_EQ(counterAt(SCORE_X) + counterAt(HIGHSCORE_X), "00421234");
    EXPECT_EQ(wrongPixels(aircraft(13)->normalSurf, 250, 100, bgSurf), 0);
    Uint8 r, g, b, underR, underG, underB;  // the route: green, blended over the field
    SDL_GetRGB(screenAt(80, routeY), screen->format, &r, &g, &b);
    SDL_GetRGB(pixelAt(bgSurf, 80, routeY), screen->format, &underR, &underG, &underB);
    EXPECT_TRUE(g > underG && r <= underR && b <= underB);
    EXPECT_EQ(screenAt(80, routeY + 5), pixelAt(bgSurf, 80, routeY + 5));
    int covered = 0;
    for (int x = 0; x < look->w; ++x) {
        const Uint32 p = pixelAt(look, x, look->h / 2);
        covered += p != 0 && screenAt(100 + x, routeY) == p;
        EXPECT_TRUE(p == 0 || screenAt(100 + x, routeY) == p);
    }
    EXPECT_GT(covered, 0);
    EXPECT_EQ(screenAt(407, 307), SDL_MapRGB(screen->format, 255, 255, 255));
    for (const auto& [value, shown] : std::vector<std::pair<unsigned int, std::string>>{
             {7, "0007"}, {9999, "9999"}, {10000, "9999"}, {UINT_MAX, "9999"}}) {
        drawDigits(value, SCORE_X);
        EXPECT_EQ(counterAt(SCORE_X), shown) << value;
    }
    pauseScreen();
    EXPECT_EQ(counterAt(SCORE_X), "0042");
    EXPECT_TRUE(pauseTextShown());
    EXPECT_EQ(wrongPixels(txtPresskeySurf, centredX(txtPresskeySurf), PRESSKEY_TEXT_Y, bgSurf), 0);
    EXPECT_NE(wrongPixels(aircraft(13)->normalSurf, 250, 100, bgSurf), 0);  // not shown
}

TEST_F(Game, APressOnAnAircraftDrawsANewRouteOnePointAndOneTickPerEvent)
{
    EXPECT_TRUE(drag(10, 10, {}));  // on no aircraft: nothing happens
    EXPECT_EQ(lastTick, 0u);
    const std::vector<Coord> toRunway = {{APPROACH_X, RUNWAY_Y}, {RUNWAY_X, RUNWAY_Y}};
    const std::vector<Coord> backwards = {{RUNWAY_X, RUNWAY_Y}, {APPROACH_X, RUNWAY_Y}};
    for (const auto& [index, moves, state] :
         std::vector<std::tuple<int, std::vector<Coord>, Sint32>>{
             {EW_AIRCRAFT, toRunway, OnApproach},
             {HELICOPTER, toRunway, Routed},
             {EW_AIRCRAFT, backwards, Routed}}) {
        FlyObj* a = aircraft(index);
        launch(index, 100, 190);
        a->addToPath(5, 5);  // replaced by the new route
        launch(19, 600, 20);
        EXPECT_TRUE(drag(101, 191, moves));
        ASSERT_EQ(a->pathLen, 3u);
        EXPECT_TRUE(a->path[0].x == 101 && a->path[0].y == 191 && a->path[2].x == moves[1].x);
        EXPECT_EQ(a->state, state);
        EXPECT_EQ(a->surface, state == OnApproach ? a->approachSurf : a->normalSurf);
        EXPECT_EQ(sprites[19]->moveDelay, STILL - 2);  // two ticks
        EXPECT_EQ(leftOver, 0);
        resetSituation();
    }
    // With nothing waiting the point repeats until the route is full.
    launch(12, 300, 300);
    push(SDL_MOUSEBUTTONDOWN, 305, 305);
    SDL_Event press;
    SDL_PollEvent(&press);
    EXPECT_TRUE(handleMouseInput(&press));
    EXPECT_TRUE(sprites[12]->pathLen == PATH_CAPACITY && sprites[12]->path[1023].x == 305 &&
                sprites[12]->state == Routed);
    // Of two aircraft under the pointer the lower index is picked, never a hidden one.
    launch(0, 100, 100);
    launch(1, 100, 100);
    EXPECT_EQ(clickOnSprite(101, 101), 0);
    sprites[0]->visible = false;
    EXPECT_EQ(clickOnSprite(101, 101) * 10 + clickOnSprite(10, 10), 9);
}

TEST_F(Game, ACrashOrALandingEndsTheDragAndAQuitReadMeanwhileIsPutBack)
{
    for (bool crash : {true, false}) {
        launch(12, 300, 300);
        if (crash) {
            launch(8, 100, 100);
            launch(9, 102, 102);
        } else {
            placeCentredAt(sprites[12], RUNWAY_X, RUNWAY_Y, Final);
        }
        push(SDL_MOUSEBUTTONDOWN, sprites[12]->getCPosX(), sprites[12]->getCPosY());
        push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        push(SDL_QUIT);
        SDL_Event e;
        SDL_PollEvent(&e);
        EXPECT_EQ(handleMouseInput(&e), !crash);
        EXPECT_EQ(stateOf(*sprites[12]) + " " + std::to_string(score),
                  crash ? "0,0 0,0 0 0 hidden 0" : "0,0 0,0 0 0 hidden 1");
        std::string queued;  // what was still queued, then the quit put back
        while (SDL_PollEvent(&e))
            queued += e.type == SDL_QUIT                ? "quit "
                      : e.key.keysym.sym == SDLK_ESCAPE ? "escape "
                                                        : "? ";
        EXPECT_EQ(queued, "quit escape ");
        resetSituation();
    }
}

TEST_F(Game, EscapeOrACloseRequestQuitsAfterTheRestOfTheQueueAndOneTick)
{
    for (Uint8 quit : {SDL_KEYDOWN, SDL_QUIT}) {
        launch(19, 100, 100);
        push(quit, 0, 0, SDLK_ESCAPE);
        push(SDL_MOUSEMOTION, 10, 10);
        seams.randCalls = 0;
        runMainLoop();
        SDL_Event e;
        EXPECT_EQ(SDL_PollEvent(&e) * 100 + seams.randCalls * 10 + (STILL - sprites[19]->moveDelay),
                  11);
    }
}

TEST_F(Game, AKeyHaltsTheGameOnThePauseScreenTheNextResumesItAndPressesWaitMeanwhile)
{
    launch(19, 100, 100);
    push(SDL_KEYDOWN, 0, 0, SDLK_SPACE);
    push(SDL_MOUSEBUTTONDOWN, 105, 105);  // ignored while halted
    seams.onDelay = [&] {
        if (seams.delays.size() == 3) {
            EXPECT_TRUE(pauseTextShown());
            push(SDL_KEYDOWN, 0, 0, SDLK_a);
            push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        }
    };
    runMainLoop();
    EXPECT_EQ(seams.delays, std::vector<Uint32>(3, TICK_PERIOD));
    EXPECT_EQ(seams.randCalls * 10 + (STILL - sprites[19]->moveDelay), 41);
    EXPECT_EQ(sprites[19]->pathLen, 0u);
}

TEST_F(Game, AfterAGameOverAPressIsIgnoredAndAKeyStartsTheNextGame)
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
    EXPECT_FALSE(pauseTextShown());
    // While running, a press draws a route.
    push(SDL_MOUSEBUTTONDOWN, 405, 105);
    push(SDL_MOUSEMOTION, 400, 400);
    push(SDL_MOUSEBUTTONUP, 400, 400);
    push(SDL_QUIT);
    runMainLoop();
    EXPECT_EQ(sprites[12]->pathLen * 10 + static_cast<unsigned int>(sprites[12]->state), 23u);
}

TEST_F(Game, TheBestScoreIsTheLeadingNumberAfterWhiteSpaceAndZeroForAnythingElse)
{
    // clang-format off
    for (const auto& [text, value] : std::vector<std::pair<std::string, unsigned int>>{
             {"42", 42}, {" \t\n7x", 7}, {"+5", 5}, {"0042\n", 42}, {"-5", 0}, {"abc", 0}, {"", 0},
             {"+-1", 0}, {"4294967295", UINT_MAX}, {"4294967296", 0}, {"99999999999999999999", 0}}) {
        // clang-format on
        std::ofstream("highscore.txt") << text;
        highscore = 1;
        readHighscore();
        EXPECT_EQ(highscore, value) << text;
    }
    std::filesystem::remove("highscore.txt");
    highscore = 1;
    readHighscore();
    EXPECT_EQ(highscore, 0u);
}

TEST_F(Game, WritingTheBestScoreReplacesTheFileWholeOrLeavesItAndNoScratchFile)
{
    std::ofstream("highscore.txt") << "12";
    highscore = 1234;
    const int savedInput = dup(0);  // without standard input the file may get descriptor 0
    close(0);
    writeHighscore();
    dup2(savedInput, 0);
    close(savedInput);
    struct stat info { };
    EXPECT_TRUE(stat("highscore.txt", &info) == 0 && (info.st_mode & 0777) == 0644);
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
    EXPECT_EQ(readWorkFile("highscore.txt"), "1234");
    // So does one whose file cannot be replaced.
    std::filesystem::remove("highscore.txt");
    std::filesystem::create_directory("highscore.txt");
    writeHighscore();
    EXPECT_TRUE(std::filesystem::is_directory("highscore.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work),
                            std::filesystem::directory_iterator()),
              2);  // bitmaps and highscore.txt
}
