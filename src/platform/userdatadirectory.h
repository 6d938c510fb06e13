#pragma once

#include <QString>

// The per-user data folder, $XDG_DATA_HOME/parlowen/ (by default
// ~/.local/share/parlowen/). Everything the program writes or proposes to
// write for the user lives here: the default schedule, the unnamed schedule
// of New, the editor's default sound and the files made from speech. The
// program directory holds only shipped, read-only files.
//
// Returned with its trailing '/'; the folder is created when missing.
QString UserDataDirectory();
