#pragma once

#include <QValidator>

// Keeps an edit's text within what one field of a schedule file holds,
// counted in bytes of UTF-8 as the file stores it, not in characters. Text
// typed or pasted beyond that is cut where it was put in, between two
// characters, and the rest of the text stays.
class FieldSizeValidator : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override;
};
