#pragma once

#include "wavefile.h"

#include <QString>

#include <optional>
#include <stop_token>

// WAV files that the editor makes from typed text. Each keeps the text and
// the voice it was spoken with in its own tags, so that the editor can show
// them again for the file.
namespace SpeechFile {

// What a file was spoken from.
struct Speech
{
    QString text;
    QString voice; // the synthesiser's voice identifier
};

// The longest text the editor takes: its UTF-8 always fits the file's
// comment tag.
inline constexpr qsizetype MaxTextLength = 600;
static_assert(MaxTextLength * 3 <= WaveFile::MaxCommentBytes);

// The folder the editor's speech files go to, created when missing:
// "speech/" in the per-user data folder, with its trailing '/'.
QString Directory();

// A file name (without extension) made from an event name: what does not
// belong in a file name is replaced by '_', and a name that says nothing
// becomes "speech".
QString BaseName(const QString &eventName);

// The path for a new speech file of `eventName` in `directory`: the base
// name with ".wav", else with "-2.wav", "-3.wav"… , the first that names no
// existing file or that is `ownFile`, the file the caller made itself and
// may replace.
QString NewPath(const QString &directory, const QString &eventName, const QString &ownFile = {});

WaveFile::Tags ToTags(const Speech &speech);
// nullopt for tags that were not written by ToTags.
std::optional<Speech> FromTags(const WaveFile::Tags &tags);
// The speech a file was made from; nullopt for any other file.
std::optional<Speech> Read(const QString &path);

// Speaks `speech` at `rate` words per minute into `path`, replacing it.
// On failure nothing is written and `error` tells why; a stop requested
// through `stop` fails with an empty error.
bool Make(const QString &path, const Speech &speech, int rate, std::stop_token stop = {},
          QString *error = nullptr);

} // namespace SpeechFile
