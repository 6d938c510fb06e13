#include "commandids.h"
#include "eventlistctrl.h"
#include "eventtable.h"
#include "mainwindowcontrols.h"
#include "modalanswer.h"
#include "profile.h"
#include "programdirectory.h"
#include "schedulerdlg.h"
#include "userdatadirectory.h"
#include "testmain.h"
#include "testwaves.h"
#include "wavefile.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <functional>

#include <time.h>

namespace {

// Answers the modal windows that the code under test opens one after the
// other (a question, then a file dialog, then a warning...), in order. Each
// answer runs from the event loop of the window it answers, so a window that
// the answer itself opens is answered too. A window may come up again (a
// file dialog after its overwrite question) and takes the next answer then.
class ModalChain
{
public:
    using Answer = std::function<void(QWidget *)>;

    explicit ModalChain(QList<Answer> answers, int timeoutMs = 10000)
        : m_answers(std::move(answers))
    {
        // Windows already open (the main window is modal too) are not ours.
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->setProperty(AlreadyOpen, true);
        m_deadline.start();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this, timeoutMs] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible() && modal != m_last
                && !modal->property(AlreadyOpen).toBool() && m_answered < m_answers.size()) {
                m_last = modal;
                QTimer::singleShot(0, modal, [modal, answer = m_answers.at(m_answered)] {
                    answer(modal);
                });
                ++m_answered;
            }
            if (m_answered == m_answers.size() || m_deadline.elapsed() > timeoutMs)
                m_timer.stop();
        });
        m_timer.start();
    }

    int answered() const { return m_answered; }

private:
    static constexpr const char *AlreadyOpen = "openBeforeModalChain";
    QList<Answer> m_answers;
    int m_answered = 0;
    QPointer<QWidget> m_last;
    QTimer m_timer;
    QElapsedTimer m_deadline;
};

struct SeenBox
{
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

ModalChain::Answer press(QMessageBox::StandardButton button, SeenBox *seen = nullptr)
{
    return [=](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box) {
            qWarning("expected a message box, got %s", w->metaObject()->className());
            static_cast<QDialog *>(w)->reject();
            return;
        }
        if (seen)
            *seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons()};
        box->button(button)->click();
    };
}

// Presses the file dialog's Open or Save button.
void pressAccept(QFileDialog *dialog)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>("buttonBox");
    for (QAbstractButton *b : buttons->buttons())
        if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole)
            b->click();
}

// Types `name` into a file dialog and presses its Open or Save button.
ModalChain::Answer choose(const QString &name, QFileDialog::AcceptMode *mode = nullptr)
{
    return [=](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        if (!dialog) {
            qWarning("expected a file dialog, got %s", w->metaObject()->className());
            static_cast<QDialog *>(w)->reject();
            return;
        }
        if (mode)
            *mode = dialog->acceptMode();
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(name);
        pressAccept(dialog);
    };
}

ModalChain::Answer cancel()
{
    return [](QWidget *w) { static_cast<QDialog *>(w)->reject(); };
}

QStringList names(const EventTable &table)
{
    QStringList out;
    for (int r = 0; r < table.rowCount(); ++r)
        out << table.text(r, EventTable::EventName);
    return out;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QString title(const QString &path)
{
    return QStringLiteral("Quenta Parlowen (%1)").arg(path);
}

const QString TemplateTitle = QStringLiteral("Morvane (version 0.02)");
const QString Question = QStringLiteral("This document has been modified\n\n\rDo you want to save");
const QString NotRecorded = QStringLiteral("<not recorded>");

// Processor time of the calling thread.
qint64 threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Selects a row as a click on its texts does.
void clickRow(CSchedulerDlg &dlg, int row)
{
    CEventListCtrl *list = dlg.eventList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(dlg.eventTable()->index(row, 1)).center());
}

