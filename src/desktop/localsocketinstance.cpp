#include "localsocketinstance.h"

#include "handovermessage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

namespace {
// A program in its event loop answers within milliseconds; one still
// loading a large schedule at its start gets a little longer.
constexpr int ConnectTimeoutMs = 500;
constexpr int AnswerTimeoutMs = 3000;
// A later start waits this long for another start claiming at the same time.
constexpr int LockTimeoutMs = 3000;
// A connection that sends no complete request in this time is dropped.
constexpr int ReceiveTimeoutMs = 5000;
} // namespace

LocalSocketInstance::LocalSocketInstance(QObject *parent)
    : SingleInstance(parent)
{
    // The runtime directory belongs to the user alone (Qt checks its
    // owner and mode), so no one else can reach the socket.
    const QDir runtime(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    m_socketPath = runtime.filePath(QStringLiteral("parlowen.socket"));
    m_lockPath = runtime.filePath(QStringLiteral("parlowen.lock"));
}

LocalSocketInstance::~LocalSocketInstance() = default;

SingleInstance::Claim LocalSocketInstance::claim(const StartRequest &request)
{
    QLockFile lock(m_lockPath);
    // A lock left by a crashed start names a process that is gone and is
    // taken over at once; one held by a start that hangs is waited for only
    // briefly, then this start goes on without it. The lock is let go when
    // this returns: by then the socket is listening, or not needed.
    lock.tryLock(LockTimeoutMs);

    switch (handOver(request)) {
    case HandOver::Taken:
        return Claim::HandedOver;
    case HandOver::Refused:
        return Claim::Failed;
    case HandOver::NoServer:
        break;
    }
    if (!listen())
        qWarning("parlowen: %s; a second start will not find this one.", qPrintable(m_errorString));
    return Claim::First;
}

LocalSocketInstance::HandOver LocalSocketInstance::handOver(const StartRequest &request)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(ConnectTimeoutMs)) {
        // No socket, or one no process listens on any more: ours to take.
        if (socket.error() == QLocalSocket::ServerNotFoundError
            || socket.error() == QLocalSocket::ConnectionRefusedError)
            return HandOver::NoServer;
        m_errorString = QStringLiteral("The running Parlowen cannot be reached: %1")
                            .arg(socket.errorString());
        return HandOver::Refused;
    }
    socket.write(HandOverMessage::Encode(request));
    QByteArray answer;
    QElapsedTimer elapsed;
    elapsed.start();
    while (answer.isEmpty() && elapsed.elapsed() < AnswerTimeoutMs
           && socket.state() == QLocalSocket::ConnectedState) {
        socket.waitForReadyRead(int(AnswerTimeoutMs - elapsed.elapsed()));
        answer += socket.read(1);
    }
    if (answer == QByteArray(1, HandOverMessage::Accepted))
        return HandOver::Taken;
    m_errorString = answer.isEmpty()
                        ? QStringLiteral("Parlowen is already running, but it does not answer.")
                        : QStringLiteral("Parlowen is already running, but it refused the request.");
    return HandOver::Refused;
}

bool LocalSocketInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Nothing answered on the socket, so any file there is a leftover of a
    // program that did not end cleanly.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath)) {
        m_errorString = QStringLiteral("cannot listen on %1: %2")
                            .arg(m_socketPath, m_server->errorString());
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            acceptConnection(socket);
    });
    return true;
}

void LocalSocketInstance::acceptConnection(QLocalSocket *socket)
{
    auto reader = std::make_shared<HandOverMessage::Reader>();
    auto *timeout = new QTimer(socket);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, socket, &QLocalSocket::abort);
    timeout->start(ReceiveTimeoutMs);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader, timeout] {
        using State = HandOverMessage::Reader::State;
        if (reader->state() != State::Incomplete) {
            socket->readAll();
            return;
        }
        switch (reader->feed(socket->readAll())) {
        case State::Incomplete:
            return;
        case State::Invalid:
            timeout->stop();
            socket->write(QByteArray(1, HandOverMessage::Rejected));
            socket->disconnectFromServer();
            return;
        case State::Complete:
            timeout->stop();
            socket->write(QByteArray(1, HandOverMessage::Accepted));
            socket->disconnectFromServer();
            // Carried out from the event loop, once this handler has
            // returned: opening a file may ask a question first.
            QTimer::singleShot(0, this, [this, request = reader->request()] {
                emit requestReceived(request);
            });
            return;
        }
    });
}
