// Starting with files named: the arguments read, the files chosen as a drop
// chooses them, and a later start handing its files to the open window.
#include <QCoreApplication>
#include <QListWidget>

#include <QtEndian>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>

#include "CommandLine.h"
#include "FilesList.h"
#include "MainFormFixture.h"
#include "SingleInstance.h"

namespace torvel {
namespace {

using testing::TestForm;
using Names = std::vector<std::string>;

const std::string kSjis = "\x8e\xca\x90\x5e.jpg"; // 写真.jpg in Shift-JIS

TEST(CommandLine, ArgumentsBecomeAbsolutePathsOrAnAnswer)
{
    struct Case
    {
        const char* name;
        Names args;
        CommandAction action;
        Names paths;
    };
    const Case cases[] = {
        {"no argument", {}, CommandAction::Open, {}},
        {"relative and absolute",
         {"a.jpg", "/p/b.jpg"},
         CommandAction::Open,
         {"/home/u/a.jpg", "/p/b.jpg"}},
        {"Shift-JIS name as bytes", {kSjis}, CommandAction::Open, {"/home/u/" + kSjis}},
        {"dots resolved by name",
         {".", "../x/./y.txt", "sub/"},
         CommandAction::Open,
         {"/home/u/", "/home/x/y.txt", "/home/u/sub/"}},
        {"help wins", {"a.jpg", "--help"}, CommandAction::Help, {}},
        {"version", {"-V"}, CommandAction::Version, {}},
        {"unknown option", {"--frobnicate", "a.jpg"}, CommandAction::Bad, {}},
        {"after -- a name",
         {"--", "--help", "-"},
         CommandAction::Open,
         {"/home/u/--help", "/home/u/-"}},
    };
    for (const Case& c : cases) {
        const CommandLine command = parseCommandLine(c.args, "/home/u/");
        EXPECT_EQ(command.action, c.action) << c.name;
        EXPECT_EQ(command.paths, c.paths) << c.name;
        EXPECT_FALSE(command.needsWorkingFolder) << c.name;
    }
    EXPECT_EQ(parseCommandLine({"-x"}, "/").badOption, "-x");
    // No working folder: a relative name is taken from nowhere else.
    const CommandLine lost = parseCommandLine({"a.jpg", "/p/b.jpg"}, "");
    EXPECT_TRUE(lost.needsWorkingFolder);
    EXPECT_EQ(lost.paths, Names{"/p/b.jpg"});
}

TEST(CommandLine, NamedFilesAreChosenAsADropChoosesThem)
{
    TestForm form;
    ScratchDir dir;
    dir.write(kSjis, "x");
    dir.write("memo.TXT", "x");
    dir.makeFolder("inner");
    dir.write("inner/c.png", "x");

    form.openFiles(parseCommandLine({kSjis, "memo.TXT"}, dir.path()).paths);
    EXPECT_EQ(form.sourceFolder(), dir.path());
    EXPECT_EQ(form.selectedFiles(), (Names{kSjis, "memo.TXT"}));
    EXPECT_EQ(form.fileList().Count(), 2);
    EXPECT_EQ(testing::child<QListWidget>(form, "CheckListBox1")->count(), 2);

    // One folder: its files, as a dropped folder.
    form.openFiles(parseCommandLine({"inner"}, dir.path()).paths);
    EXPECT_EQ(form.sourceFolder(), dir / "inner/");
    EXPECT_EQ(form.selectedFiles(), (Names{"c.png"}));
}

// A later start, in a thread of its own as it would be a process of its own,
// while the window's event loop answers.
SingleInstance::Handoff handOffWhileServing(const QString& socket, const Names& paths)
{
    auto answer = std::async(std::launch::async,
                             [&] { return SingleInstance::handOff(socket, paths, 3000); });
    while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        QCoreApplication::processEvents();
    }
    return answer.get();
}

TEST(SingleInstance, ALaterStartHandsItsFilesToTheWindowUnlessARunIsUnderWay)
{
    ScratchDir dir;
    const QString socket = QString::fromStdString(dir / "torvel.socket");
    EXPECT_EQ(SingleInstance::handOff(socket, {"/a"}, 500), SingleInstance::Handoff::NoInstance);

    bool busy = false;
    std::vector<Names> received;
    {
        SingleInstance first([&] { return busy; });
        QObject::connect(&first, &SingleInstance::filesHandedOver,
                         [&](const Names& paths) { received.push_back(paths); });
        ASSERT_TRUE(first.listen(socket));
        SingleInstance second([] { return false; });
        EXPECT_FALSE(second.listen(socket)) << "one window per session";

        const Names paths = {dir / kSjis, "/x/with\nnewline", ""};
        EXPECT_EQ(handOffWhileServing(socket, paths), SingleInstance::Handoff::Accepted);
        busy = true;
        EXPECT_EQ(handOffWhileServing(socket, {"/b"}), SingleInstance::Handoff::Busy);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received.front(), paths);
    }
    // A socket file left behind by a start that crashed is taken over.
    const std::string stale = dir / "stale.socket";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    stale.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    SingleInstance again([] { return false; });
    EXPECT_TRUE(again.listen(QString::fromStdString(dir / "stale.socket")));
}

