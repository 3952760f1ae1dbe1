// The script maker's name checks and the files it writes.
#include "planesedit/scriptmaker.h"
#include "common/platform.h"

#include "common/fileimage.h"

#include <system_error>

namespace kvl::planesedit {

namespace {

constexpr const char* kTitle = "Script Maker";

std::string singleByteText(const std::string& utf8)
{
    return toSingleByte(decodeUtf8(utf8));
}

} // namespace

bool isValidFileName(const std::string& name)
{
    // 255 bytes is the longest name the file systems in use take.
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        return false;
    bool onlyBlanksAndDots = true;
    for (unsigned char c : name) {
        if (c < 32 || c == 127)
            return false;
        switch (c) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        default:
            break;
        }
        if (c != ' ' && c != '.')
            onlyBlanksAndDots = false;
    }
    return !onlyBlanksAndDots;
}

ScriptMaker::ScriptMaker(
    std::filesystem::path folder, const RecordDocument& document, kvl::WindowHost& host, kvl::ChangeNotifier& changes)
    : m_folder(std::move(folder)),
      m_document(document),
      m_host(host),
      m_changes(changes)
{
}

void ScriptMaker::open(int slot)
{
    const kvl::ChangeNotifier::Operation operation(m_changes);
    if (slot >= 0)
        chooseDestination(slot);
    m_state.visible = true;
}

void ScriptMaker::cancel()
{
    const kvl::ChangeNotifier::Operation operation(m_changes);
    m_state.visible = false;
}

void ScriptMaker::chooseDestination(int slot)
{
    const kvl::ChangeNotifier::Operation operation(m_changes);
    if (slot < 0 || slot >= kSlotCount)
        return;
    m_state.destination = slot;
    m_state.scriptName = kSlotNames[static_cast<std::size_t>(slot)];
}

std::string ScriptMaker::destinationLine() const
{
    return m_state.destination < 0 ? std::string() : std::to_string(m_state.destination);
}

std::string ScriptMaker::scriptText() const
{
    return scriptFileText(m_state.pnamesName, destinationLine(), m_document);
}

void ScriptMaker::showError(const std::string& text)
{
    m_host.showMessage({ kvl::MessageIcon::Warning, kTitle, text, {}, {} });
}

bool ScriptMaker::save()
{
    const kvl::ChangeNotifier::Operation operation(m_changes);
    const std::string& folderName = m_state.folder;
    const std::string& name = m_state.scriptName;
    if (!isValidFileName(folderName)) {
        showError("\"" + folderName + "\" cannot be used as a folder name. Type a "
            + (folderName.size() > 255 ? "shorter name" : "name without / \\ : * ? \" < > |")
            + " in \"Save in folder:\".");
        return false;
    }
    // The script's file name carries ".oaw" as well.
    if (!isValidFileName(name) || !isValidFileName(name + ".oaw")) {
        showError("\"" + name + "\" cannot be used as a script name. Type a "
            + (name.size() + 4 > 255 ? "shorter name" : "name without / \\ : * ? \" < > |") + " in \"Script Name\".");
        return false;
    }
    if (m_state.destination < 0
        && m_host.showMessage({ kvl::MessageIcon::Question, kTitle,
                                  "No destination slot has been chosen, so the script's second line will be empty. "
                                  "Save the script anyway?",
                                  {}, kvl::MessageAnswer::No },
               kvl::MessageButtons::YesNo)
            != kvl::MessageAnswer::Yes)
        return false;

    const auto dir = kvl::findFileNoCase(m_folder, folderName);
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::filesystem::create_directory(dir, ec);
        if (ec || !std::filesystem::is_directory(dir, ec)) {
            showError("The folder \"" + folderName + "\" could not be created in "
                + kvl::platform::utf8FromPath(m_folder) + ".");
            return false;
        }
    }
    const auto scriptPath = kvl::findFileNoCase(dir, name + ".oaw");
    if (!kvl::writeFileAtomically(scriptPath, std::string_view(scriptText()))) {
        showError("The script \"" + name + ".oaw\" could not be written.");
        return false;
    }
    // The description keeps its own line breaks, each written as CR LF.
    std::string contents;
    for (char c : singleByteText(m_state.description)) {
        if (c == '\n' && (contents.empty() || contents.back() != '\r'))
            contents += '\r';
        contents += c;
    }
    contents += "\r\n";
    if (!kvl::writeFileAtomically(kvl::findFileNoCase(dir, "contents.txt"), std::string_view(contents))) {
        showError("\"contents.txt\" could not be written in the folder \"" + folderName + "\".");
        return false;
    }
    m_state.visible = false;
    return true;
}

} // namespace kvl::planesedit
