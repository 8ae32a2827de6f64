#pragma once

#include <string>

namespace torvel {

// The steps of a run that the status line follows.
enum class RunActivity
{
    Preparing,     // a rename run is making its plan
    Renaming,      // a rename run is giving the files their names
    Transferring,  // one file is being moved or copied: name to target
    ChangingStamp, // one file's time stamp is being set: name
    ChangingAttrs, // one file's attributes are being set: name
};

// A status of a run as a code and the names it is about (bytes).
struct RunStatus
{
    RunActivity activity = RunActivity::Preparing;
    std::string name;   // the file's bare name, where the activity has one
    std::string target; // the name it is to get, for a transfer

    bool operator==(const RunStatus&) const = default;
};

// What a run needs from the person in front of the window. The main window
// implements it; exec never opens a dialog itself, and tests answer in code.
class RunFeedback
{
public:
    enum class TrashAnswer
    {
        Yes,
        No,
        YesToAll,
        Cancel
    };

    virtual ~RunFeedback() = default;

    // What a run is doing, for the status line; the window words it and
    // decides how often it actually repaints.
    virtual void status(const RunStatus& status) = 0;

    // Asked before an existing file goes to the trash; path is bytes.
    virtual TrashAnswer confirmTrash(const std::string& path) = 0;

    // A failure of one file that the person must be told of at once (a modal
    // box in the window); the run goes on with the next file.
    virtual void fileFailed(const std::string& message) = 0;

    // Where a run has got to, for the progress bar: done of total rows.
    virtual void progress(int done, int total) = 0;

    // Asked between files: whether the person wants the run to stop (an
    // interrupt on the command line). A run stops only where every file is
    // under its old name or its new one, and leaves its journal without its
    // last line, so that the run is taken back or finished like one that
    // was cut short.
    virtual bool stopRequested() { return false; }
};

} // namespace torvel
