#include "commandids.h"
#include "eventdlg.h"
#include "help.h"
#include "modalanswer.h"
#include "programdirectory.h"
#include "testmain.h"
#include "updowncontrol.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

// The editor once the wave device has reported a wave of the given length,
// which is what lets the count and the length recompute each other.
class OpenDeviceEditor : public CEventDlg
{
public:
    explicit OpenDeviceEditor(quint32 waveLengthMs)
    {
        m_bDeviceOpen = 1;
        m_dwWaveLength = waveLengthMs;
    }
};

template<class T = QLineEdit>
T *child(QWidget &dlg, const char *name)
{
    T *widget = dlg.findChild<T *>(name);
    if (!widget)
        qFatal("no %s in the editor", name);
    return widget;
}

// Replaces an edit's text by typing, as the user would.
void retype(QWidget &dlg, const char *name, const QString &text)
{
    auto *edit = child(dlg, name);
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

void clickArrow(QWidget &dlg, const char *name, bool up)
{
    auto *spin = child<UpDownControl>(dlg, name);
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, up ? 3 : spin->height() - 3));
}

void fillAsAdd(CEventDlg &dlg)
{
    dlg.setFields(NewEventFields(QStringLiteral("Default.wav")));
}

QStringList repetitionTexts(QWidget &dlg)
{
    QStringList texts;
    for (const char *name : {"editRepCount", "editRepHour", "editRepMin", "editRepSec"})
        texts << child(dlg, name)->text();
    return texts;
}

} // namespace

class TestEventDlg : public QObject
{
    Q_OBJECT

private slots:
    void showsTheMembers_data()
    {
        QTest::addColumn<int>("countMode");
        QTest::newRow("by count") << 1;
        QTest::newRow("by length") << 0;
    }

