// The main window with its tray icon and notifications: the tray menu's
// commands through its real QMenu actions, the window hidden in the tray
// while the program runs on, the tooltip, and the announcement of firing
// events. Offscreen there is no tray; the tests put in a tray icon that is
// told there is one.

#include "commandids.h"
#include "desktopconnector.h"
#include "eventnotifier.h"
#include "eventtable.h"
#include "modalanswer.h"
#include "playbackengine.h"
#include "profile.h"
#include "programdirectory.h"
#include "schedulerdlg.h"
#include "systemtrayicon.h"
#include "testmain.h"

#include <QLoggingCategory>
#include <QMenu>

namespace {

class RecordingNotifier : public EventNotifier
{
public:
    void notifyEventFired(const QString &eventName, const QString &intervalText) override
    {
        fired << eventName + u' ' + intervalText;
    }
    QStringList fired;
};

EventRow Row(const QString &name, const QString &startIn, int image = EventTable::EnabledImage)
{
    EventRow row;
    row.cells = {name, QString(), startIn, QStringLiteral("00:30:00"), QStringLiteral("1"), QString()};
    row.image = image;
    return row;
}

// The main window with a tray icon that believes there is a tray.
struct Window
{
    CSchedulerDlg dlg;
    SystemTrayIcon *tray = new SystemTrayIcon([] { return true; });
    RecordingNotifier *notifier = new RecordingNotifier;

    Window()
    {
        dlg.desktop()->setTrayIcon(tray);
        dlg.desktop()->setEventNotifier(notifier);
    }

    QAction *item(const QString &text) const
    {
        for (QAction *action : tray->menu()->actions())
            if (action->text() == text)
                return action;
        qWarning("no tray menu item %s", qPrintable(text));
        return nullptr;
    }

    QString toolTip() const { return tray->systemTrayIcon()->toolTip(); }
    QString startIn(int row = 0) const { return dlg.eventTable()->text(row, EventTable::StartIn); }
};

} // namespace

