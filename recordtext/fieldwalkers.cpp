// The labelled-text walkers of a field list.
#include "recordtext/fieldwalkers.h"

#include <algorithm>

namespace kvl::recordtext {

void TextWriter::write(const FieldInfo& f, std::int32_t value)
{
    m_label.assign(f.flags & kAtMargin ? 0 : m_indent, ' ');
    f.label.appendTo(m_label, f.index);
    m_label.push_back(':');
    writeLabelledLine(m_out, m_label, value, f.code);
}

void TextWriter::beginRecord(const Label& title, std::size_t index, int)
{
    m_label.assign(m_indent, ' ');
    title.appendTo(m_label, index);
    m_out.text.line(m_label);
    m_indent += 2;
}

void TextWriter::endRecord(int blankLines)
{
    m_indent -= 2;
    for (int i = 0; i < blankLines; ++i)
        m_out.text.endLine();
}

void TextWriter::beginSection(const SectionLayout& layout)
{
    m_out.width = layout.width;
    m_out.text.line(layout.heading);
    m_out.text.line(std::string(layout.heading.size(), '='));
}

void TextWriter::endSection(const SectionLayout& layout)
{
    for (int i = 0; i < layout.blankLinesAfter; ++i)
        m_out.text.endLine();
}

std::string_view TextParser::expected(const FieldInfo& f)
{
    const std::string_view anyLabel = m_in.table().anyLabel;
    if ((f.flags & kAnyLabel) && !anyLabel.empty())
        return anyLabel;
    m_label.clear();
    f.label.appendTo(m_label, f.index);
    return m_label;
}

void PlaceRecorder::beginRecord(const Label& title, std::size_t index, int)
{
    std::string text;
    title.appendTo(text, index);
    m_parts.push_back({ std::move(text), false });
}

namespace {

void appendPart(std::string& path, std::string_view part)
{
    if (!path.empty())
        path.append(" / ");
    path.append(part);
}

} // namespace

void PlaceRecorder::add(const FieldInfo& f, std::size_t size, bool isSigned)
{
    FieldPlace place { m_offset, size, isSigned, {}, {}, {}, {} };
    for (const Part& part : m_parts) {
        appendPart(place.name, part.text);
        appendPart(part.isSection ? place.section : place.record, part.text);
    }
    f.label.appendTo(place.label, f.index);
    appendPart(place.name, place.label);
    m_offset += size;
    // Elements of an array that all carry the same label ("Target Type") are
    // told apart by their position; the walk gives them in order, so the
    // count is known once the run of equal names ends.
    m_places.push_back(std::move(place));
    if (f.label.names.empty() && f.label.firstNumber < 0 && f.index > 0) {
        const std::size_t n = f.index + 1;
        for (std::size_t k = 0; k < n; ++k) {
            FieldPlace& p = m_places[m_places.size() - n + k];
            const std::string numbered = " [" + std::to_string(k + 1) + " of " + std::to_string(n) + "]";
            for (std::string* text : { &p.label, &p.name }) {
                const std::size_t bracket = text->find(" [");
                text->resize(bracket == std::string::npos ? text->size() : bracket);
                text->append(numbered);
            }
        }
    }
}

const FieldPlace* placeAt(const std::vector<FieldPlace>& places, std::size_t offset)
{
    auto it = std::upper_bound(
        places.begin(), places.end(), offset, [](std::size_t at, const FieldPlace& p) { return at < p.offset; });
    if (it == places.begin())
        return nullptr;
    --it;
    return offset < it->offset + it->size ? &*it : nullptr;
}

} // namespace kvl::recordtext
