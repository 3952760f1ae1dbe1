// The single document of the viewer: the current model (or none), the file it
// came from and the title the window shows. Widget-free; message boxes and
// file dialogs go through kvl::WindowHost so tests can answer them.
#pragma once

#include "common/result.h"
#include "common/windowhost.h"
#include "modelview/vkmmodel.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kvl::modelview {

inline constexpr const char* kAppTitle = "VKM! Studio";
inline constexpr const char* kUntitled = "Untitled";
inline constexpr const char* kBadFileText = "Not a valid VKM file!";
inline constexpr const char* kBadFileCaption = "File Error!";
inline constexpr const char* kWriteFailedText = "The file could not be written.";
/// The name filter of the Open and Save As dialogs.
inline constexpr const char* kModelFilter = "VKM Models (*.vkm)";

class ModelDocument {
public:
    explicit ModelDocument(WindowHost& host) : m_host(host) { }

    /// File New: no model, no file, title "Untitled".
    void newDocument();

    /// Open: reads the file whole and decodes it. On failure shows "Not a
    /// valid VKM file!" (caption "File Error!"), keeps no model and returns
    /// why; the title takes the file's name either way.
    Result<void> open(const std::filesystem::path& path, const PointSizeRange& sizes);

    /// The File Open dialog: the file the user picked, or an empty path when
    /// the dialog was cancelled.
    std::filesystem::path chooseFileToOpen();

    /// Save As: asks for a file name (a name without an extension gets
    /// ".vkm") and writes an exact copy of the loaded file there. A failed
    /// write shows "The file could not be written."; false then, when there is
    /// no model, or when the dialog was cancelled.
    bool saveAs();

    /// Writes the loaded file image, unchanged, to `path` (replacing it in one
    /// step, so a failed write never leaves it shortened). False when there is
    /// no model or the write fails. Model data is never re-encoded.
    bool saveImageAs(const std::filesystem::path& path) const;

    /// The current model, or null.
    const VkmModel* model() const { return m_model.get(); }
    const std::filesystem::path& pathName() const { return m_path; }
    /// The document's title: the file name, or "Untitled".
    std::string title() const;
    /// "<title> - VKM! Studio", the main window's caption.
    std::string windowTitle() const { return title() + " - " + kAppTitle; }

private:
    WindowHost& m_host;
    std::unique_ptr<VkmModel> m_model;
    std::filesystem::path m_path;
};

} // namespace kvl::modelview
