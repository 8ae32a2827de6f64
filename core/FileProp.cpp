#include "FileProp.h"

#include "FileInfo.h"
#include "FilesList.h"
#include "FolderHandle.h"
#include "NameRules.h"
#include "NameText.h"

#include <memory>
#include <unordered_map>

namespace torvel {

namespace {

// Ticked state by case-folded extension; the first of equal items counts.
class ExtensionFilter {
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

}  // namespace

FilePropResult rebuildFileList(TMyFileList& list, const FilePropInput& input)
{
    FilePropResult result;
    list.ClearList();
    result.searchDir = withTrailingSlash(input.searchDir);

    auto folder = std::make_shared<const FolderHandle>(result.searchDir);
    result.folderError = folder->error();
    if (folder->isOpen()) {
        // The stored hidden/system/archive bits are read when first asked
        // for: only the attribute page needs them, and reading them for every
        // file would nearly double the time of a large rebuild.
        list.setSourceFolder(folder);
        ExtensionFilter filter(input.filter);
        FileInfo info;
        for (const std::string& name : input.selectedFiles) {
            if (!filter.passes(extensionOf(name)))
                continue;
            if (readFileInfo(*folder, name, info, StoredAttributes::Defer) == 0)
                list.addFile(info);
        }
    }
    list.SetSortType(input.sortIndex);

    if (!input.selectedFiles.empty()) {
        const std::string_view extension = extensionOf(input.selectedFiles.front());
        result.searchExtChanged = true;
        result.SearchExt = asciiLowerName(extension.empty() ? extension : extension.substr(1));
    }
    return result;
}

}  // namespace torvel
