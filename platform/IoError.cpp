#include "IoError.h"

#include <cerrno>

namespace torvel {

std::string ioErrorText(int err)
{
    switch (err) {
    case ENOENT:
        return "ﾌｧｲﾙが見つかりません";
    case ENAMETOOLONG:
    case EINVAL:
    case ENOTDIR:
    case EILSEQ:
        return "不正なﾌｧｲﾙ名です";
    case EACCES:
    case EPERM:
    case EROFS:
        return "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
    default:
        return "I/O ｴﾗｰ (" + std::to_string(err) + ")";
    }
}

} // namespace torvel
