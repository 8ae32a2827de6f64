#pragma once

// What the time stamp and attribute tests share: the window's stand-in, the
// sample names, a run through a file system of the test's choice, and the
// part of the result the tests compare in a readable form.

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "NameText.h"
#include "TrashOperation.h"
#include "RunFeedback.h"
#include "RunTypes.h"
#include "common/FeedbackStandIn.h"
#include "common/SampleNames.h"

namespace torvel {

// The files a run changed, those it could not with their errors, and
// whether it can be taken back.
struct Changes
{
    struct Failed
    {
        std::string name;
        int error = 0;
        bool operator==(const Failed&) const = default;
    };
    int changed = 0;
    std::vector<Failed> failures;
    bool journaled = false;

    bool operator==(const Changes&) const = default;
};

inline Changes changesOf(const RunResult& result)
{
    Changes changes{result.converted, {}, result.journaled};
    for (const FileFailure& f : result.failures)
        changes.failures.push_back({f.name, f.error});
    return changes;
}

// A result as a failed assertion shows it: names decoded, errors by name.
inline void PrintTo(const Changes& changes, std::ostream* out)
{
    *out << changes.changed << " changed;";
    for (const Changes::Failed& f : changes.failures)
        *out << " " << displayName(f.name) << " " << ::strerrorname_np(f.error);
    if (changes.journaled)
        *out << "; journaled";
}

// A run of a per-file kind through fs, the person and the journal given.
template <typename Input>
Changes perFileRun(RunResult (*run)(const Input&, RunServices&), const Input& input, FileSystem& fs,
                   RunFeedback& feedback, RunJournal* journal = nullptr)
{
    TFileOperation trash(fs, &feedback);
    RunServices services{fs, feedback, trash, journal};
    return changesOf(run(input, services));
}

} // namespace torvel
