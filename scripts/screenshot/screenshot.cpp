// Renders the real main window, with a few events in its list, into a PNG
// for the README. Run through scripts/make-screenshot.sh.

#include "eventlistctrl.h"
#include "eventtable.h"
#include "schedulerdlg.h"

#include <QApplication>
#include <QTest>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        qWarning("usage: parlowen_screenshot OUTPUT.png");
        return 2;
    }

    CSchedulerDlg dlg;
    EventTable *table = dlg.eventTable();
    const QList<EventRow> rows{
        {{"Stretch", "/usr/share/parlowen/stretch.wav", "00:12:30", "01:00:00", "3*", "00:00:12"}, 0},
        {{"Drink water", "/usr/share/parlowen/water.wav", "00:41:07", "00:45:00", "2", "00:00:08*"}, 0},
        {{"Stand-up", "/usr/share/parlowen/standup.wav", "05:00:00", "24:00:00", "1*", "00:00:03"}, 1},
    };
    table->insertAtTop(rows);
    dlg.resize(760, 360);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return 1;
    dlg.eventList()->selectionModel()->select(table->index(1, 0), QItemSelectionModel::Select
                                                                      | QItemSelectionModel::Rows);
    QTest::qWait(50);
    return dlg.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
