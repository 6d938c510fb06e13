#include "commandids.h"
#include "diskaudiocapture.h"
#include "editorcontrols.h"
#include "eventdlg.h"
#include "eventfields.h"
#include "eventtable.h"
#include "mainwindowcontrols.h"
#include "modalanswer.h"
#include "profile.h"
#include "schedulerdlg.h"
#include "speechfile.h"
#include "testmain.h"
#include "testwaves.h"
#include "timetext.h"
#include "wavefile.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <memory>

namespace {

QString text(QWidget &dlg, const char *name)
{
    if (auto *label = dlg.findChild<QLabel *>(name))
        return label->text();
    return child(dlg, name)->text();
}

QPushButton *speakButton(QWidget &dlg)
{
    return child<QPushButton>(dlg, "buttonSpeak");
}

QStringList speechFiles()
{
    return QDir(SpeechFile::Directory()).entryList(QDir::Files, QDir::Name);
}

} // namespace

// The editor's Speak: typed text becomes the event's wave, heard at once.
// Real synthesis; SDL's disk driver keeps what is played.
class TestEventDlgSpeech : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DiskAudioCapture> m_output;
    QString m_oldWave; // six seconds, not spoken from text

    void openEditor(CEventDlg &dlg, const EventFields &fields)
    {
        dlg.setFields(fields);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTRY_VERIFY(!text(dlg, "labelLength").isEmpty());
    }

    void typeSpeech(CEventDlg &dlg, const QString &speech)
    {
        auto *edit = child(dlg, "editSpeechText");
        edit->selectAll();
        QTest::keyClicks(edit, speech);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_output = std::make_unique<DiskAudioCapture>();
        QVERIFY(m_output->isValid());
        m_oldWave = m_dir.filePath("old.wav");
        QVERIFY(WaveFile::Write(m_oldWave, AudibleWave(22050, 1, 22050 * 6)));
    }

    void init()
    {
        // No voice, speed or file remembered from the test before.
        QFile::remove(Profile::FilePath());
        m_output->clear();
        for (const QString &name : speechFiles())
            QVERIFY(QFile::remove(SpeechFile::Directory() + name));
    }

    // First: the synthesiser has not started yet, so it looks for its data
    // where it is told and finds none.
    void withoutVoiceDataTheReasonIsShown()
    {
        QTemporaryDir noVoices;
        qputenv("ESPEAK_DATA_PATH", noVoices.path().toLocal8Bit());
        CEventDlg dlg;
        openEditor(dlg, NewEventFields(m_oldWave));
        QCOMPARE(child<QComboBox>(dlg, "comboVoice")->count(), 0);
        typeSpeech(dlg, "Hello.");

        QString message, caption;
        ModalAnswer answer = ModalAnswer::messageBox(QMessageBox::Ok, &message, &caption);
        QTest::mouseClick(speakButton(dlg), Qt::LeftButton);
        QTRY_VERIFY(answer.seen());
        qunsetenv("ESPEAK_DATA_PATH");
        QCOMPARE(caption, QStringLiteral("Warning"));
        QVERIFY2(message.contains(noVoices.path()) && message.contains("No such file or directory"),
                 qPrintable(message));
        // Nothing written, nothing switched, and the editor still works.
        QVERIFY(speechFiles().isEmpty());
        QCOMPARE(text(dlg, "editWaveFile"), m_oldWave);
        QVERIFY(speakButton(dlg)->isEnabled());
        QTest::mouseClick(child<QPushButton>(dlg, "buttonOk"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(IdOk));
    }

    void voiceFollowsTheLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("voice");
        QTest::newRow("the language's voice") << "de_DE" << "" << "gmw/de";
        QTest::newRow("language and territory") << "en_US" << "" << "gmw/en-US";
        QTest::newRow("no voice for it: English") << "zu_ZA" << "" << "gmw/en";
        QTest::newRow("the last voice used wins") << "de_DE" << "roa/fr" << "roa/fr";
    }

    void voiceFollowsTheLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, remembered);
        QFETCH(QString, voice);
        if (!remembered.isEmpty())
            QVERIFY(Profile::WriteString("Speech", "Voice", remembered));
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        CEventDlg dlg;
        openEditor(dlg, NewEventFields(m_oldWave));
        QLocale::setDefault(before);
        QCOMPARE(child<QComboBox>(dlg, "comboVoice")->currentData().toString(), voice);
        QCOMPARE(child<QSpinBox>(dlg, "spinRate")->value(), 175);
        dlg.reject();
    }

    void emptyTextIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("nothing") << "";
        QTest::newRow("blanks") << "   ";
    }

    void emptyTextIsRefused()
    {
        QFETCH(QString, typed);
        CEventDlg dlg;
        openEditor(dlg, NewEventFields(m_oldWave));
        typeSpeech(dlg, typed);
        QString message, caption;
        ModalAnswer answer = ModalAnswer::messageBox(QMessageBox::Ok, &message, &caption);
        QTest::mouseClick(speakButton(dlg), Qt::LeftButton);
        QVERIFY(answer.seen());
        QCOMPARE(message, QStringLiteral("Type the text to speak first."));
        QCOMPARE(caption, QStringLiteral("Warning"));
        QVERIFY(speechFiles().isEmpty());
        QCOMPARE(text(dlg, "editWaveFile"), m_oldWave);
        dlg.reject();
    }

    void speakSwitchesToTheNewFileAndPlaysIt()
    {
        // A file of this name is someone else's: it is not overwritten.
        const QString taken = SpeechFile::Directory() + "Tea time.wav";
        QVERIFY(WaveFile::Write(taken, AudibleWave(8000, 1, 800)));
        const QString own = SpeechFile::Directory() + "Tea time-2.wav";

        CEventDlg dlg;
        openEditor(dlg, NewEventFields(m_oldWave));
        QCOMPARE(text(dlg, "labelLength"), QStringLiteral("00:00:06"));
        QCOMPARE(text(dlg, "editRepCount"), QStringLiteral("50")); // 5 min of a 6 s wave
        auto *name = child(dlg, "editEventName");
        name->selectAll();
        QTest::keyClicks(name, "Tea time");
        auto *voices = child<QComboBox>(dlg, "comboVoice");
        const int american = voices->findData("gmw/en-US");
        QVERIFY(american >= 0);
        voices->setCurrentIndex(american);
        child<QSpinBox>(dlg, "spinRate")->setValue(200);

        typeSpeech(dlg, "The kettle has boiled.");
        QTest::mouseClick(speakButton(dlg), Qt::LeftButton);
        // Off this thread: the click is back before the file is there.
        QVERIFY(!speakButton(dlg)->isEnabled());
        QTRY_COMPARE(text(dlg, "editWaveFile"), own);
        QVERIFY(speakButton(dlg)->isEnabled());
        const std::optional<WaveData> wave = WaveFile::Read(own);
        QVERIFY(wave);
        const quint32 ms = quint32(wave->duration().count());
        QVERIFY(ms > 500);
        QCOMPARE(text(dlg, "labelLength"), FormatMillisecondsText(ms));
        QCOMPARE(text(dlg, "editRepCount"), QString::number(300000 / ms));
        QCOMPARE(Profile::ReadString("Last", "FileName", {}), own);
        QCOMPARE(Profile::ReadString("Speech", "Voice", {}), QStringLiteral("gmw/en-US"));
        QCOMPARE(Profile::ReadString("Speech", "Rate", {}), QStringLiteral("200"));
        QCOMPARE(WaveFile::Read(taken)->frames(), 800);
        // Played once, as Play does.
        QTRY_VERIFY_WITH_TIMEOUT(m_output->sounding() == DiskAudioCapture::withoutSilence(wave->samples), 15000);
        QTRY_VERIFY(child<QPushButton>(dlg, "buttonPlay")->isEnabled());

        // A second Speak replaces the file this run made.
        typeSpeech(dlg, "The tea is ready now, come and get it.");
        QTest::mouseClick(speakButton(dlg), Qt::LeftButton);
        QTRY_COMPARE(SpeechFile::Read(own)->text, QStringLiteral("The tea is ready now, come and get it."));
        QTRY_VERIFY(WaveFile::Read(own)->frames() > wave->frames());
        QCOMPARE(speechFiles(), (QStringList{"Tea time-2.wav", "Tea time.wav"}));
        QTRY_COMPARE(text(dlg, "labelLength"), FormatMillisecondsText(quint32(WaveFile::Read(own)->duration().count())));

        QTest::mouseClick(child<QPushButton>(dlg, "buttonOk"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(IdOk));
        QCOMPARE(EventCells(dlg.fields())[1], own);

        // Modify shows the text and the voice again, and the speed last used.
        CEventDlg modify;
        EventFields fields = NewEventFields(own);
        fields.eventName = QStringLiteral("Tea time");
        voices = child<QComboBox>(modify, "comboVoice");
        openEditor(modify, fields);
        QCOMPARE(text(modify, "editSpeechText"), QStringLiteral("The tea is ready now, come and get it."));
        QCOMPARE(voices->currentData().toString(), QStringLiteral("gmw/en-US"));
        QCOMPARE(child<QSpinBox>(modify, "spinRate")->value(), 200);
        // A new run may not replace the file the last one made.
        typeSpeech(modify, "Again.");
        QTest::mouseClick(speakButton(modify), Qt::LeftButton);
        QTRY_COMPARE(text(modify, "editWaveFile"), SpeechFile::Directory() + "Tea time-3.wav");
        modify.reject();
    }

    // Add with a spoken file: the row the main window inserts names it and
    // shows the repetitions derived from its length.
    void addWithSpeechPutsTheFileInTheRow()
    {
        QVERIFY(Profile::WriteString("Last", "FileName", m_oldWave));
        CSchedulerDlg window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString spoken = SpeechFile::Directory() + "Lunch.wav";
        ModalAnswer editor([&](QWidget *w) {
            auto *dlg = qobject_cast<CEventDlg *>(w);
            if (!dlg) {
                static_cast<QDialog *>(w)->reject();
                return;
            }
            QTRY_VERIFY(!text(*dlg, "labelLength").isEmpty());
            auto *name = child(*dlg, "editEventName");
            name->selectAll();
            QTest::keyClicks(name, "Lunch");
            typeSpeech(*dlg, "Lunch is ready.");
            QTest::mouseClick(speakButton(*dlg), Qt::LeftButton);
            QTRY_COMPARE(text(*dlg, "editWaveFile"), spoken);
            QTest::mouseClick(child<QPushButton>(*dlg, "buttonOk"), Qt::LeftButton);
        });
        QAction *add = MenuItem(window, CommandId::EventAdd);
        QVERIFY(add);
        add->trigger();
        QVERIFY(editor.seen());

        const EventTable &table = *window.eventTable();
        QCOMPARE(table.rowCount(), 1);
        QCOMPARE(table.text(0, EventTable::EventName), QStringLiteral("Lunch"));
        QCOMPARE(table.text(0, EventTable::WaveFile), spoken);
        const std::optional<WaveData> wave = WaveFile::Read(spoken);
        QVERIFY(wave);
        const quint32 ms = quint32(wave->duration().count());
        // By length: five minutes of plays of the spoken file.
        QCOMPARE(table.text(0, EventTable::Repetition), QString::number(300000 / ms));
        QCOMPARE(table.text(0, EventTable::Length), QStringLiteral("00:05:00*"));
        QCOMPARE(window.isModified(), 1);
    }

    void endingDuringSynthesisStopsIt_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("close box") << "close box";
    }

    void endingDuringSynthesisStopsIt()
    {
        QFETCH(QString, how);
        QString longText;
        for (int i = 0; i < 300; ++i)
            longText += QStringLiteral("This reminder goes on and on. ");
        const QString last = Profile::ReadString("Last", "FileName", {});
        CEventDlg dlg;
        openEditor(dlg, NewEventFields(m_oldWave));
        child(dlg, "editSpeechText")->setText(longText.left(int(SpeechFile::MaxTextLength)));
        QTest::mouseClick(speakButton(dlg), Qt::LeftButton);
        QVERIFY(!speakButton(dlg)->isEnabled());
        QElapsedTimer clock;
        clock.start();
        if (how == u"Cancel")
            QTest::mouseClick(child<QPushButton>(dlg, "buttonCancel"), Qt::LeftButton);
        else if (how == u"Escape")
            QTest::keyClick(child(dlg, "editSpeechText"), Qt::Key_Escape);
        else
            QVERIFY(dlg.close());
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(IdCancel));
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(50);
        QVERIFY(speechFiles().isEmpty());
        QCOMPARE(Profile::ReadString("Last", "FileName", {}), last);
    }
};

PARLOWEN_TEST_MAIN(TestEventDlgSpeech)
#include "tst_eventdlg_speech.moc"
