// What the player sees: the counters, the play frame, the pause screen.
#include <gtest/gtest.h>

#include <string>

#include "game_fixture.h"
#include "test_surfaces.h"

class Frame : public GameTest {
protected:
    // The digits that the four cells from x show, read by comparing each
    // cell with the glyphs of the strip; '?' where no glyph matches.
    std::string counterAt(int x)
    {
        std::string shown;
        for (int cell = 0; cell < 4; ++cell) {
            char digit = '?';
            for (int d = 0; d <= 9 && digit == '?'; ++d) {
                if (cellMatchesGlyph(x + cell * DIGIT_WIDTH, d))
                    digit = static_cast<char>('0' + d);
            }
            shown += digit;
        }
        return shown;
    }

    // Counts the pixels of a keyed surface drawn at (x, y) that show on screen.
    int visiblePixelsOf(SDL_Surface* s, int x, int y)
    {
        int shown = 0;
        for (int sy = 0; sy < s->h; ++sy) {
            for (int sx = 0; sx < s->w; ++sx) {
                const Uint32 p = pixelAt(s, sx, sy);
                shown += p != s->format->colorkey && screenPixel(x + sx, y + sy) == p;
            }
        }
        return shown;
    }

private:
    bool cellMatchesGlyph(int x, int digit)
    {
        for (int y = 0; y < DIGIT_HEIGHT; ++y) {
            for (int dx = 0; dx < DIGIT_WIDTH; ++dx) {
                if (screenPixel(x + dx, COUNTER_Y + y) !=
                    pixelAt(digitSurf, digit * DIGIT_WIDTH + dx, y))
                    return false;
            }
        }
        return true;
    }
};

TEST_F(Frame, CountersShowFourDigitsWithLeadingZerosAndStopAt9999)
{
    const std::vector<std::pair<unsigned int, std::string>> values = {
        {0, "0000"},    {7, "0007"},     {42, "0042"},    {1234, "1234"},
        {9999, "9999"}, {10000, "9999"}, {12345, "9999"}, {4294967295u, "9999"},
    };
    for (const auto& [value, shown] : values) {
        score = value;
        highscore = 1000 + value % 1000;
        redraw();
        EXPECT_EQ(counterAt(SCORE_X), shown) << value;
        EXPECT_EQ(counterAt(HIGHSCORE_X), std::to_string(1000 + value % 1000)) << value;
    }
}

TEST_F(Frame, RoutesLieUnderAircraftAndTheMarkerOnTopOfAll)
{
    // Aircraft 3 under aircraft 12, a route across both, a marker over 12.
    launch(3, 200, 200);
    launch(12, 205, 205);
    sprites[3]->addToPath(150, 210);
    sprites[3]->addToPath(300, 210);
    redraw();
    FlyObj* upper = aircraft(12);
    int upperOpaque = 0;
    for (int y = 0; y < upper->surface->h; ++y)
        for (int x = 0; x < upper->surface->w; ++x)
            upperOpaque += pixelAt(upper->surface, x, y) != upper->surface->format->colorkey;
    EXPECT_EQ(visiblePixelsOf(upper->surface, 205, 205), upperOpaque);

    // Left of the aircraft the route is blended green over the background.
    const Uint32 ground = pixelAt(bgSurf, 170, 210);
    const Uint32 routed = screenPixel(170, 210);
    Uint8 r0, g0, b0, r1, g1, b1;
    SDL_GetRGB(ground, screen->format, &r0, &g0, &b0);
    SDL_GetRGB(routed, screen->format, &r1, &g1, &b1);
    EXPECT_GT(g1, g0);
    EXPECT_LT(g1, 255);  // translucent, not solid green

    sprites[13]->setPos(207, 207);
    marker = new Marker(sprites[13], 10);
    redraw();
    EXPECT_EQ(screenPixel(210, 210), white());
    EXPECT_EQ(screenPixel(207 + sprites[13]->getWidth() - 1, 207), white());
}

TEST_F(Frame, ThePauseScreenShowsTheFieldCountersAndTextsButNoAircraft)
{
    launch(12, 300, 300);
    sprites[12]->addToPath(100, 100);
    sprites[12]->addToPath(100, 300);
    sprites[2]->setPos(40, 200);
    marker = new Marker(sprites[2], 10);
    score = 42;
    pauseScreen();
    EXPECT_EQ(displayCounters.flips, 1);
    EXPECT_EQ(counterAt(SCORE_X), "0042");
    for (int y = 160; y < 400; y += 7) {  // between the two texts
        for (int x = 20; x < 420; x += 7)
            ASSERT_EQ(screenPixel(x, y), pixelAt(bgSurf, x, y)) << x << "," << y;
    }
    const int pauseX = (SCREEN_WIDTH - txtPauseSurf->w) / 2;
    const int presskeyX = (SCREEN_WIDTH - txtPresskeySurf->w) / 2;
    EXPECT_GT(visiblePixelsOf(txtPauseSurf, pauseX, PAUSE_TEXT_Y), 100);
    EXPECT_GT(visiblePixelsOf(txtPresskeySurf, presskeyX, PRESSKEY_TEXT_Y), 100);
}

TEST_F(Frame, TheGameOverTextGoesOverThePictureAndOnlyItsRectangleIsShown)
{
    launch(12, 300, 420);
    redraw();
    gameoverScreen();
    EXPECT_EQ(displayCounters.flips, 1);
    EXPECT_EQ(displayCounters.rectUpdates, 1);
    const int presskeyX = (SCREEN_WIDTH - txtPresskeySurf->w) / 2;
    EXPECT_EQ(displayCounters.lastUpdate.x, presskeyX);
    EXPECT_EQ(displayCounters.lastUpdate.h, txtPresskeySurf->h);
    EXPECT_GT(visiblePixelsOf(txtPresskeySurf, presskeyX, PRESSKEY_TEXT_Y), 100);
    EXPECT_GT(visiblePixelsOf(sprites[12]->surface, 300, 420), 0);  // still under the text
}
