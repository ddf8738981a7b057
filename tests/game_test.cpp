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
const int HALF_CLEARANCE = SPAWN_CLEARANCE / 2;
const int RUNWAY_X = 350;  // a point on the east-west runway
const int RUNWAY_Y = 197;
const int APPROACH_X = 270;  // and on its approach area

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// Puts an aircraft in a landing state with its centre on (cx, cy).
void placeCentredAt(PathSprite* s, int cx, int cy, Sint32 state)
{
    s->setPos(cx - s->getWidth() / 2, cy - s->getHeight() / 2);
    s->visible = true;
    s->state = state;
    s->moveDelay = 100000;
}

// The four digits that the counter cells from x show; '?' for no glyph.
std::string counterAt(int x)
{
    std::string shown;
    for (int cell = 0; cell < 4; ++cell) {
        char digit = '?';
        for (int d = 0; d <= 9; ++d) {
            bool same = true;
            for (int y = 0; y < DIGIT_HEIGHT; ++y) {
                for (int dx = 0; dx < DIGIT_WIDTH; ++dx)
                    same = same && pixelAt(screen, x + cell * DIGIT_WIDTH + dx, COUNTER_Y + y) ==
                                       pixelAt(digitSurf, d * DIGIT_WIDTH + dx, y);
            }
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

using StartUp = GameTest;
using Spawning = GameTest;
using GameTick = GameTest;
using Frame = GameTest;
using RouteDrag = GameTest;
using MainLoop = GameTest;
using HighscoreFile = GameTest;

TEST_F(StartUp, OpensTheWindowReadsTheBestScoreAndPlaysUntilEscape)
{
    freeField();
    SDL_Quit();
    writeFile("highscore.txt", " 42\n");
    std::string caption;
    std::string icon;
    unsigned int bestAtPlay = 0;
    seams.nextDraw = [&] {
        char* title = nullptr;
        char* iconTitle = nullptr;
        SDL_WM_GetCaption(&title, &iconTitle);
        if (caption.empty()) {
            caption = title ? title : "";
            icon = iconTitle ? iconTitle : "";
            bestAtPlay = highscore;
            EXPECT_EQ(screen->w * 10000 + screen->h * 10 + screen->format->BytesPerPixel, 6404802);
            EXPECT_EQ(numsprites, MAX_SPRITES);
            EXPECT_EQ(numtargets, MAX_TARGETS);
            redraw();
            EXPECT_EQ(counterAt(SCORE_X) + counterAt(HIGHSCORE_X), "00000042");
            push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        }
        return 2999;
    };
    EXPECT_EQ(SDL_main(0, nullptr), EXIT_OK);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_EQ(icon, "Corvane");
    EXPECT_EQ(caption.rfind("Corvane", 0), 0u) << caption;
    EXPECT_EQ(bestAtPlay, 42u);
    for (int i = 0; i < MAX_TARGETS; ++i) {
        const TargetLayout& t = AIRFIELD[i];
        const SDL_Rect& r = targets[i]->rect;
        const SDL_Rect& pre = targets[i]->preRect;
        EXPECT_TRUE(r.x == t.x && r.y == t.y && r.w == t.w && r.h == t.h) << i;
        EXPECT_TRUE(pre.x == t.preX && pre.y == t.preY && pre.w == t.preW && pre.h == t.preH);
        EXPECT_EQ(targets[i]->type, t.type);
    }
}

TEST_F(StartUp, AMissingBitmapEndsItWithStatusThreeNamingTheFile)
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

TEST_F(StartUp, BlackIsTransparentInEveryLookAndTextButNotInTheField)
{
    SurfacePtr grey = makeBitmap(SCREEN_WIDTH, SCREEN_HEIGHT, 128, 128, 128);
    std::vector<SDL_Surface*> keyed = {txtPauseSurf, txtPresskeySurf};
    for (unsigned int i = 0; i < numsprites; ++i) {
        for (SDL_Surface* look :
             {aircraft(i)->normalSurf, aircraft(i)->approachSurf, aircraft(i)->crashedSurf})
            keyed.push_back(look);
    }
    for (SDL_Surface* look : keyed) {
        SDL_BlitSurface(grey.get(), nullptr, screen, nullptr);
        SDL_BlitSurface(look, nullptr, screen, nullptr);
        EXPECT_EQ(wrongPixels(look, 0, 0, grey.get()), 0);
    }
    EXPECT_FALSE(bgSurf->flags & SDL_SRCCOLORKEY);
    EXPECT_FALSE(digitSurf->flags & SDL_SRCCOLORKEY);
}

TEST_F(Spawning, TheWindowOfTheFirstDrawShrinksByTenPerPointDownToTwenty)
{
    const std::vector<std::pair<unsigned int, int>> windows = {
        {0, 3000}, {1, 2990}, {297, 30}, {298, 20}, {UINT_MAX, 20}};
    for (const auto& [points, window] : windows) {
        score = points;
        seams.draws = {window + 7, 700, window - 1, 700};
        addNewSprite();
        ASSERT_NE(marker, nullptr) << points;
        EXPECT_EQ(marker->sprite, sprites[7]) << points;
        resetSituation();
        score = points;
        addNewSprite();
        EXPECT_EQ(marker != nullptr, window == 20) << points;
        resetSituation();
    }
    // A pending marker, or a named aircraft in play, stops the spawn.
    seams.randCalls = 0;
    marker = new Marker(sprites[19], 50);
    addNewSprite();
    EXPECT_EQ(seams.randCalls, 0);
    resetSituation();
    launch(5, 300, 300);
    seams.draws = {5, 0};
    addNewSprite();
    EXPECT_EQ(seams.randCalls, 1);
    EXPECT_EQ(marker, nullptr);
}

TEST_F(Spawning, AnAircraftEntersAtABorderPointUnlessAnotherHasACornerInTheSquareThere)
{
    const int k = HELICOPTER;
    const int sw = sprites[k]->getWidth();
    const int sh = sprites[k]->getHeight();
    const int blocker = MAX_SPRITES - 1;  // the last of the roster is checked too
    const int bw = sprites[blocker]->getWidth();
    const int bh = sprites[blocker]->getHeight();
    struct Case {
        int p;       // the point on the border
        int x, y;    // where the aircraft enters
        int vx, vy;  // heading inwards
        int cx, cy;  // the clearance square's corner
    };
    const int bottom = SCREEN_HEIGHT - sh;
    const int right = SCREEN_WIDTH - sw;
    const std::vector<Case> cases = {
        {0, 0, 0, 0, 1, 0, 0},
        {300, 300 - sw, 0, 0, 1, 300 - sw - HALF_CLEARANCE, 0},
        {639, 639 - sw, 0, 0, 1, 639 - sw - HALF_CLEARANCE, 0},
        {640, 0, 0, 1, 0, 0, 0},
        {890, 0, 250 - sh, 1, 0, 0, 250 - sh - HALF_CLEARANCE},
        {1120, 0, bottom, 0, -1, 0, SCREEN_HEIGHT - SPAWN_CLEARANCE},
        {1420, 300 - sw, bottom, 0, -1, 300 - sw - HALF_CLEARANCE, 400},
        {1760, right, 0, -1, 0, 560, 0},
        {2010, right, 250 - sh, -1, 0, 560, 250 - sh - HALF_CLEARANCE},
        {2239, right, 479 - sh, -1, 0, 560, 479 - sh - HALF_CLEARANCE},
    };
    for (const Case& c : cases) {
        // The blocker's corners just inside and just outside the square.
        const std::vector<std::pair<Coord, bool>> blockers = {{{c.cx + 79, c.cy + 79}, true},
                                                              {{c.cx - bw, c.cy - bh}, true},
                                                              {{c.cx + 80, c.cy + 79}, false},
                                                              {{c.cx - bw - 1, c.cy - bh}, false},
                                                              {{c.cx - bw, c.cy - bh - 1}, false}};
        for (const auto& [at, blocks] : blockers) {
            launch(blocker, at.x, at.y);
            aircraft(k)->setCrashed();
            sprites[k]->addToPath(1, 1);
            seams.draws = {k + 3 * SPAWN_WINDOW_BASE, c.p + 3 * BORDER};
            addNewSprite();
            ASSERT_EQ(marker == nullptr, blocks) << c.p << " " << at.x << "," << at.y;
            if (!blocks) {
                PathSprite* s = sprites[k];
                EXPECT_EQ(s->getPosX() * 1000 + s->getPosY(), c.x * 1000 + c.y) << c.p;
                EXPECT_EQ(s->velX * 10 + s->velY, c.vx * 10 + c.vy) << c.p;
                EXPECT_EQ(s->state, Announced);
                EXPECT_FALSE(s->isVisible());
                EXPECT_EQ(s->pathLen, 0u);
                EXPECT_EQ(s->surface, aircraft(k)->normalSurf);
                EXPECT_EQ(marker->rect.x * 1000 + marker->rect.y, c.x * 1000 + c.y);
            }
            resetSituation();
        }
    }
}

TEST_F(GameTick, AircraftMoveAndLandAndALandedOneIsGoneBeforeTheCollisionSearch)
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
    EXPECT_EQ(sprites[0]->getPosX() * 1000 + sprites[0]->getPosY(), 101399);
    for (int i : {EW_AIRCRAFT, HELICOPTER + 1}) {
        EXPECT_EQ(sprites[i]->state, Inactive);
        EXPECT_FALSE(sprites[i]->isVisible());
        EXPECT_EQ(sprites[i]->pathLen + sprites[i]->getPosX() + sprites[i]->getPosY(), 0u);
    }
    EXPECT_EQ(sprites[EW_AIRCRAFT + 1]->state, Flying);
    EXPECT_EQ(sprites[19]->getPosX() * 1000 + sprites[19]->getPosY(), 481399);
}

TEST_F(GameTick, TheFirstCollidingPairCrashesShownWithThePressKeyTextThenTheFieldIsCleared)
{
    const int w = sprites[8]->getWidth();
    const int h = sprites[8]->getHeight();
    int wrongAtTheEnd = -1;
    seams.onPresent = [&] {
        wrongAtTheEnd =
            wrongPixels(txtPresskeySurf, centredX(txtPresskeySurf), PRESSKEY_TEXT_Y, bgSurf);
        for (int i : {8, 9, 10}) {
            SDL_Surface* look = i < 10 ? aircraft(i)->crashedSurf : aircraft(i)->normalSurf;
            EXPECT_LE(wrongPixels(look, sprites[i]->getPosX(), sprites[i]->getPosY(), bgSurf), 2)
                << i;
            EXPECT_EQ(sprites[i]->state, i < 10 ? Crashed : Flying);
        }
        EXPECT_EQ(sprites[5]->state, Flying);
    };
    const std::vector<std::pair<unsigned int, std::string>> scores = {{2, ""}, {3, "3"}};
    for (const auto& [points, written] : scores) {
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
        EXPECT_EQ(wrongAtTheEnd, 0);
        const SDL_Rect text = rectOf(centredX(txtPresskeySurf), PRESSKEY_TEXT_Y, txtPresskeySurf->w,
                                     txtPresskeySurf->h);
        const SDL_Rect& shown = seams.shown;  // the last update shows the whole text
        EXPECT_TRUE(shown.x <= text.x && shown.y <= text.y &&
                    shown.x + shown.w >= text.x + text.w && shown.y + shown.h >= text.y + text.h);
        EXPECT_EQ(readWorkFile("highscore.txt"), written);
        EXPECT_EQ(highscore, std::max(points, 2u));
        EXPECT_EQ(score, 0u);
        EXPECT_EQ(marker, nullptr);
        for (unsigned int i = 0; i < numsprites; ++i) {
            EXPECT_EQ(sprites[i]->state, Inactive);
            EXPECT_EQ(sprites[i]->surface, aircraft(i)->normalSurf);
            EXPECT_EQ(sprites[i]->getCPosX(), sprites[i]->getWidth() / 2);
        }
    }
}

TEST_F(GameTick, AnAircraftStartedByTheMarkerTakesPartFromTheNextTick)
{
    launch(2, 300, 300);
    sprites[3]->setPos(302, 302);
    marker = new Marker(sprites[3], 0);
    EXPECT_TRUE(doGameTickTasks());
    EXPECT_EQ(marker, nullptr);
    EXPECT_EQ(sprites[3]->state, Flying);
    EXPECT_FALSE(doGameTickTasks());
}

TEST_F(GameTick, ATickWaitsForTheRestOfTenMillisecondsSinceTheLastOne)
{
    struct Case {
        Uint32 elapsed;
        std::vector<Uint32> delays;
        int naps;  // of 100 microseconds, through the last millisecond
    };
    const std::vector<Case> cases = {
        {0, {9}, 10}, {3, {6}, 10}, {9, {}, 10}, {10, {}, 0}, {25, {}, 0}};
    for (const Case& c : cases) {
        seams = Seams();
        lastTick = 5000;
        seams.now = lastTick + c.elapsed;
        EXPECT_TRUE(doGameTickTasks());
        EXPECT_EQ(seams.delays, c.delays) << c.elapsed;
        EXPECT_EQ(seams.naps, c.naps) << c.elapsed;
        EXPECT_EQ(lastTick, std::max(c.elapsed, TICK_PERIOD) + 5000) << c.elapsed;
    }
}

TEST_F(Frame, TheFrameShowsFieldCountersRoutesUnderAircraftAndTheMarkerOnTop)
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
    EXPECT_EQ(counterAt(SCORE_X), "0042");
    EXPECT_EQ(counterAt(HIGHSCORE_X), "1234");
    EXPECT_EQ(wrongPixels(aircraft(13)->normalSurf, 250, 100, bgSurf), 0);
    EXPECT_NE(screenAt(80, routeY), pixelAt(bgSurf, 80, routeY));
    EXPECT_EQ(screenAt(80, routeY + 5), pixelAt(bgSurf, 80, routeY + 5));
    int covered = 0;
    for (int x = 0; x < look->w; ++x) {
        if (pixelAt(look, x, look->h / 2) != 0) {
            EXPECT_EQ(screenAt(100 + x, routeY), pixelAt(look, x, look->h / 2));
            ++covered;
        }
    }
    EXPECT_GT(covered, 0);
    EXPECT_EQ(screenAt(407, 307), SDL_MapRGB(screen->format, 255, 255, 255));

    const std::vector<std::pair<unsigned int, std::string>> counters = {
        {7, "0007"}, {9999, "9999"}, {10000, "9999"}, {UINT_MAX, "9999"}};
    for (const auto& [value, shown] : counters) {
        drawDigits(value, SCORE_X);
        EXPECT_EQ(counterAt(SCORE_X), shown) << value;
    }
}

TEST_F(Frame, ThePauseScreenShowsFieldCountersAndBothTextsButNoAircraft)
{
    score = 5;
    launch(12, 300, 200);
    redraw();
    pauseScreen();
    EXPECT_EQ(counterAt(SCORE_X), "0005");
    EXPECT_EQ(wrongPixels(txtPauseSurf, centredX(txtPauseSurf), PAUSE_TEXT_Y, bgSurf), 0);
    EXPECT_EQ(wrongPixels(txtPresskeySurf, centredX(txtPresskeySurf), PRESSKEY_TEXT_Y, bgSurf), 0);
    EXPECT_NE(wrongPixels(aircraft(12)->normalSurf, 300, 200, bgSurf), 0);  // not shown
}

TEST_F(RouteDrag, APressOnAnAircraftDrawsItsRouteOnePointAndOneTickPerEvent)
{
    struct Case {
        int index;
        std::vector<Coord> moves;  // after the press, before the release
        Sint32 state;
    };
    const std::vector<Case> cases = {
        {EW_AIRCRAFT, {{APPROACH_X, RUNWAY_Y}, {RUNWAY_X, RUNWAY_Y}}, OnApproach},
        {NS_AIRCRAFT, {{APPROACH_X, RUNWAY_Y}, {RUNWAY_X, RUNWAY_Y}}, Routed},
        {EW_AIRCRAFT, {{RUNWAY_X, RUNWAY_Y}, {APPROACH_X, RUNWAY_Y}}, Routed},
    };
    push(SDL_MOUSEBUTTONDOWN, 10, 10);  // on no aircraft: nothing happens
    SDL_Event press;
    SDL_PollEvent(&press);
    EXPECT_TRUE(handleMouseInput(&press));
    EXPECT_EQ(lastTick, 0u);
    for (const Case& c : cases) {
        launch(c.index, 100, 190);
        sprites[c.index]->addToPath(5, 5);  // replaced by the new route
        launch(19, 600, 20);
        push(SDL_MOUSEBUTTONDOWN, 101, 191);
        for (Coord m : c.moves)
            push(SDL_MOUSEMOTION, m.x, m.y);
        push(SDL_MOUSEBUTTONUP, 500, 400);
        ASSERT_EQ(SDL_PollEvent(&press), 1);
        EXPECT_TRUE(handleMouseInput(&press));
        FlyObj* a = aircraft(c.index);
        ASSERT_EQ(a->pathLen, 3u);
        EXPECT_EQ(a->path[0].x * 1000 + a->path[0].y, 101191);
        EXPECT_EQ(a->path[2].x, c.moves[1].x);
        EXPECT_EQ(a->state, c.state);
        EXPECT_EQ(a->surface, c.state == OnApproach ? a->approachSurf : a->normalSurf);
        EXPECT_EQ(sprites[19]->moveDelay, 100000 - 2);  // two ticks
        resetSituation();
    }
    // Of two aircraft under the pointer the lower index is picked; hidden
    // ones never are.
    launch(8, 100, 100);
    launch(9, 100, 100);
    EXPECT_EQ(clickOnSprite(101, 101), 8);
    sprites[8]->visible = false;
    EXPECT_EQ(clickOnSprite(101, 101), 9);
    EXPECT_EQ(clickOnSprite(10, 10), -1);
}

TEST_F(RouteDrag, WithNothingWaitingThePointRepeatsUntilTheRouteIsFull)
{
    launch(12, 300, 300);
    push(SDL_MOUSEBUTTONDOWN, 305, 305);
    SDL_Event press;
    SDL_PollEvent(&press);
    EXPECT_TRUE(handleMouseInput(&press));
    EXPECT_EQ(sprites[12]->pathLen, PATH_CAPACITY);
    EXPECT_EQ(sprites[12]->path[PATH_CAPACITY - 1].x, 305);
    EXPECT_EQ(sprites[12]->state, Routed);
}

TEST_F(RouteDrag, ACrashOrALandingEndsTheDragAndAQuitReadMeanwhileIsPutBack)
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
        EXPECT_EQ(sprites[12]->state, Inactive);
        EXPECT_EQ(sprites[12]->pathLen, 0u);
        EXPECT_EQ(score, crash ? 0u : 1u);
        ASSERT_EQ(SDL_PollEvent(&e), 1);
        EXPECT_EQ(e.type, SDL_QUIT);  // what was still queued
        ASSERT_EQ(SDL_PollEvent(&e), 1);
        EXPECT_EQ(e.key.keysym.sym, SDLK_ESCAPE);  // the quit put back
        EXPECT_EQ(SDL_PollEvent(&e), 0);
        resetSituation();
    }
}

