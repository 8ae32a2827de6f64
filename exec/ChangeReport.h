#pragma once

#include <string>
#include <vector>

namespace torvel {

// What a run of the time stamp or attribute page did, for the window to
// report in one box at its end, as the rename page does: a box per file would
// hold the person at the screen for every one of a thousand files on a
// volume that refuses them all.

// One file the run could not change.
struct ChangeFailure
{
    std::string name; // the bare name, bytes
    int error = 0;    // errno of the step that failed; ERANGE for a date
                      // outside the years a time stamp can hold, ENODATA
                      // for a file that records no shooting date

    bool operator==(const ChangeFailure&) const = default;
};

struct ChangeResult
{
    // Files the run changed: every file given the time stamp; for
    // attributes only a file that did not already hold the wanted ones.
    int changed = 0;
    std::vector<ChangeFailure> failures; // in row order
    // What each file had was written to a run journal before the run: the
    // run can be taken back.
    bool journaled = false;

    bool operator==(const ChangeResult&) const = default;
};

// The text of the failure box, UTF-8; empty when nothing failed: a first line
// "次の M 個のファイルは変更できませんでした。", then "name：reason" for at most
// maxReportLines files, then how many more there are.
std::string changeFailureReport(const ChangeResult& result);

// One line of it.
std::string changeFailureLine(const ChangeFailure& failure);

} // namespace torvel
