#pragma once

// The steps from the chosen files to a run and its report that both front
// ends take: the new names, the marks of the rows a run would not carry out
// as shown, the rows a run takes, and what is said of them to the person.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChangeName.h"
#include "PreviewConflicts.h"
#include "RunTypes.h"

namespace torvel {

class TMyFileList;

// The options as the names read them: the identifier and the extension as
// typed (UTF-8) made into the bytes of a name, the identifier trimmed.
RenameOptions optionsForNames(RenameOptions typed);

// True when the options can make no name: unless the files keep their own
// numbers or carry a date, the names are made from an identifier.
bool lacksIdentifier(const RenameOptions& options);

// The new name of the list's first file under some options, made alone by
// the name generator just as the whole list's first row is: the example a
// dialog shows while its choices change, without a redraw of the list. The
// file's shooting date is read from its folder once, at the first name that
// needs it; a list without files is stood in for by a made-up photo.
class NameExample
{
public:
    NameExample(const TMyFileList& list, const std::string& folder);
    ~NameExample();
    NameExample(const NameExample&) = delete;
    NameExample& operator=(const NameExample&) = delete;

    // The name; none when the generator stopped (result.status says why).
    std::optional<std::string> make(const RenameOptions& options, const NameFolders& folders,
                                    ChangeNameResult* result = nullptr);

private:
    std::unique_ptr<TMyFileList> m_one;
};

// The marks of the list's rows, one per item in list order, and how many
// rows are marked.
struct ConflictMarks
{
    std::vector<RowConflict> marks;
    int count = 0;
};
// finder: kept across calls by a front end that draws again and again, so
// that a call that follows no change reads no folder.
ConflictMarks conflictsOf(ConflictFinder& finder, const TMyFileList& list,
                          const std::string& searchDir, const std::string& changeDir);

// What a rename run of the rows is told. Renaming happens where the files
// are, whatever destination was chosen.
RunSettings runSettingsFor(const std::string& sourceFolder, const std::string& destinationFolder,
                           SaveMode saveMode, const RenameOptions& options);

// The list's current and new names as a run's rows, in list order; the list
// is left empty, so that every name is held once from here on.
std::vector<RunRow> runRowsOf(TMyFileList& list);

// "N個のファイルが選択されています。", with how many of them a run would
// not carry out as shown when any.
std::string chosenCountText(int count, int conflicts);

// One row of a preview in words: "name → new name", and why the row would
// not go through as shown when it is marked.
std::string previewLine(const std::string& name, const std::string& newName, RowConflict mark,
                        bool takenFails);

// After an interrupt: what the run did before it stopped, and what it left.
std::string stoppedSummary(const RunResult& result, const std::string& takeBackHint);

} // namespace torvel
