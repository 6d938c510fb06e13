#include "commandids.h"
#include "editorcontrols.h"
#include "eventdlg.h"
#include "help.h"
#include "helpfile.h"
#include "modalanswer.h"
#include "profile.h"
#include "programdirectory.h"
#include "testmain.h"
#include "testwaves.h"
#include "updowncontrol.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

// A wave of `ms` milliseconds (at 1,000 frames a second) in `dir`.
QString writeWave(const QTemporaryDir &dir, quint32 ms)
{
    const QString path = dir.filePath(QStringLiteral("%1ms.wav").arg(ms));
    if (!WaveFile::Write(path, AudibleWave(1000, 1, ms)))
        qFatal("cannot write %s", qPrintable(path));
    return path;
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

// As the Add command fills it, with a wave of six seconds: by length, the
// five minutes are fifty plays of it, so the first open changes nothing.
void fillAsAdd(CEventDlg &dlg, const QString &wave)
{
    dlg.setFields(NewEventFields(wave));
}

// Shown, with the wave device opened on its file.
void showOpened(CEventDlg &dlg)
{
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTRY_VERIFY(!child<QLabel>(dlg, "labelLength")->text().isEmpty());
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

    QTemporaryDir m_dir;
    QString m_sixSeconds;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_sixSeconds = writeWave(m_dir, 6000);
    }

    void showsTheMembers_data()
    {
        QTest::addColumn<int>("countMode");
        QTest::addColumn<QStringList>("repetitions");
        // Once the wave is open, the value that was not entered follows.
        QTest::newRow("by count") << 1 << QStringList{"50", "0", "5", "1"};
        QTest::newRow("by length") << 0 << QStringList{"50", "0", "5", "0"};
    }

    void showsTheMembers()
    {
        QFETCH(int, countMode);
        QFETCH(QStringList, repetitions);
        CEventDlg dlg;
        QCOMPARE(dlg.m_strCaption, QStringLiteral("Add Event"));
        QVERIFY(dlg.m_strEventName.isEmpty() && dlg.m_strRepCount.isEmpty());
        fillAsAdd(dlg, m_sixSeconds);
        dlg.m_strCaption = QStringLiteral("Modify Event");
        dlg.m_bCountMode = countMode;
        dlg.show();
        // Position and length stay blank until the wave device reports them,
        // which it does once the dialog is up.
        QVERIFY(child<QLabel>(dlg, "labelLength")->text().isEmpty());
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        QCOMPARE(dlg.windowTitle(), QStringLiteral("Modify Event"));
        QCOMPARE(child(dlg, "editEventName")->text(), QStringLiteral("No_Name"));
        QCOMPARE(child(dlg, "editWaveFile")->text(), m_sixSeconds);
        QVERIFY(child(dlg, "editWaveFile")->isReadOnly());
        QCOMPARE(child(dlg, "editIntervalHour")->text(), QStringLiteral("1"));
        QCOMPARE(child<QRadioButton>(dlg, "radioCount")->isChecked(), countMode == 1);
        QCOMPARE(child<QRadioButton>(dlg, "radioLength")->isChecked(), countMode == 0);
        QTRY_COMPARE(child<QLabel>(dlg, "labelLength")->text(), QStringLiteral("00:00:06"));
        QCOMPARE(child<QLabel>(dlg, "labelCurrent")->text(), QStringLiteral("00:00:00"));
        QCOMPARE(repetitionTexts(dlg), repetitions);
        QTRY_COMPARE(QApplication::focusWidget(), child(dlg, "editEventName"));
    }

    // Every control can be seen and clicked: inside the dialog, clear of
    // the others, and either wholly inside a group box or clear of it.
    void controlsDoNotOverlap()
    {
        CEventDlg dlg;
        fillAsAdd(dlg, m_sixSeconds);
        showOpened(dlg);
        QList<QWidget *> controls;
        QList<QWidget *> groups;
        for (QWidget *w : dlg.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisible())
                (qobject_cast<QGroupBox *>(w) ? groups : controls).append(w);
        }
        QVERIFY(controls.size() > 30);
        const auto names = [](const QWidget *a, const QWidget *b) {
            return qPrintable(a->objectName() + QStringLiteral(" and ") + b->objectName());
        };
        for (const QWidget *c : controls) {
            QVERIFY2(dlg.rect().contains(c->geometry()), qPrintable(c->objectName()));
            for (const QWidget *other : controls)
                QVERIFY2(c == other || !c->geometry().intersects(other->geometry()), names(c, other));
            for (const QWidget *group : groups) {
                const QRect g = group->geometry();
                QVERIFY2(!g.intersects(c->geometry()) || g.contains(c->geometry()), names(c, group));
            }
        }
        for (const QWidget *g : groups)
            for (const QWidget *other : groups)
                QVERIFY2(g == other || !g->geometry().intersects(other->geometry()), names(g, other));
        dlg.reject();
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
        fillAsAdd(dlg, m_sixSeconds);
        showOpened(dlg);
        retype(dlg, edit, from);
        clickArrow(dlg, spin, up);
        QCOMPARE(child(dlg, edit)->text(), to);
    }

    void typedTimesStayAsTyped()
    {
        CEventDlg dlg;
        fillAsAdd(dlg, m_sixSeconds);
        showOpened(dlg);
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
        fillAsAdd(dlg, m_sixSeconds);
        showOpened(dlg);
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
            QCOMPARE(child(dlg, "editWaveFile")->text(), m_sixSeconds);
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
        fillAsAdd(dlg, m_sixSeconds);
        showOpened(dlg);
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
        // The members may hold what was typed (every recompute and every
        // refresh of the position reads the controls); the caller reads them
        // only after OK, which the event commands' tests check.
    }

    void radiosSetTheModeOnly()
    {
        CEventDlg dlg;
        fillAsAdd(dlg, writeWave(m_dir, 2500));
        showOpened(dlg);
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
        // is kept and the other one follows. With a wave of 2.5 s the open
        // makes 5 minutes 120 plays (by length) or 50 plays 0:2:6 (by count).
        QTest::newRow("count typed") << 0 << "type count 50" << QStringList{"50", "0", "2", "6"};
        QTest::newRow("count stepped") << 0 << "step count" << QStringList{"121", "0", "5", "3"};
        QTest::newRow("minutes typed") << 1 << "type minutes 6" << QStringList{"146", "0", "6", "6"};
        QTest::newRow("seconds stepped") << 1 << "step seconds" << QStringList{"50", "0", "2", "7"};
        QTest::newRow("length shorter than the wave") << 0 << "empty minutes" << QStringList{"0", "0", "", "0"};
    }

    void userChangesRecompute()
    {
        QFETCH(int, countMode);
        QFETCH(QString, change);
        QFETCH(QStringList, texts);
        CEventDlg dlg;
        fillAsAdd(dlg, writeWave(m_dir, 2500));
        dlg.m_bCountMode = countMode;
        showOpened(dlg);
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
        fillAsAdd(dlg, writeWave(m_dir, 2500));
        dlg.show();
        // The open waits for the event loop; until then changes stay as made.
        retype(dlg, "editRepCount", "7");
        clickArrow(dlg, "spinRepCount", true);
        retype(dlg, "editRepMin", "9");
        QCOMPARE(repetitionTexts(dlg), (QStringList{"8", "0", "9", "0"}));
        // Then the count follows the length, as the mode is by length.
        QTRY_COMPARE(repetitionTexts(dlg), (QStringList{"216", "0", "9", "0"}));
    }

    void openNewTakesANewName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CEventDlg dlg;
        fillAsAdd(dlg, m_sixSeconds);
        showOpened(dlg);

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
        // The new name is made into an empty wave, opened and remembered.
        const std::optional<WaveData> made = WaveFile::Read(chosen);
        QVERIFY(made);
        QCOMPARE(made->sampleRate, WaveDevice::DefaultSampleRate);
        QCOMPARE(made->channels, WaveDevice::DefaultChannels);
        QCOMPARE(child<QLabel>(dlg, "labelLength")->text(), QStringLiteral("00:00:00"));
        QCOMPARE(Profile::ReadString("Last", "FileName", {}), chosen);
        // An empty wave makes no play of any length.
        QCOMPARE(child(dlg, "editRepCount")->text(), QStringLiteral("0"));

        // Cancelling the file dialog keeps the file.
        ModalAnswer cancel([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
        QTest::mouseClick(child<QPushButton>(dlg, "buttonOpenNew"), Qt::LeftButton);
        QVERIFY(cancel.seen());
        QCOMPARE(child(dlg, "editWaveFile")->text(), chosen);
    }

    // The name must fit one field of the schedule file, which counts UTF-8
    // bytes: what is put in beyond that is cut between two characters, and
    // the text after the cursor stays.
    void nameIsCutToWhatAFieldHolds_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QString>("name");
        const QString e = QStringLiteral("\u00e9");
        const QString smile = QString::fromUtf8("\xf0\x9f\x98\x80");
        const QString eAcute = QStringLiteral("e\u0301");
        QTest::newRow("200 two-byte letters") << "" << 0 << e.repeated(200) << e.repeated(127);
        QTest::newRow("300 ASCII letters") << "" << 0 << QString(300, u'a') << QString(254, u'a');
        QTest::newRow("four-byte characters stay whole") << "" << 0 << smile.repeated(100) << smile.repeated(63);
        QTest::newRow("a combining mark stays with its letter")
            << "" << 0 << eAcute.repeated(100) << eAcute.repeated(84);
        QTest::newRow("pasted in the middle")
            << "Tea time" << 3 << QString(300, u'x') << "Tea" + QString(246, u'x') + " time";
        QTest::newRow("one more letter when full") << QString(254, u'a') << 254 << "z" << QString(254, u'a');
        QTest::newRow("fits") << "Tea" << 3 << e.repeated(10) << "Tea" + e.repeated(10);
    }

    void nameIsCutToWhatAFieldHolds()
    {
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(QString, inserted);
        QFETCH(QString, name);
        CEventDlg dlg;
        fillAsAdd(dlg, m_sixSeconds);
        dlg.m_strEventName = before;
        showOpened(dlg);
        QLineEdit *edit = child(dlg, "editEventName");
        edit->setCursorPosition(cursor);
        edit->insert(inserted);
        QCOMPARE(edit->text(), name);
        QTest::mouseClick(child<QPushButton>(dlg, "buttonOk"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(IdOk));
        QCOMPARE(dlg.m_strEventName, name);
        QVERIFY(dlg.m_strEventName.toUtf8().size() <= 254);
    }

    void openingAMissingFileCreatesIt()
    {
        const QString path = m_dir.filePath(QStringLiteral("missing.wav"));
        QVERIFY(!QFile::exists(path));
        CEventDlg dlg;
        fillAsAdd(dlg, path);
        showOpened(dlg);
        QVERIFY(WaveFile::Read(path));
        QCOMPARE(child<QLabel>(dlg, "labelLength")->text(), QStringLiteral("00:00:00"));
        QCOMPARE(child<QLabel>(dlg, "labelCurrent")->text(), QStringLiteral("00:00:00"));
        QTest::mouseClick(child<QPushButton>(dlg, "buttonOk"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(IdOk));
        QCOMPARE(dlg.m_strWaveFile, path);
    }

    void aFileThatIsNoWaveIsKeptAndReported_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("button");
        QTest::newRow("text, OK") << QByteArray("just some text\n") << "buttonOk";
        QTest::newRow("cut header, Cancel") << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) << "buttonCancel";
    }

    void aFileThatIsNoWaveIsKeptAndReported()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, button);
        const QString path = m_dir.filePath(QStringLiteral("broken.wav"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();

        CEventDlg dlg;
        fillAsAdd(dlg, path);
        QString text, caption;
        {
            auto answer = ModalAnswer::messageBox(QMessageBox::Ok, &text, &caption);
            dlg.show();
            QTRY_VERIFY(answer.seen());
        }
        QCOMPARE(caption, QStringLiteral("Warning"));
        QCOMPARE(text, WaveDevice::ErrorText(WaveDevice::ErrorNotAWave));
        QCOMPARE(child<QLabel>(dlg, "labelLength")->text(), QStringLiteral("00:00:00"));

        // Stop saves nothing over it: no wave is open to stop or to save.
        {
            QString stopText, saveText;
            auto stop = ModalAnswer::messageBox(QMessageBox::Ok, &stopText);
            auto save = ModalAnswer::messageBox(QMessageBox::Ok, &saveText);
            QTest::mouseClick(child<QPushButton>(dlg, "buttonStop"), Qt::LeftButton);
            QVERIFY(stop.seen() && save.seen());
            QCOMPARE(saveText, WaveDevice::ErrorText(WaveDevice::ErrorNotOpen));
        }
        // The device has nothing to close, says so, and the dialog ends.
        auto answer = ModalAnswer::messageBox(QMessageBox::Ok, &text, &caption);
        QTest::mouseClick(child<QPushButton>(dlg, button.toLatin1()), Qt::LeftButton);
        QVERIFY(answer.seen());
        QCOMPARE(text, WaveDevice::ErrorText(WaveDevice::ErrorNotOpen));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), button == "buttonOk" ? int(IdOk) : int(IdCancel));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), contents);
    }

    void hoursDoNotWrapAtADay()
    {
        // 25 hours at one frame a second.
        const QString path = m_dir.filePath(QStringLiteral("day.wav"));
        QVERIFY(WaveFile::Write(path, AudibleWave(1, 1, 25 * 3600)));
        CEventDlg dlg;
        fillAsAdd(dlg, path);
        showOpened(dlg);
        QCOMPARE(child<QLabel>(dlg, "labelLength")->text(), QStringLiteral("25:00:00"));
    }

    void helpShowsTheProgramsHelp()
    {
        QTemporaryDir programDir;
        QVERIFY(programDir.isValid());
        QVERIFY(WriteHelpFile(programDir.path()));
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
