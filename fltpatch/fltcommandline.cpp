// The command-line modes of fltpatch.
#include "fltpatch/fltcommandline.h"
#include "common/platform.h"

#include "common/cli.h"
#include "common/fileimage.h"
#include "common/textdecode.h"
#include "fltpatch/flighteditor.h"

namespace kvl::fltpatch {

namespace {

// Messages go to standard error as "fltpatch: TEXT"; no dialog is ever shown,
// so a file dialog is "cancelled" and a question answered No.
class ConsoleHost : public WindowHost {
public:
    explicit ConsoleHost(std::ostream& err) : m_err(err) { }
    MessageAnswer showMessage(const Message& message, MessageButtons buttons) override
    {
        m_err << "fltpatch: " << message.text << '\n';
        return buttons == MessageButtons::Ok      ? MessageAnswer::Ok
            : buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                                                  : MessageAnswer::No;
    }
    std::filesystem::path chooseFile(const FileDialogRequest&) override { return {}; }

private:
    std::ostream& m_err;
};

} // namespace

int exportCsvCommand(
    const std::filesystem::path& folder, const std::filesystem::path& file, std::ostream& out, std::ostream& err)
{
    ConsoleHost host(err);
    FlightModelEditor editor(host);
    editor.loadDescriptions(folder);
    if (!editor.loadFile(file))
        return cli::kExitFailed;
    const std::string csv = editor.exportCsv();
    out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
    out.flush();
    if (!out) {
        err << "fltpatch: cannot write the values to standard output\n";
        return cli::kExitFailed;
    }
    return cli::kExitOk;
}

int importCsvCommand(
    const std::filesystem::path& csv, const std::filesystem::path& file, std::ostream& out, std::ostream& err)
{
    ConsoleHost host(err);
    FlightModelEditor editor(host);
    auto text = readFileImage(csv);
    if (!text) {
        err << "fltpatch: " << text.error().message << ". Nothing was written.\n";
        return cli::kExitFailed;
    }
    if (!editor.loadFile(file))
        return cli::kExitFailed;
    if (!editor.importCsv(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()),
            kvl::platform::utf8FromPath(csv)))
        return cli::kExitFailed;
    out << editor.status() << '\n';
    return cli::kExitOk;
}

int diffCommand(const std::filesystem::path& folder, const std::filesystem::path& a, const std::filesystem::path& b,
    bool json, std::ostream& out, std::ostream& err)
{
    ConsoleHost host(err);
    FlightModelEditor editor(host);
    editor.loadDescriptions(folder);
    if (!editor.loadFile(a) || !editor.compareWith(b))
        return cli::kExitUsage;
    const std::vector<FieldDifference> differences = editor.differences();
    if (json)
        out << "{\"a\":" << jsonString(a.string()) << ",\"b\":" << jsonString(b.string()) << ",\"differences\":[";
    for (std::size_t i = 0; i < differences.size(); ++i) {
        const FieldDifference& d = differences[i];
        const FieldInfo& info = field(static_cast<int>(d.index) + 1);
        const std::string& label = editor.description(info.number);
        if (json) {
            out << (i ? "," : "") << "{\"field\":" << info.number << ",\"position\":" << info.position << ",\"type\":\""
                << typeName(info.type) << "\",\"label\":" << jsonString(label) << ",\"a\":" << jsonString(d.mine)
                << ",\"b\":" << jsonString(d.theirs) << '}';
            continue;
        }
        out << "field " << info.number << ", " << typeName(info.type);
        if (!label.empty())
            out << ", " << label;
        out << ": " << d.mine << " -> " << d.theirs << '\n';
    }
    if (json)
        out << "]}\n";
    out.flush();
    return differences.empty() ? cli::kExitOk : cli::kExitFailed;
}

} // namespace kvl::fltpatch
