// The least a Qt widget program does to show a window: the baseline for the
// program's start-up.

#include "firstwindow.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ExitOnFirstWindow exitOnFirstWindow;
    QWidget window;
    window.resize(624, 370);
    window.show();
    app.exec();
    return 1; // the window never showed
}
