// The editor of one flight-model file: loading, editing, storing and pasting values.
#include "fltpatch/flighteditor.h"
#include "common/platform.h"

#include "common/byteview.h"
#include "common/fileimage.h"
#include "common/textdecode.h"
#include "common/textio.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <span>
#include <utility>

namespace kvl::fltpatch {

namespace fs = std::filesystem;

std::string instructionsText()
{
    const std::string br = "\n";
    return std::string("TRANSFERRING DATA:") + br + br
        + "To copy some values into the storage grid below, click on the first "
        + "value you want in the main table, and drag the mouse to the last one"
        + " The values should show as highlighted." + br + br + "Then click the 'Store Values' button." + br
        + "The location of the first value will show in the panel below, and the values in the storage grid." + br
        + "Load a new file if you need to." + br + "Locate the first cell where pasting needs to start from, "
        + "and then click the 'Paste Values' button." + br
        + "Be very careful, because pasting will replace the values in the loaded 'flt' file.";
}

FileDialogRequest flightFileDialog(const fs::path& folder)
{
    FileDialogRequest request;
    request.kind = FileDialogKind::OpenFile;
    request.caption = "Open a flight file";
    request.start = folder;
    // The game's files come as .flt, .FLT and .Flt.
    request.filter = "Flight files (*.flt *.FLT *.Flt);;All files (*)";
    request.objectName = "CD";
    return request;
}

Result<std::vector<std::uint8_t>> readFlightImage(const fs::path& path)
{
    const std::string name = "\"" + kvl::platform::utf8FromPath(path) + "\"";
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return Error { name + " is a folder, not a flight file. No file was loaded.", EISDIR };
    // Only regular files: opening a pipe or a device could block or never end.
    const std::int64_t size = fileSize(path);
    if (size < 0)
        return Error { "Cannot open " + name + ". No file was loaded.", ENOENT };
    if (size < kFileSize)
        return Error { name + " is " + std::to_string(size) + " bytes long, shorter than the "
                + std::to_string(kFileSize) + " bytes of a flight file. It was not loaded.",
            EINVAL };
    auto image = readFileImage(path);
    if (!image) {
        const int code = image.error().code;
        return Error { (code == EIO ? "Cannot read " : "Cannot open ") + name + ". No file was loaded.", code };
    }
    // The file may have shrunk since its size was taken.
    if (image->size() < static_cast<std::size_t>(kFileSize))
        return Error { "Cannot read " + name + ". No file was loaded.", EIO };
    // Only the 328 fields are ever read or written; the rest of a longer file is left alone.
    image->resize(kFileSize);
    return image;
}

std::vector<std::string> splitDescriptions(std::string_view text)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());
    std::vector<std::string> lines;
    LineReader reader(text);
    std::string_view line;
    while (static_cast<int>(lines.size()) < kDescriptionLines && reader.next(line))
        lines.push_back(decodeText(line));
    return lines;
}

FlightModelEditor::FlightModelEditor(WindowHost& host)
    : m_host(host),
      m_values(kFieldCount),
      m_descriptions(kFieldCount)
{
    m_status = "No file loaded. Click \"Load flt\" to open a flight file.";
}

const std::string& FlightModelEditor::valueText(int number) const
{
    static const std::string empty;
    return isField(number) ? m_values[static_cast<std::size_t>(number - 1)] : empty;
}

const std::string& FlightModelEditor::description(int number) const
{
    static const std::string empty;
    return isField(number) ? m_descriptions[static_cast<std::size_t>(number - 1)] : empty;
}

std::string FlightModelEditor::fieldLabel(int number) const
{
    const FieldInfo& info = field(number);
    return "field " + std::to_string(number) + " (" + typeName(info.type) + ", position "
        + std::to_string(info.position) + ")";
}

void FlightModelEditor::tell(const std::string& text)
{
    m_host.showMessage(Message { MessageIcon::Information, kEditorTitle, text });
}

void FlightModelEditor::warn(const std::string& text)
{
    m_host.showMessage(Message { MessageIcon::Warning, kEditorTitle, text });
}

void FlightModelEditor::startUp(const fs::path& folder, const fs::path& file)
{
    const ChangeNotifier::Operation scope(m_changes);
    m_startFolder = folder;
    loadDescriptions(folder);
    // The descriptions show behind the file dialog.
    m_changes.notify();
    if (file.empty())
        chooseAndLoadFile();
    else
        loadFile(file);
    selectField(1);
}

