// The check of a new set's source, and the rules for set names.
#include "folioswap/setcheck.h"

#include <algorithm>
#include <array>
#include <map>

namespace kvl::folioswap {

namespace {

constexpr std::size_t kMaxNameBytes = 64;

bool endsWithNoCase(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && lowerAscii(text.substr(text.size() - tail.size())) == tail;
}

bool startsWithNoCase(std::string_view text, std::string_view head)
{
    return text.size() >= head.size() && lowerAscii(text.substr(0, head.size())) == head;
}

// Names the game's desktop keeps for devices, with or without an extension.
bool isDeviceName(std::string_view part)
{
    std::string base = lowerAscii(part.substr(0, part.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const std::array<std::string_view, 4> plain { "con", "prn", "aux", "nul" };
    if (std::find(plain.begin(), plain.end(), base) != plain.end())
        return true;
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) && base[3] >= '1' && base[3] <= '9';
}

// Why one part of a path cannot be a file or folder name, or nothing.
std::optional<std::string> partProblem(std::string_view part)
{
    for (unsigned char c : part) {
        if (c < 0x20 || c == 0x7F)
            return "holds a control character";
        if (c == ':')
            return "names a drive or a stream (\":\")";
        if (std::string_view("<>\"|?*").find(static_cast<char>(c)) != std::string_view::npos)
            return std::string("holds \"") + static_cast<char>(c) + "\", which no file name may hold";
    }
    if (part.back() == ' ' || part.back() == '.')
        return "ends in a space or a dot, which the game's desktop drops";
    if (isDeviceName(part))
        return "is a device name on the game's desktop";
    return std::nullopt;
}

struct Normalised {
    std::vector<std::string> parts;
    std::string path; // parts joined by "/"
};

std::string refusal(const std::string& source, const std::string& entry, const std::string& why)
{
    return "The archive or folder " + source + " was refused: \"" + entry + "\" " + why + ".";
}

// The entry's path as its parts, or why it would leave the set's folder.
kvl::Result<Normalised> normalise(const std::string& name, const std::string& source)
{
    if (name.empty())
        return kvl::Error { refusal(source, name, "has no name"), kErrRefusedSource };
    if (name.front() == '/' || name.front() == '\\')
        return kvl::Error { refusal(source, name, "is an absolute path"), kErrRefusedSource };
    Normalised out;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t stop = name.find_first_of("/\\", start);
        if (stop == std::string::npos)
            stop = name.size();
        std::string_view part(name.data() + start, stop - start);
        start = stop + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return kvl::Error { refusal(source, name, "leads out of the set's folder (\"..\")"), kErrRefusedSource };
        if (out.parts.empty() && part.size() == 2 && part[1] == ':')
            return kvl::Error { refusal(source, name, "names a drive"), kErrRefusedSource };
        if (auto problem = partProblem(part))
            return kvl::Error { refusal(source, name, *problem), kErrRefusedSource };
        out.parts.emplace_back(part);
    }
    if (out.parts.empty())
        return kvl::Error { refusal(source, name, "has no name"), kErrRefusedSource };
    for (const auto& part : out.parts)
        out.path += (out.path.empty() ? "" : "/") + part;
    return out;
}

std::string sizeText(std::uint64_t bytes)
{
    return std::to_string(bytes) + " bytes";
}

// The name a file of the source suggests for the set: "xxx<name>.txt" and
// "<name>.jpg" say it outright.
std::string nameFromPart(const PlannedPart& part)
{
    const std::string& file = part.name;
    if (part.role == PartRole::Comment)
        return file.substr(3, file.size() - 7);
    if (part.role == PartRole::Picture)
        return file.substr(0, file.rfind('.'));
    return {};
}

} // namespace

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

ListLimits listLimits(std::optional<std::uint64_t> packedSize)
{
    return { kMaxSetEntries, byteLimit(packedSize) };
}

std::uint64_t byteLimit(std::optional<std::uint64_t> packedSize)
{
    if (!packedSize)
        return kMaxSetBytes;
    return std::min(kMaxSetBytes, *packedSize > kMaxSetBytes ? kMaxSetBytes : *packedSize * kMaxExpansion);
}

const PlannedPart* SetPlan::part(PartRole role) const
{
    auto found = std::find_if(parts.begin(), parts.end(), [&](const PlannedPart& p) { return p.role == role; });
    return found == parts.end() ? nullptr : &*found;
}

std::size_t SetPlan::setFileCount() const
{
    return static_cast<std::size_t>(
        std::count_if(parts.begin(), parts.end(), [](const PlannedPart& p) { return p.role == PartRole::SetFile; }));
}

kvl::Result<SetPlan> checkSetSource(const Listing& listing, std::optional<std::uint64_t> packedSize,
    const std::string& sourceName, const std::string& fallbackName)
{
    const auto refuse = [](std::string message) { return kvl::Error { std::move(message), kErrRefusedSource }; };
    const std::string refused = "The archive or folder " + sourceName + " was refused: ";
    std::uint64_t claimed = 0;
    for (const auto& entry : listing.entries)
        claimed += entry.size.value_or(0);
    if (listing.entries.size() > kMaxSetEntries)
        return refuse(refused + "it holds more than " + std::to_string(kMaxSetEntries) + " entries.");
    if (packedSize && claimed > byteLimit(packedSize) && byteLimit(packedSize) < kMaxSetBytes)
        return refuse(refused + "its entries claim " + sizeText(claimed) + " unpacked, more than "
            + std::to_string(kMaxExpansion) + " times its own " + sizeText(*packedSize) + ".");
    if (claimed > kMaxSetBytes || listing.cut)
        return refuse(refused + "its entries claim more than " + sizeText(kMaxSetBytes) + ".");

    // Every name, as the desktop compares them: no two may be the same in any
    // letter case, and no file may also be a folder.
    std::vector<Normalised> paths;
    std::map<std::string, std::string> files;   // lower-case path -> entry name
    std::map<std::string, std::string> folders; // lower-case folder path -> entry name
    for (const auto& entry : listing.entries) {
        auto path = normalise(entry.name, sourceName);
        if (!path)
            return path.error();
        switch (entry.kind) {
        case EntryKind::SymbolicLink:
        case EntryKind::HardLink:
            return refuse(refusal(sourceName, entry.name, "is a link; a set holds plain files only"));
        case EntryKind::Other:
            return refuse(refusal(sourceName, entry.name, "is neither a plain file nor a folder"));
        case EntryKind::File:
        case EntryKind::Folder:
            break;
        }
        const std::string key = lowerAscii(path->path);
        if (entry.kind == EntryKind::File) {
            auto [at, fresh] = files.emplace(key, entry.name);
            if (!fresh || folders.count(key))
                return refuse(refusal(sourceName, entry.name,
                    "has the same name as \"" + (fresh ? folders[key] : at->second) + "\" in the set's folder"
                        + " (names that differ only in letter case are the same there)"));
        }
        // Each folder on the way is a folder, whether listed or not.
        std::string folder;
        const std::size_t depth = path->parts.size() - (entry.kind == EntryKind::File ? 1 : 0);
        for (std::size_t i = 0; i < depth; ++i) {
            folder += (i ? "/" : "") + lowerAscii(path->parts[i]);
            if (files.count(folder))
                return refuse(refusal(sourceName, entry.name,
                    "lies in a folder that has the same name as the file \"" + files[folder] + "\""));
            folders.emplace(folder, entry.name);
        }
        paths.push_back(std::move(*path));
    }

    // One top folder holding everything (as when a folder was packed) is
    // taken away; the Mac's resource folder does not count.
    auto isMacData = [](const Normalised& p) { return lowerAscii(p.parts.front()) == "__macosx"; };
    std::optional<std::string> top;
    std::string topName;
    bool oneTop = false;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (isMacData(paths[i]))
            continue;
        const bool inFolder = paths[i].parts.size() > 1 || listing.entries[i].kind == EntryKind::Folder;
        const std::string first = lowerAscii(paths[i].parts.front());
        if (!top) {
            top = first;
            topName = paths[i].parts.front();
            oneTop = inFolder;
        } else if (!inFolder || *top != first) {
            oneTop = false;
        }
    }
    const std::size_t skip = oneTop ? 1 : 0;