// A later start of the program itself while the window is in the middle of
// a run: it says so on stderr and ends with 1 at once, opening no box that
// could stand behind the window; the window takes nothing.
TEST(SingleInstance, ALaterStartDuringARunSaysSoOnStderrAndEndsWithoutABox)
{
    ScratchDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0); // a runtime folder is private
    dir.write(kSjis, "x");
    std::vector<Names> received;
    SingleInstance window([] { return true; });
    QObject::connect(&window, &SingleInstance::filesHandedOver,
                     [&](const Names& paths) { received.push_back(paths); });
    ASSERT_TRUE(window.listen(QString::fromStdString(dir / "torvel.socket")));

    const std::string err = dir / "err";
    const std::string file = dir / kSjis;
    const pid_t child = ::fork();
    if (child == 0) {
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::unsetenv("TORVEL_QUIT_AFTER_SHOW");
        if (::dup2(errFd, 2) < 0) {
            ::_exit(125);
        }
        ::execl(TORVEL_EXECUTABLE, TORVEL_EXECUTABLE, file.c_str(), nullptr);
        ::_exit(126);
    }
    // A box would wait for a click that never comes.
    int status = 0;
    bool ended = false;
    for (int waited = 0; !ended && waited < 20000; ++waited) {
        QCoreApplication::processEvents();
        ::usleep(1000);
        ended = ::waitpid(child, &status, WNOHANG) == child;
    }
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    EXPECT_TRUE(ended) << "the later start did not end";
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(dir.read("err"), "torvel: 開いているトルベリオのウィンドウが実行中のため、ファイル"
                               "を渡せません。実行が終わってから、もう一度開いてください。\n");
    EXPECT_TRUE(received.empty());
}

TEST(SingleInstance, MessagesThatAreCutOrTooLargeHandNothingOver)
{
    const QByteArray whole = SingleInstance::encodePaths({"/a", kSjis});
    bool bad = false;
    EXPECT_EQ(SingleInstance::decodePaths(whole, bad), (Names{"/a", kSjis}));
    for (qsizetype size = 0; size < whole.size(); ++size) {
        EXPECT_FALSE(SingleInstance::decodePaths(whole.left(size), bad).has_value()) << size;
        EXPECT_FALSE(bad) << size;
    }
    EXPECT_FALSE(SingleInstance::decodePaths(QByteArray("\xff\xff\xff\xff", 4), bad));
    EXPECT_TRUE(bad);
}

constexpr uid_t kNobody = 65534;

sockaddr_un addressOf(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return address;
}

// A socket connected to the one at address; -1 when none answers.
int connectedTo(const sockaddr_un& address)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Runs body in a child process as the account nobody; body makes only calls
// that are safe after a fork from a program with threads.
pid_t startAsNobody(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? body() : 125);
    }
    return child;
}

