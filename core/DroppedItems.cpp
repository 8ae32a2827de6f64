#include "DroppedItems.h"

#include "ByteText.h"
#include "FolderIdentity.h"
#include "FolderScan.h"

namespace torvel {

namespace {

void takeFolder(const std::string& folder, DroppedItems& out)
{
    out.scanned = std::make_shared<FolderScanFacts>();
    out.scanError = scanFolderFiles(folder, out.names, out.scanned.get());
    if (!out.names.empty())
        out.folder = withTrailingSlash(folder);
}

void takeFiles(const std::vector<std::string>& paths, DroppedItems& out)
{
    const std::string folder(folderPart(withoutTrailingSlashes(paths.front())));
    out.folder = folder;
    // The last folders met that are spelled otherwise, decided once each.
    std::string sameSpelledOtherwise;
    std::string lastOtherFolder;
    for (const std::string& path : paths) {
        const std::string_view item = withoutTrailingSlashes(path);
        const std::string itemFolder(folderPart(item));
        if (itemFolder != folder && itemFolder != sameSpelledOtherwise) {
            if (itemFolder == lastOtherFolder || !sameFolder(itemFolder, folder)) {
                lastOtherFolder = itemFolder;
                out.otherFolders = true;
                continue;
            }
            sameSpelledOtherwise = itemFolder;
        }
        if (const std::string_view name = namePart(item); !name.empty())
            out.names.emplace_back(name);
    }
}

} // namespace

DroppedItems takeDroppedItems(const std::vector<std::string>& paths)
{
    DroppedItems out;
    if (paths.empty())
        return out;
    if (paths.size() == 1 && folderExists(paths.front()))
        takeFolder(paths.front(), out);
    else
        takeFiles(paths, out);
    return out;
}

} // namespace torvel
