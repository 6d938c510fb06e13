#include "commandids.h"
#include "eventdlg.h"
#include "eventlistctrl.h"
#include "eventtable.h"
#include "help.h"
#include "helpfile.h"
#include "mainwindowcontrols.h"
#include "schedulepaths.h"
#include "modalanswer.h"
#include "profile.h"
#include "programdirectory.h"
#include "schedulerdlg.h"
#include "testmain.h"
#include "testwaves.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>

namespace {

using Cells = std::array<QString, EventTable::ColumnCount>;

// The editor opens each row's wave and derives the value not entered from its
// length; the suite's waves (initTestCase) are as long as these rows need.
const Cells TeaByCount{"Tea", "tea.wav", "00:00:07", "00:20:00", "12*", "00:01:05"};

// The main window with the given rows, top row first, shown.
struct Window
{
    CSchedulerDlg dlg;

    explicit Window(const QList<Cells> &rows = {})
    {
        QList<EventRow> table;
        for (const Cells &cells : rows)
            table.append(EventRow{cells});
        dlg.eventTable()->insertAtTop(table);
        dlg.show();
    }

    EventTable &table() const { return *dlg.eventTable(); }
    CEventListCtrl *list() const { return dlg.eventList(); }
    Cells cells(int row) const { return table().row(row).cells; }
    QPoint rowPoint(int row, int x) const
    {
        return {x, list()->visualRect(table().index(row, 0)).center().y()};
    }

    void menu(int id)
    {
        QAction *item = MenuItem(dlg, id);
        QVERIFY2(item, "no such menu item");
        item->trigger();
    }

