#include "AttrChange.h"

#include <cstddef>

#include "ChangeJournal.h"
#include "FileSystem.h"
#include "FilesList.h"
#include "FolderHandle.h"
#include "RunFeedback.h"

namespace torvel {

AttrChoice attrChoice(AttrItem item, int tag)
{
    if (!attrTagIsChanged(tag))
        return AttrChoice::Keep;
    return item == AttrItem::Set ? AttrChoice::Set : AttrChoice::Clear;
}

AttrMasks attrMasks(const std::array<AttrChoice, attrGroupCount>& choices)
{
    AttrMasks masks;
    for (std::size_t group = 0; group < choices.size(); ++group) {
        const std::uint32_t bit = attrGroupBits[group];
        switch (choices[group]) {
        case AttrChoice::Keep:
            continue;
        case AttrChoice::Set:
            masks.set |= bit;
            break;
        case AttrChoice::Clear:
            masks.keep &= ~bit;
            break;
        }
        masks.anyChange = true;
    }
    return masks;
}

std::uint32_t attrStartWord(const TMyFileList& list)
{
    if (list.Count() == 0)
        return FileAttr::Archive;
    return static_cast<std::uint32_t>(list.GetFileAttr(0));
}

std::array<AttrItem, attrGroupCount> attrItemsOf(std::uint32_t word)
{
    std::array<AttrItem, attrGroupCount> items{};
    for (std::size_t group = 0; group < items.size(); ++group)
        items[group] = (word & attrGroupBits[group]) != 0 ? AttrItem::Set : AttrItem::Clear;
    return items;
}

namespace {

// 0 and `changed` set when the file now has the wanted word, or an errno value.
int changeOne(FileSystem& fs, const FolderHandle& dir, const std::string& name,
              const AttrMasks& masks, bool& changed)
{
    changed = false;
    std::uint32_t word = 0;
    if (const int rc = fs.readAttributes(dir, name, word); rc != 0)
        return rc;
    if (attrWanted(word, masks) == word)
        return 0;
    if (const int rc = fs.changeAttributes(dir, name, masks.keep, masks.set); rc != 0)
        return rc;
    changed = true;
    return 0;
}

} // namespace

ChangeResult Attr_Change(const AttrChangeInput& input, FileSystem& fs, RunFeedback& feedback,
                         RunJournal* journal)
{
    ChangeResult result;
    if (!input.masks.anyChange || input.names.empty())
        return result;
    FolderHandle dir;
    int folderError = fs.openFolder(input.folder, dir);
    if (folderError == 0 && journal != nullptr) {
        JournalRecord plan;
        plan.kind = JournalKind::Attributes;
        plan.from = plan.to = input.folder;
        plan.keepMask = input.masks.keep;
        plan.setMask = input.masks.set;
        folderError = journalChanges(*journal, std::move(plan), fs, input.names);
    }
    const int total = static_cast<int>(input.names.size());
    for (int row = 0; row < total; ++row) {
        const std::string& name = input.names[static_cast<std::size_t>(row)];
        feedback.status({RunActivity::ChangingAttrs, name, {}});
        bool changed = false;
        int rc = folderError;
        if (rc == 0)
            rc = changeOne(fs, dir, name, input.masks, changed);
        if (rc != 0)
            result.failures.push_back({name, rc});
        else if (changed)
            ++result.changed;
        feedback.progress(row + 1, total);
    }
    if (journal != nullptr && !journal->path().empty()) {
        (void)journal->finish(); // see RunJournal::finish
        result.journaled = folderError == 0;
    }
    return result;
}

} // namespace torvel
