// --export-png: the picture of a model written to a PNG file, with no window
// and no display. It is the software picture, with the window's projection,
// colours, culling and sizes, so at the window's size it matches what the
// window shows.
#pragma once

#include "common/result.h"
#include "modelview/camera.h"
#include "modelview/modeldocument.h"

#include <QImage>
#include <QSize>

#include <optional>
#include <string>

namespace kvl::modelview {

/// The picture `doc`'s model shows in `mode` at `size` with the designed
/// camera and the panel's default options (the "Size" figures included).
QImage modelPicture(const ModelDocument& doc, ViewMode mode, QSize size);

/// "perspective", "front", "top" or "size" (any letter case) as a mode.
std::optional<ViewMode> viewModeFromName(const std::string& name);
/// "WxH", each 1 to 8192.
std::optional<QSize> sizeFromText(const std::string& text);

/// Writes the picture as a PNG file; the error names the file.
Result<void> writePicture(const QImage& picture, const std::string& path);

} // namespace kvl::modelview
