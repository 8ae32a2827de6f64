// One version number everywhere: both programs' --version, the version record
// the about box reads, the package and its change log, the software centre's
// metainfo and the manual pages all carry the project's.
#include "DataFiles.h"

#include <filesystem>
#include <regex>

#include "TorvelVersion.h"
#include "VersionRecord.h"

namespace torvel::test {
namespace {

// The first match of `pattern`'s group in `text`, or "(none)".
std::string firstMatch(const std::string& text, const std::string& pattern)
{
    std::smatch match;
    return std::regex_search(text, match, std::regex(pattern)) ? match[1].str() : "(none)";
}

// The file version of a program's version record, as the about box reads it.
std::string recordedFileVersion(const std::string& program)
{
    const std::uint32_t size = versionRecordSize(program);
    std::vector<unsigned char> block(size);
    if (size == 0 || !readVersionRecord(program, size, block.data()))
        return "(no record)";
    const auto value =
        queryVersionValue(block.data(), size, "\\StringFileInfo\\041103A4\\FileVersion");
    return value ? std::string(*value) : "(no file version)";
}

TEST(Version, EveryPlaceShowsTheProjectsVersion)
{
    const std::string version = torvelVersion;
    ASSERT_TRUE(std::regex_match(version, std::regex("[0-9]+(\\.[0-9]+)*"))) << version;
    struct Case
    {
        std::string where;
        std::string shown;
        std::string expected;
    };
    std::vector<Case> cases{
        {"torvel --version", outputOf(TORVEL_EXECUTABLE, "--version"), "torvel " + version + "\n"},
        {"torvel-cli --version", outputOf(TORVEL_CLI_EXECUTABLE, "--version"),
         "torvel-cli " + version + "\n"},
        {"the about box", recordedFileVersion(TORVEL_EXECUTABLE), version},
        {"the package",
         firstMatch(fileText(TORVEL_BINARY_DIR "CPackConfig.cmake"),
                    R"re(set\(CPACK_PACKAGE_VERSION "([^"]*)"\))re"),
         version},
        {"the change log", firstMatch(sourceFile("data/changelog"), R"re(^torvel \(([^)]*)\))re"),
         version},
        {"the metainfo",
         firstMatch(sourceFile("data/org.torvel.Torvel.metainfo.xml"),
                    R"re(<release version="([^"]*)")re"),
         version},
    };
    // Every manual page, in every language: the version is the last word of
    // the header's fourth field (.TH NAME SECTION DATE "torvel VERSION" ...).
    const std::filesystem::path man = TORVEL_SOURCE_DIR "data/man";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(man)) {
        if (entry.is_regular_file())
            cases.push_back({entry.path().lexically_relative(man).string(),
                             firstMatch(fileText(entry.path()), R"re(^\.TH .* "\S+ (\S+)" ")re"),
                             version});
    }
    ASSERT_GE(cases.size(), 10u) << "four manual pages or more";
    for (const Case& c : cases)
        EXPECT_EQ(c.shown, c.expected) << c.where;
}

} // namespace
} // namespace torvel::test
