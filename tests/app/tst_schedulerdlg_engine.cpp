#include "commandids.h"
#include "eventtable.h"
#include "mainwindowcontrols.h"
#include "playbackengine.h"
#include "programdirectory.h"
#include "schedulerdlg.h"
#include "testmain.h"
#include "testwaves.h"
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
        const QDateTime now = QDateTime::currentDateTime();
        dlg.findChild<QCheckBox *>("checkPlayBetween")->setChecked(true);
        dlg.findChild<QDateTimeEdit *>("dtpFrom")->setDateTime(now.addSecs(fromOffset));
        dlg.findChild<QDateTimeEdit *>("dtpTo")->setDateTime(now.addSecs(toOffset));
        dlg.OnTimer(CSchedulerDlg::CountDownTimerId);
        QCOMPARE(startIn(dlg), shown);
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