    void toolbar(int id)
    {
        QToolButton *button = ToolButton(dlg, id);
        QVERIFY2(button, "no such toolbar button");
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

// Answers the event editor: `edit` works its controls, then `button` ("buttonOk",
// "buttonCancel" or "escape") ends it. The editor's title is kept.
struct EditorAnswer
{
    QString title;
    ModalAnswer answer;

    explicit EditorAnswer(std::function<void(CEventDlg &)> edit = {}, QString button = "buttonOk")
        : answer([this, edit, button](QWidget *w) {
            auto *editor = qobject_cast<CEventDlg *>(w);
            if (!editor) {
                static_cast<QDialog *>(w)->reject();
                return;
            }
            title = editor->windowTitle();
            if (edit)
                edit(*editor);
            if (button == "escape")
                QTest::keyClick(editor->findChild<QLineEdit *>("editEventName"), Qt::Key_Escape);
            else
                QTest::mouseClick(editor->findChild<QPushButton *>(button), Qt::LeftButton);
        })
    {
    }
};

// A whole double-click: QTest's own leaves the button down, which would turn
// the next test's mouse moves into drags.
void doubleClick(QWidget *widget, QPoint pos)
{
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

void retype(CEventDlg &editor, const char *name, const QString &text)
{
    auto *edit = editor.findChild<QLineEdit *>(name);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestEventCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        // The waves are named as in the rows, relative to this folder.
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
        const std::pair<const char *, int> waves[] = {
            {"tea.wav", 5334},     // 12 plays: 64 s, shown as 0:1:5
            {"bell.wav", 6000},
            {"n.wav", 2500},       // 5 minutes: 120 plays
        };
        for (const auto &[name, ms] : waves)
            QVERIFY(WaveFile::Write(m_dir.filePath(name), AudibleWave(1000, 1, ms)));
        // The editor's default sound, where the first start puts it: 5
        // minutes give 50 plays.
        QVERIFY(WaveFile::Write(SchedulePaths::DefaultWavePath(), AudibleWave(1000, 1, 6000)));
    }

    void init()
    {
        QFile::remove(Profile::FilePath());
    }

    void addWithTheEditorUnchanged_data()
    {
        QTest::addColumn<bool>("fromToolbar");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("wave");
        QTest::newRow("menu, nothing remembered") << false << "" << SchedulePaths::DefaultWavePath();
        QTest::newRow("toolbar, remembered file") << true << "bell.wav" << "bell.wav";
    }

    void addWithTheEditorUnchanged()
    {
        QFETCH(bool, fromToolbar);
        QFETCH(QString, remembered);
        QFETCH(QString, wave);
        if (!remembered.isEmpty())
            QVERIFY(Profile::WriteString("Last", "FileName", remembered));
        Window w({TeaByCount});
        EditorAnswer editor;
        fromToolbar ? w.toolbar(CommandId::EventAdd) : w.menu(CommandId::EventAdd);
        QVERIFY(editor.answer.seen());
        QCOMPARE(editor.title, QStringLiteral("Add Event"));
        QCOMPARE(w.table().rowCount(), 2);
        QCOMPARE(w.cells(0), (Cells{"No_Name", wave, "01:00:00", "01:00:00", "50", "00:05:00*"}));
        QVERIFY(w.table().isEnabled(0));
        QCOMPARE(w.cells(1), TeaByCount);
        QCOMPARE(w.dlg.isModified(), 1);
    }

    void addInCountMode()
    {
        Window w;
        EditorAnswer editor([](CEventDlg &e) {
            QTest::mouseClick(e.findChild<QRadioButton *>("radioCount"), Qt::LeftButton);
            retype(e, "editRepCount", "3");
        });
        w.menu(CommandId::EventAdd);
        QVERIFY(editor.answer.seen());
        QCOMPARE(w.table().text(0, EventTable::Repetition), QStringLiteral("3*"));
        // Three plays of six seconds, and the one second the length adds.
        QCOMPARE(w.table().text(0, EventTable::Length), QStringLiteral("00:00:19"));
    }

    void secondAddGoesOnTop()
    {
        Window w;
        for (const QString name : {"First", "Second"}) {
            EditorAnswer editor([name](CEventDlg &e) { retype(e, "editEventName", name); });
            w.menu(CommandId::EventAdd);
            QVERIFY(editor.answer.seen());
        }
        QCOMPARE(w.table().text(0, EventTable::EventName), QStringLiteral("Second"));
        QCOMPARE(w.table().text(1, EventTable::EventName), QStringLiteral("First"));
    }

    void modifyReadsTheRowAndWritesItBack()
    {
        Window w({{"Other", "o.wav", "00:00:01", "00:00:09", "1", "00:00:02*"}, TeaByCount});
        w.table().setImageIndex(1, EventTable::DisabledImage);
        w.list()->setFocusedRow(1);
        QStringList shown;
        bool countChecked = false;
        EditorAnswer editor([&](CEventDlg &e) {
            for (const char *name : {"editEventName", "editWaveFile", "editIntervalHour",
                                     "editIntervalMin", "editIntervalSec", "editRepCount",
                                     "editRepHour", "editRepMin", "editRepSec"})
                shown << e.findChild<QLineEdit *>(name)->text();
            countChecked = e.findChild<QRadioButton *>("radioCount")->isChecked();
        });
        w.menu(CommandId::EventModify);
        QVERIFY(editor.answer.seen());
        QCOMPARE(editor.title, QStringLiteral("Modify Event"));
        // The length is derived anew from the count once the wave is open.
        QCOMPARE(shown, (QStringList{"Tea", "tea.wav", "00", "20", "00", "12", "0", "1", "5"}));
        QVERIFY(countChecked);
        // "Start in" restarts from the interval; all else is as it was.
        Cells expected = TeaByCount;
        expected[EventTable::StartIn] = "00:20:00";
        QCOMPARE(w.cells(1), expected);
        QCOMPARE(w.table().imageIndex(1), int(EventTable::DisabledImage));
        QCOMPARE(w.cells(0)[0], QStringLiteral("Other"));
        QCOMPARE(w.dlg.isModified(), 1);
    }

    void modifyOfALengthRowKeepsItsMode()
    {
        Window w({{"Nap", "n.wav", "00:10:00", "00:30:00", "120", "00:05:00*"}});
        w.list()->setFocusedRow(0);
        EditorAnswer editor([](CEventDlg &e) { retype(e, "editRepSec", "30"); });
        w.menu(CommandId::EventModify);
        QVERIFY(editor.answer.seen());
        // The count follows the new length: 330 s of 2.5 s plays.
        QCOMPARE(w.cells(0), (Cells{"Nap", "n.wav", "00:30:00", "00:30:00", "132", "00:05:30*"}));
    }

    void cancellingChangesNothing_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("button");
        QTest::newRow("Add, Cancel") << int(CommandId::EventAdd) << "buttonCancel";
        QTest::newRow("Add, Escape") << int(CommandId::EventAdd) << "escape";
        QTest::newRow("Modify, Cancel") << int(CommandId::EventModify) << "buttonCancel";
        QTest::newRow("Modify, Escape") << int(CommandId::EventModify) << "escape";
    }

    void cancellingChangesNothing()
    {
        QFETCH(int, command);
        QFETCH(QString, button);
        Window w({TeaByCount});
        w.list()->setFocusedRow(0);
        EditorAnswer editor([](CEventDlg &e) { retype(e, "editEventName", "Changed"); }, button);
        w.menu(command);
        QVERIFY(editor.answer.seen());
        QCOMPARE(w.table().rowCount(), 1);
        QCOMPARE(w.cells(0), TeaByCount);
        QCOMPARE(w.dlg.isModified(), 0);
    }

    void addProposesTheFileChosenLast()
    {
        // A new file chosen in an editor that is then cancelled.
        Window w;
        EditorAnswer chooser([this](CEventDlg &e) {
            ModalAnswer files([this](QWidget *dialog) {
                auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
                static_cast<QFileDialog *>(dialog)->setDirectory(m_dir.path());
                name->selectAll();
                QTest::keyClicks(name, "reminder");
                QTest::keyClick(name, Qt::Key_Return);
            });
            QTest::mouseClick(e.findChild<QPushButton *>("buttonOpenNew"), Qt::LeftButton);
        }, "buttonCancel");
        w.menu(CommandId::EventAdd);
        QVERIFY(chooser.answer.seen());
        QCOMPARE(w.table().rowCount(), 0);

        const QString chosen = m_dir.filePath("reminder.wav");
        QVERIFY(QFile::exists(chosen));
        QString proposed;
        EditorAnswer next([&](CEventDlg &e) {
            proposed = e.findChild<QLineEdit *>("editWaveFile")->text();
        });
        w.menu(CommandId::EventAdd);
        QVERIFY(next.answer.seen());
        QCOMPARE(proposed, chosen);
        QCOMPARE(w.table().text(0, EventTable::WaveFile), chosen);
    }

    void modifyWithoutAFocusedRowOpensNothing()
    {
        Window w({TeaByCount});
        QCOMPARE(w.list()->focusedRow(), -1);
        EditorAnswer editor;
        w.menu(CommandId::EventModify);
        QTest::qWait(100);
        QVERIFY(!editor.answer.seen());
        QCOMPARE(w.cells(0), TeaByCount);
        QCOMPARE(w.dlg.isModified(), 0);
    }

    void deleteRemovesEverySelectedRow()
    {
        Window w({{"A"}, {"B"}, {"C"}, {"D"}, {"E"}});
        QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
        for (int row : {0, 2, 4})
            QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              w.rowPoint(row, 150));
        QCOMPARE(w.list()->selectedRows(), (QList<int>{0, 2, 4}));
        w.toolbar(CommandId::EventDelete);
        QCOMPARE(w.table().rowCount(), 2);
        QCOMPARE(w.table().text(0, 0), QStringLiteral("B"));
        QCOMPARE(w.table().text(1, 0), QStringLiteral("D"));
        QCOMPARE(w.dlg.isModified(), 1);
    }

