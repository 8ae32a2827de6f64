#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "FolderHandle.h"
#include "RenamePlan.h"
#include "RunRecord.h"
#include "RunTypes.h"

namespace torvel {

// Renames every row's file inside destinationFolder (which is sourceFolder)
// by the plan (RenamePlan.h, which also says what keeps the files safe from a
// crash).
//
// No rename ever replaces a file. A new name held by a file outside the batch
// is offered to the trash (avoidDuplicates off), after the person's confirmation.
// A file that cannot take its new name keeps its own, and a row that needed
// that name fails and keeps its own too; a file that waited under a temporary
// name goes back to its own name, and only when that is taken too does it
// stay under the temporary one. Every failure is in the result.
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

    // Opens destinationFolder, reads its names and plans every row. False when the
    // folder cannot be opened or read, or the journal cannot be written; the
    // result then carries the error and nothing has been touched.
    bool prepare();
    const RenamePlan& plan() const { return m_plan; }

    void carryOut();

    RunResult take();

private:
    SameNames claimSameNames(const std::vector<std::string>& names);
    void noteInode(std::string_view name, std::uint64_t inode);
    int writeJournal();
    void keep(std::size_t i);
    void direct(std::size_t i);
    void aside(std::size_t i);
    void fromAside(std::size_t i);
    int renameMakingRoom(std::size_t i, const std::string& from, Room& room);
    bool mayOfferToTrash(const std::string& name);
    void stays(std::size_t i, FileFailure failure);
    void refuse(std::size_t i, int error);
    void giveBack(std::size_t i, FileFailure failure);
    void sameNameIntoPlace(std::size_t i, bool fromAside);
    void sameNameBack(std::size_t i);
    void putBack(SameNameStep& file, int error);
    void hold(const std::string& name) { m_held.insert(name); }

    const std::vector<RunRow>& m_rows;
    const RunSettings m_settings;
    RunServices& m_services;
    FolderHandle m_dir;
    RenamePlan m_plan;
    RunRecord m_record;
    // Names held by files that did not reach their new names and are not
    // rows of the batch (same-name files, or files under temporary names);
    // such a file is never offered to the trash to make room for another row.
    std::unordered_set<std::string> m_held;
    std::optional<RunResult> m_stopped;
    int m_done = 0;
};

} // namespace torvel
