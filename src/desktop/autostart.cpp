#include "autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The desktop file id: the same as the program's own desktop entry.
const QString EntryName = QStringLiteral("parlowen.desktop");

// Characters that make an Exec= argument need quotes.
const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

// Reads `key` of the [Desktop Entry] group; empty when missing.
QString EntryValue(const QByteArray &text, const QByteArray &key)
{
    bool inMainGroup = false;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (inMainGroup && equals > 0 && line.left(equals).trimmed() == key)
            return QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return {};
}

} // namespace

namespace Autostart {

QString EntryPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("autostart/") + EntryName);
}

bool IsEnabled()
{
    QFile file(EntryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.read(64 * 1024);
    return EntryValue(text, "Hidden") != QLatin1String("true")
           && EntryValue(text, "X-GNOME-Autostart-enabled") != QLatin1String("false");
}

QString SetEnabled(bool enabled)
{
    const QString path = EntryPath();
    if (!enabled) {
        if (QFile::exists(path) && !QFile::remove(path))
            return QStringLiteral("The entry that starts Parlowen at login could not be removed "
                                  "from %1.")
                .arg(path);
        return {};
    }
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly)
        || file.write(EntryText(ProgramCommand())) < 0 || !file.commit())
        return QStringLiteral("The entry that starts Parlowen at login could not be written to "
                              "%1:\n%2")
            .arg(path, file.errorString());
    return {};
}

QString ProgramCommand()
{
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString name = QFileInfo(self).fileName();
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty() && QFileInfo(found).canonicalFilePath() == self)
        return name;
    return self;
}

QString QuoteExecArgument(const QString &argument)
{
    QString quoted;
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument) {
        if (Reserved.contains(c))
            needsQuotes = true;
        // Inside quotes these four take a backslash.
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        // A lone % would start a field code.
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    if (needsQuotes)
        quoted = u'"' + quoted + u'"';
    // The string escapes of a desktop entry apply to the whole value first.
    QString escaped;
    for (const QChar c : quoted) {
        switch (c.unicode()) {
        case '\\': escaped += QStringLiteral("\\\\"); break;
        case '\n': escaped += QStringLiteral("\\n"); break;
        case '\t': escaped += QStringLiteral("\\t"); break;
        case '\r': escaped += QStringLiteral("\\r"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

QByteArray EntryText(const QString &program)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Parlowen\n"
                                        "Comment=Starts the schedule of spoken reminders\n"
                                        "Exec=%1 --start\n"
                                        "Icon=parlowen\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(QuoteExecArgument(program));
    return text.toUtf8();
}

} // namespace Autostart