// The exit status of a child process, the window's events served meanwhile.
int exitStatusWhileServing(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        QCoreApplication::processEvents();
        ::usleep(1000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SingleInstance, TheSocketLivesOnlyInAFolderOfThisUsersAlone)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs folders of another account";
    }
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tmpBefore = qgetenv("TMPDIR");
    const std::string ours = "tmp/torvel-" + std::to_string(::geteuid());
    struct Case
    {
        const char* name;
        std::function<void(const ScratchDir&)> prepare; // "run" and "tmp" are there
        std::string socket;                             // in the scratch folder; empty for none
    };
    const Case cases[] = {
        {"a runtime folder of this user's alone",
         [](const ScratchDir& d) { ::chmod((d / "run").c_str(), 0700); }, "run/torvel.socket"},
        {"a runtime folder open to others", [](const ScratchDir&) {}, ours + "/torvel.socket"},
        {"a runtime folder of another account",
         [](const ScratchDir& d) {
             ::chmod((d / "run").c_str(), 0700);
             ::chown((d / "run").c_str(), kNobody, kNobody);
         },
         ours + "/torvel.socket"},
        {"a temporary folder of ours taken by another account",
         [&](const ScratchDir& d) {
             ::mkdir((d / ours).c_str(), 0700);
             ::chown((d / ours).c_str(), kNobody, kNobody);
         },
         ""},
        {"a temporary folder of ours that is a link",
         [&](const ScratchDir& d) {
             ::mkdir((d / "mine").c_str(), 0700);
             ::symlink((d / "mine").c_str(), (d / ours).c_str());
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        dir.makeFolder("run");
        dir.makeFolder("tmp");
        c.prepare(dir);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir / "run"));
        qputenv("TMPDIR", QByteArray::fromStdString(dir / "tmp"));
        const std::string socket = SingleInstance::socketPath().toStdString();
        // Scratch folders, this test's included, are made in $TMPDIR.
        qputenv("XDG_RUNTIME_DIR", runtimeBefore);
        tmpBefore.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmpBefore);
        EXPECT_EQ(socket, c.socket.empty() ? "" : dir / c.socket);
        if (socket.starts_with(dir / ours)) {
            EXPECT_EQ(dir.mode(ours), 0700u);
        }
    }
}

TEST(SingleInstance, ALaterStartGivesNothingToASocketOfAnotherAccount)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs to become another user";
    }
    for (const bool fileMadeOurs : {false, true}) {
        SCOPED_TRACE(fileMadeOurs ? "a socket file of ours that another account answers"
                                  : "a socket of another account");
        ScratchDir dir;
        ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
        const std::string path = dir / "torvel.socket";
        const sockaddr_un address = addressOf(path);
        int ready[2];
        int done[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(done), 0);
        // Listens until the test is done: 1 when a connection brought any byte.
        const pid_t child = startAsNobody([&] {
            ::close(done[1]);
            const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
                || ::listen(server, 4) != 0 || ::write(ready[1], "r", 1) != 1) {
                return 125;
            }
            pollfd events[2] = {{server, POLLIN, 0}, {done[0], POLLIN, 0}};
            while (::poll(events, 2, 10000) > 0 && events[1].revents == 0) {
                const int connection = ::accept(server, nullptr, nullptr);
                char byte = 0;
                if (::read(connection, &byte, 1) > 0) {
                    return 1;
                }
                ::close(connection);
            }
            return 0;
        });
        ::close(ready[1]);
        ::close(done[0]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        if (fileMadeOurs) {
            ASSERT_EQ(::lchown(path.c_str(), ::geteuid(), ::getegid()), 0);
        }
        EXPECT_EQ(SingleInstance::handOff(QString::fromStdString(path), {"/secret"}, 1000),
                  SingleInstance::Handoff::NoInstance);
        ::close(done[1]);
        EXPECT_EQ(exitStatusWhileServing(child), 0);
    }
}

