// The camera, the picking and the software picture, without any window.
#include "modelview/softpicture.h"
#include "modelview/testing/vkmbuilder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvl::modelview {
namespace {

using kvl::test::VkmBuilder;

constexpr double kTan = 0.41421356237309503; // tan 22.5 degrees

VkmModel modelOf(const VkmBuilder& b)
{
    Result<VkmModel> m = loadVkm(b.build(), { 1.0f, 255.0f, 0.1f });
    EXPECT_TRUE(m.ok());
    return std::move(*m);
}

ScreenPoint at(const ViewMatrices& v, Vec3 p)
{
    const auto s = project(v, p);
    EXPECT_TRUE(s.has_value());
    return s.value_or(ScreenPoint {});
}

TEST(Camera, TheDesignedCameraIsTheFixedOne)
{
    Camera cam;
    EXPECT_TRUE(cam.isDesigned());
    const ViewMatrices v = cam.matrices(400, 400);
    EXPECT_EQ(v.modelView, Mat4::translation(0, 0, -300));
    // gluPerspective(45, 1, 0.01f, 1000): cot 22.5 on the diagonal.
    EXPECT_NEAR(v.projection.m[0], 1 / kTan, 1e-12);
    EXPECT_NEAR(v.projection.m[5], 1 / kTan, 1e-12);
    EXPECT_NEAR(v.projection.m[10], -(1000 + double(0.01f)) / (1000 - double(0.01f)), 1e-12);
    EXPECT_EQ(v.projection.m[11], -1);
    EXPECT_EQ(v.projection.m[15], 0);

    // A point stored (y, z, x) = (10, 0, 0) is 16 pixels above the centre.
    const ScreenPoint p = at(v, { 0, 10, 0 });
    EXPECT_NEAR(p.x, 200, 1e-9);
    EXPECT_NEAR(200 - p.y, 10 / (300 * kTan) * 200, 1e-9);
    // Behind the eye nothing is projected.
    EXPECT_FALSE(project(v, { 0, 0, 400 }));

    // Any move leaves the designed camera; Reset brings exactly it back.
    cam.orbit(30, 10);
    cam.pan(5, 7, 400);
    cam.zoomAt(2, 100, 100, 400, 400);
    EXPECT_FALSE(cam.isDesigned());
    cam.reset();
    EXPECT_TRUE(cam.isDesigned());
    EXPECT_EQ(cam.matrices(400, 400).modelView, v.modelView);
    EXPECT_EQ(cam.matrices(400, 400).projection, v.projection);
}

TEST(Camera, OrbitTurnsAboutThePivotPanAndZoomFollowTheCursor)
{
    ModelSummary s;
    s.hasExtent = true;
    s.minimum = { 40, -10, -10 };
    s.maximum = { 60, 10, 10 };
    Camera cam;
    cam.setExtent(s);
    const Vec3 pivot { 50, 0, 0 };

    // The pivot stays where it is while the model turns about it: a
    // quarter turn to the right takes the point right of it straight back.
    const ScreenPoint before = at(cam.matrices(400, 400), pivot);
    cam.orbit(90, 0);
    const ViewMatrices turned = cam.matrices(400, 400);
    EXPECT_NEAR(at(turned, pivot).x, before.x, 1e-6);
    EXPECT_NEAR(at(turned, pivot).y, before.y, 1e-6);
    const std::array<double, 4> eye = turned.modelView.apply({ 60, 0, 0 });
    EXPECT_NEAR(eye[0], 50, 1e-9);
    EXPECT_NEAR(eye[1], 0, 1e-9);
    EXPECT_NEAR(eye[2], -310, 1e-9);
    cam.orbit(-90, 90); // back, then tip the top towards the eye
    const std::array<double, 4> top = cam.modelView().apply({ 50, 10, 0 });
    EXPECT_NEAR(top[1], 0, 1e-9);
    EXPECT_NEAR(top[2], -290, 1e-9);
    cam.orbit(0, -90);

    // Panning moves the pivot by the pixels dragged.
    cam.pan(50, -20, 400);
    const ScreenPoint panned = at(cam.matrices(400, 400), pivot);
    EXPECT_NEAR(panned.x, before.x + 50, 1e-6);
    EXPECT_NEAR(panned.y, before.y - 20, 1e-6);

    // Zooming at a cursor keeps the point under it (at the pivot's depth).
    cam.reset();
    const double depth = 300;
    const Vec3 under { 0.5 * kTan * depth, 0.4 * kTan * depth, 0 };
    const ScreenPoint cursor = at(cam.matrices(400, 400), under);
    EXPECT_NEAR(cursor.x, 300, 1e-9);
    EXPECT_NEAR(cursor.y, 120, 1e-9);
    cam.zoomAt(2, 300, 120, 400, 400);
    const ViewMatrices zoomed = cam.matrices(400, 400);
    EXPECT_NEAR(at(zoomed, under).x, 300, 1e-6);
    EXPECT_NEAR(at(zoomed, under).y, 120, 1e-6);
    // Twice as close: the centre is twice as far from the cursor.
    const ScreenPoint centre = at(zoomed, { 0, 0, 0 });
    EXPECT_NEAR(centre.x, 300 - 2 * 100, 1e-6);
    // Zooming in never passes the pivot.
    for (int i = 0; i < 50; ++i)
        cam.zoomAt(4, 200, 200, 400, 400);
    EXPECT_TRUE(project(cam.matrices(400, 400), pivot));
}

TEST(Camera, FitFramesTheWholeModelAndTheFarPlaneFollows)
{
    ModelSummary s;
    s.hasExtent = true;
    s.minimum = { -3000, -500, -800 };
    s.maximum = { 3000, 500, 800 };
    Camera cam;
    cam.setExtent(s);
    cam.orbit(25, -15);
    cam.fit(640, 480);
    const ViewMatrices v = cam.matrices(640, 480);
    for (int i = 0; i < 8; ++i) {
        const Vec3 corner { i & 1 ? 3000.0 : -3000.0, i & 2 ? 500.0 : -500.0, i & 4 ? 800.0 : -800.0 };
        const ScreenPoint p = at(v, corner);
        EXPECT_GE(p.x, 0);
        EXPECT_LE(p.x, 640);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.y, 480);
        EXPECT_LT(p.depth, 1) << "not beyond the far plane";
    }
}

