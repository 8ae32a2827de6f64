// Starting with files named: the arguments read, the files chosen as a drop
// chooses them, and a later start handing its files to the open window.
#include <QCoreApplication>
#include <QListWidget>

#include <sys/socket.h>
#include <sys/un.h>
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
    EXPECT_EQ(form.SearchDir, dir.path());
    EXPECT_EQ(form.SelectedFiles, (Names{kSjis, "memo.TXT"}));
    EXPECT_EQ(form.fileList().Count(), 2);
    EXPECT_EQ(testing::child<QListWidget>(form, "CheckListBox1")->count(), 2);

    // One folder: its files, as a dropped folder.
    form.openFiles(parseCommandLine({"inner"}, dir.path()).paths);
    EXPECT_EQ(form.SearchDir, dir / "inner/");
    EXPECT_EQ(form.SelectedFiles, (Names{"c.png"}));
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

} // namespace
} // namespace torvel
