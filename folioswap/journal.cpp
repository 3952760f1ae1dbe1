// The switch journal's hash, writer and reader.
#include "folioswap/journal.h"

#include <charconv>
#include <cstring>

namespace kvl::folioswap {

namespace {

constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;
constexpr std::size_t kBlock = 32;

std::uint64_t rotl(std::uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

std::uint64_t loadWord(const std::uint8_t* bytes)
{
    std::uint64_t word = 0;
    for (int i = 7; i >= 0; --i)
        word = (word << 8) | bytes[i];
    return word;
}

} // namespace

void ContentHash::add(std::span<const std::uint8_t> bytes)
{
    m_length += bytes.size();
    // Each lane takes one word of every 32-byte block; the rotation carries
    // the high bits of a product back into the low bits of the next.
    auto block = [this](const std::uint8_t* data) {
        for (int lane = 0; lane < 4; ++lane)
            m_lanes[lane] = rotl((m_lanes[lane] ^ loadWord(data + 8 * lane)) * kFnvPrime, 29);
    };
    std::size_t at = 0;
    if (m_pendingSize > 0) {
        std::size_t take = std::min(kBlock - m_pendingSize, bytes.size());
        std::memcpy(m_pending + m_pendingSize, bytes.data(), take);
        m_pendingSize += take;
        at = take;
        if (m_pendingSize < kBlock)
            return;
        block(m_pending);
        m_pendingSize = 0;
    }
    for (; bytes.size() - at >= kBlock; at += kBlock)
        block(bytes.data() + at);
    m_pendingSize = bytes.size() - at;
    if (m_pendingSize > 0)
        std::memcpy(m_pending, bytes.data() + at, m_pendingSize);
}

std::uint64_t ContentHash::finish() const
{
    std::uint64_t hash = m_lanes[0];
    for (std::size_t i = 0; i < m_pendingSize; ++i)
        hash = (hash ^ m_pending[i]) * kFnvPrime;
    for (int lane = 1; lane < 4; ++lane)
        hash = (hash ^ rotl(m_lanes[lane], 17 * lane)) * kFnvPrime;
    hash = (hash ^ m_length) * kFnvPrime;
    // The 64-bit finaliser of SplitMix64: every input bit reaches every output bit.
    hash ^= hash >> 30;
    hash *= 0xbf58476d1ce4e5b9ULL;
    hash ^= hash >> 27;
    hash *= 0x94d049bb133111ebULL;
    hash ^= hash >> 31;
    return hash;
}

std::uint64_t contentHash(std::span<const std::uint8_t> bytes)
{
    ContentHash hash;
    hash.add(bytes);
    return hash.finish();
}

std::string_view operationName(Operation operation)
{
    switch (operation) {
    case Operation::Load:
        return "Load";
    case Operation::Unload:
        return "Unload";
    case Operation::Restore:
        return "Restore";
    }
    return "Load";
}

namespace {

const char* const kMagic = "folioswap-journal 1";

std::string escape(std::string_view name)
{
    if (name.empty())
        return "%";
    if (name == "-")
        return "%2D";
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == '%' || byte == 0x7F) {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescape(std::string_view field)
{
    if (field == "%")
        return std::string();
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= field.size())
            return std::nullopt;
        auto [end, ec] = std::from_chars(field.data() + i + 1, field.data() + i + 3, value, 16);
        if (ec != std::errc() || end != field.data() + i + 3)
            return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (true) {
        std::size_t space = line.find(' ', at);
        fields.push_back(line.substr(at, space == std::string_view::npos ? std::string_view::npos : space - at));
        if (space == std::string_view::npos)
            return fields;
        at = space + 1;
    }
}

std::optional<FileState> parseState(std::string_view field)
{
    if (field == "-")
        return FileState::absent();
    std::size_t colon = field.find(':');
    if (colon == std::string_view::npos || colon == 0 || field.size() - colon - 1 != 16)
        return std::nullopt;
    FileState state { true, 0, 0 };
    auto sizeEnd = field.data() + colon;
    auto [sizeAt, sizeEc] = std::from_chars(field.data(), sizeEnd, state.size);
    if (sizeEc != std::errc() || sizeAt != sizeEnd)
        return std::nullopt;
    auto hashEnd = field.data() + field.size();
    auto [hashAt, hashEc] = std::from_chars(sizeEnd + 1, hashEnd, state.hash, 16);
    if (hashEc != std::errc() || hashAt != hashEnd)
        return std::nullopt;
    return state;
}

std::optional<std::string> parseKeep(std::string_view field)
{
    if (field == "-")
        return std::string();
    auto keep = unescape(field);
    if (!keep || keep->empty())
        return std::nullopt;
    return keep;
}

std::optional<bool> parseFlag(std::string_view field)
{
    if (field == "0" || field == "1")
        return field == "1";
    return std::nullopt;
}

std::optional<JournalStep> parseStep(const std::vector<std::string_view>& fields)
{
    JournalStep step;
    std::optional<std::string> target = unescape(fields[1]);
    std::optional<std::string> source;
    std::optional<FileState> before;
    std::optional<FileState> after = FileState::absent();
    std::optional<std::string> keep;
    std::optional<bool> make;
    if (fields[0] == "copy" && fields.size() == 7) {
        step.kind = StepKind::Copy;
        source = unescape(fields[2]);
        before = parseState(fields[3]);
        after = parseState(fields[4]);
        keep = parseKeep(fields[5]);
        make = parseFlag(fields[6]);
        if (after && !after->exists)
            return std::nullopt;
    } else if (fields[0] == "delete" && fields.size() == 5) {
        step.kind = StepKind::Delete;
        source = std::string();
        before = parseState(fields[2]);
        keep = parseKeep(fields[3]);
        make = parseFlag(fields[4]);
        if (before && !before->exists)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!target || target->empty() || !source || !before || !after || !keep || !make)
        return std::nullopt;
    if (*make && keep->empty())
        return std::nullopt;
    step.target = std::move(*target);
    step.source = std::move(*source);
    step.before = *before;
    step.after = *after;
    step.keep = std::move(*keep);
    step.makeKeep = *make;
    return step;
}

} // namespace

std::string formatState(const FileState& state)
{
    if (!state.exists)
        return "-";
    char hash[17];
    static const char hex[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i)
        hash[i] = hex[(state.hash >> (60 - 4 * i)) & 15];
    hash[16] = '\0';
    return std::to_string(state.size) + ":" + hash;
}

std::string formatJournal(const Journal& journal)
{
    std::string text = std::string(kMagic) + "\n";
    std::string operation(operationName(journal.operation));
    operation[0] = static_cast<char>(operation[0] - 'A' + 'a');
    text += "operation " + operation + "\n";
    text += "set " + escape(journal.setName) + "\n";
    text += "last " + escape(journal.lastBefore) + " " + escape(journal.lastAfter) + "\n";
    for (const auto& step : journal.steps) {
        std::string keep = step.keep.empty() ? "-" : escape(step.keep);
        std::string make = step.makeKeep ? "1" : "0";
        if (step.kind == StepKind::Copy)
            text += "copy " + escape(step.target) + " " + escape(step.source) + " " + formatState(step.before) + " "
                + formatState(step.after) + " " + keep + " " + make + "\n";
        else
            text += "delete " + escape(step.target) + " " + formatState(step.before) + " " + keep + " " + make + "\n";
    }
    return text + "end\n";
}

std::optional<Journal> parseJournal(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            return std::nullopt; // every line, "end" included, ends in LF
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (lines.size() < 5 || lines[0] != kMagic || lines.back() != "end")
        return std::nullopt;
    Journal journal;
    auto operation = splitFields(lines[1]);
    if (operation.size() != 2 || operation[0] != "operation")
        return std::nullopt;
    if (operation[1] == "load")
        journal.operation = Operation::Load;
    else if (operation[1] == "unload")
        journal.operation = Operation::Unload;
    else if (operation[1] == "restore")
        journal.operation = Operation::Restore;
    else
        return std::nullopt;
    auto set = splitFields(lines[2]);
    auto last = splitFields(lines[3]);
    if (set.size() != 2 || set[0] != "set" || last.size() != 3 || last[0] != "last")
        return std::nullopt;
    auto setName = unescape(set[1]);
    auto lastBefore = unescape(last[1]);
    auto lastAfter = unescape(last[2]);
    if (!setName || !lastBefore || !lastAfter)
        return std::nullopt;
    journal.setName = std::move(*setName);
    journal.lastBefore = std::move(*lastBefore);
    journal.lastAfter = std::move(*lastAfter);
    for (std::size_t i = 4; i + 1 < lines.size(); ++i) {
        auto fields = splitFields(lines[i]);
        if (fields.size() < 2)
            return std::nullopt;
        auto step = parseStep(fields);
        if (!step)
            return std::nullopt;
        journal.steps.push_back(std::move(*step));
    }
    return journal;
}

} // namespace kvl::folioswap
