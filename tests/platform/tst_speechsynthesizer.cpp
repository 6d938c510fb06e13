#include "speechsynthesizer.h"
#include "testmain.h"

#include <algorithm>
#include <thread>

namespace {

// A few voices as the synthesiser describes them.
const QList<SpeechVoice> Voices{
    {"gmw/en-029", "English (Caribbean)", {{"en-029", 5}, {"en", 10}}},
    {"gmw/en", "English (Great Britain)", {{"en-gb", 2}, {"en", 2}}},
    {"gmw/en-US", "English (America)", {{"en-us", 2}, {"en", 3}}},
    {"gmw/de", "German", {{"de", 5}}},
    {"roa/pt", "Portuguese (Portugal)", {{"pt", 5}, {"pt-pt", 5}}},
    {"roa/pt-BR", "Portuguese (Brazil)", {{"pt-br", 5}, {"pt", 6}}},
};

} // namespace

class TestSpeechSynthesizer : public QObject
{
    Q_OBJECT

private slots:
    void defaultVoiceFollowsTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("voice");
        QTest::newRow("language and territory") << "en_US" << "gmw/en-US";
        QTest::newRow("best fit of the language") << "en" << "gmw/en";
        QTest::newRow("territory without a voice") << "de_AT" << "gmw/de";
        QTest::newRow("bcp47 form") << "pt-BR" << "roa/pt-BR";
        QTest::newRow("language alone") << "pt" << "roa/pt";
        QTest::newRow("no voice: English") << "ja_JP" << "gmw/en";
        QTest::newRow("C locale: English") << "C" << "gmw/en";
    }

    void defaultVoiceFollowsTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, voice);
        QCOMPARE(SpeechSynthesizer::DefaultVoice(Voices, locale), voice);
    }

    void defaultVoiceWithoutEnglish()
    {
        QCOMPARE(SpeechSynthesizer::DefaultVoice(Voices.mid(3), "ja"), QStringLiteral("gmw/de"));
        QCOMPARE(SpeechSynthesizer::DefaultVoice({}, "en"), QString());
    }

    void listsTheInstalledVoices()
    {
        QString error;
        const std::optional<QList<SpeechVoice>> voices = SpeechSynthesizer::Voices(&error);
        QVERIFY2(voices, qPrintable(error));
        QVERIFY(voices->size() > 10);
        QVERIFY(std::any_of(voices->begin(), voices->end(), [](const SpeechVoice &v) {
            return v.name == u"English (Great Britain)" && !v.languages.isEmpty();
        }));
        // The C locale of the tests falls back to English.
        QCOMPARE(SpeechSynthesizer::DefaultVoice(*voices, "C"), QStringLiteral("gmw/en"));
    }

    void aStopEndsALongSynthesisEarly()
    {
        // Far longer than the stop takes to arrive.
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("This sentence is spoken again and again. ");
        std::stop_source stop;
        std::optional<WaveData> wave;
        QString error = QStringLiteral("unset");
        std::jthread worker([&] {
            wave = SpeechSynthesizer::Synthesize(text, "gmw/en", 175, stop.get_token(), &error);
        });
        QTest::qWait(20);
        stop.request_stop();
        worker.join();
        QVERIFY(!wave);
        QVERIFY(error.isEmpty());
        // The synthesiser is free for the next caller.
        QVERIFY(SpeechSynthesizer::Synthesize("Next.", "gmw/en", 175));
    }
};

PARLOWEN_TEST_MAIN(TestSpeechSynthesizer)
#include "tst_speechsynthesizer.moc"
