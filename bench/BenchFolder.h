#pragma once

// The folder of 100,000 files the list and window benchmarks share: made once
// per run under a fresh name (this file system is slow to create many files
// just after deleting many) and removed at the end. For repeated profiling,
// TORVEL_BENCH_KEEP=1 keeps it and TORVEL_BENCH_DIR=<folder> uses a kept one.

#include "ByteText.h"
#include "FileInfo.h"
#include "FolderHandle.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace torvel::bench {

constexpr int fileCount = 100'000;

// A new empty folder in /tmp, its path ending in "/".
inline std::string madeFolder()
{
    char templ[] = "/tmp/torvel-bench-XXXXXX";
    if (mkdtemp(templ) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return std::string(templ) + "/";
}

inline void removeFolder(const std::string& path)
{
    nftw(
        path.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 64,
        FTW_DEPTH | FTW_PHYS);
}

struct BenchFolder
{
    std::string path;
    std::vector<std::string> names;
    bool keep = std::getenv("TORVEL_BENCH_KEEP") != nullptr;

    // sized: files get random sizes up to 5 MB (sparse), else they are empty.
    explicit BenchFolder(bool sized)
    {
        if (const char* existing = std::getenv("TORVEL_BENCH_DIR")) {
            useExisting(existing);
            return;
        }
        create(sized);
    }

    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    ~BenchFolder()
    {
        if (!keep)
            removeFolder(path);
    }

private:
    void useExisting(const char* existing)
    {
        keep = true;
        path = withTrailingSlash(existing);
        std::vector<ListedEntry> entries;
        if (listFolder(path, entries) != 0) {
            std::perror(existing);
            std::exit(1);
        }
        for (const auto& e : entries)
            names.push_back(e.name);
    }

    void create(bool sized)
    {
        path = madeFolder();
        static const char* const stems[] = {"IMG_", "memo ", "Scan", "写真", "report-", "DSC"};
        static const char* const exts[] = {".jpg", ".JPG", ".txt", ".png", ".dat", ""};
        std::mt19937 random(12345);
        const int dir = open(path.c_str(), O_RDONLY | O_DIRECTORY);
        names.reserve(fileCount);
        for (int i = 0; i < fileCount; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "%s%06u%s", stems[random() % 6],
                          static_cast<unsigned>(random() % 1000000), exts[random() % 6]);
            const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0) { // the random number repeated: that name is taken
                --i;
                continue;
            }
            if (sized && ftruncate(fd, static_cast<off_t>(random() % 5'000'000)) != 0)
                std::perror("ftruncate");
            const timespec times[2] = {
                {0, UTIME_OMIT}, {static_cast<time_t>(315'532'800 + random() % 1'500'000'000), 0}};
            if (futimens(fd, times) != 0)
                std::perror("futimens");
            close(fd);
            names.emplace_back(name);
        }
        close(dir);
        if (keep)
            std::fprintf(stderr, "benchmark folder kept: %s\n", path.c_str());
    }
};

} // namespace torvel::bench
