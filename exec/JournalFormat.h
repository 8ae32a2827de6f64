#pragma once

// The text form of a run's journal, shared by its writer and its reader.

#include <charconv>
#include <string_view>
#include <vector>

#include "RunJournal.h"

namespace torvel::journal {

// Version 2 adds the folders' identities, the permission bits of a file,
// the files that arrived as new files, the run a run settles and the
// program that wrote it.
inline constexpr std::string_view magicPrefix = "torvel-journal ";
inline constexpr std::string_view magic = "torvel-journal 2";
inline constexpr std::string_view suffix = ".journal";

inline std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t blank = line.find(' ');
        fields.push_back(line.substr(0, blank));
        if (blank == std::string_view::npos)
            return fields;
        line.remove_prefix(blank + 1);
    }
}

template <typename Number>
bool numberOf(std::string_view text, Number& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace torvel::journal
