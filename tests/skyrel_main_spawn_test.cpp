// Spawning: the order of its random draws, the window, the entry points and
// the clearance around them.
#include <gtest/gtest.h>

#include <climits>

#include "game_fixture.h"

namespace {

const int BORDER = 2 * (SCREEN_WIDTH + SCREEN_HEIGHT);  // 2240 points on the border

}  // namespace

using Spawning = GameTest;

TEST_F(Spawning, APendingMarkerStopsEverythingBeforeTheFirstDraw)
{
    marker = new Marker(sprites[19], 50);
    scriptedRand.values = {0, 0};
    addNewSprite();
    EXPECT_EQ(scriptedRand.calls, 0);
    EXPECT_EQ(sprites[0]->state, Inactive);
}

TEST_F(Spawning, TheWindowShrinksByTenPerPointDownToTwenty)
{
    struct Case {
        unsigned int score;
        int window;
    };
    const std::vector<Case> cases = {
        {0, 3000}, {1, 2990}, {100, 2000}, {297, 30}, {298, 20}, {5000, 20}, {UINT_MAX, 20},
    };
    for (const Case& c : cases) {
        // A draw of window + 7 names aircraft 7 only with the right modulus.
        score = c.score;
        scriptedRand.values = {c.window + 7, 640 + 100};
        addNewSprite();
        ASSERT_NE(marker, nullptr) << "score " << c.score;
        EXPECT_EQ(marker->sprite, sprites[7]);
        EXPECT_EQ(sprites[7]->state, Announced);
        resetSituation();

        // window - 1 names no aircraft while the window is wider than 20.
        score = c.score;
        scriptedRand.values = {c.window - 1, 640 + 100};
        addNewSprite();
        if (c.window > 20) {
            EXPECT_EQ(marker, nullptr) << "score " << c.score;
        } else {
            ASSERT_NE(marker, nullptr);
            EXPECT_EQ(marker->sprite, sprites[19]);
        }
        resetSituation();
    }
}

TEST_F(Spawning, NoSecondDrawWhenNoAircraftOrABusyOneIsNamed)
{
    scriptedRand.values = {20, 0};
    addNewSprite();
    EXPECT_EQ(scriptedRand.calls, 1);
    EXPECT_EQ(marker, nullptr);

    launch(5, 300, 300);
    scriptedRand.values = {5, 0};
    addNewSprite();
    EXPECT_EQ(scriptedRand.calls, 2);
    EXPECT_EQ(marker, nullptr);
    EXPECT_EQ(sprites[5]->pos.x, 300);
}

TEST_F(Spawning, EachBorderPointGivesAnEntryFlushWithItsEdgeHeadingInwards)
{
    const int k = EW_AIRCRAFT;
    const int sw = sprites[k]->getWidth();
    const int sh = sprites[k]->getHeight();
    struct Case {
        int p;
        int x, y, vx, vy;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 0, 1},  // top-left corner, heading down
        {sw + 50, 50, 0, 0, 1},
        {639, 639 - sw, 0, 0, 1},
        {640, 0, 0, 1, 0},  // left edge, heading right
        {640 + sh + 30, 0, 30, 1, 0},
        {1119, 0, 479 - sh, 1, 0},
        {1120, 0, 480 - sh, 0, -1},  // bottom edge, heading up
        {1120 + sw + 200, 200, 480 - sh, 0, -1},
        {1760, 640 - sw, 0, -1, 0},  // right edge, heading left
        {2239, 640 - sw, 479 - sh, -1, 0},
    };
    for (const Case& c : cases) {
        // The second draw is taken modulo the length of the border.
        scriptedRand.values = {k, c.p + 3 * BORDER};
        addNewSprite();
        ASSERT_NE(marker, nullptr) << "p " << c.p;
        PathSprite* s = sprites[k];
        EXPECT_EQ(s->pos.x, c.x) << "p " << c.p;
        EXPECT_EQ(s->pos.y, c.y) << "p " << c.p;
        EXPECT_EQ(s->velX, c.vx) << "p " << c.p;
        EXPECT_EQ(s->velY, c.vy) << "p " << c.p;
        EXPECT_FALSE(s->visible);
        EXPECT_EQ(s->state, Announced);
        EXPECT_EQ(marker->rect.x, c.x);
        EXPECT_EQ(marker->rect.y, c.y);
        EXPECT_EQ(marker->rect.w, sw);
        EXPECT_EQ(marker->rect.h, sh);
        resetSituation();
    }
}

TEST_F(Spawning, AVisibleAircraftWithACornerInTheClearanceBlocksTheEntry)
{
    const int k = EW_AIRCRAFT;
    const int p = 640 + 200;  // left edge: clearance square at (0, 200 - sh - 40)
    const int sh = sprites[k]->getHeight();
    const int clearanceY = 200 - sh - 40;
    aircraft(k)->setCrashed();
    sprites[k]->setPos(77, 88);
    sprites[k]->setVelocity(0, -1);

    // A corner in the square's last column blocks it.
    launch(3, 79, clearanceY + 10);
    scriptedRand.values = {k, p};
    addNewSprite();
    EXPECT_EQ(marker, nullptr);
    EXPECT_EQ(sprites[k]->state, Inactive);
    EXPECT_EQ(sprites[k]->pos.x, 77);
    EXPECT_EQ(sprites[k]->pos.y, 88);
    EXPECT_EQ(sprites[k]->velY, -1);
    EXPECT_EQ(sprites[k]->surface, aircraft(k)->crashedSurf);

    // The same aircraft hidden does not block.
    sprites[3]->visible = false;
    scriptedRand.values = {k, p};
    addNewSprite();
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(sprites[k]->surface, aircraft(k)->normalSurf);
    resetSituation();

    // One column further right, no corner is inside.
    launch(3, 80, clearanceY + 10);
    scriptedRand.values = {k, p};
    addNewSprite();
    EXPECT_NE(marker, nullptr);
    resetSituation();

    // A long aircraft crossing the square with no corner inside does not block.
    SDL_Surface* wide = SDL_CreateRGBSurface(SDL_SWSURFACE, 200, 4, 16, 0xF800, 0x07E0, 0x1F, 0);
    sprites[3]->setSurface(wide);
    launch(3, 0, 0);
    sprites[3]->setPos(-50, clearanceY + 30);
    scriptedRand.values = {k, p};
    addNewSprite();
    EXPECT_NE(marker, nullptr);
    aircraft(3)->setNormal();
    SDL_FreeSurface(wide);
}