TEST_F(MainLoop, EscapeOrACloseRequestQuitsAfterTheRestOfTheQueueAndOneTick)
{
    for (Uint8 quit : {SDL_KEYDOWN, SDL_QUIT}) {
        launch(19, 100, 100);
        push(quit, 0, 0, SDLK_ESCAPE);
        push(SDL_MOUSEMOTION, 10, 10);
        seams.randCalls = 0;
        runMainLoop();
        SDL_Event e;
        EXPECT_EQ(SDL_PollEvent(&e), 0);
        EXPECT_EQ(seams.randCalls, 1);  // one spawn offer
        EXPECT_EQ(sprites[19]->moveDelay, 100000 - 1);
    }
}

TEST_F(MainLoop, AKeyHaltsTheGameOnThePauseScreenAndTheNextResumesIt)
{
    launch(19, 100, 100);
    push(SDL_KEYDOWN, 0, 0, SDLK_SPACE);
    push(SDL_MOUSEBUTTONDOWN, 105, 105);  // ignored while halted
    seams.onDelay = [&] {
        if (seams.delays.size() == 3) {
            EXPECT_EQ(wrongPixels(txtPauseSurf, centredX(txtPauseSurf), PAUSE_TEXT_Y, bgSurf), 0);
            push(SDL_KEYDOWN, 0, 0, SDLK_a);
            push(SDL_KEYDOWN, 0, 0, SDLK_ESCAPE);
        }
    };
    runMainLoop();
    EXPECT_EQ(seams.delays, std::vector<Uint32>(3, TICK_PERIOD));
    EXPECT_EQ(seams.randCalls, 4);
    EXPECT_EQ(sprites[19]->moveDelay, 100000 - 1);
    EXPECT_EQ(sprites[19]->pathLen, 0u);
}

