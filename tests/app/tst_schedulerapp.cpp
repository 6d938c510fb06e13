// The program's run as a whole, ended by the session manager's last word:
// X11's session management ends a program with a Quit event to the
// application once the session's question has been asked. It ends the
// program in order even when the window is hidden in the tray, and asks
// nothing more. (The Quit ends every event loop of the process for good,
// so this suite holds this one test.)

#include "eventlistctrl.h"
#include "eventtable.h"
#include "profile.h"
#include "recoveryfiles.h"
#include "schedulerapp.h"
#include "schedulerdlg.h"
#include "testmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QTimer>

namespace {
// Notes every message box that shows.
class BoxWatch : public QObject
{
public:
    bool seen = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox *>(watched))
            seen = true;
        return false;
    }
};
} // namespace

class TestSchedulerApp : public QObject
{
    Q_OBJECT

private slots:
    void theSessionsLastWordEndsTheProgramInOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mine.sked"));
        const QByteArray saved = "KQ10000\tTea\t0\ttea.wav\t00:10:00\t00:20:00\t1*\t00:00:01\r\n";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(saved);
        }
        QVERIFY(Profile::WriteString(QStringLiteral("FILE"), QStringLiteral("LAST"), path));

        CSchedulerApp app;
        BoxWatch boxes;
        qApp->installEventFilter(&boxes);
        bool modified = false;
        QTimer::singleShot(200, &app, [&] {
            CSchedulerDlg *window = app.mainWindow();
            // An unsaved change, and the window in the tray.
            window->eventList()->selectionModel()->select(
                window->eventTable()->index(0, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            window->OnEventDelete();
            modified = window->isModified() == 1;
            window->HideToTray();
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(qApp, &quit);
        });
        QElapsedTimer clock;
        clock.start();
        app.InitInstance();

        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(modified);
        QVERIFY(!boxes.seen);
        QCOMPARE(app.mainWindow(), nullptr);
        QCOMPARE(Profile::ReadString(QStringLiteral("FILE"), QStringLiteral("LAST"), QString()), path);
        const QStringList kept = RecoveryFiles::Unannounced();
        QCOMPARE(kept.size(), 1);
        QVERIFY2(QFileInfo(kept.at(0)).fileName().startsWith(QStringLiteral("mine-")),
                 qPrintable(kept.at(0)));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved);
    }
};

PARLOWEN_TEST_MAIN(TestSchedulerApp)
#include "tst_schedulerapp.moc"
