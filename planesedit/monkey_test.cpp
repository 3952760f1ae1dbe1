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

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

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

class PlanesEditSubject : public Subject {
public:
    void start(Session& session) override
    {
        m_window = std::make_unique<PlanesEditWindow>(session.folders().game, &session);
        // As the program sizes it: the form's size within the screen.
        QSize size(1560, 960);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 40));
        m_window->resize(size);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get(), 2000))
            std::fprintf(stderr, "monkey: the window was not shown in time\n");
    }

    void stop() override
    {
        if (m_window) {
            m_window->close();
            m_window.reset();
        }
    }

    QWidget* window() const override { return m_window.get(); }

    void beforeAction(const Action&, const Session&) override
    {
        m_before = {};
        if (!m_window)
            return;
        const AircraftEditor& editor = m_window->editor();
        m_before.loaded = editor.loaded();
        m_before.slot = editor.slot();
        for (int r = 1; r <= kRecordBytes; ++r)
            m_before.record[static_cast<std::size_t>(r - 1)] = editor.document().storedByte(r);
        if (m_before.loaded)
            m_before.workingCopy = editor.workingCopyText();
        m_before.scriptFolder = editor.scriptMaker().state().folder;
        m_before.scriptName = editor.scriptMaker().state().scriptName;
        m_before.script = editor.scriptMaker().scriptText();
    }

    std::string check(const Action& action, const Session& session, const std::vector<FileChange>& changes) override
    {
        for (const FileChange& change : changes)
            if (const std::string why = judge(action, session, change); !why.empty())
                return why + " (" + describe(change) + ")";
        return {};
    }

private:
    std::string judge(const Action& action, const Session& session, const FileChange& change) const
    {
        const std::vector<std::string> parts = partsOf(change.path);
        if (parts.size() == 2 && parts[0] == "game" && parts[1] == kvl::planesedit::kPlanesFile)
            return judgePlanes(action, change);
        if (parts.size() == 2 && parts[0] == "game" && m_before.loaded
            && parts[1] == kvl::planesedit::workingCopyName(m_before.slot)) {
            if (!session.answered("Save the changes before closing ?", "Ok"))
                return "unasked change: the working copy was written without the save prompt's OK";
            if (!change.after || change.after->bytes != m_before.workingCopy)
                return "working copy: it does not hold the record's values as they were";
            return {};
        }
        if (parts.size() >= 2 && parts.size() <= 3 && parts[0] == "game"
            && kvl::equalsNoCase(parts[1], m_before.scriptFolder)) {
            if (action.target != "Command4")
                return "unasked change: a script folder changed without \"Save the script\"";
            if (parts.size() == 2)
                return change.after && change.after->folder ? std::string() : "script: the folder went";
            if (kvl::equalsNoCase(parts[2], m_before.scriptName + ".oaw")) {
                if (!change.after || change.after->bytes != m_before.script)
                    return "script: the script file does not hold the script as shown";
                return {};
            }
            if (kvl::equalsNoCase(parts[2], "contents.txt"))
                return {};
        }
        return "unasked change: a file changed that no action asked for";
    }

    std::string judgePlanes(const Action& action, const FileChange& change) const
    {
        if (!change.before || !change.after || change.before->folder || change.after->folder)
            return "planes.dat: the file appeared, went or became a folder";
        if (action.target != "Command3")
            return "unasked change: planes.dat changed without \"Save planes.dat\"";
        if (!m_before.loaded)
            return "planes.dat: written with no aircraft loaded";
        const std::string& a = change.before->bytes;
        const std::string& b = change.after->bytes;
        if (a.size() != b.size())
            return "planes.dat: its size changed";
        const std::uint64_t first = kvl::planesedit::filePosition(m_before.slot, 1) - 1;
        for (std::size_t at = 0; at < a.size(); ++at) {
            const bool inRecord = at >= first && at < first + kRecordBytes;
            if (!inRecord) {
                if (a[at] != b[at])
                    return "planes.dat: byte " + std::to_string(at) + " outside the record of slot "
                        + std::to_string(m_before.slot) + " changed";
                continue;
            }
            // Every byte of the record as the document held it at the click.
            const auto shown = m_before.record[at - first];
            if (!shown || static_cast<std::uint8_t>(b[at]) != *shown)
                return "planes.dat: byte " + std::to_string(at) + " (row " + std::to_string(at - first + 1)
                    + ") is not the value the record showed";
        }
        return {};
    }

    struct Before {
        bool loaded = false;
        int slot = -1;
        std::array<std::optional<std::uint8_t>, kRecordBytes> record {};
        std::string workingCopy;
        std::string scriptFolder;
        std::string scriptName;
        std::string script;
    };

    std::unique_ptr<PlanesEditWindow> m_window;
    Before m_before;
};

} // namespace

int main(int argc, char** argv)
{
    Program program;
    program.name = "planesedit";
    program.sample = KVL_SAMPLE_DIR;
    program.regressions = KVL_MONKEY_REGRESSIONS;
    program.seed = 20261;
    program.actions = 250;
    program.makeSubject = [] { return std::make_unique<PlanesEditSubject>(); };
    return monkeyMain(argc, argv, program);
}
