// Loaded into the real program by the end-to-end test (LD_PRELOAD), this
// stands in for the user's hands: it reads commands from standard input and
// performs them on the program's real widgets, with real clicks, and answers
// on standard output. The program itself knows nothing of it.
//
//   click <command id>   clicks the toolbar button of that command
//   close                closes the main window as its close box does
//   title                answers "title <the main window's title>"
//   enabled <command id> answers "enabled <id> 1" or "enabled <id> 0" for
//                        the toolbar button of that command
//   answer <button>      presses Yes, No, Ok or Cancel in the message box
//                        on screen
//   press <object name>  presses the push button of that name in the
//                        dialog on screen (the event editor's "buttonOk")
//
// Once the main window is on screen it prints "ready"; each command is
// answered with "done <command>" or "error <what>". Every message box the
// program shows, also before its window is up, is told as it comes up:
//   box <caption><TAB><text>   (line breaks in the text as \n and \r)
// and so is every other dialog of its own (the event editor):
//   dialog <title>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QByteArray &line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

QWidget *mainWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->inherits("CSchedulerDlg") && widget->isVisible())
            return widget;
    return nullptr;
}

QMessageBox *shownBox()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

void answer(const QByteArray &line, const QByteArray &button)
{
    static const QList<std::pair<QByteArray, QMessageBox::StandardButton>> buttons{
        {"Yes", QMessageBox::Yes}, {"No", QMessageBox::No}, {"Ok", QMessageBox::Ok},
        {"Cancel", QMessageBox::Cancel}};
    QMessageBox *box = shownBox();
    QAbstractButton *pressed = nullptr;
    for (const auto &[name, standard] : buttons)
        if (box && name == button)
            pressed = box->button(standard);
    if (!pressed) {
        say("error no message box with a button " + button);
        return;
    }
    say("done " + line.trimmed());
    QTest::mouseClick(pressed, Qt::LeftButton);
}

void perform(const QByteArray &line)
{
    QWidget *window = mainWindow();
    const QList<QByteArray> words = line.trimmed().split(' ');
    if (words.value(0) == "answer") {
        answer(line, words.value(1));
    } else if (words.value(0) == "press") {
        QWidget *dialog = QApplication::activeModalWidget();
        auto *button = dialog ? dialog->findChild<QPushButton *>(QString::fromLatin1(words.value(1)))
                              : nullptr;
        if (!button || !button->isEnabled()) {
            say("error no enabled button " + words.value(1) + " in a dialog");
            return;
        }
        // Told first: the press may end the loop this command runs in.
        say("done " + line.trimmed());
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (!window) {
        say("error no main window");
    } else if (words.value(0) == "click") {
        auto *button = window->findChild<QToolButton *>(QStringLiteral("toolbutton%1").arg(
            QString::fromLatin1(words.value(1))));
        if (!button || !button->isEnabled()) {
            say("error no enabled button " + words.value(1));
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
        say("done " + line.trimmed());
    } else if (words.value(0) == "title") {
        say("title " + window->windowTitle().toUtf8());
    } else if (words.value(0) == "enabled") {
        auto *button = window->findChild<QToolButton *>(QStringLiteral("toolbutton%1").arg(
            QString::fromLatin1(words.value(1))));
        if (!button) {
            say("error no button " + words.value(1));
            return;
        }
        say("enabled " + words.value(1) + (button->isEnabled() ? " 1" : " 0"));
    } else if (words.value(0) == "close") {
        say("done close");
        window->close();
    } else {
        say("error unknown command " + line.trimmed());
    }
}

void startAgent()
{
    // Standard input is read line by line as the event loop runs, so the
    // commands act between the program's own events, like a user's.
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, qApp);
    QObject::connect(input, &QSocketNotifier::activated, qApp, [input] {
        static QByteArray pending;
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input->setEnabled(false);
            return;
        }
        pending.append(buffer, n);
        qsizetype end = 0;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            perform(line);
        }
    });

    // A box shows in a loop of its own, which runs this timer too.
    auto *boxes = new QTimer(qApp);
    boxes->setInterval(20);
    QObject::connect(boxes, &QTimer::timeout, qApp, [] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->property("toldByAgent").toBool()
            || modal->inherits("CSchedulerDlg"))
            return;
        modal->setProperty("toldByAgent", true);
        QMessageBox *box = shownBox();
        if (!box) {
            say("dialog " + modal->windowTitle().toUtf8());
            return;
        }
        QByteArray text = box->text().toUtf8();
        text.replace('\n', "\\n").replace('\r', "\\r");
        say("box " + box->windowTitle().toUtf8() + '\t' + text);
    });
    boxes->start();

    auto *watch = new QTimer(qApp);
    watch->setInterval(20);
    QObject::connect(watch, &QTimer::timeout, qApp, [watch] {
        if (QWidget *window = mainWindow(); window && window->windowHandle()
                                            && window->windowHandle()->isExposed()) {
            watch->stop();
            say("ready");
        }
    });
    watch->start();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startAgent)
