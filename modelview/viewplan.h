// What each entry of the View list shows, as numbers the OpenGL view applies.
//
// "Perspective" is the fixed camera: 45 degrees, 300 units in front of the
// eye, nothing moves. The other three are overviews for a modder who wants to
// see the whole model however large it is:
//   "Front" - orthographic, looking the same way as the perspective camera
//             (along -z), fitted to the model's x/y extent, nothing culled;
//   "Top"   - orthographic, looking down (along -y), x to the right and -z up,
//             fitted to the x/z extent, nothing culled;
//   "Size"  - the Front picture with the model's bounding rectangle drawn in
//             yellow and its counts and extent written in the corner.
#pragma once

#include "modelview/vkmmodel.h"

#include <optional>
#include <string>
#include <vector>

namespace kvl::modelview {

enum class ViewMode { Perspective = 0, Front = 1, Size = 2, Top = 3 };

/// The entries of the View list, in order.
inline constexpr const char* kViewEntries[] = { "Perspective", "Front", "Size", "Top" };

/// The View list index as a mode; an index out of range gives nothing.
std::optional<ViewMode> viewModeFromIndex(int index);

/// An orthographic camera: glOrtho box plus the point moved to the centre.
struct OrthoCamera {
    double left = -1, right = 1, bottom = -1, top = 1, zNear = -1, zFar = 1;
    float centre[3] = { 0, 0, 0 }; // OpenGL x, y, z of the model point at the centre
    bool lookDown = false;         // Top: rotate +90 degrees about x first
};

/// Fits the model (its summary) into a viewport of `width` x `height` with a
/// margin, keeping the aspect ratio. A model without points gets a unit box.
OrthoCamera fitOrtho(const ModelSummary& summary, ViewMode mode, int width, int height);

/// The lines written over the "Size" picture.
std::vector<std::string> sizeReport(const ModelSummary& summary);

} // namespace kvl::modelview
