// The Qt side of kvl::WindowHost: message boxes and file dialogs for the
// window programs, and the command-line handling their mains share.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "common/optiontable.h"
#include "common/windowhost.h"

class QWidget;

namespace kvl::qt {

/// A modal QMessageBox over `parent` with the message's exact texts.
MessageAnswer showMessageBox(QWidget* parent, const Message& message, MessageButtons buttons);

/// A QFileDialog as the request describes; an empty path when cancelled.
/// File name filters match in any letter case (the game's files come in all).
std::filesystem::path runFileDialog(QWidget* parent, const FileDialogRequest& request);

/// A WindowHost of plain Qt dialogs over `parent` (none: top-level), for
/// what a program asks before its window exists.
class DialogHost : public WindowHost {
public:
    explicit DialogHost(QWidget* parent = nullptr) : m_parent(parent) { }
    MessageAnswer showMessage(const Message& message, MessageButtons buttons = MessageButtons::Ok) override
    {
        return showMessageBox(m_parent, message, buttons);
    }
    std::filesystem::path chooseFile(const FileDialogRequest& request) override
    {
        return runFileDialog(m_parent, request);
    }

private:
    QWidget* m_parent;
};

/// A path as the file system's own bytes, and back.
QString toQString(const std::filesystem::path& path);
std::filesystem::path toPath(const QString& text);

/// A UTF-8 std::string as a QString.
inline QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// Adds the program's options and operands from its table, in the table's
/// order (the rows Qt adds itself are left to parseCommandLine). Options are
/// then looked up by their long names: parser.isSet("export-csv").
void addOptions(QCommandLineParser& parser, const cli::ProgramOptions& table);

/// Sets the application's name and version, adds --help and --version,
/// and parses the command line. Returns the exit status to end with when
/// the program should not go on: 0 after --help or --version (printed to
/// standard output), 2 after a usage error (printed to standard error as
/// "PROGRAM: REASON" and a hint to try --help).
std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments);

/// The value of an integer option in [low, high], or nullopt when it was not
/// given. A value that is not such an integer is a usage error: it is
/// reported as parseCommandLine reports one and `exitStatus` is set to 2.
std::optional<int> intOption(
    const QCommandLineParser& parser, const QString& name, int low, int high, std::optional<int>& exitStatus);

/// Reports a usage error as parseCommandLine does; returns 2.
int usageError(const QString& reason);

} // namespace kvl::qt
