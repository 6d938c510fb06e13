#include "systemtrayicon.h"

#include "autostart.h"
#include "desktopsettings.h"
#include "messagebox.h"
#include "profile.h"
#include "resources.h"

#include <QMenu>
#include <QSignalBlocker>

namespace {

QIcon TrayImage(const QString &kind)
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/images/tray%1%2.png").arg(kind).arg(size));
    return icon;
}

} // namespace

SystemTrayIcon::SystemTrayIcon(QObject *parent)
    : SystemTrayIcon(&QSystemTrayIcon::isSystemTrayAvailable, parent)
{
}

SystemTrayIcon::SystemTrayIcon(AvailabilityCheck available, QObject *parent)
    : TrayIcon(parent)
    , m_available(std::move(available))
    , m_menu(std::make_unique<QMenu>())
{
    InitResources();
    m_iconRunning = TrayImage(QStringLiteral("running"));
    m_iconStopped = TrayImage(QStringLiteral("stopped"));

    m_menu->setTitle(QStringLiteral("Parlowen"));
    m_menu->setAccessibleName(QStringLiteral("Parlowen tray menu"));
    m_actShowHide = m_menu->addAction(QStringLiteral("Hide Parlowen"), this,
                                      &SystemTrayIcon::toggleWindow);
    m_menu->addSeparator();
    m_actStart = m_menu->addAction(QStringLiteral("Start"), this, &TrayIcon::startRequested);
    m_actStop = m_menu->addAction(QStringLiteral("Stop"), this, &TrayIcon::stopRequested);
    m_menu->addSeparator();
    m_actNotify = m_menu->addAction(QStringLiteral("Show notifications"));
    m_actNotify->setCheckable(true);
    connect(m_actNotify, &QAction::toggled, this, &SystemTrayIcon::setNotify);
    m_actStartAtLogin = m_menu->addAction(QStringLiteral("Start at login"));
    m_actStartAtLogin->setCheckable(true);
    connect(m_actStartAtLogin, &QAction::toggled, this, &SystemTrayIcon::setStartAtLogin);
    m_menu->addSeparator();
    m_actQuit = m_menu->addAction(QStringLiteral("Quit"), this, &TrayIcon::quitRequested);
    // The choices may have changed elsewhere (KQ.ini, the desktop's own
    // list of programs started at login) since the menu was last open.
    connect(m_menu.get(), &QMenu::aboutToShow, this, &SystemTrayIcon::refreshChoices);

    m_icon = new QSystemTrayIcon(this);
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon, &QSystemTrayIcon::activated, this, &SystemTrayIcon::onActivated);

    refreshChoices();
    showStatus();

    m_availabilityTimer.setInterval(AvailabilityCheckMs);
    connect(&m_availabilityTimer, &QTimer::timeout, this, &SystemTrayIcon::checkAvailability);
    m_availabilityTimer.start();
    checkAvailability();
}

SystemTrayIcon::~SystemTrayIcon()
{
    // The icon goes before the menu it shows.
    delete m_icon;
}

void SystemTrayIcon::setStatus(const TrayStatus &status)
{
    if (m_statusShown && status == m_status)
        return;
    m_status = status;
    showStatus();
}

void SystemTrayIcon::showStatus()
{
    m_statusShown = true;
    // Set only when they change: each change is a message to the panel.
    const QIcon &icon = m_status.running ? m_iconRunning : m_iconStopped;
    if (m_icon->icon().cacheKey() != icon.cacheKey())
        m_icon->setIcon(icon);
    const QString toolTip = TrayToolTip(m_status);
    if (m_icon->toolTip() != toolTip)
        m_icon->setToolTip(toolTip);
    m_actShowHide->setText(m_status.windowShown ? QStringLiteral("Hide Parlowen")
                                                : QStringLiteral("Show Parlowen"));
    // As the toolbar's buttons: only the command that changes something.
    m_actStart->setEnabled(!m_status.running);
    m_actStop->setEnabled(m_status.running);
}

void SystemTrayIcon::checkAvailability()
{
    const bool available = m_available();
    if (available == m_icon->isVisible())
        return;
    m_icon->setVisible(available);
    // Without the tray a hidden window could not be reached any more.
    if (!available && !m_status.windowShown)
        emit showWindowRequested();
}

void SystemTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A left click; the context menu opens on its own, and a double click
    // comes after the click that already toggled.
    if (reason == QSystemTrayIcon::Trigger)
        toggleWindow();
}

void SystemTrayIcon::toggleWindow()
{
    if (m_status.windowShown)
        emit hideWindowRequested();
    else
        emit showWindowRequested();
}

void SystemTrayIcon::refreshChoices()
{
    const QSignalBlocker notifyBlocker(m_actNotify);
    m_actNotify->setChecked(DesktopSettings::NotifyEnabled());
    const QSignalBlocker loginBlocker(m_actStartAtLogin);
    m_actStartAtLogin->setChecked(Autostart::IsEnabled());
}

void SystemTrayIcon::setNotify(bool on)
{
    if (DesktopSettings::SetNotifyEnabled(on))
        return;
    ShowMessageBox(nullptr,
                   QStringLiteral("The setting could not be written to %1.").arg(Profile::FilePath()),
                   QStringLiteral("Warning"));
    refreshChoices();
}

void SystemTrayIcon::setStartAtLogin(bool on)
{
    if (const QString problem = Autostart::SetEnabled(on); !problem.isEmpty())
        ShowMessageBox(nullptr, problem, QStringLiteral("Warning"));
    refreshChoices();
}
