// Field lists: the one description of a fixed binary record that its four
// conversions walk (binary read, binary write, labelled text write, labelled
// text parse), so the four can never disagree on order, width or label.
//
// A record type is described by a std::tuple of descriptors, in file order:
//
//   Field    one value of 8, 16 or 32 bits, or a std::array of them (the
//            elements follow each other in the file, each on its own line);
//   Block    a member struct walked with its own field list;
//   Records  a std::array of member structs, each under a numbered title line
//            in the text, its fields indented two more spaces;
//   Section  text layout around a descriptor: a numbered heading with its
//            underline, the label width W, blank lines after it.
//
// The binary walkers see only the values; titles, headings and blank lines
// exist only in the text. Binary integers are little-endian with no padding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace kvl::recordtext {

/// The category code of a field that gets no comment column.
constexpr int kNoComment = -1;

/// How the label of a field (or the title of a record) is made for element
/// `index`: prefix, then the element's name or number (if any), then suffix.
/// A plain label gives every element the same text ("Target Type").
struct Label {
    std::string_view prefix;
    std::span<const std::string_view> names {}; // one name per element
    int firstNumber = -1;                       // >= 0: elements numbered from here
    std::string_view suffix {};

    constexpr Label(const char* text) : prefix(text) { }
    constexpr Label(std::string_view text) : prefix(text) { }
    constexpr Label(std::string_view before, std::span<const std::string_view> list, std::string_view after = {})
        : prefix(before),
          names(list),
          suffix(after)
    {
    }
    constexpr Label(std::string_view before, int first, std::string_view after = {})
        : prefix(before),
          firstNumber(first),
          suffix(after)
    {
    }

    void appendTo(std::string& out, std::size_t index) const
    {
        out.append(prefix);
        if (index < names.size())
            out.append(names[index]);
        else if (firstNumber >= 0)
            out.append(std::to_string(static_cast<std::size_t>(firstNumber) + index));
        out.append(suffix);
    }
};

/// How a field's line stands in the text.
enum FieldFlags : unsigned {
    kIndented = 0,
    kAtMargin = 1, // written without indentation whatever its record's
    kAnyLabel = 2, // the parser takes any label in its place (the program's "any label")
};

/// What a walker is told of one value besides the value itself.
struct FieldInfo {
    const Label& label;
    std::size_t index; // element of an array field, else 0
    int code;          // category code of the comment column
    unsigned flags;
};

template <class Record, class Member>
struct Field {
    Member Record::*member;
    Label label;
    int code = kNoComment;
    int (*codeOf)(const Record&) = nullptr; // a code chosen from the record's other fields
    unsigned flags = kIndented;
};

template <class Record, class Member>
constexpr Field<Record, Member> field(
    Member Record::*member, Label label, int code = kNoComment, unsigned flags = kIndented)
{
    return { member, label, code, nullptr, flags };
}

template <class Record, class Member>
constexpr Field<Record, Member> field(Member Record::*member, Label label, int (*codeOf)(const Record&))
{
    return { member, label, kNoComment, codeOf, kIndented };
}

template <class Record, class Member, class Fields>
struct Block {
    Member Record::*member;
    Fields fields;
};

template <class Record, class Member, class Fields>
constexpr Block<Record, Member, Fields> block(Member Record::*member, Fields fields)
{
    return { member, fields };
}

template <class Record, class Sub, std::size_t N, class Fields>
struct Records {
    std::array<Sub, N> Record::*member;
    Label title;        // numbered; written at the enclosing indentation
    Fields fields;      // written two spaces further in
    int blankLinesEach; // blank lines closing each record in the text
};

template <class Record, class Sub, std::size_t N, class Fields>
constexpr Records<Record, Sub, N, Fields> records(
    std::array<Sub, N> Record::*member, Label title, Fields fields, int blankLinesEach = 0)
{
    return { member, title, fields, blankLinesEach };
}

/// The text layout of one numbered section.
struct SectionLayout {
    std::string_view heading; // "2. CAMPAIGN PHASES", underlined with '=' in the text
    std::size_t width;        // label width W of its field lines
    int blankLinesAfter;      // written after its last line
    int parserSkips;          // lines the parser reads and ignores before the section
};

template <class Inner>
struct Section {
    SectionLayout layout;
    Inner inner;
};

template <class Inner>
constexpr Section<Inner> section(SectionLayout layout, Inner inner)
{
    return { layout, inner };
}

// ---- The walk ----------------------------------------------------------------
// A walker has
//   value(const FieldInfo&, V& value)         for V = uint8_t, uint16_t, int32_t (const when
//                                              the record is const);
//   beginRecord(const Label& title, index, blankLinesEach) / endRecord(blankLinesEach);
//   beginSection(const SectionLayout&) / endSection(const SectionLayout&).

template <class T>
struct IsStdArray : std::false_type {
};
template <class T, std::size_t N>
struct IsStdArray<std::array<T, N>> : std::true_type {
};

template <class Walker, class Record, class... Descriptors>
void walk(Walker& w, Record& record, const std::tuple<Descriptors...>& list);

template <class Walker, class Record, class R, class Member>
void walkOne(Walker& w, Record& record, const Field<R, Member>& f)
{
    static_assert(std::is_same_v<std::remove_const_t<Record>, R>);
    const int code = f.codeOf ? f.codeOf(record) : f.code;
    auto& value = record.*(f.member);
    if constexpr (IsStdArray<Member>::value) {
        for (std::size_t i = 0; i < value.size(); ++i)
            w.value(FieldInfo { f.label, i, code, f.flags }, value[i]);
    } else {
        w.value(FieldInfo { f.label, 0, code, f.flags }, value);
    }
}

template <class Walker, class Record, class R, class Member, class Fields>
void walkOne(Walker& w, Record& record, const Block<R, Member, Fields>& b)
{
    walk(w, record.*(b.member), b.fields);
}

template <class Walker, class Record, class R, class Sub, std::size_t N, class Fields>
void walkOne(Walker& w, Record& record, const Records<R, Sub, N, Fields>& r)
{
    auto& all = record.*(r.member);
    for (std::size_t i = 0; i < N; ++i) {
        w.beginRecord(r.title, i, r.blankLinesEach);
        walk(w, all[i], r.fields);
        w.endRecord(r.blankLinesEach);
    }
}

template <class Walker, class Record, class Inner>
void walkOne(Walker& w, Record& record, const Section<Inner>& s)
{
    w.beginSection(s.layout);
    walkOne(w, record, s.inner);
    w.endSection(s.layout);
}

/// Walks every descriptor of `list` over `record`, in order.
template <class Walker, class Record, class... Descriptors>
void walk(Walker& w, Record& record, const std::tuple<Descriptors...>& list)
{
    std::apply([&](const auto&... d) { (walkOne(w, record, d), ...); }, list);
}

} // namespace kvl::recordtext
