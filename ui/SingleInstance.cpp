#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace torvel {

namespace {

constexpr char kAccepted = 'A';
constexpr char kBusy = 'B';
// Far beyond any real selection; a message claiming more is not ours.
constexpr quint32 kMaxPaths = 1000000;
constexpr quint32 kMaxPathBytes = 65536;

void appendNumber(QByteArray& data, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    data.append(bytes, 4);
}

// One message read as its bytes come in: what is whole is taken out once, so
// a message in many small pieces costs no more than one in a single piece.
class PathsReader
{
public:
    enum class State
    {
        Incomplete,
        Complete,
        Bad // can never be complete
    };

    State add(QByteArrayView bytes)
    {
        m_received += bytes.size();
        m_pending.append(bytes);
        qsizetype at = 0;
        const State state = take(at);
        m_pending.remove(0, at);
        return state;
    }

    qint64 received() const { return m_received; }
    std::vector<std::string>& paths() { return m_paths; }

private:
    // Takes the numbers and paths that are whole from m_pending, from at on.
    State take(qsizetype& at)
    {
        const auto number = [&](std::optional<quint32>& value) {
            if (!value && m_pending.size() - at >= 4) {
                value = qFromBigEndian<quint32>(m_pending.constData() + at);
                at += 4;
            }
            return value.has_value();
        };
        if (!number(m_count)) {
            return State::Incomplete;
        }
        if (*m_count > kMaxPaths) {
            return State::Bad;
        }
        while (m_paths.size() < *m_count) {
            if (!number(m_size)) {
                return State::Incomplete;
            }
            if (*m_size > kMaxPathBytes) {
                return State::Bad;
            }
            if (m_pending.size() - at < static_cast<qsizetype>(*m_size)) {
                return State::Incomplete;
            }
            m_paths.emplace_back(m_pending.constData() + at, *m_size);
            at += *m_size;
            m_size.reset();
        }
        return State::Complete;
    }

    QByteArray m_pending;           // bytes not yet taken into a number or a path
    qint64 m_received = 0;          // every byte so far
    std::optional<quint32> m_count; // the number of paths, once read
    std::optional<quint32> m_size;  // the length of the path being read, once read
    std::vector<std::string> m_paths;
};

// A folder that only this user can enter: a folder, not a link to one, of
// this user's, with no permission for group or others.
bool isPrivateFolder(const QByteArray& path)
{
    struct stat info
    {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode)
           && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// A socket file of this user's; one that another account put in place would
// take the paths of a later start to that account. Qt takes a relative name
// from the shared temporary folder: never one here.
bool isOwnSocket(const QString& path)
{
    struct stat info
    {};
    return path.startsWith(QLatin1Char('/'))
           && ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode)
           && info.st_uid == ::geteuid();
}

// Whether the process at the other end of a connected socket runs as this user.
bool peerIsThisUser(qintptr descriptor)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
           && peer.uid == ::geteuid();
}

} // namespace

QString SingleInstance::socketPath()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime)) {
        return QFile::decodeName(runtime) + QStringLiteral("/torvel.socket");
    }
    // Not straight in the shared temporary folder, where any account can
    // make the name first: in a folder of this user's there.
    const QString temp = QDir::tempPath(); // empty when $TMPDIR names no folder
    if (!temp.startsWith(QLatin1Char('/'))) {
        return {};
    }
    const QByteArray folder =
        QFile::encodeName(temp + QStringLiteral("/torvel-%1").arg(::geteuid()));
    ::mkdir(folder.constData(), 0700);
    if (!isPrivateFolder(folder)) {
        return {};
    }
    return QFile::decodeName(folder) + QStringLiteral("/torvel.socket");
}

QByteArray SingleInstance::encodePaths(const std::vector<std::string>& paths)
{
    QByteArray data;
    appendNumber(data, static_cast<quint32>(paths.size()));
    for (const std::string& path : paths) {
        appendNumber(data, static_cast<quint32>(path.size()));
        data.append(path.data(), static_cast<qsizetype>(path.size()));
    }
    return data;
}

std::optional<std::vector<std::string>> SingleInstance::decodePaths(const QByteArray& data,
                                                                    bool& bad)
{
    PathsReader reader;
    const PathsReader::State state = reader.add(data);
    bad = state == PathsReader::State::Bad;
    if (state != PathsReader::State::Complete) {
        return std::nullopt;
    }
    return std::move(reader.paths());
}

SingleInstance::Handoff
SingleInstance::handOff(const QString& socket, const std::vector<std::string>& paths, int timeoutMs)
{
    if (!isOwnSocket(socket)) {
        return Handoff::NoInstance;
    }
    QLocalSocket client;
    client.connectToServer(socket);
    if (!client.waitForConnected(timeoutMs)) {
        return Handoff::NoInstance;
    }
    if (!peerIsThisUser(client.socketDescriptor())) {
        client.abort();
        return Handoff::NoInstance;
    }
    client.write(encodePaths(paths));
    client.flush();
    char answer = 0;
    while (client.bytesAvailable() == 0) {
        if (!client.waitForReadyRead(timeoutMs)) {
            return Handoff::Busy;
        }
    }
    client.getChar(&answer);
    return answer == kAccepted ? Handoff::Accepted : Handoff::Busy;
}

SingleInstance::SingleInstance(std::function<bool()> busy, QObject* parent, HandoffLimits limits)
    : QObject(parent)
    , m_busy(std::move(busy))
    , m_limits(limits)
    , m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            if (peerIsThisUser(socket->socketDescriptor())) {
                serve(socket);
            } else {
                socket->abort();
                socket->deleteLater();
            }
        }
    });
}

bool SingleInstance::listen(const QString& socket)
{
    // The server puts its socket in place with a rename, over whatever is
    // there: ask first whether a window answers on it. A socket file that
    // nothing answers on is left from a start that ended without removing
    // it; one of another account's is not asked at all.
    if (!socket.startsWith(QLatin1Char('/'))) {
        return false;
    }
    if (isOwnSocket(socket)) {
        QLocalSocket probe;
        probe.connectToServer(socket);
        if (probe.waitForConnected(1000)) {
            return false;
        }
    }
    QLocalServer::removeServer(socket);
    return m_server->listen(socket);
}

void SingleInstance::serve(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto drop = [socket] {
        socket->abort();
        socket->deleteLater();
    };
    // A hand-off that goes on too long or grows too large is not a later
    // start's: it is cut off, and its paths go nowhere.
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, drop);
    deadline->start(m_limits.time);
    auto reader = std::make_shared<PathsReader>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, deadline, reader, drop] {
        const QByteArray bytes = socket->readAll();
        if (reader->received() + bytes.size() > m_limits.bytes) {
            drop();
            return;
        }
        const PathsReader::State state = reader->add(bytes);
        if (state == PathsReader::State::Bad) {
            drop();
            return;
        }
        if (state == PathsReader::State::Incomplete) {
            return;
        }
        // One answer for one message; whatever follows it is not read.
        deadline->stop();
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        const bool busy = m_busy();
        socket->putChar(busy ? kBusy : kAccepted);
        socket->flush();
        socket->disconnectFromServer();
        if (!busy) {
            Q_EMIT filesHandedOver(reader->paths());
        }
    });
}

} // namespace torvel
