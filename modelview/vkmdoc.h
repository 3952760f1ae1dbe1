// The single document of the viewer: the current model (or none), the file it
// came from and the title the window shows. Widget-free; the message box goes
// through DocPrompts so tests can watch it.
#pragma once

#include "modelview/vkmmodel.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kvl::modelview {

inline constexpr const char* kAppTitle = "VKM! Studio";
inline constexpr const char* kUntitled = "Untitled";
inline constexpr const char* kBadFileText = "Not a valid VKM file!";
inline constexpr const char* kBadFileCaption = "File Error!";

/// What the document needs from the user interface.
class DocPrompts {
public:
    virtual ~DocPrompts() = default;
    /// An error message box with `text` and `caption`.
    virtual void error(const std::string& text, const std::string& caption) = 0;
};

class CVKMStudioDoc {
public:
    explicit CVKMStudioDoc(DocPrompts& prompts) : m_prompts(prompts) { }

    /// File New: no model, no file, title "Untitled".
    void onNewDocument();

    /// Open: reads the file whole and decodes it. On failure shows "Not a
    /// valid VKM file!" and keeps no model; the title takes the file's name
    /// either way.
    bool onOpenDocument(const std::filesystem::path& path, const PointSizeRange& sizes);

    /// Writes the loaded file image, unchanged, to `path` (replacing it in one
    /// step, so a failed write never leaves it shortened). False when there is
    /// no model or the write fails. Model data is never re-encoded.
    bool saveImageAs(const std::filesystem::path& path) const;

    /// The current model, or null.
    const CVKMModel* model() const { return m_model.get(); }
    const std::filesystem::path& pathName() const { return m_path; }
    /// The document's title: the file name, or "Untitled".
    std::string title() const;
    /// "<title> - VKM! Studio", the main window's caption.
    std::string windowTitle() const { return title() + " - " + kAppTitle; }

private:
    DocPrompts& m_prompts;
    std::unique_ptr<CVKMModel> m_model;
    std::filesystem::path m_path;
};

} // namespace kvl::modelview
