// folioswap: one load and unload of a set of N files of 4 KiB into a game
// folder, parsing a long restore list, and the safe switch against cp:
// load over the game's own files (journal and safety copies included) and
// unload, each timed alone, for 200 files of 4 KiB and 20 of 10 MiB; the same
// files copied with cp and removed with rm; and the recovery of a load cut
// half-way.
#include "folioswap/setswitcher.h"

#include "common/fileimage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
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
    std::optional<std::string> confirmNewSet(const kvl::folioswap::NewSetProposal&) override { return std::nullopt; }
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

// A game folder holding its own version of every file of the set "Bench"
// (range(0) files of range(1) bytes), so that Load replaces every one of
// them and keeps a safety copy of each.
class SwitchBench {
public:
    SwitchBench(int count, std::size_t size)
    {
        std::random_device rd;
        m_game = fs::temp_directory_path() / ("folioswap_switch_bench_" + std::to_string(rd()));
        m_main = m_game / "Borvex";
        fs::create_directories(m_main / "Workfiles");
        fs::create_directories(m_main / "CAMBench");
        kvl::writeFileImage(m_main / "Workfiles/LastCampaign.txt", std::string_view("\"xxx\"\r\n"));
        kvl::writeFileImage(m_main / "Workfiles/Bench.jpg", std::string_view("jpeg"));
        kvl::writeFileImage(m_main / "Workfiles/xxxBench.txt", std::string_view("comment\r\n"));
        std::string body(size, 's');
        for (int i = 0; i < count; ++i) {
            body[i % size] = static_cast<char>('A' + i % 26);
            m_names.push_back("FILE" + std::to_string(i) + ".DAT");
            kvl::writeFileImage(m_main / "CAMBench" / m_names.back(), std::string_view(body));
        }
        m_original.assign(size, 'g');
    }
    ~SwitchBench()
    {
        std::error_code ec;
        fs::remove_all(m_game, ec);
    }
    // The game's own files back, no safety copies, nothing loaded.
    void reset()
    {
        std::error_code ec;
        fs::remove_all(m_main / "Workfiles/SafetyCopies", ec);
        for (const auto& name : m_names)
            kvl::writeFileImage(m_game / name, std::string_view(m_original));
        kvl::writeFileImage(m_main / "Workfiles/LastCampaign.txt", std::string_view("\"xxx\"\r\n"));
    }
    std::unique_ptr<kvl::folioswap::SetSwitcher> switcher()
    {
        auto made = std::make_unique<kvl::folioswap::SetSwitcher>(m_host);
        made->start(m_main);
        made->chooseSet(0);
        return made;
    }
    const fs::path& game() const { return m_game; }
    const fs::path& main() const { return m_main; }
    const std::vector<std::string>& names() const { return m_names; }

private:
    fs::path m_game, m_main;
    std::vector<std::string> m_names;
    std::string m_original;
    SilentHost m_host;
};

void BM_SafeLoad(benchmark::State& state)
{
    SwitchBench bench(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        bench.reset();
        auto switcher = bench.switcher();
        state.ResumeTiming();
        switcher->loadSelected();
        if (switcher->ended() || !switcher->isSetLoaded())
            state.SkipWithError("the load failed");
    }
}
BENCHMARK(BM_SafeLoad)->Args({ 200, 4096 })->Args({ 20, 10 << 20 })->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SafeUnload(benchmark::State& state)
{
    SwitchBench bench(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        bench.reset();
        auto switcher = bench.switcher();
        switcher->loadSelected();
        state.ResumeTiming();
        switcher->unloadSelected();
        if (switcher->ended() || switcher->isSetLoaded())
            state.SkipWithError("the unload failed");
    }
}
BENCHMARK(BM_SafeUnload)->Args({ 200, 4096 })->Args({ 20, 10 << 20 })->Unit(benchmark::kMillisecond)->UseRealTime();

// The same files with cp (over the game's own files) and rm.
void BM_CpLoad(benchmark::State& state)
{
    SwitchBench bench(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    const std::string command = "cp '" + (bench.main() / "CAMBench").string() + "'/* '" + bench.game().string() + "'/";
    for (auto _ : state) {
        state.PauseTiming();
        bench.reset();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
    }
}
BENCHMARK(BM_CpLoad)->Args({ 200, 4096 })->Args({ 20, 10 << 20 })->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RmUnload(benchmark::State& state)
{
    SwitchBench bench(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    const std::string command = "cd '" + bench.game().string() + "' && rm FILE*.DAT";
    for (auto _ : state) {
        state.PauseTiming();
        bench.reset();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("rm failed");
    }
}
BENCHMARK(BM_RmUnload)->Args({ 200, 4096 })->Args({ 20, 10 << 20 })->Unit(benchmark::kMillisecond)->UseRealTime();

// A 200-file load cut after half its file operations, then the next start
// finishing it (range(0) = 1) or rolling it back (0).
class AnsweringHost : public SilentHost {
public:
    kvl::MessageAnswer answer = kvl::MessageAnswer::Yes;
    kvl::MessageAnswer showMessage(const kvl::Message&, kvl::MessageButtons) override { return answer; }
};

void BM_RecoverCutLoad(benchmark::State& state)
{
    SwitchBench bench(200, 4096);
    AnsweringHost host;
    host.answer = state.range(0) ? kvl::MessageAnswer::Yes : kvl::MessageAnswer::No;
    for (auto _ : state) {
        state.PauseTiming();
        bench.reset();
        auto switcher = bench.switcher();
        auto count = std::make_shared<int>(0);
        switcher->setFileOpHook([count] { return (*count)++ < 300; });
        switcher->loadSelected();
        if (!fs::exists(bench.main() / "Workfiles" / kvl::folioswap::kJournalName))
            state.SkipWithError("the load was not cut");
        kvl::folioswap::SetSwitcher next(host);
        state.ResumeTiming();
        next.start(bench.main());
        if (fs::exists(bench.main() / "Workfiles" / kvl::folioswap::kJournalName))
            state.SkipWithError("the recovery failed");
    }
}
BENCHMARK(BM_RecoverCutLoad)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
