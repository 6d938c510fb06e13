#include "messagebox.h"

QString ApplicationTitle()
{
    return QStringLiteral("parlowen");
}

QMessageBox::StandardButton ShowMessageBox(QWidget *owner, const QString &text,
                                           const QString &caption,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption.isEmpty() ? ApplicationTitle() : caption, text, buttons, owner);
    // The text is shown as given, never as markup.
    box.setTextFormat(Qt::PlainText);
    return QMessageBox::StandardButton(box.exec());
}
