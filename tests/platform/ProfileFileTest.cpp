#include "ProfileFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace torvel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class ProfileFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/torvel-profile-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = std::string(pattern) + "/";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string put(const std::string& name, const std::string& bytes)
    {
        std::ofstream(m_dir + name, std::ios::binary) << bytes;
        return m_dir + name;
    }
    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

    std::string m_dir;
};

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndAWriteCreatesItInOrder)
{
    const std::string path = m_dir + "torvel.ini";
    ProfileFile profile = ProfileFile::load(path);
    EXPECT_FALSE(profile.loadError());
    EXPECT_EQ(profile.readString("CHANGE", "CHANGE_NAME", "TOR"), "TOR");
    EXPECT_FALSE(profile.hasKey("CHANGE", "CHANGE_NAME"));

    EXPECT_FALSE(profile.writeString("SEARCH", "SEARCH_DIR", "/home/user/"));
    EXPECT_FALSE(profile.writeString("SEARCH", "SORT", "0"));
    EXPECT_FALSE(profile.writeString("CHANGE", "CHANGE_NAME", "写真"));
    EXPECT_FALSE(profile.writeString("OPTIONS", "HEIGHTSIZE", "M"));
    EXPECT_FALSE(fs::exists(path)) << "nothing reaches the disk before the save";
    ASSERT_FALSE(profile.save());
    EXPECT_EQ(contents(path), "[SEARCH]\nSEARCH_DIR=/home/user/\nSORT=0\n\n"
                              "[CHANGE]\nCHANGE_NAME=写真\n\n"
                              "[OPTIONS]\nHEIGHTSIZE=M\n");
}

TEST_F(ProfileFileTest, NamesMatchIgnoringCaseAndValuesAreTrimmed)
{
    const std::string path = put("a.ini", "[search]\n"
                                          "  search_dir =   /srv/data/ \t\n"
                                          "Sort\t=\t3\n"
                                          "EXPR=a=b\n"
                                          "INNER=  two  blanks  \n");
    ProfileFile profile = ProfileFile::load(path);
    EXPECT_EQ(profile.readString("SEARCH", "SEARCH_DIR", ""), "/srv/data/");
    EXPECT_EQ(profile.readString("Search", "SORT", "0"), "3");
    EXPECT_EQ(profile.readString("SEARCH", "EXPR", ""), "a=b");
    EXPECT_EQ(profile.readString("SEARCH", "INNER", ""), "two  blanks");
    // Only ASCII letters fold: a full-width name is another name.
    EXPECT_EQ(profile.readString("ＳＥＡＲＣＨ", "SORT", "none"), "none");

    // A replaced value keeps the line's own spelling and spacing of the key.
    EXPECT_FALSE(profile.writeString("SEARCH", "SORT", "5"));
    EXPECT_FALSE(profile.writeString("SEARCH", "Search_Dir", "/tmp/"));
    EXPECT_EQ(profile.text(), "[search]\n"
                              "  search_dir =   /tmp/\n"
                              "Sort\t=\t5\n"
                              "EXPR=a=b\n"
                              "INNER=  two  blanks  \n");
}

TEST_F(ProfileFileTest, EmptyValueIsNotAMissingKey)
{
    const std::string path = put("a.ini", "[CHANGE]\nPREVIEW=\nUPPER =   \n[OPTIONS]\nLOWWER=ON\n");
    const ProfileFile profile = ProfileFile::load(path);
    EXPECT_TRUE(profile.hasKey("CHANGE", "PREVIEW"));
    EXPECT_EQ(profile.readString("CHANGE", "PREVIEW", "ON"), "");
    EXPECT_EQ(profile.readString("CHANGE", "UPPER", "OFF"), "");
    // A key of another section is missing from this one.
    EXPECT_EQ(profile.readString("CHANGE", "LOWWER", "OFF"), "OFF");
    EXPECT_EQ(profile.readString("MISSING", "PREVIEW", "ON"), "ON");
}

