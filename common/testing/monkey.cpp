// The monkey inside the process under test: the answers to boxes and
// dialogs, the files before and after each action, the controls of the
// windows and the actions done on them.
#include "common/testing/monkey.h"

#include "common/testing/monkeyactions.h"

#include "common/fileimage.h"
#include "common/platform.h"
#include "common/qt/qtwindowhost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace kvl::test::monkey {

namespace fs = std::filesystem;

namespace {

using Rng = std::mt19937_64;

std::string utf8(const QString& text)
{
    return text.toStdString();
}

std::string slashed(const fs::path& path)
{
    std::string text = kvl::platform::utf8FromPath(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::string readBytes(const fs::path& path)
{
    auto image = kvl::readFileImage(path);
    if (!image)
        return {};
    return std::string(image->begin(), image->end());
}

void writeBytes(const fs::path& path, const std::string& bytes)
{
    if (!kvl::writeFileImage(path, std::string_view(bytes)))
        std::fprintf(stderr, "monkey: cannot write %s\n", slashed(path).c_str());
}

// The file name extensions of a Qt name filter's patterns ("csv" of
// "CSV files (*.csv);;All files (*)"), first to last.
std::vector<std::string> extensions(const std::string& filter)
{
    std::vector<std::string> found;
    for (std::size_t star = filter.find("*."); star != std::string::npos; star = filter.find("*.", star + 2)) {
        std::size_t end = star + 2;
        while (end < filter.size() && filter[end] != ' ' && filter[end] != ')' && filter[end] != ';')
            ++end;
        if (end > star + 2)
            found.push_back(filter.substr(star + 2, end - star - 2));
    }
    return found;
}

bool hasExtension(const fs::path& file, const std::vector<std::string>& wanted)
{
    const std::string name = kvl::platform::utf8FromPath(file.filename());
    return std::any_of(wanted.begin(), wanted.end(), [&](const std::string& e) {
        return name.size() > e.size() && name[name.size() - e.size() - 1] == '.'
            && kvl::equalsNoCase(std::string_view(name).substr(name.size() - e.size()), e);
    });
}

} // namespace

// ---- the session: answers and files -------------------------------------------------

Session::Session(Folders folders) : m_folders(std::move(folders))
{
    // Every file of the game folder, and damaged copies of those at its top.
    std::error_code ec;
    for (fs::recursive_directory_iterator it(m_folders.game, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec))
            m_openable.push_back(it->path());
    std::sort(m_openable.begin(), m_openable.end());
    const std::vector<fs::path> originals = m_openable;
    for (const fs::path& file : originals)
        if (file.parent_path() == m_folders.game)
            addDamagedCopies(file);
}

void Session::offer(const fs::path& file)
{
    m_openable.push_back(file);
    addDamagedCopies(file);
}

void Session::addDamagedCopies(const fs::path& file)
{
    const std::string bytes = readBytes(file);
    const std::string name = kvl::platform::utf8FromPath(file.filename());
    // A damaged copy of each kind: cut in half, empty, three bytes flipped,
    // junk after the end.
    const std::size_t size = bytes.size();
    std::string flipped = bytes;
    for (const std::size_t at : { size / 3, size / 2, size == 0 ? 0 : size - 1 })
        if (at < flipped.size())
            flipped[at] = static_cast<char>(~static_cast<unsigned char>(flipped[at]));
    const std::pair<const char*, std::string> copies[] = { { "half-", bytes.substr(0, size / 2) }, { "empty-", {} },
        { "flip-", flipped }, { "long-", bytes + std::string(64, 'Z') } };
    for (const auto& [prefix, content] : copies) {
        const fs::path copy = m_folders.files / kvl::platform::pathFromUtf8(prefix + name);
        writeBytes(copy, content);
        m_openable.push_back(copy);
    }
}

void Session::beginAction(std::uint32_t answers)
{
    m_answers.seed(answers);
    m_shown.clear();
}

std::size_t Session::pick(std::size_t count)
{
    return count == 0 ? 0 : static_cast<std::size_t>(m_answers() % count);
}

bool Session::answered(const std::string& text, const std::string& answer) const
{
    return std::any_of(m_shown.begin(), m_shown.end(),
        [&](const Shown& s) { return !s.fileDialog && s.text == text && s.answer == answer; });
}

const std::string* Session::bytesBefore(const std::string& relative) const
{
    const auto it = m_before.find(relative);
    return it == m_before.end() || it->second.folder ? nullptr : &it->second.bytes;
}

std::string Session::relative(const fs::path& path) const
{
    const fs::path rel = path.lexically_normal().lexically_relative(m_folders.root);
    const std::string text = slashed(rel);
    if (text.empty() || text == "." || text.rfind("..", 0) == 0)
        return {};
    return text;
}

fs::path Session::pickOpen(const std::string& filter)
{
    const std::size_t r = pick(100);
    if (r < 10 || m_openable.empty())
        return {};
    if (r < 18)
        return pick(2) ? m_folders.game / "missing.dat" : m_folders.files / "gone" / "Kestrel.flt";
    if (r < 22)
        return pick(2) ? m_folders.game : m_folders.files;
    // Mostly what the dialog's filter shows, as a user would pick.
    std::vector<fs::path> shown;
    const std::vector<std::string> wanted = extensions(filter);
    for (const fs::path& file : m_openable)
        if (hasExtension(file, wanted))
            shown.push_back(file);
    if (r < 70 && !shown.empty())
        return shown[pick(shown.size())];
    return m_openable[pick(m_openable.size())];
}

fs::path Session::pickSave(const std::string& extension)
{
    const std::string dot = extension.empty() ? std::string() : "." + extension;
    const std::size_t r = pick(100);
    if (r < 12)
        return {};
    if (r < 55 || m_saveCount == 0)
        return m_folders.out / ("saved" + std::to_string(++m_saveCount) + dot);
    if (r < 75)
        return m_folders.out / ("saved" + std::to_string(1 + pick(static_cast<std::size_t>(m_saveCount))) + dot);
    if (r < 85)
        return m_folders.out / "plain";
    if (r < 95)
        return m_folders.out / "missing" / ("saved" + dot);
    return m_folders.out;
}

fs::path Session::pickFolder()
{
    switch (pick(5)) {
    case 0:
        return {};
    case 1:
        return m_folders.game;
    case 2:
        return m_folders.files;
    case 3:
        return m_folders.out;
    default:
        return m_folders.root / "missing";
    }
}

kvl::MessageAnswer Session::showMessage(const kvl::Message& message, kvl::MessageButtons buttons)
{
    static const kvl::MessageAnswer okCancel[] = { kvl::MessageAnswer::Ok, kvl::MessageAnswer::Cancel };
    static const kvl::MessageAnswer yesNo[] = { kvl::MessageAnswer::Yes, kvl::MessageAnswer::No };
    static const kvl::MessageAnswer yesNoCancel[] = { kvl::MessageAnswer::Yes, kvl::MessageAnswer::No,
        kvl::MessageAnswer::Cancel };
    kvl::MessageAnswer answer = kvl::MessageAnswer::Ok;
    switch (buttons) {
    case kvl::MessageButtons::Ok:
        break;
    case kvl::MessageButtons::OkCancel:
        answer = okCancel[pick(2)];
        break;
    case kvl::MessageButtons::YesNo:
        answer = yesNo[pick(2)];
        break;
    case kvl::MessageButtons::YesNoCancel:
        answer = yesNoCancel[pick(3)];
        break;
    }
    static const char* const names[] = { "Ok", "Cancel", "Yes", "No" };
    m_shown.push_back({ false, message.title, message.text, names[static_cast<int>(answer)], false });
    return answer;
}

fs::path Session::chooseFile(const kvl::FileDialogRequest& request)
{
    fs::path chosen;
    switch (request.kind) {
    case kvl::FileDialogKind::OpenFile:
        chosen = pickOpen(request.filter);
        break;
    case kvl::FileDialogKind::SaveFile: {
        const std::vector<std::string> wanted = extensions(request.filter);
        chosen = pickSave(wanted.empty() ? std::string() : wanted.front());
        break;
        break;
    }
    case kvl::FileDialogKind::Folder:
        chosen = pickFolder();
        break;
    }
    m_shown.push_back({ true, request.caption, {}, slashed(chosen), request.kind == kvl::FileDialogKind::SaveFile });
    return chosen;
}

Snapshot Session::takeSnapshot() const
{
    Snapshot snapshot;
    std::error_code ec;
    fs::recursive_directory_iterator it(m_folders.root, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path == m_folders.config) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code typeEc;
        if (it->is_directory(typeEc))
            snapshot[relative(path)] = Entry { true, {} };
        else
            snapshot[relative(path)] = Entry { false, readBytes(path) };
    }
    return snapshot;
}

std::string describe(const FileChange& change)
{
    const auto size = [](const std::optional<Entry>& e) {
        return !e       ? std::string("absent")
            : e->folder ? std::string("a folder")
                        : std::to_string(e->bytes.size()) + " bytes";
    };
    std::string text = change.path + ": " + size(change.before) + " -> " + size(change.after);
    if (change.before && change.after && !change.before->folder && !change.after->folder) {
        const std::string& a = change.before->bytes;
        const std::string& b = change.after->bytes;
        std::size_t first = 0;
        while (first < a.size() && first < b.size() && a[first] == b[first])
            ++first;
        text += ", first difference at offset " + std::to_string(first);
    }
    return text;
}

namespace {

std::vector<FileChange> differences(const Snapshot& before, const Snapshot& after)
{
    std::vector<FileChange> changes;
    for (const auto& [path, entry] : before) {
        const auto it = after.find(path);
        if (it == after.end())
            changes.push_back({ path, entry, std::nullopt });
        else if (!(it->second == entry))
            changes.push_back({ path, entry, it->second });
    }
    for (const auto& [path, entry] : after)
        if (!before.count(path))
            changes.push_back({ path, std::nullopt, entry });
    return changes;
}

// The engine's own rule: a save dialog's answer may be written, under the
// name chosen or with an extension added to it. Those go to the session;
// the rest is the program's to judge.
std::vector<FileChange> leftForTheProgram(Session& session, std::vector<FileChange> changes)
{
    std::vector<std::string> chosen;
    for (const Shown& s : session.shown())
        if (s.fileDialog && s.saving && !s.answer.empty())
            chosen.push_back(session.relative(kvl::platform::pathFromUtf8(s.answer)));
    std::vector<FileChange> saved, left;
    for (FileChange& c : changes) {
        const bool allowed = c.after && !c.after->folder
            && std::any_of(chosen.begin(), chosen.end(),
                [&](const std::string& p) { return !p.empty() && (c.path == p || c.path.rfind(p + ".", 0) == 0); });
        (allowed ? saved : left).push_back(std::move(c));
    }
    session.setSaved(std::move(saved));
    return left;
}

// ---- boxes the program shows without its host -------------------------------------

// Answers the toolkit's own modal dialogs (an About box, a box a window
// shows itself) and closes popup menus, as soon as they are up, from the
// current action's answers.
class ModalAnswerer : public QObject {
public:
    explicit ModalAnswerer(Session& session) : m_session(session)
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &ModalAnswerer::look);
        timer->start(10);
    }

private:
    void look()
    {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        // A dialog that is still up a while after its answer (one the
        // program shows again, say) is answered once more.
        if (modal == m_last && ++m_waited < 20)
            return;
        m_last = modal;
        m_waited = 0;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const QList<QAbstractButton*> buttons = box->buttons();
            QAbstractButton* button = buttons.isEmpty()
                ? nullptr
                : buttons[static_cast<qsizetype>(m_session.pick(buttons.size()))];
            m_session.note({ false, utf8(box->windowTitle()), utf8(box->text()),
                button ? utf8(button->text()) : std::string("closed"), false });
            if (button)
                button->click();
            else
                box->close();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            const bool saving = dialog->acceptMode() == QFileDialog::AcceptSave;
            const std::string filter = utf8(dialog->nameFilters().join(QStringLiteral(";;")));
            const std::vector<std::string> wanted = extensions(filter);
            const fs::path chosen = dialog->fileMode() == QFileDialog::Directory ? m_session.pickFolder()
                : saving ? m_session.pickSave(wanted.empty() ? std::string() : wanted.front())
                         : m_session.pickOpen(filter);
            m_session.note({ true, utf8(dialog->windowTitle()), {}, kvl::platform::utf8FromPath(chosen), saving });
            if (chosen.empty()) {
                dialog->reject();
            } else {
                dialog->selectFile(kvl::qt::toQString(chosen));
                static_cast<QDialog*>(dialog)->accept();
            }
        } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            m_session.note({ false, utf8(input->windowTitle()), utf8(input->labelText()), "input", false });
            if (m_session.pick(3) == 0) {
                input->reject();
            } else {
                input->setTextValue(QString::number(static_cast<qulonglong>(m_session.pick(100000))));
                input->accept();
            }
        } else if (auto* other = qobject_cast<QDialog*>(modal)) {
            m_session.note({ false, utf8(other->windowTitle()), {}, "dialog", false });
            if (m_session.pick(3) == 0)
                other->accept();
            else
                other->reject();
        } else {
            modal->close();
        }
    }

    Session& m_session;
    QPointer<QWidget> m_last;
    int m_waited = 0;
};

