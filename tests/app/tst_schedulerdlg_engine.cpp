#include "commandids.h"
#include "eventtable.h"
#include "mainwindowcontrols.h"
#include "playbackengine.h"
#include "programdirectory.h"
#include "schedulerdlg.h"
#include "testmain.h"
#include "testwaves.h"
#include "timetext.h"
#include "wavefile.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

// Start, Stop and the count-down as the main window runs them, with its real
// timer and the playback worker on SDL's silent, real-time dummy driver.
class TestSchedulerDlgEngine : public QObject
{
    Q_OBJECT

    static void addEvent(CSchedulerDlg &dlg, const QString &startIn, const QString &repetition,
                         const QString &waveFile = QString())
    {
        EventRow row;
        row.cells = {QStringLiteral("Tea"), waveFile, startIn, QStringLiteral("00:30:00"),
                     repetition, QString()};
        dlg.eventTable()->insertAtTop({row});
    }

    static QString startIn(CSchedulerDlg &dlg, int row = 0)
    {
        return dlg.eventTable()->text(row, EventTable::StartIn);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetProgramDirectoryForTesting(m_dir.path());
    }

    void startAndStopFromTheToolbar()
    {
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        addEvent(dlg, QStringLiteral("00:10:00"), QStringLiteral("1"));

        QTest::qWait(1300);
        QCOMPARE(startIn(dlg), QStringLiteral("00:10:00")); // nothing before Start

        QTest::mouseClick(ToolButton(dlg, CommandId::ScheduleStart), Qt::LeftButton);
        QVERIFY(!dlg.IsToolbarButtonEnabled(CommandId::ScheduleStart));
        QVERIFY(dlg.IsToolbarButtonEnabled(CommandId::ScheduleStop));
        QVERIFY(dlg.isCountDownRunning());
        QTRY_COMPARE_WITH_TIMEOUT(startIn(dlg), QStringLiteral("00:09:59"), 3000);

        QTest::mouseClick(ToolButton(dlg, CommandId::ScheduleStop), Qt::LeftButton);
        QVERIFY(dlg.IsToolbarButtonEnabled(CommandId::ScheduleStart));
        QVERIFY(!dlg.IsToolbarButtonEnabled(CommandId::ScheduleStop));
        QVERIFY(!dlg.isCountDownRunning());
        QVERIFY(dlg.playbackEngine()->isStopRequested());
        const QString stoppedAt = startIn(dlg);
        QTest::qWait(1300);
        QCOMPARE(startIn(dlg), stoppedAt);

        // Stop once more, from the menu: nothing changes.
        MenuItem(dlg, CommandId::ScheduleStop)->trigger();
        QVERIFY(dlg.IsToolbarButtonEnabled(CommandId::ScheduleStart));
        QVERIFY(!dlg.IsToolbarButtonEnabled(CommandId::ScheduleStop));
        QVERIFY(!dlg.isCountDownRunning());
    }

    void startTwiceRestartsThePeriod()
    {
        CSchedulerDlg dlg;
        addEvent(dlg, QStringLiteral("00:10:00"), QStringLiteral("1"));
        MenuItem(dlg, CommandId::ScheduleStart)->trigger();
        QTest::qWait(600);
        MenuItem(dlg, CommandId::ScheduleStart)->trigger();
        QElapsedTimer sinceSecondStart;
        sinceSecondStart.start();
        QTRY_COMPARE_WITH_TIMEOUT(startIn(dlg), QStringLiteral("00:09:59"), 3000);
        QVERIFY2(sinceSecondStart.elapsed() >= 900, qPrintable(QString::number(sinceSecondStart.elapsed())));
        QVERIFY(!dlg.IsToolbarButtonEnabled(CommandId::ScheduleStart));
        QVERIFY(dlg.IsToolbarButtonEnabled(CommandId::ScheduleStop));
    }

    void playBetweenHoldsTheCountDownOutsideItsSpan_data()
    {
        QTest::addColumn<int>("fromOffset");
        QTest::addColumn<int>("toOffset");
        QTest::addColumn<QString>("shown");
        QTest::newRow("inside") << -3600 << 3600 << "00:09:59";
        QTest::newRow("before from") << 600 << 3600 << "00:10:00";
        QTest::newRow("after to") << -3600 << -600 << "00:10:00";
        QTest::newRow("from later than to") << 3600 << -3600 << "00:10:00";
    }

    void playBetweenHoldsTheCountDownOutsideItsSpan()
    {
        QFETCH(int, fromOffset);
        QFETCH(int, toOffset);
        QFETCH(QString, shown);
        CSchedulerDlg dlg;
        addEvent(dlg, QStringLiteral("00:10:00"), QStringLiteral("1"));
        // Midday, so that no end of the window lies on another day.
        const QDateTime now(QDate(2030, 3, 14), QTime(12, 0, 0));
        dlg.setClockForTesting([now] { return now; });
        dlg.findChild<QCheckBox *>("checkPlayBetween")->setChecked(true);
        dlg.findChild<QDateTimeEdit *>("dtpFrom")->setDateTime(now.addSecs(fromOffset));
        dlg.findChild<QDateTimeEdit *>("dtpTo")->setDateTime(now.addSecs(toOffset));
        dlg.OnTimer(CSchedulerDlg::CountDownTimerId);
        QCOMPARE(startIn(dlg), shown);
    }

