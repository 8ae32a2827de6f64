#include "RunKinds.h"

#include <array>

#include "AttrChange.h"
#include "DateChange.h"
#include "PerFileRun.h"
#include "RunUndo.h"

namespace torvel {

namespace {

// In the order of JournalKind.
constexpr std::array<RunKind, 5> kinds{{
    {.id = JournalKind::Rename,
     .word = "rename",
     .takeBack = takeBackNewNames,
     .finish = finishNewNames,
     .filesDone = filesWithNewNames,
     .what = "名前の変更",
     .takeBackSteps = "新しい名前のファイルを元の名前に戻します。",
     .failedVerb = "変換"},
    {.id = JournalKind::Move,
     .word = "move",
     .takeBack = takeBackNewNames,
     .finish = finishNewNames,
     .filesDone = filesWithNewNames,
     .what = "移動",
     .takeBackSteps = "移動したファイルを元のフォルダの元の名前に戻します。",
     .failedVerb = "変換"},
    {.id = JournalKind::Copy,
     .word = "copy",
     .takeBack = takeBackNewNames,
     .finish = finishNewNames,
     .filesDone = filesWithNewNames,
     .what = "コピー",
     .takeBackSteps = "コピーしてできたファイルをごみ箱に移動します。",
     .failedVerb = "変換"},
    {.id = JournalKind::TimeStamp,
     .word = "stamp",
     .writeHead = writeStampHead,
     .readHead = readStampHead,
     .takeBack = takeBackChanges,
     .finish = finishChanges,
     .filesDone = changedFiles,
     .perFile = &timeStampFiles,
     .what = "更新日時の変更",
     .takeBackSteps = "ファイルの更新日時を元の日時に戻します。",
     .failedVerb = "変更"},
    {.id = JournalKind::Attributes,
     .word = "attributes",
     .writeHead = writeMasksHead,
     .readHead = readMasksHead,
     .takeBack = takeBackChanges,
     .finish = finishChanges,
     .filesDone = changedFiles,
     .perFile = &attributeFiles,
     .what = "属性の変更",
     .takeBackSteps = "ファイルの属性を元に戻します。",
     .failedVerb = "変更"},
}};

constexpr bool inTheOrderOfTheKinds()
{
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (static_cast<std::size_t>(kinds[i].id) != i)
            return false;
    }
    return true;
}
static_assert(inTheOrderOfTheKinds());

} // namespace

const RunKind& runKind(JournalKind kind)
{
    return kinds[static_cast<std::size_t>(kind)];
}

const RunKind* runKindOfWord(std::string_view word)
{
    for (const RunKind& kind : kinds) {
        if (word == kind.word)
            return &kind;
    }
    return nullptr;
}

} // namespace torvel
