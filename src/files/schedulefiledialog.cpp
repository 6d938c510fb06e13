#include "schedulefiledialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace ScheduleFileDialog {

namespace {

const QString InitialName = QStringLiteral("*.sked");

bool isPattern(const QString &name)
{
    return name.contains(u'*') || name.contains(u'?');
}

// A name with wildcards is a pattern for the listing, never a file to open
// or create: accepting it narrows the listing and keeps the dialog open.
class PatternFileDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const QString name = chosen.isEmpty() ? QString() : QFileInfo(chosen.first()).fileName();
        if (isPattern(name)) {
            setNameFilter(name);
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

QString Ask(QWidget *parent, Kind kind, const QString &currentPath)
{
    PatternFileDialog dialog(parent);
    // Qt's own dialog behaves the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(kind == Kind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("sked"));
    if (!currentPath.isEmpty()) {
        const QFileInfo current(currentPath);
        if (current.absoluteDir().exists())
            dialog.setDirectory(current.absolutePath());
    }
    // The name starts as a pattern, so the listing starts with the schedules.
    dialog.setNameFilter(InitialName);
    dialog.selectFile(InitialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace ScheduleFileDialog
