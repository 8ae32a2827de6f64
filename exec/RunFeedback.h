#pragma once

#include <string>

namespace torvel {

// What a run needs from the person in front of the window. The main window
// implements it; exec never opens a dialog itself, and tests answer in code.
class RunFeedback
{
public:
    enum class TrashAnswer { Yes, No, YesToAll, Cancel };

    virtual ~RunFeedback() = default;

    // A progress text on the status line (kind 1 while working). The window
    // decides how often it actually repaints.
    virtual void status(int kind, const std::string& text) = 0;

    // Asked before an existing file goes to the trash; path is bytes.
    virtual TrashAnswer confirmTrash(const std::string& path) = 0;

    // A failure of one file that the person must be told of at once (a modal
    // box in the window); the run goes on with the next file.
    virtual void fileFailed(const std::string& message) = 0;

    // Where a run has got to, for the progress bar: done of total rows.
    virtual void progress(int done, int total) = 0;
};

} // namespace torvel
