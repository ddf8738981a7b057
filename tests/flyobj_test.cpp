#include "flyobj.h"

#include <gtest/gtest.h>

#include "test_surfaces.h"

TEST(FlyObj, StartsOutOfPlayWithItsNormalLookAtTheOrigin)
{
    SurfacePtr normal = makeBitmap(24, 22, 200, 200, 200);
    SurfacePtr approach = makeBitmap(24, 22, 0, 255, 0);
    SurfacePtr crashed = makeBitmap(24, 22, 255, 0, 0);
    FlyObj aircraft(normal.get(), approach.get(), crashed.get(), 0.45f, 3);
    EXPECT_EQ(aircraft.state, Inactive);
    EXPECT_FALSE(aircraft.visible);
    EXPECT_EQ(aircraft.surface, normal.get());
    EXPECT_EQ(aircraft.pos.x, 0);
    EXPECT_EQ(aircraft.pos.y, 0);
    EXPECT_EQ(aircraft.pos.w, 24);
    EXPECT_EQ(aircraft.pos.h, 22);
    EXPECT_EQ(aircraft.pathLen, 0u);
    EXPECT_EQ(aircraft.speed, 17);
    EXPECT_EQ(aircraft.moveDelay, 23);
    EXPECT_EQ(aircraft.type, 3);
}

TEST(FlyObj, ALookChangesTheSurfaceAndSizeButNotThePlaceCentreStateOrRoute)
{
    SurfacePtr normal = makeBitmap(20, 20, 200, 200, 200);
    SurfacePtr approach = makeBitmap(28, 26, 0, 255, 0);
    SurfacePtr crashed = makeBitmap(22, 24, 255, 0, 0);
    FlyObj aircraft(normal.get(), approach.get(), crashed.get(), 0.75f, 1);
    aircraft.setPos(100, 50);  // centre (110, 60)
    aircraft.addToPath(300, 300);
    aircraft.state = OnApproach;

    aircraft.setOnApproach();
    EXPECT_EQ(aircraft.surface, approach.get());
    EXPECT_EQ(aircraft.pos.w, 28);
    EXPECT_EQ(aircraft.pos.h, 26);
    EXPECT_EQ(aircraft.pos.x, 100);
    EXPECT_EQ(aircraft.cposX, 110);
    EXPECT_EQ(aircraft.cposY, 60);
    EXPECT_EQ(aircraft.state, OnApproach);
    EXPECT_EQ(aircraft.pathLen, 1u);

    aircraft.setCrashed();
    EXPECT_EQ(aircraft.surface, crashed.get());
    EXPECT_EQ(aircraft.pos.w, 22);
    EXPECT_EQ(aircraft.pos.h, 24);

    aircraft.setNormal();
    EXPECT_EQ(aircraft.surface, normal.get());
    EXPECT_EQ(aircraft.pos.w, 20);
    EXPECT_EQ(aircraft.pos.h, 20);

    // The centre follows the new size from the next placement on.
    aircraft.setOnApproach();
    aircraft.setPos(100, 50);
    EXPECT_EQ(aircraft.cposX, 114);
    EXPECT_EQ(aircraft.cposY, 63);
}
