// The manual pages say what --help says: every long option of each program,
// and every order the command line's parser takes.
#include "DataFiles.h"

#include <regex>
#include <set>

#include "CliOptions.h"

namespace torvel::test {
namespace {

// A page's text with roff's escaped hyphens as plain ones ("\-\-sort").
std::string manText(const std::string& path)
{
    std::string text = sourceFile(path);
    for (std::size_t at = text.find("\\-"); at != std::string::npos; at = text.find("\\-", at))
        text.erase(at, 1);
    return text;
}

std::set<std::string> longOptions(const std::string& usage)
{
    static const std::regex option("--[a-z][a-z-]*");
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
         it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

// What a text says under an option: from the option to the next line that
// begins with another option or a new manual entry.
std::string optionEntry(const std::string& text, const std::string& option)
{
    const std::size_t start = text.find(option);
    if (start == std::string::npos)
        return {};
    std::size_t end = text.find('\n', start);
    while (end != std::string::npos) {
        const std::size_t line = text.find_first_not_of(' ', end + 1);
        if (line == std::string::npos || text[line] == '-' || text.compare(line, 3, ".TP") == 0)
            break;
        end = text.find('\n', end + 1);
    }
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(ManPages, NameEveryLongOptionOfTheirProgramsHelp)
{
    for (const std::string program : {"torvel", "torvel-cli"}) {
        const std::string executable =
            program == "torvel" ? TORVEL_EXECUTABLE : TORVEL_CLI_EXECUTABLE;
        const std::set<std::string> options = longOptions(outputOf(executable, "--help"));
        EXPECT_TRUE(options.contains("--version")) << program;
        for (const std::string& page : manPages(program)) {
            const std::string text = manText(page);
            for (const std::string& option : options)
                EXPECT_TRUE(hasWord(text, option)) << page << " lacks " << option;
        }
    }
}

TEST(ManPages, NameEveryOrderTheParserTakes)
{
    const std::vector<std::string_view> words = sortOrderWords();
    ASSERT_FALSE(words.empty());
    std::vector<std::pair<std::string, std::string>> entries = {
        {"torvel-cli --help", optionEntry(outputOf(TORVEL_CLI_EXECUTABLE, "--help"), "--sort")}};
    for (const std::string& page : manPages("torvel-cli"))
        entries.emplace_back(page, optionEntry(manText(page), "--sort"));
    for (const auto& [where, entry] : entries) {
        ASSERT_FALSE(entry.empty()) << where << " has no --sort";
        for (const std::string_view word : words)
            EXPECT_TRUE(hasWord(entry, word)) << where << " lacks --sort=" << word;
    }
}

} // namespace
} // namespace torvel::test
