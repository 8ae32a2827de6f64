// The time stamp and attribute runs over 100,000 files, each beside the bare
// system calls that do the same work on the same folder, so that the
// run's own share (status texts, checks, names) can be read off.
#include "AttrChange.h"
#include "DateChange.h"
#include "TrashOperation.h"
#include "PosixFileSystem.h"
#include "RunFeedback.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int fileCount = 100'000;

class Quiet : public torvel::RunFeedback
{
public:
    void status(const torvel::RunStatus& status) override
    {
        benchmark::DoNotOptimize(status.name.data());
    }
    TrashAnswer confirmTrash(const std::string&) override { return TrashAnswer::No; }
    void fileFailed(const std::string&) override {}
    void progress(int, int) override {}
};

int removeOne(const char* path, const struct stat*, int, struct FTW*)
{
    ::remove(path);
    return 0;
}

// One folder of empty files, made once for every benchmark of the run.
struct Folder
{
    Folder()
    {
        path = "/tmp/torvel-bench-XXXXXX";
        if (::mkdtemp(path.data()) == nullptr)
            return;
        path += "/";
        for (int i = 0; i < fileCount; ++i) {
            names.push_back("写真" + std::to_string(i) + ".jpg");
            const int fd = ::open((path + names.back()).c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
    ~Folder() { ::nftw(path.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS); }

    std::string path;
    std::vector<std::string> names;
};

Folder& folder()
{
    static Folder f;
    return f;
}

void bareUtimensat(benchmark::State& state)
{
    Folder& f = folder();
    const int dir = ::open(f.path.c_str(), O_RDONLY | O_DIRECTORY);
    time_t second = 1'700'000'000;
    for (auto _ : state) {
        second += 2;
        const timespec times[2] = {{0, UTIME_OMIT}, {second, 0}};
        for (const auto& name : f.names)
            benchmark::DoNotOptimize(::utimensat(dir, name.c_str(), times, 0));
    }
    ::close(dir);
}

// The cheapest check there could be, one look at the mode and nothing of the
// stored attribute: it alone already costs more than the time stamp run may
// add to the bare loop, since every call that finds a file by its name costs
// nearly half of what utimensat costs.
void bareStatUtimensat(benchmark::State& state)
{
    Folder& f = folder();
    const int dir = ::open(f.path.c_str(), O_RDONLY | O_DIRECTORY);
    time_t second = 1'700'000'000;
    for (auto _ : state) {
        second += 2;
        const timespec times[2] = {{0, UTIME_OMIT}, {second, 0}};
        for (const auto& name : f.names) {
            struct stat st
            {};
            benchmark::DoNotOptimize(::fstatat(dir, name.c_str(), &st, 0));
            benchmark::DoNotOptimize(::utimensat(dir, name.c_str(), times, 0));
        }
    }
    ::close(dir);
}

// What a read-only check costs at the least: the mode, then the stored
// attribute, then the time.
void bareCheckedUtimensat(benchmark::State& state)
{
    Folder& f = folder();
    const int dir = ::open(f.path.c_str(), O_RDONLY | O_DIRECTORY);
    time_t second = 1'700'000'000;
    for (auto _ : state) {
        second += 2;
        const timespec times[2] = {{0, UTIME_OMIT}, {second, 0}};
        for (const auto& name : f.names) {
            struct stat st
            {};
            char value[64];
            benchmark::DoNotOptimize(::fstatat(dir, name.c_str(), &st, 0));
            const std::string path = f.path + name;
            benchmark::DoNotOptimize(
                ::getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value));
            benchmark::DoNotOptimize(::utimensat(dir, name.c_str(), times, 0));
        }
    }
    ::close(dir);
}

void dateChange(benchmark::State& state)
{
    Folder& f = folder();
    torvel::PosixFileSystem fs;
    Quiet quiet;
    torvel::TFileOperation trash(fs, &quiet);
    torvel::RunServices services{fs, quiet, trash, nullptr};
    torvel::DateChangeInput input;
    input.folder = f.path;
    input.names = f.names;
    input.year = 2024;
    input.month = 5;
    input.hour = 12;
    int day = 0;
    std::size_t failures = 0;
    for (auto _ : state) {
        input.day = day++ % 28 + 1;
        failures += torvel::Date_Change(input, services).failures.size();
    }
    if (failures != 0)
        state.SkipWithError("files failed");
}

void bareGetSetXattr(benchmark::State& state)
{
    Folder& f = folder();
    bool hidden = false;
    for (auto _ : state) {
        hidden = !hidden;
        const char* value = hidden ? "0x22" : "0x20";
        for (const auto& name : f.names) {
            char old[64];
            const std::string path = f.path + name;
            benchmark::DoNotOptimize(::getxattr(path.c_str(), "user.DOSATTRIB", old, sizeof old));
            benchmark::DoNotOptimize(::setxattr(path.c_str(), "user.DOSATTRIB", value, 4, 0));
        }
    }
}

void attrChange(benchmark::State& state)
{
    Folder& f = folder();
    torvel::PosixFileSystem fs;
    Quiet quiet;
    torvel::TFileOperation trash(fs, &quiet);
    torvel::RunServices services{fs, quiet, trash, nullptr};
    torvel::AttrChangeInput input;
    input.folder = f.path;
    input.names = f.names;
    bool hidden = false;
    std::size_t failures = 0;
    for (auto _ : state) {
        hidden = !hidden;
        using torvel::AttrChoice;
        input.masks = torvel::attrMasks(
            {AttrChoice::Keep, hidden ? AttrChoice::Set : AttrChoice::Clear, AttrChoice::Keep});
        failures += torvel::Attr_Change(input, services).failures.size();
    }
    if (failures != 0)
        state.SkipWithError("files failed");
}

} // namespace

BENCHMARK(bareUtimensat)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(bareStatUtimensat)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(bareCheckedUtimensat)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(dateChange)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(bareGetSetXattr)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(attrChange)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK_MAIN();
