// The run on the rename page against bare loops of the same system calls,
// measured side by side in one process on identical folders:
//
// - File_Rename of 100,000 files in one folder (every file to a new name, no
//   conflicts) against a loop of 100,000 existence tests and 200,000
//   no-replace renames; bound 1.2.
// - File_Move of 10,000 files to another folder on the same device against a
//   loop of 10,000 no-replace renames; bound 1.2. The same with same-name
//   files on (each row with one ".txt" beside it) against 20,000 renames.
// - File_Move with copy of 10,000 files of 4 KiB against a loop of
//   copy_file_range copies with the time stamp set; bound 1.5.
//
// Each benchmark reports "ratio" (run time over bare time) next to "bound".
// The folders are made in /tmp, or in $TORVEL_BENCH_ROOT when it is set.

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <chrono>
#include <fcntl.h>
#include <ftw.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include "NewCtrls.h"
#include "MoveAndCopy.h"
#include "PosixFileSystem.h"
#include "RenameInPlace.h"
#include "RunFeedback.h"

using namespace torvel;

namespace {

using Clock = std::chrono::steady_clock;

class QuietFeedback : public RunFeedback
{
public:
    void status(int, const std::string& text) override { m_last = text.size(); }
    TrashAnswer confirmTrash(const std::string&) override { return TrashAnswer::No; }
    void fileFailed(const std::string&) override {}
    void progress(int done, int) override { m_last = static_cast<std::size_t>(done); }

private:
    std::size_t m_last = 0;
};

int removeOne(const char* path, const struct stat*, int, struct FTW*)
{
    ::remove(path);
    return 0;
}

// A folder of the benchmark's own, removed at the end.
class BenchFolder
{
public:
    BenchFolder()
    {
        const char* root = std::getenv("TORVEL_BENCH_ROOT");
        std::string pattern = std::string(root != nullptr ? root : "/tmp") + "/torvel-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create " + pattern);
        m_path = pattern + "/";
    }
    ~BenchFolder() { ::nftw(m_path.c_str(), &removeOne, 16, FTW_DEPTH | FTW_PHYS); }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::string& path() const { return m_path; }

    void fill(const std::vector<std::string>& names, std::size_t size) const
    {
        std::string data(size, 'x');
        for (const auto& name : names) {
            int fd = ::open((m_path + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0 || ::write(fd, data.data(), data.size()) != static_cast<ssize_t>(size))
                throw std::runtime_error("cannot create " + name);
            ::close(fd);
        }
    }

private:
    std::string m_path;
};

// prefix, the number in `digits` places, extension: "IMG_000042.jpg".
std::vector<std::string> numbered(const std::string& prefix, int digits, const std::string& ext,
                                  int count)
{
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string number = std::to_string(i);
        number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
        names.push_back(prefix + number + ext);
    }
    return names;
}

std::vector<RunRow> rowsOf(const std::vector<std::string>& from, const std::vector<std::string>& to)
{
    std::vector<RunRow> rows;
    rows.reserve(from.size());
    for (std::size_t i = 0; i < from.size(); ++i)
        rows.push_back({from[i], to[i]});
    return rows;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int renameNoReplace(int fromDir, const char* from, int toDir, const char* to)
{
    return ::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE);
}

