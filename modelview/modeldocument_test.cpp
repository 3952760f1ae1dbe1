#include "modelview/modeldocument.h"

#include "common/platform.h"
#include "modelview/testing/vkmbuilder.h"

#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"
#include "common/testing/testfolder.h"

#include "modelconv/converter.h"
#include "samplegen/samples.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace kvl::modelview {
namespace {

namespace fs = std::filesystem;
using kvl::test::VkmBuilder;

class DocTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir.path().empty());
        VkmBuilder b;
        b.point(0, 10, 0);
        b.point(10, 0, 0);
        b.point(0, 0, 0);
        b.element(VkmBuilder::polygon({ 0, 1, 2 }));
        good = b.build();
        ASSERT_TRUE(writeFileImage(dir / "PLANE.VKM", good));
        std::vector<std::uint8_t> bad = good;
        bad[bad.size() - 6] = 21; // the polygon now declares 21 vertices
        ASSERT_TRUE(writeFileImage(dir / "bad.vkm", bad));
    }

    void expectBadFileBox(std::size_t index)
    {
        ASSERT_LT(index, host.messages.size());
        EXPECT_EQ(host.messages[index].icon, MessageIcon::Critical);
        EXPECT_EQ(host.messages[index].title, "File Error!");
        EXPECT_EQ(host.messages[index].text, "Not a valid VKM file!");
    }

    std::vector<std::uint8_t> contents(const fs::path& path)
    {
        Result<std::vector<std::uint8_t>> image = readFileImage(path);
        return image ? *image : std::vector<std::uint8_t> {};
    }

    kvl::test::TempFolder dir;
    std::vector<std::uint8_t> good;
    kvl::test::FakeWindowHost<> host;
    ModelDocument doc { host };
    PointSizeRange sizes;
};

TEST_F(DocTest, StartsUntitledWithoutModel)
{
    doc.newDocument();
    EXPECT_EQ(doc.model(), nullptr);
    EXPECT_EQ(doc.windowTitle(), "Untitled - VKM! Studio");
}

TEST_F(DocTest, OpenNewAndFailedOpen)
{
    ASSERT_TRUE(doc.open(dir / "PLANE.VKM", sizes));
    ASSERT_NE(doc.model(), nullptr);
    EXPECT_EQ(doc.model()->fileImage(), good);
    EXPECT_EQ(doc.windowTitle(), "PLANE.VKM - VKM! Studio");
    EXPECT_TRUE(host.messages.empty());

    // A bad file replaces the model with none and still names the document.
    const Result<void> bad = doc.open(dir / "bad.vkm", sizes);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().message, "element 0 declares 21 vertices, more than 20");
    EXPECT_EQ(doc.model(), nullptr);
    EXPECT_EQ(doc.title(), "bad.vkm");
    ASSERT_EQ(host.messages.size(), 1u);
    expectBadFileBox(0);

    ASSERT_TRUE(doc.open(dir / "PLANE.VKM", sizes));
    doc.newDocument();
    EXPECT_EQ(doc.model(), nullptr);
    EXPECT_EQ(doc.title(), "Untitled");

    // A file that is not there, or a folder, cannot be opened: the box says
    // so, naming the file and the system's reason, not that it is damaged.
    const Result<void> missing = doc.open(dir / "missing.vkm", sizes);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("missing.vkm"), std::string::npos);
    EXPECT_FALSE(doc.open(dir.path(), sizes));
    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[1].title, "File Error!");
    EXPECT_EQ(host.messages[1].text, "Cannot open " + (dir / "missing.vkm").string() + ": No such file or directory");
    EXPECT_EQ(host.messages[2].text, "Cannot open " + dir.path().string() + ": Is a directory");
    EXPECT_EQ(doc.model(), nullptr);
}

TEST_F(DocTest, OpenDialogAsksForModelsAndMayBeCancelled)
{
    host.chosenFiles.push_back(dir / "PLANE.VKM");
    EXPECT_EQ(doc.chooseFileToOpen(), dir / "PLANE.VKM");
    EXPECT_EQ(doc.chooseFileToOpen(), fs::path());
    ASSERT_EQ(host.fileDialogs.size(), 2u);
    const FileDialogRequest& request = host.fileDialogs[0];
    EXPECT_EQ(request.kind, FileDialogKind::OpenFile);
    EXPECT_EQ(request.caption, "Open");
    // VKM files first, as always, then the game's own models.
    EXPECT_EQ(request.filter, "VKM Models (*.vkm);;3DB Models (*.3db);;All Models (*.vkm *.3db)");
    EXPECT_EQ(request.objectName, "OpenDialog");
    EXPECT_TRUE(request.start.empty());
}

// Once a dialog was used, Open starts in its folder and Save As suggests the
// model's name there; the folder is handed on to be kept.
TEST_F(DocTest, DialogsStartInTheLastFolderUsed)
{
    fs::create_directories(dir / "mods");
    std::vector<fs::path> kept;
    doc.setLastFolder(LastFolder({}, [&](const fs::path& folder) { kept.push_back(folder); }));
    ASSERT_TRUE(doc.open(dir / "PLANE.VKM", sizes));
    host.chosenFiles = { dir / "mods" / "copy.vkm", {} };
    ASSERT_TRUE(doc.saveAs());
    EXPECT_EQ(host.fileDialogs[0].start, dir / "PLANE.VKM");
    EXPECT_EQ(doc.chooseFileToOpen(), fs::path());
    EXPECT_EQ(host.fileDialogs[1].start, dir / "mods");
    EXPECT_EQ(kept, std::vector<fs::path> { dir / "mods" });
}

