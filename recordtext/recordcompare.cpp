// Field-by-field compare and three-way merge of record images.
#include "recordtext/recordcompare.h"

#include <algorithm>

namespace kvl::recordtext {

namespace {

/// Which side a three-way merge takes.
enum class Outcome { Unchanged, Mine, Theirs, Alike, Conflict };

template <class T>
Outcome threeWay(const T& base, const T& mine, const T& theirs)
{
    if (mine == theirs)
        return mine == base ? Outcome::Unchanged : Outcome::Alike;
    if (mine == base)
        return Outcome::Theirs;
    if (theirs == base)
        return Outcome::Mine;
    return Outcome::Conflict;
}

/// The value a three-way merge takes; a conflict takes the preferred side
/// (mine while none is preferred: the result is not written then).
template <class T>
const T& taken(Outcome outcome, Prefer prefer, const T& mine, const T& theirs)
{
    if (outcome == Outcome::Theirs || (outcome == Outcome::Conflict && prefer == Prefer::Theirs))
        return theirs;
    return mine;
}

void putValue(std::vector<std::uint8_t>& bytes, const FieldPlace& place, std::int64_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < place.size; ++i)
        bytes[place.offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::size_t recordCount(const RecordConverter& converter, const RecordImage& image)
{
    const std::size_t size = converter.repeatedRecordSize();
    return size == 0 ? 1 : image.recordsEnd / size;
}

ComparedItem countItem(std::vector<FieldValue> values)
{
    return { ItemKind::Count, {}, std::move(values) };
}

ComparedItem tailItem(const RecordImage& first, std::vector<FieldValue> values)
{
    FieldPlace place;
    place.offset = first.recordsEnd;
    return { ItemKind::Tail, std::move(place), std::move(values) };
}

FieldValue tailLength(const RecordImage& image)
{
    return static_cast<std::int64_t>(image.tail().size());
}

bool sameTail(const RecordImage& a, const RecordImage& b)
{
    return std::ranges::equal(a.tail(), b.tail());
}

} // namespace

RecordImage recordImage(const RecordConverter& converter, std::vector<std::uint8_t> bytes)
{
    RecordImage image { std::move(bytes), 0 };
    image.recordsEnd = converter.recordsEnd(image.bytes.size());
    return image;
}

std::vector<FieldPlace> fieldPlaces(const RecordConverter& converter, std::size_t end)
{
    std::vector<FieldPlace> places;
    for (std::size_t offset = 0; offset < end;) {
        std::optional<FieldPlace> place = converter.fieldAt(offset, end);
        if (!place || place->size == 0)
            break;
        offset = place->offset + place->size;
        places.push_back(std::move(*place));
    }
    return places;
}

FieldValue fieldValue(const FieldPlace& place, const RecordImage& image)
{
    if (place.offset + place.size > image.recordsEnd)
        return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < place.size; ++i)
        v |= std::uint32_t(image.bytes[place.offset + i]) << (8 * i);
    if (place.isSigned && place.size == 4)
        return static_cast<std::int32_t>(v);
    return v;
}

std::vector<ComparedItem> diffImages(const RecordConverter& converter, const RecordImage& a, const RecordImage& b)
{
    std::vector<ComparedItem> items;
    const auto countA = static_cast<std::int64_t>(recordCount(converter, a));
    const auto countB = static_cast<std::int64_t>(recordCount(converter, b));
    if (countA != countB)
        items.push_back(countItem({ countA, countB }));
    for (FieldPlace& place : fieldPlaces(converter, std::max(a.recordsEnd, b.recordsEnd))) {
        FieldValue inA = fieldValue(place, a);
        FieldValue inB = fieldValue(place, b);
        if (inA != inB)
            items.push_back({ ItemKind::Field, std::move(place), { inA, inB } });
    }
    if (!sameTail(a, b))
        items.push_back(tailItem(a, { tailLength(a), tailLength(b) }));
    return items;
}

MergeResult mergeImages(const RecordConverter& converter, const RecordImage& base, const RecordImage& mine,
    const RecordImage& theirs, Prefer prefer)
{
    MergeResult result;
    result.prefer = prefer;
    const std::size_t recordSize = converter.repeatedRecordSize();

    // How many records: a count changed on one side is that side's.
    std::size_t end = mine.recordsEnd;
    if (recordSize != 0) {
        const std::size_t counts[3] = { recordCount(converter, base), recordCount(converter, mine),
            recordCount(converter, theirs) };
        const Outcome outcome = threeWay(counts[0], counts[1], counts[2]);
        if (outcome == Outcome::Conflict)
            result.conflicts.push_back(countItem({ static_cast<std::int64_t>(counts[0]),
                static_cast<std::int64_t>(counts[1]), static_cast<std::int64_t>(counts[2]) }));
        end = taken(outcome, prefer, counts[1], counts[2]) * recordSize;
    }

    const std::vector<FieldPlace> places = fieldPlaces(
        converter, std::max({ base.recordsEnd, mine.recordsEnd, theirs.recordsEnd }));
    std::vector<FieldValue> merged(places.size());
    std::size_t keptEnd = end; // a conflict decided for a record past the count keeps the record
    for (std::size_t i = 0; i < places.size(); ++i) {
        const FieldPlace& place = places[i];
        const FieldValue b = fieldValue(place, base);
        const FieldValue m = fieldValue(place, mine);
        const FieldValue t = fieldValue(place, theirs);
        const Outcome outcome = threeWay(b, m, t);
        merged[i] = taken(outcome, prefer, m, t);
        switch (outcome) {
        case Outcome::Unchanged:
            break;
        case Outcome::Mine:
            ++result.fromMine;
            break;
        case Outcome::Theirs:
            ++result.fromTheirs;
            break;
        case Outcome::Alike:
            ++result.alike;
            break;
        case Outcome::Conflict:
            result.conflicts.push_back({ ItemKind::Field, place, { b, m, t } });
            if (merged[i] && recordSize != 0 && place.offset + place.size > keptEnd)
                keptEnd = (place.offset / recordSize + 1) * recordSize;
            break;
        }
    }

    result.bytes.assign(keptEnd, 0);
    const RecordImage& preferred = prefer == Prefer::Theirs ? theirs : mine;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const FieldPlace& place = places[i];
        if (place.offset + place.size > keptEnd)
            break;
        // A record kept for a decided conflict takes the preferred side's
        // values where the other side removed it.
        const FieldValue value = merged[i] ? merged[i] : fieldValue(place, preferred);
        putValue(result.bytes, place, value.value_or(0));
    }

    const bool mineTail = sameTail(base, mine);
    const bool theirsTail = sameTail(base, theirs);
    const bool bothTail = sameTail(mine, theirs);
    const Outcome tail = bothTail ? Outcome::Unchanged
        : mineTail                ? Outcome::Theirs
        : theirsTail              ? Outcome::Mine
                                  : Outcome::Conflict;
    if (tail == Outcome::Conflict)
        result.conflicts.push_back(tailItem(base, { tailLength(base), tailLength(mine), tailLength(theirs) }));
    const std::span<const std::uint8_t> kept = taken(tail, prefer, mine, theirs).tail();
    result.bytes.insert(result.bytes.end(), kept.begin(), kept.end());
    return result;
}

} // namespace kvl::recordtext
