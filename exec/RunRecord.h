#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "RunTypes.h"

namespace torvel {

class FolderHandle;

// The book a rename, move or copy run keeps of its rows while it goes: which
// file reached its new name, which failed and why, and which names this run
// has given, so that no file it has just renamed, moved or copied is ever
// offered to the trash to make room for a later one.
class RunRecord
{
public:
    explicit RunRecord(const std::vector<RunRow>& rows);

    void converted(std::size_t row);
    void failed(std::size_t row, FileFailure failure);
    // A same-name file reached its target.
    void sameNameArrived(const std::string& target);
    // A file reached its name, but not with everything it had.
    void keptWithout(const std::string& name, const std::string& target, const MetadataLost& lost);

    RowResult rowResult(std::size_t row) const { return m_result.rows[row]; }

    // The run stops here at the person's request.
    void stopped() { m_result.stopped = true; }

    // Whether a file this run renamed, moved or copied carries the name now.
    bool madeByRun(const std::string& name);

    // Where failures of files that are not a row's own (same-name files) go.
    std::vector<FileFailure>& failures() { return m_result.failures; }
    RunResult take() { return std::move(m_result); }

private:
    const std::vector<RunRow>& m_rows;
    RunResult m_result;
    // The new names of converted rows, made only when a taken name is first
    // met; most runs never need it.
    std::unordered_set<std::string_view> m_rowNames;
    bool m_rowNamesKnown = false;
    std::unordered_set<std::string> m_sameNameTargets;
};

// How a taken new name was dealt with.
struct Room
{
    enum class Kind
    {
        Freed,     // the file went to the trash: try again
        Declined,  // the person kept it
        Refused,   // the trash could not take it; error tells why
        Occupied,  // not a file (a folder): nothing is offered to the trash
        MadeByRun, // a file this run has just put there: it stays
        // The file went to the trash but the journal could not say so; error
        // tells why. The name is not used.
        Unrecorded,
    };
    Kind kind = Kind::Occupied;
    int error = 0;
};

// Offers the file holding name in the open folder dir to the trash through
// the file operation component, which asks the person first. A name that is
// held by anything but a file, or by a file this run has put there, is left
// alone; so is a name that holds another entry by the time the person says
// yes than the one asked about.
Room makeRoom(RunServices& services, const FolderHandle& dir, const std::string& name,
              RunRecord& record);

// The failure to note for a row whose new name stayed taken after makeRoom,
// or whose own operation failed with error.
FileFailure takenFailure(const RunRow& row, const Room& room, RunStep ownStep, int error);

// The result of a run that stopped before touching any file.
RunResult stoppedRun(int error);

} // namespace torvel
