// Reading a record text for the command line (to-text's reverse, diff and
// merge): the records when the text reads as the dialogue reads it, and
// otherwise every slip named once by its line.
//
// The dialogue's parser skips fixed numbers of lines and takes each field
// from the next line, so one line added, removed or blanked puts every later
// field one line off and every later label is reported. When the text does
// not read cleanly, it is set beside the text the writer gives for records
// of the same shape and the two are aligned on their lines' labels (the
// longest common run of labels, so titles, headings and numbered records
// stay anchors): a misspelt label is one slip, a removed or added line is
// one slip where it happened, and the fields after it are checked in their
// real places.
#pragma once

#include "recordtext/menu.h"
#include "recordtext/programtable.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvl::recordtext {

/// Slips reported before the rest are only counted.
constexpr std::size_t kShownSlips = 10;

/// How a text read.
struct TextReading {
    std::vector<std::string> slips; // "line 28: Expected Win Parameter.  Found Loss Condition", in line order
    std::string stop;               // why the text ended early or is not this program's text; empty if neither
    bool ok() const { return slips.empty() && stop.empty(); }
};

/// Parses `text` into `converter` as the dialogue does, quietly. When a
/// field does not read, the slips are found by aligning the text on the
/// labels the field list expects; `name` names the text in the stop reason.
/// The converter's records are left as the parse made them only when ok().
TextReading readRecordText(
    RecordConverter& converter, const ProgramTable& table, std::string_view text, std::string_view name);

/// What to print for a reading that is not ok, one message a line: the first
/// kShownSlips slips, "N more slips not shown" past them, then the stop
/// reason when there is one.
std::vector<std::string> readingReport(const TextReading& reading);

/// The key two lines are aligned on: the label before the first colon (the
/// whole line without one), spaces around it dropped, in lower case.
std::string lineKey(std::string_view line);

/// The pairs (i, j) of equal entries of `a` (a layout) and `b` (a text) on a
/// longest common subsequence, in order, where entries of `a` after the last
/// one `b` needs cost nothing (a text that stops early matches the start of
/// its layout); nothing when more than `maxEdits` entries would have to be
/// added or removed.
std::optional<std::vector<std::pair<std::size_t, std::size_t>>> commonRun(
    const std::vector<int>& a, const std::vector<int>& b, std::size_t maxEdits);

} // namespace kvl::recordtext
