#include "help.h"

#include "messagebox.h"
#include "programdirectory.h"

#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace {
QPointer<QTextBrowser> &helpWindow()
{
    static QPointer<QTextBrowser> window;
    return window;
}

QString helpFilePath()
{
    return ProgramDirectory() + QStringLiteral("parlowen.html");
}
} // namespace

namespace Help {

bool ShowContents(QWidget *caller)
{
    const QString path = helpFilePath();
    if (!QFileInfo(path).isFile()) {
        ShowMessageBox(caller, QStringLiteral("Failed to launch help."));
        return false;
    }

    QPointer<QTextBrowser> &window = helpWindow();
    if (!window) {
        // A top-level window of its own, so it stays open beside the
        // program's modal windows and can be read while editing.
        window = new QTextBrowser;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("Parlowen Help"));
        window->setOpenExternalLinks(true);
        window->setAccessibleName(QStringLiteral("Parlowen Help"));
        window->resize(640, 560);
    }
    window->setSource(QUrl::fromLocalFile(path));
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

void Quit()
{
    if (QPointer<QTextBrowser> &window = helpWindow())
        window->close();
}

bool IsShown()
{
    const QPointer<QTextBrowser> &window = helpWindow();
    return window && window->isVisible();
}

} // namespace Help