    SetPlan plan;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const SourceEntry& entry = listing.entries[i];
        if (entry.kind != EntryKind::File)
            continue;
        PlannedPart part { i, entry.name, paths[i].parts.back(), entry.size, PartRole::SetFile, {} };
        const std::size_t depth = paths[i].parts.size() - (isMacData(paths[i]) ? 0 : skip);
        if (isMacData(paths[i]))
            part.whyLeftOut = "Mac resource data";
        else if (depth > 1)
            part.whyLeftOut = "in a sub-folder; a set's files lie side by side";
        else if (part.name.front() == '.')
            part.whyLeftOut = "a hidden file";
        if (!part.whyLeftOut.empty())
            part.role = PartRole::LeftOut;
        plan.parts.push_back(std::move(part));
    }
    // The first comment, picture and read-me found beside the set's files
    // are those of the set.
    const auto take = [&](PartRole role, auto matches) {
        for (auto& part : plan.parts)
            if (part.role == PartRole::SetFile && matches(part.name)) {
                part.role = role;
                return;
            }
    };
    take(PartRole::Comment,
        [](const std::string& n) { return n.size() > 7 && startsWithNoCase(n, "xxx") && endsWithNoCase(n, ".txt"); });
    take(PartRole::Picture, [](const std::string& n) { return n.size() > 4 && endsWithNoCase(n, ".jpg"); });
    take(PartRole::Picture, [](const std::string& n) { return n.size() > 5 && endsWithNoCase(n, ".jpeg"); });
    take(PartRole::ReadMe, [](const std::string& n) { return endsWithNoCase(n, "readme.txt"); });

    if (plan.setFileCount() == 0)
        return refuse(refused + "it holds no campaign files (plain files at its top, or in its one top folder).");
    for (const auto& part : plan.parts)
        if (part.role != PartRole::LeftOut)
            plan.claimedBytes += part.size.value_or(0);

    for (PartRole role : { PartRole::Comment, PartRole::Picture })
        if (const PlannedPart* part = plan.part(role); part && plan.suggestedName.empty())
            plan.suggestedName = nameFromPart(*part);
    if (plan.suggestedName.empty() && oneTop)
        plan.suggestedName = topName.size() > 3 && topName.starts_with("CAM") ? topName.substr(3) : topName;
    if (plan.suggestedName.empty())
        plan.suggestedName = fallbackName;
    plan.suggestedName = tidySetName(plan.suggestedName);
    return plan;
}