TEST_F(ProfileFileTest, LongValuesAreCutAt1023CharactersNeverInsideOne)
{
    std::string ascii(5000, 'x');
    std::string japanese;
    for (int i = 0; i < 5000; ++i)
        japanese += "あ";
    const std::string exact(1023, 'y');
    const std::string path = put("a.ini", "[S]\nA=" + ascii + "\nJ=" + japanese + "\nE=" + exact
                                              + "\nT=" + exact + "  \n");
    const ProfileFile profile = ProfileFile::load(path);
    EXPECT_EQ(profile.readString("S", "A", ""), std::string(1023, 'x'));
    std::string cut;
    for (int i = 0; i < 1023; ++i)
        cut += "あ";
    EXPECT_EQ(profile.readString("S", "J", ""), cut);
    EXPECT_EQ(profile.readString("S", "E", ""), exact);
    EXPECT_EQ(profile.readString("S", "T", ""), exact) << "blanks are trimmed before the cut";
}

TEST_F(ProfileFileTest, HandEditedFileKeepsEveryOtherByte)
{
    const std::string original = "; settings, edited by hand\n"
                                 "STRAY=before any section\n"
                                 "\n"
                                 "[SEARCH]\n"
                                 "SEARCH_DIR=/old/\n"
                                 "# my own note\n"
                                 "MYKEY = kept  \n"
                                 "\n"
                                 "; about the next section\n"
                                 "[Other]\n"
                                 "SORT=9\n"
                                 "not a key line\n"
                                 "[CHANGE]\n"
                                 "CHANGE_NAME=IMG"; // no line end at the end
    const std::string path = put("a.ini", original);
    ProfileFile profile = ProfileFile::load(path);
    EXPECT_FALSE(profile.writeString("SEARCH", "SEARCH_DIR", "/new/"));
    EXPECT_FALSE(profile.writeString("SEARCH", "SORT", "2"));
    EXPECT_FALSE(profile.writeString("CHANGE", "CHANGE_NOM", "1"));
    EXPECT_FALSE(profile.writeString("OPTIONS", "COLUMN", "OFF"));
    ASSERT_FALSE(profile.save());
    EXPECT_EQ(contents(path), "; settings, edited by hand\n"
                              "STRAY=before any section\n"
                              "\n"
                              "[SEARCH]\n"
                              "SEARCH_DIR=/new/\n"
                              "# my own note\n"
                              "MYKEY = kept  \n"
                              "SORT=2\n"
                              "\n"
                              "; about the next section\n"
                              "[Other]\n"
                              "SORT=9\n"
                              "not a key line\n"
                              "[CHANGE]\n"
                              "CHANGE_NAME=IMG\n"
                              "CHANGE_NOM=1\n"
                              "\n"
                              "[OPTIONS]\n"
                              "COLUMN=OFF\n");
    // Writing the values the file already holds leaves it untouched.
    const auto before = fs::last_write_time(path);
    ProfileFile again = ProfileFile::load(path);
    EXPECT_FALSE(again.writeString("SEARCH", "SEARCH_DIR", "/new/"));
    ::usleep(20000);
    ASSERT_FALSE(again.save());
    EXPECT_EQ(fs::last_write_time(path), before);
}

TEST_F(ProfileFileTest, RepeatedSectionsAndKeysUseTheFirstForReadAndWrite)
{
    const std::string path = put("a.ini", "[A]\nK=1\nK=2\n[B]\n[a]\nK=3\nL=4\n");
    ProfileFile profile = ProfileFile::load(path);
    EXPECT_EQ(profile.readString("A", "K", ""), "1");
    EXPECT_EQ(profile.readString("A", "L", ""), "4");
    EXPECT_FALSE(profile.writeString("A", "K", "x"));
    EXPECT_FALSE(profile.writeString("A", "L", "y"));
    EXPECT_FALSE(profile.writeString("A", "M", "z"));
    EXPECT_EQ(profile.text(), "[A]\nK=x\nK=2\nM=z\n[B]\n[a]\nK=3\nL=y\n");
}

