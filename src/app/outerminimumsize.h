#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>

class QWidget;
class QWindow;

// Keeps a top-level window from being made smaller than a size that
// includes its frame. Qt limits only the inside of a window, so the frame's
// share comes off; but the frame is known only once the window manager has
// framed the window, which on some desktops is after it is first shown, and
// it can change later (a maximised window may lose it). So the limit is set
// at the first showing and set again whenever the frame turns out to differ.
class OuterMinimumSize : public QObject
{
    Q_OBJECT

public:
    // Width and height of the frame around the window's inside.
    using FrameOf = std::function<QSize(const QWidget &)>;

    // `frameOf` defaults to what the window system reports.
    OuterMinimumSize(QWidget *window, QSize outer, FrameOf frameOf = {});

    QSize outer() const { return m_outer; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();
    void watchWindowHandle();

    QWidget *m_window;
    QSize m_outer;
    FrameOf m_frameOf;
    QPointer<QWindow> m_handle;
    QSize m_appliedFrame{-1, -1};
};
