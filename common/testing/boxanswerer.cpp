// Tests only: preloaded (LD_PRELOAD) into a window program that a test runs
// as a process, it answers the program's message boxes and file dialogs as a
// user would, and writes down what each one said. The program itself is the
// one that ships: nothing in it knows that it is being tested.
//
// Its environment:
//   KVL_BOX_LOG      the file each box and dialog is appended to, one line
//                    each: "box", title, icon number and text, or "dialog",
//                    caption and object name; tab-separated, with tab, CR,
//                    LF and backslash written as \t, \r, \n and \\.
//   KVL_BOX_ANSWERS  the answers in order, comma-separated: ok, cancel, yes
//                    or no for a box, cancel or file:PATH for a dialog. Once
//                    they run out a box gets its default button (else its
//                    first) and a dialog is cancelled.
//   KVL_BOX_CLOSE_AFTER  when set to N, all windows are closed once the
//                    N-th box or dialog has been answered, as a user ends the
//                    program after reading them.
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

namespace {

QString escaped(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

class Answerer : public QObject {
public:
    explicit Answerer(QObject* parent) : QObject(parent)
    {
        m_log = qEnvironmentVariable("KVL_BOX_LOG");
        const QString answers = qEnvironmentVariable("KVL_BOX_ANSWERS");
        if (!answers.isEmpty())
            m_answers = answers.split(QLatin1Char(','));
        bool ok = false;
        const int closeAfter = qEnvironmentVariableIntValue("KVL_BOX_CLOSE_AFTER", &ok);
        m_closeAfter = ok ? closeAfter : -1;
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &Answerer::look);
        timer->start(20);
    }

private:
    void write(const QStringList& fields)
    {
        if (m_log.isEmpty())
            return;
        QFile file(m_log);
        if (file.open(QIODevice::Append)) {
            QStringList line;
            for (const QString& field : fields)
                line << escaped(field);
            file.write(line.join(QLatin1Char('\t')).toUtf8() + '\n');
        }
    }

    QString nextAnswer() { return m_answers.isEmpty() ? QString() : m_answers.takeFirst(); }

    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == m_answering || !modal->isVisible())
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_answering = box;
            write({ QStringLiteral("box"), box->windowTitle(), QString::number(int(box->icon())), box->text() });
            answer(box, nextAnswer());
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            m_answering = dialog;
            write({ QStringLiteral("dialog"), dialog->windowTitle(), dialog->objectName() });
            const QString answer = nextAnswer();
            if (answer.startsWith(QLatin1String("file:"))) {
                dialog->selectFile(answer.mid(5));
                static_cast<QDialog*>(dialog)->accept(); // public there, protected in QFileDialog
            } else {
                dialog->reject();
            }
        } else {
            return;
        }
        if (++m_answered == m_closeAfter)
            QTimer::singleShot(0, qApp, [] { QApplication::closeAllWindows(); });
    }

    static void answer(QMessageBox* box, const QString& answer)
    {
        const QMessageBox::StandardButton wanted = answer == QLatin1String("ok") ? QMessageBox::Ok
            : answer == QLatin1String("cancel")                                  ? QMessageBox::Cancel
            : answer == QLatin1String("yes")                                     ? QMessageBox::Yes
            : answer == QLatin1String("no")                                      ? QMessageBox::No
                                                                                 : QMessageBox::NoButton;
        QAbstractButton* button = wanted != QMessageBox::NoButton ? box->button(wanted) : nullptr;
        if (!button)
            button = box->defaultButton();
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().constFirst();
        if (button)
            button->click();
        else
            box->close();
    }

    QString m_log;
    QStringList m_answers;
    int m_closeAfter = -1;
    int m_answered = 0;
    QPointer<QWidget> m_answering;
};

void startAnswering()
{
    // Only a program with widgets can show a box; the modes without a window
    // run under a plain QCoreApplication.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        new Answerer(QCoreApplication::instance());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startAnswering)
