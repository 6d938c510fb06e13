// Notifications of firing events, sent over a private session bus to a small
// stand-in for the desktop's notification service.

#include "dbusnotifier.h"
#include "desktopsettings.h"
#include "privatesessionbus.h"
#include "testmain.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QIcon>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

// A notification service that knows no do-not-disturb, as most do.
class FakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Request
    {
        QString appName;
        uint replacesId;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout;
    };
    QList<Request> requests;

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expireTimeout)
    {
        requests << Request{appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout};
        return replacesId != 0 ? replacesId : ++m_lastId;
    }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    void CloseNotification(uint) {}

private:
    uint m_lastId = 0;
};

// One that does, and counts how often it was asked.
class InhibitingNotificationService : public FakeNotificationService
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
    Q_PROPERTY(bool Inhibited READ inhibited)

public:
    bool inhibited() const
    {
        ++asked;
        return doNotDisturb;
    }
    bool doNotDisturb = false;
    mutable int asked = 0;
};

class TestDBusNotifier : public QObject
{
    Q_OBJECT

    // Puts a service on the bus for as long as it lives.
    struct Registration
    {
        QDBusConnection connection;
        Registration(const QDBusConnection &bus, QObject *service)
            : connection(bus)
        {
            QVERIFY(connection.registerObject(ObjectPath, service,
                                              QDBusConnection::ExportAllSlots
                                                  | QDBusConnection::ExportAllProperties));
            QVERIFY(connection.registerService(Service));
        }
        ~Registration()
        {
            connection.unregisterService(Service);
            connection.unregisterObject(ObjectPath);
        }
    };

    static QString Text(const QVariant &hint) { return hint.toString(); }

private slots:
    void initTestCase()
    {
        const QString problem = m_bus.start();
        if (!problem.isEmpty())
            QSKIP(qPrintable(problem));
        // The program's notifier uses the session bus, as the program does.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        m_serviceBus = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("service"));
        QVERIFY(m_serviceBus.isConnected());
    }

    void init() { QVERIFY(DesktopSettings::SetNotifyEnabled(true)); }

    void aFiringEventIsAnnounced()
    {
        InhibitingNotificationService service;
        Registration registration(m_serviceBus, &service);
        DBusNotifier notifier;

        notifier.notifyEventFired(QStringLiteral("Drink water"), QStringLiteral("00:45:00"));
        QTRY_COMPARE(service.requests.size(), 1);
        const auto &first = service.requests[0];
        QCOMPARE(first.appName, QStringLiteral("Parlowen"));
        QCOMPARE(first.replacesId, 0u);
        QCOMPARE(first.appIcon, QStringLiteral("parlowen"));
        QCOMPARE(first.summary, QStringLiteral("Drink water"));
        QCOMPARE(first.body, QStringLiteral("Next in 00:45:00"));
        QCOMPARE(first.actions, QStringList());
        QCOMPARE(first.expireTimeout, -1);
        // The event's own sound is playing.
        QCOMPARE(first.hints.value(QStringLiteral("suppress-sound")), QVariant(true));
        QCOMPARE(Text(first.hints.value(QStringLiteral("desktop-entry"))), QStringLiteral("parlowen"));
        // Where the icon theme knows no "parlowen" (run from the build) the
        // picture goes along.
        QVERIFY(first.hints.contains(QStringLiteral("image-data"))
                || QIcon::hasThemeIcon(QStringLiteral("parlowen")));
        if (first.hints.contains(QStringLiteral("image-data"))) {
            const auto image = first.hints.value(QStringLiteral("image-data")).value<QDBusArgument>();
            QCOMPARE(image.currentSignature(), QStringLiteral("(iiibiiay)"));
            int width = 0, height = 0, stride = 0, bits = 0, channels = 0;
            bool alpha = false;
            QByteArray data;
            image.beginStructure();
            image >> width >> height >> stride >> alpha >> bits >> channels >> data;
            image.endStructure();
            QCOMPARE(QSize(width, height), QSize(48, 48));
            QCOMPARE(stride, 48 * 4);
            QVERIFY(alpha);
            QCOMPARE(bits, 8);
            QCOMPARE(channels, 4);
            QCOMPARE(data.size(), 48 * 48 * 4);
        }

        // The next one of the same event takes the place of the first;
        // another event's stands beside it.
        notifier.notifyEventFired(QStringLiteral("Drink water"), QStringLiteral("00:45:00"));
        QTRY_COMPARE(service.requests.size(), 2);
        QCOMPARE(service.requests[1].replacesId, 1u);
        notifier.notifyEventFired(QStringLiteral("Stretch"), QStringLiteral("01:00:00"));
        QTRY_COMPARE(service.requests.size(), 3);
        QCOMPARE(service.requests[2].replacesId, 0u);
        QCOMPARE(service.requests[2].body, QStringLiteral("Next in 01:00:00"));
    }