TEST_F(ProfileFileTest, WindowsLineEndsAreKeptAndUsedForNewLines)
{
    const std::string path = put("a.ini", "[CHANGE]\r\nCHANGE_EXT = jpg \r\n; note\r\n");
    ProfileFile profile = ProfileFile::load(path);
    EXPECT_EQ(profile.readString("CHANGE", "CHANGE_EXT", ""), "jpg");
    EXPECT_FALSE(profile.writeString("CHANGE", "CHANGE_EXT", "png"));
    EXPECT_FALSE(profile.writeString("CHANGE", "UPPER", "ON"));
    EXPECT_FALSE(profile.writeString("OPTIONS", "COLUMN", "ON"));
    EXPECT_EQ(
        profile.text(),
        "[CHANGE]\r\nCHANGE_EXT = png\r\nUPPER=ON\r\n; note\r\n\r\n[OPTIONS]\r\nCOLUMN=ON\r\n");
}

TEST_F(ProfileFileTest, Cp932FileIsReadAndSavedBackAsUtf8)
{
    // CHANGE_NAME=写真, CHANGE_EXT=表示 (its second byte is 0x5C), a comment
    // コメント and an unknown key 識別, as the Windows build writes them.
    const std::string cp932 = "[CHANGE]\r\n"
                              "CHANGE_NAME=\x8e\xca\x90\x5e\r\n"
                              "CHANGE_EXT=\x95\x5c\x8e\xa6\r\n"
                              "; \x83\x52\x83\x81\x83\x93\x83\x67\r\n"
                              "\x8e\xaf\x95\xca=C:\\Tools\\\r\n";
    const std::string path = put("old.ini", cp932);
    ProfileFile profile = ProfileFile::load(path);
    EXPECT_EQ(profile.readString("CHANGE", "CHANGE_NAME", ""), "写真");
    EXPECT_EQ(profile.readString("CHANGE", "CHANGE_EXT", ""), "表示");
    EXPECT_EQ(profile.readString("CHANGE", "識別", ""), "C:\\Tools\\");
    EXPECT_FALSE(profile.writeString("CHANGE", "CHANGE_NAME", "旅行"));
    ASSERT_FALSE(profile.save());
    const std::string utf8 = "[CHANGE]\r\n"
                             "CHANGE_NAME=旅行\r\n"
                             "CHANGE_EXT=表示\r\n"
                             "; コメント\r\n"
                             "識別=C:\\Tools\\\r\n";
    EXPECT_EQ(contents(path), utf8);
    const ProfileFile reread = ProfileFile::load(path);
    EXPECT_EQ(reread.readString("CHANGE", "CHANGE_EXT", ""), "表示");
}

// What is no settings file reads as empty, and the next save puts a fresh one
// in its place instead of failing at every close; what is one, however odd,
// keeps every line.
TEST_F(ProfileFileTest, JunkIsReplacedByAFreshFileAndAnyGoodFileKeepsItsLines)
{
    const std::string manyComments = [] {
        std::string text = "[CHANGE]\nCHANGE_NAME=ok\nOTHER=kept\n";
        for (std::size_t i = 3; i < ProfileFile::MaxLines; ++i)
            text += "; note\n";
        return text;
    }();
    struct Case
    {
        const char* what;
        std::string bytes;
        const char* other; // OTHER after the save; nullptr for junk
    };
    const Case cases[] = {
        {"neither UTF-8 nor CP932", "[CHANGE]\nCHANGE_NAME=ok\nOTHER=\xff\xfe\x80\n", nullptr},
        {"a NUL in UTF-8 text", "[CHANGE]\nCHANGE_NAME=ok\nOTHER=kept\n\0\n"s, nullptr},
        {"more lines than a settings file holds", manyComments + "; one more\n", nullptr},
        {"as many lines as it may hold", manyComments, "kept"},
        {"CP932", "[CHANGE]\nCHANGE_NAME=ok\nOTHER=\x95\x5c\n", "表"},
    };
    for (const Case& c : cases) {
        const std::string path = put("a.ini", c.bytes);
        ProfileFile profile = ProfileFile::load(path);
        EXPECT_FALSE(profile.loadError()) << c.what;
        EXPECT_EQ(profile.isJunk(), c.other == nullptr) << c.what;
        EXPECT_EQ(profile.readString("CHANGE", "CHANGE_NAME", "TOR"), c.other ? "ok" : "TOR")
            << c.what;
        EXPECT_FALSE(profile.writeString("CHANGE", "CHANGE_NAME", "new")) << c.what;
        EXPECT_FALSE(profile.save()) << c.what;
        const ProfileFile saved = ProfileFile::load(path);
        EXPECT_EQ(saved.readString("CHANGE", "CHANGE_NAME", ""), "new") << c.what;
        EXPECT_EQ(saved.readString("CHANGE", "OTHER", "(none)"), c.other ? c.other : "(none)")
            << c.what;
        if (!c.other) {
            EXPECT_EQ(contents(path), "[CHANGE]\nCHANGE_NAME=new\n") << c.what;
        }
    }
}

