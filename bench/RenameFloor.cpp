// The floors the whole-process rename figures are held against, written as
// plainly as C allows: list the folder with getdents64, sort the names by
// their bytes, give the i-th name the i-th name of a series, and rename.
//
//   RenameFloor one FOLDER       one renameat2(RENAME_NOREPLACE) a file:
//                                name i -> TOR%05d.txt (i)
//   RenameFloor two FOLDER       the two phases: test that the target is
//                                free, rename to a temporary name; then rename
//                                every file from there to its target
//   RenameFloor reverse FOLDER   the two phases for a full reversal: name i
//                                takes the name of file n-1-i
//   RenameFloor make FOLDER N PREFIX   makes N empty files PREFIX%06d.txt
//                                (PREFIX TOR: TOR%05d.txt) in a new folder
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct LinuxDirent64
{
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[256]; // as long as the record says
};

std::vector<std::string> listNames(int dir)
{
    std::vector<std::string> names;
    static char buffer[1 << 16];
    for (;;) {
        const long n = syscall(SYS_getdents64, dir, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (long at = 0; at < n;) {
            auto* entry = reinterpret_cast<LinuxDirent64*>(buffer + at);
            at += entry->d_reclen;
            if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

int renameNoReplace(int dir, const char* from, const char* to)
{
    return static_cast<int>(syscall(SYS_renameat2, dir, from, dir, to, RENAME_NOREPLACE));
}

std::string series(std::size_t i)
{
    char name[32];
    snprintf(name, sizeof name, "TOR%05zu.txt", i);
    return name;
}

int twoPhases(int dir, const std::vector<std::string>& names,
              const std::vector<std::string>& targets)
{
    int failed = 0;
    struct stat st;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string temporary = "_jd[" + std::to_string(i % 1000) + names[i];
        // Whether the target is taken; in a reversal every one is, by the batch.
        (void)fstatat(dir, targets[i].c_str(), &st, AT_SYMLINK_NOFOLLOW);
        failed += renameNoReplace(dir, names[i].c_str(), temporary.c_str()) != 0;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string temporary = "_jd[" + std::to_string(i % 1000) + names[i];
        failed += renameNoReplace(dir, temporary.c_str(), targets[i].c_str()) != 0;
    }
    return failed;
}

int make(const char* folder, long count, const char* prefix)
{
    if (mkdir(folder, 0755) != 0) {
        perror(folder);
        return 1;
    }
    const int dir = open(folder, O_RDONLY | O_DIRECTORY);
    const bool series5 = strcmp(prefix, "TOR") == 0;
    for (long i = 0; i < count; ++i) {
        char name[64];
        snprintf(name, sizeof name, series5 ? "%s%05ld.txt" : "%s%06ld.txt", prefix, i);
        const int fd = openat(dir, name, O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (fd < 0) {
            perror(name);
            return 1;
        }
        close(fd);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 5 && strcmp(argv[1], "make") == 0)
        return make(argv[2], atol(argv[3]), argv[4]);
    if (argc != 3) {
        fprintf(stderr, "usage: RenameFloor one|two|reverse FOLDER | make FOLDER N PREFIX\n");
        return 2;
    }
    const int dir = open(argv[2], O_RDONLY | O_DIRECTORY);
    if (dir < 0) {
        perror(argv[2]);
        return 1;
    }
    const std::vector<std::string> names = listNames(dir);
    std::vector<std::string> targets(names.size());
    const std::string mode = argv[1];
    for (std::size_t i = 0; i < names.size(); ++i)
        targets[i] = mode == "reverse" ? names[names.size() - 1 - i] : series(i);
    int failed = 0;
    if (mode == "one") {
        for (std::size_t i = 0; i < names.size(); ++i)
            failed += renameNoReplace(dir, names[i].c_str(), targets[i].c_str()) != 0;
    } else {
        failed = twoPhases(dir, names, targets);
    }
    if (failed != 0)
        fprintf(stderr, "%d renames failed\n", failed);
    return failed != 0;
}
