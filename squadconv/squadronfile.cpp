// Squadron file reader and writer: the squadron field list walked over the
// byte image, once per record.
#include "squadconv/squadronfile.h"

#include "recordtext/fieldwalkers.h"

namespace kvl::squadconv {

void readSquadronImage(ByteView image, SquadronFile& file)
{
    const std::size_t count = image.size() / kSquadronRecordSize;
    std::vector<SquadronRecord> records(count);
    ByteCursor cursor(image);
    recordtext::BinaryReader reader { cursor };
    for (auto& record : records)
        recordtext::walk(reader, record, fields::kSquadron);
    // The cursor cannot run short: count whole records lie inside the image.
    file.squadrons = std::move(records);
}

std::vector<std::uint8_t> squadronImage(const SquadronFile& file)
{
    ByteWriter out(file.squadrons.size() * kSquadronRecordSize);
    recordtext::BinaryWriter writer { out };
    for (const auto& record : file.squadrons)
        recordtext::walk(writer, record, fields::kSquadron);
    return out.take();
}

const std::vector<recordtext::FieldPlace>& squadronFieldPlaces()
{
    static const std::vector<recordtext::FieldPlace> places = [] {
        std::vector<recordtext::FieldPlace> list;
        recordtext::PlaceRecorder recorder(list);
        const SquadronRecord record;
        recordtext::walk(recorder, record, fields::kSquadron);
        return list;
    }();
    return places;
}

} // namespace kvl::squadconv
