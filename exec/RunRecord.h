#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "RunTypes.h"

namespace torvel {

class FolderHandle;

// The book a rename, move or copy run keeps of its rows while it goes: which
// file reached its new name, which failed and why, and which was replaced
// afterwards through the trash by a later row of the same run.
class RunRecord
{
public:
    explicit RunRecord(const std::vector<RunRow>& rows);

    void converted(std::size_t row, const std::string& newName);
    void failed(std::size_t row, FileFailure failure);
    // The file holding this new name has gone to the trash: if a row of this
    // run had put it there, that row's file no longer carries its new name.
    void sentToTrash(const std::string& newName);

    // Where failures of files that are not a row's own (same-name files) go.
    std::vector<FileFailure>& failures() { return m_result.failures; }
    RunResult take() { return std::move(m_result); }

private:
    const std::vector<RunRow>& m_rows;
    RunResult m_result;
    // New name -> row, made only once the first file goes to the trash; most
    // runs never need it.
    std::unordered_map<std::string, std::size_t> m_producers;
    bool m_producersKnown = false;
};

// How a taken new name was dealt with.
struct Room
{
    enum class Kind
    {
        Freed,    // the file went to the trash: try again
        Declined, // the person kept it
        Refused,  // the trash could not take it; error tells why
        Occupied, // not a file (a folder): nothing is offered to the trash
    };
    Kind kind = Kind::Occupied;
    int error = 0;
};

// Offers the file holding name in the open folder dir to the trash through
// the file operation component, which asks the person first. A name that is
// held by anything but a file is left alone.
Room makeRoom(RunServices& services, const FolderHandle& dir, const std::string& name,
              RunRecord& record);

// The failure to note for a row whose new name stayed taken after makeRoom,
// or whose own operation failed with error.
FileFailure takenFailure(const RunRow& row, const Room& room, RunStep ownStep, int error);

// The result of a run that stopped before touching any file.
RunResult stoppedRun(int error);

} // namespace torvel
