// Landing targets, judging routes and landing, and the spawn marker, on the
// game's own airfield.
#include "pathsprite.h"
#include "skyrel_main.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "test_surfaces.h"

namespace {

enum AirfieldIndex { EAST_WEST = 0, NORTH_SOUTH = 1, PAD = 2 };

class Airfield : public ::testing::Test {
protected:
    Airfield()
    {
        for (int i = 0; i < MAX_TARGETS; ++i) {
            const TargetLayout& t = AIRFIELD[i];
            owned.push_back(std::make_unique<Target>(t.x, t.y, t.w, t.h, t.preX, t.preY, t.preW,
                                                     t.preH, t.type));
            field[i] = owned.back().get();
        }
    }

    // A route over the given waypoints for an aircraft of the given type.
    std::unique_ptr<PathSprite> routeOf(int type, const std::vector<Coord>& waypoints)
    {
        auto sprite = std::make_unique<PathSprite>(nullptr, 0, 0, 0, 0, 0.5f, type);
        for (const Coord& c : waypoints)
            sprite->addToPath(c.x, c.y);
        return sprite;
    }

    bool qualifies(int type, int target, const std::vector<Coord>& waypoints)
    {
        return routeOf(type, waypoints)->checkPath(field[target]);
    }

    std::vector<std::unique_ptr<Target>> owned;
    Target* field[MAX_TARGETS] = {};
};

}  // namespace

TEST_F(Airfield, AreaBordersLieWhereTheTableSays)
{
    EXPECT_TRUE(field[EAST_WEST]->inPreTarget(293, 190));
    EXPECT_FALSE(field[EAST_WEST]->inTarget(293, 190));
    EXPECT_TRUE(field[EAST_WEST]->inTarget(294, 190));
    EXPECT_FALSE(field[EAST_WEST]->inPreTarget(294, 190));
    EXPECT_FALSE(field[EAST_WEST]->inPreTarget(253, 190));
    EXPECT_FALSE(field[EAST_WEST]->inTarget(461, 190));

    EXPECT_TRUE(field[NORTH_SOUTH]->inTarget(430, 326));
    EXPECT_FALSE(field[NORTH_SOUTH]->inPreTarget(430, 326));
    EXPECT_TRUE(field[NORTH_SOUTH]->inPreTarget(430, 327));
    EXPECT_FALSE(field[NORTH_SOUTH]->inTarget(430, 327));
    EXPECT_FALSE(field[NORTH_SOUTH]->inPreTarget(430, 367));

    EXPECT_TRUE(field[PAD]->inTarget(502, 267));
    EXPECT_TRUE(field[PAD]->inPreTarget(502, 267));
    EXPECT_FALSE(field[PAD]->inTarget(489, 267));
    EXPECT_TRUE(field[PAD]->inPreTarget(484, 249));
    EXPECT_FALSE(field[PAD]->inPreTarget(520, 267));

    for (int i = 0; i < MAX_TARGETS; ++i)
        EXPECT_EQ(field[i]->getType(), i + 1);
}

TEST_F(Airfield, ARouteQualifiesOnlyWithAnApproachWaypointDirectlyBeforeALandingWaypoint)
{
    // East-west runway: approach x 254..293, landing x 294..460, y 186..207.
    EXPECT_TRUE(qualifies(1, EAST_WEST, {{293, 190}, {294, 190}}));
    EXPECT_TRUE(qualifies(1, EAST_WEST, {{100, 100}, {280, 197}, {300, 197}, {600, 400}}));
    EXPECT_FALSE(qualifies(2, EAST_WEST, {{293, 190}, {294, 190}}));  // wrong type
    // Through the approach area, out, then onto the runway: not neighbours.
    EXPECT_FALSE(qualifies(1, EAST_WEST, {{270, 197}, {250, 197}, {300, 197}}));
    // Across a long side or from beyond the far end.
    EXPECT_FALSE(qualifies(1, EAST_WEST, {{350, 180}, {350, 190}}));
    EXPECT_FALSE(qualifies(1, EAST_WEST, {{462, 197}, {460, 197}}));
    // The line crosses the approach area but no waypoint lies in it.
    EXPECT_FALSE(qualifies(1, EAST_WEST, {{240, 197}, {300, 197}}));
    // The bottom border row y = 208 lies outside both areas.
    EXPECT_FALSE(qualifies(1, EAST_WEST, {{280, 208}, {300, 207}}));
    EXPECT_FALSE(qualifies(1, EAST_WEST, {{280, 207}, {300, 208}}));
    EXPECT_FALSE(qualifies(1, EAST_WEST, {}));
    EXPECT_FALSE(qualifies(1, EAST_WEST, {{300, 197}}));

    // North-south runway, approached from the south.
    EXPECT_TRUE(qualifies(2, NORTH_SOUTH, {{430, 366}, {430, 327}, {430, 326}}));
    EXPECT_FALSE(qualifies(2, NORTH_SOUTH, {{430, 367}, {430, 326}}));
    EXPECT_FALSE(qualifies(2, NORTH_SOUTH, {{445, 200}, {444, 200}}));

    // The pad's approach area encloses it: two waypoints on the pad qualify.
    EXPECT_TRUE(qualifies(3, PAD, {{500, 260}, {502, 267}}));
    EXPECT_TRUE(qualifies(3, PAD, {{486, 251}, {490, 255}}));
    EXPECT_FALSE(qualifies(3, PAD, {{483, 260}, {495, 260}}));
    EXPECT_FALSE(qualifies(1, PAD, {{500, 260}, {502, 267}}));
}

