#pragma once

#include <QByteArray>
#include <QString>

// "Start at login": an XDG autostart entry that starts the program with
// --start when the user logs in, $XDG_CONFIG_HOME/autostart/parlowen.desktop.
namespace Autostart {

QString EntryPath();

// The entry is there and not switched off by the desktop's own settings
// (Hidden=true, X-GNOME-Autostart-enabled=false).
bool IsEnabled();

// Writes the entry (for this very program) or removes it. Returns an empty
// text when done, else what went wrong, for the user.
QString SetEnabled(bool enabled);

// How a login starts this program: its bare name when the search path finds
// this very program under it, else its full path.
QString ProgramCommand();

// One argument of an Exec= line, quoted and escaped as desktop entries need.
QString QuoteExecArgument(const QString &argument);

// The whole entry for `program`.
QByteArray EntryText(const QString &program);

} // namespace Autostart
