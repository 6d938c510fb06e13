#include "speechfile.h"

#include "speechsynthesizer.h"
#include "userdatadirectory.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// Marks the files made here; the voice follows it.
const QString SoftwarePrefix = QStringLiteral("Parlowen speech; voice=");

// Long enough for any event name a user types, short enough that the
// suffix and the folder stay within the file system's limits.
constexpr qsizetype MaxBaseNameLength = 100;

bool sameFile(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

namespace SpeechFile {

QString Directory()
{
    const QString directory = UserDataDirectory() + QStringLiteral("speech/");
    QDir().mkpath(directory);
    return directory;
}

QString BaseName(const QString &eventName)
{
    QString name;
    for (const QChar c : eventName.trimmed()) {
        // The separators, the characters other desktops refuse or that a
        // shell would take for its own, and control characters.
        const bool bad = c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
                         || QStringView(u"/\\:*?\"<>|").contains(c);
        name += bad ? QChar(u'_') : c;
    }
    // No hidden file, and never "." or "..".
    for (qsizetype i = 0; i < name.size() && name[i] == u'.'; ++i)
        name[i] = u'_';
    if (name.size() > MaxBaseNameLength) {
        name.truncate(MaxBaseNameLength);
        if (name.back().isHighSurrogate())
            name.chop(1);
    }
    const bool saysNothing = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c == u'_'; });
    return saysNothing ? QStringLiteral("speech") : name;
}

QString NewPath(const QString &directory, const QString &eventName, const QString &ownFile)
{
    const QDir dir(directory);
    const QString base = BaseName(eventName);
    for (int n = 1;; ++n) {
        const QString path = dir.filePath(n == 1 ? base + QStringLiteral(".wav")
                                                 : QStringLiteral("%1-%2.wav").arg(base).arg(n));
        // A dangling link counts as there: writing would follow it.
        const QFileInfo info(path);
        if ((!info.exists() && !info.isSymLink()) || sameFile(path, ownFile))
            return path;
    }
}

WaveFile::Tags ToTags(const Speech &speech)
{
    return {speech.text, SoftwarePrefix + speech.voice};
}

std::optional<Speech> FromTags(const WaveFile::Tags &tags)
{
    if (!tags.software.startsWith(SoftwarePrefix))
        return std::nullopt;
    return Speech{tags.comment, tags.software.mid(SoftwarePrefix.size())};
}

std::optional<Speech> Read(const QString &path)
{
    const std::optional<WaveFile::Tags> tags = WaveFile::ReadTags(path);
    return tags ? FromTags(*tags) : std::nullopt;
}

bool Make(const QString &path, const Speech &speech, int rate, std::stop_token stop, QString *error)
{
    const std::optional<WaveData> wave = SpeechSynthesizer::Synthesize(speech.text, speech.voice, rate,
                                                                       stop, error);
    if (!wave)
        return false;
    // Stopped after the last sample: no one is waiting for the file.
    if (stop.stop_requested()) {
        if (error)
            error->clear();
        return false;
    }
    return WaveFile::Write(path, *wave, ToTags(speech), error);
}

} // namespace SpeechFile
