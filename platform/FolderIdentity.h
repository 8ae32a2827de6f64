#pragma once

#include <string>

namespace torvel {

// Whether two folder paths name one folder. Linux tells letter case apart,
// so /a/Data/ and /a/data/ can be two folders side by side: when both paths
// lead to a folder, they are the same folder exactly when they lead to the
// same device and inode (which also sees through links and "." or ".."
// steps). When either cannot be examined, the paths are compared as bytes,
// a trailing "/" not counting.
bool sameFolder(const std::string& first, const std::string& second);

} // namespace torvel
