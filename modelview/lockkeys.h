// The state of the Caps Lock, Num Lock and Scroll Lock lights.
#pragma once

namespace kvl::modelview {

/// Fills on[0..2] (caps, num, scroll) and returns true when the windowing
/// system can tell; otherwise leaves `on` as it is and returns false.
bool readLockKeys(bool on[3]);

} // namespace kvl::modelview
