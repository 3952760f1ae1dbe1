// What one picture shows, beyond the camera: the options of the panel, the
// selection, and the geometry the software picture and the picking share
// with the OpenGL view (which elements are drawn, their outlines in the
// order they are issued, which side faces the eye).
#pragma once

#include "modelview/camera.h"
#include "modelview/vkmmodel.h"

#include <optional>
#include <string>
#include <vector>

namespace kvl::modelview {

/// A picked node (a point of the point table) or element.
struct Selection {
    enum class Kind { Node, Element };
    Kind kind = Kind::Node;
    int index = 0;
    bool operator==(const Selection&) const = default;
};

/// What the options panel asks the views to draw: the View list's mode and
/// the boxes below it.
struct ViewOptions {
    ViewMode mode = ViewMode::Perspective;
    bool drawNodes = true;
    bool showBackFaces = false;
    /// Node point size in pixels; 0 is the designed size.
    float nodeSize = 0;
    bool operator==(const ViewOptions&) const = default;
};

struct RenderOptions {
    bool drawNodes = true;
    /// The game culls back faces, and so does the perspective picture
    /// unless this is set. The overviews never cull.
    bool showBackFaces = false;
    /// Node point size in pixels; 0 is the size the model's point size
    /// range gives (granularity x 5 + minimum).
    float nodeSize = 0;
    std::optional<Selection> selection;
};

/// The node and marker point sizes: granularity x 5 + minimum and
/// granularity x 20 + minimum.
float designedNodeSize(const PointSizeRange& sizes);
float markerSize(const PointSizeRange& sizes);
/// The node size `options` asks for.
float nodeSize(const RenderOptions& options, const PointSizeRange& sizes);

/// The polygon's vertices in the order they are issued: last stored vertex
/// first (the file stores outlines the other way round).
std::vector<Vec3> polygonOutline(const VkmModel& model, const DecodedElement& element);

/// The polygon clipped to the near plane and projected; empty when nothing
/// of it lies in front of the eye.
std::vector<ScreenPoint> projectPolygon(const ViewMatrices& v, const std::vector<Vec3>& outline);

/// True when the projected outline runs counter-clockwise as the eye sees it
/// (OpenGL's front faces). Takes window points with y pointing down.
bool isFrontFacing(const std::vector<ScreenPoint>& polygon);

/// True when the view would draw the polygon: a front face, or any face
/// where nothing is culled.
bool isPolygonShown(const ViewMatrices& v, const RenderOptions& options, const std::vector<ScreenPoint>& polygon);

/// What is under the window pixel (x, y), y down: the nearest shown node or
/// marker point, or polygon outline, within `radius` pixels; on equal
/// distance the one nearer the eye. Nothing when none is that close.
std::optional<Selection> pick(
    const VkmModel& model, const ViewMatrices& v, const RenderOptions& options, double x, double y, double radius = 5);

/// The status line for a selection: a node's index and stored coordinates,
/// an element's index, record type, vertex count and vertex indices.
std::string describeSelection(const VkmModel& model, const Selection& selection);

} // namespace kvl::modelview
