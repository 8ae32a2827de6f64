#pragma once

// The files of the source tree and the build, and what the built programs
// print, for the tests that hold them to one another.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace torvel::test {

inline std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), {}};
}

// A file of the source tree, by its path there ("data/torvel.desktop").
inline std::string sourceFile(const std::string& path)
{
    return fileText(TORVEL_SOURCE_DIR + path);
}

// What a program prints on stdout when started with one option.
inline std::string outputOf(const std::string& program, const std::string& option)
{
    const std::string command = "'" + program + "' " + option;
    FILE* pipe = ::popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr) << command;
    if (pipe == nullptr)
        return {};
    std::string out;
    char buffer[4096];
    for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return out;
}

// The manual pages of a program in both languages, by their path in the tree.
inline std::vector<std::string> manPages(const std::string& program)
{
    return {"data/man/" + program + ".1", "data/man/ja/" + program + ".1"};
}

// Whether `word` stands in `text` on its own, not as part of a longer option
// or word ("--keep-number" is not in "--keep-number-identifier").
inline bool hasWord(std::string_view text, std::string_view word)
{
    const auto partOfWord = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
               || c == '-';
    };
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !partOfWord(text[at - 1]))
            && (end == text.size() || !partOfWord(text[end])))
            return true;
    }
    return false;
}

} // namespace torvel::test
