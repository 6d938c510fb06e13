#pragma once

#include <QObject>

class CSchedulerDlg;
class EventNotifier;
class TrayIcon;

// Joins the main window to the desktop around it: keeps the tray icon in step
// with the window and the schedule, carries out the tray's commands through
// the window's own handlers, and announces the events that fire.
class DesktopConnector : public QObject
{
    Q_OBJECT

public:
    // Starts with the real tray icon and notifier.
    explicit DesktopConnector(CSchedulerDlg *window);
    ~DesktopConnector() override;

    // Puts another tray icon or notifier in place (a test's own); takes it over.
    void setTrayIcon(TrayIcon *tray);
    void setEventNotifier(EventNotifier *notifier);
    TrayIcon *trayIcon() const { return m_tray; }
    EventNotifier *eventNotifier() const { return m_notifier; }

    // The row of the event table that has just fired.
    void eventFired(int row);
    // The schedule or the window has changed; the tray shows it once the
    // current event has been handled, however many changes it made.
    void statusChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateTray();
    void showWindow();
    void hideWindow();
    void quit();
    bool raiseOtherDialog();

    CSchedulerDlg *m_window;
    TrayIcon *m_tray = nullptr;
    EventNotifier *m_notifier = nullptr;
    bool m_updatePending = false;
};
