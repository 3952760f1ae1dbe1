// folioswap: one load and unload of a set of N files of 4 KiB into a game
// folder, and parsing a long restore list.
#include "folioswap/setswitcher.h"

#include "common/fileimage.h"

#include <benchmark/benchmark.h>

#include <random>

namespace fs = std::filesystem;

namespace {

class SilentHost : public kvl::folioswap::SwitcherHost {
public:
    kvl::MessageAnswer showMessage(const kvl::Message&, kvl::MessageButtons) override { return kvl::MessageAnswer::Ok; }
    std::filesystem::path chooseFile(const kvl::FileDialogRequest&) override { return {}; }
    void setBusy(bool) override { }
    bool showPicture(const std::vector<std::uint8_t>&) override { return true; }
    void clearPicture() override { }
    void quit() override { }
};

void BM_LoadUnload(benchmark::State& state)
{
    std::random_device rd;
    fs::path game = fs::temp_directory_path() / ("folioswap_bench_" + std::to_string(rd()));
    fs::path main = game / "Borvex";
    fs::create_directories(main / "Workfiles");
    fs::create_directories(main / "CAMBench");
    kvl::writeFileImage(main / "Workfiles/LastCampaign.txt", std::string_view("\"xxx\"\r\n"));
    kvl::writeFileImage(main / "Workfiles/Bench.jpg", std::string_view("jpeg"));
    kvl::writeFileImage(main / "Workfiles/xxxBench.txt", std::string_view("comment\r\n"));
    std::string body(4096, 'k');
    for (int i = 0; i < state.range(0); ++i)
        kvl::writeFileImage(main / "CAMBench" / ("FILE" + std::to_string(i) + ".DAT"), std::string_view(body));
    SilentHost host;
    kvl::folioswap::SetSwitcher switcher(host);
    switcher.start(main);
    for (auto _ : state) {
        switcher.chooseSet(0);
        switcher.loadSelected();
        switcher.chooseSet(0);
        switcher.unloadSelected();
    }
    if (switcher.ended())
        state.SkipWithError("the switcher reported a problem");
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::error_code ec;
    fs::remove_all(game, ec);
}
BENCHMARK(BM_LoadUnload)->Arg(10)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_ParseRestoreList(benchmark::State& state)
{
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "SQ" + std::to_string(i) + ".DAT\r\n" + (i % 7 == 0 ? "\r\n" : "");
    for (auto _ : state) {
        auto entries = kvl::folioswap::parseRestoreList(text);
        bool safe = true;
        for (const auto& entry : entries)
            safe = kvl::folioswap::isSafeRestoreName(entry.name) && safe;
        benchmark::DoNotOptimize(safe);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseRestoreList);

} // namespace