    void showsTheMembers()
    {
        QFETCH(int, countMode);
        CEventDlg dlg;
        QCOMPARE(dlg.m_strCaption, QStringLiteral("Add Event"));
        QVERIFY(dlg.m_strEventName.isEmpty() && dlg.m_strRepCount.isEmpty());
        fillAsAdd(dlg);
        dlg.m_strCaption = QStringLiteral("Modify Event");
        dlg.m_bCountMode = countMode;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        QCOMPARE(dlg.windowTitle(), QStringLiteral("Modify Event"));
        QCOMPARE(child(dlg, "editEventName")->text(), QStringLiteral("No_Name"));
        QCOMPARE(child(dlg, "editWaveFile")->text(), QStringLiteral("Default.wav"));
        QVERIFY(child(dlg, "editWaveFile")->isReadOnly());
        QCOMPARE(child(dlg, "editIntervalHour")->text(), QStringLiteral("1"));
        QCOMPARE(repetitionTexts(dlg), (QStringList{"50", "0", "5", "0"}));
        QCOMPARE(child<QRadioButton>(dlg, "radioCount")->isChecked(), countMode == 1);
        QCOMPARE(child<QRadioButton>(dlg, "radioLength")->isChecked(), countMode == 0);
        // Position and length stay blank until the wave device reports them.
        QVERIFY(child<QLabel>(dlg, "labelLength")->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), child(dlg, "editEventName"));
    }

    void arrowsWrapWithinTheirRanges_data()
    {
        QTest::addColumn<QByteArray>("edit");
        QTest::addColumn<QByteArray>("spin");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("to");
        QTest::newRow("interval hours 23 up") << QByteArray("editIntervalHour") << QByteArray("spinIntervalHour") << "23" << true << "0";
        QTest::newRow("interval hours 0 down") << QByteArray("editIntervalHour") << QByteArray("spinIntervalHour") << "0" << false << "23";
        QTest::newRow("interval minutes 59 up") << QByteArray("editIntervalMin") << QByteArray("spinIntervalMin") << "59" << true << "0";
        QTest::newRow("interval seconds 0 down") << QByteArray("editIntervalSec") << QByteArray("spinIntervalSec") << "0" << false << "59";
        QTest::newRow("length hours 0 down") << QByteArray("editRepHour") << QByteArray("spinRepHour") << "0" << false << "23";
        QTest::newRow("length minutes 0 down") << QByteArray("editRepMin") << QByteArray("spinRepMin") << "0" << false << "59";
        QTest::newRow("length seconds 59 up") << QByteArray("editRepSec") << QByteArray("spinRepSec") << "59" << true << "0";
        QTest::newRow("count 9999 up") << QByteArray("editRepCount") << QByteArray("spinRepCount") << "9999" << true << "1";
        QTest::newRow("count 1 down") << QByteArray("editRepCount") << QByteArray("spinRepCount") << "1" << false << "9999";
    }

    void arrowsWrapWithinTheirRanges()
    {
        QFETCH(QByteArray, edit);
        QFETCH(QByteArray, spin);
        QFETCH(QString, from);
        QFETCH(bool, up);
        QFETCH(QString, to);
        CEventDlg dlg;
        fillAsAdd(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        retype(dlg, edit, from);
        clickArrow(dlg, spin, up);
        QCOMPARE(child(dlg, edit)->text(), to);
    }

    void typedTimesStayAsTyped()
    {
        CEventDlg dlg;
        fillAsAdd(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        retype(dlg, "editIntervalMin", "75");
        // Digits only: other keys are refused.
        retype(dlg, "editRepSec", "4x-5");
        QTest::mouseClick(child<QPushButton>(dlg, "buttonOk"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(IdOk));
        QCOMPARE(dlg.m_strIntervalMin, QStringLiteral("75"));
        QCOMPARE(dlg.m_strRepSec, QStringLiteral("45"));
    }

    void okNeedsAName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("one blank") << " " << true;
    }

    void okNeedsAName()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        CEventDlg dlg;
        fillAsAdd(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        retype(dlg, "editEventName", name);

        QString text, caption;
        auto answer = ModalAnswer::messageBox(QMessageBox::Ok, &text, &caption);
        QTest::mouseClick(child<QPushButton>(dlg, "buttonOk"), Qt::LeftButton);
        QCOMPARE(answer.seen(), !accepted);
        QCOMPARE(dlg.isVisible(), !accepted);
        if (accepted) {
            QCOMPARE(dlg.result(), int(IdOk));
            QCOMPARE(dlg.m_strEventName, name);
        } else {
            QCOMPARE(text, QStringLiteral("You have to specify an Event Name"));
            QCOMPARE(caption, QStringLiteral("Warning"));
            // Everything the user typed is still there.
            QCOMPARE(child(dlg, "editWaveFile")->text(), QStringLiteral("Default.wav"));
        }
    }

    void waysOfCancelling_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }

    void waysOfCancelling()
    {
        QFETCH(QString, how);
        CEventDlg dlg;
        fillAsAdd(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        retype(dlg, "editEventName", "Changed");
        retype(dlg, "editRepCount", "7");
        if (how == "cancel")
            QTest::mouseClick(child<QPushButton>(dlg, "buttonCancel"), Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(child(dlg, "editRepCount"), Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(IdCancel));
        QCOMPARE(dlg.fields(), NewEventFields(QStringLiteral("Default.wav")));
    }

    void radiosSetTheModeOnly()
    {
        OpenDeviceEditor dlg(2500);
        fillAsAdd(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QStringList before = repetitionTexts(dlg);
        QTest::mouseClick(child<QRadioButton>(dlg, "radioCount"), Qt::LeftButton);
        QCOMPARE(dlg.m_bCountMode, 1);
        QVERIFY(!child<QRadioButton>(dlg, "radioLength")->isChecked());
        QCOMPARE(repetitionTexts(dlg), before);
        QTest::mouseClick(child<QRadioButton>(dlg, "radioLength"), Qt::LeftButton);
        QCOMPARE(dlg.m_bCountMode, 0);
        QVERIFY(!child<QRadioButton>(dlg, "radioCount")->isChecked());
        QCOMPARE(repetitionTexts(dlg), before);
    }

    void userChangesRecompute_data()
    {
        QTest::addColumn<int>("countMode");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("texts");
        // The radio does not decide: whichever value the user changes last
        // is kept and the other one follows.
        QTest::newRow("count typed") << 0 << "type count 50" << QStringList{"50", "0", "2", "6"};
        QTest::newRow("count stepped") << 0 << "step count" << QStringList{"51", "0", "2", "8"};
        QTest::newRow("minutes typed") << 1 << "type minutes 6" << QStringList{"144", "0", "6", "0"};
        QTest::newRow("seconds stepped") << 1 << "step seconds" << QStringList{"120", "0", "5", "1"};
        QTest::newRow("length shorter than the wave") << 0 << "empty minutes" << QStringList{"0", "0", "", "0"};
    }

    void userChangesRecompute()
    {
        QFETCH(int, countMode);
        QFETCH(QString, change);
        QFETCH(QStringList, texts);
        OpenDeviceEditor dlg(2500);
        fillAsAdd(dlg);
        dlg.m_bCountMode = countMode;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        if (change == "type count 50")
            retype(dlg, "editRepCount", "50");
        else if (change == "step count")
            clickArrow(dlg, "spinRepCount", true);
        else if (change == "type minutes 6")
            retype(dlg, "editRepMin", "6");
        else if (change == "step seconds")
            clickArrow(dlg, "spinRepSec", true);
        else
            retype(dlg, "editRepMin", "");
        QCOMPARE(repetitionTexts(dlg), texts);
    }

    void nothingRecomputesBeforeTheDeviceOpens()
    {
        CEventDlg dlg;
        fillAsAdd(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        retype(dlg, "editRepCount", "7");
        clickArrow(dlg, "spinRepCount", true);
        retype(dlg, "editRepMin", "9");
        QCOMPARE(repetitionTexts(dlg), (QStringList{"8", "0", "9", "0"}));
    }

    void openNewTakesANewName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CEventDlg dlg;
        fillAsAdd(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        QString initialName, suffix;
        ModalAnswer answer([&](QWidget *w) {
            auto *files = qobject_cast<QFileDialog *>(w);
            QVERIFY(files);
            suffix = files->defaultSuffix();
            files->setDirectory(dir.path());
            auto *name = files->findChild<QLineEdit *>("fileNameEdit");
            initialName = name->text();
            name->selectAll();
            QTest::keyClicks(name, "morning");
            QTest::keyClick(name, Qt::Key_Return);
            if (files->isVisible())
                files->reject();
        });
        QTest::mouseClick(child<QPushButton>(dlg, "buttonOpenNew"), Qt::LeftButton);
        QVERIFY(answer.seen());
        QCOMPARE(suffix, QStringLiteral("wav"));
        QCOMPARE(initialName, QStringLiteral("*.wav"));
        const QString chosen = dir.filePath("morning.wav");
        QCOMPARE(dlg.m_strWaveFile, chosen);
        QCOMPARE(child(dlg, "editWaveFile")->text(), chosen);

        // Cancelling the file dialog keeps the file.
        ModalAnswer cancel([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
        QTest::mouseClick(child<QPushButton>(dlg, "buttonOpenNew"), Qt::LeftButton);
        QVERIFY(cancel.seen());
        QCOMPARE(child(dlg, "editWaveFile")->text(), chosen);
    }

    void helpShowsTheProgramsHelp()
    {
        QTemporaryDir programDir;
        QVERIFY(programDir.isValid());
        QFile help(programDir.filePath("parlowen.html"));
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("<html><body><h1>Parlowen Help</h1></body></html>");
        help.close();
        SetProgramDirectoryForTesting(programDir.path());

        CEventDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(child<QPushButton>(dlg, "buttonHelp"), Qt::LeftButton);
        QTRY_VERIFY(Help::IsShown());
        QVERIFY(dlg.isVisible());
        Help::Quit();
    }
};

PARLOWEN_TEST_MAIN(TestEventDlg)
#include "tst_eventdlg.moc"
