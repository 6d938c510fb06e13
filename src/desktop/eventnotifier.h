#pragma once

#include <QObject>
#include <QString>

// Tells the desktop that an event has fired.
class EventNotifier : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // `intervalText` is the event's "Interval", the time until it fires again.
    virtual void notifyEventFired(const QString &eventName, const QString &intervalText) = 0;
};
