#include "NameIndex.h"

#include <bit>

#include "ByteText.h"
#include "NameText.h"

namespace torvel {

namespace {

constexpr std::uint64_t tagOf(std::uint64_t hashOrSlot)
{
    return hashOrSlot & ~std::uint64_t{0xffffffff};
}

} // namespace

NameIndex::NameIndex(NameCase rule, std::size_t expected)
    : m_rule(rule)
    , m_slots(std::bit_ceil(expected * 2 + 16), 0)
{
    m_entries.reserve(expected);
}

std::uint64_t NameIndex::hash(std::string_view key) const
{
    const bool lower = m_rule == NameCase::AsciiLetters;
    std::uint64_t h = 1469598103934665603ull;
    for (char c : key)
        h = (h ^ static_cast<unsigned char>(lower ? asciiLower(c) : c)) * 1099511628211ull;
    return h;
}

bool NameIndex::same(std::string_view held, std::string_view key) const
{
    return m_rule == NameCase::AsciiLetters ? equalsIgnoringAsciiCase(held, key) : held == key;
}

std::size_t NameIndex::slotOf(std::string_view key, std::uint64_t h) const
{
    const std::uint64_t tag = tagOf(h);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = h & mask;
    for (; m_slots[at] != 0; at = (at + 1) & mask) {
        if (tagOf(m_slots[at]) == tag && same(m_entries[(m_slots[at] & 0xffffffff) - 1].key(), key))
            break;
    }
    return at;
}

std::string_view NameIndex::keyOf(std::string_view name, std::string& folded) const
{
    if (m_rule != NameCase::Folded)
        return name;
    folded = caseFoldKey(name);
    return folded;
}

NameIndex::Held NameIndex::insert(std::string_view name, std::uint32_t value)
{
    std::string folded;
    const std::string_view key = keyOf(name, folded);
    const std::uint64_t h = hash(key);
    std::size_t at = slotOf(key, h);
    if (m_slots[at] != 0) {
        const Entry& held = m_entries[(m_slots[at] & 0xffffffff) - 1];
        return {held.key(), held.value, false};
    }
    if ((m_entries.size() + 1) * 2 > m_slots.size()) {
        grow();
        at = slotOf(key, h);
    }
    std::string_view kept = name;
    if (m_rule == NameCase::Folded)
        kept = m_folded.emplace_back(std::move(folded));
    m_entries.push_back({kept.data(), static_cast<std::uint32_t>(kept.size()), value});
    m_slots[at] = tagOf(h) | m_entries.size();
    return {kept, value, true};
}

std::uint32_t NameIndex::find(std::string_view name) const
{
    std::string folded;
    const std::string_view key = keyOf(name, folded);
    const std::uint64_t slot = m_slots[slotOf(key, hash(key))];
    return slot == 0 ? none : m_entries[(slot & 0xffffffff) - 1].value;
}

// Twice the slots; the entries go in again in the order they came, each
// unique, so none is compared with another.
void NameIndex::grow()
{
    m_slots.assign(m_slots.size() * 2, 0);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::uint64_t h = hash(m_entries[i].key());
        std::size_t at = h & mask;
        while (m_slots[at] != 0)
            at = (at + 1) & mask;
        m_slots[at] = tagOf(h) | (i + 1);
    }
}

} // namespace torvel
