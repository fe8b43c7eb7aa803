// Where a list window opens on the main frame.
#include <gtest/gtest.h>

#include "platform/WindowPlacement.h"

using tko::centredPlacement;

namespace {
// A frame's working area below its menu and toolbar, on a 1920x1080 screen.
const QRect kArea(100, 160, 1000, 600);
const QRect kScreen(0, 0, 1920, 1080);
}  // namespace

TEST(WindowPlacement, ASmallWindowIsCentredOnTheWorkingArea) {
    EXPECT_EQ(centredPlacement(kArea, QSize(400, 200), kScreen), QPoint(400, 360));
    EXPECT_EQ(centredPlacement(kArea, QSize(1000, 600), kScreen), QPoint(100, 160));
}

TEST(WindowPlacement, ATallWindowNeverCoversTheMenuAndToolbar) {
    // Taller than the area: it starts at the area's top and runs down.
    EXPECT_EQ(centredPlacement(kArea, QSize(400, 800), kScreen), QPoint(400, 160));
    // Wider than the area: it starts at the area's left edge.
    EXPECT_EQ(centredPlacement(kArea, QSize(1200, 200), kScreen), QPoint(100, 360));
}

TEST(WindowPlacement, TheScreenBoundsWinOverTheArea) {
    // A frame low on the screen: the window is lifted to stay on it.
    const QRect low(100, 900, 1000, 150);
    EXPECT_EQ(centredPlacement(low, QSize(400, 300), kScreen), QPoint(400, 780));
    // A window larger than the screen keeps its top-left corner on it.
    EXPECT_EQ(centredPlacement(kArea, QSize(2500, 1500), kScreen), QPoint(0, 0));
    // A frame partly off the left of a second screen.
    const QRect second(1920, 0, 1280, 1024);
    EXPECT_EQ(centredPlacement(QRect(1700, 100, 400, 400), QSize(600, 300), second),
              QPoint(1920, 150));
    // No screen known: centred on the area alone.
    EXPECT_EQ(centredPlacement(QRect(-200, 0, 400, 400), QSize(600, 100), QRect()),
              QPoint(-200, 150));
}
