// CAMPAIGN.TXT: the campaign file as one labelled line per field, in eight
// numbered sections, with comment columns from the side files.
//
// The parser skips fixed numbers of lines at fixed places (it does not check
// them), so a text must keep the line structure the writer gives it; only the
// values may be edited. Comment columns are never read back.
#pragma once

#include "campconv/campaignfile.h"
#include "recordtext/annotations.h"
#include "recordtext/labelledline.h"
#include "recordtext/programtable.h"

#include <string>

namespace kvl::campconv {

/// The campconv constants: side files, comment codes and the dialogue texts.
const recordtext::ProgramTable& campaignProgramTable();

/// The whole text of CAMPAIGN.TXT for `file`.
std::string campaignText(const CampaignFile& file, const recordtext::AnnotationSet& notes);

/// Parses a CAMPAIGN.TXT into `file`. Fields whose line does not match keep
/// their value; when the text ends early `in.ended()` is set and the fields
/// not reached keep theirs.
void parseCampaignText(recordtext::RecordTextInput& in, CampaignFile& file);

} // namespace kvl::campconv
