#include "SameName.h"

#include <algorithm>
#include <cerrno>

#include "ByteText.h"
#include "FileSystem.h"
#include "NameMatch.h"
#include "NameRules.h"
#include "RunRecord.h"

namespace torvel {

namespace {

// A hash of the part of a name before its first ".", with ASCII letters
// lowered. Every name that matches base + ".*" has the key of the base: the
// match is the base itself or the base followed by ".", so the two agree up to
// the first "." (a "." is never the second byte of a Shift-JIS character).
// Lowering the second bytes of Shift-JIS characters too makes the key a
// little wider than the match; matchesBaseWildcard decides.
std::uint64_t stemKey(std::string_view name)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (char c : name) {
        if (c == '.')
            break;
        hash = (hash ^ static_cast<unsigned char>(asciiLower(c))) * 1099511628211ull;
    }
    return hash;
}

} // namespace

SameNameIndex::SameNameIndex(std::vector<std::string> names, const std::vector<RunRow>& rows)
    : m_names(std::move(names))
    , m_present(m_names.size(), true)
{
    m_index.reserve(m_names.size());
    for (std::size_t i = 0; i < m_names.size(); ++i)
        m_index.emplace_back(stemKey(m_names[i]), static_cast<std::uint32_t>(i));
    std::sort(m_index.begin(), m_index.end());

    auto byKey = [](const IndexEntry& a, const IndexEntry& b) { return a.first < b.first; };
    for (const auto& row : rows) {
        const IndexEntry probe{stemKey(row.current), 0u};
        auto [first, last] = std::equal_range(m_index.begin(), m_index.end(), probe, byKey);
        for (auto it = first; it != last; ++it) {
            if (m_names[it->second] == row.current)
                m_present[it->second] = false;
        }
    }
}

std::vector<std::uint32_t> SameNameIndex::matches(std::string_view base) const
{
    std::vector<std::uint32_t> found;
    if (base.empty())
        return found;
    auto byKey = [](const IndexEntry& a, const IndexEntry& b) { return a.first < b.first; };
    auto [first, last] =
        std::equal_range(m_index.begin(), m_index.end(), IndexEntry{stemKey(base), 0u}, byKey);
    for (auto it = first; it != last; ++it) {
        if (m_present[it->second] && matchesBaseWildcard(m_names[it->second], base))
            found.push_back(it->second);
    }
    return found;
}

std::vector<std::string> SameNameIndex::claim(const RunRow& row)
{
    std::vector<std::string> claimed;
    for (std::uint32_t i : matches(baseNameOf(row.current))) {
        claimed.push_back(m_names[i]);
        m_present[i] = false;
    }
    return claimed;
}

std::string sameNameTarget(const RunRow& row, std::string_view name)
{
    return std::string(baseNameOf(row.newName)) + std::string(extensionOf(name));
}

SameNameFiles::SameNameFiles(FileSystem& fs, const FolderHandle& searchDir,
                             const FolderHandle& changeDir, Carry carry,
                             std::vector<std::string> names, const std::vector<RunRow>& rows)
    : m_fs(fs)
    , m_searchDir(searchDir)
    , m_changeDir(changeDir)
    , m_carry(carry)
    , m_index(std::move(names), rows)
{}

void SameNameFiles::SameName(const RunRow& row, RunRecord& record)
{
    const RunStep step = m_carry == Carry::Move ? RunStep::SameNameMove : RunStep::SameNameCopy;
    for (std::uint32_t i : m_index.matches(baseNameOf(row.current))) {
        const std::string& name = m_index.name(i);
        const std::string target = sameNameTarget(row, name);
        MetadataLost lost;
        int rc = nameError(target);
        if (rc == 0)
            rc = carryOne(name, target, lost);
        if (rc == 0) {
            record.sameNameArrived(target);
            record.keptWithout(name, target, lost);
            // A moved file has left the folder; a copied one may follow
            // another row of the same base as well.
            if (m_carry == Carry::Move)
                m_index.gone(i);
            continue;
        }
        // A file that has gone since the folder was read is no longer a
        // match; a copy takes files only.
        if (rc == ENOENT)
            m_index.gone(i);
        if (rc == ENOENT || (m_carry == Carry::Copy && rc == EISDIR))
            continue;
        record.failures().push_back({name, target, {}, step, rc});
    }
}

int SameNameFiles::carryOne(const std::string& name, const std::string& target, MetadataLost& lost)
{
    if (m_carry == Carry::Move)
        return m_fs.move(m_searchDir, name, m_changeDir, target, lost);
    return m_fs.copy(m_searchDir, name, m_changeDir, target, lost);
}

} // namespace torvel
