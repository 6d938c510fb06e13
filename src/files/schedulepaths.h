#pragma once

#include <QString>
#include <QStringList>

// Where schedules live: the unnamed schedule of New, the sample schedule
// opened at a first start, the schedule remembered in KQ.ini for the next
// start, and the window title that shows the schedule in use. What the
// program writes or proposes to write is in the per-user data folder; the
// program directory, often read-only, only ships the samples.
namespace SchedulePaths {

// The per-user "NoName.sked": a schedule the user has not named.
QString UnnamedPath();
// Only the file name counts, case-sensitively, whatever the folder.
bool IsUnnamed(const QString &path);

// The per-user "default.sked", a copy of the sample at first.
QString DefaultPath();

// The per-user "Default.wav": the editor's sound while none was chosen.
QString DefaultWavePath();

// Where a relative wave name in a schedule is looked for: the per-user
// folder first, then the program directory.
QStringList WaveDirectories();

// Readies the per-user folder at start: when it has no default schedule,
// the sample schedule and its sounds are copied from the program directory
// (so the sample opens and can be saved), and when it has no Default.wav the
// program's own chime is written there. Files already there are left alone.
// Returns what went wrong, for the user; empty when all is well.
QString PrepareUserData();

// KQ.ini "FILE"/"LAST": the schedule in use when the window was last closed;
// DefaultPath() when nothing was ever recorded. An empty text means none.
QString ReadLast();
bool WriteLast(const QString &path);

QString WindowTitle(const QString &path);

} // namespace SchedulePaths
