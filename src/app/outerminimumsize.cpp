#include "outerminimumsize.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

OuterMinimumSize::OuterMinimumSize(QWidget *window, QSize outer, FrameOf frameOf)
    : QObject(window)
    , m_window(window)
    , m_outer(outer)
    , m_frameOf(frameOf ? std::move(frameOf) : [](const QWidget &w) {
        return w.frameGeometry().size() - w.geometry().size();
    })
{
    m_window->installEventFilter(this);
    if (m_window->isVisible()) {
        watchWindowHandle();
        apply();
    }
}

bool OuterMinimumSize::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Show:
            watchWindowHandle();
            apply();
            break;
        // A window manager that frames the window moves it; a change of
        // state may take the frame away or give it back.
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
            apply();
            break;
        default:
            break;
        }
    } else if (watched == m_handle && event->type() == QEvent::Expose) {
        // Shown on screen, so framed.
        apply();
    }
    return QObject::eventFilter(watched, event);
}

void OuterMinimumSize::watchWindowHandle()
{
    QWindow *handle = m_window->windowHandle();
    if (handle == m_handle)
        return;
    if (m_handle)
        m_handle->removeEventFilter(this);
    m_handle = handle;
    if (m_handle)
        m_handle->installEventFilter(this);
}

void OuterMinimumSize::apply()
{
    // Before the window is shown there is no frame to know.
    if (!m_window->isVisible())
        return;
    const QSize frame = m_frameOf(*m_window).expandedTo(QSize(0, 0));
    if (frame == m_appliedFrame)
        return;
    m_appliedFrame = frame;
    m_window->setMinimumSize((m_outer - frame).expandedTo(QSize(0, 0)));
}
