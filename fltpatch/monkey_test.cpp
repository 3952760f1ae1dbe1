// fltpatch under random input (common/testing/monkey.h): the flight editor's
// window over a fresh copy of the sample game folder; its start-up file
// dialog and "Load flt" are answered with sample files, damaged copies and
// missing paths.
//
// What the editor may write, and only when the user asked for it:
//   the loaded .flt file, in place: its size stays, only bytes of its 328
//                   fields change (never a byte past them); Enter in the
//                   value box and "Edit flt" change the selected field only;
// and whatever a CSV export was pointed at (the engine's own rule). After
// every action the values the window lists are those the file holds.
#include "fltpatch/fltpatchwindow.h"

#include "common/fileimage.h"
#include "common/testing/monkey.h"

#include <QTest>

#include <memory>

namespace {

using namespace kvl::test::monkey;
using namespace kvl::fltpatch;

// Whether `action` writes the value box's text into the selected field.
bool writesSelectedField(const Action& action)
{
    if (action.target == "Command2")
        return true;
    return action.target == "Text1" && action.kind == "key"
        && (action.argument == "Return" || action.argument == "Enter");
}

class FltPatchSubject : public WindowSubject<FltPatchWindow> {
public:
    void start(Session& session) override
    {
        m_window = std::make_unique<FltPatchWindow>(&session);
        showWindow();
        m_window->startUp(session.folders().game);
    }

    void beforeAction(const Action&, const Session& session) override
    {
        m_loaded.clear();
        m_selected = 0;
        if (!m_window)
            return;
        const FlightModelEditor& editor = m_window->editor();
        if (!editor.loadedFile().empty())
            m_loaded = session.relative(editor.loadedFile());
        m_selected = editor.selectedField();
    }

    std::string check(const Action& action, const Session&, const std::vector<FileChange>& changes) override
    {
        for (const FileChange& change : changes)
            if (const std::string why = judge(action, change); !why.empty())
                return why + " (" + describe(change) + ")";
        return shownAsOnDisk();
    }

private:
    std::string judge(const Action& action, const FileChange& change) const
    {
        if (m_loaded.empty() || change.path != m_loaded)
            return "unasked change: a file changed that no action asked for";
        if (!change.before || !change.after || change.before->folder || change.after->folder)
            return "the loaded file appeared, went or became a folder";
        const std::string& a = change.before->bytes;
        const std::string& b = change.after->bytes;
        if (a.size() != b.size())
            return "the loaded file's size changed";
        const FieldInfo& selected = field(std::clamp(m_selected, 1, kFieldCount));
        const std::size_t from = static_cast<std::size_t>(selected.position - 1);
        const std::size_t to = from + static_cast<std::size_t>(fieldWidth(selected.type));
        for (std::size_t at = 0; at < a.size(); ++at) {
            if (a[at] == b[at])
                continue;
            if (at >= static_cast<std::size_t>(kFileSize))
                return "byte " + std::to_string(at) + " past the fields changed";
            if (writesSelectedField(action) && (at < from || at >= to))
                return "byte " + std::to_string(at) + " outside the selected field " + std::to_string(m_selected)
                    + " changed";
        }
        return {};
    }

    // The values listed are the values in the file.
    std::string shownAsOnDisk() const
    {
        if (!m_window)
            return {};
        const FlightModelEditor& editor = m_window->editor();
        if (editor.loadedFile().empty())
            return {};
        auto image = kvl::readFileImage(editor.loadedFile());
        if (!image || image->size() < static_cast<std::size_t>(kFileSize))
            return {};
        for (const FieldInfo& info : fieldTable()) {
            const std::string onDisk = readFieldText(kvl::ByteView(*image), info).value_or("?");
            if (onDisk != editor.valueText(info.number))
                return "shown value: field " + std::to_string(info.number) + " shows \"" + editor.valueText(info.number)
                    + "\", the file holds \"" + onDisk + "\"";
        }
        return {};
    }

    std::string m_loaded;
    int m_selected = 0;
};

} // namespace

int main(int argc, char** argv)
{
    Program program = Program::of<FltPatchSubject>("fltpatch", 20262, KVL_SAMPLE_DIR, KVL_MONKEY_REGRESSIONS);
    return monkeyMain(argc, argv, program);
}
