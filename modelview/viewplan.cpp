#include "modelview/viewplan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kvl::modelview {

std::optional<ViewMode> viewModeFromIndex(int index)
{
    if (index < 0 || index > 3)
        return std::nullopt;
    return static_cast<ViewMode>(index);
}

OrthoCamera fitOrtho(const ModelSummary& summary, ViewMode mode, int width, int height)
{
    OrthoCamera cam;
    cam.lookDown = mode == ViewMode::Top;
    std::array<float, 3> lo { -1, -1, -1 };
    std::array<float, 3> hi { 1, 1, 1 };
    if (summary.hasExtent) {
        lo = summary.minimum;
        hi = summary.maximum;
    }
    for (int c = 0; c < 3; ++c)
        cam.centre[c] = (lo[c] + hi[c]) / 2;

    // Screen axes: Front shows x across and y up; Top shows x across and z
    // (far side up) - either way z or y is the depth.
    const int up = cam.lookDown ? 2 : 1;
    const int depth = cam.lookDown ? 1 : 2;
    double halfW = std::max(1.0, (double(hi[0]) - lo[0]) / 2) * 1.1;
    double halfH = std::max(1.0, (double(hi[up]) - lo[up]) / 2) * 1.1;
    const double aspect = (width > 0 && height > 0) ? double(width) / height : 1.0;
    if (halfW / halfH < aspect)
        halfW = halfH * aspect;
    else
        halfH = halfW / aspect;
    const double halfD = std::max(1.0, (double(hi[depth]) - lo[depth]) / 2) + 1.0;
    cam.left = -halfW;
    cam.right = halfW;
    cam.bottom = -halfH;
    cam.top = halfH;
    cam.zNear = -halfD;
    cam.zFar = halfD;
    return cam;
}

std::vector<std::string> sizeReport(const ModelSummary& s)
{
    std::vector<std::string> lines;
    char buf[160];
    std::snprintf(buf, sizeof buf, "Points: %d", s.points);
    lines.emplace_back(buf);
    std::snprintf(buf, sizeof buf, "Elements: %d (polygons %d, markers %d, lines %d, empty %d, other %d)", s.elements,
        s.polygons, s.markers, s.lines, s.empty, s.other);
    lines.emplace_back(buf);
    if (!s.hasExtent) {
        lines.emplace_back("Extent: no points");
        return lines;
    }
    const char* axis[3] = { "x (across)", "y (up)", "z (depth)" };
    for (int c = 0; c < 3; ++c) {
        std::snprintf(buf, sizeof buf, "%s: %g to %g, size %g", axis[c], double(s.minimum[c]), double(s.maximum[c]),
            double(s.maximum[c]) - s.minimum[c]);
        lines.emplace_back(buf);
    }
    return lines;
}

} // namespace kvl::modelview
