// Squadron.TXT: the squadron file as one labelled line per field, with plane
// names and weapon comments from the side files. The count line holds the
// number of squadrons; the parser reads it from two characters only, so the
// text form carries at most 99 squadrons back.
#pragma once

#include "recordtext/annotations.h"
#include "recordtext/labelledline.h"
#include "recordtext/programtable.h"
#include "squadconv/squadronfile.h"

#include <string>

namespace kvl::squadconv {

/// The most squadrons the two-digit count line carries back.
constexpr std::size_t kMaxTextSquadrons = 99;

/// The squadconv constants: side files, comment codes and the dialogue texts.
const recordtext::ProgramTable& squadronProgramTable();

/// The whole text of Squadron.TXT for `file`.
std::string squadronText(const SquadronFile& file, const recordtext::AnnotationSet& notes);

/// Parses a Squadron.TXT into `file` (replacing its squadrons by as many
/// zeroed records as the count line says, then filling them). When the text
/// ends early `in.ended()` is set.
void parseSquadronText(recordtext::RecordTextInput& in, SquadronFile& file);

} // namespace kvl::squadconv
