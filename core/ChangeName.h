#pragma once

#include "StatusMessages.h"

#include <functional>
#include <string>

namespace torvel {

class TMyFileList;

// The values of the rename page's controls that the name generator reads.
struct ChangeNameInputs
{
    std::string Identifier;    // Edit1, already cleaned by the caller
    int StartValue = 1;        // UpDown2, 0..32000
    int Digits = 2;            // UpDown1, 1..5
    std::string ExtensionText; // Edit3, no leading dot
    bool ExtCheck = false;
    bool KetaCheck = false;
    bool KetaCheckEnabled = true;
    bool KetaName = false;
    bool JuuhukuCheck = false;
    bool UpCheck = false;
    bool LowCheck = false;
    std::string ChangeDir; // destination folder
    std::string SearchDir; // the files' own folder
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
};

// Gives every item of `list`, in list order, its new name by the inputs;
// nothing on disk changes. Existence tests look in ChangeDir for the name
// exactly as it will be written (after the case change), since this file
// system tells letter case apart; names made in this call count as taken
// without regard to case.
ChangeNameResult Change_Name(TMyFileList& list, const ChangeNameInputs& inputs);

// True when a name is taken (exists in ChangeDir or was made in this call).
using NameTakenTest = std::function<bool(const std::string& candidate)>;

// The keep-number name of one file: the prefix (the identifier when KetaName
// is on and it is not empty, else the base without its trailing digits), the
// trailing digits re-padded to the digit count, and the file's own extension.
// The digits are handled as text: leading zeros dropped, then padded, never
// cut. A new base equal to the old one is the file's own name, tested like
// any other: an earlier row may have been given it already. A
// taken name gets "-01", "-02", ... "-99", "-100", ... up to "-9999"; when all
// are taken, or the base does not end in a digit, the file keeps its name.
std::string KeepNumberName(const std::string& fileName, const ChangeNameInputs& inputs,
                           const NameTakenTest& taken);

} // namespace torvel
