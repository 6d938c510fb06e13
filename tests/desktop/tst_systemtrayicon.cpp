// The tray icon's pictures, tooltip and menu, driven through its real QMenu
// actions. The offscreen platform has no tray, so the test says when there
// is one.

#include "autostart.h"
#include "desktopsettings.h"
#include "modalanswer.h"
#include "profile.h"
#include "systemtrayicon.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMenu>
#include <QSignalSpy>

Q_DECLARE_METATYPE(TrayStatus)

namespace {

QAction *Action(const SystemTrayIcon &tray, const QString &text)
{
    for (QAction *action : tray.menu()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

QStringList Texts(const SystemTrayIcon &tray)
{
    QStringList texts;
    for (QAction *action : tray.menu()->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

TrayStatus Status(bool running, bool windowShown)
{
    TrayStatus status;
    status.running = running;
    status.windowShown = windowShown;
    return status;
}

// Which of the tray's command signals came, by name.
struct CommandSpy
{
    explicit CommandSpy(SystemTrayIcon &tray)
        : show(&tray, &TrayIcon::showWindowRequested)
        , hide(&tray, &TrayIcon::hideWindowRequested)
        , start(&tray, &TrayIcon::startRequested)
        , stop(&tray, &TrayIcon::stopRequested)
        , quit(&tray, &TrayIcon::quitRequested)
    {
    }

    QStringList seen() const
    {
        QStringList names;
        for (const auto &[name, spy] : {std::pair{"show", &show}, {"hide", &hide},
                                        {"start", &start}, {"stop", &stop}, {"quit", &quit}})
            for (int i = 0; i < spy->count(); ++i)
                names << QString::fromLatin1(name);
        return names;
    }

    QSignalSpy show, hide, start, stop, quit;
};

} // namespace

class TestSystemTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Offscreen, Qt's fallback tray looks for a signal that only the
        // X11 platform has.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.core.qobject.connect=false"));
    }

    void init()
    {
        QFile::remove(Autostart::EntryPath());
        QVERIFY(DesktopSettings::SetNotifyEnabled(true));
    }

    void toolTip_data()
    {
        QTest::addColumn<TrayStatus>("status");
        QTest::addColumn<QString>("toolTip");
        TrayStatus status;
        QTest::newRow("stopped, no events") << status << "Parlowen: stopped";
        status.running = true;
        QTest::newRow("running, no events") << status << "Parlowen: running";
        status.hasNextEvent = true;
        status.nextEvent = QStringLiteral("Drink water");
        status.nextStartIn = QStringLiteral("00:41:07");
        QTest::newRow("running") << status << "Parlowen: running\nNext: Drink water, Start in 00:41:07";
        status.running = false;
        QTest::newRow("stopped") << status << "Parlowen: stopped\nNext: Drink water, Start in 00:41:07";
        status.nextEvent.clear();
        QTest::newRow("an event without a name")
            << status << "Parlowen: stopped\nNext: , Start in 00:41:07";
    }

    void toolTip()
    {
        QFETCH(TrayStatus, status);
        QFETCH(QString, toolTip);
        QCOMPARE(TrayToolTip(status), toolTip);
        SystemTrayIcon tray([] { return true; });
        tray.setStatus(status);
        QCOMPARE(tray.systemTrayIcon()->toolTip(), toolTip);
    }

    void showsTheScheduleState_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("running") << true;
        QTest::newRow("stopped") << false;
    }

    void showsTheScheduleState()
    {
        QFETCH(bool, running);
        SystemTrayIcon tray([] { return true; });
        tray.setStatus(Status(!running, true));
        tray.setStatus(Status(running, true));
        // The badge in the lower right corner: a green light while the
        // schedule runs, a red one while it stands.
        const QColor badge = tray.systemTrayIcon()->icon().pixmap(32, 32).toImage().pixelColor(24, 29);
        QVERIFY2(running ? badge.green() > 2 * badge.red() : badge.red() > 2 * badge.green(),
                 qPrintable(badge.name()));
        // Only the command that changes something is offered.
        QCOMPARE(Action(tray, "Start")->isEnabled(), !running);
        QCOMPARE(Action(tray, "Stop")->isEnabled(), running);
    }

    void theMenuAsksForTheCommands_data()
    {
        QTest::addColumn<TrayStatus>("status");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("command");
        QTest::newRow("hide") << Status(true, true) << "Hide Parlowen" << "hide";
        QTest::newRow("show") << Status(true, false) << "Show Parlowen" << "show";
        QTest::newRow("start") << Status(false, true) << "Start" << "start";
        QTest::newRow("stop") << Status(true, false) << "Stop" << "stop";
        QTest::newRow("quit") << Status(true, false) << "Quit" << "quit";
    }

    void theMenuAsksForTheCommands()
    {
        QFETCH(TrayStatus, status);
        QFETCH(QString, item);
        QFETCH(QString, command);
        SystemTrayIcon tray([] { return true; });
        tray.setStatus(status);
        QCOMPARE(Texts(tray), (QStringList{status.windowShown ? "Hide Parlowen" : "Show Parlowen",
                                           "-", "Start", "Stop", "-", "Show notifications",
                                           "Start at login", "-", "Quit"}));
        CommandSpy spy(tray);
        QAction *action = Action(tray, item);
        QVERIFY(action && action->isEnabled());
        action->trigger();
        QCOMPARE(spy.seen(), QStringList{command});
    }

    void aLeftClickShowsOrHidesTheWindow_data()
    {
        QTest::addColumn<bool>("windowShown");
        QTest::addColumn<int>("reason");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("click, shown") << true << int(QSystemTrayIcon::Trigger) << QStringList{"hide"};
        QTest::newRow("click, hidden") << false << int(QSystemTrayIcon::Trigger) << QStringList{"show"};
        QTest::newRow("double click") << true << int(QSystemTrayIcon::DoubleClick) << QStringList{};
        QTest::newRow("middle click") << true << int(QSystemTrayIcon::MiddleClick) << QStringList{};
        QTest::newRow("context menu") << false << int(QSystemTrayIcon::Context) << QStringList{};
    }

    void aLeftClickShowsOrHidesTheWindow()
    {
        QFETCH(bool, windowShown);
        QFETCH(int, reason);
        QFETCH(QStringList, commands);
        SystemTrayIcon tray([] { return true; });
        tray.setStatus(Status(false, windowShown));
        CommandSpy spy(tray);
        emit tray.systemTrayIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
        QCOMPARE(spy.seen(), commands);
    }

    void theIconIsShownWhileThereIsATray()
    {
        bool available = false;
        SystemTrayIcon tray([&available] { return available; });
        QVERIFY(!tray.systemTrayIcon()->isVisible());
        available = true;
        tray.checkAvailability();
        QVERIFY(tray.systemTrayIcon()->isVisible());

        // A window hidden in a tray that goes away comes back.
        tray.setStatus(Status(true, false));
        CommandSpy spy(tray);
        available = false;
        tray.checkAvailability();
        QVERIFY(!tray.systemTrayIcon()->isVisible());
        QCOMPARE(spy.seen(), QStringList{"show"});
    }

    void showNotificationsIsKeptInKQini()
    {
        SystemTrayIcon tray([] { return true; });
        QAction *notify = Action(tray, "Show notifications");
        QVERIFY(notify->isCheckable());
        QVERIFY(notify->isChecked());

        notify->trigger();
        QVERIFY(!notify->isChecked());
        QVERIFY(!DesktopSettings::NotifyEnabled());
        QCOMPARE(Profile::ReadString(QStringLiteral("Desktop"), QStringLiteral("Notify"), QString()),
                 QStringLiteral("0"));
        notify->trigger();
        QVERIFY(DesktopSettings::NotifyEnabled());

        // Changed elsewhere: the menu shows it when it opens.
        QVERIFY(DesktopSettings::SetNotifyEnabled(false));
        emit tray.menu()->aboutToShow();
        QVERIFY(!notify->isChecked());
    }

    void startAtLoginWritesTheAutostartEntry()
    {
        SystemTrayIcon tray([] { return true; });
        QAction *login = Action(tray, "Start at login");
        QVERIFY(login->isCheckable());
        QVERIFY(!login->isChecked());

        login->trigger();
        QVERIFY(login->isChecked());
        QFile entry(Autostart::EntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(" --start\n"));
        entry.close();

        login->trigger();
        QVERIFY(!login->isChecked());
        QVERIFY(!QFile::exists(Autostart::EntryPath()));
    }

    void anEntryThatCannotBeWrittenIsReported()
    {
        SystemTrayIcon tray([] { return true; });
        const QString autostartDir = QFileInfo(Autostart::EntryPath()).path();
        QDir(autostartDir).removeRecursively();
        QFile blocker(autostartDir);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        QString text, caption;
        auto answer = ModalAnswer::messageBox(QMessageBox::Ok, &text, &caption);
        Action(tray, "Start at login")->trigger();
        QFile::remove(autostartDir);
        QVERIFY(answer.seen());
        QCOMPARE(caption, QStringLiteral("Warning"));
        QVERIFY2(text.contains(Autostart::EntryPath()), qPrintable(text));
        // The item tells the truth: nothing starts at login.
        QVERIFY(!Action(tray, "Start at login")->isChecked());
    }
};

PARLOWEN_TEST_MAIN(TestSystemTrayIcon)
#include "tst_systemtrayicon.moc"
