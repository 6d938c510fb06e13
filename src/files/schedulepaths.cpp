#include "schedulepaths.h"

#include "profile.h"
#include "programdirectory.h"

namespace SchedulePaths {

namespace {
const QString UnnamedFileName = QStringLiteral("NoName.sked");
const QString LastSection = QStringLiteral("FILE");
const QString LastKey = QStringLiteral("LAST");
} // namespace

QString UnnamedPath()
{
    return ProgramDirectory() + UnnamedFileName;
}

bool IsUnnamed(const QString &path)
{
    return path.section(u'/', -1) == UnnamedFileName;
}

QString DefaultPath()
{
    return ProgramDirectory() + QStringLiteral("default.sked");
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
