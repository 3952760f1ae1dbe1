// Throughput of the record-text converters: writing the squadron text of a
// 10,000-squadron file, parsing the largest squadron text the count line
// allows (99 squadrons), and both directions for one campaign file.
#include "campconv/campaigntext.h"
#include "squadconv/squadrontext.h"

#include <benchmark/benchmark.h>

#include <random>
#include <sstream>

namespace {

using namespace kvl;
using namespace kvl::campconv;
using namespace kvl::squadconv;
using namespace kvl::recordtext;

/// Comments and plane names, so the comment columns are written too.
AnnotationSet sideFiles()
{
    std::string comments = "Section 10\r\n";
    for (int c = 0; c < 10; ++c) {
        comments += "[12]\r\n";
        for (int v = 0; v < 12; ++v)
            comments += "    " + std::to_string(v % 10) + "Comment text of category " + std::to_string(c) + ".\r\n";
    }
    std::string names = "x\r\nx\r\n";
    for (int i = 0; i < 30; ++i)
        names += "Plane type number " + std::to_string(i) + "\r\n";
    AnnotationSet set;
    set.commentsLoaded = parseCommentFile(comments, set);
    set.planeNamesLoaded = parsePlaneNames(names, set);
    return set;
}

SquadronFile squadrons(std::size_t count)
{
    std::mt19937 random(42);
    std::vector<std::uint8_t> bytes(count * kSquadronRecordSize);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random() % 40);
    SquadronFile file;
    readSquadronImage(bytes, file);
    return file;
}

void BM_SquadronTextWrite10000(benchmark::State& state)
{
    const SquadronFile file = squadrons(10000);
    const AnnotationSet notes = sideFiles();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = squadronText(file, notes);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_SquadronTextWrite10000)->Unit(benchmark::kMillisecond);

void BM_SquadronTextParse99(benchmark::State& state)
{
    const std::string text = squadronText(squadrons(99), sideFiles());
    for (auto _ : state) {
        std::ostringstream messages;
        RecordTextInput in(text, squadronProgramTable(), messages);
        SquadronFile file;
        parseSquadronText(in, file);
        benchmark::DoNotOptimize(file.squadrons.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SquadronTextParse99)->Unit(benchmark::kMicrosecond);

void BM_CampaignTextWrite(benchmark::State& state)
{
    const CampaignFile file {};
    const AnnotationSet notes = sideFiles();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = campaignText(file, notes);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_CampaignTextWrite)->Unit(benchmark::kMicrosecond);

void BM_CampaignTextParse(benchmark::State& state)
{
    const std::string text = campaignText(CampaignFile {}, sideFiles());
    for (auto _ : state) {
        std::ostringstream messages;
        RecordTextInput in(text, campaignProgramTable(), messages);
        CampaignFile file;
        parseCampaignText(in, file);
        benchmark::DoNotOptimize(&file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CampaignTextParse)->Unit(benchmark::kMicrosecond);

} // namespace