class TestDesktopConnector : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetProgramDirectoryForTesting(m_dir.path());
        // Offscreen, Qt's fallback tray looks for a signal that only the
        // X11 platform has.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.core.qobject.connect=false"));
    }

    void withoutATrayNoIconIsShown()
    {
        CSchedulerDlg dlg;
        auto *tray = qobject_cast<SystemTrayIcon *>(dlg.desktop()->trayIcon());
        QVERIFY(tray);
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(!tray->systemTrayIcon()->isVisible());
    }

    void trayStartAndStopAreTheMenuCommands()
    {
        Window w;
        w.dlg.eventTable()->insertAtTop({Row(QStringLiteral("Tea"), QStringLiteral("00:10:00"))});
        QTRY_COMPARE(w.toolTip(), QStringLiteral("Parlowen: stopped\nNext: Tea, Start in 00:10:00"));

        w.item("Start")->trigger();
        QVERIFY(w.dlg.isCountDownRunning());
        QVERIFY(!w.dlg.IsToolbarButtonEnabled(CommandId::ScheduleStart));
        QVERIFY(w.dlg.IsToolbarButtonEnabled(CommandId::ScheduleStop));
        QTRY_VERIFY(!w.item("Start")->isEnabled());
        QVERIFY(w.item("Stop")->isEnabled());
        // The tooltip follows the tick.
        QTRY_COMPARE_WITH_TIMEOUT(w.toolTip(),
                                  QStringLiteral("Parlowen: running\nNext: Tea, Start in 00:09:59"),
                                  3000);

        w.item("Stop")->trigger();
        QVERIFY(!w.dlg.isCountDownRunning());
        QVERIFY(w.dlg.IsToolbarButtonEnabled(CommandId::ScheduleStart));
        QVERIFY(w.dlg.playbackEngine()->isStopRequested());
        QTRY_VERIFY(w.toolTip().startsWith(QStringLiteral("Parlowen: stopped\n")));
    }

    void theToolTipNamesTheEventDueNext()
    {
        Window w;
        EventTable *table = w.dlg.eventTable();
        table->insertAtTop({Row(QStringLiteral("Stretch"), QStringLiteral("00:12:30")),
                            Row(QStringLiteral("Stand up"), QStringLiteral("00:00:05"),
                                EventTable::DisabledImage),
                            Row(QStringLiteral("Drink water"), QStringLiteral("00:11:07"))});
        QTRY_COMPARE(w.toolTip(),
                     QStringLiteral("Parlowen: stopped\nNext: Drink water, Start in 00:11:07"));
        w.dlg.OnTimer(CSchedulerDlg::CountDownTimerId);
        QTRY_COMPARE(w.toolTip(),
                     QStringLiteral("Parlowen: stopped\nNext: Drink water, Start in 00:11:06"));
        // Enabling a row, or emptying the table, shows at once.
        table->setImageIndex(1, EventTable::EnabledImage);
        QTRY_COMPARE(w.toolTip(),
                     QStringLiteral("Parlowen: stopped\nNext: Stand up, Start in 00:00:05"));
        table->clear();
        QTRY_COMPARE(w.toolTip(), QStringLiteral("Parlowen: stopped"));
    }

    void aFiringEventIsAnnouncedAndPlays()
    {
        Window w;
        w.dlg.eventTable()->insertAtTop({Row(QStringLiteral("Tea"), QStringLiteral("00:00:01")),
                                         Row(QStringLiteral("Walk"), QStringLiteral("00:05:00"))});
        w.dlg.OnTimer(CSchedulerDlg::CountDownTimerId);
        QCOMPARE(w.notifier->fired, QStringList());
        w.dlg.OnTimer(CSchedulerDlg::CountDownTimerId);
        QVERIFY(w.dlg.playbackEngine()->isBusy());
        QCOMPARE(w.notifier->fired, QStringList{"Tea 00:30:00"});
        QTRY_VERIFY_WITH_TIMEOUT(!w.dlg.playbackEngine()->isBusy(), 10000);
    }

    void hiddenInTheTrayTheProgramRunsOn()
    {
        Window w;
        w.dlg.eventTable()->insertAtTop({Row(QStringLiteral("Tea"), QStringLiteral("00:10:00"))});
        QStringList log;
        auto note = [&](const QString &what) { log << what; };
        // Each step runs from the window's own event loop; the log shows
        // what the user would have seen.
        QTimer::singleShot(0, &w.dlg, [&] {
            w.item("Start")->trigger();
            w.item("Hide Parlowen")->trigger();
            note(w.dlg.isVisible() ? "shown" : "hidden");
        });
        QTimer::singleShot(1600, &w.dlg, [&] {
            note(w.dlg.isVisible() ? "shown" : "hidden");
            note(w.startIn() == QLatin1String("00:10:00") ? "not counted" : "counted");
            note(w.item("Show Parlowen") ? "offers Show" : "no Show");
            w.item("Show Parlowen")->trigger();
        });
        QTimer::singleShot(1800, &w.dlg, [&] {
            note(w.dlg.isVisible() ? "shown" : "hidden");
            // A left click on the icon hides it, another shows it.
            emit w.tray->systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
        });
        QTimer::singleShot(2000, &w.dlg, [&] {
            note(w.dlg.isVisible() ? "shown" : "hidden");
            emit w.tray->systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
        });
        QTimer::singleShot(2200, &w.dlg, [&] {
            note(w.dlg.isVisible() ? "shown" : "hidden");
            note(w.dlg.isCountDownRunning() ? "running" : "stopped");
            w.item("Hide Parlowen")->trigger();
        });
        QTimer::singleShot(2400, &w.dlg, [&] { w.item("Quit")->trigger(); });
        // Should the window not end, the test does not hang.
        QTimer::singleShot(10000, &w.dlg, [&] { w.dlg.done(99); });

        const int result = w.dlg.exec();
        note("ended");
        QCOMPARE(log, (QStringList{"hidden", "hidden", "counted", "offers Show", "shown", "hidden",
                                   "shown", "running", "ended"}));
        QCOMPARE(result, int(IdCancel));
        QVERIFY(!w.dlg.isVisible());
    }

    void quitTakesTheCloseBoxRoad_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("don't save") << int(QMessageBox::No) << true;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
    }

    void quitTakesTheCloseBoxRoad()
    {
        QFETCH(int, answer);
        QFETCH(bool, ends);
        QVERIFY(Profile::WriteString(QStringLiteral("FILE"), QStringLiteral("LAST"),
                                     QStringLiteral("/before.sked")));
        Window w;
        w.dlg.OnFileNew(); // unsaved
        const QString path = w.dlg.schedulePath();

        QString question;
        bool shownForTheQuestion = false;
        std::unique_ptr<ModalAnswer> reply;
        QTimer::singleShot(0, &w.dlg, [&] {
            w.item("Hide Parlowen")->trigger();
            reply = std::make_unique<ModalAnswer>([&](QWidget *box) {
                shownForTheQuestion = w.dlg.isVisible();
                question = qobject_cast<QMessageBox *>(box)->text();
                qobject_cast<QMessageBox *>(box)->done(answer);
            });
            w.item("Quit")->trigger();
        });
        QTimer::singleShot(1000, &w.dlg, [&] { w.dlg.done(99); });
        const int result = w.dlg.exec();

        QCOMPARE(question, QStringLiteral("This document has been modified\n\n\rDo you want to save"));
        QVERIFY(shownForTheQuestion);
        QCOMPARE(result, ends ? int(IdCancel) : 99);
        QCOMPARE(Profile::ReadString(QStringLiteral("FILE"), QStringLiteral("LAST"), QString()),
                 ends ? path : QStringLiteral("/before.sked"));
    }

    void anotherOpenDialogKeepsTheWindow()
    {
        Window w;
        w.dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
        bool shownAfterHide = false;
        bool shownAfterQuit = false;
        QTimer::singleShot(0, &w.dlg, [&] {
            // The About box is up: Hide and Quit leave the window alone.
            w.item("Hide Parlowen")->trigger();
            shownAfterHide = w.dlg.isVisible();
            w.item("Quit")->trigger();
            shownAfterQuit = w.dlg.isVisible();
            if (QWidget *about = QApplication::activeModalWidget(); about && about != &w.dlg)
                about->close();
        });
        w.dlg.OnAppAbout();
        QVERIFY(shownAfterHide);
        QVERIFY(shownAfterQuit);
    }

private:
    QTemporaryDir m_dir;
};

PARLOWEN_TEST_MAIN(TestDesktopConnector)
#include "tst_desktopconnector.moc"
