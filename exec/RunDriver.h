#pragma once

#include <string>
#include <vector>

#include "RunTypes.h"

namespace torvel {

class TMyFileList;

// The part of the rename page's run that needs no window.

// Whether the run renames in place: the source and destination folders are one.
// They are compared by what they are, not by their spelling: this file system
// tells letter case apart, so /a/Data/ and /a/data/ may be two folders, and
// renaming "in place" in the wrong one would be wrong; and a FAT volume may
// show one folder under two spellings that stat tells apart, where a move
// from one to the other would meet the batch's own files as strangers. See
// oneFolderUnderTwoNames.
bool renamesInPlace(const RunSettings& settings);

// File_Rename when the folders are one, File_Move otherwise.
RunResult runRenamePage(const std::vector<RunRow>& rows, const RunSettings& settings,
                        RunServices& services);

// The selection after a run: the new names of the rows whose files carry them
// now in the destination folder, in row order, each once. A row that failed drops out even
// when some other file holds its new name.
std::vector<std::string> SelectionAfterRun(const std::vector<RunRow>& rows,
                                           const RunResult& result);

// The list the rows were drawn from, after a rename in place of them: the
// rows' files that carry their new names now keep their place under those
// names, the others leave it, as the selection after the run has them; no
// file is looked at (see TMyFileList::renameItems). The new names are taken
// out of the rows. False, with nothing changed, when the rows are not the
// list's items in the list's order, or a new name is listed twice.
bool renameListed(TMyFileList& list, std::vector<RunRow>& rows, const RunResult& result);

} // namespace torvel
