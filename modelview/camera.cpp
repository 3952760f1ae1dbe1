#include "modelview/camera.h"

#include <algorithm>
#include <cmath>

namespace kvl::modelview {

namespace {

constexpr double kPi = 3.14159265358979323846;

double& at(Mat4& a, int row, int col)
{
    return a.m[std::size_t(col * 4 + row)];
}
double at(const Mat4& a, int row, int col)
{
    return a.m[std::size_t(col * 4 + row)];
}

// The closest the eye may come to the pivot when zooming in.
constexpr double kClosest = 1.0;

} // namespace

Mat4 Mat4::translation(double x, double y, double z)
{
    Mat4 r;
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

Mat4 Mat4::rotation(double degrees, double x, double y, double z)
{
    const double len = std::sqrt(x * x + y * y + z * z);
    Mat4 r;
    if (len == 0)
        return r;
    x /= len;
    y /= len;
    z /= len;
    const double a = degrees * kPi / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1 - c;
    at(r, 0, 0) = x * x * t + c;
    at(r, 0, 1) = x * y * t - z * s;
    at(r, 0, 2) = x * z * t + y * s;
    at(r, 1, 0) = y * x * t + z * s;
    at(r, 1, 1) = y * y * t + c;
    at(r, 1, 2) = y * z * t - x * s;
    at(r, 2, 0) = z * x * t - y * s;
    at(r, 2, 1) = z * y * t + x * s;
    at(r, 2, 2) = z * z * t + c;
    return r;
}

Mat4 Mat4::perspective(double fovY, double aspect, double zNear, double zFar)
{
    // The arithmetic of gluPerspective, so that the designed picture is the
    // same whether the matrix comes from here or from GLU.
    const double radians = fovY / 2 * kPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    Mat4 r;
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return r;
    const double cotangent = std::cos(radians) / sine;
    at(r, 0, 0) = cotangent / aspect;
    at(r, 1, 1) = cotangent;
    at(r, 2, 2) = -(zFar + zNear) / deltaZ;
    at(r, 3, 2) = -1;
    at(r, 2, 3) = -2 * zNear * zFar / deltaZ;
    at(r, 3, 3) = 0;
    return r;
}

Mat4 Mat4::ortho(double left, double right, double bottom, double top, double zNear, double zFar)
{
    Mat4 r;
    at(r, 0, 0) = 2 / (right - left);
    at(r, 1, 1) = 2 / (top - bottom);
    at(r, 2, 2) = -2 / (zFar - zNear);
    at(r, 0, 3) = -(right + left) / (right - left);
    at(r, 1, 3) = -(top + bottom) / (top - bottom);
    at(r, 2, 3) = -(zFar + zNear) / (zFar - zNear);
    return r;
}

Mat4 Mat4::operator*(const Mat4& o) const
{
    Mat4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += at(*this, row, k) * at(o, k, col);
            at(r, row, col) = sum;
        }
    return r;
}

std::array<double, 4> Mat4::apply(const Vec3& p) const
{
    std::array<double, 4> r {};
    for (int row = 0; row < 4; ++row)
        r[std::size_t(row)] = at(*this, row, 0) * p.x + at(*this, row, 1) * p.y + at(*this, row, 2) * p.z
            + at(*this, row, 3);
    return r;
}

std::optional<ScreenPoint> project(const ViewMatrices& v, const Vec3& p)
{
    const std::array<double, 4> eye = v.modelView.apply(p);
    const std::array<double, 4> clip = v.projection.apply({ eye[0], eye[1], eye[2] });
    const double w = clip[3];
    if (!(w > 0) || clip[2] < -w)
        return std::nullopt;
    ScreenPoint s;
    s.x = (clip[0] / w + 1) / 2 * v.width;
    s.y = v.height - (clip[1] / w + 1) / 2 * v.height;
    s.depth = (clip[2] / w + 1) / 2;
    return s;
}

void Camera::reset()
{
    m_modelView = Mat4::translation(0, 0, -kEyeDistance);
    m_far = kFarPlane;
}

bool Camera::isDesigned() const
{
    return m_modelView == Mat4::translation(0, 0, -kEyeDistance) && m_far == kFarPlane;
}

void Camera::setExtent(const ModelSummary& summary)
{
    m_pivot = extentCentre(summary);
    m_radius = 0;
    if (summary.hasExtent) {
        double d2 = 0;
        for (int c = 0; c < 3; ++c) {
            const double d = double(summary.maximum[std::size_t(c)]) - summary.minimum[std::size_t(c)];
            d2 += d * d;
        }
        m_radius = std::sqrt(d2) / 2;
    }
}

Vec3 Camera::pivotInEye() const
{
    const std::array<double, 4> e = m_modelView.apply(m_pivot);
    return { e[0], e[1], e[2] };
}

void Camera::coverPivot()
{
    const double depth = -pivotInEye().z;
    m_far = std::max(kFarPlane, depth + 2 * m_radius + 10);
}

void Camera::orbit(double yawDegrees, double pitchDegrees)
{
    const Vec3 pe = pivotInEye();
    m_modelView = Mat4::translation(pe.x, pe.y, pe.z) * Mat4::rotation(pitchDegrees, 1, 0, 0)
        * Mat4::rotation(yawDegrees, 0, 1, 0) * Mat4::translation(-pe.x, -pe.y, -pe.z) * m_modelView;
    coverPivot();
}

void Camera::pan(double dx, double dy, int height)
{
    const double depth = std::max(kClosest, -pivotInEye().z);
    const double unitsPerPixel = 2 * depth * std::tan(kFieldOfView / 2 * kPi / 180) / std::max(1, height);
    m_modelView = Mat4::translation(dx * unitsPerPixel, -dy * unitsPerPixel, 0) * m_modelView;
    coverPivot();
}

void Camera::zoomAt(double factor, double x, double y, int width, int height)
{
    if (!(factor > 0) || width <= 0 || height <= 0)
        return;
    const double depth = -pivotInEye().z;
    if (depth <= 0)
        return;
    // Never closer than kClosest to the pivot's depth.
    factor = std::min(factor, depth / kClosest);
    const double tanHalf = std::tan(kFieldOfView / 2 * kPi / 180);
    const double aspect = double(width) / height;
    const double ndcX = 2 * x / width - 1;
    const double ndcY = 1 - 2 * y / height;
    // The point under the cursor at the pivot's depth moves straight towards
    // the eye, so it stays under the cursor.
    const Vec3 target { ndcX * tanHalf * aspect * depth, ndcY * tanHalf * depth, -depth };
    const double s = 1 - 1 / factor;
    m_modelView = Mat4::translation(-target.x * s, -target.y * s, -target.z * s) * m_modelView;
    coverPivot();
}

void Camera::fit(int width, int height)
{
    Mat4 rotation = m_modelView;
    rotation.m[12] = rotation.m[13] = rotation.m[14] = 0;
    const double aspect = (width > 0 && height > 0) ? double(width) / height : 1.0;
    const double halfY = kFieldOfView / 2 * kPi / 180;
    const double halfX = std::atan(std::tan(halfY) * aspect);
    const double radius = std::max(1.0, m_radius);
    const double distance = radius / std::sin(std::min(halfX, halfY)) * 1.05;
    m_modelView = Mat4::translation(0, 0, -distance) * rotation * Mat4::translation(-m_pivot.x, -m_pivot.y, -m_pivot.z);
    coverPivot();
}

Mat4 Camera::projection(int width, int height) const
{
    return Mat4::perspective(kFieldOfView, double(width) / double(height), kNearPlane, m_far);
}

ViewMatrices Camera::matrices(int width, int height) const
{
    return { projection(width, height), m_modelView, width, height, true };
}

Vec3 extentCentre(const ModelSummary& summary)
{
    if (!summary.hasExtent)
        return {};
    return { (double(summary.minimum[0]) + summary.maximum[0]) / 2,
        (double(summary.minimum[1]) + summary.maximum[1]) / 2, (double(summary.minimum[2]) + summary.maximum[2]) / 2 };
}

ViewMatrices viewMatrices(
    ViewMode mode, const Camera& camera, const ModelSummary& summary, int width, int height, int topReserve)
{
    if (mode == ViewMode::Perspective)
        return camera.matrices(width, height);
    const int below = std::max(1, height - std::max(0, topReserve));
    OrthoCamera cam = fitOrtho(summary, mode, width, below);
    // The fitted box fills the part below the reserve; the reserve adds to
    // its top at the same scale.
    cam.top += (cam.top - cam.bottom) / below * (height - below);
    ViewMatrices v;
    v.width = width;
    v.height = height;
    v.perspective = false;
    v.projection = Mat4::ortho(cam.left, cam.right, cam.bottom, cam.top, cam.zNear, cam.zFar);
    const Mat4 move = Mat4::translation(-cam.centre[0], -cam.centre[1], -cam.centre[2]);
    v.modelView = cam.lookDown ? Mat4::rotation(90, 1, 0, 0) * move : move;
    return v;
}

} // namespace kvl::modelview
