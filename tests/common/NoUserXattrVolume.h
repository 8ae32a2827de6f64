#pragma once

// A volume that stores no user.* extended attributes, as a stick formatted for
// another system or a share that refuses them: a ramfs mounted for the length
// of a test (tmpfs stores them since Linux 6.6). Needs root; ready() is false,
// and why() says why, where it cannot be had.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <sys/mount.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace torvel::testing {

class NoUserXattrVolume
{
public:
    NoUserXattrVolume()
    {
        std::string pattern = "/tmp/torvel-noxattr-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            m_root = pattern + "/";
        if (m_root.empty() || ::mount("none", m_root.c_str(), "ramfs", 0, "mode=0755") != 0) {
            m_why = std::string("no ramfs to mount: ") + std::strerror(errno);
            return;
        }
        m_mounted = true;
        std::ofstream(m_root + "probe").put('x');
        if (::setxattr((m_root + "probe").c_str(), "user.torvel", "1", 1, 0) == 0
            || errno != ENOTSUP)
            m_why = "the ramfs here takes user attributes";
        ::unlink((m_root + "probe").c_str());
    }
    ~NoUserXattrVolume()
    {
        if (m_mounted)
            ::umount2(m_root.c_str(), MNT_DETACH);
        if (!m_root.empty())
            ::rmdir(m_root.c_str());
    }
    NoUserXattrVolume(const NoUserXattrVolume&) = delete;
    NoUserXattrVolume& operator=(const NoUserXattrVolume&) = delete;

    bool ready() const { return m_mounted && m_why.empty(); }
    const std::string& why() const { return m_why; }
    const std::string& path() const { return m_root; } // ends in "/"

private:
    std::string m_root;
    std::string m_why;
    bool m_mounted = false;
};

} // namespace torvel::testing