    void nothingIsSentWhileNotificationsAreInhibited()
    {
        InhibitingNotificationService service;
        service.doNotDisturb = true;
        Registration registration(m_serviceBus, &service);
        DBusNotifier notifier;

        notifier.notifyEventFired(QStringLiteral("Drink water"), QStringLiteral("00:45:00"));
        QTRY_COMPARE(service.asked, 1);
        // Whatever that answer led to reaches the service before anything
        // the next firing sends.
        service.doNotDisturb = false;
        notifier.notifyEventFired(QStringLiteral("Stretch"), QStringLiteral("01:00:00"));
        QTRY_COMPARE(service.asked, 2);
        QTRY_COMPARE(service.requests.size(), 1);
        QCOMPARE(service.requests[0].summary, QStringLiteral("Stretch"));
    }

    void aServiceWithoutDoNotDisturbShowsThem()
    {
        FakeNotificationService service;
        Registration registration(m_serviceBus, &service);
        DBusNotifier notifier;
        notifier.notifyEventFired(QStringLiteral("Drink water"), QStringLiteral("00:45:00"));
        QTRY_COMPARE(service.requests.size(), 1);
    }

    void nothingIsSentWhenTheUserSwitchedThemOff()
    {
        InhibitingNotificationService service;
        Registration registration(m_serviceBus, &service);
        DBusNotifier notifier;
        QVERIFY(DesktopSettings::SetNotifyEnabled(false));
        notifier.notifyEventFired(QStringLiteral("Drink water"), QStringLiteral("00:45:00"));
        QVERIFY(DesktopSettings::SetNotifyEnabled(true));
        notifier.notifyEventFired(QStringLiteral("Stretch"), QStringLiteral("01:00:00"));
        QTRY_COMPARE(service.requests.size(), 1);
        QCOMPARE(service.requests[0].summary, QStringLiteral("Stretch"));
        QCOMPARE(service.asked, 1);
    }

    void firingsWhileOneIsOnItsWayAreNotLost()
    {
        InhibitingNotificationService service;
        Registration registration(m_serviceBus, &service);
        DBusNotifier notifier;
        // Three at once: the first goes, the last waits for it and replaces
        // it; the middle one is out of date by then.
        for (const char *interval : {"00:00:01", "00:00:02", "00:00:03"})
            notifier.notifyEventFired(QStringLiteral("Tick"), QString::fromLatin1(interval));
        QTRY_COMPARE(service.requests.size(), 2);
        QCOMPARE(service.requests[0].body, QStringLiteral("Next in 00:00:01"));
        QCOMPARE(service.requests[1].body, QStringLiteral("Next in 00:00:03"));
        QCOMPARE(service.requests[1].replacesId, 1u);
        QTest::qWait(100);
        QCOMPARE(service.requests.size(), 2);
    }

    void withoutAServiceNothingHappensAndNothingWaits()
    {
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(Service));
        DBusNotifier notifier;
        QElapsedTimer clock;
        clock.start();
        notifier.notifyEventFired(QStringLiteral("Drink water"), QStringLiteral("00:45:00"));
        QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(200);

        // The service that comes later gets the next one, as the first.
        InhibitingNotificationService service;
        Registration registration(m_serviceBus, &service);
        notifier.notifyEventFired(QStringLiteral("Drink water"), QStringLiteral("00:45:00"));
        QTRY_COMPARE(service.requests.size(), 1);
        QCOMPARE(service.requests[0].replacesId, 0u);
    }

    void withoutABusNothingHappens()
    {
        DBusNotifier notifier(QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nobus")));
        QElapsedTimer clock;
        clock.start();
        notifier.notifyEventFired(QStringLiteral("Drink water"), QStringLiteral("00:45:00"));
        QTest::qWait(50);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

private:
    PrivateSessionBus m_bus;
    QDBusConnection m_serviceBus{QString()};
};

PARLOWEN_TEST_MAIN(TestDBusNotifier)
#include "tst_dbusnotifier.moc"