    void deleteWithoutSelectionChangesNothing()
    {
        Window w({{"A"}, {"B"}});
        w.list()->setFocusedRow(1);
        w.menu(CommandId::EventDelete);
        QCOMPARE(w.table().rowCount(), 2);
        QCOMPARE(w.dlg.isModified(), 0);
    }

    // Left of the label, on the row's image, a double-click toggles the row;
    // on the label or right of it, it opens the editor. Where the label
    // starts is the list's to say: it moves when the columns are scrolled.
    // Only the left button double-clicks.
    void doubleClickTogglesOrModifies_data()
    {
        QTest::addColumn<int>("scroll");
        QTest::addColumn<int>("fromLabel");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("does");
        QTest::newRow("on the image, x = 22") << 0 << -1 << int(Qt::LeftButton) << "toggle";
        QTest::newRow("right of it, x = 23") << 0 << 0 << int(Qt::LeftButton) << "modify";
        QTest::newRow("scrolled, on the image") << 10 << -1 << int(Qt::LeftButton) << "toggle";
        QTest::newRow("scrolled, on the label") << 10 << 0 << int(Qt::LeftButton) << "modify";
        QTest::newRow("right button on the image") << 0 << -1 << int(Qt::RightButton) << "nothing";
        QTest::newRow("middle button on the label") << 0 << 100 << int(Qt::MiddleButton) << "nothing";
    }

