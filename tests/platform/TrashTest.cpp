#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PosixFileSystem.h"
#include "Trash.h"
#include "common/ScratchDir.h"
#include "common/SampleNames.h"

using namespace torvel;

namespace {
const std::string photoEncoded = "%8E%CA%90%5E.jpg";

std::string uidText()
{
    return std::to_string(::geteuid());
}

// The value of one key of a .trashinfo record, if the record has it.
std::optional<std::string> recordValue(const std::string& record, const std::string& key)
{
    std::size_t at = record.find("\n" + key + "=");
    if (at == std::string::npos)
        return std::nullopt;
    at += key.size() + 2;
    return record.substr(at, record.find('\n', at) - at);
}

time_t parseLocal(const std::string& text)
{
    tm parts{};
    if (::strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &parts) == nullptr)
        return -1;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

// Points the home trash at a folder of the test's own.
class HomeTrash : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            m_saved = old;
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        ASSERT_EQ(fs.openFolder(files.path(), dir), 0);
    }

    void TearDown() override
    {
        if (m_saved)
            ::setenv("XDG_DATA_HOME", m_saved->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }

    std::string record(const std::string& name) const
    {
        return data.read("Trash/info/" + name + ".trashinfo");
    }

    PosixFileSystem fs;
    ScratchDir data;
    ScratchDir files;
    FolderHandle dir;

private:
    std::optional<std::string> m_saved;
};

} // namespace

TEST_F(HomeTrash, FollowsXdgDataHome)
{
    EXPECT_EQ(Trash::homeFolder(), data.path() + "Trash/");
    ::setenv("XDG_DATA_HOME", "relative/path", 1); // not absolute: ignored
    EXPECT_EQ(Trash::homeFolder().substr(0, 1), "/");
    EXPECT_NE(Trash::homeFolder(), "relative/path/Trash/");
}

TEST_F(HomeTrash, MovesTheFileAndRecordsWhereItCameFrom)
{
    files.write(sjisPhoto, "photo");
    time_t before = std::time(nullptr);
    TrashPlace place;
    ASSERT_EQ(Trash().put(dir, sjisPhoto, &place), 0);
    time_t after = std::time(nullptr);

    EXPECT_FALSE(files.has(sjisPhoto));
    EXPECT_EQ(place.folder, data.path() + "Trash/");
    EXPECT_EQ(place.name, sjisPhoto);
    EXPECT_EQ(data.read("Trash/files/" + sjisPhoto), "photo");

    std::string text = record(sjisPhoto);
    EXPECT_EQ(text.rfind("[Trash Info]\n", 0), 0u);
    EXPECT_EQ(recordValue(text, "Path"), files.path() + photoEncoded);
    auto date = recordValue(text, "DeletionDate");
    ASSERT_TRUE(date.has_value());
    ASSERT_EQ(date->size(), 19u) << *date;
    time_t when = parseLocal(*date);
    EXPECT_GE(when, before - 1);
    EXPECT_LE(when, after + 1);
}

