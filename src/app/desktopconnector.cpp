#include "desktopconnector.h"

#include "commandids.h"
#include "dbusnotifier.h"
#include "eventtable.h"
#include "nextevent.h"
#include "schedulerdlg.h"
#include "systemtrayicon.h"

#include <QApplication>
#include <QEvent>

DesktopConnector::DesktopConnector(CSchedulerDlg *window)
    : QObject(window)
    , m_window(window)
{
    setTrayIcon(new SystemTrayIcon);
    setEventNotifier(new DBusNotifier);

    window->installEventFilter(this);
    EventTable *table = window->eventTable();
    connect(table, &QAbstractItemModel::dataChanged, this, &DesktopConnector::statusChanged);
    connect(table, &QAbstractItemModel::rowsInserted, this, &DesktopConnector::statusChanged);
    connect(table, &QAbstractItemModel::rowsRemoved, this, &DesktopConnector::statusChanged);
    connect(table, &QAbstractItemModel::modelReset, this, &DesktopConnector::statusChanged);
    connect(table, &QAbstractItemModel::layoutChanged, this, &DesktopConnector::statusChanged);
    statusChanged();
}

DesktopConnector::~DesktopConnector() = default;

void DesktopConnector::setTrayIcon(TrayIcon *tray)
{
    delete m_tray;
    m_tray = tray;
    m_tray->setParent(this);
    connect(m_tray, &TrayIcon::showWindowRequested, this, &DesktopConnector::showWindow);
    connect(m_tray, &TrayIcon::hideWindowRequested, this, &DesktopConnector::hideWindow);
    connect(m_tray, &TrayIcon::startRequested, this,
            [this] { m_window->OnCommand(CommandId::ScheduleStart); });
    connect(m_tray, &TrayIcon::stopRequested, this,
            [this] { m_window->OnCommand(CommandId::ScheduleStop); });
    connect(m_tray, &TrayIcon::quitRequested, this, &DesktopConnector::quit);
    statusChanged();
}

void DesktopConnector::setEventNotifier(EventNotifier *notifier)
{
    delete m_notifier;
    m_notifier = notifier;
    m_notifier->setParent(this);
}

void DesktopConnector::eventFired(int row)
{
    const EventTable *table = m_window->eventTable();
    m_notifier->notifyEventFired(table->text(row, EventTable::EventName),
                                 table->text(row, EventTable::Interval));
}

void DesktopConnector::statusChanged()
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    QMetaObject::invokeMethod(this, &DesktopConnector::updateTray, Qt::QueuedConnection);
}

void DesktopConnector::updateTray()
{
    m_updatePending = false;
    TrayStatus status;
    status.running = m_window->isCountDownRunning();
    status.windowShown = m_window->isVisible() && !m_window->isMinimized();
    if (const std::optional<NextEvent> next = FindNextEvent(*m_window->eventTable())) {
        status.hasNextEvent = true;
        status.nextEvent = next->name;
        status.nextStartIn = next->startIn;
    }
    m_tray->setStatus(status);
}

bool DesktopConnector::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
        statusChanged();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool DesktopConnector::raiseOtherDialog()
{
    // While the user is busy in another of the program's dialogs (an event
    // being edited, a file dialog, a question) the window stays as it is,
    // and that dialog comes to the front instead.
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == m_window)
        return false;
    m_window->RaiseWindow();
    modal->raise();
    modal->activateWindow();
    return true;
}

void DesktopConnector::showWindow()
{
    m_window->RaiseWindow();
}

void DesktopConnector::hideWindow()
{
    if (!raiseOtherDialog())
        m_window->HideToTray();
}

void DesktopConnector::quit()
{
    if (raiseOtherDialog())
        return;
    // The question about unsaved changes belongs to a window on screen.
    if (m_window->isModified() && (!m_window->isVisible() || m_window->isMinimized()))
        m_window->RaiseWindow();
    // The close box's road: the question, then the schedule is remembered.
    m_window->close();
}
