#pragma once

#include <QString>

// The directory of the running executable, with its trailing '/'. The help
// file, the sample schedule and relative wave names are found there.
QString ProgramDirectory();

// Tests point the program directory at a folder of their own; an empty text
// goes back to the executable's directory.
void SetProgramDirectoryForTesting(const QString &directory);
