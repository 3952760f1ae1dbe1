// The seam between a window program's core and its window. A core asks for
// message boxes and file dialogs only through this interface (or a program's
// own interface derived from it), so every rule, refusals and prompts
// included, runs in tests without a window: the window implements it with
// Qt's dialogs, tests with kvl::test::FakeWindowHost.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace kvl {

enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

/// One message box: its icon, title bar text and body text, exactly as shown.
struct Message {
    Message(MessageIcon icon_ = MessageIcon::None, std::string title_ = {}, std::string text_ = {},
        std::string objectName_ = {}, std::optional<MessageAnswer> defaultAnswer_ = {})
        : icon(icon_),
          title(std::move(title_)),
          text(std::move(text_)),
          objectName(std::move(objectName_)),
          defaultAnswer(defaultAnswer_)
    {
    }

    MessageIcon icon = MessageIcon::None;
    std::string title;
    std::string text;
    /// The box's objectName, by which accessibility tools and scripts find
    /// it; none when empty.
    std::string objectName;
    /// The button Enter presses; the toolkit's choice when unset.
    std::optional<MessageAnswer> defaultAnswer;
};

enum class FileDialogKind { OpenFile, SaveFile, Folder };

/// One file dialog: what it is for, its caption, the folder (or file) it
/// starts in and a Qt-style name filter ("Flight models (*.flt)").
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::OpenFile;
    std::string caption;
    std::filesystem::path start;
    std::string filter;
    /// The dialog's objectName, where the form names the control ("CD").
    std::string objectName;
};

class WindowHost {
public:
    virtual ~WindowHost() = default;
    /// Shows a modal message box and returns the button pressed
    /// (MessageAnswer::Ok for MessageButtons::Ok).
    virtual MessageAnswer showMessage(const Message& message, MessageButtons buttons = MessageButtons::Ok) = 0;
    /// Runs a file dialog; an empty path when it was cancelled.
    virtual std::filesystem::path chooseFile(const FileDialogRequest& request) = 0;
};

} // namespace kvl