TEST(SingleInstance, TheWindowClosesAConnectionFromAnotherAccountUnread)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs to become another user";
    }
    ScratchDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string path = dir / "torvel.socket";
    SingleInstance window([] { return false; });
    std::vector<Names> received;
    QObject::connect(&window, &SingleInstance::filesHandedOver,
                     [&](const Names& paths) { received.push_back(paths); });
    ASSERT_TRUE(window.listen(QString::fromStdString(path)));
    // Open to every account, as a socket left open by mistake would be.
    ASSERT_EQ(::chmod(path.c_str(), 0777), 0);
    const sockaddr_un address = addressOf(path);
    const QByteArray message = SingleInstance::encodePaths({"/from/nobody"});
    // 0 when the window closes the connection without an answer.
    const pid_t child = startAsNobody([&] {
        const int fd = connectedTo(address);
        if (fd < 0 || ::send(fd, message.constData(), message.size(), MSG_NOSIGNAL) < 0) {
            return 125;
        }
        pollfd in{fd, POLLIN, 0};
        char answer = 0;
        return ::poll(&in, 1, 5000) == 1 && ::read(fd, &answer, 1) <= 0 ? 0 : 1;
    });
    EXPECT_EQ(exitStatusWhileServing(child), 0);
    EXPECT_TRUE(received.empty());
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

enum class Reply
{
    Answered, // the window answered: the message was whole and taken
    Closed,   // the window closed the connection without an answer
    Open      // neither, seconds after the last byte
};

TEST(SingleInstance, AHandOffIsBoundedInSizeAndTime)
{
    ScratchDir dir;
    const std::string path = dir / "torvel.socket";
    const HandoffLimits limits{HandoffLimits{}.bytes, std::chrono::milliseconds(1000)};
    SingleInstance window([] { return false; }, nullptr, limits);
    std::vector<Names> received;
    QObject::connect(&window, &SingleInstance::filesHandedOver,
                     [&](const Names& paths) { received.push_back(paths); });
    ASSERT_TRUE(window.listen(QString::fromStdString(path)));

    const Names paths{"/a", kSjis};
    const QByteArray whole = SingleInstance::encodePaths(paths);
    const QByteArray longestPath = bigEndian(65536) + QByteArray(65536, 'x');
    struct Case
    {
        const char* name;
        std::function<void(int fd)> send;
        Reply reply;
    };
    const auto sending = [](const QByteArray& bytes) {
        return [bytes](int fd) { ::send(fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL); };
    };
    const Case cases[] = {
        {"a whole message a byte at a time",
         [&](int fd) {
             for (const char byte : whole) {
                 ::send(fd, &byte, 1, MSG_NOSIGNAL);
                 ::usleep(1000);
             }
         },
         Reply::Answered},
        {"more paths than any selection", sending(bigEndian(1000001)), Reply::Closed},
        {"a path longer than any", sending(bigEndian(1) + bigEndian(65537)), Reply::Closed},
        {"a message left incomplete", sending(bigEndian(1) + bigEndian(10) + "abc"), Reply::Closed},
        {"more bytes than a hand-off carries",
         [&](int fd) {
             qint64 sent = ::send(fd, bigEndian(1000000).constData(), 4, MSG_NOSIGNAL);
             while (sent > 0 && sent <= limits.bytes + longestPath.size() * 16) {
                 const ssize_t n =
                     ::send(fd, longestPath.constData(), longestPath.size(), MSG_NOSIGNAL);
                 sent = n > 0 ? sent + n : -1;
             }
         },
         Reply::Closed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        received.clear();
        auto reply = std::async(std::launch::async, [&] {
            const int fd = connectedTo(addressOf(path));
            c.send(fd);
            pollfd in{fd, POLLIN, 0};
            char answer = 0;
            const Reply got = ::poll(&in, 1, 5000) != 1        ? Reply::Open
                              : ::recv(fd, &answer, 1, 0) == 1 ? Reply::Answered
                                                               : Reply::Closed;
            ::close(fd);
            return got;
        });
        while (reply.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(reply.get(), c.reply);
        EXPECT_EQ(received,
                  c.reply == Reply::Answered ? std::vector<Names>{paths} : std::vector<Names>{});
    }
}

} // namespace
} // namespace torvel
