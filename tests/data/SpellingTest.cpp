// Each word the program prints is spelled one way wherever it is printed: in
// the window, on the command line, in the help and manual pages and in the
// desktop files. The spelling is the one the window's own texts use; the
// other stands only inside a text of the window that holds it as it is.
#include "DataFiles.h"

#include <filesystem>
#include <sstream>
#include <string_view>
#include <vector>

namespace torvel::test {
namespace {

struct Spelling
{
    std::string_view ruledOut;
    std::string_view instead;
    std::vector<std::string_view> keptIn; // the window's texts that hold it
};

// Files are counted with 個, as in "個のファイルを変換しました。"; 件 counts
// other things, such as runs.
const std::vector<Spelling> spellings = {
    {"フォルダー", "フォルダ", {}},
    {"ゴミ箱", "ごみ箱", {}},
    {"トルベル", "トルベリオ", {"トルベル変換", "トルベルを実行します。"}},
    {"件のファイル", "個のファイル", {}},
};

// What the program prints comes from these folders of the source tree.
const std::vector<std::string_view> printedFrom = {"app",  "cli",      "controls", "core", "exec",
                                                   "help", "platform", "ui",       "data"};

std::size_t count(std::string_view text, std::string_view word)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + word.size()))
        ++n;
    return n;
}

// The lines of a file that hold the ruled-out spelling outside the texts that
// keep it, as "path:line: text".
std::vector<std::string> strayLines(const std::filesystem::path& file, const Spelling& spelling)
{
    std::vector<std::string> found;
    std::istringstream in(fileText(file.string()));
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        std::size_t stray = count(line, spelling.ruledOut);
        for (std::string_view kept : spelling.keptIn)
            stray -= count(line, kept);
        if (stray > 0)
            found.push_back(file.string() + ":" + std::to_string(number) + ": " + line);
    }
    return found;
}

TEST(Spelling, EachWordIsSpelledAsTheWindowSpellsIt)
{
    std::size_t files = 0;
    for (std::string_view folder : printedFrom) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(
                 std::filesystem::path(TORVEL_SOURCE_DIR) / folder)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || extension == ".png" || extension == ".svg")
                continue;
            ++files;
            for (const Spelling& spelling : spellings) {
                for (const std::string& line : strayLines(entry.path(), spelling))
                    ADD_FAILURE() << spelling.ruledOut << " where the window writes "
                                  << spelling.instead << ": " << line;
            }
        }
    }
    EXPECT_GT(files, 100u) << "the source tree was not found";
}

} // namespace
} // namespace torvel::test
