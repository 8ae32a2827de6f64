// The manual pages and --help against the tables the programs are made
// from: each names every option of its program and no other, and lists
// under --sort every order the parser takes and no other.
#include "DataFiles.h"

#include <regex>
#include <set>
#include <sstream>

#include "CliOptions.h"
#include "SettingRows.h"

namespace torvel::test {
namespace {

using Words = std::set<std::string, std::less<>>;

// A page's text with roff's escaped hyphens as plain ones ("\-\-sort").
std::string manText(const std::string& path)
{
    std::string text = sourceFile(path);
    for (std::size_t at = text.find("\\-"); at != std::string::npos; at = text.find("\\-", at))
        text.erase(at, 1);
    return text;
}

Words longOptions(const std::string& text)
{
    static const std::regex option("--[a-z][a-z-]*");
    Words found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
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

// The words a manual entry sets in bold: the argument of .B, and the first,
// third... arguments of .BR (the others are roman).
Words boldWords(const std::string& entry)
{
    static const std::regex argument(R"("[^"]*"|\S+)");
    Words bold;
    std::istringstream lines(entry);
    for (std::string line; std::getline(lines, line);) {
        const bool alternating = line.starts_with(".BR ");
        if (!alternating && !line.starts_with(".B "))
            continue;
        const std::string args = line.substr(alternating ? 4 : 3);
        int at = 0;
        for (auto it = std::sregex_iterator(args.begin(), args.end(), argument);
             it != std::sregex_iterator(); ++it, ++at)
            if (!alternating || at % 2 == 0)
                bold.insert(it->str());
    }
    return bold;
}

// The words the usage lists under an option: the first word of each line
// after the option's own.
Words listedWords(const std::string& entry)
{
    Words listed;
    std::istringstream lines(entry);
    std::string line;
    std::getline(lines, line);
    while (lines >> line) {
        listed.insert(line);
        std::getline(lines, line);
    }
    return listed;
}

TEST(ManPages, NameEveryOptionOfTheirProgramAndNoOther)
{
    Words cliWords;
    for (const std::string_view word : cliOptionWords())
        cliWords.emplace(word);
    const std::string windowHelp = outputOf(TORVEL_EXECUTABLE, "--help");
    const std::string cliHelp = outputOf(TORVEL_CLI_EXECUTABLE, "--help");
    struct Program
    {
        std::string name;
        std::string help;
        Words options; // every option it takes; the long ones are all it may name
    };
    const Program programs[] = {{"torvel", windowHelp, longOptions(windowHelp)},
                                {"torvel-cli", cliHelp, cliWords}};
    for (const Program& program : programs) {
        EXPECT_TRUE(program.options.contains("--version")) << program.name;
        std::vector<std::pair<std::string, std::string>> texts = {
            {program.name + " --help", program.help}};
        for (const std::string& page : manPages(program.name))
            texts.emplace_back(page, manText(page));
        for (const auto& [where, text] : texts) {
            for (const std::string& option : program.options)
                EXPECT_TRUE(hasWord(text, option)) << where << " lacks " << option;
            for (const std::string& named : longOptions(text))
                EXPECT_TRUE(program.options.contains(named))
                    << where << " names " << named << ", which " << program.name
                    << " does not take";
        }
    }
}

TEST(ManPages, ListEveryOrderUnderSortAndNoOther)
{
    Words orders;
    for (const SortRow& row : sortRows())
        orders.emplace(row.word);
    std::vector<std::pair<std::string, Words>> claims = {
        {"torvel-cli --help",
         listedWords(optionEntry(outputOf(TORVEL_CLI_EXECUTABLE, "--help"), "--sort"))}};
    for (const std::string& page : manPages("torvel-cli"))
        claims.emplace_back(page, boldWords(optionEntry(manText(page), "--sort")));
    for (const auto& [where, claimed] : claims)
        EXPECT_EQ(claimed, orders) << where;
}

} // namespace
} // namespace torvel::test
