#pragma once

// A FAT file system image mounted through FUSE, as a memory stick is seen:
// no permission bits, no user attributes, letter case ignored, and inode
// numbers of its own for each spelling of a path. Mounting needs root,
// /dev/fuse, mkfs.vfat and fusefat; mounted() says whether it worked.

#include <cstdlib>
#include <string>

#include "common/ScratchDir.h"

namespace torvel {

class FatVolume
{
public:
    FatVolume()
    {
        const std::string image = m_dir / "fat.img";
        const std::string command = "mkdir -p '" + mountPoint() + "' && truncate -s 16M '" + image
                                    + "' && mkfs.vfat '" + image
                                    + "' >/dev/null 2>&1 && fusefat -o rw+ '" + image + "' '"
                                    + mountPoint() + "' >/dev/null 2>&1";
        m_mounted = ::geteuid() == 0 && std::system(command.c_str()) == 0;
    }

    ~FatVolume()
    {
        if (m_mounted)
            (void)std::system(("fusermount -u '" + mountPoint() + "' 2>/dev/null").c_str());
    }

    FatVolume(const FatVolume&) = delete;
    FatVolume& operator=(const FatVolume&) = delete;

    bool mounted() const { return m_mounted; }
    // The volume's top folder, ending in "/".
    std::string path() const { return mountPoint() + "/"; }

private:
    std::string mountPoint() const { return m_dir / "volume"; }

    ScratchDir m_dir;
    bool m_mounted = false;
};

} // namespace torvel
