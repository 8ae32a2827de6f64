#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RunTypes.h"

namespace torvel {

// The prefix of the temporary names of a rename in place.
inline constexpr const char* temporaryPrefix = "_jd[";

// What a rename in place will do to a same-name file of a row: it goes out
// of the way with its row and into place right after it.
struct SameNameStep
{
    std::string current;
    std::string target;    // the row's new base and the file's own extension
    std::string temporary; // empty when the file is not to be moved
    int refused = 0;       // why the file is not moved (errno), 0 when it is
};

// What a rename in place will do to one row, fixed before the first file is
// touched: current name -> temporary name -> new name.
struct RenameStep
{
    std::string current;
    std::string newName;
    std::string temporary; // empty when the row is not to be started
    int refused = 0;       // why the row is not started (errno), 0 when it is
    std::vector<SameNameStep> sameName;
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
// current name, cut short at the end where it would pass 255 bytes; the counter starts at 0, is shared by all rows and moves on
// with every candidate, and a candidate that is taken is passed over: a
// leftover of an earlier run, a name planned for an earlier row, or any new
// name of the run, so that no file ever waits under a name another file is
// to take. A row whose new name cannot be given on this system is not
// started.
//
// sameNames, when not empty, holds for each row the same-name files that
// travel with it; each gets a temporary name of its own right after its
// row's, and its target is kept free of temporary names too.
RenamePlan planRename(const std::vector<RunRow>& rows, const std::vector<std::string>& folderNames,
                      const std::vector<std::vector<std::string>>& sameNames = {});

} // namespace torvel
