#pragma once

#include <string>
#include <string_view>

namespace torvel {

// Whether the folder is on a file system that takes only the names the DOS
// family of file systems takes (FAT, exFAT, NTFS through the kernel), where
// some bytes that Linux allows are refused.
bool folderTakesOnlyDosNames(const std::string& folder);

// A name such a file system takes: none of < > : " \ | ? * or a control
// character, and no blank or "." at its end.
bool isDosName(std::string_view name);

} // namespace torvel
