#include "base/WindowPlace.h"

#include <gtest/gtest.h>

namespace {

const QList<QRect> TwoScreens = {QRect(0, 0, 1920, 1050), QRect(1920, 0, 1280, 1000)};

TEST(WindowPlace, AWindowOnAScreenStaysWhereItWas)
{
    EXPECT_EQ(PlaceWithinScreens(QRect(100, 50, 1280, 860), TwoScreens), QRect(100, 50, 1280, 860));
    EXPECT_EQ(PlaceWithinScreens(QRect(1950, 20, 1000, 700), TwoScreens),
              QRect(1950, 20, 1000, 700));
}

TEST(WindowPlace, AWindowComesBackWhollyOnTheScreenThatHoldsMostOfIt)
{
    // Mostly on the second screen, over its right edge.
    EXPECT_EQ(PlaceWithinScreens(QRect(2500, 100, 1000, 700), TwoScreens),
              QRect(2200, 100, 1000, 700));
    // Over the top and left edges of the first.
    EXPECT_EQ(PlaceWithinScreens(QRect(-200, -30, 800, 600), TwoScreens), QRect(0, 0, 800, 600));
    // On a screen that is gone: onto the first, within it.
    EXPECT_EQ(PlaceWithinScreens(QRect(4000, 1200, 800, 600), TwoScreens),
              QRect(1120, 450, 800, 600));
    // Larger than the screen it was on: as large as that screen.
    EXPECT_EQ(PlaceWithinScreens(QRect(1900, 10, 1600, 1200), TwoScreens),
              QRect(1920, 0, 1280, 1000));
}

TEST(WindowPlace, WithoutScreensNothingMoves)
{
    EXPECT_EQ(PlaceWithinScreens(QRect(5, 6, 7, 8), {}), QRect(5, 6, 7, 8));
}

} // namespace
