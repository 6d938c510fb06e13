#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

CommandLine ParseCommandLine(const QStringList &arguments, const QString &workingDirectory)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Speaks your reminders aloud on a schedule."));
    // Not addHelpOption(): its --help-all lists the toolkit's own options,
    // which cannot be shown before the application object exists.
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Displays help on commandline options."));
    parser.addOption(helpOption);
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption startOption(
        QStringLiteral("start"), QStringLiteral("Start the schedule once the window is up."));
    parser.addOption(startOption);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("Schedule to open instead of the one in use when the program was last closed."),
        QStringLiteral("[FILE.sked]"));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Fail;
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(helpOption)) {
        result.action = CommandLine::Action::ShowHelp;
        // Help is given before the application object exists, when the
        // parser cannot name the program by itself: the usage line names it
        // as the user typed it, without its folder.
        const QString programName =
            arguments.isEmpty() ? QStringLiteral("parlowen") : QFileInfo(arguments.first()).fileName();
        result.text = parser.helpText();
        const qsizetype usageEnd = result.text.indexOf(QStringLiteral(" [options]"));
        if (result.text.startsWith(QStringLiteral("Usage: ")) && usageEnd > 0)
            result.text.replace(0, usageEnd, QStringLiteral("Usage: ") + programName);
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = QCoreApplication::applicationName() + u' '
                      + QCoreApplication::applicationVersion() + u'\n';
        return result;
    }

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.action = CommandLine::Action::Fail;
        result.text = QStringLiteral("Only one schedule file can be opened at a time.");
        return result;
    }
    if (files.size() == 1) {
        if (files.first().isEmpty()) {
            result.action = CommandLine::Action::Fail;
            result.text = QStringLiteral("The schedule file name is empty.");
            return result;
        }
        result.request.file = QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(files.first()));
    }
    result.request.start = parser.isSet(startOption);
    return result;
}

int PrintCommandLineAnswer(const CommandLine &commandLine)
{
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(qPrintable(commandLine.text), stdout);
        return EXIT_SUCCESS;
    case CommandLine::Action::Fail:
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n",
                     qPrintable(QCoreApplication::applicationName()), qPrintable(commandLine.text),
                     qPrintable(QCoreApplication::applicationName()));
        return EXIT_FAILURE;
    case CommandLine::Action::Run:
        break;
    }
    return EXIT_SUCCESS;
}
