#include "desktopsettings.h"

#include "profile.h"

namespace {
const QString Section = QStringLiteral("Desktop");
const QString NotifyKey = QStringLiteral("Notify");
} // namespace

namespace DesktopSettings {

bool NotifyEnabled()
{
    return Profile::ReadString(Section, NotifyKey, QStringLiteral("1")) != QLatin1String("0");
}

bool SetNotifyEnabled(bool enabled)
{
    return Profile::WriteString(Section, NotifyKey, enabled ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace DesktopSettings
