// How long the VKM loader takes for the sample fighter and for a model at
// the format's limits (255 points, 255 elements of 20 vertices).
#include "modelview/testing/samplefighter.h"
#include "modelview/vkmmodel.h"

#include <benchmark/benchmark.h>

using namespace kvl::modelview;

static void loadImage(benchmark::State& state, const std::vector<std::uint8_t>& image)
{
    for (auto _ : state) {
        kvl::Result<VkmModel> model = loadVkm(image, PointSizeRange {});
        benchmark::DoNotOptimize(model);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(image.size()));
}

static void BM_LoadSampleFighter(benchmark::State& state)
{
    loadImage(state, kvl::test::sampleFighter());
}
BENCHMARK(BM_LoadSampleFighter);

static void BM_LoadLargestModel(benchmark::State& state)
{
    kvl::test::VkmBuilder b;
    for (int i = 0; i < 255; ++i)
        b.point(i, -i, i * 2);
    for (int e = 0; e < 255; ++e) {
        std::vector<std::uint8_t> idx;
        for (int k = 0; k < 20; ++k)
            idx.push_back(std::uint8_t((e + k) % 255));
        b.element(kvl::test::VkmBuilder::polygon(idx));
    }
    loadImage(state, b.build());
}
BENCHMARK(BM_LoadLargestModel);
