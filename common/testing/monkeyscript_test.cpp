// The monkey tests' action lines, their shrinking and the verdict on a run.
#include "common/testing/monkeyscript.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace kvl::test::monkey;

TEST(MonkeyScript, EveryByteOfTargetAndArgumentSurvivesALine)
{
    std::string everyByte;
    for (int c = 0; c < 256; ++c)
        everyByte += static_cast<char>(c);
    const Action actions[] = {
        { "click", "Command3", 0, "" },
        { "type", "Text1", 4294967295u, "12.5\x01\"\\ \t\r\n\xc3\xa9" },
        { "key", "Text3_4#2", 7, "Ctrl+Shift+Z" },
        { "restart", "", 99, "" },
        { "drop", "-", 1, "files/half-planes.dat" },
        { "cell", "odd name\"with\\ spaces", 5, everyByte },
    };
    for (const Action& action : actions) {
        const std::string line = formatAction(action);
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        auto back = parseAction(line);
        ASSERT_TRUE(back.ok()) << line << ": " << back.error().message;
        EXPECT_EQ(*back, action) << line;
    }
    EXPECT_EQ(formatAction({ "click", "Command3", 12, "" }), "click Command3 @12");
    EXPECT_EQ(formatAction({ "type", "Text1", 3, "a\"b" }), "type Text1 @3 \"a\\\"b\"");
}

TEST(MonkeyScript, ListsSkipCommentsAndNameTheLineThatIsNoAction)
{
    auto list = parseActionList("# planesedit, seed 4\n\nclick Command3 @1\r\n  key G1 @2 \"Up\"  \n");
    ASSERT_TRUE(list.ok()) << list.error().message;
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[1], (Action { "key", "G1", 2, "Up" }));
    EXPECT_EQ(formatActionList(*list), "click Command3 @1\nkey G1 @2 \"Up\"\n");

    const std::pair<const char*, const char*> broken[] = {
        { "click Command3\n", "@" },
        { "click A @1\nClick Command3 @1\n", "line 2: the line does not start" },
        { "click Command3 @99999999999\n", "larger than" },
        { "click Command3 @1x\n", "not a whole number" },
        { "type Text1 @1 \"open\n", "double quotes" },
        { "type Text1 @1 \"a\" b\n", "double quotes" },
        { "type Text1 @1 \"a\"b\"\n", "after the argument's closing quote" },
        { "type Text1 @1 \"\\x4\"\n", "two hexadecimal digits" },
        { "type Text1 @1 \"\\q\"\n", "unknown escape" },
        { "click\n", "target is missing" },
    };
    for (const auto& [text, reason] : broken) {
        auto parsed = parseActionList(text);
        ASSERT_FALSE(parsed.ok()) << text;
        EXPECT_NE(parsed.error().message.find(reason), std::string::npos) << text << " -> " << parsed.error().message;
    }
}

// A failure that needs items 3 and 17 of 40 (in that order) shrinks to them.
TEST(MonkeyScript, ShrinkingFindsTheFewActionsThatMatter)
{
    int tries = 0;
    const auto fails = [&tries](const std::vector<std::size_t>& kept) {
        ++tries;
        const auto a = std::find(kept.begin(), kept.end(), 3u);
        const auto b = std::find(kept.begin(), kept.end(), 17u);
        return a != kept.end() && b != kept.end() && a < b;
    };
    EXPECT_EQ(shrinkList(40, fails, [] { return true; }), (std::vector<std::size_t> { 3, 17 }));
    EXPECT_LT(tries, 60);

    // The last action alone is tried first.
    tries = 0;
    const auto lastOnly = [&tries](const std::vector<std::size_t>& kept) {
        ++tries;
        return std::find(kept.begin(), kept.end(), 99u) != kept.end();
    };
    EXPECT_EQ(shrinkList(100, lastOnly, [] { return true; }), (std::vector<std::size_t> { 99 }));
    EXPECT_EQ(tries, 1);

    // Cut short, it returns the smallest failing list found so far.
    int budget = 3;
    const std::vector<std::size_t> partial = shrinkList(64, fails, [&budget] { return budget-- > 0; });
    EXPECT_TRUE(fails(partial));
    EXPECT_LT(partial.size(), 64u);
}

TEST(MonkeyScript, ARunsEndTellsWhatWentWrong)
{
    EXPECT_FALSE(classifyRun(0, 0, false, "qt warning: something\n"));

    const Failure asan = classifyRun(1, 0, false,
        "=================\n==123==ERROR: AddressSanitizer: heap-use-after-free on address 0x6020 at pc\n"
        "    #0 0x55 in kvl::f() /w/planesedit/x.cpp:12:3\n");
    EXPECT_EQ(asan.kind, Failure::Kind::Sanitizer);
    EXPECT_EQ(asan.signature, "AddressSanitizer: heap-use-after-free");

    const Failure ub = classifyRun(
        1, 0, false, "/work/x/fltpatch/fltfields.cpp:120:17: runtime error: signed integer overflow: 1 + 2147483647\n");
    EXPECT_EQ(ub.kind, Failure::Kind::Sanitizer);
    EXPECT_EQ(ub.signature, "runtime error at fltfields.cpp:120");

    const Failure hang = classifyRun(kHangStatus, 0, false, "monkey: hang: action 7 (click Command1 @3) did not\n");
    EXPECT_EQ(hang.kind, Failure::Kind::Hang);
    EXPECT_EQ(hang.summary, "monkey: hang: action 7 (click Command1 @3) did not");
    EXPECT_EQ(classifyRun(-1, 0, true, "").kind, Failure::Kind::Hang);

    const Failure broken = classifyRun(kInvariantStatus, 0, false,
        "monkey: invariant: unasked change: a file changed (game/x: 3 bytes -> absent)\n  after action 4\n");
    EXPECT_EQ(broken.kind, Failure::Kind::Invariant);
    EXPECT_EQ(broken.signature, "unasked change");
    EXPECT_TRUE(broken.sameAs(classifyRun(kInvariantStatus, 0, false, "monkey: invariant: unasked change: other\n")));
    EXPECT_FALSE(broken.sameAs(hang));

    const Failure segv = classifyRun(-1, 11, false, "");
    EXPECT_EQ(segv.kind, Failure::Kind::Crash);
    EXPECT_EQ(segv.signature, "signal 11");
    EXPECT_EQ(classifyRun(2, 0, false, "").signature, "exit 2");
}

} // namespace
