#include "speechfile.h"
#include "speechsynthesizer.h"
#include "testmain.h"
#include "wavefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace {

double rms(const std::vector<float> &samples)
{
    double sum = 0;
    for (const float s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace

// Speech files: their names, their tags and their making by real synthesis.
class TestSpeechFile : public QObject
{
    Q_OBJECT

private slots:
    void baseNameFromEventName_data()
    {
        QTest::addColumn<QString>("eventName");
        QTest::addColumn<QString>("baseName");
        QTest::newRow("plain") << "Drink water" << "Drink water";
        QTest::newRow("separators") << "a/b\\c" << "a_b_c";
        QTest::newRow("refused elsewhere") << "what? *now*: <x> | \"y\"" << "what_ _now__ _x_ _ _y_";
        QTest::newRow("control characters") << "tab\there\nnow" << "tab_here_now";
        QTest::newRow("no hidden file") << ".profile" << "_profile";
        QTest::newRow("dot dot") << ".." << "speech";
        QTest::newRow("blanks around") << "  Tea  " << "Tea";
        QTest::newRow("empty") << "" << "speech";
        QTest::newRow("only blanks") << "   " << "speech";
        QTest::newRow("accents kept") << QString::fromUtf8("Thé à 5 h") << QString::fromUtf8("Thé à 5 h");
        QTest::newRow("long cut") << QString(300, u'x') << QString(100, u'x');
    }

    void baseNameFromEventName()
    {
        QFETCH(QString, eventName);
        QFETCH(QString, baseName);
        QCOMPARE(SpeechFile::BaseName(eventName), baseName);
    }

    void aLongNameIsNotCutInsideACharacter()
    {
        // 99 characters, then one outside the basic plane (two UTF-16 units).
        const QString name = QString(99, u'x') + QString::fromUcs4(U"\U0001F600") + u'y';
        const QString base = SpeechFile::BaseName(name);
        QCOMPARE(base, QString(99, u'x'));
    }

    void newPathNeverTakesAnotherFile()
    {
        QTemporaryDir dir;
        const QString d = dir.path();
        const auto at = [&](const char *name) { return QDir(d).filePath(QString::fromLatin1(name)); };
        QCOMPARE(SpeechFile::NewPath(d, "Tea"), at("Tea.wav"));
        QVERIFY(touch(at("Tea.wav")));
        QCOMPARE(SpeechFile::NewPath(d, "Tea"), at("Tea-2.wav"));
        QVERIFY(touch(at("Tea-2.wav")));
        QVERIFY(QFile::link(at("nowhere"), at("Tea-3.wav"))); // a dangling link is there too
        QCOMPARE(SpeechFile::NewPath(d, "Tea"), at("Tea-4.wav"));
        // The caller's own file is the one that may be replaced.
        QCOMPARE(SpeechFile::NewPath(d, "Tea", at("Tea-2.wav")), at("Tea-2.wav"));
        QCOMPARE(SpeechFile::NewPath(d, "Tea", at("Other.wav")), at("Tea-4.wav"));
        // A gap is filled first.
        QVERIFY(QFile::remove(at("Tea.wav")));
        QCOMPARE(SpeechFile::NewPath(d, "Tea", at("Tea-2.wav")), at("Tea.wav"));
    }

    void directoryIsInTheUserDataFolder()
    {
        const QString directory = SpeechFile::Directory();
        QCOMPARE(directory, qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/parlowen/speech/"));
        QVERIFY(QFileInfo(directory).isDir());
    }

    void tagsTellSpeechFromOtherFiles()
    {
        const SpeechFile::Speech speech{QStringLiteral("Stand up."), QStringLiteral("gmw/en-US")};
        const std::optional<SpeechFile::Speech> back = SpeechFile::FromTags(SpeechFile::ToTags(speech));
        QVERIFY(back);
        QCOMPARE(back->text, speech.text);
        QCOMPARE(back->voice, speech.voice);
        QVERIFY(!SpeechFile::FromTags({QStringLiteral("a comment"), QStringLiteral("Some editor")}));
        QVERIFY(!SpeechFile::FromTags({}));
    }

    void makesASpokenFileThatKeepsItsText()
    {
        QTemporaryDir dir;
        const QString text = QStringLiteral("Time to stand up, stretch your legs and drink some water.");
        const SpeechFile::Speech speech{text, QStringLiteral("gmw/en")};
        const QString normal = dir.filePath("normal.wav");
        const QString fast = dir.filePath("fast.wav");
        QString error;
        QVERIFY2(SpeechFile::Make(normal, speech, 175, {}, &error), qPrintable(error));
        QVERIFY2(SpeechFile::Make(fast, speech, 350, {}, &error), qPrintable(error));

        const std::optional<WaveData> wave = WaveFile::Read(normal);
        QVERIFY(wave);
        QCOMPARE(wave->channels, 1);
        QVERIFY(wave->sampleRate >= 8000);
        // Eleven words at 175 a minute: a few seconds, and clearly heard.
        const auto ms = wave->duration().count();
        QVERIFY2(ms > 2000 && ms < 7000, qPrintable(QString::number(ms)));
        QVERIFY(rms(wave->samples) > 0.02);
        // Twice the speed, about half as long.
        const std::optional<WaveData> quick = WaveFile::Read(fast);
        QVERIFY(quick);
        const double ratio = double(quick->duration().count()) / double(ms);
        QVERIFY2(ratio > 0.4 && ratio < 0.62, qPrintable(QString::number(ratio)));

        const std::optional<SpeechFile::Speech> back = SpeechFile::Read(normal);
        QVERIFY(back);
        QCOMPARE(back->text, text);
        QCOMPARE(back->voice, speech.voice);
    }

    void aFailedMakingWritesNothing_data()
    {
        QTest::addColumn<QString>("voice");
        QTest::addColumn<bool>("stopped");
        QTest::newRow("unknown voice") << "no-such-voice" << false;
        QTest::newRow("stopped") << "gmw/en" << true;
    }

    void aFailedMakingWritesNothing()
    {
        QFETCH(QString, voice);
        QFETCH(bool, stopped);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wav");
        std::stop_source stop;
        if (stopped)
            stop.request_stop();
        QString error = QStringLiteral("unset");
        QVERIFY(!SpeechFile::Make(path, {QStringLiteral("Hello there."), voice}, 175, stop.get_token(), &error));
        QCOMPARE(error.isEmpty(), stopped);
        QVERIFY(!QFile::exists(path));
    }
};

PARLOWEN_TEST_MAIN(TestSpeechFile)
#include "tst_speechfile.moc"
