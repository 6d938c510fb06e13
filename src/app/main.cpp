#include "commandline.h"
#include "localsocketinstance.h"
#include "messagebox.h"
#include "schedulerapp.h"
#include "terminationsignals.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {
QStringList Arguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("parlowen"));
    QApplication::setApplicationVersion(QStringLiteral(PARLOWEN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("parlowen"));

    // Help and version need no display. A mistake is judged only once the
    // application object has taken its own options (-platform, -style...).
    CommandLine commandLine = ParseCommandLine(Arguments(argc, argv), QDir::currentPath());
    if (commandLine.action == CommandLine::Action::ShowHelp
        || commandLine.action == CommandLine::Action::ShowVersion)
        return PrintCommandLineAnswer(commandLine);

    QApplication app(argc, argv);
    commandLine = ParseCommandLine(QApplication::arguments(), QDir::currentPath());
    if (commandLine.action != CommandLine::Action::Run)
        return PrintCommandLineAnswer(commandLine);

    // Ended from outside (the session's end, `kill`, Ctrl+C), the program
    // ends in order: nothing of the schedule is lost.
    TerminationSignals termination;
    if (!termination.isActive())
        std::fprintf(stderr, "parlowen: %s\n", qPrintable(termination.errorString()));

    LocalSocketInstance instance;
    switch (instance.claim(commandLine.request)) {
    case SingleInstance::Claim::HandedOver:
        return EXIT_SUCCESS;
    case SingleInstance::Claim::Failed:
        std::fprintf(stderr, "parlowen: %s\n", qPrintable(instance.errorString()));
        ShowMessageBox(nullptr, instance.errorString(), QStringLiteral("Warning"));
        return EXIT_FAILURE;
    case SingleInstance::Claim::First:
        break;
    }

    CSchedulerApp theApp(commandLine.request, &instance, &termination);
    theApp.InitInstance();
    return EXIT_SUCCESS;
}
