#include "programdirectory.h"

#include <QCoreApplication>

namespace {
QString &overrideDirectory()
{
    static QString directory;
    return directory;
}

QString withTrailingSlash(QString directory)
{
    if (!directory.endsWith(u'/'))
        directory += u'/';
    return directory;
}
} // namespace

QString ProgramDirectory()
{
    if (!overrideDirectory().isEmpty())
        return withTrailingSlash(overrideDirectory());
    return withTrailingSlash(QCoreApplication::applicationDirPath());
}

void SetProgramDirectoryForTesting(const QString &directory)
{
    overrideDirectory() = directory;
}
