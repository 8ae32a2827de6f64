#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FileAttributes.h"
#include "RunKinds.h"
#include "RunTypes.h"

namespace torvel {

class TMyFileList;
struct PerFileKind;

// The page's three radio groups, in the order a run applies them:
// read-only (RadioGroup4), hidden (RadioGroup5), archive (RadioGroup6).
inline constexpr int attrGroupCount = 3;
inline constexpr std::array<std::uint32_t, attrGroupCount> attrGroupBits{
    FileAttr::ReadOnly, FileAttr::Hidden, FileAttr::Archive};

// The two items of every group, in their order: "設定" and "解除".
enum class AttrItem
{
    Set,
    Clear
};

// A group's Tag: 1, 2 or 3 (its place) while untouched, 11, 12 or 13 once the
// person has chosen an item since the page was last filled, also the one it
// already showed: choosing "設定" where the first file has the bit asks for
// the bit on every file.
inline constexpr int attrTagChanged = 10;
constexpr int attrTagUntouched(int group)
{
    return group + 1;
}
constexpr bool attrTagIsChanged(int tag)
{
    return tag > attrTagChanged;
}
// The group (0..2) a Tag belongs to, changed or not.
constexpr int attrGroupOfTag(int tag)
{
    return tag % 10 - 1;
}
// The Tag that marks the group of `tag` as changed.
constexpr int attrChangedTag(int tag)
{
    return tag % 10 + attrTagChanged;
}

// What a run does with one attribute.
enum class AttrChoice
{
    Keep,
    Set,
    Clear,
};

// A group's choice from its item and Tag: untouched keeps the bit, whatever
// item it shows.
AttrChoice attrChoice(AttrItem item, int tag);

// The keep-mask and set-mask a run applies: word = (word & keep) | set.
struct AttrMasks
{
    std::uint32_t keep = 0xFFFFFFFFu;
    std::uint32_t set = 0;
    bool anyChange = false; // some group was changed

    bool operator==(const AttrMasks&) const = default;
};

AttrMasks attrMasks(const std::array<AttrChoice, attrGroupCount>& choices);

// The word the groups are filled from: the first file's in the list's order,
// or archive only when the list is empty.
std::uint32_t attrStartWord(const TMyFileList& list);

// The item of each group for an attribute word: "設定" where its bit is set,
// "解除" where it is not.
std::array<AttrItem, attrGroupCount> attrItemsOf(std::uint32_t word);

// What the attribute run takes from the window.
struct AttrChangeInput
{
    AttrMasks masks;
    // The source folder, ending in "/".
    std::string folder;
    // Column 0 of the grid's rows 1 to RowCount-1: bare names, in order.
    std::vector<std::string> names;
};

// The word a file is to have: (word & keep) | set.
constexpr std::uint32_t attrWanted(std::uint32_t word, const AttrMasks& masks)
{
    return (word & masks.keep) | masks.set;
}

// The run of the attribute page: when a group was changed, applies the masks
// to every listed file through the per-file loop (see runEachFile); the bits
// of no group, system and the rest, stay as they are. A file already in the
// wanted state is left alone and not counted as changed. A file that could
// not be read or changed, a change its file system cannot store included,
// is a failure and the run goes on. With no group changed no file is
// touched. With a journal, what each file had is written down first.
RunResult Attr_Change(const AttrChangeInput& input, RunServices& services);

// The attribute kind's row in the table of kinds: what it does to one file
// of its journal, and its line in the journal's head.
extern const PerFileKind attributeFiles;
void writeMasksHead(const JournalRecord& head, std::string& text);
HeadLine readMasksHead(const std::vector<std::string_view>& fields, JournalRecord& out);

} // namespace torvel
