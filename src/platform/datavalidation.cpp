#include "datavalidation.h"

#include "messagebox.h"

#include <QLineEdit>

std::optional<int> ReadIntegerInRange(QLineEdit *edit, int minimum, int maximum)
{
    bool isInteger = false;
    const int value = edit->text().trimmed().toInt(&isInteger);

    QString problem;
    if (!isInteger)
        problem = QStringLiteral("Please enter an integer.");
    else if (value < minimum || value > maximum)
        problem = QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);

    if (problem.isEmpty())
        return value;

    ShowMessageBox(edit->window(), problem, {}, QMessageBox::Ok, QMessageBox::Warning);
    edit->setFocus();
    edit->selectAll();
    return std::nullopt;
}
