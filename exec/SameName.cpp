#include "SameName.h"

#include <algorithm>
#include <cerrno>

#include "FileSystem.h"
#include "NameMatch.h"
#include "NameRules.h"
#include "RenamePlan.h"

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
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z')
            byte = static_cast<unsigned char>(byte - 'A' + 'a');
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

} // namespace

SameNameFiles::SameNameFiles(FileSystem& fs, const FolderHandle& searchDir,
                             const FolderHandle& changeDir, Carry carry,
                             std::vector<std::string> names, const std::vector<RunRow>& rows)
    : m_fs(fs)
    , m_searchDir(searchDir)
    , m_changeDir(changeDir)
    , m_carry(carry)
    , m_names(std::move(names))
    , m_state(m_names.size(), State::Present)
{
    m_index.reserve(m_names.size());
    for (std::size_t i = 0; i < m_names.size(); ++i)
        m_index.emplace_back(stemKey(m_names[i]), static_cast<std::uint32_t>(i));
    std::sort(m_index.begin(), m_index.end());
    for (const auto& row : rows)
        keepOut(row.current);
}

SameNameFiles::Candidates SameNameFiles::candidates(std::string_view base) const
{
    const std::uint64_t key = stemKey(base);
    return std::equal_range(m_index.begin(), m_index.end(), IndexEntry{key, 0u},
                            [](const IndexEntry& a, const IndexEntry& b) { return a.first < b.first; });
}

void SameNameFiles::keepOut(std::string_view name)
{
    auto [first, last] = candidates(name);
    for (auto it = first; it != last; ++it) {
        if (m_names[it->second] == name)
            m_state[it->second] = State::KeptOut;
    }
}

void SameNameFiles::SameName(const RunRow& row, std::vector<FileFailure>& failures)
{
    // In the source folder the row's file now carries its new name.
    if (m_carry == Carry::Rename)
        keepOut(row.newName);
    const std::string_view oldBase = baseNameOf(row.current);
    const std::string_view newBase = baseNameOf(row.newName);
    auto [first, last] = candidates(oldBase);
    for (auto it = first; it != last; ++it) {
        const std::uint32_t i = it->second;
        const std::string& name = m_names[i];
        if (m_state[i] != State::Present || !matchesBaseWildcard(name, oldBase))
            continue;
        std::string target = std::string(newBase) + std::string(extensionOf(name));
        int rc = nameError(target);
        if (rc == 0)
            rc = carryOne(name, target);
        if (rc == 0) {
            if (m_carry != Carry::Copy)
                m_state[i] = State::Gone;
            if (m_carry == Carry::Rename)
                keepOut(target);
            continue;
        }
        // A taken target is left alone by design; a file that has gone since
        // the folder was read is no longer a match; a copy takes files only.
        if (rc == ENOENT)
            m_state[i] = State::Gone;
        if (rc == EEXIST || rc == ENOENT || (m_carry == Carry::Copy && rc == EISDIR))
            continue;
        failures.push_back({name, target, {}, failedStep(), rc});
    }
}

int SameNameFiles::carryOne(const std::string& name, const std::string& target)
{
    switch (m_carry) {
    case Carry::Rename:
        return m_fs.renameNoReplace(m_searchDir, name, m_searchDir, target);
    case Carry::Move:
        return m_fs.move(m_searchDir, name, m_changeDir, target);
    case Carry::Copy:
        break;
    }
    return m_fs.copy(m_searchDir, name, m_changeDir, target);
}

RunStep SameNameFiles::failedStep() const
{
    switch (m_carry) {
    case Carry::Rename:
        return RunStep::SameNameRename;
    case Carry::Move:
        return RunStep::SameNameMove;
    case Carry::Copy:
        break;
    }
    return RunStep::SameNameCopy;
}

} // namespace torvel
