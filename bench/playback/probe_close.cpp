// The program itself, started on a schedule with its Start command, closed
// through its window's close box when the benchmark says so: it writes "r"
// to its standard output once its window is up, and closes the window when
// a byte comes on its standard input. The benchmark times the rest, up to
// the end of the process.

#include "schedulerapp.h"
#include "schedulerdlg.h"
#include "startrequest.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("parlowen"));
    if (argc != 2)
        return 2;
    CSchedulerApp theApp(StartRequest{QString::fromLocal8Bit(argv[1]), true});

    QTimer whenUp;
    whenUp.setInterval(10);
    QObject::connect(&whenUp, &QTimer::timeout, [&] {
        if (theApp.mainWindow() && theApp.mainWindow()->isVisible()) {
            whenUp.stop();
            (void)::write(STDOUT_FILENO, "r", 1);
        }
    });
    whenUp.start();

    QSocketNotifier closeRequest(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&closeRequest, &QSocketNotifier::activated, [&] {
        closeRequest.setEnabled(false);
        if (theApp.mainWindow())
            theApp.mainWindow()->close();
    });

    theApp.InitInstance();
    return 0;
}
