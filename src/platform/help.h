#pragma once

class QWidget;

// The program's help: an HTML file beside the executable, shown in the
// program's own help window.
namespace Help {

// Shows the help window at its contents. When the help file is missing the
// user is told "Failed to launch help."; returns false then.
bool ShowContents(QWidget *caller);

// Closes the help window if this program opened one.
void Quit();

// True while the help window is shown.
bool IsShown();

} // namespace Help
