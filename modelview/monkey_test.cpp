// modelview under random input (common/testing/monkey.h): the viewer's main
// window with its OpenGL view over a fresh copy of the sample game folder.
// The Open dialog, drops and the recent-file list bring in the sample's
// .3DB models, a VKM file converted from the sample fighter, damaged copies
// of both and missing paths; the mouse and keys turn, move and zoom.
//
// The viewer never changes a model: the only file it writes is the one Save
// As was pointed at (the engine's own rule), and that one is an exact copy
// of the file shown (for a .3DB model, the VKM file it was converted to).
#include "modelview/modelviewwidget.h"
#include "modelview/modelviewwindow.h"

#include "common/fileimage.h"
#include "common/testing/monkey.h"
#include "modelconv/model3db.h"
#include "modelconv/vkm.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

namespace {

using namespace kvl::test::monkey;
using namespace kvl::modelview;

class ModelViewSubject : public WindowSubject<ModelViewWindow> {
public:
    void prepare(Session& session) override
    {
        // A VKM file of the sample fighter, as modelconv writes it.
        const auto fighter = session.folders().game / "FIGHTER.3DB";
        auto image = kvl::readFileImage(fighter);
        if (!image)
            return;
        auto model = kvl::modelconv::decode3DB(std::move(*image));
        if (!model)
            return;
        const auto vkm = session.folders().files / "FIGHTER.VKM";
        if (kvl::writeFileImage(vkm, kvl::modelconv::vkmBytes(kvl::modelconv::convertToVKM(*model))))
            session.offer(vkm);
    }

    void start(Session& session) override
    {
        modelviewProfile().nameApplication();
        m_window = std::make_unique<ModelViewWindow>(&session);
        m_window->start(QString());
        waitUntilShown(3000);
    }

    void beforeAction(const Action&, const Session& session) override
    {
        m_shown.reset();
        m_source.clear();
        if (!m_window || !m_window->document().model())
            return;
        const ModelDocument& doc = m_window->document();
        m_shown = doc.model()->fileImage();
        if (!doc.isConverted())
            m_source = session.relative(doc.pathName());
    }

    std::string check(const Action&, const Session& session, const std::vector<FileChange>& changes) override
    {
        if (!changes.empty())
            return "unasked change: a file changed that no action asked for (" + describe(changes.front()) + ")";
        // Save As: an exact copy of the file shown.
        for (const FileChange& change : session.saved()) {
            if (!m_shown)
                return "save as: " + change.path + " was written with no model shown";
            const std::string* original = m_source.empty() ? nullptr : session.bytesBefore(m_source);
            const std::string expected = original ? *original : std::string(m_shown->begin(), m_shown->end());
            if (change.after->bytes != expected)
                return "save as: " + change.path + " is not an exact copy of the model shown";
        }
        return {};
    }

private:
    std::optional<std::vector<std::uint8_t>> m_shown;
    std::string m_source;
};

} // namespace

int main(int argc, char** argv)
{
    Program program = Program::of<ModelViewSubject>("modelview", 20264, KVL_SAMPLE_DIR, KVL_MONKEY_REGRESSIONS);
    program.actions = 400;
    program.beforeApplication = [] { prepareOpenGl(); };
    return monkeyMain(argc, argv, program);
}