// The two phases of a rename in place with nothing else: an existence test
// and a no-replace rename to a temporary name, then the rename into place.
void bareRename(int dir, const std::vector<RunRow>& rows)
{
    std::vector<std::string> temps;
    temps.reserve(rows.size());
    char prefix[16];
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::snprintf(prefix, sizeof prefix, "_jd[%03zu", i % 1000);
        temps.push_back(prefix + rows[i].current);
        struct stat st {};
        if (::fstatat(dir, temps.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            throw std::runtime_error("unexpected leftover");
        renameNoReplace(dir, rows[i].current.c_str(), dir, temps.back().c_str());
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        renameNoReplace(dir, temps[i].c_str(), dir, rows[i].newName.c_str());
}

void bareMove(int fromDir, int toDir, const std::vector<RunRow>& rows)
{
    for (const auto& row : rows)
        renameNoReplace(fromDir, row.current.c_str(), toDir, row.newName.c_str());
}

void bareCopy(int fromDir, int toDir, const std::vector<RunRow>& rows)
{
    for (const auto& row : rows) {
        int in = ::openat(fromDir, row.current.c_str(), O_RDONLY);
        int out = ::openat(toDir, row.newName.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        struct stat st {};
        ::fstat(in, &st);
        off_t left = st.st_size;
        while (left > 0) {
            ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
            if (n <= 0)
                break;
            left -= n;
        }
        const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        ::futimens(out, times);
        ::close(in);
        ::close(out);
    }
}

void report(benchmark::State& state, double run, double bare, double bound)
{
    state.counters["run_s"] = run / static_cast<double>(state.iterations());
    state.counters["bare_s"] = bare / static_cast<double>(state.iterations());
    state.counters["ratio"] = run / bare;
    state.counters["bound"] = bound;
}

void BM_FileRename100k(benchmark::State& state)
{
    const int count = 100000;
    auto oldNames = numbered("IMG_", 6, ".jpg", count);
    auto newNames = numbered("TOR", 6, ".jpg", count);
    const std::vector<RunRow> forth = rowsOf(oldNames, newNames);
    const std::vector<RunRow> back = rowsOf(newNames, oldNames);
    BenchFolder ours;
    BenchFolder bare;
    ours.fill(oldNames, 0);
    bare.fill(oldNames, 0);
    int bareDir = ::open(bare.path().c_str(), O_RDONLY | O_DIRECTORY);

    PosixFileSystem fs;
    QuietFeedback feedback;
    TFileOperation operation(fs, &feedback);
    RunServices services{fs, feedback, operation};
    RunSettings settings{ours.path(), ours.path(), 0, true, false};
    double run = 0;
    double bareTime = 0;
    bool forward = true;
    for (auto _ : state) {
        const auto& rows = forward ? forth : back;
        auto start = Clock::now();
        bareRename(bareDir, rows);
        bareTime += secondsSince(start);
        start = Clock::now();
        RunResult result = File_Rename(rows, settings, services);
        double t = secondsSince(start);
        run += t;
        state.SetIterationTime(t);
        if (result.converted != count)
            state.SkipWithError("not every file was renamed");
        forward = !forward;
    }
    ::close(bareDir);
    report(state, run, bareTime, 1.2);
}
BENCHMARK(BM_FileRename100k)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

// Moves 10,000 rows from one folder to the other and back on alternate
// iterations; with same-name files each row has a ".txt" beside it.
void moveBench(benchmark::State& state, bool sameName)
{
    const int count = 10000;
    auto oldJpg = numbered("photo", 5, ".jpg", count);
    auto newJpg = numbered("TOR", 5, ".jpg", count);
    auto oldTxt = numbered("photo", 5, ".txt", count);
    auto newTxt = numbered("TOR", 5, ".txt", count);
    const std::vector<RunRow> forth = rowsOf(oldJpg, newJpg);
    const std::vector<RunRow> back = rowsOf(newJpg, oldJpg);
    std::vector<RunRow> bareForth = forth;
    std::vector<RunRow> bareBack = back;
    if (sameName) {
        for (int i = 0; i < count; ++i) {
            bareForth.push_back({oldTxt[static_cast<std::size_t>(i)], newTxt[static_cast<std::size_t>(i)]});
            bareBack.push_back({newTxt[static_cast<std::size_t>(i)], oldTxt[static_cast<std::size_t>(i)]});
        }
    }
    BenchFolder ourA, ourB, bareA, bareB;
    for (const BenchFolder* f : {&ourA, &bareA}) {
        f->fill(oldJpg, 0);
        if (sameName)
            f->fill(oldTxt, 0);
    }
    int bareFds[2] = {::open(bareA.path().c_str(), O_RDONLY | O_DIRECTORY),
                      ::open(bareB.path().c_str(), O_RDONLY | O_DIRECTORY)};

    PosixFileSystem fs;
    QuietFeedback feedback;
    TFileOperation operation(fs, &feedback);
    RunServices services{fs, feedback, operation};
    double run = 0;
    double bareTime = 0;
    bool forward = true;
    for (auto _ : state) {
        auto start = Clock::now();
        if (forward)
            bareMove(bareFds[0], bareFds[1], bareForth);
        else
            bareMove(bareFds[1], bareFds[0], bareBack);
        bareTime += secondsSince(start);

        RunSettings settings{forward ? ourA.path() : ourB.path(), forward ? ourB.path() : ourA.path(),
                             1, true, sameName};
        start = Clock::now();
        RunResult result = File_Move(forward ? forth : back, settings, services);
        double t = secondsSince(start);
        run += t;
        state.SetIterationTime(t);
        if (result.converted != count || !result.failures.empty())
            state.SkipWithError("not every file was moved");
        forward = !forward;
    }
    ::close(bareFds[0]);
    ::close(bareFds[1]);
    report(state, run, bareTime, 1.2);
}

void BM_FileMove10k(benchmark::State& state)
{
    moveBench(state, false);
}
BENCHMARK(BM_FileMove10k)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);

void BM_FileMove10kSameName(benchmark::State& state)
{
    moveBench(state, true);
}
BENCHMARK(BM_FileMove10kSameName)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);

// Each iteration copies into a new folder that both loops share, and nothing
// is removed until the end: on a file system that passes over recently
// removed inodes when it makes a new one (ext4 without a journal does, for
// up to six minutes), removing the copies between iterations would make
// every later file cost more than the copy itself, and more in one folder
// than in another. The loop that goes first alternates.
void BM_FileCopy10k4KiB(benchmark::State& state)
{
    const int count = 10000;
    auto oldNames = numbered("photo", 5, ".jpg", count);
    const std::vector<RunRow> rows = rowsOf(oldNames, numbered("TOR", 5, ".jpg", count));
    const std::vector<RunRow> bareRows = rowsOf(oldNames, numbered("CPY", 5, ".jpg", count));
    BenchFolder source;
    source.fill(oldNames, 4096);
    int sourceFd = ::open(source.path().c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<std::unique_ptr<BenchFolder>> targets;

    PosixFileSystem fs;
    QuietFeedback feedback;
    TFileOperation operation(fs, &feedback);
    RunServices services{fs, feedback, operation};
    double run = 0;
    double bareTime = 0;
    bool bareFirst = true;
    for (auto _ : state) {
        targets.push_back(std::make_unique<BenchFolder>());
        const std::string& target = targets.back()->path();
        int targetFd = ::open(target.c_str(), O_RDONLY | O_DIRECTORY);
        auto timeBare = [&] {
            auto start = Clock::now();
            bareCopy(sourceFd, targetFd, bareRows);
            bareTime += secondsSince(start);
        };
        if (bareFirst)
            timeBare();
        RunSettings settings{source.path(), target, 2, true, false};
        auto start = Clock::now();
        RunResult result = File_Move(rows, settings, services);
        double t = secondsSince(start);
        run += t;
        state.SetIterationTime(t);
        if (result.converted != count)
            state.SkipWithError("not every file was copied");
        if (!bareFirst)
            timeBare();
        ::close(targetFd);
        bareFirst = !bareFirst;
    }
    ::close(sourceFd);
    report(state, run, bareTime, 1.5);
}
BENCHMARK(BM_FileCopy10k4KiB)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
