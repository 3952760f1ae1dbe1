// modelconv throughput: load + text dump of a large model, load + VKM of the
// largest model the VKM limits allow, and the float field alone.
#include "bench/modelconv_models.h"
#include "modelconv/numberformat.h"
#include "modelconv/textdump.h"
#include "modelconv/vkm.h"

#include "common/fileimage.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace kvl::modelconv;

// The reader alone, to split the cost of the dump below.
void BM_LoadLarge(benchmark::State& state)
{
    const std::vector<std::uint8_t> file = kvl::bench::largeModel();
    for (auto _ : state) {
        auto model = decode3DB(file);
        if (!model)
            state.SkipWithError(model.error().message.c_str());
        else
            benchmark::DoNotOptimize(model->subRecords().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_LoadLarge)->Unit(benchmark::kMillisecond);

void BM_LoadAndTextDump(benchmark::State& state)
{
    const std::vector<std::uint8_t> file = kvl::bench::largeModel();
    std::size_t out = 0;
    for (auto _ : state) {
        auto model = decode3DB(file);
        if (!model) {
            state.SkipWithError(model.error().message.c_str());
            break;
        }
        std::string dump = formatTextDump(*model);
        out = dump.size();
        benchmark::DoNotOptimize(dump.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out));
    state.counters["output_MB"] = static_cast<double>(out) / 1e6;
    state.counters["input_MB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_LoadAndTextDump)->Unit(benchmark::kMillisecond);

// The same through the files: read the .3DB from disk, write the dump to disk.
void BM_LoadAndTextDumpFiles(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / "modelconv_bench";
    std::filesystem::create_directories(dir);
    kvl::writeFileImage(dir / "LARGE.3DB", kvl::bench::largeModel());
    std::size_t out = 0;
    for (auto _ : state) {
        auto model = load3DB(dir / "LARGE.3DB");
        if (!model) {
            state.SkipWithError(model.error().message.c_str());
            break;
        }
        writeTextDump(*model, dir / "LARGE.TXT");
        out = static_cast<std::size_t>(kvl::fileSize(dir / "LARGE.TXT"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadAndTextDumpFiles)->Unit(benchmark::kMillisecond);

void BM_LoadAndVkm(benchmark::State& state)
{
    const std::vector<std::uint8_t> file = kvl::bench::maxVkmModel();
    std::size_t out = 0;
    for (auto _ : state) {
        auto model = decode3DB(file);
        if (!model || vkmProblem(*model)) {
            state.SkipWithError("the model does not fit a VKM file");
            break;
        }
        std::vector<std::uint8_t> bytes = vkmBytes(convertToVKM(*model));
        out = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out));
    state.counters["output_KB"] = static_cast<double>(out) / 1e3;
}
BENCHMARK(BM_LoadAndVkm)->Unit(benchmark::kMicrosecond);

void BM_FloatField(benchmark::State& state)
{
    std::string out;
    float v = 1.2345e-7f;
    for (auto _ : state) {
        out.clear();
        for (int i = 0; i < 1000; ++i)
            appendFloat(out, v * static_cast<float>(i));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 1000);
}
BENCHMARK(BM_FloatField);

} // namespace
