#include "RenamePlan.h"

#include <cerrno>
#include <string_view>
#include <unordered_set>

#include "NameRules.h"

namespace torvel {

namespace {

constexpr int counterValues = 1000; // three digits

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

RenamePlan planRename(const std::vector<RunRow>& rows, const std::vector<std::string>& folderNames)
{
    // Every candidate begins with the prefix, so only names that do can be in
    // its way; the names planned for earlier rows join them.
    const std::string_view prefix = temporaryPrefix;
    std::unordered_set<std::string> taken;
    for (const auto& name : folderNames) {
        if (name.starts_with(prefix))
            taken.insert(name);
    }
    taken.reserve(taken.size() + rows.size());

    RenamePlan plan;
    plan.steps.reserve(rows.size());
    long long counter = 0;
    for (const auto& row : rows) {
        RenameStep step{row.current, row.newName, {}, nameError(row.newName)};
        if (step.refused == 0)
            step.refused = nameError(row.current);
        if (step.refused == 0) {
            std::string candidate;
            int tried = 0;
            do {
                candidate = std::string(prefix) + PadNumber(counter, 3) + row.current;
                ++counter;
                ++tried;
            } while (taken.contains(candidate) && tried < counterValues);
            // A thousand leftovers of one name would make the search go round for ever.
            if (taken.contains(candidate))
                step.refused = EEXIST;
            else // a current name near the limit leaves no room for the prefix
                step.refused = nameError(candidate);
            if (step.refused == 0) {
                taken.insert(candidate);
                step.temporary = std::move(candidate);
            }
        }
        plan.steps.push_back(std::move(step));
    }
    return plan;
}

} // namespace torvel
