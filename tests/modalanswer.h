#pragma once

// Answers the next modal window the code under test opens: a message box,
// a file dialog or one of the program's own dialogs. Set it up right before
// the call that opens the window; it looks for the window from the event loop
// that window runs, checks it and closes it as told.

#include <QApplication>
#include <QAbstractButton>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>

class ModalAnswer
{
public:
    // Calls `answer` with the first modal window that shows up within
    // `timeoutMs`. `answer` must close the window.
    explicit ModalAnswer(std::function<void(QWidget *)> answer, int timeoutMs = 5000)
        : m_answer(std::move(answer))
    {
        m_timer.setInterval(10);
        m_deadline.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this, timeoutMs] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal != m_ignore && modal->isVisible()) {
                m_timer.stop();
                m_seen = true;
                m_answer(modal);
            } else if (m_deadline.elapsed() > timeoutMs) {
                m_timer.stop();
            }
        });
        m_ignore = QApplication::activeModalWidget();
        m_timer.start();
    }

    bool seen() const { return m_seen; }

    // Presses the message box button `button` after storing the box's text
    // and caption.
    static ModalAnswer messageBox(QMessageBox::StandardButton button, QString *text = nullptr,
                                  QString *caption = nullptr)
    {
        return ModalAnswer([=](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (text)
                *text = box ? box->text() : QStringLiteral("<not a message box: %1>").arg(
                                                w->metaObject()->className());
            if (caption)
                *caption = w->windowTitle();
            if (box)
                box->button(button) ? box->button(button)->click() : box->done(button);
            else if (auto *dialog = qobject_cast<QDialog *>(w))
                dialog->reject();
        });
    }

    ModalAnswer(ModalAnswer &&other) = delete;

private:
    std::function<void(QWidget *)> m_answer;
    QTimer m_timer;
    QElapsedTimer m_deadline;
    QPointer<QWidget> m_ignore;
    bool m_seen = false;
};
