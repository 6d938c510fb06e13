#include "trayicon.h"

QString TrayToolTip(const TrayStatus &status)
{
    QString text = status.running ? QStringLiteral("Parlowen: running")
                                  : QStringLiteral("Parlowen: stopped");
    if (status.hasNextEvent)
        text += QStringLiteral("\nNext: %1, Start in %2").arg(status.nextEvent, status.nextStartIn);
    return text;
}