TEST(TrashRecord, DeletionDateIsLocalTime)
{
    const char* old = std::getenv("TZ");
    std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    EXPECT_EQ(Trash::deletionDate(0), "1970-01-01T09:00:00");
    EXPECT_EQ(Trash::deletionDate(1'700'000'000), "2023-11-15T07:13:20");
    if (saved)
        ::setenv("TZ", saved->c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST_F(HomeTrash, PathIsPercentEncodedFromTheBytes)
{
    const std::string name = "100% done \x95\x5c #1+?.txt";
    files.write(name, "x");
    ASSERT_EQ(fs.trash(dir, name), 0);
    EXPECT_EQ(recordValue(record(name), "Path"),
              files.path() + "100%25%20done%20%95%5C%20%231%2B%3F.txt");
}

TEST_F(HomeTrash, TheSameNameTwiceGetsTwoPlaces)
{
    files.write(sjisPhoto, "first");
    ASSERT_EQ(fs.trash(dir, sjisPhoto), 0);
    files.write(sjisPhoto, "second");
    ASSERT_EQ(fs.trash(dir, sjisPhoto), 0);
    // A leftover in files/ without its record is not taken either.
    data.write("Trash/files/" + sjisPhoto + ".3", "stale");
    files.write(sjisPhoto, "third");
    TrashPlace place;
    ASSERT_EQ(Trash().put(dir, sjisPhoto, &place), 0);

    EXPECT_EQ(place.name, sjisPhoto + ".4");
    EXPECT_EQ(data.read("Trash/files/" + sjisPhoto), "first");
    EXPECT_EQ(data.read("Trash/files/" + sjisPhoto + ".2"), "second");
    EXPECT_EQ(data.read("Trash/files/" + sjisPhoto + ".3"), "stale");
    EXPECT_EQ(data.read("Trash/files/" + sjisPhoto + ".4"), "third");
    EXPECT_EQ(data.names("Trash/info"),
              (std::vector<std::string>{sjisPhoto + ".2.trashinfo", sjisPhoto + ".4.trashinfo",
                                        sjisPhoto + ".trashinfo"}));
    EXPECT_EQ(recordValue(record(sjisPhoto + ".4"), "Path"), files.path() + photoEncoded);
}

TEST_F(HomeTrash, TheRecordIsWrittenBeforeTheFileMoves)
{
    ASSERT_EQ(fs.createFolders(data / "Trash/files"), 0);
    ASSERT_EQ(fs.createFolders(data / "Trash/info"), 0);
    int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    int info = ::inotify_add_watch(watch, (data / "Trash/info").c_str(), IN_CLOSE_WRITE);
    int moved = ::inotify_add_watch(watch, (data / "Trash/files").c_str(), IN_MOVED_TO);
    ASSERT_GE(info, 0);
    ASSERT_GE(moved, 0);

    files.write(sjisPhoto, "x");
    ASSERT_EQ(fs.trash(dir, sjisPhoto), 0);

    alignas(inotify_event) char buffer[4096];
    ssize_t size = ::read(watch, buffer, sizeof buffer);
    ::close(watch);
    ASSERT_GT(size, 0);
    std::vector<std::string> events;
    for (char* at = buffer; at < buffer + size;) {
        auto* event = reinterpret_cast<inotify_event*>(at);
        events.push_back((event->wd == info ? "record written: " : "file moved in: ")
                         + std::string(event->name));
        at += sizeof(inotify_event) + event->len;
    }
    EXPECT_EQ(events, (std::vector<std::string>{"record written: " + sjisPhoto + ".trashinfo",
                                                "file moved in: " + sjisPhoto}));
}

TEST_F(HomeTrash, AFailedMoveTakesTheRecordBack)
{
    ASSERT_EQ(fs.createFolders(data / "Trash/files"), 0);
    ASSERT_EQ(fs.createFolders(data / "Trash/info"), 0);
    EXPECT_EQ(Trash::putInto(data / "Trash/", files / "gone", dir.fd(), "gone", nullptr), ENOENT);
    EXPECT_EQ(data.names("Trash/info"), std::vector<std::string>{});

    EXPECT_EQ(fs.trash(dir, "gone"), ENOENT);
    EXPECT_EQ(data.names("Trash/info"), std::vector<std::string>{});
}

TEST_F(HomeTrash, ANameWithAFolderPartIsTrashedFromThatFolder)
{
    files.makeFolder("sub");
    files.write("sub/" + sjisPhoto, "deep");
    ASSERT_EQ(fs.trash(dir, "sub/" + sjisPhoto), 0);
    EXPECT_FALSE(files.has("sub/" + sjisPhoto));
    EXPECT_EQ(recordValue(record(sjisPhoto), "Path"), files.path() + "sub/" + photoEncoded);
}

TEST_F(HomeTrash, AVeryLongNameIsShortenedInTheTrashOnly)
{
    std::string name(250, 'n');
    files.write(name, "long");
    TrashPlace place;
    ASSERT_EQ(Trash().put(dir, name, &place), 0);
    EXPECT_LT(place.name.size() + 10, 256u);
    EXPECT_EQ(data.read("Trash/files/" + place.name), "long");
    EXPECT_EQ(recordValue(record(place.name), "Path"), files.path() + name);
}

TEST(VolumeTrash, ChoosesTheSharedFolderOnlyWhenItIsSafe)
{
    const std::string own = "/" + uidText() + "/";
    {
        ScratchDir top; // no .Trash: the user's own .Trash-$uid
        std::string folder;
        ASSERT_EQ(Trash::volumeFolder(top.path(), folder), 0);
        EXPECT_EQ(folder, top / ".Trash-" + uidText() + "/");
        struct stat st
        {};
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_TRUE(top.has(".Trash-" + uidText() + "/files"));
        EXPECT_TRUE(top.has(".Trash-" + uidText() + "/info"));
    }
    {
        ScratchDir top; // a sticky .Trash: its $uid folder
        top.makeFolder(".Trash");
        ASSERT_EQ(::chmod((top / ".Trash").c_str(), 01777), 0);
        std::string folder;
        ASSERT_EQ(Trash::volumeFolder(top.path(), folder), 0);
        EXPECT_EQ(folder, top / ".Trash" + own);
        EXPECT_TRUE(top.has(".Trash" + own + "files"));
    }
    {
        ScratchDir top; // .Trash without the sticky bit is not used
        top.makeFolder(".Trash");
        ASSERT_EQ(::chmod((top / ".Trash").c_str(), 0777), 0);
        std::string folder;
        ASSERT_EQ(Trash::volumeFolder(top.path(), folder), 0);
        EXPECT_EQ(folder, top / ".Trash-" + uidText() + "/");
        EXPECT_EQ(top.names(".Trash"), std::vector<std::string>{});
    }
    {
        ScratchDir top; // nor is a link to a sticky folder
        top.makeFolder("elsewhere");
        ASSERT_EQ(::chmod((top / "elsewhere").c_str(), 01777), 0);
        ASSERT_EQ(::symlink("elsewhere", (top / ".Trash").c_str()), 0);
        std::string folder;
        ASSERT_EQ(Trash::volumeFolder(top.path(), folder), 0);
        EXPECT_EQ(folder, top / ".Trash-" + uidText() + "/");
        EXPECT_EQ(top.names("elsewhere"), std::vector<std::string>{});
    }
}

TEST(VolumeTrash, RefusesAPlaceThatIsNotAFolderOfTheUsersOwn)
{
    const std::string name = ".Trash-" + uidText();
    {
        ScratchDir top;
        top.write(name, "a file in the way");
        std::string folder;
        EXPECT_EQ(Trash::volumeFolder(top.path(), folder), EACCES);
        EXPECT_EQ(top.read(name), "a file in the way");
    }
    {
        ScratchDir top;
        top.makeFolder("elsewhere");
        ASSERT_EQ(::symlink("elsewhere", (top / name).c_str()), 0);
        std::string folder;
        EXPECT_EQ(Trash::volumeFolder(top.path(), folder), EACCES);
        EXPECT_EQ(top.names("elsewhere"), std::vector<std::string>{});
    }
    {
        ScratchDir top;
        top.makeFolder(name);
        ASSERT_EQ(::chown((top / name).c_str(), 12345, 12345), 0);
        std::string folder;
        EXPECT_EQ(Trash::volumeFolder(top.path(), folder), EACCES);
    }
}

TEST(VolumeTrash, AFileOnAnotherDeviceGoesToThatDevicesTrash)
{
    ScratchDir data("/tmp");
    ScratchDir memory("/dev/shm");
    if (data.device() == memory.device())
        GTEST_SKIP() << "/tmp and /dev/shm are one device here";
    std::string topdir;
    ASSERT_EQ(Trash::topFolderOf(memory.path(), topdir), 0);
    struct stat top
    {};
    ASSERT_EQ(::stat(topdir.c_str(), &top), 0);
    ASSERT_EQ(top.st_dev, memory.device());
    EXPECT_EQ(memory.path().rfind(topdir + "/", 0), 0u);

    const char* old = std::getenv("XDG_DATA_HOME");
    std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);

    // The device's trash is shared with the rest of the machine: what this
    // test adds is taken away again, the trash folder too when it made it.
    struct stat existing
    {};
    const std::string ownTrash = topdir + "/.Trash-" + uidText();
    bool hadOwnTrash = ::lstat(ownTrash.c_str(), &existing) == 0;

    PosixFileSystem fs;
    FolderHandle dir;
    ASSERT_EQ(fs.openFolder(memory.path(), dir), 0);
    memory.write(sjisPhoto, "on tmpfs");
    TrashPlace place;
    int rc = Trash().put(dir, sjisPhoto, &place);

    if (saved)
        ::setenv("XDG_DATA_HOME", saved->c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    ASSERT_EQ(rc, 0);

    EXPECT_FALSE(memory.has(sjisPhoto));
    EXPECT_EQ(data.names(), std::vector<std::string>{}); // nothing in the home trash
    EXPECT_EQ(place.folder.rfind(topdir + "/.Trash", 0), 0u) << place.folder;
    std::string filesPath = place.folder + "files/" + place.name;
    std::string infoPath = place.folder + "info/" + place.name + ".trashinfo";
    struct stat st
    {};
    EXPECT_EQ(::stat(filesPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_dev, memory.device());

    // The record's path is relative to the top of the device.
    std::string relative = memory.path().substr(topdir.size() + 1) + photoEncoded;
    std::ifstream in(infoPath);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(recordValue(text, "Path"), relative);

    ::unlink(filesPath.c_str());
    ::unlink(infoPath.c_str());
    if (!hadOwnTrash) {
        ::rmdir((ownTrash + "/files").c_str());
        ::rmdir((ownTrash + "/info").c_str());
        ::rmdir(ownTrash.c_str());
    }
}
