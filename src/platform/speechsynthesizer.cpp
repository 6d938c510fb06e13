#include "speechsynthesizer.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <QByteArray>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// The synthesiser's state is global: one caller at a time.
std::mutex engineMutex;
bool engineStarted = false;

// What one synthesis collects; the callback finds it through the user data
// of its events.
struct Collector
{
    std::vector<short> samples;
    std::stop_token stop;
};

int collect(short *wav, int count, espeak_EVENT *events)
{
    auto *collector = events ? static_cast<Collector *>(events->user_data) : nullptr;
    if (!collector)
        return 0;
    if (wav && count > 0)
        collector->samples.insert(collector->samples.end(), wav, wav + count);
    // 1 asks the synthesiser to stop.
    return collector->stop.stop_requested() ? 1 : 0;
}

// The synthesiser's own words for a failure, with the file it concerns when
// it names one.
QString reason(espeak_ng_STATUS status, espeak_ng_ERROR_CONTEXT context = nullptr)
{
    QString text;
    char *buffer = nullptr;
    size_t size = 0;
    if (FILE *stream = open_memstream(&buffer, &size)) {
        espeak_ng_PrintStatusCodeMessage(status, stream, context);
        std::fclose(stream);
        text = QString::fromUtf8(buffer, qsizetype(size)).trimmed();
        std::free(buffer);
    }
    if (text.isEmpty()) {
        char message[512] = {};
        espeak_ng_GetStatusCodeMessage(status, message, sizeof message);
        text = QString::fromUtf8(message);
    }
    return text;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Holding engineMutex.
bool start(QString *error)
{
    if (engineStarted)
        return true;
    // Null: ESPEAK_DATA_PATH when set, else the system's voice data.
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    if (status != ENS_OK) {
        setError(error, reason(status, context));
        espeak_ng_ClearErrorContext(&context);
        return false;
    }
    status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
    if (status != ENS_OK) {
        setError(error, reason(status));
        return false;
    }
    espeak_SetSynthCallback(collect);
    engineStarted = true;
    return true;
}

QList<SpeechLanguage> languagesOf(const espeak_VOICE &voice)
{
    // A list of entries: a priority byte, then a language code and its
    // terminating zero; a zero priority ends the list.
    QList<SpeechLanguage> languages;
    for (const char *entry = voice.languages; entry && *entry;) {
        const char *code = entry + 1;
        languages.append({QString::fromUtf8(code).toLower(), int(static_cast<unsigned char>(*entry))});
        entry = code + std::strlen(code) + 1;
    }
    return languages;
}

// The identifier of the voice that fits `code` best, or empty.
QString bestVoiceFor(const QList<SpeechVoice> &voices, const QString &code)
{
    QString best;
    int bestPriority = 0;
    for (const SpeechVoice &voice : voices) {
        for (const SpeechLanguage &language : voice.languages) {
            if (language.code == code && (best.isEmpty() || language.priority < bestPriority)) {
                best = voice.identifier;
                bestPriority = language.priority;
            }
        }
    }
    return best;
}

} // namespace

namespace SpeechSynthesizer {

std::optional<QList<SpeechVoice>> Voices(QString *error)
{
    std::lock_guard lock(engineMutex);
    if (!start(error))
        return std::nullopt;
    QList<SpeechVoice> voices;
    if (const espeak_VOICE **list = espeak_ListVoices(nullptr)) {
        for (; *list; ++list) {
            const espeak_VOICE &voice = **list;
            voices.append({QString::fromUtf8(voice.identifier), QString::fromUtf8(voice.name),
                           languagesOf(voice)});
        }
    }
    std::sort(voices.begin(), voices.end(), [](const SpeechVoice &a, const SpeechVoice &b) {
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    return voices;
}

QString DefaultVoice(const QList<SpeechVoice> &voices, const QString &localeName)
{
    const QString code = QString(localeName).replace(u'_', u'-').toLower();
    const QString language = code.section(u'-', 0, 0);
    for (const QString &wanted : {code, language, QStringLiteral("en")}) {
        if (const QString voice = bestVoiceFor(voices, wanted); !voice.isEmpty())
            return voice;
    }
    return voices.isEmpty() ? QString() : voices.constFirst().identifier;
}

std::optional<WaveData> Synthesize(const QString &text, const QString &voice, int rate,
                                   std::stop_token stop, QString *error)
{
    std::lock_guard lock(engineMutex);
    if (!start(error))
        return std::nullopt;
    const QByteArray voiceName = voice.isEmpty() ? QByteArray(ESPEAKNG_DEFAULT_VOICE) : voice.toUtf8();
    espeak_ng_STATUS status = espeak_ng_SetVoiceByName(voiceName.constData());
    if (status != ENS_OK) {
        setError(error, reason(status));
        return std::nullopt;
    }
    status = espeak_ng_SetParameter(espeakRATE, std::clamp(rate, MinRate, MaxRate), 0);
    if (status != ENS_OK) {
        setError(error, reason(status));
        return std::nullopt;
    }

    Collector collector;
    collector.stop = std::move(stop);
    const QByteArray utf8 = text.toUtf8();
    status = espeak_ng_Synthesize(utf8.constData(), std::size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                  espeakCHARS_UTF8, nullptr, &collector);
    if (collector.stop.stop_requested()) {
        setError(error, QString());
        return std::nullopt;
    }
    if (status != ENS_OK) {
        setError(error, reason(status));
        return std::nullopt;
    }

    WaveData wave;
    wave.sampleRate = espeak_ng_GetSampleRate();
    wave.channels = 1;
    wave.format = 0; // written as 16-bit PCM WAV, the synthesiser's own samples
    wave.samples.reserve(collector.samples.size());
    for (const short sample : collector.samples)
        wave.samples.push_back(float(sample) / 32768.0f);
    return wave;
}

} // namespace SpeechSynthesizer
