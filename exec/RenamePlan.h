#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RunTypes.h"

namespace torvel {

// The prefix of the temporary names of a rename in place.
inline constexpr const char* temporaryPrefix = "_jd[";

// What a rename in place will do to one row, fixed before the first file is
// touched: current name -> temporary name -> new name.
struct RenameStep
{
    std::string current;
    std::string newName;
    std::string temporary; // empty when the row is not to be started
    int refused = 0;       // why the row is not started (errno), 0 when it is
};

// The whole rename in place, in row order. Complete before the first rename,
// so that it can be shown or written down and then carried out step by step.
struct RenamePlan
{
    std::vector<RenameStep> steps;
};

// Why a name cannot be given to a file here (errno), or 0 when it can.
int nameError(std::string_view name);

// Plans the rename of the rows in a folder whose present names are given.
// The temporary name of a row is "_jd[" + the counter in three digits + the
// current name; the counter starts at 0, is shared by all rows and moves on
// with every candidate, and a candidate that is taken (a leftover of an
// earlier run, or a name planned for an earlier row) is passed over. A row
// whose new name cannot be given on this system is not started.
RenamePlan planRename(const std::vector<RunRow>& rows, const std::vector<std::string>& folderNames);

} // namespace torvel
