// The end of the desktop session, and of the program from outside. Before
// the session ends the close box's question is asked (its real box
// answered), the window coming up for it from the tray; where nobody may be
// asked, the unsaved changes go to a recovery file, never over the user's
// own file; the schedule in use is remembered; the next start tells where
// the changes were kept. (A session manager cannot be made in a test: the
// window's handlers are called as its signal calls them.)

#include "commandids.h"
#include "eventlistctrl.h"
#include "eventtable.h"
#include "mainwindowcontrols.h"
#include "modalanswer.h"
#include "playbackengine.h"
#include "profile.h"
#include "recoveryfiles.h"
#include "schedulefile.h"
#include "schedulerdlg.h"
#include "testmain.h"
#include "testwaves.h"

#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>

#include <memory>

namespace {

const QDateTime EndedAt(QDate(2024, 5, 6), QTime(7, 8, 9));

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Last()
{
    return Profile::ReadString(QStringLiteral("FILE"), QStringLiteral("LAST"), QStringLiteral("<none>"));
}

QStringList Recovered()
{
    return QDir(RecoveryFiles::Folder()).entryList({QStringLiteral("*.sked")}, QDir::Files, QDir::Name);
}

QStringList Names(const QString &path)
{
    QStringList names;
    for (const EventRow &row : ScheduleFile::Load(path, {}).rows)
        names << row.cells[EventTable::EventName];
    return names;
}

// The user's own schedule "mine.sked" (Walk above Tea), open in the window.
struct Window
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("mine.sked"));
    QByteArray saved;
    std::unique_ptr<CSchedulerDlg> dlg;

    explicit Window(const QByteArray &wave = "tea.wav")
    {
        saved = "KQ10000\tTea\t0\t" + wave + "\t00:00:01\t00:20:00\t1*\t00:00:01\r\n"
                "KQ10000\tWalk\t0\twalk.wav\t00:30:00\t01:00:00\t1*\t00:00:01\r\n";
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(saved);
        file.close();
        dlg = std::make_unique<CSchedulerDlg>(nullptr, path);
        dlg->setClockForTesting([] { return EndedAt; });
        dlg->show();
    }

    // A change the user makes: the top row is selected and deleted.
    void deleteTopRow()
    {
        CEventListCtrl *list = dlg->eventList();
        list->selectionModel()->select(dlg->eventTable()->index(0, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTest::mouseClick(ToolButton(*dlg, CommandId::EventDelete), Qt::LeftButton);
    }
};

} // namespace

