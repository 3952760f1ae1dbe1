// Fuzz target: the side-file parsers and the comment column lookup. The input
// is split at its first 0xFF byte into a comment file and a plane-name list.
#include "recordtext/annotations.h"
#include "recordtext/labelledline.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\xff');
    const std::string_view comments = input.substr(0, split);
    const std::string_view names = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    kvl::recordtext::ProgramTable table;
    table.categoryLimit = 11;
    table.planeNameCode = 11;
    kvl::recordtext::AnnotationSet set;
    set.commentsLoaded = kvl::recordtext::parseCommentFile(comments, set);
    set.planeNamesLoaded = kvl::recordtext::parsePlaneNames(names, set);

    kvl::CrlfText text;
    kvl::recordtext::LabelledOutput out { text, set, table, 22 };
    const std::int32_t values[] = { -1, 0, 1, 3, 29, 30, 255, 256, 65535, 99999, 2147483647 };
    for (int code = -2; code <= 12; ++code)
        for (std::int32_t value : values)
            kvl::recordtext::writeLabelledLine(out, "  Label:", value, code);
    return 0;
}
