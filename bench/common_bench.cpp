// Throughput of the shared byte view and line reader.
#include "common/byteview.h"
#include "common/textio.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ByteCursorReadsI32(benchmark::State& state)
{
    std::vector<std::uint8_t> bytes(1 << 20, 0x5A);
    for (auto _ : state) {
        kvl::ByteCursor cursor { kvl::ByteView(bytes) };
        std::int64_t sum = 0;
        while (cursor.remaining() >= 4)
            sum += cursor.i32();
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ByteCursorReadsI32);

void BM_LineReaderSplitsCrLfText(benchmark::State& state)
{
    std::string text;
    for (int i = 0; i < 50000; ++i)
        text += "Some labelled line            : 12345\r\n";
    for (auto _ : state) {
        kvl::LineReader reader(text);
        std::string_view line;
        std::size_t count = 0;
        while (reader.next(line))
            count += line.size();
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_LineReaderSplitsCrLfText);

} // namespace
