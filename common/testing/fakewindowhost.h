// Tests only: a WindowHost that records every message box and file dialog and
// answers from scripted queues (Ok or Yes / an empty path when the queue is
// empty). A program whose host interface adds methods derives its fake from
// FakeWindowHost<ItsHost> and implements only those. `whileShown` and
// `whileChoosing` run while a box or dialog is "open", so a test can look at
// the window behind it.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

#include "common/windowhost.h"

namespace kvl::test {

template <typename Host = WindowHost>
class FakeWindowHost : public Host {
public:
    MessageAnswer showMessage(const Message& message, MessageButtons buttons = MessageButtons::Ok) override
    {
        messages.push_back(message);
        if (whileShown)
            whileShown(message);
        if (answers.empty())
            return buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel ? MessageAnswer::Ok
                                                                                        : MessageAnswer::Yes;
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::filesystem::path chooseFile(const FileDialogRequest& request) override
    {
        fileDialogs.push_back(request);
        if (whileChoosing)
            whileChoosing(request);
        if (chosenFiles.empty())
            return {};
        std::filesystem::path chosen = chosenFiles.front();
        chosenFiles.pop_front();
        return chosen;
    }

    /// The text of the last message box, or "" when none was shown.
    std::string lastText() const { return messages.empty() ? std::string() : messages.back().text; }

    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileDialogs;
    std::deque<MessageAnswer> answers;
    std::deque<std::filesystem::path> chosenFiles;
    std::function<void(const Message&)> whileShown;
    std::function<void(const FileDialogRequest&)> whileChoosing;
};

} // namespace kvl::test
