// The flight editor's core: loading a file into the table, the value text
// conversions, a paste over all 328 fields and its undo, a compare of two
// files, and an import of 328 values from CSV.
#include "fltpatch/flighteditor.h"

#include "common/byteview.h"
#include "common/fileimage.h"
#include "common/testing/fakewindowhost.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

namespace fs = std::filesystem;
using namespace kvl::fltpatch;

fs::path benchFile()
{
    static fs::path path = [] {
        fs::path p = fs::temp_directory_path() / "fltpatch_bench.flt";
        std::vector<std::uint8_t> image(kFileSize);
        for (const FieldInfo& f : fieldTable()) {
            auto offset = static_cast<std::size_t>(f.position - 1);
            if (f.type == FieldType::Float)
                kvl::putF32(image, offset, static_cast<float>(f.number) * 1.37f);
            else if (f.type == FieldType::Long)
                kvl::putI32(image, offset, f.number * 1001);
            else
                kvl::putI16(image, offset, static_cast<std::int16_t>(f.number));
        }
        kvl::writeFileImage(p, image);
        return p;
    }();
    return path;
}

void loadFile(benchmark::State& state)
{
    kvl::test::FakeWindowHost<> host;
    FlightModelEditor editor(host);
    fs::path file = benchFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(editor.loadFile(file));
}
BENCHMARK(loadFile);

void formatFloats(benchmark::State& state)
{
    std::mt19937 random(7);
    std::vector<float> values(1024);
    for (float& v : values)
        v = std::uniform_real_distribution<float>(-1e5f, 1e5f)(random);
    for (auto _ : state)
        for (float v : values)
            benchmark::DoNotOptimize(formatFloat(v));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(formatFloats);

void encodeTexts(benchmark::State& state)
{
    const char* texts[] = { "1.5", "2.5", "-32768.5", "3000.25", "0.0214", "1.5E+08", "145.5" };
    for (auto _ : state)
        for (const char* t : texts) {
            benchmark::DoNotOptimize(encodeValue(FieldType::Short, t));
            benchmark::DoNotOptimize(encodeValue(FieldType::Float, t));
        }
}
BENCHMARK(encodeTexts);

// One paste of 328 values; with argument 1 also its undo: two writes into
// the file, each reading the file's bytes first so that undo can check them.
void pasteAllFields(benchmark::State& state)
{
    const bool undo = state.range(0) != 0;
    kvl::test::FakeWindowHost<> host;
    FlightModelEditor editor(host);
    fs::path file = benchFile();
    editor.loadFile(file);
    editor.beginMark(1);
    editor.endMark(kFieldCount);
    editor.storeValues();
    for (auto _ : state) {
        editor.selectField(1);
        benchmark::DoNotOptimize(editor.pasteValues());
        if (undo)
            benchmark::DoNotOptimize(editor.undo());
    }
}
BENCHMARK(pasteAllFields)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Loading a second file beside the first and finding the fields that differ.
void compareTwoFiles(benchmark::State& state)
{
    kvl::test::FakeWindowHost<> host;
    FlightModelEditor editor(host);
    editor.loadFile(benchFile());
    static const fs::path other = [] {
        fs::path p = fs::temp_directory_path() / "fltpatch_bench_other.flt";
        std::vector<std::uint8_t> image;
        kvl::readFileImage(benchFile(), image);
        for (std::size_t i = 8; i < image.size(); i += 40)
            image[i] ^= 0x11;
        kvl::writeFileImage(p, image);
        return p;
    }();
    for (auto _ : state) {
        benchmark::DoNotOptimize(editor.compareWith(other));
        benchmark::DoNotOptimize(editor.differences());
    }
}
BENCHMARK(compareTwoFiles)->Unit(benchmark::kMillisecond);

// An import of all 328 values, every one different from the file's (the
// CSV alternates between two exports), so each run checks and writes them all.
void importAllFields(benchmark::State& state)
{
    kvl::test::FakeWindowHost<> host;
    FlightModelEditor editor(host);
    fs::path file = benchFile();
    editor.loadFile(file);
    const std::string first = editor.exportCsv();
    for (int number = 1; number <= kFieldCount; ++number) {
        editor.selectField(number);
        editor.setEditText(field(number).type == FieldType::Float ? "0.5" : "-3");
        editor.writeEditText();
    }
    const std::string second = editor.exportCsv();
    bool flip = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(editor.importCsv(flip ? second : first, "bench.csv"));
        flip = !flip;
    }
}
BENCHMARK(importAllFields)->Unit(benchmark::kMillisecond);

} // namespace
