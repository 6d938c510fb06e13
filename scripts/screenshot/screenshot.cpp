// Renders the README's pictures from the real widgets, offscreen:
//   parlowen_screenshot OUTPUT.png             the main window with a few events
//   parlowen_screenshot --tray-menu OUTPUT.png the tray icon's menu under a panel
// Run through scripts/make-screenshot.sh.

#include "desktopconnector.h"
#include "eventlistctrl.h"
#include "eventtable.h"
#include "schedulerdlg.h"
#include "systemtrayicon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QList<EventRow> SampleRows{
    {{"Stretch", "/usr/share/parlowen/stretch.wav", "00:12:30", "01:00:00", "3*", "00:00:12"}, 0},
    {{"Drink water", "/usr/share/parlowen/water.wav", "00:41:07", "00:45:00", "2", "00:00:08*"}, 0},
    {{"Stand-up", "/usr/share/parlowen/standup.wav", "05:00:00", "24:00:00", "1*", "00:00:03"}, 1},
};

int MainWindow(const QString &output)
{
    CSchedulerDlg dlg;
    EventTable *table = dlg.eventTable();
    table->insertAtTop(SampleRows);
    dlg.resize(760, 360);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return 1;
    dlg.eventList()->selectionModel()->select(table->index(1, 0), QItemSelectionModel::Select
                                                                      | QItemSelectionModel::Rows);
    QTest::qWait(50);
    return dlg.grab().save(output) ? 0 : 1;
}

// The menu as it drops from the icon in a panel along the top of the screen.
int TrayMenu(const QString &output)
{
    CSchedulerDlg dlg;
    dlg.eventTable()->insertAtTop(SampleRows);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return 1;
    dlg.OnScheduleStart();
    QTest::qWait(50);
    auto *tray = qobject_cast<SystemTrayIcon *>(dlg.desktop()->trayIcon());
    if (!tray)
        return 1;
    QMenu *menu = tray->menu();
    menu->adjustSize();
    const QPixmap menuImage = menu->grab();

    constexpr int PanelHeight = 28, IconSize = 22, Margin = 12, RightSpace = 60;
    const QSize size(menuImage.width() + 2 * Margin + RightSpace,
                     PanelHeight + menuImage.height() + Margin);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor(0xd8, 0xdc, 0xe4));
    QPainter painter(&image);
    painter.fillRect(0, 0, size.width(), PanelHeight, QColor(0x2e, 0x34, 0x40));
    const int iconX = Margin + menuImage.width() - IconSize;
    // The icon is pressed while its menu is open.
    painter.fillRect(iconX - 4, 0, IconSize + 8, PanelHeight, QColor(0x4c, 0x56, 0x6a));
    painter.drawPixmap(iconX, (PanelHeight - IconSize) / 2,
                       tray->systemTrayIcon()->icon().pixmap(IconSize, IconSize));
    painter.drawPixmap(Margin, PanelHeight, menuImage);
    painter.end();
    return image.save(output) ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fresh settings and data: the pictures show neither the user's last
    // schedule nor their own choices.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        const QString dir = home.filePath(QString::fromLatin1(variable));
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, dir.toLocal8Bit());
    }
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 1)
        return MainWindow(args[0]);
    if (args.size() == 2 && args[0] == QLatin1String("--tray-menu"))
        return TrayMenu(args[1]);
    qWarning("usage: parlowen_screenshot [--tray-menu] OUTPUT.png");
    return 2;
}
