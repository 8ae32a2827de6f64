#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace torvel {

// What one hand-off may take before the window gives up on it and closes the
// connection. A later start writes its whole message at once, far below both.
struct HandoffLimits
{
    qint64 bytes = qint64(64) << 20;
    std::chrono::milliseconds time{10000};
};

// One window per user session. The first start listens on a local socket; a
// later start hands its files to it over that socket and ends.
//
// What goes over the socket: the number of paths, then each path's length
// and bytes (lengths as 32-bit big-endian numbers), so that names that are not
// UTF-8 arrive as they are. The window answers with one byte: accepted, or
// busy with a run (then it takes nothing).
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Handoff
    {
        NoInstance, // nothing listens: this start opens the window
        Accepted,   // the running window took the files
        Busy        // the running window is in the middle of a run
    };

    // torvel.socket in a folder that only this user can enter:
    // $XDG_RUNTIME_DIR when it is such a folder, else torvel-UID in the
    // temporary folder, made here. Empty when that one is not such a folder
    // either (another account made it first): then nothing is handed over
    // and nothing listens.
    static QString socketPath();

    // A later start: gives the paths to the window listening on socket. Only
    // a socket of this user's, answered by a process of this user's, is
    // given anything. A window that does not answer within timeoutMs is busy:
    // a run does not stop for the socket.
    static Handoff handOff(const QString& socket, const std::vector<std::string>& paths,
                           int timeoutMs = 5000);

    // The first start; busy tells whether the window is in the middle of a run.
    explicit SingleInstance(std::function<bool()> busy, QObject* parent = nullptr,
                            HandoffLimits limits = {});

    // Listens on socket, taking over a socket file that a crashed start left
    // behind; false when another window answers there already or the socket
    // cannot be made. Connections from other accounts are closed unread.
    bool listen(const QString& socket);

    static QByteArray encodePaths(const std::vector<std::string>& paths);
    // The paths of a complete message; nothing while it is incomplete. Bad
    // marks a message that can never be complete.
    static std::optional<std::vector<std::string>> decodePaths(const QByteArray& data, bool& bad);

Q_SIGNALS:
    void filesHandedOver(const std::vector<std::string>& paths);

private:
    void serve(QLocalSocket* socket);

    std::function<bool()> m_busy;
    HandoffLimits m_limits;
    QLocalServer* m_server;
};

} // namespace torvel
