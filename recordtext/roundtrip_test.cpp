// What the labelled-line form carries back, value by value, and how the
// places of a field list are named.
#include "recordtext/fieldwalkers.h"
#include "recordtext/labelledline.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::recordtext;

/// One field written as a labelled line and read back.
std::optional<std::int32_t> throughText(std::int32_t value)
{
    static const ProgramTable table {};
    static const AnnotationSet notes {};
    CrlfText text;
    LabelledOutput out { text, notes, table, 37 }; // the widest section
    writeLabelledLine(out, "  Plane Count:", value, kNoComment);
    std::ostringstream messages;
    RecordTextInput in(text.str(), table, messages);
    return in.readValue("Plane Count");
}

TEST(LabelledRoundTrip, EveryEightAndSixteenBitValueSurvives)
{
    for (std::int32_t v = 0; v <= 0xFFFF; ++v)
        ASSERT_EQ(throughText(v), v);
}

TEST(LabelledRoundTrip, ThirtyTwoBitValuesSurviveFromMinus9999To99999Only)
{
    for (std::int32_t v = -20000; v <= 200000; ++v)
        ASSERT_EQ(throughText(v) == v, v >= -9999 && v <= 99999) << v;
    EXPECT_EQ(throughText(123456), 12345);
    EXPECT_EQ(throughText(-10000), -1000);
    EXPECT_EQ(throughText(std::numeric_limits<std::int32_t>::max()), 21474);
    EXPECT_EQ(throughText(std::numeric_limits<std::int32_t>::min()), -2147);
}

struct Inner {
    std::uint8_t kind = 0;
    std::uint16_t amount = 0;
};
struct Outer {
    std::int32_t side = 0;
    std::array<std::uint8_t, 3> targets {};
    std::array<Inner, 2> parts {};
};
inline constexpr std::array<std::string_view, 1> kSideNames = { "Side" };
inline constexpr auto kInner = std::tuple(field(&Inner::kind, "Kind"), field(&Inner::amount, "Amount"));
inline constexpr auto kOuter = std::tuple(field(&Outer::side, Label("", kSideNames)), field(&Outer::targets, "Target"),
    section({ "2. PARTS", 10, 0, 0 }, records(&Outer::parts, Label("PART #", 1), kInner)));

TEST(FieldPlaces, NameEachValueByItsHeadingTitleAndLabel)
{
    std::vector<FieldPlace> places;
    PlaceRecorder recorder(places, "THING #2");
    const Outer outer;
    walk(recorder, outer, kOuter);
    std::vector<std::string> names;
    std::vector<std::size_t> offsets;
    for (const auto& p : places) {
        names.push_back(p.name);
        offsets.push_back(p.offset);
    }
    EXPECT_EQ(names,
        (std::vector<std::string> { "THING #2 / Side", "THING #2 / Target [1 of 3]", "THING #2 / Target [2 of 3]",
            "THING #2 / Target [3 of 3]", "THING #2 / 2. PARTS / PART #1 / Kind",
            "THING #2 / 2. PARTS / PART #1 / Amount", "THING #2 / 2. PARTS / PART #2 / Kind",
            "THING #2 / 2. PARTS / PART #2 / Amount" }));
    EXPECT_EQ(offsets, (std::vector<std::size_t> { 0, 4, 5, 6, 7, 8, 10, 11 }));
    EXPECT_TRUE(places[0].isSigned);
    EXPECT_EQ(placeAt(places, 3)->name, "THING #2 / Side");
    EXPECT_EQ(placeAt(places, 9)->name, "THING #2 / 2. PARTS / PART #1 / Amount");
    EXPECT_EQ(placeAt(places, 13), nullptr);
}

} // namespace
