#include "schedulepaths.h"

#include "defaultsound.h"
#include "profile.h"
#include "programdirectory.h"
#include "userdatadirectory.h"
#include "wavefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace SchedulePaths {

namespace {
const QString UnnamedFileName = QStringLiteral("NoName.sked");
const QString LastSection = QStringLiteral("FILE");
const QString LastKey = QStringLiteral("LAST");
const QString SamplesFolder = QStringLiteral("samples/");

// Copies a shipped file for the user; the copy is the user's to change even
// when the shipped one is read-only.
bool copyForUser(const QString &from, const QString &to, QStringList &problems)
{
    if (QFile::copy(from, to)
        && QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                         | QFile::ReadOther))
        return true;
    problems << QStringLiteral("%1 could not be copied to %2.").arg(from, to);
    return false;
}
} // namespace

QString UnnamedPath()
{
    return UserDataDirectory() + UnnamedFileName;
}

bool IsUnnamed(const QString &path)
{
    return path.section(u'/', -1) == UnnamedFileName;
}

QString DefaultPath()
{
    return UserDataDirectory() + QStringLiteral("default.sked");
}

QString DefaultWavePath()
{
    return UserDataDirectory() + QStringLiteral("Default.wav");
}

QStringList WaveDirectories()
{
    return {UserDataDirectory(), ProgramDirectory()};
}

QString PrepareUserData()
{
    const QString home = UserDataDirectory();
    QStringList problems;
    const QString sample = ProgramDirectory() + QStringLiteral("default.sked");
    if (!QFileInfo::exists(DefaultPath()) && QFileInfo::exists(sample)) {
        // The sounds first and the schedule last: a start that stops half
        // way tries again next time.
        const QDir shipped(ProgramDirectory() + SamplesFolder);
        bool soundsCopied = QDir().mkpath(home + SamplesFolder);
        for (const QString &name : shipped.entryList({QStringLiteral("*.wav")}, QDir::Files)) {
            const QString target = home + SamplesFolder + name;
            if (!QFileInfo::exists(target))
                soundsCopied = copyForUser(shipped.filePath(name), target, problems) && soundsCopied;
        }
        if (soundsCopied)
            copyForUser(sample, DefaultPath(), problems);
    }
    if (!QFileInfo::exists(DefaultWavePath())) {
        QString error;
        if (!WaveFile::Write(DefaultWavePath(), *DefaultSound(), &error))
            problems << QStringLiteral("%1 could not be written: %2").arg(DefaultWavePath(), error);
    }
    return problems.join(u'\n');
}

QString ReadLast()
{
    return Profile::ReadString(LastSection, LastKey, DefaultPath());
}

bool WriteLast(const QString &path)
{
    return Profile::WriteString(LastSection, LastKey, path);
}

QString WindowTitle(const QString &path)
{
    return QStringLiteral("Quenta Parlowen (") + path + u')';
}

} // namespace SchedulePaths
