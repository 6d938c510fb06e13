#include "fieldsizevalidator.h"

#include "skedrecord.h"

#include <algorithm>

QValidator::State FieldSizeValidator::validate(QString &input, int &pos) const
{
    if (SkedRecord::Utf8Length(input) <= SkedRecord::MaxFieldBytes)
        return Acceptable;
    // What was just typed or pasted ends at the cursor: it gives way, and
    // the text after the cursor stays.
    const int cursor = std::clamp(pos, 0, int(input.size()));
    const QStringView after = QStringView(input).sliced(cursor);
    const qsizetype room = SkedRecord::MaxFieldBytes - SkedRecord::Utf8Length(after);
    if (room >= 0) {
        const qsizetype kept = SkedRecord::FittingLength(QStringView(input).first(cursor), room);
        QString fitted = input.first(kept);
        fitted += after;
        input = fitted;
        pos = int(kept);
    } else {
        input.truncate(SkedRecord::FittingLength(input));
        pos = std::min(pos, int(input.size()));
    }
    return Acceptable;
}
