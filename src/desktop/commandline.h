#pragma once

#include "startrequest.h"

#include <QString>
#include <QStringList>

// The program's command line:  parlowen [--start] [FILE.sked]
struct CommandLine
{
    enum class Action {
        Run,         // open the window with `request`
        ShowHelp,    // print `text` and end
        ShowVersion, // print `text` and end
        Fail,        // print `text`, the mistake, on standard error and end
    };
    Action action = Action::Run;
    StartRequest request;
    QString text;
};

// Parses `arguments` (the program's name first, as in argv). A relative file
// name is made absolute against `workingDirectory`, so that the request means
// the same file to a program running elsewhere.
CommandLine ParseCommandLine(const QStringList &arguments, const QString &workingDirectory);

// Prints what a command line that does not open the window asks for (help,
// version or the mistake) and returns the program's exit code.
int PrintCommandLineAnswer(const CommandLine &commandLine);