std::optional<std::string> spaceRefusal(std::uint64_t needed, std::uint64_t freeBytes)
{
    const std::uint64_t spare = kSpareBytes + needed / 10;
    if (needed <= freeBytes && freeBytes - needed >= spare)
        return std::nullopt;
    return "There is not enough free space: the new set needs " + sizeText(needed) + " and " + sizeText(spare)
        + " must stay free, but the disk has " + sizeText(freeBytes) + " free.";
}

std::optional<std::string> setNameProblem(std::string_view name, const std::vector<std::string>& taken)
{
    if (name.empty())
        return "The name is empty.";
    if (lowerAscii(name) == "xxx")
        return "\"xxx\" stands for no campaign; choose another name.";
    if (name.size() > kMaxNameBytes)
        return "The name is longer than " + std::to_string(kMaxNameBytes) + " bytes.";
    if (name.find_first_of("/\\") != std::string_view::npos)
        return "The name may not hold \"/\" or \"\\\".";
    if (name.front() == ' ')
        return "The name may not begin with a space.";
    if (auto problem = partProblem("CAM" + std::string(name)))
        return "The name " + *problem + ".";
    const std::string lower = lowerAscii(name);
    for (const auto& existing : taken)
        if (lowerAscii(existing) == lower)
            return "A campaign named \"" + existing + "\" exists already.";
    return std::nullopt;
}

std::string tidySetName(std::string_view name)
{
    std::string out;
    for (unsigned char c : name)
        out += (c < 0x20 || c == 0x7F
                   || std::string_view("/\\:<>\"|?*").find(static_cast<char>(c)) != std::string_view::npos)
            ? '_'
            : static_cast<char>(c);
    if (out.size() > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut; // not inside a character
        out.resize(cut);
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    while (!out.empty() && out.front() == ' ')
        out.erase(out.begin());
    if (out.empty() || lowerAscii(out) == "xxx")
        out = "Set";
    return out;
}

} // namespace kvl::folioswap