bool FlightModelEditor::loadDescriptions(const fs::path& folder)
{
    const ChangeNotifier::Operation scope(m_changes);
    fs::path path = findFileNoCase(folder, kDescriptionFile);
    std::vector<std::string> lines;
    bool ok = true;
    if (fileSize(path) < 0) {
        tell(std::string(kDescriptionFile) + " was not found in \"" + kvl::platform::utf8FromPath(folder)
            + "\". The fields are shown without descriptions.");
        ok = false;
    } else if (auto bytes = readFileImage(path); !bytes) {
        tell("Cannot read \"" + kvl::platform::utf8FromPath(path) + "\". The fields are shown without descriptions.");
        ok = false;
    } else {
        lines = splitDescriptions(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        if (static_cast<int>(lines.size()) < kDescriptionLines) {
            tell(std::string(kDescriptionFile) + " has " + std::to_string(lines.size()) + " lines where "
                + std::to_string(kDescriptionLines) + " are expected (a heading, then one description for each of the "
                + std::to_string(kFieldCount) + " fields). The missing descriptions are left empty.");
            ok = false;
        }
    }
    // Without a heading line the column keeps the heading it had.
    if (!lines.empty())
        m_heading = lines[0];
    for (int number = 1; number <= kFieldCount; ++number) {
        const auto line = static_cast<std::size_t>(number);
        m_descriptions[line - 1] = line < lines.size() ? lines[line] : std::string();
    }
    return ok;
}

void FlightModelEditor::chooseAndLoadFile()
{
    const ChangeNotifier::Operation scope(m_changes);
    std::error_code ec;
    fs::path chosen = m_lastFolder.choose(
        m_host, flightFileDialog(m_startFolder.empty() ? fs::current_path(ec) : m_startFolder));
    if (chosen.empty()) {
        if (m_file.empty())
            m_status = "No file loaded. Click \"Load flt\" to open a flight file.";
        else
            m_status = "No new file chosen; \"" + kvl::platform::utf8FromPath(m_file) + "\" stays loaded.";
        return;
    }
    loadFile(chosen);
}

bool FlightModelEditor::loadFile(const fs::path& path)
{
    const ChangeNotifier::Operation scope(m_changes);
    auto image = readFlightImage(path);
    if (!image) {
        warn(image.error().message);
        m_status = m_file.empty() ? "No file loaded." : "\"" + kvl::platform::utf8FromPath(m_file) + "\" stays loaded.";
        return false;
    }
    m_values = valueTexts(*image);
    m_loadedImage = std::move(*image);
    m_undo.clear();
    m_redo.clear();
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    m_file = ec ? path : full.lexically_normal();
    m_status = "Loaded \"" + kvl::platform::utf8FromPath(m_file) + "\".";
    selectField(m_selected);
    return true;
}

void FlightModelEditor::selectField(int number)
{
    const ChangeNotifier::Operation scope(m_changes);
    if (!isField(number))
        return;
    m_selected = number;
    m_fieldShown = true;
    m_editText = valueText(number);
}

void FlightModelEditor::setEditText(std::string text)
{
    m_editText = std::move(text);
}

bool FlightModelEditor::writeEditText()
{
    const ChangeNotifier::Operation scope(m_changes);
    const int number = m_selected;
    if (m_file.empty()) {
        m_status = "No file loaded: nothing was written. Click \"Load flt\" first.";
        return false;
    }
    const FieldInfo& info = field(number);
    EncodedValue value = encodeValue(info.type, m_editText);
    if (value.status == EncodedValue::Status::NotANumber) {
        warn("\"" + m_editText + "\" is not a number. Nothing was written to " + fieldLabel(number) + ".");
        m_status = "Nothing was written.";
        return false;
    }
    if (value.status == EncodedValue::Status::OutOfRange) {
        warn(m_editText + " does not fit " + fieldLabel(number) + ": " + rangeDescription(info.type)
            + ". Nothing was written.");
        m_status = "Nothing was written.";
        return false;
    }
    const std::string text = value.text;
    if (!commit("write to field " + std::to_string(number), { { number, std::move(value) } },
            "Cannot write " + fieldLabel(number), "Nothing was written."))
        return false;
    selectField(number);
    m_status = "Wrote " + text + " to " + fieldLabel(number) + ".";
    return true;
}

bool FlightModelEditor::commit(std::string what, const std::vector<std::pair<int, EncodedValue>>& values,
    const std::string& cannot, const std::string& nothing)
{
    // The bytes before the write are read from the file itself, so that undo
    // puts back exactly what was there, whatever the table showed.
    auto before = readFields(m_file);
    if (!before) {
        warn(cannot + ": " + before.error().message + ". " + nothing);
        m_status = nothing;
        return false;
    }
    Bytes after = *before;
    std::vector<int> fields;
    for (const auto& [number, value] : values) {
        std::copy(value.bytes.begin(), value.bytes.begin() + value.size, after.begin() + (field(number).position - 1));
        fields.push_back(number);
    }
    std::sort(fields.begin(), fields.end());
    if (auto written = writeFields(m_file, after, fields); !written) {
        warn(cannot + ": " + written.error().message + ". " + nothing);
        m_status = nothing;
        return false;
    }
    showFields(after, fields);
    m_redo.clear();
    m_undo.push_back(WriteStep { std::move(what), std::move(fields), std::move(*before), std::move(after) });
    return true;
}

void FlightModelEditor::showFields(const Bytes& image, const std::vector<int>& fields)
{
    for (int number : fields)
        m_values[static_cast<std::size_t>(number - 1)] = readFieldText(ByteView(image), field(number)).value_or("");
    if (isField(m_selected))
        m_editText = valueText(m_selected);
}

bool FlightModelEditor::undo()
{
    return moveStep(true);
}

bool FlightModelEditor::redo()
{
    return moveStep(false);
}

bool FlightModelEditor::moveStep(bool backwards)
{
    const ChangeNotifier::Operation scope(m_changes);
    std::vector<WriteStep>& from = backwards ? m_undo : m_redo;
    std::vector<WriteStep>& to = backwards ? m_redo : m_undo;
    const std::string verb = backwards ? "undo" : "redo";
    if (from.empty()) {
        m_status = "Nothing to " + verb + ".";
        return false;
    }
    const WriteStep& step = from.back();
    const Bytes& expected = backwards ? step.after : step.before;
    const Bytes& wanted = backwards ? step.before : step.after;
    auto current = readFields(m_file);
    if (!current) {
        warn("Cannot " + verb + " the " + step.what + ": " + current.error().message + ". Nothing was written.");
        m_status = "Nothing was written.";
        return false;
    }
    if (int changed = firstDifferentField(*current, expected, step.fields)) {
        warn("F" + fieldLabel(changed).substr(1) + " of \"" + kvl::platform::utf8FromPath(m_file)
            + "\" was changed by another program since the " + step.what + ", so it cannot be "
            + (backwards ? "undone" : "redone")
            + " without losing that change. Nothing was written. Load the file again to see its values.");
        m_status = "Nothing was written.";
        return false;
    }
    Bytes image = withFields(*current, wanted, step.fields);
    if (auto written = writeFields(m_file, image, step.fields); !written) {
        warn("Cannot " + verb + " the " + step.what + ": " + written.error().message + ". Nothing was written.");
        m_status = "Nothing was written.";
        return false;
    }
    showFields(image, step.fields);
    selectField(step.fields.front());
    m_status = (backwards ? "Undid the " : "Redid the ") + step.what + ".";
    to.push_back(std::move(from.back()));
    from.pop_back();
    return true;
}

bool FlightModelEditor::revertFile()
{
    const ChangeNotifier::Operation scope(m_changes);
    if (m_file.empty()) {
        m_status = "No file loaded: nothing to revert.";
        return false;
    }
    auto current = readFields(m_file);
    if (!current) {
        warn("Cannot revert \"" + kvl::platform::utf8FromPath(m_file) + "\": " + current.error().message
            + ". Nothing was written.");
        m_status = "Nothing was written.";
        return false;
    }
    const std::vector<int> fields = differentFields(*current, m_loadedImage);
    if (fields.empty()) {
        m_status = "\"" + kvl::platform::utf8FromPath(m_file) + "\" is as it was when loaded: nothing to revert.";
        return false;
    }
    const std::string count = std::to_string(fields.size()) + (fields.size() == 1 ? " value" : " values");
    const MessageAnswer answer = m_host.showMessage(
        Message { MessageIcon::Question, kEditorTitle,
            "Put back " + count + " of \"" + kvl::platform::utf8FromPath(m_file)
                + "\" as they were when the file was loaded?" },
        MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        m_status = "Nothing was reverted.";
        return false;
    }
    std::vector<std::pair<int, EncodedValue>> values;
    for (int number : fields) {
        EncodedValue value;
        value.status = EncodedValue::Status::Ok;
        value.size = fieldWidth(field(number).type);
        std::copy_n(m_loadedImage.begin() + (field(number).position - 1), value.size, value.bytes.begin());
        values.emplace_back(number, value);
    }
    if (!commit("revert of the file", values, "Cannot revert \"" + kvl::platform::utf8FromPath(m_file) + "\"",
            "Nothing was written."))
        return false;
    m_status = "Put back " + count + " as they were when \"" + kvl::platform::utf8FromPath(m_file) + "\" was loaded.";
    return true;
}

void FlightModelEditor::beginMark(int number)
{
    m_markFirst = std::clamp(number, 1, kFieldCount);
}

void FlightModelEditor::endMark(int number)
{
    m_markLast = std::clamp(number, 1, kFieldCount);
    // A range dragged upwards is kept in file order.
    if (m_markLast < m_markFirst)
        std::swap(m_markFirst, m_markLast);
}

bool FlightModelEditor::storeValues()
{
    const ChangeNotifier::Operation scope(m_changes);
    if (m_file.empty()) {
        m_status = "No file loaded: there are no values to store.";
        return false;
    }
    if (!isField(m_markFirst) || !isField(m_markLast) || m_markLast < m_markFirst) {
        m_status = "No values are marked: drag the mouse over the values to store first.";
        return false;
    }
    const int n = m_markLast + 1 - m_markFirst;
    m_stored.assign(m_values.begin() + (m_markFirst - 1), m_values.begin() + m_markLast);
    m_storedFrom = m_markFirst;
    m_status = "Stored " + std::to_string(n) + (n == 1 ? " value" : " values") + " from field "
        + std::to_string(m_markFirst) + (n == 1 ? "." : " to field " + std::to_string(m_markLast) + ".");
    return true;
}

bool FlightModelEditor::pasteValues()
{
    const ChangeNotifier::Operation scope(m_changes);
    const int first = m_selected;
    const auto count = static_cast<int>(m_stored.size());
    if (m_file.empty()) {
        m_status = "No file loaded: nothing was pasted. Click \"Load flt\" first.";
        return false;
    }
    if (count == 0) {
        m_status = "Nothing is stored: mark values and click \"Store values\" first.";
        return false;
    }
    const int last = first + count - 1;
    if (last > kFieldCount) {
        warn("Pasting " + std::to_string(count) + " values from field " + std::to_string(first)
            + " on would run past field " + std::to_string(kFieldCount) + ", the last one. Nothing was pasted.");
        m_status = "Nothing was pasted.";
        return false;
    }
    // Convert every value before writing any, so a paste is all or nothing.
    std::vector<std::pair<int, EncodedValue>> values;
    for (int i = 0; i < count; ++i) {
        const int number = first + i;
        const std::string& text = m_stored[static_cast<std::size_t>(i)];
        EncodedValue value = encodeValue(field(number).type, text);
        if (value.status != EncodedValue::Status::Ok) {
            std::string why = value.status == EncodedValue::Status::NotANumber
                ? "is not a number"
                : "does not fit " + fieldLabel(number) + ": " + rangeDescription(field(number).type);
            warn("Stored value " + std::to_string(i + 1) + " (\"" + text + "\") " + why + ". Nothing was pasted.");
            m_status = "Nothing was pasted.";
            return false;
        }
        values.emplace_back(number, std::move(value));
    }
    const std::string what = count == 1 ? "paste into field " + std::to_string(first)
                                        : "paste into fields " + std::to_string(first) + " to " + std::to_string(last);
    if (!commit(what, values, "Cannot paste", "Nothing was pasted."))
        return false;
    selectField(last);
    m_status = "Pasted " + std::to_string(count) + (count == 1 ? " value" : " values") + " into field "
        + std::to_string(first) + (count == 1 ? "" : " to field " + std::to_string(last)) + ".";
    return true;
}

} // namespace kvl::fltpatch
