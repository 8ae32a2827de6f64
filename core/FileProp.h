#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FilesList.h"
#include "PosixFileSystem.h"

namespace torvel {

struct FolderScanFacts;

class TMyFileList;

// One item of the extension filter: the extension with its dot (".jpg"), or
// "" for names without one, and whether it is ticked.
struct ExtensionChoice
{
    std::string extension;
    bool checked = true;
};

struct FilePropInput
{
    std::vector<std::string> selectedFiles; // bare names, in the order chosen
    std::vector<ExtensionChoice> filter;
    std::string searchDir;                             // the source folder; "/" is added if missing
    std::optional<SortOrder> sort = SortOrder::NameUp; // none: do not sort
    // What a scan of searchDir just saw of the selected files, when the
    // selection is that scan's names: the files are then not looked at again.
    // Ignored unless it has one file per selected name and was made of the
    // folder that searchDir opens now.
    const FolderScanFacts* scanned = nullptr;
    // The names were listed from the folder just now and only an order by
    // name is wanted: no file is looked at, and sizes and times read as 0.
    // Each look costs a lookup in the folder, a good part of a rename's cost.
    bool namesOnly = false;
};

struct FilePropResult
{
    std::string searchDir; // the source folder ending in "/"
    // The extension of the first chosen name, ASCII letters lower-cased, no
    // dot; only meaningful when `searchExtChanged` (the selection is not
    // empty), else SearchExt and the extension box keep their value.
    bool searchExtChanged = false;
    std::string SearchExt;
    // errno when the folder could not be opened (the list is then empty).
    int folderError = 0;
};

// Rebuilds `list` from the selection: every chosen name whose extension is
// ticked in the filter (looked up ignoring case) and that exists in the folder
// becomes an item, in selection order; names that are gone are left out
// silently. Then the list is sorted by `sort`. Items taken from
// `scanned` carry their stored attributes; the others have them read when
// first asked for. The status text to show
// first is the window's "reading files" text.
FilePropResult rebuildFileList(TMyFileList& list, const FilePropInput& input,
                               FileSystem& fs = realFileSystem());

// What rebuildFileList tells of the selection alone: the source folder and
// the extension of the first chosen name.
FilePropResult selectionFacts(const std::vector<std::string>& selectedFiles,
                              const std::string& searchDir);

} // namespace torvel
