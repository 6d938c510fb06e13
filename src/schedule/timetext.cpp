#include "timetext.h"

#include <limits>

int LeadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'
                     || text[i] == u'\v' || text[i] == u'\f'))
        ++i;

    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    constexpr long long limit = std::numeric_limits<int>::max();
    long long value = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > limit + 1)
            value = limit + 1; // keep going over the digits, but saturated
    }
    if (negative)
        return value > limit ? std::numeric_limits<int>::min() : int(-value);
    return value > limit ? int(limit) : int(value);
}

TimeParts ParseTimeText(QStringView text)
{
    TimeParts t;
    t.hours = LeadingNumber(text.left(2));
    t.minutes = text.size() > 3 ? LeadingNumber(text.mid(3, 2)) : 0;
    t.seconds = LeadingNumber(text.right(2));
    return t;
}

QString FormatTimeText(int hours, int minutes, int seconds)
{
    return QString::asprintf("%02d:%02d:%02d", hours, minutes, seconds);
}

QString FormatMillisecondsText(quint32 milliseconds)
{
    const quint32 s = milliseconds / 1000;
    return FormatTimeText(int(s / 3600), int(s % 3600 / 60), int(s % 60));
}
