#pragma once

#include <string>

namespace torvel {

// The system's text for a failed file operation, from its errno value:
// "ﾌｧｲﾙが見つかりません" for a file that is not there, "不正なﾌｧｲﾙ名です"
// for a name or path the file system does not take, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"
// for a refused access, and "I/O ｴﾗｰ (n)" with the errno value for anything
// else. UTF-8.
std::string ioErrorText(int err);

} // namespace torvel