QString recordedLast()
{
    return Profile::ReadString("FILE", "LAST", NotRecorded);
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_programDir.isValid());
        QDir(m_programDir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_programDir.path()));
        SetProgramDirectoryForTesting(m_programDir.path());
        QDir(UserDataDirectory()).removeRecursively();
        QFile::remove(Profile::FilePath());
        QVERIFY(m_work.isValid());
        for (const QString &name : QDir(m_work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QVERIFY(QFileInfo(m_work.filePath(name)).isDir()
                        ? QDir(m_work.filePath(name)).removeRecursively()
                        : QFile::remove(m_work.filePath(name)));
    }

    void firstStartOpensTheDefaultSchedule()
    {
        QVERIFY(QFile::copy(fixture("crlf.sked"), userFile("default.sked")));
        CSchedulerDlg dlg;
        QCOMPARE(names(*dlg.eventTable()), (QStringList{"R1", "R2", "R3"}));
        QCOMPARE(dlg.windowTitle(), title(userFile("default.sked")));
        QCOMPARE(dlg.isModified(), 0);
    }

    void firstStartWithoutTheDefaultCreatesIt()
    {
        CSchedulerDlg dlg;
        QCOMPARE(dlg.eventTable()->rowCount(), 0);
        QCOMPARE(dlg.windowTitle(), title(userFile("default.sked")));
        QCOMPARE(QFileInfo(userFile("default.sked")).size(), 0);
    }

    void emptyLastLoadsNothingAndIsKept()
    {
        QVERIFY(Profile::WriteString("FILE", "LAST", QString()));
        CSchedulerDlg dlg;
        dlg.show();
        QCOMPARE(dlg.windowTitle(), TemplateTitle);
        QCOMPARE(dlg.schedulePath(), QString());
        QVERIFY(QDir(m_programDir.path()).isEmpty());

        ModalChain none({cancel()});
        dlg.close();
        QCOMPARE(none.answered(), 0);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(recordedLast(), QString());
    }

    void invalidLastScheduleIsReportedAtStart()
    {
        QVERIFY(QFile::copy(fixture("bad-third-record.sked"), workFile("bad.sked")));
        QVERIFY(Profile::WriteString("FILE", "LAST", workFile("bad.sked")));
        SeenBox box;
        ModalChain chain({press(QMessageBox::Ok, &box)});
        CSchedulerDlg dlg;
        QCOMPARE(chain.answered(), 1);
        QCOMPARE(box.text, QStringLiteral("This File is Invalid"));
        QCOMPARE(box.caption, QStringLiteral("Warning"));
        QCOMPARE(names(*dlg.eventTable()), (QStringList{"R2", "R3"}));
        QCOMPARE(dlg.windowTitle(), TemplateTitle);
        QCOMPARE(dlg.schedulePath(), workFile("bad.sked"));
    }

    void nextStartReopensTheScheduleClosedLast()
    {
        QVERIFY(QFile::copy(fixture("lf.sked"), workFile("week.sked")));
        {
            CSchedulerDlg dlg;
            dlg.show();
            ModalChain chain({choose(workFile("week.sked"))});
            MenuItem(dlg, CommandId::FileOpen)->trigger();
            QCOMPARE(chain.answered(), 1);
            QCOMPARE(dlg.windowTitle(), title(workFile("week.sked")));
            dlg.close();
            QVERIFY(!dlg.isVisible());
        }
        QCOMPARE(recordedLast(), workFile("week.sked"));
        CSchedulerDlg next;
        QCOMPARE(names(*next.eventTable()), (QStringList{"R1", "R2", "R3"}));
        QCOMPARE(next.windowTitle(), title(workFile("week.sked")));
    }

    void newAsksNothingWhenUnmodifiedAndCountsAsUnsaved()
    {
        CSchedulerDlg dlg;
        dlg.show();
        dlg.eventTable()->insertAtTop(QStringLiteral("old"));
        {
            ModalChain none({cancel()});
            QTest::mouseClick(ToolButton(dlg, CommandId::FileNew), Qt::LeftButton);
            QCOMPARE(none.answered(), 0);
        }
        QCOMPARE(dlg.eventTable()->rowCount(), 0);
        QCOMPARE(dlg.windowTitle(), title(userFile("NoName.sked")));
        QCOMPARE(dlg.isModified(), 1);
        QVERIFY(!QFile::exists(userFile("NoName.sked")));

        // Closing now asks, and Cancel keeps the window open.
        SeenBox box;
        ModalChain chain({press(QMessageBox::Cancel, &box)});
        dlg.close();
        QCOMPARE(chain.answered(), 1);
        QCOMPARE(box.text, Question);
        QCOMPARE(box.caption, QStringLiteral("Warning"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QVERIFY(dlg.isVisible());
        QCOMPARE(recordedLast(), NotRecorded);
    }

    void saveOfAnUnnamedScheduleAsksForAName()
    {
        CSchedulerDlg dlg;
        dlg.show();
        MenuItem(dlg, CommandId::FileNew)->trigger();
        dlg.eventTable()->insertAtTop(QStringLiteral("R1"));

        // The typed name gets the schedule suffix.
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        {
            ModalChain chain({choose(workFile("tea"), &mode)});
            MenuItem(dlg, CommandId::FileSave)->trigger();
            QCOMPARE(chain.answered(), 1);
        }
        QCOMPARE(mode, QFileDialog::AcceptSave);
        QCOMPARE(dlg.windowTitle(), title(workFile("tea.sked")));
        QCOMPARE(dlg.schedulePath(), workFile("tea.sked"));
        QCOMPARE(dlg.isModified(), 0);
        QCOMPARE(contents(workFile("tea.sked")), QByteArray("KQ10000\tR1\t0\t\t\t\t\t\r\n"));

        // A named schedule is saved without a dialog, also from the toolbar.
        dlg.eventTable()->insertAtTop(QStringLiteral("R0"));
        ModalChain none({cancel()});
        QTest::mouseClick(ToolButton(dlg, CommandId::FileSave), Qt::LeftButton);
        QCOMPARE(none.answered(), 0);
        QCOMPARE(contents(workFile("tea.sked")),
                 QByteArray("KQ10000\tR1\t0\t\t\t\t\t\r\nKQ10000\tR0\t0\t\t\t\t\t\r\n"));
    }

    void saveWithoutAnyPathAsksForAName()
    {
        QVERIFY(Profile::WriteString("FILE", "LAST", QString()));
        CSchedulerDlg dlg;
        ModalChain chain({cancel()});
        QCOMPARE(dlg.OnFileSave(), 0);
        QCOMPARE(chain.answered(), 1);
    }

    void fileDialogsAreSetUpForSchedules_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("mode");
        QTest::newRow("Open") << int(CommandId::FileOpen) << int(QFileDialog::AcceptOpen);
        QTest::newRow("Save As") << int(CommandId::FileSaveAs) << int(QFileDialog::AcceptSave);
    }

    void fileDialogsAreSetUpForSchedules()
    {
        QFETCH(int, command);
        QFETCH(int, mode);
        QVERIFY(QFile::copy(fixture("crlf.sked"), workFile("a.sked")));
        QVERIFY(Profile::WriteString("FILE", "LAST", workFile("a.sked")));
        CSchedulerDlg dlg;
        dlg.show();

        QString initialName, nameAfterPattern;
        QStringList filterAfterPattern;
        QString directory;
        bool stayedOpen = false;
        ModalChain chain({[&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(int(dialog->acceptMode()), mode);
            QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("sked"));
            directory = dialog->directory().absolutePath();
            auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
            initialName = edit->text();
            // A typed pattern narrows the listing instead of naming a file.
            edit->setText(QStringLiteral("*.wav"));
            pressAccept(dialog);
            stayedOpen = dialog->isVisible();
            filterAfterPattern = dialog->nameFilters();
            dialog->reject();
        }});
        MenuItem(dlg, command)->trigger();
        QCOMPARE(chain.answered(), 1);
        QCOMPARE(initialName, QStringLiteral("*.sked"));
        QCOMPARE(directory, m_work.path());
        QVERIFY(stayedOpen);
        QCOMPARE(filterAfterPattern, QStringList{"*.wav"});
        // Giving up changes nothing.
        QCOMPARE(dlg.windowTitle(), title(workFile("a.sked")));
        QCOMPARE(dlg.eventTable()->rowCount(), 3);
        QCOMPARE(QDir(m_work.path()).entryList(QDir::Files), QStringList{"a.sked"});
    }

    void saveAsAsksBeforeReplacing_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void saveAsAsksBeforeReplacing()
    {
        QFETCH(bool, replace);
        QVERIFY(QFile::copy(fixture("crlf.sked"), workFile("old.sked")));
        CSchedulerDlg dlg;
        dlg.show();
        dlg.eventTable()->insertAtTop(QStringLiteral("new"));
        int result = -1;
        {
            ModalChain chain(replace ? QList<ModalChain::Answer>{choose(workFile("old.sked")),
                                                                 press(QMessageBox::Yes)}
                                     : QList<ModalChain::Answer>{choose(workFile("old.sked")),
                                                                 press(QMessageBox::No), cancel()});
            result = dlg.OnFileSaveAs();
            QCOMPARE(chain.answered(), replace ? 2 : 3);
        }
        QCOMPARE(result, replace ? 1 : 0);
        QCOMPARE(contents(workFile("old.sked")).startsWith("KQ10000\tnew\t"), replace);
    }

    void yesThenGivingUpInSaveAsStops_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("close") << "close";
        QTest::newRow("New") << "new";
        QTest::newRow("Open") << "open";
    }

    void yesThenGivingUpInSaveAsStops()
    {
        QFETCH(QString, command);
        CSchedulerDlg dlg;
        dlg.show();
        MenuItem(dlg, CommandId::FileNew)->trigger();
        dlg.eventTable()->insertAtTop(QStringLiteral("kept"));

        ModalChain chain({press(QMessageBox::Yes), cancel()});
        if (command == "close")
            dlg.close();
        else
            MenuItem(dlg, command == "new" ? CommandId::FileNew : CommandId::FileOpen)->trigger();
        // The question, then Save As; no Open dialog after it.
        QTRY_COMPARE(chain.answered(), 2);
        QVERIFY(dlg.isVisible());
        QCOMPARE(names(*dlg.eventTable()), QStringList{"kept"});
        QCOMPARE(dlg.isModified(), 1);
        QCOMPARE(dlg.windowTitle(), title(userFile("NoName.sked")));
        QCOMPARE(recordedLast(), NotRecorded);
    }

    void noLosesTheChangesButRecordsTheSchedule()
    {
        CSchedulerDlg dlg;
        dlg.show();
        MenuItem(dlg, CommandId::FileNew)->trigger();
        dlg.eventTable()->insertAtTop(QStringLiteral("lost"));
        ModalChain chain({press(QMessageBox::No)});
        dlg.close();
        QCOMPARE(chain.answered(), 1);
        QVERIFY(!dlg.isVisible());
        QVERIFY(!QFile::exists(userFile("NoName.sked")));
        QCOMPARE(recordedLast(), userFile("NoName.sked"));
    }

    void yesSavesThroughSaveAsThenCloses()
    {
        CSchedulerDlg dlg;
        dlg.show();
        MenuItem(dlg, CommandId::FileNew)->trigger();
        dlg.eventTable()->insertAtTop(QStringLiteral("R1"));
        ModalChain chain({press(QMessageBox::Yes), choose(workFile("named.sked"))});
        dlg.close();
        QCOMPARE(chain.answered(), 2);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(contents(workFile("named.sked")), QByteArray("KQ10000\tR1\t0\t\t\t\t\t\r\n"));
        QCOMPARE(recordedLast(), workFile("named.sked"));
    }

    void openSetsTheState_data()
    {
        QTest::addColumn<QString>("chosen"); // empty: the dialog is cancelled
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("takesTheFile");

        QTest::newRow("complete file") << "three.sked" << "" << QStringList{"R1", "R2", "R3"} << true;
        QTest::newRow("bad third record") << "bad.sked" << "This File is Invalid"
                                          << QStringList{"R2", "R3"} << false;
        QTest::newRow("new name") << "fresh" << "" << QStringList() << true;
        QTest::newRow("cancelled") << "" << "" << QStringList{"old"} << false;
    }

    void openSetsTheState()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, box);
        QFETCH(QStringList, rows);
        QFETCH(bool, takesTheFile);
        QVERIFY(QFile::copy(fixture("crlf.sked"), workFile("three.sked")));
        QVERIFY(QFile::copy(fixture("bad-third-record.sked"), workFile("bad.sked")));
        CSchedulerDlg dlg;
        dlg.show();
        MenuItem(dlg, CommandId::FileNew)->trigger();
        dlg.eventTable()->insertAtTop(QStringLiteral("old"));

        SeenBox seen;
        QList<ModalChain::Answer> answers{press(QMessageBox::No),
                                          chosen.isEmpty() ? cancel() : choose(workFile(chosen))};
        if (!box.isEmpty())
            answers << press(QMessageBox::Ok, &seen);
        ModalChain chain(answers);
        QTest::mouseClick(ToolButton(dlg, CommandId::FileOpen), Qt::LeftButton);
        QCOMPARE(chain.answered(), answers.size());

        const QString path = chosen.isEmpty() ? userFile("NoName.sked")
                                              : workFile(chosen.endsWith(".sked") ? chosen : chosen + ".sked");
        QCOMPARE(seen.text, box);
        QCOMPARE(names(*dlg.eventTable()), rows);
        QCOMPARE(dlg.schedulePath(), path);
        QCOMPARE(dlg.windowTitle(), title(takesTheFile ? path : userFile("NoName.sked")));
        QCOMPARE(dlg.isModified(), takesTheFile ? 0 : 1);
        QVERIFY(QFile::exists(path) || chosen.isEmpty());
    }

    void failedSaveKeepsTheChanges_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder that does not exist") << "missing/a.sked";
        QTest::newRow("a folder") << "folder";
    }

    void failedSaveKeepsTheChanges()
    {
        QFETCH(QString, target);
        QVERIFY(QDir(m_work.path()).mkdir("folder"));
        CSchedulerDlg dlg;
        dlg.show();
        MenuItem(dlg, CommandId::FileNew)->trigger();
        dlg.eventTable()->insertAtTop(QStringLiteral("unsaved"));

        SeenBox seen;
        int result = -1;
        {
            ModalChain chain({press(QMessageBox::Ok, &seen)});
            result = dlg.SaveSchedule(workFile(target));
            QCOMPARE(chain.answered(), 1);
        }
        QCOMPARE(result, 0);
        QCOMPARE(seen.caption, QStringLiteral("Warning"));
        QVERIFY2(seen.text.contains(workFile(target)), qPrintable(seen.text));
        // The system's reason follows the name.
        QVERIFY2(seen.text.section(workFile(target), 1).trimmed().size() > 2, qPrintable(seen.text));
        QCOMPARE(dlg.isModified(), 1);
        QCOMPARE(dlg.windowTitle(), title(userFile("NoName.sked")));
    }

    // A file read only up to a bad record holds more than the window: the
    // first save over it keeps it, byte for byte, beside it, and says where.
    // A copy already there is never replaced by another file.
    void partlyReadFileIsKeptBeforeTheFirstSave_data()
    {
        QTest::addColumn<bool>("byClosing");
        QTest::addColumn<QByteArray>("copyThere");
        QTest::addColumn<QString>("copy");
        QTest::newRow("Save") << false << QByteArray() << "bad.sked.bak";
        QTest::newRow("Yes on closing") << true << QByteArray() << "bad.sked.bak";
        QTest::newRow("a copy of something else there")
            << false << QByteArray("someone's own\n") << "bad.sked.2.bak";
        QTest::newRow("the same copy there") << false << contents(fixture("bad-third-record.sked"))
                                             << "bad.sked.bak";
    }

    void partlyReadFileIsKeptBeforeTheFirstSave()
    {
        QFETCH(bool, byClosing);
        QFETCH(QByteArray, copyThere);
        QFETCH(QString, copy);
        const QString path = workFile("bad.sked");
        const QByteArray original = contents(fixture("bad-third-record.sked"));
        QVERIFY(QFile::copy(fixture("bad-third-record.sked"), path));
        if (!copyThere.isEmpty()) {
            QFile file(workFile("bad.sked.bak"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(copyThere);
        }

        CSchedulerDlg dlg;
        dlg.show();
        SeenBox invalid;
        {
            ModalChain chain({choose(path), press(QMessageBox::Ok, &invalid)});
            QTest::mouseClick(ToolButton(dlg, CommandId::FileOpen), Qt::LeftButton);
            QTRY_COMPARE(chain.answered(), 2);
        }
        QCOMPARE(invalid.text, QStringLiteral("This File is Invalid"));
        QCOMPARE(names(*dlg.eventTable()), (QStringList{"R2", "R3"}));
        QCOMPARE(dlg.schedulePath(), path);

        SeenBox saved;
        if (byClosing) {
            clickRow(dlg, 0);
            QTest::mouseClick(ToolButton(dlg, CommandId::EventDelete), Qt::LeftButton);
            ModalChain chain({press(QMessageBox::Yes), press(QMessageBox::Ok, &saved)});
            dlg.close();
            QTRY_COMPARE(chain.answered(), 2);
            QVERIFY(!dlg.isVisible());
        } else {
            ModalChain chain({press(QMessageBox::Ok, &saved)});
            QTest::mouseClick(ToolButton(dlg, CommandId::FileSave), Qt::LeftButton);
            QTRY_COMPARE(chain.answered(), 1);
        }
        QCOMPARE(saved.icon, QMessageBox::Information);
        QCOMPARE(saved.text, QStringLiteral("The schedule was saved to %1.\n\nThat file had not been "
                                            "read completely when it was opened, so the file as it "
                                            "was before is kept as %2.")
                                 .arg(path, workFile(copy)));
        QCOMPARE(contents(workFile(copy)), original);
        if (!copyThere.isEmpty())
            QCOMPARE(contents(workFile("bad.sked.bak")), copyThere);
        QCOMPARE(dlg.isModified(), 0);
        const QByteArray written = contents(path);
        QVERIFY(written.startsWith("KQ10000\tR3\t"));
        QCOMPARE(written.count("KQ10000"), byClosing ? 1 : 2);

        // Later saves replace the file without a word and leave the copy.
        if (!byClosing) {
            clickRow(dlg, 1);
            QTest::mouseClick(ToolButton(dlg, CommandId::EventDelete), Qt::LeftButton);
            ModalChain none({press(QMessageBox::Ok)}, 300);
            QTest::mouseClick(ToolButton(dlg, CommandId::FileSave), Qt::LeftButton);
            QTest::qWait(350);
            QCOMPARE(none.answered(), 0);
            QCOMPARE(contents(path).count("KQ10000"), 1);
            QCOMPARE(contents(workFile(copy)), original);
        }
        const QStringList copies = QDir(m_work.path()).entryList({"*.bak"}, QDir::Files);
        QCOMPARE(copies.size(), copyThere.isEmpty() || copy == "bad.sked.bak" ? 1 : 2);
    }

    // A field the file cannot hold whole is not cut or split: the save
    // names the event and the field and writes nothing.
    void saveRefusesAFieldTooLongForTheFile()
    {
        // A wave whose path is longer than a field holds.
        QString folder = m_work.path();
        while (folder.toUtf8().size() < 250)
            folder += u'/' + QString(60, u'd');
        QVERIFY(QDir().mkpath(folder));
        const QString wave = folder + "/chime.wav";
        QVERIFY(WaveFile::Write(wave, AudibleWave(1000, 1, 1000)));
        QVERIFY(WaveFile::Write(workFile("tea.wav"), AudibleWave(1000, 1, 1000)));
        const QString path = workFile("tea.sked");
        const QByteArray original = "KQ10000\tTea\t0\t" + workFile("tea.wav").toUtf8()
                                    + "\t00:12:30\t01:00:00\t3*\t00:00:04\r\n";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(original);
        }
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(dlg.OpenScheduleFile(path));
        dlg.eventList()->setFocusedRow(0);

        {
            // The editor: Open / New chooses the wave, then OK.
            ModalChain chain({[wave](QWidget *w) {
                ModalAnswer file(choose(wave));
                QTest::mouseClick(w->findChild<QPushButton *>("buttonOpenNew"), Qt::LeftButton);
                QVERIFY(file.seen());
                QTest::mouseClick(w->findChild<QPushButton *>("buttonOk"), Qt::LeftButton);
            }});
            MenuItem(dlg, CommandId::EventModify)->trigger();
            QTRY_COMPARE(chain.answered(), 1);
        }
        QCOMPARE(dlg.eventTable()->text(0, EventTable::WaveFile), wave);
        QCOMPARE(dlg.isModified(), 1);

        SeenBox warning;
        ModalChain chain({press(QMessageBox::Ok, &warning)});
        QTest::mouseClick(ToolButton(dlg, CommandId::FileSave), Qt::LeftButton);
        QTRY_COMPARE(chain.answered(), 1);
        QCOMPARE(warning.caption, QStringLiteral("Warning"));
        QVERIFY2(warning.text.contains(QStringLiteral("The field \"Wave file\" of the event \"Tea\" is %1 bytes long")
                                           .arg(wave.toUtf8().size())),
                 qPrintable(warning.text));
        QCOMPARE(dlg.isModified(), 1);
        QCOMPARE(contents(path), original);
        QCOMPARE(QDir(m_work.path()).entryList(QDir::Files), (QStringList{"tea.sked", "tea.wav"}));
    }

    void failedSaveStopsClosing()
    {
        CSchedulerDlg dlg;
        dlg.show();
        MenuItem(dlg, CommandId::FileNew)->trigger();
        dlg.eventTable()->insertAtTop(QStringLiteral("unsaved"));
        SeenBox warning;
        ModalChain chain({press(QMessageBox::Yes), choose(workFile("missing/a.sked")),
                          press(QMessageBox::Ok, &warning)});
        dlg.close();
        QTRY_COMPARE(chain.answered(), 3);
        QCOMPARE(warning.caption, QStringLiteral("Warning"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.isModified(), 1);
        QCOMPARE(dlg.windowTitle(), title(userFile("NoName.sked")));
        QCOMPARE(recordedLast(), NotRecorded);
    }

    void otherWaysOfEndingNeitherAskNorRecord_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit") << "exit";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Escape") << "escape";
    }

    void otherWaysOfEndingNeitherAskNorRecord()
    {
        QFETCH(QString, how);
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        MenuItem(dlg, CommandId::FileNew)->trigger();
        ModalChain none({cancel()});
        if (how == "exit")
            MenuItem(dlg, CommandId::FileExit)->trigger();
        else
            QTest::keyClick(&dlg, how == "enter" ? Qt::Key_Return : Qt::Key_Escape);
        QCOMPARE(none.answered(), 0);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(recordedLast(), NotRecorded);
    }

    void largeScheduleOpensQuickly()
    {
        // 100,000 records, each with its own name.
        QByteArray data;
        for (int i = 0; i < 100000; ++i)
            data += "KQ10000\tEvent " + QByteArray::number(i)
                    + "\t0\t/snd/event.wav\t00:00:10\t01:00:00\t1*\t00:00:02\r\n";
        QFile file(workFile("large.sked"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();

        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const qint64 before = threadCpuMs();
        dlg.LoadSchedule(workFile("large.sked"));
        const qint64 elapsed = threadCpuMs() - before;
        QCOMPARE(dlg.eventTable()->rowCount(), 100000);
        QCOMPARE(dlg.eventTable()->text(0, EventTable::EventName), QStringLiteral("Event 99999"));
        QCOMPARE(dlg.eventTable()->text(99999, EventTable::EventName), QStringLiteral("Event 0"));
        qInfo("100,000 records loaded in %lld ms of processor time", elapsed);
        // Well under a second. Processor time, not wall time, so that other
        // builds on the machine do not count; the bound still catches work
        // that grows with the square of the records, which takes minutes.
        QVERIFY2(elapsed < 1500, qPrintable(QString::number(elapsed)));
    }

private:
    QString fixture(const QString &name) const
    {
        return QStringLiteral(PARLOWEN_TEST_DATA_DIR "/") + name;
    }
    // What the program writes for the user lives in the per-user folder.
    QString userFile(const QString &name) const { return UserDataDirectory() + name; }
    QString workFile(const QString &name) const { return m_work.filePath(name); }

    QTemporaryDir m_programDir;
    QTemporaryDir m_work;
};

PARLOWEN_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
