#pragma once

// The words the person reads for what the layers below report as codes,
// UTF-8, shared by both front ends; the window makes screen text of them at
// the widget.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "RunFeedback.h"
#include "ShootingDate.h"
#include "StatusMessages.h"

namespace torvel {

class JournalFolder;

// The words of a name generator status.
const char* nameStatusText(NameStatus status);
// Shown while the chosen files are read into the list.
std::string readingFilesText();
// Shown while the shooting dates of the listed files are read.
std::string readingShootingDatesText(std::size_t done, std::size_t total);
// What a run is doing, with the names in it shown as text.
std::string runStatusText(const RunStatus& status);

// Shown while the extensions of the chosen files are gathered.
inline constexpr const char* searchingExtensionsText =
    "ファイルの拡張子を検索中。しばらくお待ちください。";
// Shown while the preview is drawn.
inline constexpr const char* drawingPreviewText =
    "ただいま表示処理をしています。しばらくお待ちください。";
inline constexpr const char* chooseFilesText = "ファイルを選択してください。";
// The names need an identifier and none was typed.
inline constexpr const char* typeIdentifierText = "【注意】 識別名を入力してください。";
// Taking the identifier from the first file's name: it begins with no letter,
// or with letters that cannot stand in one.
inline constexpr const char* noIdentifierLettersText = "識別用の文字がありませんでした。";
inline constexpr const char* identifierLettersRemovedText =
    "識別文字に使えない文字が含まれていましたので、削除しました。";
// Files of other folders than the first file's were among those chosen.
inline constexpr const char* otherFoldersLeftOutText =
    "最初のファイルと違うフォルダのファイルが含まれていましたので、それらは選択しませんでした。";
// A chosen folder whose contents could not be listed; the folder follows.
inline constexpr const char* unreadableFolderText = "フォルダの中を読めませんでした。";
// Names made from the shooting date: how many files had none, and were
// named by their time stamp's date instead.
std::string withoutShootingDateText(int count);
// Why a typed date pattern cannot be used, naming the character or field at
// fault; label names the value ("日付の書式"). Empty when it can be used.
std::string datePatternRefusal(std::string_view pattern, std::string_view label);
// A file's two dates, one line each: "撮影日時: 2024/05/03 10:11:12" (the
// recording clock's time) or "撮影日時: なし", then "更新日時: ..." in local
// time, left out when there is none to give.
std::string fileDatesText(const std::optional<ShootingDate>& shot,
                          const std::optional<LocalDateTime>& modified);

// Why the folder of the journals cannot be used; empty when it is held.
std::string journalFolderRefusal(const JournalFolder& folder);
// Names relative to the working folder cannot be opened: it has no name.
std::string workingFolderText(int error);

} // namespace torvel
