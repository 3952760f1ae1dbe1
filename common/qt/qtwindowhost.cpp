// Qt message boxes, file dialogs and command-line parsing for the window programs.
#include "common/qt/qtwindowhost.h"

#include "common/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>

namespace kvl::qt {

MessageAnswer showMessageBox(QWidget* parent, const Message& message, MessageButtons buttons)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (message.icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Information:
        icon = QMessageBox::Information;
        break;
    case MessageIcon::Warning:
        icon = QMessageBox::Warning;
        break;
    case MessageIcon::Critical:
        icon = QMessageBox::Critical;
        break;
    case MessageIcon::Question:
        icon = QMessageBox::Question;
        break;
    }
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    switch (buttons) {
    case MessageButtons::Ok:
        break;
    case MessageButtons::OkCancel:
        standard = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MessageButtons::YesNo:
        standard = QMessageBox::Yes | QMessageBox::No;
        break;
    case MessageButtons::YesNoCancel:
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    QMessageBox box(icon, fromUtf8(message.title), fromUtf8(message.text), standard, parent);
    if (!message.objectName.empty())
        box.setObjectName(fromUtf8(message.objectName));
    if (message.defaultAnswer) {
        switch (*message.defaultAnswer) {
        case MessageAnswer::Ok:
            box.setDefaultButton(QMessageBox::Ok);
            break;
        case MessageAnswer::Cancel:
            box.setDefaultButton(QMessageBox::Cancel);
            break;
        case MessageAnswer::Yes:
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case MessageAnswer::No:
            box.setDefaultButton(QMessageBox::No);
            break;
        }
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return MessageAnswer::Cancel;
    }
}

std::filesystem::path runFileDialog(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent, fromUtf8(request.caption), toQString(request.start), fromUtf8(request.filter));
    // Qt's own dialog matches name filters in any letter case; some desktops'
    // native dialogs do not and would hide FIGHTER.VKM behind "*.vkm".
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!request.objectName.empty())
        dialog.setObjectName(QString::fromStdString(request.objectName));
    switch (request.kind) {
    case FileDialogKind::OpenFile:
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        break;
    case FileDialogKind::SaveFile:
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        break;
    case FileDialogKind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        break;
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return toPath(dialog.selectedFiles().constFirst());
}

QString toQString(const std::filesystem::path& path)
{
    // Shown with the system's separators (backslashes on Windows).
    return QDir::toNativeSeparators(QString::fromStdString(kvl::platform::utf8FromPath(path)));
}

std::filesystem::path toPath(const QString& text)
{
    return kvl::platform::pathFromUtf8(QDir::toNativeSeparators(text).toStdString());
}

namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void addOptions(QCommandLineParser& parser, const cli::ProgramOptions& table)
{
    for (const cli::Option& option : table.options) {
        if (option.addedByQt)
            continue;
        QStringList names;
        if (option.shortName != 0)
            names << QString(QChar::fromLatin1(option.shortName));
        names << fromView(option.longName);
        QCommandLineOption qtOption(names, fromView(option.help), fromView(option.valueName));
        if (!option.defaultValue.empty())
            qtOption.setDefaultValue(fromView(option.defaultValue));
        parser.addOption(qtOption);
    }
    for (const cli::Operand& operand : table.operands)
        parser.addPositionalArgument(fromView(operand.name), fromView(operand.help), fromView(operand.syntax));
}

int usageError(const QString& reason)
{
    const QString program = QCoreApplication::applicationName();
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", qPrintable(program), qPrintable(reason),
        qPrintable(program));
    return 2;
}

std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments)
{
    // A window program's answers on the command line (--help, exports) go
    // to the console it was started from, on Windows too.
    kvl::platform::attachParentConsole();
    kvl::platform::binaryStandardOutput();
    kvl::platform::utf8Console();
    QCoreApplication::setApplicationVersion(QStringLiteral(KVL_VERSION));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()), KVL_VERSION);
        return 0;
    }
    return std::nullopt;
}

std::optional<int> intOption(
    const QCommandLineParser& parser, const QString& name, int low, int high, std::optional<int>& exitStatus)
{
    if (!parser.isSet(name))
        return std::nullopt;
    const QString text = parser.value(name);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high) {
        exitStatus = usageError(
            QStringLiteral("--%1 takes a whole number from %2 to %3, not '%4'").arg(name).arg(low).arg(high).arg(text));
        return std::nullopt;
    }
    return value;
}

} // namespace kvl::qt
