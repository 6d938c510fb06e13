// Speaks a text into a WAV file exactly as the editor's Speak button does,
// tags and all, and prints the file's length in milliseconds. The sample
// schedule's sounds are made with it (scripts/make-samples.sh), so what a
// new user hears first is what the program itself makes.

#include "speechfile.h"
#include "speechsynthesizer.h"
#include "wavefile.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Speaks TEXT into the WAV file OUTPUT."));
    parser.addHelpOption();
    const QCommandLineOption voiceOption(QStringLiteral("voice"),
                                         QStringLiteral("The voice identifier (default gmw/en)."),
                                         QStringLiteral("id"), QStringLiteral("gmw/en"));
    const QCommandLineOption rateOption(
        QStringLiteral("rate"), QStringLiteral("Words per minute (default %1).").arg(SpeechSynthesizer::DefaultRate),
        QStringLiteral("wpm"), QString::number(SpeechSynthesizer::DefaultRate));
    parser.addOption(voiceOption);
    parser.addOption(rateOption);
    parser.addPositionalArgument(QStringLiteral("OUTPUT"), QStringLiteral("The WAV file to write."));
    parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("What to say."));
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2 || arguments[1].trimmed().isEmpty())
        parser.showHelp(2);
    bool rateOk = false;
    const int rate = parser.value(rateOption).toInt(&rateOk);
    if (!rateOk || rate < SpeechSynthesizer::MinRate || rate > SpeechSynthesizer::MaxRate) {
        std::fprintf(stderr, "parlowen_speak: the rate must be %d to %d words per minute\n",
                     SpeechSynthesizer::MinRate, SpeechSynthesizer::MaxRate);
        return 2;
    }
    if (arguments[1].size() > SpeechFile::MaxTextLength) {
        std::fprintf(stderr, "parlowen_speak: the text is longer than the editor takes (%lld characters)\n",
                     static_cast<long long>(SpeechFile::MaxTextLength));
        return 2;
    }

    const QString &path = arguments[0];
    QString error;
    if (!SpeechFile::Make(path, {arguments[1], parser.value(voiceOption)}, rate, {}, &error)) {
        std::fprintf(stderr, "parlowen_speak: %s\n", qPrintable(error));
        return 1;
    }
    // Read back, so the figure is that of the file as written.
    const std::optional<WaveData> wave = WaveFile::Read(path, &error);
    if (!wave) {
        std::fprintf(stderr, "parlowen_speak: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(wave->duration().count()));
    return 0;
}
