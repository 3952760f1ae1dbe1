// The model summary: the refusal order of the VKM limits and the JSON form.
#include "modelconv/summary.h"
#include "modelconv/testing/builder3db.h"

#include <gtest/gtest.h>

namespace kvl::modelconv {
namespace {

using namespace kvl::test;

Model3DB modelOf(int points, int elements, bool type7 = false)
{
    Builder3DB b;
    b.setTextureName("T.BMP");
    for (int i = 0; i < points; ++i)
        b.addPoint(static_cast<float>(i), 0, 0);
    for (int i = 0; i < elements; ++i) {
        Element3DBData e;
        e.records = { type7 ? recordTextured(7, 0, 0, { { 0, 0, 0 } }) : record3(0, 0, { 0, 0, 0 }) };
        b.addElement(e);
    }
    auto model = decode3DB(b.build());
    EXPECT_TRUE(model) << model.error().message;
    return std::move(*model);
}

TEST(VkmRefusal, ElementsBeforeNodesBeforeWhatTheFormatCannotHold)
{
    EXPECT_EQ(vkmRefusal(modelOf(255, 255)), std::nullopt);
    EXPECT_EQ(vkmRefusal(modelOf(300, 256, true)), "This 3DB contains more than 255 elements!");
    EXPECT_EQ(vkmRefusal(modelOf(256, 10, true)), "This 3DB contains more than 255 nodes!");
    EXPECT_EQ(vkmRefusal(modelOf(3, 1, true)), "Element 0 has a record of type 7 without prefix!");
    EXPECT_EQ(formatVkmWarnings(std::nullopt), "");
    EXPECT_EQ(formatVkmWarnings("X!"), "WARNING: X!\nWARNING: Cannot create VKM file!\n");
}

TEST(SummaryJson, OneObjectWithEveryCountAndTheVerdict)
{
    EXPECT_EQ(summaryJson("dir/M.3DB", modelOf(3, 2)),
        R"({"file":"dir/M.3DB","texture":"T.BMP","inserts":0,"nodes":3,"tvns":0,"elements":2,)"
        R"("vkm":true,"vkmProblem":null})");
    EXPECT_EQ(summaryJson("M.3DB", modelOf(256, 1)),
        R"({"file":"M.3DB","texture":"T.BMP","inserts":0,"nodes":256,"tvns":0,"elements":1,)"
        R"("vkm":false,"vkmProblem":"This 3DB contains more than 255 nodes!"})");
    EXPECT_EQ(errorJson("M.3DB", "Unable to open 3DB file!"), R"({"file":"M.3DB","error":"Unable to open 3DB file!"})");
}

TEST(SummaryJson, StringsAreEscapedAndAlwaysUtf8)
{
    EXPECT_EQ(jsonString("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(jsonString("\n\r\t\x01\x1f\x7f"), R"("\n\r\t\u0001\u001f\u007f")");
    EXPECT_EQ(jsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\""); // UTF-8 kept
    EXPECT_EQ(jsonString("caf\xe9"), "\"caf\xc3\xa9\"");     // Latin-1 converted
    EXPECT_EQ(jsonString(std::string("a\0b", 3)), R"("a\u0000b")");
}

} // namespace
} // namespace kvl::modelconv
