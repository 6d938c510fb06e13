#include "schedulerapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("parlowen"));
    QApplication::setDesktopFileName(QStringLiteral("parlowen"));

    CSchedulerApp theApp;
    theApp.InitInstance();
    return 0;
}
