// diff and merge: reading the inputs of either kind, the listings and the
// merged output.
#include "recordtext/comparecommands.h"

#include "recordtext/textreading.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/textdecode.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace kvl::recordtext {

namespace fs = std::filesystem;

namespace {

/// One input: its bytes as given, its kind, and its fields as a binary image.
struct Input {
    std::string name; // as shown in messages
    bool isText = false;
    std::vector<std::uint8_t> raw;
    RecordImage image;
};

std::string shown(const std::string& file)
{
    return file == "-" ? "standard input" : file;
}

/// Reads and loads one input; on failure says why on `err` (a text that does
/// not read as to-binary says it, then "not <done>: ...") and gives nothing.
std::optional<Input> loadInput(const ProgramTable& table, RecordConverter& converter, const std::string& file,
    std::istream& in, std::ostream& err, const std::string& done)
{
    Input input;
    input.name = shown(file);
    if (file == "-") {
        input.raw.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            err << input.name << ": cannot read standard input\n";
            return std::nullopt;
        }
    } else {
        Result<std::vector<std::uint8_t>> bytes = readFileImage(kvl::platform::pathFromUtf8(file));
        if (!bytes) {
            err << input.name << ": " << bytes.error().message << '\n';
            return std::nullopt;
        }
        input.raw = std::move(*bytes);
    }
    input.isText = looksLikeText(input.raw);
    if (!input.isText) {
        if (const Result<void> loaded = converter.loadImage(input.raw); !loaded) {
            err << input.name << ": " << loaded.error().message << '\n';
            return std::nullopt;
        }
        input.image = recordImage(converter, input.raw);
        return input;
    }
    const std::string_view text(reinterpret_cast<const char*>(input.raw.data()), input.raw.size());
    const TextReading reading = readRecordText(converter, table, text, input.name);
    if (!reading.ok()) {
        for (const std::string& line : readingReport(reading))
            err << input.name << ": " << line << '\n';
        if (reading.stop.empty())
            err << input.name << ": not " << done << ": the labels above do not match\n";
        return std::nullopt;
    }
    input.image = recordImage(converter, converter.binaryImage());
    return input;
}

std::optional<std::vector<Input>> loadInputs(const ProgramTable& table, RecordConverter& converter,
    const CompareRequest& request, std::istream& in, std::ostream& err, const std::string& done)
{
    std::vector<Input> inputs;
    bool failed = false;
    for (const std::string& file : request.files) {
        std::optional<Input> input = loadInput(table, converter, file, in, err, done);
        failed = failed || !input;
        if (input)
            inputs.push_back(std::move(*input));
    }
    if (failed)
        return std::nullopt;
    return inputs;
}

std::string itemName(const ProgramTable& table, const ComparedItem& item)
{
    switch (item.kind) {
    case ItemKind::Field:
        return item.place.name;
    case ItemKind::Count:
        return std::string(table.countLabel);
    case ItemKind::Tail:
        return "bytes after the records";
    }
    return {};
}

std::string valueText(const ComparedItem& item, const FieldValue& value)
{
    if (!value || (item.kind == ItemKind::Tail && *value == 0))
        return "none";
    if (item.kind == ItemKind::Tail)
        return std::to_string(*value) + (*value == 1 ? " byte" : " bytes");
    return std::to_string(*value);
}

std::string jsonValue(const FieldValue& value)
{
    return value ? std::to_string(*value) : "null";
}

/// The item's place as JSON members, without braces.
std::string jsonPlace(const ProgramTable& table, const ComparedItem& item)
{
    static constexpr const char* kKinds[] = { "field", "count", "tail" };
    std::string out = "\"kind\":\"" + std::string(kKinds[static_cast<int>(item.kind)]) + "\"";
    out += ",\"name\":" + jsonString(itemName(table, item));
    if (item.kind == ItemKind::Field)
        out += ",\"section\":" + jsonString(item.place.section) + ",\"record\":" + jsonString(item.place.record)
            + ",\"label\":" + jsonString(item.place.label);
    if (item.kind != ItemKind::Count)
        out += ",\"offset\":" + std::to_string(item.place.offset);
    return out;
}

