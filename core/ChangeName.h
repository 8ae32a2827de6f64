#pragma once

#include "RenameOptions.h"
#include "StatusMessages.h"

#include <functional>
#include <string>

namespace torvel {

class TMyFileList;

// Where the names are made: the files' own folder and the one they go to.
struct NameFolders
{
    std::string source;
    std::string destination;
};

struct ChangeNameResult
{
    // True when every item received its new name. False when the computation
    // stopped (a number outgrew the digit count, or a name this system cannot
    // hold): the items before the stop carry new names, but none may be shown.
    bool ok = true;
    // What the status line shows afterwards: the working text on success, a
    // warning on a stop. The working message (NameStatus::Converting,
    // working) is shown by the caller before the call.
    StatusMessage status;
    // Files a shooting-date name gave their time stamp's date, having no
    // shooting date of their own: worth a word to the person.
    int withoutShootingDate = 0;
};

// Gives every item of `list`, in list order, its new name by the options
// (their identifier and extension already cleaned); nothing on disk changes.
// Existence tests look in the destination folder for the name exactly as it
// will be written (after the case change), since this file system tells
// letter case apart; names made in this call count as taken without regard
// to case. (Change_Name)
ChangeNameResult makeNewNames(TMyFileList& list, const RenameOptions& options,
                              const NameFolders& folders);

// True when a name is taken (exists in the destination or was made in this call).
using NameTakenTest = std::function<bool(const std::string& candidate)>;

// The keep-number name of one file: the prefix (the identifier when
// keepNumberIdentifier is on and it is not empty, else the base without its
// trailing digits) joined with `date` as an identifier is (none when empty),
// the trailing digits re-padded to the digit count, and the file's own
// extension.
// The digits are handled as text: leading zeros dropped, then padded, never
// cut. A new base equal to the old one is the file's own name, tested like
// any other: an earlier row may have been given it already. A
// taken name gets "-01", "-02", ... "-99", "-100", ... up to "-9999"; when all
// are taken, or the base does not end in a digit, the file keeps its name.
std::string keepNumberName(const std::string& fileName, const RenameOptions& options,
                           const NameTakenTest& taken, std::string_view date = {});

} // namespace torvel
