#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace torvel {

class FileSystem;
class RunFeedback;
class RunJournal;
class TFileOperation;

// One row of the preview grid as the run reads it: the current bare name
// (column 0) and the new bare name (column 1). Row i of a run is grid row i+1.
struct RunRow
{
    std::string current;
    std::string newName;
};

// What a run on the rename page does with the files: renames them in their
// folder, or moves or copies them into the destination folder. The order is
// that of the window's three radio buttons.
enum class SaveMode
{
    Rename,
    Move,
    Copy
};

// The window's state that a run on the rename page reads.
struct RunSettings
{
    std::string SearchDir; // source folder, ending in "/"
    std::string ChangeDir; // destination folder, ending in "/"
    SaveMode SaveMethod = SaveMode::Rename;
    bool JuuhukuCheck = false; // avoid duplicate names: never replace through the trash
    bool CheckBox1 = false;    // carry along same-name files with other extensions
};

// What a run works through: the file system, the person in front of the
// window, and the window's file operation component that sends replaced
// files to the trash.
struct RunServices
{
    FileSystem& fs;
    RunFeedback& feedback;
    TFileOperation& FileOperation1;
    // Where the run writes down its plan before it touches a file, so that
    // it can be taken back; none: the run is not recorded.
    RunJournal* journal = nullptr;
};

// What became of one row's file.
enum class RowResult : std::uint8_t
{
    Pending,   // not reached yet (only while the run is under way)
    Converted, // the file carries its new name
    Failed,    // the file did not get its new name; see the failures
};

// The step at which a file failed.
enum class RunStep : std::uint8_t
{
    BadName,     // the new name cannot be given on this system; untouched
    OutOfTheWay, // the rename to the temporary name
    IntoPlace,   // the rename from the temporary name to the new name
    Trash,       // the file holding the new name could not go to the trash
    Declined,    // the new name is taken and the person kept the file there
    TakenByRun,  // a file this run has just given the name holds it; it stays
    Move,
    Copy,
    SameNameRename, // a same-name file with another extension
    SameNameMove,
    SameNameCopy,
    Changed,           // taking back or finishing: the file is no longer where the run left it
    SourceGone,        // taking back a copy whose source is gone since: the copy stays
    SetTimeStamp,      // finishing a time stamp run: the file refused its time
    RestoreTimeStamp,  // taking one back: the file refused its own time
    SetAttributes,     // finishing an attribute run: the file refused them
    RestoreAttributes, // taking one back: the file refused its own attributes
};

// One file that did not reach its new name.
struct FileFailure
{
    std::string name;   // the file's bare name when the run began
    std::string target; // the bare name it was to get
    std::string leftAs; // the name it carries now when that is neither (a temporary name)
    RunStep step = RunStep::IntoPlace;
    int error = 0; // errno of the failed operation
};

// A file that reached its new name in another folder without what that
// folder's file system cannot store.
struct MetadataWarning
{
    std::string name;   // the file's bare name when the run began
    std::string target; // the name it carries now
    MetadataLost lost;
};

// The outcome of a rename, move or copy run. A run that could not start
// (a folder that cannot be opened) has error set and has touched nothing.
struct RunResult
{
    int error = 0;
    std::string errorText; // the system's I/O error text for error, UTF-8

    std::vector<RowResult> rows;           // one per row, in row order
    std::vector<FileFailure> failures;     // in the order they happened
    std::vector<MetadataWarning> warnings; // converted, but not with everything
    int converted = 0;                     // rows whose file carries its new name at the end
    // The run stopped at the person's request; the rows it had not reached
    // are Pending and their files untouched.
    bool stopped = false;

    bool started() const { return error == 0; }
};

} // namespace torvel