TEST_F(Airfield, TheListFormTriesEveryTargetAndNoneWhenEmpty)
{
    auto forPad = routeOf(3, {{486, 251}, {500, 260}});
    EXPECT_TRUE(forPad->checkPath(field, MAX_TARGETS));
    EXPECT_FALSE(forPad->checkPath(field, 2));
    EXPECT_FALSE(forPad->checkPath(field, 0));
    EXPECT_FALSE(forPad->checkPath(field, -1));
}

TEST_F(Airfield, AnAircraftOnApproachTurnsFinalAtTheApproachAreaAndLandsALaterCall)
{
    SurfacePtr bitmap = makeBitmap(20, 20, 255, 255, 255);
    PathSprite sprite(bitmap.get(), 240, 180, 0, 0, 0.5f, 1);
    sprite.visible = true;
    sprite.state = OnApproach;

    // Only the corner (260, 200) reaches into the approach area.
    EXPECT_FALSE(sprite.checkTarget(field, MAX_TARGETS));
    EXPECT_EQ(sprite.state, Final);
    EXPECT_FALSE(sprite.checkTarget(field, MAX_TARGETS));  // centre (250, 190) not on the runway
    EXPECT_EQ(sprite.state, Final);

    sprite.setPos(284, 187);  // centre (294, 197): the runway's first column
    EXPECT_TRUE(sprite.checkTarget(field, MAX_TARGETS));
    EXPECT_EQ(sprite.state, Landed);
    EXPECT_FALSE(sprite.checkTarget(field, MAX_TARGETS));  // Landed stays Landed
    EXPECT_EQ(sprite.state, Landed);
}

TEST_F(Airfield, ReachingFinalNeverLandsInTheSameCall)
{
    SurfacePtr bitmap = makeBitmap(20, 20, 255, 255, 255);
    PathSprite sprite(bitmap.get(), 285, 187, 0, 0, 0.5f, 1);  // centre (295, 197) on the runway
    sprite.visible = true;
    sprite.state = OnApproach;
    EXPECT_FALSE(sprite.checkTarget(field[EAST_WEST]));
    EXPECT_EQ(sprite.state, Final);
    EXPECT_TRUE(sprite.checkTarget(field[EAST_WEST]));
}

TEST_F(Airfield, OnlyAVisibleAircraftOfTheTargetsTypeInALandingStateProgresses)
{
    SurfacePtr bitmap = makeBitmap(20, 20, 255, 255, 255);
    const std::vector<Sint32> idleStates = {Inactive, Announced, Flying, Routed, Landed, Crashed};
    for (Sint32 state : idleStates) {
        PathSprite sprite(bitmap.get(), 280, 187, 0, 0, 0.5f, 1);
        sprite.visible = true;
        sprite.state = state;
        EXPECT_FALSE(sprite.checkTarget(field, MAX_TARGETS));
        EXPECT_EQ(sprite.state, state);
    }

    PathSprite hidden(bitmap.get(), 280, 187, 0, 0, 0.5f, 1);
    hidden.state = OnApproach;
    EXPECT_FALSE(hidden.checkTarget(field, MAX_TARGETS));
    EXPECT_EQ(hidden.state, OnApproach);
    hidden.state = Final;
    EXPECT_FALSE(hidden.checkTarget(field, MAX_TARGETS));
    EXPECT_EQ(hidden.state, Final);

    PathSprite otherType(bitmap.get(), 280, 187, 0, 0, 0.5f, 2);
    otherType.visible = true;
    otherType.state = OnApproach;
    EXPECT_FALSE(otherType.checkTarget(field, MAX_TARGETS));
    EXPECT_EQ(otherType.state, OnApproach);
    otherType.state = Final;
    EXPECT_FALSE(otherType.checkTarget(field, MAX_TARGETS));
    EXPECT_EQ(otherType.state, Final);

    PathSprite untouched(bitmap.get(), 280, 187, 0, 0, 0.5f, 1);
    untouched.visible = true;
    untouched.state = OnApproach;
    EXPECT_FALSE(untouched.checkTarget(field, 0));
    EXPECT_EQ(untouched.state, OnApproach);
}

