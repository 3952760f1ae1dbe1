// Tests only: the switcher's host with every box and dialog recorded and
// the window-only extras (busy cursor, picture, quit) doing nothing.
#pragma once

#include "common/testing/fakewindowhost.h"
#include "folioswap/setswitcher.h"

namespace kvl::folioswap::test {

class FakeSwitcherHost : public kvl::test::FakeWindowHost<SwitcherHost> {
public:
    void setBusy(bool) override { }
    bool showPicture(const std::vector<std::uint8_t>&) override { return true; }
    void clearPicture() override { }
    void quit() override { }
};

} // namespace kvl::folioswap::test
