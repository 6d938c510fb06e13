#include "recoveryfiles.h"

#include "profile.h"
#include "schedulepaths.h"
#include "userdatadirectory.h"

#include <QDir>
#include <QFileInfo>

namespace RecoveryFiles {

namespace {
const QString Section = QStringLiteral("Recovered");
const QString AnnouncedKey = QStringLiteral("Announced");
const QString Extension = QStringLiteral(".sked");
// File names never hold '/': it parts the names in KQ.ini.
constexpr QChar NameSeparator = u'/';

QStringList recoveredNames()
{
    return QDir(Folder()).entryList({QStringLiteral("*") + Extension}, QDir::Files, QDir::Name);
}

QStringList announcedNames()
{
    return Profile::ReadString(Section, AnnouncedKey, {}).split(NameSeparator, Qt::SkipEmptyParts);
}
} // namespace

QString Folder()
{
    return UserDataDirectory() + QStringLiteral("recovered/");
}

QString PathFor(const QString &schedulePath, const QDateTime &when)
{
    QString name = QFileInfo(schedulePath).completeBaseName();
    if (name.isEmpty())
        name = QFileInfo(SchedulePaths::UnnamedPath()).completeBaseName();
    // Made when first needed: most users never see it.
    QDir().mkpath(Folder());
    const QString stem = Folder() + name + u'-' + when.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString path = stem + Extension;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + u'-' + QString::number(n) + Extension;
    return path;
}

ScheduleFile::SaveResult Keep(const EventTable &table, const QString &schedulePath,
                              const QDateTime &when, QString *path)
{
    const QString target = PathFor(schedulePath, when);
    const ScheduleFile::SaveResult result = ScheduleFile::Save(table, target);
    if (result.saved && path)
        *path = target;
    return result;
}

QStringList Unannounced()
{
    const QStringList announced = announcedNames();
    QStringList paths;
    for (const QString &name : recoveredNames())
        if (!announced.contains(name))
            paths << Folder() + name;
    return paths;
}

bool MarkAnnounced(const QStringList &paths)
{
    const QStringList present = recoveredNames();
    QStringList announced;
    for (const QString &name : announcedNames())
        if (present.contains(name))
            announced << name;
    for (const QString &path : paths) {
        const QString name = QFileInfo(path).fileName();
        if (present.contains(name) && !announced.contains(name))
            announced << name;
    }
    return Profile::WriteString(Section, AnnouncedKey, announced.join(NameSeparator));
}

} // namespace RecoveryFiles
