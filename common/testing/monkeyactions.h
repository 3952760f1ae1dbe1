// Tests only, inside the monkey engine (common/testing/monkey.h): the
// controls of the program's windows, random actions on them, and doing an
// action as the user would.
#pragma once

#include "common/testing/monkey.h"

#include <random>

namespace kvl::test::monkey {

/// An action on one of the enabled, visible, named controls of the windows
/// shown (or the program started again, a window closed, a file dropped),
/// drawn from `rng`.
Action randomAction(std::mt19937_64& rng, Subject& subject, const Session& session);

/// Does `action`; false when its control is not there or it makes no sense
/// for it (the action is skipped, as replays of shrunk lists need).
bool perform(const Action& action, Subject& subject, Session& session);

} // namespace kvl::test::monkey