class TestSessionEnd : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(RecoveryFiles::Folder()).removeRecursively();
        // Nothing recorded: a window made without a file opens none.
        QVERIFY(Profile::WriteString(QStringLiteral("FILE"), QStringLiteral("LAST"), QString()));
    }

    void theSessionsEndAsksAsTheCloseBox_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("sessionEnds");
        QTest::addColumn<QStringList>("userFile");
        QTest::newRow("save") << int(QMessageBox::Yes) << true << QStringList{"Tea"};
        QTest::newRow("don't save") << int(QMessageBox::No) << true << QStringList{"Walk", "Tea"};
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << QStringList{"Walk", "Tea"};
    }

    void theSessionsEndAsksAsTheCloseBox()
    {
        QFETCH(int, answer);
        QFETCH(bool, sessionEnds);
        QFETCH(QStringList, userFile);
        Window w;
        w.deleteTopRow();
        QCOMPARE(w.dlg->isModified(), 1);
        // Hidden in the tray, the window comes up for the question.
        w.dlg->HideToTray();

        int mayAskCalls = 0;
        bool shownForTheQuestion = false;
        QString question;
        ModalAnswer reply([&](QWidget *box) {
            shownForTheQuestion = w.dlg->isVisible();
            question = qobject_cast<QMessageBox *>(box)->text();
            QTest::mouseClick(qobject_cast<QMessageBox *>(box)->button(
                                  QMessageBox::StandardButton(answer)),
                              Qt::LeftButton);
        });
        const bool ends = w.dlg->OnQueryEndSession([&] {
            ++mayAskCalls;
            return true;
        });

        QCOMPARE(ends, sessionEnds);
        QCOMPARE(mayAskCalls, 1);
        QCOMPARE(question, QStringLiteral("This document has been modified\n\n\rDo you want to save"));
        QVERIFY(shownForTheQuestion);
        QCOMPARE(Names(w.path), userFile);
        QCOMPARE(Last(), sessionEnds ? w.path : QString());
        QCOMPARE(Recovered(), QStringList());
        // The session goes on or ends; the window is still the user's.
        QVERIFY(w.dlg->isVisible());
    }

    void withoutAskingTheChangesAreKeptApart()
    {
        Window w;
        int mayAskCalls = 0;
        auto mayNotAsk = [&] {
            ++mayAskCalls;
            return false;
        };
        // Nothing to ask about: no asking to ask, nothing kept.
        QVERIFY(w.dlg->OnQueryEndSession(mayNotAsk));
        QCOMPARE(mayAskCalls, 0);
        QCOMPARE(Recovered(), QStringList());
        QCOMPARE(Last(), w.path);

        w.deleteTopRow();
        ModalAnswer noBox([](QWidget *w) { static_cast<QDialog *>(w)->reject(); }, 300);
        QVERIFY(w.dlg->OnQueryEndSession(mayNotAsk));
        QCOMPARE(mayAskCalls, 1);
        QTest::qWait(400);
        QVERIFY(!noBox.seen());
        QCOMPARE(Recovered(), QStringList{"mine-20240506-070809.sked"});
        QCOMPARE(Names(RecoveryFiles::Folder() + Recovered().at(0)), QStringList{"Tea"});
        QCOMPARE(ReadAll(w.path), w.saved);
        // The window reopens the user's file; the changes are told of.
        QCOMPARE(Last(), w.path);
        QCOMPARE(w.dlg->isModified(), 1);

        // The signal that follows the session's end does not keep them twice.
        w.dlg->OnEndSession();
        QCOMPARE(Recovered().size(), 1);
    }

    void theAnswerHoldsUntilTheNextChange_data()
    {
        QTest::addColumn<bool>("changedAfter");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("no change since") << false << QStringList();
        QTest::newRow("changed since") << true << QStringList{"mine-20240506-070809.sked"};
    }

    void theAnswerHoldsUntilTheNextChange()
    {
        QFETCH(bool, changedAfter);
        QFETCH(QStringList, kept);
        Window w;
        w.deleteTopRow();
        {
            auto no = ModalAnswer::messageBox(QMessageBox::No);
            QVERIFY(w.dlg->OnQueryEndSession([] { return true; }));
            QVERIFY(no.seen());
        }
        // Another program cancelled the logout, the user goes on.
        if (changedAfter)
            w.deleteTopRow();
        // A second session end does not ask again about what was answered.
        ModalAnswer again([](QWidget *w) { static_cast<QDialog *>(w)->reject(); }, 300);
        QVERIFY(w.dlg->OnQueryEndSession([] { return false; }));
        QTest::qWait(400);
        QVERIFY(!again.seen());
        // Then the program is made to end: "don't save" is respected.
        w.dlg->OnEndSession();
        QCOMPARE(Recovered(), kept);
        QCOMPARE(ReadAll(w.path), w.saved);
        // The close box asks as it always does.
        auto cancel = ModalAnswer::messageBox(QMessageBox::Cancel);
        w.dlg->show();
        w.dlg->close();
        QVERIFY(cancel.seen());
    }

    void endingStopsTheScheduleAndKeepsTheChanges()
    {
        // Tea plays a ten-second sound once it is due.
        QTemporaryDir sounds;
        const QString wave = sounds.filePath(QStringLiteral("long.wav"));
        QVERIFY(WaveFile::Write(wave, AudibleWave(22050, 1, 10 * 22050)));
        Window w(wave.toUtf8());
        w.deleteTopRow();
        QTest::mouseClick(ToolButton(*w.dlg, CommandId::ScheduleStart), Qt::LeftButton);
        w.dlg->OnTimer(CSchedulerDlg::CountDownTimerId);
        w.dlg->OnTimer(CSchedulerDlg::CountDownTimerId);
        QVERIFY(w.dlg->playbackEngine()->isBusy());

        qint64 endingMs = -1;
        QTimer::singleShot(100, w.dlg.get(), [&] {
            QElapsedTimer clock;
            clock.start();
            w.dlg->OnEndSession();
            endingMs = clock.elapsed();
        });
        QTimer::singleShot(5000, w.dlg.get(), [&] { w.dlg->done(99); });
        QCOMPARE(w.dlg->exec(), int(IdCancel));

        QVERIFY2(endingMs >= 0 && endingMs < 1000, qPrintable(QString::number(endingMs)));
        QVERIFY(!w.dlg->isCountDownRunning());
        QVERIFY(!w.dlg->playbackEngine()->isBusy());
        QCOMPARE(Recovered(), QStringList{"mine-20240506-070809.sked"});
        QCOMPARE(Names(RecoveryFiles::Folder() + Recovered().at(0)), QStringList{"Tea"});
        QCOMPARE(ReadAll(w.path), w.saved);
        QCOMPARE(Last(), w.path);
    }

    void theNextStartTellsWhereTheChangesAreOnce()
    {
        // Two ends of an unnamed schedule within the same second.
        for (int i = 0; i < 2; ++i) {
            CSchedulerDlg ended;
            ended.setClockForTesting([] { return EndedAt; });
            ended.OnFileNew();
            ended.OnEndSession();
        }
        const QStringList kept{RecoveryFiles::Folder() + "NoName-20240506-070809-2.sked",
                               RecoveryFiles::Folder() + "NoName-20240506-070809.sked"};
        QCOMPARE(RecoveryFiles::Unannounced(), kept);

        CSchedulerDlg next;
        next.show();
        QString text;
        {
            auto ok = ModalAnswer::messageBox(QMessageBox::Ok, &text);
            next.ShowRecoveredChanges();
            QVERIFY(ok.seen());
        }
        for (const QString &path : kept)
            QVERIFY2(text.contains(u'\n' + path + u'\n'), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("File > Open")));

        // Told once.
        ModalAnswer none([](QWidget *w) { static_cast<QDialog *>(w)->reject(); }, 300);
        next.ShowRecoveredChanges();
        QTest::qWait(400);
        QVERIFY(!none.seen());
        QCOMPARE(RecoveryFiles::Unannounced(), QStringList());
    }
};

PARLOWEN_TEST_MAIN(TestSessionEnd)
#include "tst_sessionend.moc"
