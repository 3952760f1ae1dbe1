// The picture drawn without OpenGL: the same matrices, colours, culling and
// sizes as the OpenGL view, rasterised into plain memory. It is what
// --export-png writes and what the window shows where OpenGL cannot be set
// up. Lines follow OpenGL's rule (one pixel per step of the major axis,
// sampled at pixel centres), points are discs of the point size, and a
// depth buffer with "less or equal" decides what is hidden.
#pragma once

#include "modelview/scene.h"

#include <cstdint>
#include <vector>

namespace kvl::modelview {

/// Colours as 0xAARRGGBB (opaque), row by row from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

inline constexpr std::uint32_t kBlack = 0xff000000;
inline constexpr std::uint32_t kNodeColour = 0xffff0000;
inline constexpr std::uint32_t kOutlineColour = 0xffffffff;
inline constexpr std::uint32_t kMarkerColour = 0xff0000ff;
inline constexpr std::uint32_t kExtentColour = 0xffffff00;
inline constexpr std::uint32_t kSelectionColour = 0xff00ffff;

/// Draws `model` (or the empty black picture) as the view shows it in
/// `mode`: nodes, outlines, markers, the "Size" view's bounding rectangle and
/// the selection. The "Size" figures are text and are left to the caller;
/// `topReserve` is the room kept for them.
Picture renderPicture(const VkmModel* model, ViewMode mode, const Camera& camera, const RenderOptions& options,
    int width, int height, int topReserve = 0);

} // namespace kvl::modelview
