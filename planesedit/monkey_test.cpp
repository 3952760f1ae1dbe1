// planesedit under random input (common/testing/monkey.h): the editor window
// over a fresh copy of the sample game folder.
//
// What the editor may write, and only when the user asked for it:
//   planes.dat      on "Save planes.dat": the 168 bytes of the aircraft
//                   shown, as the record held them at the click; no other
//                   byte of the file (header, the record's tail, other slots);
//   " N.oaw"        the working copy, when "Save the changes before closing ?"
//                   was answered OK: the record's value column at that time;
//   FOLDER/NAME.oaw and FOLDER/contents.txt
//                   on "Save the script": the script as the maker showed it;
// and whatever a CSV export was pointed at (the engine's own rule).
#include "planesedit/aircrafteditor.h"
#include "planesedit/planeseditwindow.h"

#include "common/fileimage.h"
#include "common/testing/monkey.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace {

using namespace kvl::test::monkey;
using kvl::planesedit::AircraftEditor;
using kvl::planesedit::kRecordBytes;
using kvl::planesedit::PlanesEditWindow;

// The parts of a path relative to the run's folder.
std::vector<std::string> partsOf(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (true) {
        const std::size_t slash = path.find('/', from);
        parts.push_back(path.substr(from, slash == std::string::npos ? std::string::npos : slash - from));
        if (slash == std::string::npos)
            return parts;
        from = slash + 1;
    }
}

class PlanesEditSubject : public WindowSubject<PlanesEditWindow> {
public:
    void start(Session& session) override
    {
        m_window = std::make_unique<PlanesEditWindow>(session.folders().game, &session);
        // As the program sizes it: the form's size within the screen.
        QSize size(1560, 960);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 40));
        m_window->resize(size);
        // The two save buttons, however the action pressed them (a click,
        // Space, Enter in the script maker's dialog): what the record and
        // the script maker held as they went down is what may be written.
        for (const char* name : { "Command3", "Command4" }) {
            auto* button = m_window->findChild<QAbstractButton*>(QString::fromLatin1(name));
            if (!button)
                continue;
            const std::string save = name;
            QObject::connect(button, &QAbstractButton::pressed, m_window.get(),
                [this, save] { (save == "Command3" ? m_atSave : m_atScript) = state(); });
            QObject::connect(
                button, &QAbstractButton::clicked, m_window.get(), [this, save] { m_pressed.push_back(save); });
        }
        showWindow();
    }

    void beforeAction(const Action&, const Session&) override
    {
        m_pressed.clear();
        m_before = state();
        m_atSave = m_atScript = {};
    }

    std::string check(const Action&, const Session& session, const std::vector<FileChange>& changes) override
    {
        for (const FileChange& change : changes)
            if (const std::string why = judge(session, change); !why.empty())
                return why + " (" + describe(change) + ")";
        return {};
    }

private:
    struct State {
        bool loaded = false;
        int slot = -1;
        std::array<std::optional<std::uint8_t>, kRecordBytes> record {};
        std::string workingCopy;
        std::string scriptFolder;
        std::string scriptName;
        std::string script;
    };

    State state() const
    {
        State s;
        if (!m_window)
            return s;
        const AircraftEditor& editor = m_window->editor();
        s.loaded = editor.loaded();
        s.slot = editor.slot();
        for (int r = 1; r <= kRecordBytes; ++r)
            s.record[static_cast<std::size_t>(r - 1)] = editor.document().storedByte(r);
        if (s.loaded)
            s.workingCopy = editor.workingCopyText();
        s.scriptFolder = editor.scriptMaker().state().folder;
        s.scriptName = editor.scriptMaker().state().scriptName;
        s.script = editor.scriptMaker().scriptText();
        return s;
    }

    bool pressed(const std::string& button) const
    {
        return std::find(m_pressed.begin(), m_pressed.end(), button) != m_pressed.end();
    }

    std::string judge(const Session& session, const FileChange& change) const
    {
        const std::vector<std::string> parts = partsOf(change.path);
        if (parts.size() == 2 && parts[0] == "game" && parts[1] == kvl::planesedit::kPlanesFile)
            return judgePlanes(change);
        if (parts.size() == 2 && parts[0] == "game" && m_before.loaded
            && parts[1] == kvl::planesedit::workingCopyName(m_before.slot)) {
            if (!session.answered("Save the changes before closing ?", "Ok"))
                return "unasked change: the working copy was written without the save prompt's OK";
            if (!change.after || change.after->bytes != m_before.workingCopy)
                return "working copy: it does not hold the record's values as they were";
            return {};
        }
        if (parts.size() >= 2 && parts.size() <= 3 && parts[0] == "game"
            && kvl::equalsNoCase(parts[1], m_atScript.scriptFolder)) {
            if (!pressed("Command4"))
                return "unasked change: a script folder changed without \"Save the script\"";
            if (parts.size() == 2)
                return change.after && change.after->folder ? std::string() : "script: the folder went";
            if (kvl::equalsNoCase(parts[2], m_atScript.scriptName + ".oaw")) {
                if (!change.after || change.after->bytes != m_atScript.script)
                    return "script: the script file does not hold the script as shown";
                return {};
            }
            if (kvl::equalsNoCase(parts[2], "contents.txt"))
                return {};
        }
        return "unasked change: a file changed that no action asked for";
    }

    std::string judgePlanes(const FileChange& change) const
    {
        if (!change.before || !change.after || change.before->folder || change.after->folder)
            return "planes.dat: the file appeared, went or became a folder";
        if (!pressed("Command3"))
            return "unasked change: planes.dat changed without \"Save planes.dat\"";
        if (!m_atSave.loaded)
            return "planes.dat: written with no aircraft loaded";
        const std::string& a = change.before->bytes;
        const std::string& b = change.after->bytes;
        if (a.size() != b.size())
            return "planes.dat: its size changed";
        const std::uint64_t first = kvl::planesedit::filePosition(m_atSave.slot, 1) - 1;
        for (std::size_t at = 0; at < a.size(); ++at) {
            const bool inRecord = at >= first && at < first + kRecordBytes;
            if (!inRecord) {
                if (a[at] != b[at])
                    return "planes.dat: byte " + std::to_string(at) + " outside the record of slot "
                        + std::to_string(m_atSave.slot) + " changed";
                continue;
            }
            // Every byte of the record as the document held it at the click.
            const auto shown = m_atSave.record[at - first];
            if (!shown || static_cast<std::uint8_t>(b[at]) != *shown)
                return "planes.dat: byte " + std::to_string(at) + " (row " + std::to_string(at - first + 1)
                    + ") is not the value the record showed";
        }
        return {};
    }

    State m_before;   // before the action: the working copy the save prompt writes
    State m_atSave;   // as "Save planes.dat" went down
    State m_atScript; // as "Save the script" went down
    std::vector<std::string> m_pressed;
};

} // namespace

int main(int argc, char** argv)
{
    Program program = Program::of<PlanesEditSubject>("planesedit", 20261, KVL_SAMPLE_DIR, KVL_MONKEY_REGRESSIONS);
    return monkeyMain(argc, argv, program);
}
