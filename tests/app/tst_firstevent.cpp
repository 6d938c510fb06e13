#include "commandids.h"
#include "defaultsound.h"
#include "diskaudiocapture.h"
#include "eventdlg.h"
#include "eventtable.h"
#include "mainwindowcontrols.h"
#include "modalanswer.h"
#include "programdirectory.h"
#include "schedulepaths.h"
#include "schedulerdlg.h"
#include "testmain.h"
#include "timetext.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

// A user's very first event: a fresh per-user folder readied as the first
// start does, Add with the editor left as it opens, and the event heard
// through SDL's disk driver once it is due.
class TestFirstEvent : public QObject
{
    Q_OBJECT

    QTemporaryDir m_program;
    std::unique_ptr<DiskAudioCapture> m_audio;

private slots:
    void initTestCase()
    {
        m_audio = std::make_unique<DiskAudioCapture>();
        QVERIFY(m_audio->isValid());
        QVERIFY(m_program.isValid());
        SetProgramDirectoryForTesting(m_program.path());
    }

    void firstAddWithTheEditorUnchangedPlays()
    {
        QCOMPARE(SchedulePaths::PrepareUserData(), QString());
        CSchedulerDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        ModalAnswer editor([](QWidget *w) {
            QTest::mouseClick(w->findChild<QPushButton *>("buttonOk"), Qt::LeftButton);
        });
        QTest::mouseClick(ToolButton(dlg, CommandId::EventAdd), Qt::LeftButton);
        QVERIFY(editor.seen());
        EventTable &table = *dlg.eventTable();
        QCOMPARE(table.rowCount(), 1);
        QCOMPARE(table.text(0, EventTable::WaveFile), SchedulePaths::DefaultWavePath());
        // Five minutes of the chime: a count of plays, not none.
        const int plays = LeadingNumber(table.text(0, EventTable::Repetition));
        const double chimeMs = 1000.0 * double(DefaultSound()->frames()) / DefaultSound()->sampleRate;
        QCOMPARE(plays, int(300000 / quint32(chimeMs)));
        QVERIFY(plays > 0);

        // An hour later, as far as the event knows.
        table.setText(0, EventTable::StartIn, QStringLiteral("00:00:00"));
        QTest::mouseClick(ToolButton(dlg, CommandId::ScheduleStart), Qt::LeftButton);
        const std::size_t once = DiskAudioCapture::withoutSilence(DefaultSound()->samples).size();
        QTRY_VERIFY_WITH_TIMEOUT(m_audio->sounding().size() >= once, 10000);
        QTest::mouseClick(ToolButton(dlg, CommandId::ScheduleStop), Qt::LeftButton);

        const std::vector<float> heard = m_audio->sounding();
        double sum = 0;
        for (std::size_t i = 0; i < once; ++i)
            sum += double(heard[i]) * heard[i];
        const double rms = std::sqrt(sum / double(once));
        QVERIFY2(rms > 0.05, qPrintable(QString::number(rms)));
    }
};

PARLOWEN_TEST_MAIN(TestFirstEvent)
#include "tst_firstevent.moc"
