#include "dbusnotifier.h"

#include "desktopsettings.h"
#include "resources.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QIcon>
#include <QImage>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
// The program's icon in the icon theme, and its desktop entry.
const QString IconName = QStringLiteral("parlowen");

// The "image-data" hint: a picture sent along, for a program run from where
// the icon theme does not know its icon.
struct NotificationImage
{
    QImage image;
};

QDBusArgument &operator<<(QDBusArgument &argument, const NotificationImage &picture)
{
    const QImage image = picture.image.convertToFormat(QImage::Format_RGBA8888);
    argument.beginStructure();
    argument << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, NotificationImage &)
{
    // Only ever sent.
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(NotificationImage)

DBusNotifier::DBusNotifier(QObject *parent)
    : EventNotifier(parent)
{
}

DBusNotifier::DBusNotifier(const QDBusConnection &bus, QObject *parent)
    : EventNotifier(parent)
    , m_bus(bus)
{
}

DBusNotifier::~DBusNotifier() = default;

QDBusConnection DBusNotifier::bus()
{
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    return *m_bus;
}

void DBusNotifier::notifyEventFired(const QString &eventName, const QString &intervalText)
{
    if (!DesktopSettings::NotifyEnabled() || !bus().isConnected())
        return;
    const QString body = QStringLiteral("Next in ") + intervalText;
    EventState &state = m_events[eventName];
    if (state.busy) {
        state.waiting = body;
        return;
    }
    state.busy = true;
    askInhibited(eventName, body);
}

void DBusNotifier::askInhibited(const QString &eventName, const QString &body)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        Service, ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << Interface << QStringLiteral("Inhibited");
    auto *watcher = new QDBusPendingCallWatcher(bus().asyncCall(get, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, eventName, body](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *call;
                if (reply.isError()) {
                    // No service, or one that does not answer: nothing to show
                    // the notification. A service that only lacks the property
                    // (most do) knows no do-not-disturb.
                    switch (reply.error().type()) {
                    case QDBusError::ServiceUnknown:
                    case QDBusError::NoReply:
                    case QDBusError::Timeout:
                    case QDBusError::TimedOut:
                    case QDBusError::Disconnected:
                    case QDBusError::NoServer:
                    case QDBusError::NoNetwork:
                        finished(eventName);
                        return;
                    default:
                        break;
                    }
                } else if (reply.value().variant().toBool()) {
                    finished(eventName);
                    return;
                }
                sendNotification(eventName, body);
            });
}

void DBusNotifier::sendNotification(const QString &eventName, const QString &body)
{
    static const QMetaType registered = qDBusRegisterMetaType<NotificationImage>();
    Q_UNUSED(registered);

    QVariantMap hints;
    // The event's own sound is playing.
    hints.insert(QStringLiteral("suppress-sound"), true);
    hints.insert(QStringLiteral("desktop-entry"), IconName);
    if (!QIcon::hasThemeIcon(IconName)) {
        InitResources();
        const QImage icon(QStringLiteral(":/images/appicon48.png"));
        if (!icon.isNull())
            hints.insert(QStringLiteral("image-data"), QVariant::fromValue(NotificationImage{icon}));
    }

    QDBusMessage notify = QDBusMessage::createMethodCall(Service, ObjectPath, Interface,
                                                         QStringLiteral("Notify"));
    notify << QStringLiteral("Parlowen") << m_events.value(eventName).id << IconName << eventName
           << body << QStringList() << hints << -1;
    auto *watcher = new QDBusPendingCallWatcher(bus().asyncCall(notify, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, eventName](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                const QDBusPendingReply<uint> reply = *call;
                if (!reply.isError())
                    m_events[eventName].id = reply.value();
                finished(eventName);
            });
}

void DBusNotifier::finished(const QString &eventName)
{
    EventState &state = m_events[eventName];
    state.busy = false;
    if (!state.waiting)
        return;
    const QString body = *std::exchange(state.waiting, std::nullopt);
    state.busy = true;
    askInhibited(eventName, body);
}
