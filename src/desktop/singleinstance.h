#pragma once

#include "startrequest.h"

#include <QObject>
#include <QString>

// One running program per user session. The first start claims the session
// and later receives the requests of later starts; a later start hands its
// request over and ends, so that two schedules never speak at once.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim {
        // This program is the one that runs; requestReceived() brings the
        // requests of later starts.
        First,
        // The program already running took the request: this one ends.
        HandedOver,
        // A program runs but did not take the request; errorString() says why.
        Failed,
    };

    using QObject::QObject;

    virtual Claim claim(const StartRequest &request) = 0;
    virtual QString errorString() const = 0;

signals:
    void requestReceived(const StartRequest &request);
};