    void doubleClickTogglesOrModifies()
    {
        QFETCH(int, scroll);
        QFETCH(int, fromLabel);
        QFETCH(int, button);
        QFETCH(QString, does);
        Window w({{"A"}, {"B"}});
        QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
        w.list()->horizontalScrollBar()->setValue(scroll);
        QCOMPARE(w.list()->labelLeft(), 23 - scroll);
        const int x = w.list()->labelLeft() + fromLabel;
        EditorAnswer editor({}, "buttonCancel");
        QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, w.rowPoint(1, x));
        QTest::mouseMove(w.list()->viewport(), w.rowPoint(1, x));
        QTRY_COMPARE(w.list()->m_ptLastMouse, w.rowPoint(1, x));
        const auto mouseButton = Qt::MouseButton(button);
        QTest::mouseDClick(w.list()->viewport(), mouseButton, {}, w.rowPoint(1, x));
        QTest::mouseRelease(w.list()->viewport(), mouseButton, {}, w.rowPoint(1, x));
        QCOMPARE(w.list()->focusedRow(), 1);
        if (does == "toggle") {
            QTest::qWait(100);
            QVERIFY(!editor.answer.seen());
            QCOMPARE(w.table().imageIndex(1), int(EventTable::DisabledImage));
            QCOMPARE(w.dlg.isModified(), 1);
            // A second double-click enables it again.
            doubleClick(w.list()->viewport(), w.rowPoint(1, x));
            QCOMPARE(w.table().imageIndex(1), int(EventTable::EnabledImage));
        } else if (does == "modify") {
            QVERIFY(editor.answer.seen());
            QCOMPARE(editor.title, QStringLiteral("Modify Event"));
            QVERIFY(w.table().isEnabled(1));
            QCOMPARE(w.dlg.isModified(), 0);
        } else {
            QTest::qWait(100);
            QVERIFY(!editor.answer.seen());
            QVERIFY(w.table().isEnabled(1));
            QCOMPARE(w.dlg.isModified(), 0);
        }
    }

    void insertAndDeleteKeysInTheList()
    {
        Window w({{"A"}, {"B"}});
        QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
        w.list()->setFocus();
        {
            EditorAnswer editor;
            QTest::keyClick(w.list(), Qt::Key_Insert);
            QVERIFY(editor.answer.seen());
        }
        QCOMPARE(w.table().rowCount(), 3);
        QCOMPARE(w.table().text(0, 0), QStringLiteral("No_Name"));

        QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, w.rowPoint(2, 150));
        QTest::keyClick(w.list(), Qt::Key_Delete);
        QCOMPARE(w.table().rowCount(), 2);
        QCOMPARE(w.table().text(1, 0), QStringLiteral("A"));
    }

    void disableAndEnableAreNoChange()
    {
        Window w({{"A"}, {"B"}});
        w.list()->setFocusedRow(0);
        w.menu(CommandId::EventDisable);
        QCOMPARE(w.table().imageIndex(0), int(EventTable::DisabledImage));
        QVERIFY(w.table().isEnabled(1));
        w.menu(CommandId::EventEnable);
        QCOMPARE(w.table().imageIndex(0), int(EventTable::EnabledImage));
        w.menu(CommandId::EventDisable);
        // So closing the window has nothing to ask about.
        QCOMPARE(w.dlg.isModified(), 0);
    }

    void helpStaysUsableWhileTheEditorIsOpen()
    {
        QTemporaryDir programDir;
        QVERIFY(programDir.isValid());
        QVERIFY(WriteHelpFile(programDir.path(), "<h1>Parlowen Help</h1><p>Events</p>"));
        SetProgramDirectoryForTesting(programDir.path());

        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.dlg));
        bool selected = false;
        EditorAnswer editor([&](CEventDlg &e) {
            QTest::mouseClick(e.findChild<QPushButton *>("buttonHelp"), Qt::LeftButton);
            QTextBrowser *help = nullptr;
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *browser = qobject_cast<QTextBrowser *>(top); browser && browser->isVisible())
                    help = browser;
            QVERIFY(help);
            // Input to a window that a modal dialog blocks is dropped on
            // its way in; this key press takes that way.
            help->activateWindow();
            QTest::keyClick(help->windowHandle(), Qt::Key_A, Qt::ControlModifier);
            selected = help->textCursor().hasSelection();
        }, "buttonCancel");
        w.menu(CommandId::EventAdd);
        QVERIFY(editor.answer.seen());
        QVERIFY(selected);
        Help::Quit();
    }
};

PARLOWEN_TEST_MAIN(TestEventCommands)
#include "tst_eventcommands.moc"
