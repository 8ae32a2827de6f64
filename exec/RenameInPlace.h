#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "FolderHandle.h"
#include "RenamePlan.h"
#include "RunRecord.h"
#include "RunTypes.h"

namespace torvel {

// Renames every row's file inside ChangeDir (which is SearchDir) in two
// phases, so that new names may be old names of other files of the batch:
// first every file moves out of the way to a temporary name of its own, then
// each goes from there to its new name.
//
// No rename ever replaces a file. A new name held by a file outside the batch
// is offered to the trash (JuuhukuCheck off), after the person's confirmation.
// A file that cannot take its new name is renamed back to its own name, and
// only when that is taken too does it stay under its temporary name; either
// way the failure is in the result. A row whose file could not be moved out of
// the way is left alone in the second phase.
RunResult File_Rename(const std::vector<RunRow>& rows, const RunSettings& settings,
                      RunServices& services);

// File_Rename in its steps, for a caller that wants to see or keep the plan
// before the first file is touched. The rows and the services must outlive it;
// the settings are copied.
class RenameRun
{
public:
    RenameRun(const std::vector<RunRow>& rows, const RunSettings& settings, RunServices& services);
    ~RenameRun();
    RenameRun(const RenameRun&) = delete;
    RenameRun& operator=(const RenameRun&) = delete;

    // Opens ChangeDir, reads its names and plans every row. False when the
    // folder cannot be opened or read; the result then carries the error and
    // nothing has been touched.
    bool prepare();
    const RenamePlan& plan() const { return m_plan; }

    void outOfTheWay(); // the first phase
    void intoPlace();   // the second phase

    RunResult take();

private:
    int writeJournal(const std::vector<std::string>& names,
                     const std::vector<std::uint64_t>& inodes);
    bool stepOutOfTheWay(std::size_t i);
    void sameNameOutOfTheWay(std::size_t i);
    void stepIntoPlace(std::size_t i);
    int renameIntoPlace(std::size_t i, Room& room);
    bool mayOfferToTrash(const std::string& name, std::size_t row);
    void giveBack(std::size_t i, FileFailure failure);
    void sameNameIntoPlace(std::size_t i);
    void sameNameBack(std::size_t i);
    void putBack(const SameNameStep& file, int error);
    void hold(const std::string& name) { m_held.insert(name); }

    const std::vector<RunRow>& m_rows;
    const RunSettings m_settings;
    RunServices& m_services;
    FolderHandle m_dir;
    RenamePlan m_plan;
    RunRecord m_record;
    std::vector<bool> m_movedAside;
    // Per row, which of its same-name files went out of the way (only rows
    // that have any).
    std::vector<std::vector<bool>> m_sameNameAside;
    // Names held by files of the batch, or same-name files, that did not
    // reach their new names; such a file is never offered to the trash to make
    // room for another row.
    std::unordered_set<std::string> m_held;
    // Temporary name -> the row it was planned for (its own or one of its
    // same-name files'); made only when a taken new name looks like one.
    std::unordered_map<std::string, std::size_t> m_temporaryRows;
    std::optional<RunResult> m_stopped;
    int m_done = 0;
};

} // namespace torvel
