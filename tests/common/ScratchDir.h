#pragma once

// A folder of its own for one test, under a chosen root (so that a second
// device can be had from /dev/shm), removed with all it holds at the end.

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvel {

class ScratchDir
{
public:
    explicit ScratchDir(const std::string& root = "/tmp")
    {
        std::string pattern = root + "/torvel-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a folder under " + root);
        m_path = pattern + "/";
    }

    ~ScratchDir()
    {
        ::nftw(m_path.c_str(), &removeOne, 16, FTW_DEPTH | FTW_PHYS);
    }

    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder's path, ending in "/".
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

    void write(const std::string& name, const std::string& contents) const
    {
        std::ofstream out(m_path + name, std::ios::binary | std::ios::trunc);
        out << contents;
        if (!out)
            throw std::runtime_error("cannot write " + name);
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(m_path + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Whether the name exists at all, a link pointing nowhere included.
    bool has(const std::string& name) const
    {
        struct stat st {};
        return ::lstat((m_path + name).c_str(), &st) == 0;
    }

    void makeFolder(const std::string& name) const { ::mkdir((m_path + name).c_str(), 0755); }

    // The names in the folder (or a folder below it), sorted.
    std::vector<std::string> names(const std::string& sub = {}) const
    {
        std::vector<std::string> result;
        DIR* dir = ::opendir((m_path + sub).c_str());
        if (dir == nullptr)
            return result;
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                result.push_back(name);
        }
        ::closedir(dir);
        std::sort(result.begin(), result.end());
        return result;
    }

    dev_t device() const
    {
        struct stat st {};
        ::stat(m_path.c_str(), &st);
        return st.st_dev;
    }

private:
    static int removeOne(const char* path, const struct stat*, int, struct FTW*)
    {
        ::remove(path);
        return 0;
    }

    std::string m_path;
};

} // namespace torvel
