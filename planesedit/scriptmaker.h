// The script maker: exports the record's bytes as they stand in the editor
// into a script folder of its own, holding the script "<name>.oaw" (its
// layout: valuesfile.h) and a "contents.txt" with the description.
#pragma once

#include "planesedit/recorddocument.h"
#include "planesedit/valuesfile.h"

#include "common/changenotifier.h"
#include "common/windowhost.h"

#include <filesystem>
#include <string>

namespace kvl::planesedit {

struct ScriptMakerState {
    bool visible = false;
    int destination = -1;      // the destination slot; -1 until one is chosen
    std::string scriptName;    // file name of the script, without ".oaw"
    std::string pnamesName;    // the text of the name line
    std::string description;   // goes into "contents.txt"
    std::string folder = "P-"; // the folder to write into
};

class ScriptMaker {
public:
    /// `folder` is the working folder the script folders go into; `document`,
    /// `host` and `changes` (the editor's notifier, on which open, cancel,
    /// chooseDestination and save are operations) must outlive the script
    /// maker.
    ScriptMaker(std::filesystem::path folder, const RecordDocument& document, kvl::WindowHost& host,
        kvl::ChangeNotifier& changes);

    const ScriptMakerState& state() const { return m_state; }

    /// Shows the panel with the aircraft being edited (-1 for none) as destination.
    void open(int slot);
    void cancel();
    /// Choosing a destination also names the script after the slot.
    void chooseDestination(int slot);
    /// Typing in the texts: kept for "Save the script", which is what shows them.
    void setScriptName(const std::string& text) { m_state.scriptName = text; }
    void setPnamesName(const std::string& text) { m_state.pnamesName = text; }
    void setDescription(const std::string& text) { m_state.description = text; }
    void setFolder(const std::string& text) { m_state.folder = text; }

    /// "Save the script": checks the names, asks before a script without a
    /// destination, then writes the folder, the script and "contents.txt" and
    /// hides the panel. False (the panel stays, the user has been told why)
    /// when nothing or not everything was written.
    bool save();

    /// The destination line: the slot as decimal text, "" while none is chosen.
    std::string destinationLine() const;
    /// The script file's text, in the single-byte character set.
    std::string scriptText() const;

private:
    void showError(const std::string& text);

    std::filesystem::path m_folder;
    const RecordDocument& m_document;
    kvl::WindowHost& m_host;
    kvl::ChangeNotifier& m_changes;
    ScriptMakerState m_state;
};

/// True when `name` can serve as one file or folder name.
bool isValidFileName(const std::string& name);

} // namespace kvl::planesedit
