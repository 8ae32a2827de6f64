#pragma once

#include <string>

namespace torvel {

// The system's text for a failed file operation, from its errno value:
// "ﾌｧｲﾙが見つかりません" for a file that is not there, "不正なﾌｧｲﾙ名です"
// for a name or path the file system does not take, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"
// for a refused access, and "I/O ｴﾗｰ (n)" with the errno value for anything
// else. UTF-8.
std::string ioErrorText(int err);

// Outcomes of this program's own file operations that no errno value tells;
// negative, so that they never meet one.
//
// A move onto another device found its source name holding another file (or
// none) once the copy was made: the copy keeps its new name, the source name
// is left alone.
inline constexpr int sourceReplacedCopyKept = -2;
// A name came to hold another entry between the question about it and the
// answer: nothing was done to it.
inline constexpr int entryChangedSinceAsked = -3;

} // namespace torvel
