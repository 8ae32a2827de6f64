#include "SettingsPath.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace torvel {
namespace {

TEST(SettingsPathTest, ExtensionOfTheExecutableNameBecomesIni)
{
    EXPECT_EQ(settingsPathFor("/opt/torvel/torvel"), "/opt/torvel/torvel.ini");
    EXPECT_EQ(settingsPathFor("/opt/torvel/torvel.bin"), "/opt/torvel/torvel.ini");
    EXPECT_EQ(settingsPathFor("/opt/torvel/torvel.v2.AppImage"), "/opt/torvel/torvel.v2.ini");
    // A dot in a folder name or at the start of the name is no extension.
    EXPECT_EQ(settingsPathFor("/home/me/app-1.2/torvel"), "/home/me/app-1.2/torvel.ini");
    EXPECT_EQ(settingsPathFor("/home/me/.torvel"), "/home/me/.torvel.ini");
    // The name is bytes: a Shift-JIS folder ("表示") stays as it is.
    EXPECT_EQ(settingsPathFor("/data/\x95\x5c\x8e\xa6/torvel"),
              "/data/\x95\x5c\x8e\xa6/torvel.ini");
}

TEST(SettingsPathTest, RunningExecutableHasItsSettingsBesideIt)
{
    const std::string executable = runningExecutablePath();
    ASSERT_FALSE(executable.empty());
    EXPECT_EQ(::access(executable.c_str(), X_OK), 0);
    EXPECT_EQ(settingsFilePath(), executable + ".ini");
    EXPECT_TRUE(settingsFilePath().ends_with("/test_platform.ini"));
}

} // namespace
} // namespace torvel
