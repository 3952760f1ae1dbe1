// The annotation side files: the program's comment file (categories of value ->
// comment text) and the plane-name list PNAMES.TXT. Their content only
// decorates the text form; conversion works without them.
//
// Comment file layout:
//   line 1      first character 'S'; characters 8-10 hold N, the number of categories
//   N blocks    a header line "?count]..." then `count` entry lines; an entry line
//               holds the value in characters 1-5 and the comment text from
//               character 6 up to the first '.'
// An empty line where a header or entry line is expected is replaced by the
// next line (once). PNAMES.TXT: two lines ignored, then the names of plane
// types 0 to 29, one per line.
#pragma once

#include "recordtext/programtable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kvl::recordtext {

/// Side-file lines and texts are held in fixed buffers by the game's tools:
/// a line has at most 99 characters, a comment or a plane name at most 63.
constexpr std::size_t kMaxSideLine = 99;
constexpr std::size_t kMaxAnnotationText = 63;
constexpr int kPlaneNameCount = 30;

struct AnnotationEntry {
    std::int32_t value = 0;
    std::string text; // at most kMaxAnnotationText characters
};

struct CommentCategory {
    std::vector<AnnotationEntry> entries; // in file order
};

struct AnnotationSet {
    std::vector<CommentCategory> categories;
    std::array<AnnotationEntry, kPlaneNameCount> planeNames;
    bool commentsLoaded = false;
    bool planeNamesLoaded = false;
};

/// Parses the text of a comment file into `set.categories`. False (and no
/// categories) when the first line does not start with 'S' or the file ends
/// before its N blocks are complete.
bool parseCommentFile(std::string_view text, AnnotationSet& set);

/// Parses the text of PNAMES.TXT into `set.planeNames`. False (and all names
/// empty) when the file has fewer than 32 lines.
bool parsePlaneNames(std::string_view text, AnnotationSet& set);

/// Reads the comment file and PNAMES.TXT from `folder` (names looked up
/// ignoring letter case), printing the program's messages to `out`.
AnnotationSet loadAnnotations(const ProgramTable& table, const std::filesystem::path& folder, std::ostream& out);

/// The comment column text for `value` written with category code `code`, or
/// nothing when the line gets no comment column.
std::optional<std::string_view> commentFor(
    const AnnotationSet& set, const ProgramTable& table, std::int32_t value, int code);

/// atoi-like: leading blanks, an optional sign, then digits up to the first
/// other character; no digits give 0. Clamped to the 32-bit range.
std::int32_t leadingInt(std::string_view text);

} // namespace kvl::recordtext
