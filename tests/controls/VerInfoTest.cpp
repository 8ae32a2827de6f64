#include "AboutBox.h"
#include "VerInfo.h"
#include "VersionRecordImage.h"

#include "common/ElfFile.h"
#include "common/ScratchDir.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace torvel {
namespace {

using test::makeElf;
using test::writeFile;

const char* const kNoVersion = "バージョン情報が取得できません.";

template <std::size_t N>
std::string bytesOf(const std::array<unsigned char, N>& record)
{
    return std::string(reinterpret_cast<const char*>(record.data()), N);
}

class VerInfoFiles : public ::testing::Test
{
protected:
    std::string programWith(const std::string& record)
    {
        const std::string path = m_folder.path() + "program";
        EXPECT_TRUE(
            writeFile(path, makeElf({{".text", "code"}, {".torvel_version", record}}).bytes));
        return path;
    }
    ScratchDir m_folder;
};

TEST(TVerInfo, ReadsTheTranslationAndTrimmedValuesOfThisProgram)
{
    const TVerInfo info("/proc/self/exe");
    EXPECT_EQ(info.language(), "0411");
    EXPECT_EQ(info.codePage(), "03A4");
    EXPECT_EQ(info.FileVersion(), "2.8.2.8");
    EXPECT_EQ(info.GetValue("\\StringFileInfo\\041103A4\\FileDescription"),
              "ファイル管理ユーティリティ");
    EXPECT_EQ(info.GetValue("\\StringFileInfo\\041103A4\\Comments"), "");
    EXPECT_EQ(info.GetValue("\\StringFileInfo\\041103A4\\ProductName"), "トルベリオ");
}

TEST(TVerInfo, AMissingValueRaisesTheMessage)
{
    const TVerInfo info("/proc/self/exe");
    try {
        info.GetValue("\\StringFileInfo\\041103A4\\LegalTrademarks");
        FAIL() << "no exception";
    } catch (const EVerInfo& e) {
        EXPECT_STREQ(e.what(), kNoVersion);
    }
    EXPECT_THROW(info.GetValue("\\StringFileInfo\\040904B0\\FileVersion"), EVerInfo);
}

TEST_F(VerInfoFiles, AFileWithoutVersionInformationCannotBeRead)
{
    const std::string text = m_folder.path() + "readme.txt";
    ASSERT_TRUE(writeFile(text, "2.8.2.8\n"));
    const std::string plainElf = m_folder.path() + "plain";
    ASSERT_TRUE(writeFile(plainElf, makeElf({{".text", "code"}}).bytes));
    for (const std::string& file : {text, plainElf, m_folder.path() + "missing", m_folder.path()}) {
        try {
            TVerInfo info(file);
            ADD_FAILURE() << file << " read";
        } catch (const EVerInfo& e) {
            EXPECT_STREQ(e.what(), kNoVersion) << file;
        }
        EXPECT_THROW(ProgramVersion(file), EVerInfo) << file;
    }
}

TEST_F(VerInfoFiles, TheFileVersionFollowsTheRecordsOwnTranslation)
{
    static constexpr VersionRecordField fields[] = {{"FileVersion", " 7.0.1 "}};
    const std::string program = programWith(
        bytesOf(makeVersionRecord<versionRecordLength(fields)>(0x0409, 0x04E4, fields)));
    const TVerInfo info(program);
    EXPECT_EQ(info.language(), "0409");
    EXPECT_EQ(info.codePage(), "04E4");
    EXPECT_EQ(info.FileVersion(), "7.0.1");
    EXPECT_EQ(ProgramVersion(program), QStringLiteral("7.0.1"));
}

TEST_F(VerInfoFiles, WithoutAFileVersionTheProgramVersionIsEmpty)
{
    static constexpr VersionRecordField fields[] = {{"ProductName", "x"}};
    const std::string program = programWith(
        bytesOf(makeVersionRecord<versionRecordLength(fields)>(0x0411, 0x03A4, fields)));
    EXPECT_THROW(TVerInfo(program).FileVersion(), EVerInfo);
    EXPECT_EQ(ProgramVersion(program), QString());
}

TEST_F(VerInfoFiles, ADamagedRecordCountsAsNone)
{
    static constexpr VersionRecordField fields[] = {{"FileVersion", "1.0"}};
    std::string record =
        bytesOf(makeVersionRecord<versionRecordLength(fields)>(0x0411, 0x03A4, fields));
    record[22] = '\x40'; // the value's length now runs past the record
    EXPECT_THROW(TVerInfo{programWith(record)}, EVerInfo);
}

TEST(ProgramVersion, IsTheVersionOfTheRunningProgram)
{
    EXPECT_EQ(ProgramVersion(), QStringLiteral("2.8.2.8"));
}

// The program as built carries the release's version record.
TEST(ProgramVersion, TheBuiltProgramCarriesItsFileVersion)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/torvel");
    if (!QFileInfo(program).isFile())
        GTEST_SKIP() << "torvel is not built";
    const TVerInfo info(program.toStdString());
    EXPECT_EQ(info.language() + info.codePage(), "041103A4");
    EXPECT_EQ(info.FileVersion(), "2.8.2.8");
    EXPECT_EQ(info.GetValue("\\StringFileInfo\\041103A4\\FileDescription"),
              "ファイル管理ユーティリティ");
}

} // namespace
} // namespace torvel
