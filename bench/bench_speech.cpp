// The editor's Speak: how long a ten-word sentence takes to synthesise, and
// to synthesise and write as a WAV file, against how long it takes to say.
// The ratio (the real-time factor) tells how long the user waits for a
// reminder of a given length; the synthesiser's start-up is done before.

#include "speechfile.h"
#include "qtbenchmarkmain.h"
#include "speechsynthesizer.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString Sentence = QStringLiteral("Time to stand up, stretch your legs and drink water.");
const QString Voice = QStringLiteral("gmw/en");

bool startSynthesizer(benchmark::State &state)
{
    QString error;
    if (SpeechSynthesizer::Voices(&error))
        return true;
    state.SkipWithError(qPrintable(error));
    return false;
}

// What was said, in seconds, and synthesis seconds per second said: the
// report's baseline and ratio.
void setSpokenCounters(benchmark::State &state, std::chrono::milliseconds spoken)
{
    const double seconds = double(spoken.count()) / 1000.0;
    state.counters["spoken_seconds"] = seconds;
    state.counters["real_time_factor"] = benchmark::Counter(
        double(state.iterations()) * seconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SynthesizeTenWords(benchmark::State &state)
{
    if (!startSynthesizer(state))
        return;
    std::chrono::milliseconds spoken{};
    for (auto _ : state) {
        QString error;
        const std::optional<WaveData> wave = SpeechSynthesizer::Synthesize(
            Sentence, Voice, SpeechSynthesizer::DefaultRate, {}, &error);
        if (!wave) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        benchmark::DoNotOptimize(wave->samples.data());
        spoken = wave->duration();
    }
    setSpokenCounters(state, spoken);
}

// What Speak waits for: the synthesis and the tagged WAV file.
void BM_SpeakTenWordsToFile(benchmark::State &state)
{
    if (!startSynthesizer(state))
        return;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("speech.wav"));
    for (auto _ : state) {
        QString error;
        if (!SpeechFile::Make(path, {Sentence, Voice}, SpeechSynthesizer::DefaultRate, {}, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    const std::optional<WaveData> wave = WaveFile::Read(path);
    if (!wave) {
        state.SkipWithError("the spoken file cannot be read back");
        return;
    }
    setSpokenCounters(state, wave->duration());
}

} // namespace

BENCHMARK(BM_SynthesizeTenWords)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpeakTenWordsToFile)->Unit(benchmark::kMillisecond)->UseRealTime();

PARLOWEN_QT_BENCHMARK_MAIN()
