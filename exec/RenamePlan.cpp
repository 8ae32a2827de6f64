#include "RenamePlan.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "NameRules.h"
#include "SameName.h"

namespace torvel {

namespace {

constexpr int counterValues = 1000; // three digits
constexpr std::size_t maxNameBytes = 255;

// "_jd[" + the counter + the current name, cut at the end where the whole
// would pass the longest name a folder holds. A cut name still begins with
// the prefix and a counter no other temporary name of the run shares, so it
// is still kept off every user's name that could be in its way.
std::string temporaryName(long long counter, const std::string& name)
{
    std::string candidate = std::string(temporaryPrefix) + PadNumber(counter, 3);
    candidate.append(name, 0, std::min(name.size(), maxNameBytes - candidate.size()));
    return candidate;
}

} // namespace

int nameError(std::string_view name)
{
    switch (nameProblem(name)) {
    case NameProblem::None:
        return 0;
    case NameProblem::TooLong:
        return ENAMETOOLONG;
    case NameProblem::BadCharacter:
    case NameProblem::Empty:
        break;
    }
    return EINVAL;
}

namespace {

// Hands out the temporary names of one plan.
class TemporaryNames
{
public:
    TemporaryNames(const std::vector<RunRow>& rows, const std::vector<std::string>& folderNames,
                   const std::vector<RenameStep>& steps)
    {
        // Every candidate begins with the prefix, so only names that do can
        // be in its way: those in the folder now, and those the run will give.
        for (const auto& name : folderNames)
            keepFree(name);
        for (const auto& row : rows)
            keepFree(row.newName);
        for (const auto& step : steps) {
            for (const auto& file : step.sameName)
                keepFree(file.target);
        }
    }

    // A temporary name for the file now called name, or why there is none.
    int next(const std::string& name, std::string& temporary)
    {
        std::string candidate;
        int tried = 0;
        do {
            candidate = temporaryName(m_counter, name);
            ++m_counter;
            ++tried;
        } while (m_taken.contains(candidate) && tried < counterValues);
        // A thousand leftovers of one name would make the search go round for ever.
        if (m_taken.contains(candidate))
            return EEXIST;
        m_taken.insert(candidate);
        temporary = std::move(candidate);
        return 0;
    }

private:
    void keepFree(const std::string& name)
    {
        if (std::string_view(name).starts_with(temporaryPrefix))
            m_taken.insert(name);
    }

    std::unordered_set<std::string> m_taken;
    long long m_counter = 0;
};

} // namespace

RenamePlan planRename(const std::vector<RunRow>& rows, const std::vector<std::string>& folderNames,
                      const std::vector<std::vector<std::string>>& sameNames)
{
    RenamePlan plan;
    plan.steps.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RunRow& row = rows[i];
        RenameStep step{row.current, row.newName, {}, nameError(row.newName), {}};
        if (step.refused == 0)
            step.refused = nameError(row.current);
        if (i < sameNames.size()) {
            for (const auto& name : sameNames[i]) {
                std::string target = sameNameTarget(row, name);
                const int refused = nameError(target);
                step.sameName.push_back({name, std::move(target), {}, refused});
            }
        }
        plan.steps.push_back(std::move(step));
    }

    TemporaryNames temporaries(rows, folderNames, plan.steps);
    for (auto& step : plan.steps) {
        if (step.refused == 0)
            step.refused = temporaries.next(step.current, step.temporary);
        if (step.refused != 0)
            continue; // its same-name files stay where they are with it
        for (auto& file : step.sameName) {
            if (file.refused == 0)
                file.refused = temporaries.next(file.current, file.temporary);
        }
    }
    return plan;
}

} // namespace torvel
