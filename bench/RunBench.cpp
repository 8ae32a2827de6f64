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
// - File_Rename of 100,000 files with its journal against the same run
//   without one; bound 1.05.
//
// Each benchmark reports "ratio" (run time over bare time) next to "bound".
// The folders are made in /tmp, or in $TORVEL_BENCH_ROOT when it is set.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
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
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TrashOperation.h"
#include "MoveAndCopy.h"
#include "PosixFileSystem.h"
#include "RenameInPlace.h"
#include "RunJournal.h"
#include "RunFeedback.h"

using namespace torvel;

namespace {

using Clock = std::chrono::steady_clock;

class QuietFeedback : public RunFeedback
{
public:
    void status(const RunStatus& status) override { m_last = status.name.size(); }
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
    // In /tmp, $TORVEL_BENCH_ROOT or the given folder (ending in "/").
    explicit BenchFolder(const std::string& parent = {})
    {
        const char* root = std::getenv("TORVEL_BENCH_ROOT");
        std::string pattern =
            !parent.empty() ? parent : std::string(root != nullptr ? root : "/tmp") + "/";
        pattern += "torvel-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create " + pattern);
        m_path = pattern + "/";
    }
    ~BenchFolder() { ::nftw(m_path.c_str(), &removeOne, 16, FTW_DEPTH | FTW_PHYS); }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::string& path() const { return m_path; }

    // Asks ext4 to place each folder made in this one where there is room,
    // as it places folders at the top of the disk, rather than beside this
    // one. ext4 without a journal passes over every inode removed in the
    // last minutes when it makes a new file (six minutes after a removal of
    // 100,000 files each new file can cost 300 µs), so folders beside those
    // of other benchmarks would time their removals, not the copy.
    // Elsewhere the request is refused and changes nothing.
    void spreadSubfolders() const
    {
        int fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY);
        unsigned flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_TOPDIR_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
    }

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
        struct stat st
        {};
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
        struct stat st
        {};
        ::fstat(in, &st);
        off_t left = st.st_size;
        while (left > 0) {
            ssize_t n =
                ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
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
    RunSettings settings{ours.path(), ours.path(), SaveMode::Rename, true, false};
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

// File_Rename of 100,000 files with its journal against the same run without
// one, on two identical folders, taking turns; bound 1.05.
void BM_JournalCost100k(benchmark::State& state)
{
    const int count = 100000;
    auto oldNames = numbered("IMG_", 6, ".jpg", count);
    auto newNames = numbered("TOR", 6, ".jpg", count);
    const std::vector<RunRow> forth = rowsOf(oldNames, newNames);
    const std::vector<RunRow> back = rowsOf(newNames, oldNames);
    BenchFolder journaled;
    BenchFolder plain;
    BenchFolder journals;
    journaled.fill(oldNames, 0);
    plain.fill(oldNames, 0);

    PosixFileSystem fs;
    QuietFeedback feedback;
    TFileOperation operation(fs, &feedback);
    double withJournal = 0;
    double without = 0;
    bool forward = true;
    for (auto _ : state) {
        const auto& rows = forward ? forth : back;
        // Each run starts with nothing of the other's waiting to be written:
        // the journal's flush would otherwise carry the other run's renames
        // to the disk too. The two take turns at going first.
        const auto plainRun = [&] {
            ::sync();
            RunServices bare{fs, feedback, operation};
            const auto start = Clock::now();
            RunResult result = File_Rename(
                rows, {plain.path(), plain.path(), SaveMode::Rename, true, false}, bare);
            without += secondsSince(start);
            return result.converted;
        };
        const auto journaledRun = [&] {
            ::sync();
            RunJournal journal(journals.path());
            RunServices recorded{fs, feedback, operation, &journal};
            const auto start = Clock::now();
            RunResult result = File_Rename(
                rows, {journaled.path(), journaled.path(), SaveMode::Rename, true, false},
                recorded);
            const double t = secondsSince(start);
            withJournal += t;
            state.SetIterationTime(t);
            return result.converted;
        };
        const int first = forward ? plainRun() : journaledRun();
        const int second = forward ? journaledRun() : plainRun();
        if (first != count || second != count)
            state.SkipWithError("not every file was renamed");
        forward = !forward;
    }
    report(state, withJournal, without, 1.05);
}
BENCHMARK(BM_JournalCost100k)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);

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
            bareForth.push_back(
                {oldTxt[static_cast<std::size_t>(i)], newTxt[static_cast<std::size_t>(i)]});
            bareBack.push_back(
                {newTxt[static_cast<std::size_t>(i)], oldTxt[static_cast<std::size_t>(i)]});
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

        RunSettings settings{forward ? ourA.path() : ourB.path(),
                             forward ? ourB.path() : ourA.path(), SaveMode::Move, true, sameName};
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