TEST_F(DocTest, SaveAsWritesTheImageUnchangedAndNeverEmptiesAFile)
{
    // Without a model nothing is asked or written, and an existing file stays whole.
    ASSERT_TRUE(writeFileImage(dir / "keep.vkm", good));
    EXPECT_FALSE(doc.saveImageAs(dir / "keep.vkm"));
    EXPECT_FALSE(doc.saveAs());
    EXPECT_TRUE(host.fileDialogs.empty());
    EXPECT_EQ(fileSize(dir / "keep.vkm"), std::int64_t(good.size()));

    ASSERT_TRUE(doc.open(dir / "PLANE.VKM", sizes));
    host.chosenFiles = { dir / "copy.vkm", dir / "PLANE.VKM", dir / "plain", dir / "nowhere" / "x.vkm" };
    ASSERT_TRUE(doc.saveAs());
    EXPECT_EQ(contents(dir / "copy.vkm"), good);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0].kind, FileDialogKind::SaveFile);
    EXPECT_EQ(host.fileDialogs[0].caption, "Save As");
    EXPECT_EQ(host.fileDialogs[0].start, dir / "PLANE.VKM");
    EXPECT_EQ(host.fileDialogs[0].filter, "VKM Models (*.vkm)");
    // Saving over the opened file itself keeps it byte for byte.
    ASSERT_TRUE(doc.saveAs());
    EXPECT_EQ(contents(dir / "PLANE.VKM"), good);
    // A name without an extension gets ".vkm".
    ASSERT_TRUE(doc.saveAs());
    EXPECT_EQ(contents(dir / "plain.vkm"), good);
    EXPECT_FALSE(fs::exists(dir / "plain"));
    // A folder that does not exist: the message, nothing created.
    EXPECT_FALSE(doc.saveAs());
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(host.messages[0].title, "VKM! Studio");
    EXPECT_EQ(host.messages[0].text, "The file could not be written.");
    // Cancelling the dialog writes nothing and says nothing.
    EXPECT_FALSE(doc.saveAs());
    EXPECT_EQ(host.messages.size(), 1u);
}

// .3DB models open through modelconv's reader and converter: the model shown
// is the VKM file modelconv writes, whatever the letter case of the name.
TEST_F(DocTest, ThreeDbModelsOpenAsModelconvConvertsThem)
{
    const fs::path game = dir / "game";
    fs::create_directory(game);
    ASSERT_TRUE(kvl::samples::writeModelSamples(game));
    std::istringstream answers("FIGHTER.3DB\nFIGHTER.VKM\n\n");
    std::ostringstream printed;
    kvl::modelconv::runModelConverter(answers, printed, game);
    const std::vector<std::uint8_t> written = contents(game / "FIGHTER.VKM");
    ASSERT_FALSE(written.empty()) << printed.str();

    // A lower-case copy beside it, where the file system keeps both.
    if (!kvl::platform::kNamesIgnoreCase)
        fs::copy_file(game / "FIGHTER.3DB", game / "fighter.3db");
    for (const char* name : { "FIGHTER.3DB", "fighter.3db" }) {
        ASSERT_TRUE(doc.open(game / name, sizes)) << name;
        EXPECT_EQ(doc.model()->fileImage(), written);
        EXPECT_TRUE(doc.isConverted());
        EXPECT_FALSE(doc.saveProblem());
        EXPECT_EQ(doc.title(), name);
    }
    EXPECT_TRUE(host.messages.empty());

    // Save As writes that VKM file, offering the .vkm name.
    host.chosenFiles = { dir / "saved.vkm" };
    ASSERT_TRUE(doc.saveAs());
    EXPECT_EQ(host.fileDialogs.back().start, game / "fighter.vkm");
    EXPECT_EQ(contents(dir / "saved.vkm"), written);

    // Over the VKM limits: shown, but Save As refuses with the reason.
    ASSERT_TRUE(doc.open(game / "BIGMODEL.3DB", sizes));
    EXPECT_EQ(doc.model()->pointCount(), 300);
    ASSERT_TRUE(doc.saveProblem());
    EXPECT_NE(doc.saveProblem()->find("more than the 255"), std::string::npos);
    const std::size_t dialogs = host.fileDialogs.size();
    EXPECT_FALSE(doc.saveAs());
    EXPECT_EQ(host.fileDialogs.size(), dialogs);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("cannot be saved as a VKM file: it has 300"), std::string::npos);
    EXPECT_FALSE(doc.saveImageAs(dir / "big.vkm"));
    EXPECT_FALSE(fs::exists(dir / "big.vkm"));

    // A model the format cannot hold as written is shown and refused alike.
    ASSERT_TRUE(doc.open(game / "TYPE7.3DB", sizes));
    EXPECT_TRUE(doc.saveProblem());

    // A damaged .3DB: the box names the file and the reader's reason.
    EXPECT_FALSE(doc.open(game / "BROKEN.3DB", sizes));
    EXPECT_EQ(doc.model(), nullptr);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].title, "File Error!");
    EXPECT_EQ(
        host.messages[1].text.rfind((game / "BROKEN.3DB").string() + " is not a valid 3DB model: Bad 3DB file", 0), 0u)
        << host.messages[1].text;
    EXPECT_FALSE(doc.saveProblem());
}

} // namespace
} // namespace kvl::modelview