const char* sideName(Prefer prefer)
{
    return prefer == Prefer::Mine ? "mine" : "theirs";
}

/// Whether OUT is a text: by its extension, else as MINE is.
bool outputIsText(const std::string& out, bool mineIsText)
{
    std::string extension = out == "-" ? std::string()
                                       : kvl::platform::utf8FromPath(kvl::platform::pathFromUtf8(out).extension());
    for (char& c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (extension == ".TXT")
        return true;
    if (extension == ".DAT")
        return false;
    return mineIsText;
}

void listConflicts(const ProgramTable& table, const CompareRequest& request, const std::vector<Input>& inputs,
    const MergeResult& merged, bool written, std::ostream& list)
{
    if (request.json) {
        list << "{\"base\":" << jsonString(inputs[0].name) << ",\"mine\":" << jsonString(inputs[1].name)
             << ",\"theirs\":" << jsonString(inputs[2].name) << ",\"out\":" << jsonString(shown(request.out))
             << ",\"written\":" << (written ? "true" : "false") << ",\"fromMine\":" << merged.fromMine
             << ",\"fromTheirs\":" << merged.fromTheirs << ",\"alike\":" << merged.alike << ",\"conflicts\":[";
        for (std::size_t i = 0; i < merged.conflicts.size(); ++i) {
            const ComparedItem& c = merged.conflicts[i];
            list << (i ? "," : "") << '{' << jsonPlace(table, c) << ",\"base\":" << jsonValue(c.values[0])
                 << ",\"mine\":" << jsonValue(c.values[1]) << ",\"theirs\":" << jsonValue(c.values[2]) << ",\"took\":"
                 << (merged.prefer == Prefer::Neither ? "null" : "\"" + std::string(sideName(merged.prefer)) + "\"")
                 << '}';
        }
        list << "]}\n";
        return;
    }
    for (const ComparedItem& c : merged.conflicts) {
        list << "conflict: " << itemName(table, c) << ": base " << valueText(c, c.values[0]) << ", mine "
             << valueText(c, c.values[1]) << ", theirs " << valueText(c, c.values[2]);
        if (merged.prefer != Prefer::Neither)
            list << " (took " << sideName(merged.prefer) << ')';
        list << '\n';
    }
}

std::string mergeCounts(const MergeResult& merged)
{
    std::string out = std::to_string(merged.fromMine) + (merged.fromMine == 1 ? " field" : " fields") + " from mine, "
        + std::to_string(merged.fromTheirs) + " from theirs, " + std::to_string(merged.alike) + " changed alike";
    if (!merged.conflicts.empty() && merged.prefer != Prefer::Neither)
        out += ", " + std::to_string(merged.conflicts.size())
            + (merged.conflicts.size() == 1 ? " conflict" : " conflicts") + " decided for " + sideName(merged.prefer);
    return out;
}

/// The bytes of the merged file in the output's kind: an input's own bytes
/// when the merge holds its fields and it is of that kind.
std::vector<std::uint8_t> outputBytes(const ProgramTable& table, RecordConverter& converter,
    const CompareRequest& request, const std::vector<Input>& inputs, const MergeResult& merged, bool text,
    std::ostream& err)
{
    for (std::size_t i : { 1, 2, 0 })
        if (inputs[i].isText == text && inputs[i].image.bytes == merged.bytes)
            return inputs[i].raw;
    if (!text)
        return merged.bytes;
    (void)converter.loadImage(merged.bytes);
    const std::string written = converter.text(loadAnnotations(table, request.notesFolder, err));
    return std::vector<std::uint8_t>(written.begin(), written.end());
}

} // namespace