// The rows in slices of the given size.
std::vector<std::vector<RunRow>> slices(const std::vector<RunRow>& rows, std::size_t size)
{
    std::vector<std::vector<RunRow>> parts;
    for (std::size_t i = 0; i < rows.size(); i += size)
        parts.emplace_back(rows.begin() + static_cast<std::ptrdiff_t>(i),
                           rows.begin()
                               + static_cast<std::ptrdiff_t>(std::min(i + size, rows.size())));
    return parts;
}

// Each iteration copies into a new folder that both loops share, a thousand
// files at a time by turns, and nothing is removed until the end. ext4
// without a journal passes over every inode removed in the last minutes
// when it makes a new file, until it takes those inodes again: after a
// removal of 100,000 files a new file can cost 300 µs, more than the copy,
// and the loop that came first would pay it all. Removing the copies
// between iterations would bring that about, so nothing is removed, the
// folders are spread away from those of earlier runs, and the two loops
// take turns in small steps so that what is left falls on both alike.
void BM_FileCopy10k4KiB(benchmark::State& state)
{
    const int count = 10000;
    const std::size_t turn = 1000;
    auto oldNames = numbered("photo", 5, ".jpg", count);
    const auto rows = slices(rowsOf(oldNames, numbered("TOR", 5, ".jpg", count)), turn);
    const auto bareRows = slices(rowsOf(oldNames, numbered("CPY", 5, ".jpg", count)), turn);
    BenchFolder parent;
    parent.spreadSubfolders();
    BenchFolder source(parent.path());
    source.fill(oldNames, 4096);
    int sourceFd = ::open(source.path().c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<std::unique_ptr<BenchFolder>> targets;
    // A first round that is not timed takes what earlier runs left behind.
    for (int i = 0; i < 2; ++i) {
        targets.push_back(std::make_unique<BenchFolder>(parent.path()));
        targets.back()->fill(numbered("warm", 5, ".jpg", count), 0);
    }

    PosixFileSystem fs;
    QuietFeedback feedback;
    TFileOperation operation(fs, &feedback);
    RunServices services{fs, feedback, operation};
    double run = 0;
    double bareTime = 0;
    bool bareFirst = true;
    for (auto _ : state) {
        targets.push_back(std::make_unique<BenchFolder>(parent.path()));
        const std::string& target = targets.back()->path();
        int targetFd = ::open(target.c_str(), O_RDONLY | O_DIRECTORY);
        RunSettings settings{source.path(), target, SaveMode::Copy, true, false};
        int converted = 0;
        double t = 0;
        for (std::size_t k = 0; k < rows.size(); ++k) {
            auto timeBare = [&] {
                auto start = Clock::now();
                bareCopy(sourceFd, targetFd, bareRows[k]);
                bareTime += secondsSince(start);
            };
            if (bareFirst)
                timeBare();
            auto start = Clock::now();
            converted += File_Move(rows[k], settings, services).converted;
            t += secondsSince(start);
            if (!bareFirst)
                timeBare();
            bareFirst = !bareFirst;
        }
        run += t;
        state.SetIterationTime(t);
        if (converted != count)
            state.SkipWithError("not every file was copied");
        ::close(targetFd);
    }
    ::close(sourceFd);
    report(state, run, bareTime, 1.5);
}
BENCHMARK(BM_FileCopy10k4KiB)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
