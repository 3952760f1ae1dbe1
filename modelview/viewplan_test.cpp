#include "modelview/testing/vkmbuilder.h"
#include "modelview/viewplan.h"

#include <gtest/gtest.h>

namespace kvl::modelview {
namespace {

ModelSummary box(std::array<float, 3> lo, std::array<float, 3> hi)
{
    ModelSummary s;
    s.hasExtent = true;
    s.minimum = lo;
    s.maximum = hi;
    return s;
}

TEST(ViewPlan, ModesFollowTheListOrder)
{
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(viewModeFromIndex(i));
        EXPECT_EQ(int(*viewModeFromIndex(i)), i);
    }
    EXPECT_STREQ(kViewEntries[2], "Size");
    EXPECT_FALSE(viewModeFromIndex(-1));
    EXPECT_FALSE(viewModeFromIndex(4));
}

TEST(ViewPlan, FrontAndTopFitTheExtentWithTheViewportAspect)
{
    const ModelSummary s = box({ -1000, 0, -50 }, { 1000, 200, 350 });
    const OrthoCamera front = fitOrtho(s, ViewMode::Front, 800, 400);
    EXPECT_FALSE(front.lookDown);
    EXPECT_FLOAT_EQ(front.centre[0], 0);
    EXPECT_FLOAT_EQ(front.centre[1], 100);
    EXPECT_FLOAT_EQ(front.centre[2], 150);
    EXPECT_GE(front.right, 1000);
    EXPECT_LE(front.right, 1200);
    EXPECT_GE(front.top, 100);
    EXPECT_NEAR((front.right - front.left) / (front.top - front.bottom), 2.0, 1e-9);
    EXPECT_LE(front.zNear, -200); // the whole depth (z) is inside
    EXPECT_GE(front.zFar, 200);

    // Top looks down: z is across the screen's height, y is the depth.
    const OrthoCamera top = fitOrtho(s, ViewMode::Top, 400, 800);
    EXPECT_TRUE(top.lookDown);
    EXPECT_GE(top.top, 200);
    EXPECT_GE(top.right, 1000);
    EXPECT_NEAR((top.right - top.left) / (top.top - top.bottom), 0.5, 1e-9);
    EXPECT_LE(top.zNear, -100);
    EXPECT_GE(top.zFar, 100);
}

TEST(ViewPlan, DegenerateModelsStillGetABox)
{
    const OrthoCamera none = fitOrtho(ModelSummary {}, ViewMode::Front, 0, 0);
    EXPECT_LT(none.left, none.right);
    EXPECT_LT(none.bottom, none.top);
    const OrthoCamera dot = fitOrtho(box({ 5, 5, 5 }, { 5, 5, 5 }), ViewMode::Top, 100, 100);
    EXPECT_LT(dot.left, dot.right);
    EXPECT_LT(dot.zNear, dot.zFar);
}

TEST(ViewPlan, SizeReportNamesCountsAndExtent)
{
    ModelSummary s = box({ -10, 0, 2 }, { 30, 5, 2 });
    s.points = 12;
    s.elements = 7;
    s.polygons = 5;
    s.markers = 2;
    const auto lines = sizeReport(s);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Points: 12");
    EXPECT_EQ(lines[1], "Elements: 7 (polygons 5, markers 2, lines 0, empty 0, other 0)");
    EXPECT_EQ(lines[2], "x (across): -10 to 30, size 40");
    EXPECT_EQ(lines[4], "z (depth): 2 to 2, size 0");
    EXPECT_EQ(sizeReport(ModelSummary {}).back(), "Extent: no points");
}

} // namespace
} // namespace kvl::modelview
