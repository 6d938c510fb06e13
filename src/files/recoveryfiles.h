#pragma once

#include "schedulefile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class EventTable;

// Where a schedule's unsaved changes go when the program is ended from
// outside (the session ends, a termination signal) and nobody can be asked:
// a file of their own in the per-user data folder, never the user's own
// file, which the user did not agree to replace. At the next start the
// user is told once where they are.
namespace RecoveryFiles {

// $XDG_DATA_HOME/parlowen/recovered/, with its trailing '/'.
QString Folder();

// A free name in Folder() for the changes to the schedule at
// `schedulePath` kept at `when`: "<name>-yyyyMMdd-hhmmss.sked", with
// "-2", "-3"... before the extension when that name is taken. A schedule
// without a path counts as the unnamed one.
QString PathFor(const QString &schedulePath, const QDateTime &when);

// Writes the table, through the schedule writer, to PathFor(...). On
// success `*path` names the file written.
ScheduleFile::SaveResult Keep(const EventTable &table, const QString &schedulePath,
                              const QDateTime &when, QString *path);

// The files in Folder() the user has not been told of yet, in name order.
QStringList Unannounced();

// Remembers (in KQ.ini) that the user has been told of `paths`. Files no
// longer in the folder are forgotten.
bool MarkAnnounced(const QStringList &paths);

} // namespace RecoveryFiles