bool looksLikeText(std::span<const std::uint8_t> bytes)
{
    std::string_view start(reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(bytes.size(), 16));
    if (start.starts_with("\xEF\xBB\xBF"))
        start.remove_prefix(3);
    if (start.starts_with("KORVAL"))
        return true;
    return !bytes.empty() && std::find(bytes.begin(), bytes.end(), 0) == bytes.end();
}

int runDiff(const ProgramTable& table, RecordConverter& converter, const CompareRequest& request, std::istream& in,
    std::ostream& out, std::ostream& err)
{
    const std::optional<std::vector<Input>> inputs = loadInputs(table, converter, request, in, err, "compared");
    if (!inputs)
        return cli::kExitUsage;
    const Input& a = (*inputs)[0];
    const Input& b = (*inputs)[1];
    const std::vector<ComparedItem> items = diffImages(converter, a.image, b.image);
    if (request.json) {
        out << "{\"a\":" << jsonString(a.name) << ",\"b\":" << jsonString(b.name) << ",\"differences\":[";
        for (std::size_t i = 0; i < items.size(); ++i)
            out << (i ? "," : "") << '{' << jsonPlace(table, items[i]) << ",\"a\":" << jsonValue(items[i].values[0])
                << ",\"b\":" << jsonValue(items[i].values[1]) << '}';
        out << "]}\n";
    } else {
        for (const ComparedItem& item : items) {
            out << itemName(table, item) << ": " << valueText(item, item.values[0]) << " -> ";
            // Tails of one length that differ in their bytes.
            const bool sameLength = item.kind == ItemKind::Tail && item.values[0] == item.values[1];
            out << (sameLength ? "other " : "") << valueText(item, item.values[1]) << '\n';
        }
    }
    out.flush();
    return items.empty() ? cli::kExitOk : cli::kExitFailed;
}

int runMerge(const ProgramTable& table, RecordConverter& converter, const CompareRequest& request, std::istream& in,
    std::ostream& out, std::ostream& err)
{
    const std::optional<std::vector<Input>> inputs = loadInputs(table, converter, request, in, err, "merged");
    if (!inputs) {
        err << shown(request.out) << ": nothing written\n";
        return cli::kExitFailed;
    }
    const std::vector<Input>& files = *inputs;
    const MergeResult merged = mergeImages(converter, files[0].image, files[1].image, files[2].image, request.prefer);
    // The merged file may go to standard output; the listing then goes beside the messages.
    std::ostream& list = request.out == "-" ? err : out;
    const std::string target = request.out == "-" ? std::string("standard output") : request.out;
    if (!merged.decided()) {
        listConflicts(table, request, files, merged, false, list);
        err << target << ": " << merged.conflicts.size() << (merged.conflicts.size() == 1 ? " conflict" : " conflicts")
            << "; nothing written (--prefer mine or --prefer theirs decides them)\n";
        return cli::kExitFailed;
    }

    const std::vector<std::uint8_t> bytes = outputBytes(
        table, converter, request, files, merged, outputIsText(request.out, files[1].isText), err);
    bool written = false;
    std::string how;
    if (request.out == "-") {
        if (!request.policy.dryRun) {
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            out.flush();
            if (!out) {
                err << target << ": cannot write to standard output\n";
                return cli::kExitFailed;
            }
            written = true;
        }
    } else {
        const Result<cli::WriteOutcome> outcome = cli::writeOutput(request.out, bytes, request.policy);
        if (!outcome) {
            listConflicts(table, request, files, merged, false, list);
            err << outcome.error().message << '\n';
            return cli::kExitFailed;
        }
        written = *outcome == cli::WriteOutcome::Written;
    }
    if (!written)
        how = " (dry run: would write " + std::to_string(bytes.size()) + " bytes)";
    listConflicts(table, request, files, merged, written, list);
    err << target << how << ": " << mergeCounts(merged) << '\n';
    return cli::kExitOk;
}

} // namespace kvl::recordtext
