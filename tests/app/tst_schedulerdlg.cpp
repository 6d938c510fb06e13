#include "commandids.h"
#include "eventlistctrl.h"
#include "help.h"
#include "helpfile.h"
#include "mainwindowcontrols.h"
#include "modalanswer.h"
#include "profile.h"
#include "programdirectory.h"
#include "schedulerdlg.h"
#include "testmain.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

class TestSchedulerDlg : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_programDir.isValid());
        for (const QString &name : QDir(m_programDir.path()).entryList(QDir::Files))
            QVERIFY(QFile::remove(m_programDir.filePath(name)));
        SetProgramDirectoryForTesting(m_programDir.path());
    }

    void startsWithTheTemplateState()
    {
        // With no schedule to reopen the title stays the template's.
        QVERIFY(Profile::WriteString("FILE", "LAST", QString()));
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        QCOMPARE(dlg.windowTitle(), QStringLiteral("Morvane (version 0.02)"));
        // The template's 416 x 199 dialog units, below the menu bar.
        QCOMPARE(dlg.clientArea()->width(), 624);
        QVERIFY(dlg.clientArea()->height() >= 323);
        QCOMPARE(dlg.findChild<QLineEdit *>("editPause")->text(), QStringLiteral("0"));
        QVERIFY(!dlg.findChild<QCheckBox *>("checkPlayBetween")->isChecked());
        for (const char *name : {"dtpFrom", "dtpTo"}) {
            const auto *picker = dlg.findChild<QDateTimeEdit *>(name);
            QVERIFY(picker->dateTime() >= before);
            QVERIFY(picker->dateTime() <= QDateTime::currentDateTime());
            QCOMPARE(picker->displayedSections(), QDateTimeEdit::HourSection
                                                      | QDateTimeEdit::MinuteSection
                                                      | QDateTimeEdit::SecondSection);
        }
        QVERIFY(dlg.IsToolbarButtonEnabled(CommandId::ScheduleStart));
        QVERIFY(!dlg.IsToolbarButtonEnabled(CommandId::ScheduleStop));

        QStringList menus;
        for (QAction *a : dlg.menuBar()->actions())
            if (a->menu())
                menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "Event", "Parlo", "Help"}));
        // Menu items are never greyed, not even Stop while stopped.
        QVERIFY(MenuItem(dlg, CommandId::ScheduleStop)->isEnabled());

        CEventListCtrl *list = dlg.eventList();
        QCOMPARE(list->highlightMode(), int(CEventListCtrl::HighlightColumns));
        QCOMPARE(list->palette().color(QPalette::Base), QColor(Qt::white));
        for (int c = 0; c < 6; ++c)
            QCOMPARE(list->columnWidth(c), 100);
        QCOMPARE(list->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Length"));
    }

    // One menu bar, Help at its right end whatever the style, and the arrow
    // keys go from one menu to the next up to Help.
    void helpIsTheLastMenuOfTheOneBarAtItsRightEnd_data()
    {
        QTest::addColumn<QString>("style");
        QTest::newRow("Fusion") << "Fusion";
        QTest::newRow("Windows") << "Windows";
    }

    void helpIsTheLastMenuOfTheOneBarAtItsRightEnd()
    {
        QFETCH(QString, style);
        const QString before = QApplication::style()->name();
        QApplication::setStyle(style);
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QMenuBar *bar = dlg.menuBar();
        QCOMPARE(dlg.findChildren<QMenuBar *>().size(), 1);
        QVERIFY(!bar->cornerWidget(Qt::TopRightCorner));

        QList<QAction *> menus;
        for (QAction *a : bar->actions())
            if (a->menu())
                menus << a;
        QCOMPARE(menus.size(), 4);
        QAction *parlo = menus.at(2);
        QAction *help = menus.at(3);
        QCOMPARE(help->text(), QStringLiteral("Help"));
        const QRect helpRect = bar->actionGeometry(help);
        QVERIFY2(helpRect.right() >= bar->width() - 12,
                 qPrintable(QStringLiteral("Help ends at %1 of %2").arg(helpRect.right()).arg(bar->width())));
        QVERIFY(helpRect.left() > bar->actionGeometry(parlo).right() + 100);
        // It is still reached by a click and shows its items.
        QCOMPARE(bar->actionAt(helpRect.center()), help);

        bar->setActiveAction(parlo);
        QTRY_VERIFY(parlo->menu()->isVisible());
        QTest::keyClick(parlo->menu(), Qt::Key_Right);
        QTRY_COMPARE(bar->activeAction(), help);
        QTRY_VERIFY(help->menu()->isVisible());
        QTest::keyClick(help->menu(), Qt::Key_Escape);
        QTest::keyClick(bar, Qt::Key_Escape);
        dlg.hide();
        QApplication::setStyle(before);
    }

    void toolbarHoldsTheButtonsInOrder()
    {
        CSchedulerDlg dlg;
        QList<int> ids;
        for (QAction *action : dlg.toolbar()->actions()) {
            ids << (action->isSeparator() ? 0 : action->data().toInt());
            QVERIFY(action->text().isEmpty());
            QVERIFY(action->toolTip().isEmpty());
        }
        namespace C = CommandId;
        QCOMPARE(ids, (QList<int>{C::FileNew, C::FileOpen, C::FileSave, 0, C::EventAdd,
                                  C::EventDelete, 0, C::ScheduleStart, C::ScheduleStop, 0, C::Help}));
        QCOMPARE(dlg.toolbar()->iconSize(), QSize(28, 28));
        QCOMPARE(dlg.toolbar()->parentWidget()->geometry(), QRect(0, 0, 950, 40));
    }

    void listFollowsTheClientArea_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QRect>("list");
        QTest::newRow("800 x 500") << QSize(800, 500) << QRect(130, 50, 660, 445);
        QTest::newRow("wide") << QSize(1400, 700) << QRect(130, 50, 1260, 645);
        QTest::newRow("smaller than the margins") << QSize(100, 40) << QRect(130, 50, 0, 0);
    }

    void listFollowsTheClientArea()
    {
        QFETCH(QSize, client);
        QFETCH(QRect, list);
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.setMinimumSize(0, 0);
        const int menuHeight = dlg.height() - dlg.clientArea()->height();
        dlg.resize(client.width(), client.height() + menuHeight);
        QTRY_COMPARE(dlg.clientArea()->size(), client);
        QCOMPARE(dlg.eventList()->geometry(), list);
        // The toolbar strip keeps its width whatever the window's.
        QCOMPARE(dlg.toolbar()->parentWidget()->width(), 950);
    }

    void cannotBeMadeSmallerThanTheMinimum()
    {
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.resize(100, 100);
        QTRY_COMPARE(dlg.frameGeometry().size(), QSize(600, 370));
    }

    void windowMenuRestoresAMaximisedWindow()
    {
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QMenu *menu = dlg.windowMenu();
        auto item = [menu](int id) {
            for (QAction *action : menu->actions())
                if (action->data().toInt() == id)
                    return action;
            return static_cast<QAction *>(nullptr);
        };
        auto choose = [&](int id) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item(id)).center());
        };
        QVERIFY(item(SysCommand::Restore));

        QTest::keyClick(&dlg, Qt::Key_Space, Qt::AltModifier);
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(!item(SysCommand::Restore)->isEnabled());
        QVERIFY(item(SysCommand::Maximize)->isEnabled());
        choose(SysCommand::Maximize);
        QTRY_VERIFY(dlg.isMaximized());

        QTest::keyClick(&dlg, Qt::Key_Space, Qt::AltModifier);
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(item(SysCommand::Restore)->isEnabled());
        QVERIFY(!item(SysCommand::Maximize)->isEnabled());
        choose(SysCommand::Restore);
        QTRY_VERIFY(!dlg.isMaximized());
        QVERIFY(!menu->isVisible());
    }

    void enterValidatesThePause_data()
    {
        QTest::addColumn<QString>("pause");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << "Please enter an integer.";
        QTest::newRow("too large") << "100" << "Please enter an integer between 0 and 99.";
        QTest::newRow("more digits than a number holds")
            << "99999999999999999999" << "Please enter an integer between 0 and 99.";
        QTest::newRow("largest") << "99" << "";
        QTest::newRow("five") << "5" << "";
    }

    void enterValidatesThePause()
    {
        QFETCH(QString, pause);
        QFETCH(QString, message);
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *edit = dlg.findChild<QLineEdit *>("editPause");
        edit->setText(pause);
        dlg.eventList()->setFocus();

        QString text, caption;
        auto answer = ModalAnswer::messageBox(QMessageBox::Ok, &text, &caption);
        QTest::keyClick(&dlg, Qt::Key_Return);
        if (message.isEmpty()) {
            QVERIFY(!dlg.isVisible());
            QCOMPARE(dlg.result(), int(IdOk));
            QVERIFY(!answer.seen());
        } else {
            QTRY_VERIFY(answer.seen());
            QCOMPARE(text, message);
            QCOMPARE(caption, QStringLiteral("parlowen"));
            QVERIFY(dlg.isVisible());
            QTRY_COMPARE(dlg.focusWidget(), edit);
        }
    }

    void waysOfClosing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("File > Exit") << "exit" << int(IdOk);
        QTest::newRow("Escape") << "escape" << int(IdCancel);
        QTest::newRow("close box") << "close" << int(IdCancel);
        QTest::newRow("window menu Close") << "sysclose" << int(IdCancel);
    }

    void waysOfClosing()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        if (how == "exit")
            MenuItem(dlg, CommandId::FileExit)->trigger();
        else if (how == "escape")
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else if (how == "close")
            dlg.close();
        else
            dlg.OnSysCommand(SysCommand::Close);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), result);
    }

    void menuAboutShowsTheInternalBox()
    {
        writeExternalAbout();
        CSchedulerDlg dlg;
        QString title;
        ModalAnswer answer([&](QWidget *w) {
            title = w->windowTitle();
            static_cast<QDialog *>(w)->accept();
        });
        MenuItem(dlg, CommandId::AppAbout)->trigger();
        QVERIFY(answer.seen());
        QCOMPARE(title, QStringLiteral("About Parlowen"));
        // The menu command never tries the external program.
        QTest::qWait(100);
        QVERIFY(!QFile::exists(m_programDir.filePath("about-ran")));
    }

    void windowMenuAboutPrefersTheExternalProgram()
    {
        writeExternalAbout();
        CSchedulerDlg dlg;
        const QList<QAction *> items = dlg.windowMenu()->actions();
        QCOMPARE(items.last()->text(), QStringLiteral("&About Parlowen..."));
        QVERIFY(items.at(items.size() - 2)->isSeparator());

        ModalAnswer answer([](QWidget *w) { static_cast<QDialog *>(w)->accept(); }, 300);
        items.last()->trigger();
        QTRY_VERIFY(QFile::exists(m_programDir.filePath("about-ran")));
        QTest::qWait(350);
        QVERIFY(!answer.seen());
    }

    void windowMenuAboutFallsBackToTheInternalBox()
    {
        CSchedulerDlg dlg;
        QString title;
        ModalAnswer answer([&](QWidget *w) {
            title = w->windowTitle();
            static_cast<QDialog *>(w)->accept();
        });
        dlg.OnSysCommand(SysCommand::About);
        QVERIFY(answer.seen());
        QCOMPARE(title, QStringLiteral("About Parlowen"));
    }

    void helpOpensTheHelpWindowFromMenuAndToolbar_data()
    {
        QTest::addColumn<bool>("fromToolbar");
        QTest::newRow("menu") << false;
        QTest::newRow("toolbar") << true;
    }

    void helpOpensTheHelpWindowFromMenuAndToolbar()
    {
        QFETCH(bool, fromToolbar);
        QVERIFY(WriteHelpFile(m_programDir.path()));
        {
            CSchedulerDlg dlg;
            dlg.show();
            if (fromToolbar)
                QTest::mouseClick(ToolButton(dlg, CommandId::Help), Qt::LeftButton);
            else
                MenuItem(dlg, CommandId::Help)->trigger();
            QTRY_VERIFY(Help::IsShown());
        }
        // The main window takes its help window with it.
        QTRY_VERIFY(!Help::IsShown());
    }

    void missingHelpFileIsReported()
    {
        CSchedulerDlg dlg;
        QString text;
        auto answer = ModalAnswer::messageBox(QMessageBox::Ok, &text);
        dlg.OnHelp();
        QVERIFY(answer.seen());
        QCOMPARE(text, QStringLiteral("Failed to launch help."));
        QVERIFY(!Help::IsShown());
    }

private:
    // A stand-in for the external About program that leaves a mark.
    void writeExternalAbout()
    {
        QFile script(m_programDir.filePath("AboutKQ"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(m_programDir.filePath("about-ran")).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    QTemporaryDir m_programDir;
};

PARLOWEN_TEST_MAIN(TestSchedulerDlg)
#include "tst_schedulerdlg.moc"
