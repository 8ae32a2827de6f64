#include "AttrChange.h"

#include <cstddef>

#include "FileInfo.h"
#include "JournalFormat.h"
#include "PerFileRun.h"
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

// The attribute run's own part: the masks applied to each file.
class AttrStep : public FileStep
{
public:
    explicit AttrStep(const AttrChangeInput& input)
        : m_input(input)
    {}

    int journal(RunJournal& journal, FileSystem& fs) override
    {
        JournalRecord plan;
        plan.kind = JournalKind::Attributes;
        plan.from = plan.to = m_input.folder;
        plan.keepMask = m_input.masks.keep;
        plan.setMask = m_input.masks.set;
        return journalChanges(journal, std::move(plan), fs, m_input.names);
    }

    // A file already in the wanted state is left alone.
    int change(std::size_t /*row*/, const std::string& name, FileSystem& fs,
               const FolderHandle& dir, bool& changed) override
    {
        std::uint32_t word = 0;
        if (const int rc = fs.readAttributes(dir, name, word); rc != 0)
            return rc;
        if (attrWanted(word, m_input.masks) == word)
            return 0;
        changed = true;
        return fs.changeAttributes(dir, name, m_input.masks.keep, m_input.masks.set);
    }

private:
    const AttrChangeInput& m_input;
};

constexpr std::uint32_t pageBits =
    FileAttr::ReadOnly | FileAttr::Hidden | FileAttr::System | FileAttr::Archive;

// A file of an attribute run is given its attributes whatever it has now.
Needed attributesNeeded(const JournalRecord& /*record*/, std::size_t /*file*/,
                        const FileInfo& /*now*/, bool /*back*/)
{
    return Needed::Change;
}

bool attributesDone(const JournalRecord& record, std::size_t file, const FileInfo& now)
{
    const std::uint32_t wanted = (record.files[file].attributes & record.keepMask) | record.setMask;
    return (now.attributes & pageBits) == (wanted & pageBits);
}

int applyAttributes(const JournalRecord& record, std::size_t index, FileSystem& fs,
                    const FolderHandle& dir, bool back)
{
    const JournalFile& file = record.files[index];
    if (!back)
        return fs.changeAttributes(dir, file.oldName, record.keepMask, record.setMask);
    if (int rc = fs.changeAttributes(dir, file.oldName, ~pageBits, file.attributes & pageBits))
        return rc;
    // Read-only alone tells only the owner's write bit: the whole mode goes back.
    return file.modeKnown ? fs.setMode(dir, file.oldName, file.mode) : 0;
}

} // namespace

const PerFileKind attributeFiles{
    RunActivity::ChangingAttrs, RunStep::SetAttributes, RunStep::RestoreAttributes,
    attributesNeeded,           attributesDone,         applyAttributes};

void writeMasksHead(const JournalRecord& head, std::string& text)
{
    text.append("masks ").append(std::to_string(head.keepMask)).append(" ");
    text.append(std::to_string(head.setMask)).append("\n");
}

HeadLine readMasksHead(const std::vector<std::string_view>& f, JournalRecord& out)
{
    if (f[0] != "masks" || f.size() != 3)
        return HeadLine::Other;
    return journal::numberOf(f[1], out.keepMask) && journal::numberOf(f[2], out.setMask)
               ? HeadLine::Read
               : HeadLine::Unreadable;
}

RunResult Attr_Change(const AttrChangeInput& input, RunServices& services)
{
    if (!input.masks.anyChange) {
        RunResult result;
        result.kind = JournalKind::Attributes;
        return result;
    }
    AttrStep step(input);
    return runEachFile(JournalKind::Attributes, input.folder, input.names, step, services);
}

} // namespace torvel
