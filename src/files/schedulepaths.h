#pragma once

#include <QString>

// Where schedules live: the unnamed schedule of New, the sample schedule
// opened at a first start, the schedule remembered in KQ.ini for the next
// start, and the window title that shows the schedule in use.
namespace SchedulePaths {

// The program directory's "NoName.sked": a schedule the user has not named.
QString UnnamedPath();
// Only the file name counts, case-sensitively, whatever the folder.
bool IsUnnamed(const QString &path);

// The program directory's "default.sked".
QString DefaultPath();

// KQ.ini "FILE"/"LAST": the schedule in use when the window was last closed;
// DefaultPath() when nothing was ever recorded. An empty text means none.
QString ReadLast();
bool WriteLast(const QString &path);

QString WindowTitle(const QString &path);

} // namespace SchedulePaths
