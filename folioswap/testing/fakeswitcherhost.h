// Tests only: the switcher's host with every box and dialog recorded and
// the window-only extras (busy cursor, picture, quit) doing nothing.
#pragma once

#include "common/testing/fakewindowhost.h"
#include "folioswap/setswitcher.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kvl::test {

using namespace kvl::folioswap;

class FakeSwitcherHost : public kvl::test::FakeWindowHost<SwitcherHost> {
public:
    void setBusy(bool) override { }
    bool showPicture(const std::vector<std::uint8_t>&) override { return true; }
    void clearPicture() override { }
    void quit() override { }
    /// Answers from `newSetNames` (an empty string cancels); the suggested
    /// name when it is empty.
    std::optional<std::string> confirmNewSet(const NewSetProposal& proposal) override
    {
        proposals.push_back(proposal);
        if (whileConfirming)
            whileConfirming(proposal);
        if (newSetNames.empty())
            return proposal.suggestedName;
        std::string name = newSetNames.front();
        newSetNames.pop_front();
        if (name.empty())
            return std::nullopt;
        return name;
    }

    std::vector<NewSetProposal> proposals;
    std::deque<std::string> newSetNames;
    /// Runs while the confirmation is "open".
    std::function<void(const NewSetProposal&)> whileConfirming;
};

} // namespace kvl::test
