#include "profile.h"

#include <QSettings>
#include <QStandardPaths>

namespace {
QString configDirectory()
{
    // GenericConfigLocation honours XDG_CONFIG_HOME and falls back to ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString keyPath(const QString &section, const QString &key)
{
    return section + u'/' + key;
}
} // namespace

namespace Profile {

QString FilePath()
{
    return configDirectory() + QStringLiteral("/parlowen/KQ.ini");
}

QString ReadString(const QString &section, const QString &key, const QString &defaultValue)
{
    const QSettings settings(FilePath(), QSettings::IniFormat);
    return settings.value(keyPath(section, key), defaultValue).toString();
}

bool WriteString(const QString &section, const QString &key, const QString &value)
{
    QSettings settings(FilePath(), QSettings::IniFormat);
    settings.setValue(keyPath(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace Profile
