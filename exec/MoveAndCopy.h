#pragma once

#include <vector>

#include "RunTypes.h"

namespace torvel {

// Carries every row's file from sourceFolder into destinationFolder under its new name:
// moved when saveMode is SaveMode::Move, copied otherwise. A file already holding the
// new name in destinationFolder is offered to the trash whatever avoidDuplicates says,
// and the row's own file follows only once that name is free; nothing is ever
// replaced. A move to another device is complete or does not happen: the
// source stays until its copy is whole under the new name. With carrySameNameFiles the
// same-name files of each row follow it (SameNameFiles).
//
// Each row shows "<name> を <new name> に転送しています。" on the status line.
// A row that fails is in the result's failures and the run goes on. Opening
// either folder (or reading sourceFolder for the same-name files) is done before
// any file is touched; when it fails the run stops with the error.
RunResult File_Move(const std::vector<RunRow>& rows, const RunSettings& settings,
                    RunServices& services);

} // namespace torvel