TEST(Picking, AClickOnAPointOrOutlinePicksItCulledOrHiddenOnesAreNot)
{
    VkmBuilder b;
    b.point(-50, -50, 0);                        // 0
    b.point(0, 50, 0);                           // 1
    b.point(50, -50, 0);                         // 2
    b.point(80, 80, 0);                          // 3
    b.element(VkmBuilder::polygon({ 0, 1, 2 })); // clockwise as seen: drawn
    b.element(VkmBuilder::polygon({ 0, 2, 1 })); // counter-clockwise: culled
    b.element(VkmBuilder::marker(3));
    const VkmModel model = modelOf(b);
    const ViewMatrices v = Camera().matrices(400, 400);
    RenderOptions options;

    // A node: the pixel it projects to picks it.
    const ScreenPoint p1 = at(v, { 0, 50, 0 });
    auto picked = pick(model, v, options, p1.x + 1, p1.y);
    ASSERT_TRUE(picked);
    EXPECT_EQ(*picked, (Selection { Selection::Kind::Node, 1 }));
    EXPECT_EQ(describeSelection(model, *picked), "Node 1: y 50, z 0, x 0");

    // The middle of the bottom edge picks the drawn polygon, not the culled one.
    const ScreenPoint a = at(v, { -50, -50, 0 }), c = at(v, { 50, -50, 0 });
    picked = pick(model, v, options, (a.x + c.x) / 2, (a.y + c.y) / 2 + 2);
    ASSERT_TRUE(picked);
    EXPECT_EQ(*picked, (Selection { Selection::Kind::Element, 0 }));
    EXPECT_EQ(describeSelection(model, *picked), "Element 0: type 3, 3 vertices: 0 1 2");
    options.showBackFaces = true;
    picked = pick(model, v, options, (a.x + c.x) / 2, (a.y + c.y) / 2 + 2);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->kind, Selection::Kind::Element); // either outline now
    options.showBackFaces = false;

    // The marker sits on node 3: with the nodes hidden the marker is picked.
    const ScreenPoint m = at(v, { 80, 80, 0 });
    EXPECT_EQ(pick(model, v, options, m.x, m.y)->kind, Selection::Kind::Node);
    options.drawNodes = false;
    picked = pick(model, v, options, m.x, m.y);
    ASSERT_TRUE(picked);
    EXPECT_EQ(*picked, (Selection { Selection::Kind::Element, 2 }));
    EXPECT_EQ(describeSelection(model, *picked), "Element 2: type 2, 1 vertex: 3");
    EXPECT_FALSE(pick(model, v, options, p1.x, p1.y - 40));
}

TEST(SoftwarePicture, DrawsWhatTheDesignedViewDraws)
{
    // No model: black.
    const Picture empty = renderPicture(nullptr, ViewMode::Perspective, Camera(), {}, 64, 48);
    EXPECT_EQ(empty.pixels, std::vector<std::uint32_t>(64 * 48, kBlack));

    VkmBuilder b;
    b.point(0, 10, 0);
    b.point(-50, -50, 0);
    b.point(50, -50, 0);
    b.point(0, 50, 0);
    b.element(VkmBuilder::polygon({ 1, 2, 3 })); // counter-clockwise: culled
    const VkmModel model = modelOf(b);
    auto count = [](const Picture& p, std::uint32_t colour) {
        return std::count(p.pixels.begin(), p.pixels.end(), colour);
    };
    RenderOptions options;
    Picture p = renderPicture(&model, ViewMode::Perspective, Camera(), options, 400, 400);
    EXPECT_EQ(p.at(200, 183), kNodeColour); // 16 pixels above the centre
    EXPECT_EQ(count(p, kOutlineColour), 0);
    EXPECT_GT(count(p, kNodeColour), 3);

    options.showBackFaces = true;
    p = renderPicture(&model, ViewMode::Perspective, Camera(), options, 400, 400);
    EXPECT_GT(count(p, kOutlineColour), 150);
    options.drawNodes = false;
    p = renderPicture(&model, ViewMode::Perspective, Camera(), options, 400, 400);
    EXPECT_EQ(count(p, kNodeColour), 0);

    // The selection is drawn over the rest in its own colour.
    options.selection = Selection { Selection::Kind::Element, 0 };
    p = renderPicture(&model, ViewMode::Perspective, Camera(), options, 400, 400);
    EXPECT_GT(count(p, kSelectionColour), 150);

    // "Size": the bounding box stays below the room kept for the figures.
    p = renderPicture(&model, ViewMode::Size, Camera(), {}, 400, 300, 80);
    EXPECT_GT(count(p, kExtentColour), 200);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 400; ++x)
            ASSERT_EQ(p.at(x, y), kBlack) << x << "," << y;
}

} // namespace
} // namespace kvl::modelview
