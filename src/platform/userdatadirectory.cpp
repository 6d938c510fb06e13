#include "userdatadirectory.h"

#include <QDir>
#include <QStandardPaths>

QString UserDataDirectory()
{
    // The same folder as AppLocalDataLocation for this program (no
    // organisation, application "parlowen"), but independent of the name a
    // test executable gives the application.
    QString directory = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                        + QStringLiteral("/parlowen/");
    QDir().mkpath(directory);
    return directory;
}
