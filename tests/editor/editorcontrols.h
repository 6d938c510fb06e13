#pragma once

// Finds a control of the event editor by its object name; a missing control
// ends the suite, since every step after it would test nothing.

#include <QLineEdit>
#include <QWidget>

template<class T = QLineEdit>
T *child(QWidget &dlg, const char *name)
{
    T *widget = dlg.findChild<T *>(name);
    if (!widget)
        qFatal("no %s in the editor", name);
    return widget;
}
