#pragma once

#include "trayicon.h"

#include <QIcon>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QMenu;

// The tray icon on the desktop (QSystemTrayIcon, which speaks the status
// notifier protocol where the desktop has it). The icon is shown while the
// desktop has a tray and looked for again every few seconds, because a
// program started at login may come up before the panel does. Its menu is
// built either way, so it can be driven without a tray.
class SystemTrayIcon : public TrayIcon
{
    Q_OBJECT

public:
    using AvailabilityCheck = std::function<bool()>;
    static constexpr int AvailabilityCheckMs = 5000;

    explicit SystemTrayIcon(QObject *parent = nullptr);
    // `available` tells whether the desktop has a tray now.
    explicit SystemTrayIcon(AvailabilityCheck available, QObject *parent = nullptr);
    ~SystemTrayIcon() override;

    void setStatus(const TrayStatus &status) override;
    const TrayStatus &status() const { return m_status; }

    QMenu *menu() const { return m_menu.get(); }
    QSystemTrayIcon *systemTrayIcon() const { return m_icon; }

    // Shows or hides the icon as the desktop now has a tray or not.
    void checkAvailability();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void toggleWindow();
    void showStatus();
    void refreshChoices();
    void setNotify(bool on);
    void setStartAtLogin(bool on);

    AvailabilityCheck m_available;
    QSystemTrayIcon *m_icon = nullptr;
    std::unique_ptr<QMenu> m_menu;
    QAction *m_actShowHide = nullptr;
    QAction *m_actStart = nullptr;
    QAction *m_actStop = nullptr;
    QAction *m_actNotify = nullptr;
    QAction *m_actStartAtLogin = nullptr;
    QAction *m_actQuit = nullptr;
    QIcon m_iconRunning;
    QIcon m_iconStopped;
    QTimer m_availabilityTimer;
    TrayStatus m_status;
    bool m_statusShown = false;
};
