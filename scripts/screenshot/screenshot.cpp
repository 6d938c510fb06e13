// Renders the real main window, with a few events in its list, and the real
// event editor, with an event whose sound was just spoken from typed text,
// into PNGs for the README and the help page. Run through
// scripts/make-screenshot.sh.
//
// Settings and data go to a temporary home, so the pictures never show the
// user's own schedule and nothing of the user's is written; sound goes to
// SDL's silent driver.

#include "eventdlg.h"
#include "eventfields.h"
#include "eventlistctrl.h"
#include "eventtable.h"
#include "schedulerdlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool saveMainWindow(const QString &output)
{
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

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QString dataHome = home.path() + QStringLiteral("/.local/share");
    QDir().mkpath(dataHome);
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    if (argc != 3) {
        qWarning("usage: parlowen_screenshot MAIN_WINDOW.png EDITOR.png");
        return 2;
    }
    if (!saveMainWindow(QString::fromLocal8Bit(argv[1])))
        return 1;
    return saveEditor(QString::fromLocal8Bit(argv[2]), dataHome) ? 0 : 1;
}
