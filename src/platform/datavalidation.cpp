#include "datavalidation.h"

#include "messagebox.h"

#include <QLineEdit>
#include <QRegularExpression>

std::optional<int> ReadIntegerInRange(QLineEdit *edit, int minimum, int maximum)
{
    const QString text = edit->text().trimmed();
    bool fitsInt = false;
    const int value = text.toInt(&fitsInt);
    // Digits too many for a number are still a number, and out of range.
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    const bool isInteger = fitsInt || integer.match(text).hasMatch();

    QString problem;
    if (!isInteger)
        problem = QStringLiteral("Please enter an integer.");
    else if (!fitsInt || value < minimum || value > maximum)
        problem = QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);

    if (problem.isEmpty())
        return value;

    ShowMessageBox(edit->window(), problem, {}, QMessageBox::Ok, QMessageBox::Warning);
    edit->setFocus();
    edit->selectAll();
    return std::nullopt;
}
