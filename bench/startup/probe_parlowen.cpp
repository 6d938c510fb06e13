// The program's own start-up, stopped at its first shown window.

#include "firstwindow.h"
#include "schedulerapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("parlowen"));
    ExitOnFirstWindow exitOnFirstWindow;
    CSchedulerApp theApp;
    theApp.InitInstance();
    return 1; // the window never showed
}
