#pragma once

#include <QString>

class QWidget;

// The Open and Save As dialogs of the file commands.
namespace ScheduleFileDialog {

enum class Kind { Open, SaveAs };

// Runs the dialog and gives the chosen full path, or an empty text when the
// user cancelled. It starts in the folder of `currentPath` when there is one.
// Save As asks before it replaces a file; Open accepts a name that does not
// exist yet, which then becomes a new, empty schedule.
QString Ask(QWidget *parent, Kind kind, const QString &currentPath);

} // namespace ScheduleFileDialog
