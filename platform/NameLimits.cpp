#include "NameLimits.h"

#include <sys/vfs.h>

namespace torvel {

namespace {

constexpr long msdosMagic = 0x4d44;
constexpr long exfatMagic = 0x2011BAB0;
constexpr long ntfsMagic = 0x5346544e;
constexpr long ntfs3Magic = 0x7366746e;

} // namespace

bool folderTakesOnlyDosNames(const std::string& folder)
{
    struct statfs info
    {};
    if (::statfs(folder.c_str(), &info) != 0)
        return false;
    const long type = static_cast<long>(info.f_type);
    return type == msdosMagic || type == exfatMagic || type == ntfsMagic || type == ntfs3Magic;
}

bool isDosName(std::string_view name)
{
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
        if (std::string_view("<>:\"\\|?*").find(c) != std::string_view::npos)
            return false;
    }
    return name.empty() || (name.back() != ' ' && name.back() != '.');
}

} // namespace torvel
