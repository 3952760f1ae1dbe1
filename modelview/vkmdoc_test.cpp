#include "modelview/testing/vkmbuilder.h"
#include "modelview/vkmdoc.h"

#include "common/fileimage.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace kvl::modelview {
namespace {

namespace fs = std::filesystem;
using testing::VkmBuilder;

struct RecordingPrompts : DocPrompts {
    std::vector<std::pair<std::string, std::string>> shown;
    void error(const std::string& text, const std::string& caption) override { shown.emplace_back(text, caption); }
};

class DocTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("modelview_doc_" + std::to_string(::getpid()));
        fs::create_directories(dir);
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
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    std::vector<std::uint8_t> good;
    RecordingPrompts prompts;
    CVKMStudioDoc doc { prompts };
    PointSizeRange sizes;
};

TEST_F(DocTest, StartsUntitledWithoutModel)
{
    doc.onNewDocument();
    EXPECT_EQ(doc.model(), nullptr);
    EXPECT_EQ(doc.windowTitle(), "Untitled - VKM! Studio");
}

TEST_F(DocTest, OpenNewAndFailedOpen)
{
    ASSERT_TRUE(doc.onOpenDocument(dir / "PLANE.VKM", sizes));
    ASSERT_NE(doc.model(), nullptr);
    EXPECT_EQ(doc.model()->fileImage(), good);
    EXPECT_EQ(doc.windowTitle(), "PLANE.VKM - VKM! Studio");
    EXPECT_TRUE(prompts.shown.empty());

    // A bad file replaces the model with none and still names the document.
    EXPECT_FALSE(doc.onOpenDocument(dir / "bad.vkm", sizes));
    EXPECT_EQ(doc.model(), nullptr);
    EXPECT_EQ(doc.title(), "bad.vkm");
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].first, "Not a valid VKM file!");
    EXPECT_EQ(prompts.shown[0].second, "File Error!");

    ASSERT_TRUE(doc.onOpenDocument(dir / "PLANE.VKM", sizes));
    doc.onNewDocument();
    EXPECT_EQ(doc.model(), nullptr);
    EXPECT_EQ(doc.title(), "Untitled");

    // A file that is not there fails the same way.
    EXPECT_FALSE(doc.onOpenDocument(dir / "missing.vkm", sizes));
    EXPECT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(doc.model(), nullptr);
}

TEST_F(DocTest, SaveAsWritesTheImageUnchangedAndNeverEmptiesAFile)
{
    // Without a model nothing is written, and an existing file stays whole.
    ASSERT_TRUE(writeFileImage(dir / "keep.vkm", good));
    EXPECT_FALSE(doc.saveImageAs(dir / "keep.vkm"));
    EXPECT_EQ(fileSize(dir / "keep.vkm"), std::int64_t(good.size()));

    ASSERT_TRUE(doc.onOpenDocument(dir / "PLANE.VKM", sizes));
    ASSERT_TRUE(doc.saveImageAs(dir / "copy.vkm"));
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(readFileImage(dir / "copy.vkm", back));
    EXPECT_EQ(back, good);
    // Saving over the opened file itself keeps it byte for byte.
    ASSERT_TRUE(doc.saveImageAs(dir / "PLANE.VKM"));
    ASSERT_TRUE(readFileImage(dir / "PLANE.VKM", back));
    EXPECT_EQ(back, good);
    // A folder that does not exist: false, nothing created.
    EXPECT_FALSE(doc.saveImageAs(dir / "nowhere" / "x.vkm"));
}

} // namespace
} // namespace kvl::modelview
