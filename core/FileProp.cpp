#include "FileProp.h"

#include "FileInfo.h"
#include "FileSystem.h"
#include "FilesList.h"
#include "FolderHandle.h"
#include "FolderScan.h"
#include "NameRules.h"
#include "NameText.h"

#include <memory>
#include <unordered_map>

namespace torvel {

namespace {

// Ticked state by case-folded extension; the first of equal items counts.
class ExtensionFilter
{
public:
    explicit ExtensionFilter(const std::vector<ExtensionChoice>& choices)
    {
        m_checked.reserve(choices.size() * 2);
        for (const auto& choice : choices)
            m_checked.emplace(caseFoldKey(choice.extension), choice.checked);
    }

    bool passes(std::string_view extension)
    {
        // Selections are mostly a few extensions over many names.
        if (m_lastValid && extension == m_lastExtension)
            return m_lastPasses;
        const auto found = m_checked.find(caseFoldKey(extension));
        m_lastPasses = found != m_checked.end() && found->second;
        m_lastExtension.assign(extension);
        m_lastValid = true;
        return m_lastPasses;
    }

private:
    std::unordered_map<std::string, bool> m_checked;
    std::string m_lastExtension;
    bool m_lastPasses = false;
    bool m_lastValid = false;
};

// The scan's facts when they are of this selection in this folder.
const FolderScanFacts* usableFacts(const FilePropInput& input, const FolderHandle& folder,
                                   FileSystem& fs)
{
    const FolderScanFacts* facts = input.scanned;
    if (facts == nullptr || facts->files.size() != input.selectedFiles.size())
        return nullptr;
    EntryId id;
    if (fs.identify(folder, id) != 0 || id.device != facts->device || id.inode != facts->inode)
        return nullptr;
    return facts;
}

} // namespace

FilePropResult selectionFacts(const std::vector<std::string>& selectedFiles,
                              const std::string& searchDir)
{
    FilePropResult result;
    result.searchDir = withTrailingSlash(searchDir);
    if (!selectedFiles.empty()) {
        const std::string_view extension = extensionOf(selectedFiles.front());
        result.searchExtChanged = true;
        result.SearchExt = asciiLowerName(extension.empty() ? extension : extension.substr(1));
    }
    return result;
}

FilePropResult rebuildFileList(TMyFileList& list, const FilePropInput& input, FileSystem& fs)
{
    FilePropResult result = selectionFacts(input.selectedFiles, input.searchDir);
    list.ClearList();

    auto folder = std::make_shared<const FolderHandle>(result.searchDir);
    result.folderError = folder->error();
    if (folder->isOpen()) {
        // The stored hidden/system/archive bits are read when first asked
        // for: only the attribute page needs them, and reading them for every
        // file would nearly double the time of a large rebuild.
        list.setSourceFolder(folder);
        ExtensionFilter filter(input.filter);
        const FolderScanFacts* known = usableFacts(input, *folder, fs);
        FileInfo info;
        for (std::size_t i = 0; i < input.selectedFiles.size(); ++i) {
            const std::string& name = input.selectedFiles[i];
            if (!filter.passes(extensionOf(name)))
                continue;
            if (input.namesOnly) {
                list.addItem(name, 0, 0, 0);
            } else if (known != nullptr) {
                const ScannedFile& seen = known->files[i];
                if (seen.error != 0)
                    continue; // gone since the folder was listed
                info = seen.info;
                info.storedName = name;
                list.addFile(info);
            } else if (fs.fileInfo(*folder, name, info, StoredAttributes::Defer) == 0) {
                list.addFile(info);
            }
        }
    }
    if (input.sort)
        list.SetSortType(*input.sort);
    return result;
}

} // namespace torvel
