#pragma once

#include <QString>

// The settings file KQ.ini: an INI file with plain sections and keys, kept in
// the user's configuration directory ($XDG_CONFIG_HOME/parlowen/KQ.ini).
namespace Profile {

QString FilePath();

QString ReadString(const QString &section, const QString &key, const QString &defaultValue);

// Returns false when the file could not be written.
bool WriteString(const QString &section, const QString &key, const QString &value);

} // namespace Profile
