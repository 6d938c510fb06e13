#pragma once

// Ends the process as soon as the first top-level window is on screen, so
// that the time from the process's start to that moment can be measured from
// outside, together with the peak memory it took to get there.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWindow>

#include <unistd.h>

class ExitOnFirstWindow : public QObject
{
public:
    ExitOnFirstWindow() { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Expose is sent to the native window when it first shows on screen.
        if (event->type() == QEvent::Expose) {
            auto *window = qobject_cast<QWindow *>(watched);
            if (window && window->isExposed())
                _exit(0);
        }
        return false;
    }
};