TEST_F(MainLoop, AfterAGameOverAPressIsIgnoredAndAKeyStartsTheNextGame)
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
    EXPECT_EQ(sprites[12]->pathLen, 0u);
    EXPECT_EQ(sprites[12]->moveDelay, 100000 - 1);  // one tick of the next game
    EXPECT_NE(wrongPixels(txtPauseSurf, centredX(txtPauseSurf), PAUSE_TEXT_Y, bgSurf), 0);
}

TEST_F(MainLoop, APressWhileRunningDrawsARoute)
{
    launch(12, 300, 300);
    push(SDL_MOUSEBUTTONDOWN, 305, 305);
    push(SDL_MOUSEMOTION, 400, 400);
    push(SDL_MOUSEBUTTONUP, 400, 400);
    push(SDL_QUIT);
    runMainLoop();
    EXPECT_EQ(sprites[12]->pathLen, 2u);
    EXPECT_EQ(sprites[12]->state, Routed);
}

TEST_F(HighscoreFile, ReadsTheLeadingNumberAfterWhiteSpaceAndZeroForAnythingElse)
{
    const std::vector<std::pair<std::string, unsigned int>> files = {{"42", 42},
                                                                     {" \t\n7x", 7},
                                                                     {"+5", 5},
                                                                     {"0042\n", 42},
                                                                     {"-5", 0},
                                                                     {"abc", 0},
                                                                     {"", 0},
                                                                     {"+-1", 0},
                                                                     {"4294967295", UINT_MAX},
                                                                     {"4294967296", 0},
                                                                     {"99999999999999999999", 0}};
    for (const auto& [text, value] : files) {
        writeFile("highscore.txt", text);
        highscore = 1;
        readHighscore();
        EXPECT_EQ(highscore, value) << text;
    }
    std::filesystem::remove("highscore.txt");
    readHighscore();
    EXPECT_EQ(highscore, 0u);
}

TEST_F(HighscoreFile, WritingReplacesTheFileWholeOrLeavesItAndNoScratchFile)
{
    writeFile("highscore.txt", "12");
    highscore = 1234;
    // Without standard input the new file may get descriptor 0.
    const int savedInput = dup(0);
    close(0);
    writeHighscore();
    dup2(savedInput, 0);
    close(savedInput);
    EXPECT_EQ(readWorkFile("highscore.txt"), "1234");
    struct stat info { };
    ASSERT_EQ(stat("highscore.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);

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

    std::filesystem::remove("highscore.txt");
    std::filesystem::create_directory("highscore.txt");  // cannot be replaced
    writeHighscore();
    EXPECT_TRUE(std::filesystem::is_directory("highscore.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work),
                            std::filesystem::directory_iterator()),
              2);  // bitmaps and highscore.txt
}
