#pragma once

#include <QObject>
#include <QString>

// What the tray shows of the program.
struct TrayStatus
{
    // The schedule runs (between Start and Stop).
    bool running = false;
    // The main window is on screen: visible and not minimised.
    bool windowShown = true;
    // The enabled event due next and its "Start in", when there is one.
    bool hasNextEvent = false;
    QString nextEvent;
    QString nextStartIn;

    friend bool operator==(const TrayStatus &, const TrayStatus &) = default;
};

// "Parlowen: running" or "Parlowen: stopped", and on a second line the event
// due next with its "Start in".
QString TrayToolTip(const TrayStatus &status);

// The program's icon in the desktop's tray. The main window tells it the
// state to show; the icon's menu and clicks ask for the window's commands.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void setStatus(const TrayStatus &status) = 0;

signals:
    void showWindowRequested();
    void hideWindowRequested();
    void startRequested();
    void stopRequested();
    void quitRequested();
};