// The highest resident memory since the last reset, in kB; -1 when the
// system does not tell.
long peakMemoryKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

bool resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

TEST_F(ProfileFileTest, AHugeFileIsNeitherReadIntoMemoryNorKept)
{
    // 100 MB of lines, each of them fine: a million comments after the keys.
    const std::string path = m_dir + "huge.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[CHANGE]\nCHANGE_NAME=big\n";
        const std::string comment = "; " + std::string(97, 'x') + "\n";
        for (int i = 0; i < 1'000'000; ++i)
            out << comment;
    }
    if (!resetPeakMemory() || peakMemoryKb() < 0)
        GTEST_SKIP() << "the peak memory of a process cannot be measured here";
    const long before = peakMemoryKb();
    {
        ProfileFile profile = ProfileFile::load(path);
        EXPECT_EQ(profile.readString("CHANGE", "CHANGE_NAME", "TOR"), "TOR");
        EXPECT_FALSE(profile.writeString("CHANGE", "CHANGE_NAME", "new"));
        EXPECT_FALSE(profile.save());
    }
    EXPECT_LT(peakMemoryKb() - before, 8 * 1024) << "kB more at the peak";
    const std::string after = contents(path);
    ASSERT_LT(after.size(), 100u) << "the file was kept";
    EXPECT_EQ(after, "[CHANGE]\nCHANGE_NAME=new\n");
}

TEST_F(ProfileFileTest, ValuesThatWouldNotReadBackAreRefused)
{
    const std::string path = put("a.ini", "[S]\nK=v\n");
    ProfileFile profile = ProfileFile::load(path);
    // A Shift-JIS folder name ("表示/") in a UTF-8 file would make the
    // whole file read as CP932 next time.
    EXPECT_EQ(profile.writeString("S", "K", "/data/\x95\x5c\x8e\xa6/"),
              std::errc::illegal_byte_sequence);
    EXPECT_EQ(profile.writeString("S", "K", "one\ntwo"), std::errc::illegal_byte_sequence);
    EXPECT_EQ(profile.writeString("S", "K", "one\rtwo"), std::errc::illegal_byte_sequence);
    EXPECT_EQ(profile.writeString("S", "A=B", "v"), std::errc::invalid_argument);
    EXPECT_EQ(profile.writeString("S", ";K", "v"), std::errc::invalid_argument);
    EXPECT_EQ(profile.writeString("S", " K", "v"), std::errc::invalid_argument);
    EXPECT_EQ(profile.writeString("S]", "K", "v"), std::errc::invalid_argument);
    EXPECT_EQ(profile.writeString("", "K", "v"), std::errc::invalid_argument);
    EXPECT_EQ(profile.text(), "[S]\nK=v\n");
    EXPECT_EQ(contents(path), "[S]\nK=v\n");
}

TEST_F(ProfileFileTest, FileThatCannotBeReadIsNotReplaced)
{
    // A folder where the file should be: reading fails, and a save must not
    // put our few keys in place of whatever the person keeps there.
    fs::create_directory(m_dir + "torvel.ini");
    put("torvel.ini/inside", "keep");
    ProfileFile profile = ProfileFile::load(m_dir + "torvel.ini");
    EXPECT_TRUE(profile.loadError());
    EXPECT_EQ(profile.readString("S", "K", "default"), "default");
    EXPECT_FALSE(profile.writeString("S", "K", "v"));
    EXPECT_TRUE(profile.save());
    EXPECT_EQ(contents(m_dir + "torvel.ini/inside"), "keep");
}

} // namespace
} // namespace torvel
