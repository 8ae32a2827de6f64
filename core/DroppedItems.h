#pragma once

#include <memory>
#include <string>
#include <vector>

namespace torvel {

struct FolderScanFacts;

// What a set of dropped paths (or paths given on a command line) selects:
// one folder and the bare names chosen in it.
//
// A single folder selects its ordinary files, as the scan of a dropped folder
// takes them. Otherwise every name is looked up in the folder of the first
// path, so an item from another folder (a search result, say) could only pick
// out a file of the same name that was never chosen: such items are left out
// and otherFolders says so. One folder spelled otherwise (a FAT volume's
// letter case) counts as the same folder.
struct DroppedItems
{
    std::string folder; // ends in "/"; empty when nothing was chosen
    std::vector<std::string> names;
    bool otherFolders = false;
    // A folder whose files were listed: its scan, for the list read next; and
    // errno when it could not be listed.
    std::shared_ptr<FolderScanFacts> scanned;
    int scanError = 0;
};

DroppedItems takeDroppedItems(const std::vector<std::string>& paths);

} // namespace torvel
