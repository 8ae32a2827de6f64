// One version number everywhere: both programs' --version, the about box, the
// package and its change log, the software centre's metainfo and the manual
// pages all carry the project's.
#include "DataFiles.h"

#include <filesystem>
#include <regex>

#include <QApplication>
#include <QLabel>

#include "AboutBox.h"
#include "TorvelVersion.h"

namespace torvel::test {
namespace {

// The first match of `pattern`'s group in `text`, or "(none)".
std::string firstMatch(const std::string& text, const std::string& pattern)
{
    std::smatch match;
    return std::regex_search(text, match, std::regex(pattern)) ? match[1].str() : "(none)";
}

// The version the about box shows, read off its label.
std::string aboutBoxVersion()
{
    static int argc = 1;
    static char name[] = "test_data";
    static char* argv[] = {name, nullptr};
    const QApplication app(argc, argv);
    const TForm2 box;
    const auto* shown = box.findChild<QLabel*>(QStringLiteral("Label4"));
    return shown != nullptr ? shown->text().toStdString() : "(no label)";
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
        {"the about box", aboutBoxVersion(), version},
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
