#pragma once

#include "startrequest.h"

#include <QByteArray>

// The message in which a later start hands its request to the program
// already running: a four-byte big-endian length, then that many bytes of a
// JSON object {"version": 1, "file": "/abs/path.sked", "start": true}. The
// running program answers with one byte, Accepted or Rejected.
namespace HandOverMessage {

constexpr char Accepted = 'A';
constexpr char Rejected = 'R';
// Far more than any path needs; a longer message is not a request of ours.
constexpr qsizetype MaximumLength = 64 * 1024;

QByteArray Encode(const StartRequest &request);

// Collects the bytes of one message as they arrive.
class Reader
{
public:
    enum class State { Incomplete, Complete, Invalid };

    State feed(const QByteArray &bytes);
    State state() const { return m_state; }
    // Valid once the state is Complete.
    const StartRequest &request() const { return m_request; }

private:
    State decode();

    QByteArray m_buffer;
    State m_state = State::Incomplete;
    StartRequest m_request;
};

} // namespace HandOverMessage
