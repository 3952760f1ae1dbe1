// The single document of the viewer: the current model (or none), the file it
// came from and the title the window shows. Widget-free; message boxes and
// file dialogs go through kvl::WindowHost so tests can answer them. The
// document changes only after its boxes are answered, and then says so
// through its change notification.
#pragma once

#include "common/changenotifier.h"
#include "common/lastfolder.h"
#include "common/result.h"
#include "common/windowhost.h"
#include "modelview/vkmmodel.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace kvl::modelview {

inline constexpr const char* kAppTitle = "VKM! Studio";
inline constexpr const char* kUntitled = "Untitled";
inline constexpr const char* kBadFileText = "Not a valid VKM file!";
inline constexpr const char* kBadFileCaption = "File Error!";
inline constexpr const char* kWriteFailedText = "The file could not be written.";
/// The name filter of the Save As dialog, and the first of the Open dialog.
inline constexpr const char* kModelFilter = "VKM Models (*.vkm)";
/// The Open dialog's filters: VKM files first, then the game's own models.
inline constexpr const char* kOpenFilter = "VKM Models (*.vkm);;3DB Models (*.3db);;All Models (*.vkm *.3db)";

/// True when `path` names a .3DB model (any letter case).
bool is3dbFile(const std::filesystem::path& path);

class ModelDocument {
public:
    explicit ModelDocument(WindowHost& host) : m_host(host) { }

    /// Tells the window when the document has changed (after New and Open).
    ChangeNotifier& changes() { return m_changes; }
    const ChangeNotifier& changes() const { return m_changes; }

    /// File New: no model, no file, title "Untitled".
    void newDocument();

    /// Open: reads the file whole and decodes it. A .3DB model is read by the
    /// converter's reader and converted in memory as modelconv converts it;
    /// one over the VKM limits is still shown (see saveProblem). On failure
    /// shows (caption "File Error!") "Cannot open FILE: REASON" when the
    /// file cannot be read, "FILE is not a valid 3DB model: REASON" for a
    /// damaged .3DB, "Not a valid VKM file!" for a damaged VKM file; keeps no
    /// model and returns why. The title takes the file's name either way.
    /// While the message shows, the document is still the one before.
    Result<void> open(const std::filesystem::path& path, const PointSizeRange& sizes);

    /// The File Open dialog: the file the user picked, or an empty path when
    /// the dialog was cancelled.
    std::filesystem::path chooseFileToOpen();

    /// Save As: asks for a file name (a name without an extension gets
    /// ".vkm") and writes an exact copy of the loaded file there - for a
    /// .3DB model the VKM file modelconv would write. A failed write shows
    /// "The file could not be written."; a model that cannot be saved as VKM
    /// is refused with the reason. False then, when there is no model, or
    /// when the dialog was cancelled.
    bool saveAs();

    /// Writes the loaded file image, unchanged, to `path` (replacing it in one
    /// step, so a failed write never leaves it shortened). False when there is
    /// no model or the write fails. Model data is never re-encoded.
    bool saveImageAs(const std::filesystem::path& path) const;

    /// Why the current model cannot be saved as a VKM file (a .3DB model
    /// over the VKM limits, or one the format cannot hold), or nothing.
    const std::optional<std::string>& saveProblem() const { return m_saveProblem; }
    /// True when the current model was converted from a .3DB file.
    bool isConverted() const { return m_converted; }

    /// The current model, or null.
    const VkmModel* model() const { return m_model.get(); }
    const std::filesystem::path& pathName() const { return m_path; }
    /// The document's title: the file name, or "Untitled".
    std::string title() const;
    /// "<title> - VKM! Studio", the main window's caption.
    std::string windowTitle() const { return title() + " - " + kAppTitle; }

    /// The folder the Open and Save As dialogs start in once one was used;
    /// the window keeps it in the profile. Without one they start where they
    /// always did.
    void setLastFolder(LastFolder last) { m_lastFolder = std::move(last); }
    const LastFolder& lastFolder() const { return m_lastFolder; }

private:
    void clear();

    WindowHost& m_host;
    ChangeNotifier m_changes;
    LastFolder m_lastFolder;
    std::unique_ptr<VkmModel> m_model;
    std::filesystem::path m_path;
    std::optional<std::string> m_saveProblem;
    bool m_converted = false;
};

} // namespace kvl::modelview