    // Each tick is "day time" with the day counted from the day the window
    // opened; "+" after it means the tick counted down, "-" that it did not.
    void thePlayWindowFollowsTheCalendarDay_data()
    {
        QTest::addColumn<QTime>("from");
        QTest::addColumn<QTime>("to");
        QTest::addColumn<QStringList>("ticks");
        QTest::newRow("nine to five")
            << QTime(9, 0) << QTime(17, 0)
            << QStringList{"0 12:00:00 +", "0 23:59:59 -", "1 00:00:00 -", "1 08:59:59 -",
                           "1 09:00:00 +", "1 17:00:00 +", "1 17:00:01 -", "3 12:00:00 +"};
        // On the day the window opened nothing moves, so a start later than
        // the end still holds everything back; and so it does on later days.
        QTest::newRow("start later than end")
            << QTime(17, 0) << QTime(9, 0)
            << QStringList{"0 12:00:00 -", "0 18:00:00 -", "1 08:00:00 -", "1 12:00:00 -",
                           "1 20:00:00 -"};
        // The window's day is the tick's even when the clock is set back.
        QTest::newRow("clock set back a day")
            << QTime(9, 0) << QTime(17, 0) << QStringList{"1 12:00:00 +", "0 12:00:00 +"};
    }

    void thePlayWindowFollowsTheCalendarDay()
    {
        QFETCH(QTime, from);
        QFETCH(QTime, to);
        QFETCH(QStringList, ticks);
        const QDate startDay(2030, 3, 14);
        CSchedulerDlg dlg;
        addEvent(dlg, QStringLiteral("10:00:00"), QStringLiteral("1"));
        auto *dtpFrom = dlg.findChild<QDateTimeEdit *>("dtpFrom");
        auto *dtpTo = dlg.findChild<QDateTimeEdit *>("dtpTo");
        // As the window opened on `startDay`, with the times the user set.
        dtpFrom->setDateTime(QDateTime(startDay, from));
        dtpTo->setDateTime(QDateTime(startDay, to));
        dlg.findChild<QCheckBox *>("checkPlayBetween")->setChecked(true);

        QDateTime now;
        dlg.setClockForTesting([&now] { return now; });
        int counted = 0;
        for (const QString &tick : ticks) {
            const QStringList parts = tick.split(u' ');
            now = QDateTime(startDay.addDays(parts[0].toInt()),
                            QTime::fromString(parts[1], QStringLiteral("HH:mm:ss")));
            dlg.OnTimer(CSchedulerDlg::CountDownTimerId);
            if (parts[2] == u"+")
                ++counted;
            const TimeParts left = ParseTimeText(startIn(dlg));
            QCOMPARE(left.hours * 3600 + left.minutes * 60 + left.seconds, 10 * 3600 - counted);
            // Both pickers stand on the tick's day, their times unchanged.
            QCOMPARE(dtpFrom->dateTime(), QDateTime(now.date(), from));
            QCOMPARE(dtpTo->dateTime(), QDateTime(now.date(), to));
        }
    }

    void thePauseEditGivesThePause()
    {
        const QString wave = m_dir.filePath(QStringLiteral("blip.wav"));
        QVERIFY(WaveFile::Write(wave, AudibleWave(22050, 1, 2205)));
        CSchedulerDlg dlg;
        addEvent(dlg, QStringLiteral("00:00:00"), QStringLiteral("2*"), wave);
        dlg.findChild<QLineEdit *>("editPause")->setText(QStringLiteral("1"));
        QElapsedTimer clock;
        clock.start();
        dlg.OnTimer(CSchedulerDlg::CountDownTimerId);
        QVERIFY(dlg.playbackEngine()->isBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.playbackEngine()->isBusy(), 10000);
        // Two plays of 0.1 s, each followed by one second.
        QVERIFY2(clock.elapsed() >= 2 * 1100 - 100, qPrintable(QString::number(clock.elapsed())));
    }

    void closingDuringAPlayEndsWithinASecond_data()
    {
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<QString>("pause");
        QTest::newRow("while the worker's read waits") << 0 << "0";
        QTest::newRow("while it plays") << 300 << "0";
        QTest::newRow("while it pauses") << 1500 << "30";
    }

    void closingDuringAPlayEndsWithinASecond()
    {
        QFETCH(int, waitMs);
        QFETCH(QString, pause);
        const QString wave = m_dir.filePath(QStringLiteral("second.wav"));
        QVERIFY(WaveFile::Write(wave, AudibleWave(22050, 1, 22050)));
        auto *dlg = new CSchedulerDlg;
        dlg->show();
        addEvent(*dlg, QStringLiteral("00:00:00"), QStringLiteral("5"), wave);
        dlg->findChild<QLineEdit *>("editPause")->setText(pause);
        dlg->OnScheduleStart();
        dlg->OnTimer(CSchedulerDlg::CountDownTimerId);
        QVERIFY(dlg->playbackEngine()->isBusy());
        if (waitMs > 0)
            QTest::qWait(waitMs);
        QVERIFY(dlg->playbackEngine()->isBusy());

        QElapsedTimer clock;
        clock.start();
        delete dlg;
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(100); // whatever the worker had queued finds no window
    }

private:
    QTemporaryDir m_dir;
};

PARLOWEN_TEST_MAIN(TestSchedulerDlgEngine)
#include "tst_schedulerdlg_engine.moc"
