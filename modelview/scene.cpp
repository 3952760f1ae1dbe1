#include "modelview/scene.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvl::modelview {

namespace {

struct Clip {
    double x, y, z, w;
};

Clip toClip(const ViewMatrices& v, const Vec3& p)
{
    const std::array<double, 4> e = v.modelView.apply(p);
    const std::array<double, 4> c = v.projection.apply({ e[0], e[1], e[2] });
    return { c[0], c[1], c[2], c[3] };
}

ScreenPoint toScreen(const ViewMatrices& v, const Clip& c)
{
    return { (c.x / c.w + 1) / 2 * v.width, v.height - (c.y / c.w + 1) / 2 * v.height, (c.z / c.w + 1) / 2 };
}

// Distance from (x, y) to the segment a-b, and the depth at the closest point.
double segmentDistance(const ScreenPoint& a, const ScreenPoint& b, double x, double y, double& depth)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double px = a.x + t * dx, py = a.y + t * dy;
    depth = a.depth + t * (b.depth - a.depth);
    return std::hypot(px - x, py - y);
}

} // namespace

float designedNodeSize(const PointSizeRange& sizes)
{
    return sizes.granularity * 5.0f + sizes.minimum;
}

float markerSize(const PointSizeRange& sizes)
{
    return sizes.granularity * 20.0f + sizes.minimum;
}

float nodeSize(const RenderOptions& options, const PointSizeRange& sizes)
{
    return options.nodeSize > 0 ? options.nodeSize : designedNodeSize(sizes);
}

std::vector<Vec3> polygonOutline(const VkmModel& model, const DecodedElement& element)
{
    std::vector<Vec3> outline;
    outline.reserve(element.count);
    for (int k = element.count - 1; k >= 0; --k)
        outline.push_back(drawingPosition(model.point(element.indices[std::size_t(k)])));
    return outline;
}

std::vector<ScreenPoint> projectPolygon(const ViewMatrices& v, const std::vector<Vec3>& outline)
{
    // Sutherland-Hodgman against the near plane (z >= -w in clip space); the
    // other planes only cut what lies outside the window anyway.
    std::vector<Clip> in;
    in.reserve(outline.size());
    for (const Vec3& p : outline)
        in.push_back(toClip(v, p));
    std::vector<ScreenPoint> out;
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Clip& a = in[i];
        const Clip& b = in[(i + 1) % n];
        const double da = a.z + a.w, db = b.z + b.w;
        if (da >= 0 && a.w > 0)
            out.push_back(toScreen(v, a));
        if ((da >= 0) != (db >= 0) && n > 1) {
            const double t = da / (da - db);
            const Clip c { a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z), a.w + t * (b.w - a.w) };
            if (c.w > 0)
                out.push_back(toScreen(v, c));
        }
    }
    return out;
}

bool isFrontFacing(const std::vector<ScreenPoint>& polygon)
{
    double area = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const ScreenPoint& a = polygon[i];
        const ScreenPoint& b = polygon[(i + 1) % polygon.size()];
        area += a.x * b.y - b.x * a.y;
    }
    // With y pointing down a counter-clockwise turn has a negative area.
    return area < 0;
}

bool isPolygonShown(const ViewMatrices& v, const RenderOptions& options, const std::vector<ScreenPoint>& polygon)
{
    if (polygon.empty())
        return false;
    return !v.perspective || options.showBackFaces || isFrontFacing(polygon);
}

std::optional<Selection> pick(
    const VkmModel& model, const ViewMatrices& v, const RenderOptions& options, double x, double y, double radius)
{
    std::optional<Selection> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    double bestDepth = std::numeric_limits<double>::infinity();
    auto consider = [&](Selection s, double distance, double depth) {
        if (distance > radius || depth < 0 || depth > 1)
            return;
        if (distance < bestDistance || (distance == bestDistance && depth < bestDepth)) {
            best = s;
            bestDistance = distance;
            bestDepth = depth;
        }
    };
    // Points are small targets: their size counts towards the distance.
    if (options.drawNodes) {
        const double half = nodeSize(options, model.pointSizes()) / 2;
        for (int i = 0; i < model.pointCount(); ++i)
            if (const auto s = project(v, drawingPosition(model.point(i))))
                consider({ Selection::Kind::Node, i }, std::max(0.0, std::hypot(s->x - x, s->y - y) - half), s->depth);
    }
    const auto& elements = model.elements();
    for (std::size_t j = 0; j < elements.size(); ++j) {
        const DecodedElement& e = elements[j];
        const Selection s { Selection::Kind::Element, int(j) };
        if (e.type == kTypeMarker) {
            if (const auto p = project(v, drawingPosition(model.point(e.indices[0]))))
                consider(
                    s, std::max(0.0, std::hypot(p->x - x, p->y - y) - markerSize(model.pointSizes()) / 2), p->depth);
        } else if (isPolygonType(e.type)) {
            const std::vector<ScreenPoint> poly = projectPolygon(v, polygonOutline(model, e));
            if (!isPolygonShown(v, options, poly))
                continue;
            for (std::size_t k = 0; k < poly.size(); ++k) {
                double depth = 0;
                const double d = segmentDistance(poly[k], poly[(k + 1) % poly.size()], x, y, depth);
                consider(s, d, depth);
            }
        }
    }
    return best;
}

std::string describeSelection(const VkmModel& model, const Selection& selection)
{
    std::string text;
    if (selection.kind == Selection::Kind::Node) {
        if (selection.index < 0 || selection.index >= model.pointCount())
            return text;
        const VkmPoint p = model.point(selection.index);
        text = "Node " + std::to_string(selection.index) + ": y " + std::to_string(p.y) + ", z " + std::to_string(p.z)
            + ", x " + std::to_string(p.x);
        return text;
    }
    if (selection.index < 0 || std::size_t(selection.index) >= model.elements().size())
        return text;
    const DecodedElement& e = model.elements()[std::size_t(selection.index)];
    const int count = e.type == kTypeMarker ? 1 : e.count;
    text = "Element " + std::to_string(selection.index) + ": type " + std::to_string(e.type) + ", "
        + std::to_string(count) + (count == 1 ? " vertex:" : " vertices:");
    for (int k = 0; k < count; ++k)
        text += " " + std::to_string(e.indices[std::size_t(k)]);
    return text;
}

} // namespace kvl::modelview
