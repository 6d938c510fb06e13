#pragma once

#include "singleinstance.h"

class QLocalServer;
class QLocalSocket;

// The session's one program, found through a local socket in the user's
// runtime directory ($XDG_RUNTIME_DIR/parlowen.socket). A lock file beside it
// keeps two starts at the same moment from both taking the socket; a socket
// left behind by a program that crashed answers no one and is taken over.
class LocalSocketInstance : public SingleInstance
{
    Q_OBJECT

public:
    explicit LocalSocketInstance(QObject *parent = nullptr);
    ~LocalSocketInstance() override;

    Claim claim(const StartRequest &request) override;
    QString errorString() const override { return m_errorString; }

    QString socketPath() const { return m_socketPath; }

private:
    enum class HandOver { Taken, NoServer, Refused };
    HandOver handOver(const StartRequest &request);
    bool listen();
    void acceptConnection(QLocalSocket *socket);

    QString m_socketPath;
    QString m_lockPath;
    QString m_errorString;
    QLocalServer *m_server = nullptr;
};
