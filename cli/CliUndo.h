#pragma once

#include <iosfwd>

#include "CliSession.h"

namespace torvel {

// --undo: shows which run is the last one (when, where, by which program,
// how many of its files it changed) and takes it back once the person says
// yes on the terminal, or at once with --yes. Without a terminal and without
// --yes nothing is taken back (CliExit::Usage). With --dry-run it shows what
// would be taken back, file by file, and touches nothing.
CliExit undoLastRun(const CliOptions& options, const CliEnvironment& env, std::ostream& out,
                    std::ostream& err);

} // namespace torvel