TEST_F(Airfield, DrawingATargetPaintsItsAreasAndKeepsThem)
{
    SurfacePtr canvas = makeCanvas();
    field[PAD]->draw(canvas.get());
    EXPECT_EQ(pixelAt(canvas.get(), 484, 249), mapRGB(canvas.get(), 150, 150, 150));
    EXPECT_EQ(pixelAt(canvas.get(), 490, 255), mapRGB(canvas.get(), 255, 255, 255));
    EXPECT_EQ(pixelAt(canvas.get(), 483, 249), 0u);

    Target offEdge(630, 470, 40, 40, 620, 460, 60, 60, 1);
    offEdge.draw(canvas.get());
    EXPECT_EQ(offEdge.rect.w, 40);
    EXPECT_EQ(offEdge.preRect.h, 60);
}

TEST(MarkerCountdown, AnnouncesThenStartsTheAircraftOnCallDelayPlusOne)
{
    SurfacePtr canvas = makeCanvas();
    SurfacePtr bitmap = makeBitmap(20, 24, 255, 0, 0);
    PathSprite sprite(bitmap.get(), 0, 0, 0, 0, 0.5f, 1);
    sprite.setPos(300, 0);

    Marker marker(&sprite, MARKER_DELAY);
    EXPECT_EQ(sprite.state, Announced);
    EXPECT_EQ(marker.rect.x, 300);
    EXPECT_EQ(marker.rect.y, 0);
    EXPECT_EQ(marker.rect.w, 20);
    EXPECT_EQ(marker.rect.h, 24);
    for (unsigned int call = 1; call <= MARKER_DELAY; ++call) {
        ASSERT_FALSE(marker.startSprite(canvas.get())) << "call " << call;
        ASSERT_FALSE(sprite.visible);
    }
    EXPECT_TRUE(marker.startSprite(canvas.get()));
    EXPECT_EQ(sprite.state, Flying);
    EXPECT_TRUE(sprite.visible);
    EXPECT_EQ(pixelAt(canvas.get(), 310, 10), mapRGB(canvas.get(), 255, 0, 0));
}

TEST(MarkerCountdown, KeepsItsRectangleAndStartsTheAircraftWhereverItIsThen)
{
    SurfacePtr canvas = makeCanvas();
    SurfacePtr bitmap = makeBitmap(20, 20, 255, 0, 0);
    SurfacePtr larger = makeBitmap(30, 30, 0, 255, 0);
    PathSprite sprite(bitmap.get(), 0, 0, 0, 0, 0.5f, 1);
    sprite.setPos(630, 100);

    Marker immediate(&sprite, 0);
    // The aircraft is reset meanwhile, as at a game over.
    sprite.setSurface(larger.get());
    sprite.remove(canvas.get(), 0);
    EXPECT_EQ(immediate.rect.x, 630);
    EXPECT_EQ(immediate.rect.w, 20);

    // Drawn partly off the screen, the rectangle stays as it was made.
    immediate.draw(canvas.get(), mapRGB(canvas.get(), 255, 255, 255));
    immediate.draw(canvas.get(), mapRGB(canvas.get(), 255, 255, 255));
    EXPECT_EQ(immediate.rect.w, 20);
    EXPECT_EQ(pixelAt(canvas.get(), 639, 119), mapRGB(canvas.get(), 255, 255, 255));

    EXPECT_TRUE(immediate.startSprite(canvas.get()));
    EXPECT_EQ(sprite.state, Flying);
    EXPECT_TRUE(sprite.visible);
    EXPECT_EQ(sprite.pos.x, 0);
    EXPECT_EQ(sprite.pos.y, 0);
}