// ---- the watchdog ------------------------------------------------------------------

// Ends the process when an action has not returned in time: a hang, as the
// user would see a window that no longer answers.
class Watchdog {
public:
    explicit Watchdog(double seconds) : m_limit(static_cast<long long>(seconds * 1000))
    {
        m_thread = std::thread([this] { watch(); });
    }
    ~Watchdog()
    {
        m_stop = true;
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void arm(const std::string& what)
    {
        std::snprintf(
            m_message, sizeof m_message, "monkey: hang: %s did not return within %lld ms\n", what.c_str(), m_limit);
        m_since.store(now(), std::memory_order_release);
    }
    void disarm() { m_since.store(0, std::memory_order_release); }

private:
    static long long now()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void watch()
    {
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const long long since = m_since.load(std::memory_order_acquire);
            if (since != 0 && now() - since > m_limit) {
                const ssize_t written = ::write(STDERR_FILENO, m_message, std::strlen(m_message));
                (void)written;
                ::_exit(kHangStatus);
            }
        }
    }

    long long m_limit;
    std::atomic<long long> m_since { 0 };
    std::atomic<bool> m_stop { false };
    char m_message[600] = {};
    std::thread m_thread;
};

void settle()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The toolkit's complaint about every synthetic event nobody took says
// nothing about the program; the rest is kept.
void quieterMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (message.contains(QLatin1String("not accepted by receiving widget")))
        return;
    std::fprintf(stderr, "%s: %s\n", type == QtWarningMsg ? "qt warning" : "qt", qPrintable(message));
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

