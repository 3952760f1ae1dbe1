// The seven programs whose documents the build makes from their tables.
#pragma once

#include "campconv/campconvoptions.h"
#include "fltpatch/fltpatchoptions.h"
#include "folioswap/folioswapoptions.h"
#include "modelconv/modelconvoptions.h"
#include "modelview/modelviewoptions.h"
#include "planesedit/planeseditoptions.h"
#include "squadconv/squadconvoptions.h"

#include <array>

namespace kvl::docgen {

inline constexpr std::array<const cli::ProgramOptions*, 7> kPrograms = {
    &modelconv::kCommandLine,
    &modelview::kCommandLine,
    &campconv::kCommandLine,
    &squadconv::kCommandLine,
    &planesedit::kCommandLine,
    &folioswap::kCommandLine,
    &fltpatch::kCommandLine,
};

} // namespace kvl::docgen
