#include "commandids.h"
#include "diskaudiocapture.h"
#include "diskaudioinput.h"
#include "editorcontrols.h"
#include "eventdlg.h"
#include "modalanswer.h"
#include "testmain.h"
#include "testwaves.h"
#include "timetext.h"
#include "wavefile.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace {

QString text(QWidget &dlg, const char *name)
{
    if (auto *label = dlg.findChild<QLabel *>(name))
        return label->text();
    return child(dlg, name)->text();
}

void click(QWidget &dlg, const char *name)
{
    QTest::mouseClick(child<QPushButton>(dlg, name), Qt::LeftButton);
}

// Which of Play, Record and Stop can be pressed.
QList<bool> buttons(QWidget &dlg)
{
    return {child<QPushButton>(dlg, "buttonPlay")->isEnabled(),
            child<QPushButton>(dlg, "buttonRecord")->isEnabled(),
            child<QPushButton>(dlg, "buttonStop")->isEnabled()};
}

const QList<bool> Idle{true, true, false};
const QList<bool> Busy{false, false, true};

} // namespace

// The editor's preview and recording as heard: SDL's disk driver records a
// file of known samples and keeps every sample played.
class TestEventDlgSound : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<DiskAudioCapture> m_output;
    std::vector<float> m_input;
    WaveData m_old; // what a file held before a take

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString writeOld(const QString &name)
    {
        const QString file = path(name);
        return WaveFile::Write(file, m_old) ? file : QString();
    }

    void openEditor(CEventDlg &dlg, const QString &wave, int countMode = 0)
    {
        dlg.setFields(NewEventFields(wave));
        dlg.m_bCountMode = countMode;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTRY_VERIFY(!text(dlg, "labelLength").isEmpty());
    }

    // Records until the editor shows a second of the take.
    void recordASecond(CEventDlg &dlg)
    {
        click(dlg, "buttonRecord");
        QCOMPARE(buttons(dlg), Busy);
        // The wave was emptied: the length grows with the take.
        QTRY_COMPARE(text(dlg, "labelLength"), QStringLiteral("00:00:00"));
        QTRY_COMPARE_WITH_TIMEOUT(text(dlg, "labelCurrent"), QStringLiteral("00:00:01"), 15000);
        QCOMPARE(text(dlg, "labelLength"), QStringLiteral("00:00:01"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_output = std::make_unique<DiskAudioCapture>();
        QVERIFY(m_output->isValid());
        m_input = AudibleWave(22050, 1, 22050 * 3 / 10).samples;
        QVERIFY(SetDiskAudioInput(path("input.raw"), m_input));
        m_old = AudibleWave(22050, 1, 22050 * 6);
        for (float &s : m_old.samples)
            s /= 2;
    }

    void init()
    {
        m_output->clear();
    }

    void aStoppedTakeIsSaved_data()
    {
        QTest::addColumn<bool>("newFile");
        QTest::addColumn<int>("countMode");
        QTest::newRow("new file, by count") << true << 1;
        QTest::newRow("old content, by length") << false << 0;
    }

    void aStoppedTakeIsSaved()
    {
        QFETCH(bool, newFile);
        QFETCH(int, countMode);
        const QString file = newFile ? path(QStringLiteral("new%1.wav").arg(countMode)) : writeOld("old.wav");
        CEventDlg dlg;
        openEditor(dlg, file, countMode);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(text(dlg, "labelLength"), newFile ? QStringLiteral("00:00:00") : QStringLiteral("00:00:06"));

        recordASecond(dlg);
        if (QTest::currentTestFailed())
            return;
        click(dlg, "buttonStop");
        QCOMPARE(buttons(dlg), Idle);

        // Saved in the format for new waves, the input and nothing of the
        // old content: the silence after it is where the input ran out.
        const std::optional<WaveData> take = WaveFile::Read(file);
        QVERIFY(take);
        QCOMPARE(take->sampleRate, 22050);
        QCOMPARE(take->channels, 1);
        QCOMPARE(take->format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QVERIFY(take->frames() >= 22050);
        QVERIFY(DiskAudioCapture::withoutSilence(take->samples) == m_input);
        const quint32 lengthMs = quint32(take->duration().count());
        QCOMPARE(text(dlg, "labelLength"), FormatMillisecondsText(lengthMs));
        QCOMPARE(text(dlg, "labelCurrent"), FormatMillisecondsText(lengthMs));

        // The value that was not entered follows the take's length.
        if (countMode) {
            const quint32 s = 50 * lengthMs / 1000;
            QCOMPARE(text(dlg, "editRepCount"), QStringLiteral("50"));
            QCOMPARE(text(dlg, "editRepMin"), QString::number(s % 3600 / 60));
            QCOMPARE(text(dlg, "editRepSec"), QString::number(s % 60 + 1));
        } else {
            QCOMPARE(text(dlg, "editRepCount"), QString::number(300000 / lengthMs));
            QCOMPARE(text(dlg, "editRepMin"), QStringLiteral("5"));
        }
        click(dlg, "buttonOk");
        QCOMPARE(dlg.result(), int(IdOk));
    }

    void playingToTheEndSavesAndStops()
    {
        const QString file = path("short.wav");
        const WaveData wave = AudibleWave(22050, 1, 22050 / 2);
        QVERIFY(WaveFile::Write(file, wave));
        CEventDlg dlg;
        openEditor(dlg, file);
        click(dlg, "buttonPlay");
        QCOMPARE(buttons(dlg), Busy);
        // Gone while it plays: the stop at the end writes it once more.
        QVERIFY(QFile::remove(file));
        QTRY_COMPARE_WITH_TIMEOUT(buttons(dlg), Idle, 10000);
        const std::optional<WaveData> saved = WaveFile::Read(file);
        QVERIFY(saved);
        QVERIFY(saved->samples == wave.samples);
        QTRY_VERIFY(m_output->sounding() == wave.samples);
        QCOMPARE(text(dlg, "labelCurrent"), QStringLiteral("00:00:00"));
        click(dlg, "buttonCancel");
    }

    // Without a sound input, Record can only say so: the wave, the file that
    // Stop or closing the window saves and the buttons stay as they were.
    void aRecordThatCannotStartKeepsTheWave_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("then Stop") << false;
        QTest::newRow("then closing the window") << true;
    }

    void aRecordThatCannotStartKeepsTheWave()
    {
        QFETCH(bool, close);
        const QString file = writeOld(QStringLiteral("kept%1.wav").arg(close));
        QFile original(file);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray before = original.readAll();
        original.close();

        const QByteArray input = qgetenv("SDL_DISKAUDIOFILEIN");
        qputenv("SDL_DISKAUDIOFILEIN", path("no-such-input.raw").toLocal8Bit());
        CEventDlg dlg;
        openEditor(dlg, file);
        QString box;
        {
            ModalAnswer answer = ModalAnswer::messageBox(QMessageBox::Ok, &box);
            click(dlg, "buttonRecord");
            QTRY_VERIFY(answer.seen());
        }
        qputenv("SDL_DISKAUDIOFILEIN", input);
        QCOMPARE(box, QStringLiteral("Nothing can be recorded: no sound input (microphone) is available."));
        QCOMPARE(buttons(dlg), Idle);
        QCOMPARE(text(dlg, "labelLength"), QStringLiteral("00:00:06"));
        if (close)
            dlg.close();
        else
            click(dlg, "buttonStop");

        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), before);
    }

    // A file that does not exist yet is made as an empty wave directly: the
    // sound input is not asked for, so its absence is no matter.
    void aMissingFileIsMadeWithoutTheInput()
    {
        const QString file = path(QStringLiteral("made.wav"));
        const QByteArray input = qgetenv("SDL_DISKAUDIOFILEIN");
        qputenv("SDL_DISKAUDIOFILEIN", path("no-such-input.raw").toLocal8Bit());
        CEventDlg dlg;
        dlg.setFields(NewEventFields(file));
        dlg.show();
        {
            // The wave is opened once the editor is up; no box may follow.
            QString seen;
            ModalAnswer box = ModalAnswer::messageBox(QMessageBox::Ok, &seen, nullptr);
            QTRY_VERIFY(!text(dlg, "labelLength").isEmpty());
            QTest::qWait(100);
            QVERIFY2(!box.seen(), qPrintable(seen));
        }
        qputenv("SDL_DISKAUDIOFILEIN", input);
        const std::optional<WaveData> made = WaveFile::Read(file);
        QVERIFY(made);
        QCOMPARE(made->frames(), 0);
        QCOMPARE(text(dlg, "labelLength"), QStringLiteral("00:00:00"));
        click(dlg, "buttonCancel");
    }

    void endingWhileRecording_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Cancel drops the take") << "cancel" << false;
        QTest::newRow("OK drops the take") << "ok" << false;
        QTest::newRow("another file drops the take") << "file" << false;
        QTest::newRow("closing the window saves it") << "close" << true;
    }

    void endingWhileRecording()
    {
        QFETCH(QString, how);
        QFETCH(bool, saved);
        const QString file = writeOld(QStringLiteral("%1.wav").arg(how));
        const QString other = path("other.wav");
        QVERIFY(WaveFile::Write(other, AudibleWave(22050, 1, 22050 * 2)));
        CEventDlg dlg;
        openEditor(dlg, file);
        recordASecond(dlg);
        if (QTest::currentTestFailed())
            return;

        if (how == "cancel") {
            click(dlg, "buttonCancel");
        } else if (how == "ok") {
            click(dlg, "buttonOk");
        } else if (how == "close") {
            dlg.close();
        } else {
            ModalAnswer answer([&](QWidget *w) {
                auto *files = static_cast<QFileDialog *>(w);
                files->setDirectory(m_dir.path());
                auto *name = files->findChild<QLineEdit *>("fileNameEdit");
                name->selectAll();
                QTest::keyClicks(name, "other.wav");
                QTest::keyClick(name, Qt::Key_Return);
            });
            click(dlg, "buttonOpenNew");
            QVERIFY(answer.seen());
            QCOMPARE(text(dlg, "labelLength"), QStringLiteral("00:00:02"));
            QCOMPARE(buttons(dlg), Idle);
        }
        QCOMPARE(dlg.isVisible(), how == "file");

        const std::optional<WaveData> after = WaveFile::Read(file);
        QVERIFY(after);
        if (saved)
            QVERIFY(DiskAudioCapture::withoutSilence(after->samples) == m_input);
        else
            QVERIFY(after->samples == m_old.samples);
    }
};

PARLOWEN_TEST_MAIN(TestEventDlgSound)
#include "tst_eventdlg_sound.moc"
