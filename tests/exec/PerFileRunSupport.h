#pragma once

// What the time stamp and attribute tests share: the window's stand-in, the
// sample names and a readable form of the run's result.

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "RunTypes.h"
#include "NameText.h"
#include "RunFeedback.h"
#include "common/FeedbackStandIn.h"
#include "common/SampleNames.h"

namespace torvel {

// A result as a failed assertion shows it: names decoded, errors by name.
inline void PrintTo(const ChangeResult& result, std::ostream* out)
{
    *out << result.changed << " changed;";
    for (const ChangeFailure& f : result.failures)
        *out << " " << displayName(f.name) << " " << ::strerrorname_np(f.error);
    if (result.journaled)
        *out << "; journaled";
}

} // namespace torvel
