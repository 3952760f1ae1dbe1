// Fuzz target: a set archive held in memory, listed, checked whole and, when
// the check accepts it, read out with its bytes counted against the limit.
#include "folioswap/archivereader.h"
#include "folioswap/setcheck.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Counts what the archive brings, as the installer does, and stops at the limit.
class CountingSink : public kvl::folioswap::EntrySink {
public:
    explicit CountingSink(std::uint64_t limit) : m_limit(limit) { }
    kvl::Result<bool> begin(std::size_t) override { return true; }
    kvl::Result<void> write(std::span<const std::uint8_t> bytes) override
    {
        m_total += bytes.size();
        if (m_total > m_limit)
            return kvl::Error { "past the limit", 1 };
        return {};
    }
    kvl::Result<void> end() override { return {}; }

private:
    std::uint64_t m_limit;
    std::uint64_t m_total = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvl::folioswap;
    auto source = openArchiveMemory({ data, size }, "input");
    auto listing = source->list(listLimits(size));
    if (!listing)
        return 0;
    auto plan = checkSetSource(*listing, size, "input", "Input");
    if (!plan)
        return 0;
    // What the check keeps is a plain name inside the set's folder.
    for (const auto& part : plan->parts) {
        if (part.role == PartRole::LeftOut)
            continue;
        if (part.name.empty() || part.name == "." || part.name == ".."
            || part.name.find_first_of("/\\:") != std::string::npos)
            std::abort();
    }
    if (setNameProblem(plan->suggestedName, {}))
        std::abort();
    CountingSink sink(byteLimit(size));
    (void)source->read(sink);
    return 0;
}
