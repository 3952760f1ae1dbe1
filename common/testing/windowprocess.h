// Tests only: runs a built window program as its own process on the test's
// X display, with the box answerer preloaded (boxanswerer.cpp), and reports
// how it ended and every message box and file dialog it showed.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

namespace kvl::test {

/// One message box or file dialog as the program showed it.
struct ShownBox {
    QString kind; // "box" or "dialog"
    QString title;
    int icon = 0; // QMessageBox::Icon; 0 for a dialog
    QString text; // a dialog's object name
};

struct WindowRun {
    bool finished = false; // false: still running after the time allowed, then killed
    bool crashed = false;  // ended by a signal
    int status = -1;
    QList<ShownBox> boxes;
    QString err;

    /// "box|TITLE|TEXT" lines, for messages when an expectation fails.
    QString describe() const
    {
        QStringList lines;
        for (const ShownBox& b : boxes)
            lines << b.kind + QLatin1Char('|') + b.title + QLatin1Char('|') + b.text;
        return QStringLiteral("finished %1, crashed %2, status %3, boxes:\n%4\nstandard error:\n%5")
            .arg(finished)
            .arg(crashed)
            .arg(status)
            .arg(lines.join(QLatin1Char('\n')), err);
    }
};

struct WindowRunOptions {
    QString folder;      // the current directory of the program
    QStringList answers; // see KVL_BOX_ANSWERS in boxanswerer.cpp
    int closeAfter = -1; // see KVL_BOX_CLOSE_AFTER
    QString configHome;  // XDG_CONFIG_HOME (the profile); a fresh one when empty
    int timeoutMs = 60000;
};

namespace detail {

inline QString unescaped(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\') || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == QLatin1Char('t') ? QLatin1Char('\t')
            : next == QLatin1Char('r')  ? QLatin1Char('\r')
            : next == QLatin1Char('n')  ? QLatin1Char('\n')
                                        : next;
    }
    return out;
}

} // namespace detail

/// Runs `program` with `arguments`; `answerer` is the path of the box
/// answerer library.
inline WindowRun runWindowProgram(
    const QString& program, const QString& answerer, const QStringList& arguments, const WindowRunOptions& options)
{
    WindowRun run;
    QTemporaryDir scratch;
    const QString log = scratch.filePath(QStringLiteral("boxes.log"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), answerer);
    env.insert(QStringLiteral("KVL_BOX_LOG"), log);
    env.insert(QStringLiteral("KVL_BOX_ANSWERS"), options.answers.join(QLatin1Char(',')));
    if (options.closeAfter >= 0)
        env.insert(QStringLiteral("KVL_BOX_CLOSE_AFTER"), QString::number(options.closeAfter));
    else
        env.remove(QStringLiteral("KVL_BOX_CLOSE_AFTER"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"),
        options.configHome.isEmpty() ? scratch.filePath(QStringLiteral("config")) : options.configHome);
    // The answerer is loaded before a sanitizer's runtime would be.
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
        (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) + QStringLiteral("verify_asan_link_order=0"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(options.folder.isEmpty() ? QDir::currentPath() : options.folder);
    process.start(program, arguments);
    run.finished = process.waitForFinished(options.timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    } else {
        run.crashed = process.exitStatus() == QProcess::CrashExit;
        run.status = process.exitCode();
    }
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    QFile file(log);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
            ShownBox box;
            box.kind = fields.value(0);
            box.title = detail::unescaped(fields.value(1));
            if (box.kind == QLatin1String("box")) {
                box.icon = fields.value(2).toInt();
                box.text = detail::unescaped(fields.value(3));
            } else {
                box.text = detail::unescaped(fields.value(2));
            }
            run.boxes << box;
        }
    }
    return run;
}

/// Why `run` is not a run that ended normally with `status` after showing
/// the `expected` boxes and dialogs in order, or "" when it is one. Each
/// expectation is "box|ICON|START OF THE TEXT" (every box titled `title`) or
/// "dialog|OBJECT NAME".
inline QString unexpected(const WindowRun& run, int status, const QStringList& expected, const QString& title)
{
    if (!run.finished || run.crashed || run.status != status || run.boxes.size() != expected.size())
        return run.describe();
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QStringList fields = expected[i].split(QLatin1Char('|'));
        const ShownBox& box = run.boxes[i];
        const bool same = box.kind == fields[0]
            && (box.kind == QLatin1String("dialog") ? box.text == fields.value(1)
                                                    : box.title == title && box.icon == fields.value(1).toInt()
                        && box.text.startsWith(fields.mid(2).join(QLatin1Char('|'))));
        if (!same)
            return QStringLiteral("box %1 is not %2\n").arg(i).arg(expected[i]) + run.describe();
    }
    return {};
}

} // namespace kvl::test
