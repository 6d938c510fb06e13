#include "handovermessage.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

namespace HandOverMessage {

namespace {
constexpr int Version = 1;
constexpr qsizetype LengthSize = 4;
const QString VersionKey = QStringLiteral("version");
const QString FileKey = QStringLiteral("file");
const QString StartKey = QStringLiteral("start");
} // namespace

QByteArray Encode(const StartRequest &request)
{
    const QByteArray json = QJsonDocument(QJsonObject{{VersionKey, Version},
                                                      {FileKey, request.file},
                                                      {StartKey, request.start}})
                                .toJson(QJsonDocument::Compact);
    QByteArray message(LengthSize, '\0');
    qToBigEndian<quint32>(quint32(json.size()), message.data());
    return message + json;
}

Reader::State Reader::feed(const QByteArray &bytes)
{
    if (m_state != State::Incomplete) {
        // One message per connection: anything after it is not ours.
        if (!bytes.isEmpty())
            m_state = State::Invalid;
        return m_state;
    }
    m_buffer += bytes;
    if (m_buffer.size() < LengthSize)
        return m_state;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
    if (length > quint32(MaximumLength))
        return m_state = State::Invalid;
    const qsizetype total = LengthSize + qsizetype(length);
    if (m_buffer.size() < total)
        return m_state;
    if (m_buffer.size() > total)
        return m_state = State::Invalid;
    return m_state = decode();
}

Reader::State Reader::decode()
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(m_buffer.mid(LengthSize), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return State::Invalid;
    const QJsonObject object = document.object();
    const QJsonValue file = object.value(FileKey);
    const QJsonValue start = object.value(StartKey);
    if (object.value(VersionKey) != QJsonValue(Version) || !file.isString() || !start.isBool())
        return State::Invalid;
    // The sender resolves relative names against its own working directory;
    // the running program's would name another file.
    const QString path = file.toString();
    if (!path.isEmpty() && !QDir::isAbsolutePath(path))
        return State::Invalid;
    m_request = StartRequest{path, start.toBool()};
    return State::Complete;
}

} // namespace HandOverMessage