int runHere(const Program& program, const Folders& folders, std::uint64_t seed, int count,
    const std::optional<std::vector<Action>>& actions, const fs::path& log, double hangSeconds, double secondsLeft)
{
    qInstallMessageHandler(quieterMessages);
    const auto deadline = std::chrono::steady_clock::now()
        + std::chrono::milliseconds(static_cast<long long>(secondsLeft > 0 ? secondsLeft * 1000 : 1e12));
    int logFile = -1;
    if (!log.empty())
        logFile = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const auto writeLog = [logFile](const std::string& line) {
        if (logFile < 0)
            return;
        const std::string text = line + '\n';
        const ssize_t written = ::write(logFile, text.data(), text.size());
        (void)written;
    };

    Session session(folders);
    std::unique_ptr<Subject> subject = program.makeSubject();
    ModalAnswerer answerer(session);
    Watchdog watchdog(hangSeconds);
    Rng rng(seed);
    subject->prepare(session);
    session.setBefore(session.takeSnapshot());

    int done = 0, skipped = 0;
    // KVL_MONKEY_VERBOSE=1: every action, what it showed and what it changed.
    const bool verbose = qEnvironmentVariableIntValue("KVL_MONKEY_VERBOSE") == 1;
    const auto step = [&](const Action& action, int index) -> bool {
        const std::string line = formatAction(action);
        subject->beforeAction(action, session);
        session.beginAction(action.answers);
        if (action.kind != "start")
            writeLog(line);
        watchdog.arm("action " + std::to_string(index) + " (" + line + ")");
        if (action.kind == "start")
            subject->start(session);
        else if (perform(action, *subject, session))
            ++done;
        else
            ++skipped;
        settle();
        watchdog.disarm();
        Snapshot after = session.takeSnapshot();
        const std::vector<FileChange> changes = leftForTheProgram(session, differences(session.before(), after));
        if (const std::string why = subject->check(action, session, changes); !why.empty()) {
            std::fprintf(stderr, "monkey: invariant: %s\n  after action %d: %s\n", why.c_str(), index, line.c_str());
            for (const Shown& s : session.shown())
                std::fprintf(stderr, "  shown: %s \"%s\" %s -> %s\n", s.fileDialog ? "dialog" : "box", s.title.c_str(),
                    s.text.c_str(), s.answer.c_str());
            return false;
        }
        if (verbose) {
            std::fprintf(stderr, "%d: %s\n", index, line.c_str());
            for (const Shown& s : session.shown())
                std::fprintf(stderr, "    %s \"%s\" %s -> %s\n", s.fileDialog ? "dialog" : "box", s.title.c_str(),
                    s.text.c_str(), s.answer.c_str());
            for (const FileChange& c : session.saved())
                std::fprintf(stderr, "    saved %s\n", describe(c).c_str());
            for (const FileChange& c : changes)
                std::fprintf(stderr, "    changed %s\n", describe(c).c_str());
        }
        session.setBefore(std::move(after));
        return true;
    };

    int status = 0;
    if (!step({ "start", {}, 0, {} }, 0))
        status = kInvariantStatus;
    if (actions) {
        for (std::size_t i = 0; status == 0 && i < actions->size(); ++i)
            if (!step((*actions)[i], static_cast<int>(i) + 1))
                status = kInvariantStatus;
    } else {
        for (int i = 1; status == 0 && i <= count && std::chrono::steady_clock::now() < deadline; ++i)
            if (!step(randomAction(rng, *subject, session), i))
                status = kInvariantStatus;
    }
    if (logFile >= 0)
        ::close(logFile);
    std::fprintf(stderr, "monkey: %d actions done, %d skipped (their control was not there)\n", done, skipped);
    if (status != 0)
        std::_Exit(status); // the window is left as the failure found it
    watchdog.arm("closing the program");
    subject->stop();
    watchdog.disarm();
    return 0;
}

void waitUntilExposed(QWidget* window, int milliseconds)
{
    if (!QTest::qWaitForWindowExposed(window, milliseconds))
        std::fprintf(stderr, "monkey: the window was not shown in time\n");
}

} // namespace kvl::test::monkey
