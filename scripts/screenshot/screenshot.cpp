// Renders the README's and the help page's pictures from the real widgets,
// offscreen:
//   parlowen_screenshot MAIN_WINDOW.png EDITOR.png
//       the main window with a few events, and the event editor with an
//       event whose sound was just spoken from typed text
//   parlowen_screenshot --tray-menu OUTPUT.png
//       the tray icon's menu under a panel
// Run through scripts/make-screenshot.sh.
//
// Settings and data go to a temporary home, so the pictures never show the
// user's own schedule and nothing of the user's is written; sound goes to
// SDL's silent driver.

#include "desktopconnector.h"
#include "eventdlg.h"
#include "eventfields.h"
#include "eventlistctrl.h"
#include "eventtable.h"
#include "schedulerdlg.h"
#include "systemtrayicon.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace {

const QList<EventRow> SampleRows{
    {{"Stretch", "/usr/share/parlowen/stretch.wav", "00:12:30", "01:00:00", "3*", "00:00:12"}, 0},
    {{"Drink water", "/usr/share/parlowen/water.wav", "00:41:07", "00:45:00", "2", "00:00:08*"}, 0},
    {{"Stand-up", "/usr/share/parlowen/standup.wav", "05:00:00", "24:00:00", "1*", "00:00:03"}, 1},
};

bool saveMainWindow(const QString &output)
{
    CSchedulerDlg dlg;
    EventTable *table = dlg.eventTable();
    table->insertAtTop(SampleRows);
    dlg.resize(760, 360);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return false;
    dlg.eventList()->selectionModel()->select(table->index(1, 0), QItemSelectionModel::Select
                                                                      | QItemSelectionModel::Rows);
    QTest::qWait(50);
    return dlg.grab().save(output);
}

// The editor as a user leaves it after Speak: the text typed, the new file
// in the audio file's edit, its length and the repetitions derived from it.
bool saveEditor(const QString &output, const QString &dataHome)
{
    CEventDlg dlg;
    EventFields fields = NewEventFields(dataHome + QStringLiteral("/parlowen/Default.wav"));
    fields.eventName = QStringLiteral("Drink water");
    fields.intervalHour = QStringLiteral("0");
    fields.intervalMin = QStringLiteral("45");
    fields.repCount = QStringLiteral("2");
    fields.countMode = 1;
    dlg.setFields(fields);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return false;

    auto *text = dlg.findChild<QLineEdit *>(QStringLiteral("editSpeechText"));
    auto *voices = dlg.findChild<QComboBox *>(QStringLiteral("comboVoice"));
    auto *rate = dlg.findChild<QSpinBox *>(QStringLiteral("spinRate"));
    auto *speak = dlg.findChild<QPushButton *>(QStringLiteral("buttonSpeak"));
    auto *play = dlg.findChild<QPushButton *>(QStringLiteral("buttonPlay"));
    auto *waveFile = dlg.findChild<QLineEdit *>(QStringLiteral("editWaveFile"));
    if (!text || !voices || !rate || !speak || !play || !waveFile)
        return false;
    const int voice = voices->findData(QStringLiteral("gmw/en"));
    if (voice < 0) {
        qWarning("parlowen_screenshot: no English voice");
        return false;
    }
    voices->setCurrentIndex(voice);
    rate->setValue(150);
    QTest::keyClicks(text, QStringLiteral("Drink a glass of water."));
    QTest::mouseClick(speak, Qt::LeftButton);
    // Spoken, switched to and played to its end.
    if (!QTest::qWaitFor([&] { return waveFile->text().contains(QStringLiteral("/speech/")); }, 10000)
        || !QTest::qWaitFor([&] { return speak->isEnabled() && play->isEnabled(); }, 10000)) {
        qWarning("parlowen_screenshot: Speak did not finish");
        return false;
    }
    dlg.findChild<QLineEdit *>(QStringLiteral("editEventName"))->setFocus();
    QTest::qWait(50);
    const bool saved = dlg.grab().save(output);
    dlg.reject();
    return saved;
}

// The menu as it drops from the icon in a panel along the top of the screen.
bool saveTrayMenu(const QString &output)
{
    CSchedulerDlg dlg;
    dlg.eventTable()->insertAtTop(SampleRows);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return false;
    dlg.OnScheduleStart();
    QTest::qWait(50);
    auto *tray = qobject_cast<SystemTrayIcon *>(dlg.desktop()->trayIcon());
    if (!tray)
        return false;
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
    return image.save(output);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    // The folders a user's home has, so that paths in the pictures read as
    // they would on the user's machine.
    const QString dataHome = home.filePath(QStringLiteral(".local/share"));
    const std::pair<const char *, QString> folders[] = {
        {"XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config"))},
        {"XDG_DATA_HOME", dataHome},
        {"XDG_RUNTIME_DIR", home.filePath(QStringLiteral("runtime"))},
    };
    for (const auto &[variable, dir] : folders) {
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, dir.toLocal8Bit());
    }
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--tray-menu"))
        return saveTrayMenu(args[1]) ? 0 : 1;
    if (args.size() == 2)
        return saveMainWindow(args[0]) && saveEditor(args[1], dataHome) ? 0 : 1;
    qWarning("usage: parlowen_screenshot MAIN_WINDOW.png EDITOR.png\n"
             "       parlowen_screenshot --tray-menu OUTPUT.png");
    return 2;
}
