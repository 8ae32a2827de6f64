#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

// When two names count as one.
enum class NameCase : std::uint8_t
{
    Exact,        // byte for byte
    AsciiLetters, // A-Z equal to a-z, every byte alike, whatever the encoding
    Folded,       // caseFoldKey: Unicode case folding for UTF-8, ASCII letters otherwise
};

// A set of file names, each with a number of the caller's (a row), looked up
// under one case rule. Many names are met in a run (a whole folder listing,
// 100,000 new names), so it is an open-addressing table that keeps beside
// each entry the high half of its name's hash: a probe passes over other
// names without reading them.
//
// Exact and AsciiLetters hold views of the names given: those must outlive
// the index. Folded holds folded copies of its own.
class NameIndex
{
public:
    static constexpr std::uint32_t none = 0xffffffff;

    explicit NameIndex(NameCase rule = NameCase::Exact, std::size_t expected = 0);

    NameCase rule() const { return m_rule; }
    std::size_t size() const { return m_entries.size(); }

    // What insert found: the name held for the key (name itself when it was
    // added; under Folded, the folded key) and its value.
    struct Held
    {
        std::string_view name;
        std::uint32_t value = 0;
        bool added = false;
    };
    // Adds name with value, unless a name equal to it is held already: the
    // first one stays, with its value.
    Held insert(std::string_view name, std::uint32_t value = 0);

    // The value of the name held equal to name, or none.
    std::uint32_t find(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != none; }

private:
    struct Entry // 16 bytes: a batch of 100,000 names holds 100,000 of them
    {
        const char* data;
        std::uint32_t size;
        std::uint32_t value;
        std::string_view key() const { return {data, size}; }
    };

    // The name as the table holds it: under Folded folded into `folded`.
    std::string_view keyOf(std::string_view name, std::string& folded) const;
    std::uint64_t hash(std::string_view key) const;
    bool same(std::string_view held, std::string_view key) const;
    // The slot of key, or the free slot where it would go.
    std::size_t slotOf(std::string_view key, std::uint64_t hash) const;
    void grow();

    NameCase m_rule;
    std::vector<Entry> m_entries;
    // The high half of an entry's hash beside its index + 1; 0 is free.
    std::vector<std::uint64_t> m_slots;
    std::deque<std::string> m_folded; // Folded: the keys, which never move
};

} // namespace torvel
