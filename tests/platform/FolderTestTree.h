#pragma once

// A real folder tree in a fresh temporary folder, removed with everything in
// it at the end of the test.

#include "UniqueFd.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "common/SampleNames.h"

namespace torvel::test {

class FolderTestTree
{
public:
    FolderTestTree()
    {
        std::string pattern = "/tmp/torvel-tree-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern + '/';
    }
    ~FolderTestTree() { ::nftw(m_root.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS); }
    FolderTestTree(const FolderTestTree&) = delete;
    FolderTestTree& operator=(const FolderTestTree&) = delete;

    // The tree's own folder, ending in "/".
    const std::string& root() const { return m_root; }
    std::string path(const std::string& relative) const { return m_root + relative; }

    // Makes a folder and every missing folder above it; returns its path
    // ending in "/".
    std::string folder(const std::string& relative) const
    {
        std::string path = m_root;
        std::size_t start = 0;
        while (start < relative.size()) {
            std::size_t end = relative.find('/', start);
            if (end == std::string::npos)
                end = relative.size();
            path += relative.substr(start, end - start) + '/';
            ::mkdir(path.c_str(), 0755);
            start = end + 1;
        }
        return path;
    }
    void file(const std::string& relative, const std::string& content = "x") const
    {
        const UniqueFd fd(::open(path(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
        if (!fd.isOpen())
            throw std::runtime_error("cannot create " + relative);
        if (::write(fd.get(), content.data(), content.size()) < 0)
            throw std::runtime_error("cannot write " + relative);
    }
    void link(const std::string& target, const std::string& relative) const
    {
        if (::symlink(target.c_str(), path(relative).c_str()) != 0)
            throw std::runtime_error("cannot link " + relative);
    }
    bool isFolder(const std::string& relative) const
    {
        struct stat st
        {};
        return ::stat(path(relative).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool exists(const std::string& relative) const
    {
        struct stat st
        {};
        return ::lstat(path(relative).c_str(), &st) == 0;
    }

private:
    static int removeOne(const char* path, const struct stat*, int, struct FTW*)
    {
        ::remove(path);
        return 0;
    }

    std::string m_root;
};

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old, m_had = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_had)
            ::setenv(m_name, m_old.c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

} // namespace torvel::test
