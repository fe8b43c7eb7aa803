// The main frame's stored placement fitted to the screens, whatever the INI
// file says.
#include <gtest/gtest.h>

#include "platform/IniFiles.h"

namespace tko {
namespace {

FramePlacement placed(int x, int y, int width, int height) {
    FramePlacement p;
    p.x = x;
    p.y = y;
    p.width = width;
    p.height = height;
    return p;
}

TEST(PlacementTest, HugeOrOffScreenGeometryIsBroughtOntoAScreen) {
    const std::vector<QRect> one{QRect(0, 0, 1920, 1050)};
    FramePlacement p = fitPlacement(placed(10, 10, 999999999, 999999999), one);
    EXPECT_EQ(p.width, 1920);
    EXPECT_EQ(p.height, 1050);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);

    p = fitPlacement(placed(-50000, 90000, 800, 600), one);
    EXPECT_EQ(p.width, 800);
    EXPECT_EQ(p.height, 600);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 1050 - 600);

    // Extremes of int do not overflow.
    p = fitPlacement(placed(2147483647, -2147483647 - 1, 2147483647, 2147483647), one);
    EXPECT_TRUE(QRect(0, 0, 1920, 1050).contains(QRect(p.x, p.y, p.width, p.height)));
}

TEST(PlacementTest, AFrameThatFitsStaysWhereItWasOnTheScreenItMostlyCovers) {
    const std::vector<QRect> two{QRect(0, 0, 1920, 1050), QRect(1920, -200, 1280, 1000)};
    FramePlacement p = fitPlacement(placed(100, 80, 1000, 700), two);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 80);
    EXPECT_EQ(p.width, 1000);

    // Mostly on the second (smaller) screen: fitted to that one.
    p = fitPlacement(placed(1800, -100, 2000, 700), two);
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.x, 1920);
    EXPECT_EQ(p.y, -100);

    // On no screen at all: the first screen takes it.
    p = fitPlacement(placed(9000, 9000, 400, 300), two);
    EXPECT_EQ(p.x, 1920 - 400);
    EXPECT_EQ(p.y, 1050 - 300);

    // Without screens (no display) nothing is changed.
    p = fitPlacement(placed(9000, 9000, 400, 300), {});
    EXPECT_EQ(p.x, 9000);
}

// A size that is not positive (a hand-edited file) is the frame's own size,
// and the frame is fitted with it: never pushed below the screen's bottom.
TEST(PlacementTest, ASizeThatIsNotPositiveIsTheFramesOwn) {
    const std::vector<QRect> one{QRect(0, 0, 1920, 1050)};
    for (const auto& [w, h] : {std::pair{800, -600}, std::pair{-1, 600}, std::pair{0, 0}}) {
        const FramePlacement p = fitPlacement(placed(100, 5000, w, h), one, QSize(1000, 700));
        EXPECT_EQ(p.width, w > 0 ? w : 1000);
        EXPECT_EQ(p.height, h > 0 ? h : 700);
        EXPECT_TRUE(QRect(0, 0, 1920, 1050).contains(QRect(p.x, p.y, p.width, p.height)))
            << p.x << "," << p.y << " " << p.width << "x" << p.height;
    }
}

// Stored at closing and placed back at the next start (move() places the
// outer frame, resize() sizes the client): the client lands where it was, so
// the frame does not creep down by its title bar at every start.
TEST(PlacementTest, StoredAndPlacedBackTheFrameStaysWhereItWas) {
    const QMargins edges(4, 28, 4, 4);  // title bar and borders
    QRect client(304, 228, 1000, 700);
    for (int start = 0; start < 3; ++start) {
        const FramePlacement p = placementToStore(client, edges);
        EXPECT_EQ(QPoint(p.x, p.y), QPoint(300, 200));
        // What move(p.x, p.y) and resize(p.width, p.height) give.
        client = QRect(QPoint(p.x + edges.left(), p.y + edges.top()), QSize(p.width, p.height));
    }
    EXPECT_EQ(client, QRect(304, 228, 1000, 700));
}

}  // namespace
}  // namespace tko
