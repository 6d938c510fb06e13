#pragma once

// Puts a small help page where the program looks for its help file, so that
// a test can open the help window without the real page.

#include <QDir>
#include <QFile>

inline bool WriteHelpFile(const QString &programDirectory,
                          const QByteArray &body = "<h1>Parlowen Help</h1>")
{
    QFile help(QDir(programDirectory).filePath(QStringLiteral("parlowen.html")));
    return help.open(QIODevice::WriteOnly)
           && help.write("<html><body>" + body + "</body></html>") > 0;
}
