#include "modelview/softpicture.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvl::modelview {

namespace {

class Rasteriser {
public:
    Rasteriser(int width, int height) : m_depth(std::size_t(width) * std::size_t(height), 1.0)
    {
        m_picture.width = width;
        m_picture.height = height;
        m_picture.pixels.assign(std::size_t(width) * std::size_t(height), kBlack);
    }

    void setDepthTest(bool on) { m_depthTest = on; }

    void plot(int x, int y, double depth, std::uint32_t colour)
    {
        if (x < 0 || y < 0 || x >= m_picture.width || y >= m_picture.height || depth < 0 || depth > 1)
            return;
        const std::size_t i = std::size_t(y) * std::size_t(m_picture.width) + std::size_t(x);
        if (m_depthTest) {
            if (!(depth <= m_depth[i]))
                return;
            m_depth[i] = depth;
        }
        m_picture.pixels[i] = colour;
    }

    // A smooth point: every pixel whose centre lies within the disc of the
    // point's size, and at least the pixel under its centre.
    void point(const ScreenPoint& p, float size, std::uint32_t colour)
    {
        const double r = std::max(0.5, double(size) / 2);
        const int x0 = int(std::floor(p.x - r)), x1 = int(std::ceil(p.x + r));
        const int y0 = int(std::floor(p.y - r)), y1 = int(std::ceil(p.y + r));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (std::hypot(x + 0.5 - p.x, y + 0.5 - p.y) <= r)
                    plot(x, y, p.depth, colour);
    }

    // One pixel per column (or row) of the major axis, sampled at its centre,
    // the end point left out as OpenGL leaves it out.
    void line(const ScreenPoint& a, const ScreenPoint& b, std::uint32_t colour)
    {
        const double dx = b.x - a.x, dy = b.y - a.y;
        if (std::abs(dx) >= std::abs(dy)) {
            if (dx == 0)
                return;
            const double from = std::min(a.x, b.x), to = std::max(a.x, b.x);
            const int first = std::max(int(std::ceil(from - 0.5)), -1);
            const int last = std::min(int(std::ceil(to - 0.5)) - 1, m_picture.width);
            for (int x = first; x <= last; ++x) {
                const double t = (x + 0.5 - a.x) / dx;
                plot(x, int(std::floor(a.y + t * dy)), a.depth + t * (b.depth - a.depth), colour);
            }
        } else {
            const double from = std::min(a.y, b.y), to = std::max(a.y, b.y);
            const int first = std::max(int(std::ceil(from - 0.5)), -1);
            const int last = std::min(int(std::ceil(to - 0.5)) - 1, m_picture.height);
            for (int y = first; y <= last; ++y) {
                const double t = (y + 0.5 - a.y) / dy;
                plot(int(std::floor(a.x + t * dx)), y, a.depth + t * (b.depth - a.depth), colour);
            }
        }
    }

    void outline(const std::vector<ScreenPoint>& polygon, std::uint32_t colour)
    {
        for (std::size_t k = 0; k < polygon.size(); ++k)
            line(polygon[k], polygon[(k + 1) % polygon.size()], colour);
    }

    Picture take() { return std::move(m_picture); }

private:
    Picture m_picture;
    std::vector<double> m_depth;
    bool m_depthTest = true;
};

} // namespace

Picture renderPicture(const VkmModel* model, ViewMode mode, const Camera& camera, const RenderOptions& options,
    int width, int height, int topReserve)
{
    width = std::max(1, width);
    height = std::max(1, height);
    Rasteriser r(width, height);
    if (!model)
        return r.take();
    const ModelSummary summary = summarize(*model);
    const ViewMatrices v = viewMatrices(mode, camera, summary, width, height, topReserve);
    const PointSizeRange& sizes = model->pointSizes();

    const float nodes = nodeSize(options, sizes);
    if (options.drawNodes)
        for (int i = 0; i < model->pointCount(); ++i)
            if (const auto p = project(v, drawingPosition(model->point(i))))
                r.point(*p, nodes, kNodeColour);

    for (const DecodedElement& e : model->elements()) {
        if (isPolygonType(e.type)) {
            const std::vector<ScreenPoint> poly = projectPolygon(v, polygonOutline(*model, e));
            if (isPolygonShown(v, options, poly))
                r.outline(poly, kOutlineColour);
        } else if (e.type == kTypeMarker) {
            if (const auto p = project(v, drawingPosition(model->point(e.indices[0]))))
                r.point(*p, markerSize(sizes), kMarkerColour);
        }
    }

    if (mode == ViewMode::Size && summary.hasExtent) {
        const auto& lo = summary.minimum;
        const auto& hi = summary.maximum;
        const double z = hi[2];
        std::vector<ScreenPoint> box = projectPolygon(
            v, { { lo[0], lo[1], z }, { hi[0], lo[1], z }, { hi[0], hi[1], z }, { lo[0], hi[1], z } });
        r.outline(box, kExtentColour);
    }

    // The selection is drawn over everything, hidden or not.
    if (options.selection) {
        r.setDepthTest(false);
        const Selection& s = *options.selection;
        if (s.kind == Selection::Kind::Node && s.index >= 0 && s.index < model->pointCount()) {
            if (const auto p = project(v, drawingPosition(model->point(s.index))))
                r.point(*p, nodes + 4, kSelectionColour);
        } else if (s.kind == Selection::Kind::Element && s.index >= 0
            && std::size_t(s.index) < model->elements().size()) {
            const DecodedElement& e = model->elements()[std::size_t(s.index)];
            if (isPolygonType(e.type))
                r.outline(projectPolygon(v, polygonOutline(*model, e)), kSelectionColour);
            else if (e.type == kTypeMarker)
                if (const auto p = project(v, drawingPosition(model->point(e.indices[0]))))
                    r.point(*p, markerSize(sizes) + 4, kSelectionColour);
        }
    }
    return r.take();
}

} // namespace kvl::modelview
