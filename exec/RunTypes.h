#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "RunKinds.h"

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
    std::string sourceFolder;             // ending in "/"; SearchDir
    std::string destinationFolder;        // ending in "/"; ChangeDir
    SaveMode saveMode = SaveMode::Rename; // SaveMethod
    // Never replace a file holding a new name through the trash.
    bool avoidDuplicates = false; // JuuhukuCheck
    // Carry along the files of the same name with other extensions.
    bool carrySameNameFiles = false; // CheckBox1
};

// What a run works through: the file system, the person in front of the
// window, and the window's file operation component that sends replaced
// files to the trash.
struct RunServices
{
    FileSystem& fs;
    RunFeedback& feedback;
    TFileOperation& trash; // FileOperation1
    // Where the run writes down its plan before it touches a file, so that
    // it can be taken back; none: the run is not recorded.
    RunJournal* journal = nullptr;
};

// What became of one row's file, in a run of any kind.
enum class RowResult : std::uint8_t
{
    Pending,   // not reached: the run is under way, or it stopped before it
    Converted, // the file carries its new name, or what the run gives it
    Unchanged, // the file had what the run gives it already and was left alone
    Failed,    // the file did not get it; see the failures
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
    Change,            // a time stamp or attribute run: the file could not be changed;
                       // the reason says why
};

// One file that did not reach its new name.
struct FileFailure
{
    std::string name;   // the file's bare name when the run began
    std::string target; // the bare name it was to get
    std::string leftAs; // the name it carries now when that is neither (a temporary name)
    RunStep step = RunStep::IntoPlace;
    // errno of the failed operation; for a time stamp run, ERANGE for a date
    // outside the years a time stamp can hold, ENODATA for a file that
    // records no shooting date
    int error = 0;

    bool operator==(const FileFailure&) const = default;
};

// A file that reached its new name in another folder without what that
// folder's file system cannot store.
struct MetadataWarning
{
    std::string name;   // the file's bare name when the run began
    std::string target; // the name it carries now
    MetadataLost lost;
};

// A journal that taking back or finishing did not act on: its file and the
// folder its run was in.
struct RefusedJournal
{
    std::string path;
    std::string from;
};

// The outcome of a run of any kind, and of taking runs back or finishing
// them. A run that could not start (a folder that cannot be opened) has
// error set and has touched nothing.
struct RunResult
{
    int error = 0;
    // Set when error is why a journal was not acted on: EBADMSG, damaged;
    // ESTALE, its folders are not those it was written for; else they could
    // not be opened.
    std::optional<RefusedJournal> refusedJournal;
    // The kind of the run; none for taking runs back or finishing them.
    std::optional<JournalKind> kind;

    std::vector<RowResult> rows;           // one per row, in row order
    std::vector<FileFailure> failures;     // in the order they happened
    std::vector<MetadataWarning> warnings; // converted, but not with everything
    // Rows whose file carries its new name, or what the run gives it, at the end.
    int converted = 0;
    // The run stopped at the person's request; the rows it had not reached
    // are Pending and their files untouched.
    bool stopped = false;
    // What the run does was written to a journal before it touched a file:
    // the run can be taken back.
    bool journaled = false;

    bool started() const { return error == 0; }
};

} // namespace torvel
