#pragma once

#include "wavefile.h"

#include <QList>
#include <QString>

#include <optional>
#include <stop_token>

// A language a voice speaks, as a lower-case code ("en-gb"), with how well
// the voice fits it: the lower the priority, the better.
struct SpeechLanguage
{
    QString code;
    int priority = 0;
};

// One voice of the speech synthesiser: the identifier that selects it, the
// name of its language as the synthesiser gives it, and the languages it
// speaks.
struct SpeechVoice
{
    QString identifier;
    QString name;
    QList<SpeechLanguage> languages;
};

// Text to speech, in-process, through espeak-ng. The synthesiser has one
// state for the whole process, so every call here waits for the one before
// it; any thread may call. It starts on first use, from the voice data it
// finds (ESPEAK_DATA_PATH, else the system's); a start that fails is tried
// again on the next call, so voice data installed meanwhile is found.
namespace SpeechSynthesizer {

inline constexpr int MinRate = 80;
inline constexpr int MaxRate = 450;
inline constexpr int DefaultRate = 175;

// Every voice, sorted by name; nullopt with the synthesiser's reason when it
// cannot start.
std::optional<QList<SpeechVoice>> Voices(QString *error = nullptr);

// The voice for a locale name such as "de_AT" or "pt-BR": the best-fitting
// voice for the language with its territory, else for the language, else
// English, else the first voice. Empty only when there is no voice.
QString DefaultVoice(const QList<SpeechVoice> &voices, const QString &localeName);

// Speaks `text` with the voice `voice` (an identifier from Voices()) at
// `rate` words per minute, into 16-bit PCM mono at the synthesiser's own
// rate. A stop requested through `stop` ends it early: the result is then
// nullopt with an empty error.
std::optional<WaveData> Synthesize(const QString &text, const QString &voice, int rate,
                                   std::stop_token stop = {}, QString *error = nullptr);

} // namespace SpeechSynthesizer
