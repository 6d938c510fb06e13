#pragma once

#include "eventnotifier.h"

#include <QDBusConnection>
#include <QHash>

#include <optional>

class QDBusPendingCallWatcher;

// Desktop notifications through the freedesktop notification service on the
// session bus, when the user wants them (KQ.ini, Desktop/Notify). The
// notification has the event's name as summary and "Next in " + its interval
// as body, shows the program's icon and plays no sound, because the event's
// own sound is playing. A later one of the same event replaces the earlier.
// While the service says notifications are inhibited (do not disturb) none
// is sent. Every call is asynchronous: a missing or hanging service neither
// holds up the window nor shows an error.
class DBusNotifier : public EventNotifier
{
    Q_OBJECT

public:
    static constexpr int CallTimeoutMs = 5000;

    // On the session bus, connected at the first notification.
    explicit DBusNotifier(QObject *parent = nullptr);
    DBusNotifier(const QDBusConnection &bus, QObject *parent = nullptr);
    ~DBusNotifier() override;

    void notifyEventFired(const QString &eventName, const QString &intervalText) override;

private:
    struct EventState
    {
        // The id of the event's last notification, which the next replaces.
        uint id = 0;
        // A request is on its way; a newer one waits for it.
        bool busy = false;
        std::optional<QString> waiting;
    };

    QDBusConnection bus();
    void askInhibited(const QString &eventName, const QString &body);
    void sendNotification(const QString &eventName, const QString &body);
    void finished(const QString &eventName);

    std::optional<QDBusConnection> m_bus;
    QHash<QString, EventState> m_events;
};
