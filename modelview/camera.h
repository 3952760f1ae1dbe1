// The viewer's camera as plain numbers: the projection and model-view
// matrices every view applies (OpenGL loads them, the software picture and
// the picking use them directly), and the moves the mouse and keys make.
//
// Matrices are column-major like OpenGL's: element (row r, column c) is at
// m[c * 4 + r]. A model point is first placed at its drawing position (a
// stored (y, z, x) is drawn at (x, y, z)), then multiplied by the model-view
// and the projection matrix, divided by w and mapped to the viewport with
// y pointing up, exactly as the fixed-function pipeline does.
#pragma once

#include "modelview/viewplan.h"
#include "modelview/vkmmodel.h"

#include <array>
#include <optional>

namespace kvl::modelview {

/// The fixed camera a file opens with: 45 degrees vertical field of view,
/// near plane 0.01 (as the single-precision value it has always been), far
/// plane 1000, the model 300 units in front of the eye.
inline constexpr double kFieldOfView = 45.0;
inline constexpr float kNearPlane = 0.01f;
inline constexpr double kFarPlane = 1000.0;
inline constexpr double kEyeDistance = 300.0;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

struct Mat4 {
    std::array<double, 16> m { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };

    static Mat4 translation(double x, double y, double z);
    /// Rotation by `degrees` about the axis (x, y, z), as glRotate.
    static Mat4 rotation(double degrees, double x, double y, double z);
    /// The matrix gluPerspective multiplies by (same arithmetic).
    static Mat4 perspective(double fovY, double aspect, double zNear, double zFar);
    static Mat4 ortho(double left, double right, double bottom, double top, double zNear, double zFar);

    Mat4 operator*(const Mat4& o) const;
    /// The point (w = 1) transformed, with its w.
    std::array<double, 4> apply(const Vec3& p) const;
    bool operator==(const Mat4&) const = default;
};

/// A point as drawn: stored (y, z, x) becomes (x, y, z).
inline Vec3 drawingPosition(const VkmPoint& p)
{
    return { double(p.x), double(p.y), double(p.z) };
}

/// The two matrices of one picture, the viewport they map to and whether
/// back faces are culled (the perspective picture culls them).
struct ViewMatrices {
    Mat4 projection;
    Mat4 modelView;
    int width = 1;
    int height = 1;
    bool perspective = true;
};

/// A point in window pixels: x from the left, y from the top (as a widget
/// or image counts), depth 0 (near) to 1 (far).
struct ScreenPoint {
    double x = 0, y = 0, depth = 0;
};

/// Projects `p` through `v`. Nothing when it lies behind the near plane.
std::optional<ScreenPoint> project(const ViewMatrices& v, const Vec3& p);

/// The turning, panning and zooming perspective camera. Rotations happen in
/// eye space about the pivot (the model's centre), so a drag always turns
/// the model the way the mouse goes, whatever the camera has done before.
class Camera {
public:
    Camera() { reset(); }

    /// The designed camera: identity moved 300 units away, far plane 1000.
    void reset();
    bool isDesigned() const;

    /// The model the camera looks at: orbits turn about the centre of its
    /// extent, and the far plane grows with it when the camera moves out.
    void setExtent(const ModelSummary& summary);
    const Vec3& pivot() const { return m_pivot; }

    /// Turns the model by `yawDegrees` about the screen's vertical axis and
    /// `pitchDegrees` about its horizontal axis.
    void orbit(double yawDegrees, double pitchDegrees);
    /// Moves the picture by (dx, dy) window pixels (y down) in a viewport of
    /// `height` pixels, measured at the pivot's depth.
    void pan(double dx, double dy, int height);
    /// Moves the eye towards (factor > 1) or away from (factor < 1) the point
    /// under the window pixel (x, y), keeping that point under the cursor.
    void zoomAt(double factor, double x, double y, int width, int height);
    /// Keeps the current orientation and frames the whole extent.
    void fit(int width, int height);

    const Mat4& modelView() const { return m_modelView; }
    double farPlane() const { return m_far; }
    /// The projection for a viewport of width x height.
    Mat4 projection(int width, int height) const;
    ViewMatrices matrices(int width, int height) const;

private:
    /// Where the pivot is in eye space.
    Vec3 pivotInEye() const;
    /// Keeps the far plane beyond the pivot so that moving out never clips
    /// the model away (the designed camera keeps 1000).
    void coverPivot();

    Mat4 m_modelView;
    Vec3 m_pivot;
    double m_far = kFarPlane;
    double m_radius = 0; // half the model's diagonal, for the far plane
};

/// The matrices of one View list entry: the camera for "Perspective", the
/// fitted overviews for the others. `topReserve` pixels at the top are kept
/// free of the model (the "Size" figures are written there).
ViewMatrices viewMatrices(
    ViewMode mode, const Camera& camera, const ModelSummary& summary, int width, int height, int topReserve = 0);

/// Centre of the model's extent (the origin when it has no points).
Vec3 extentCentre(const ModelSummary& summary);

} // namespace kvl::modelview
