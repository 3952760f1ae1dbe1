// The alignment under the slip reports: line keys and the longest common run.
#include "recordtext/textreading.h"

#include <gtest/gtest.h>

namespace {

using namespace kvl::recordtext;
using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;

TEST(LineKey, IsTheLabelWithoutIndentationValueOrLetterCase)
{
    EXPECT_EQ(lineKey("  Win Parameter:      50         ; note: x"), "win parameter");
    EXPECT_EQ(lineKey("    In Phase #: 3"), "in phase #");
    EXPECT_EQ(lineKey("PHASE #3"), "phase #3");
    EXPECT_EQ(lineKey(" \t "), "");
}

TEST(CommonRun, MatchesTheLongestRunAroundAddedAndRemovedEntries)
{
    // 2 removed, 9 added, 7 changed to 8.
    EXPECT_EQ(commonRun({ 1, 2, 3, 4, 5, 7, 6 }, { 1, 3, 9, 4, 5, 8, 6 }, 100),
        (Pairs { { 0, 0 }, { 2, 1 }, { 3, 3 }, { 4, 4 }, { 6, 6 } }));
    // Repeated entries: the run stays in order.
    EXPECT_EQ(commonRun({ 5, 5, 5, 0, 1 }, { 5, 5, 0, 1 }, 100), (Pairs { { 0, 0 }, { 1, 1 }, { 3, 2 }, { 4, 3 } }));
    EXPECT_EQ(commonRun({}, {}, 0), Pairs {});
}

TEST(CommonRun, ATextThatStopsEarlyMatchesTheStartOfItsLayoutForFree)
{
    std::vector<int> layout(5000);
    for (std::size_t i = 0; i < layout.size(); ++i)
        layout[i] = static_cast<int>(i % 7);
    const std::vector<int> text = { 0, 1, 3, 4 }; // 2 removed, then the text ends
    EXPECT_EQ(commonRun(layout, text, 3), (Pairs { { 0, 0 }, { 1, 1 }, { 3, 2 }, { 4, 3 } }));
    // More changes than allowed: no alignment.
    EXPECT_EQ(commonRun({ 1, 2, 3 }, { 4, 5, 6 }, 2), std::nullopt);
}

} // namespace
