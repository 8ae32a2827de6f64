// Figures of the file list and the name generator on 100,000 files: each is
// printed beside its bound after the runs.

#include "BenchFolder.h"
#include "ChangeName.h"
#include "FileInfo.h"
#include "FileProp.h"
#include "FilesList.h"
#include "FolderHandle.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <malloc.h>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace torvel;
using namespace torvel::bench;

BenchFolder& folder()
{
    static BenchFolder f(true);
    return f;
}

FilePropInput rebuildInput()
{
    FilePropInput input;
    input.selectedFiles = folder().names;
    input.searchDir = folder().path;
    input.sort = SortOrder::NameUp;
    for (const char* e : {".jpg", ".txt", ".png", ".dat", ""})
        input.filter.push_back({e, true});
    return input;
}

std::vector<FileInfo> readAll()
{
    const FolderHandle dir(folder().path);
    std::vector<FileInfo> infos(folder().names.size());
    for (std::size_t i = 0; i < infos.size(); ++i) {
        // Every file was just made: one that cannot be read makes the numbers wrong.
        if (const int rc = readFileInfo(dir, folder().names[i], infos[i]); rc != 0)
            throw std::runtime_error("cannot read " + folder().names[i] + ": " + std::strerror(rc));
    }
    return infos;
}

void fillList(TMyFileList& list, const std::vector<FileInfo>& infos)
{
    list.ClearList();
    for (const auto& info : infos)
        list.addFile(info);
    list.makeKeys(); // part of the rebuild, not of the sort
}

void BM_BareFstatatLoop(benchmark::State& state)
{
    const int dir = open(folder().path.c_str(), O_PATH | O_DIRECTORY);
    struct stat st
    {};
    for (const auto& name : folder().names) // warm the caches like the others
        benchmark::DoNotOptimize(fstatat(dir, name.c_str(), &st, 0));
    for (auto _ : state)
        for (const auto& name : folder().names)
            benchmark::DoNotOptimize(fstatat(dir, name.c_str(), &st, 0));
    close(dir);
}
BENCHMARK(BM_BareFstatatLoop)->Unit(benchmark::kMillisecond);

void BM_RebuildFileList(benchmark::State& state)
{
    const FilePropInput input = rebuildInput();
    TMyFileList list;
    rebuildFileList(list, input); // warm the caches like the others
    for (auto _ : state) {
        rebuildFileList(list, input);
        benchmark::DoNotOptimize(list.Count());
    }
    state.counters["items"] = list.Count();
}
BENCHMARK(BM_RebuildFileList)->Unit(benchmark::kMillisecond);

// From a freshly filled list, so the name ordering by collation keys counts.
void BM_SortOrder(benchmark::State& state)
{
    const std::vector<FileInfo> infos = readAll();
    TMyFileList list;
    for (auto _ : state) {
        state.PauseTiming();
        fillList(list, infos);
        state.ResumeTiming();
        list.SetSortType(static_cast<SortOrder>(state.range(0)));
    }
}
BENCHMARK(BM_SortOrder)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

RenameOptions nameOptions(const char* identifier, bool avoidDuplicates)
{
    RenameOptions in;
    in.identifier = identifier;
    in.startNumber = 0;
    in.digits = 5;
    in.extension = "dat";
    in.changeExtension = true;
    in.avoidDuplicates = avoidDuplicates;
    return in;
}

// Times the name generator over the folder's files in name order; with
// dates, the dates are read before the timing.
void runChangeName(benchmark::State& state, const RenameOptions& in)
{
    TMyFileList list;
    fillList(list, readAll());
    list.SetSortType(SortOrder::NameUp);
    if (in.dateSource != DateSource::None) {
        list.setSourceFolder(std::make_shared<FolderHandle>(folder().path));
        list.readShootingDates();
    }
    const NameFolders folders{{}, folder().path};
    makeNewNames(list, in, folders); // warm the caches like the others
    for (auto _ : state) {
        const ChangeNameResult r = makeNewNames(list, in, folders);
        if (!r.ok)
            state.SkipWithError("the name generator stopped");
    }
}

void BM_ChangeName(benchmark::State& state)
{
    runChangeName(state, nameOptions("ZZNEW", false));
}
BENCHMARK(BM_ChangeName)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The same names with the shooting date before the identifier and a series
// per day. The folder holds no photos: every file falls back to its time
// stamp, which is the longer way, and its time stamps spread over 47 years
// give some 17,000 different days in no order (a day's photos give a few).
void BM_ChangeNameWithDatePerDay(benchmark::State& state)
{
    RenameOptions in = nameOptions("ZZNEW", false);
    in.dateSource = DateSource::Shot;
    in.datePattern = "yyyyMMdd";
    in.numberPerDate = true;
    runChangeName(state, in);
}
BENCHMARK(BM_ChangeNameWithDatePerDay)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_ChangeNameAvoidingDuplicates(benchmark::State& state)
{
    runChangeName(state, nameOptions("ZZNEW", true));
}
BENCHMARK(BM_ChangeNameAvoidingDuplicates)->Unit(benchmark::kMillisecond);

// The same 100,000 absent names the generator tests.
void BM_BareFstatatAbsentNames(benchmark::State& state)
{
    std::vector<std::string> names;
    for (int i = 0; i < fileCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "ZZNEW%05d.dat", i);
        names.emplace_back(name);
    }
    const int dir = open(folder().path.c_str(), O_PATH | O_DIRECTORY);
    struct stat st
    {};
    for (const auto& name : names) // warm the caches like the others
        benchmark::DoNotOptimize(fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW));
    for (auto _ : state)
        for (const auto& name : names)
            benchmark::DoNotOptimize(fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW));
    close(dir);
}
BENCHMARK(BM_BareFstatatAbsentNames)->Unit(benchmark::kMillisecond);

// Heap bytes per item of a rebuilt list, less the bytes of the names.
double memoryPerItem()
{
    const FilePropInput input = rebuildInput();
    const std::size_t before = mallinfo2().uordblks;
    double perItem = 0;
    {
        TMyFileList list;
        rebuildFileList(list, input);
        const std::size_t after = mallinfo2().uordblks;
        std::size_t nameBytes = 0;
        for (int i = 0; i < list.Count(); ++i)
            nameBytes += list.GetFileName(i).size();
        perItem =
            (static_cast<double>(after - before) - static_cast<double>(nameBytes)) / list.Count();
    }
    return perItem;
}

// Keeps every benchmark's time per iteration for the summary.
class FigureReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> ms;    // wall-clock time per iteration
    std::map<std::string, double> cpuMs; // processor time per iteration

    // Of a benchmark run more than once: every run's wall-clock and processor time.
    std::map<std::string, std::vector<double>> repeats, cpuRepeats;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            // A repeated run is kept under its plain name, as the median of its repeats.
            const std::string name = run.benchmark_name();
            ms[name] = run.GetAdjustedRealTime();
            cpuMs[name] = run.GetAdjustedCPUTime();
            if (run.repetitions > 1) {
                repeats[name].push_back(run.GetAdjustedRealTime());
                cpuRepeats[name].push_back(run.GetAdjustedCPUTime());
                ms[name] = median(repeats[name]);
                cpuMs[name] = median(cpuRepeats[name]);
            }
        }
    }

    static double median(std::vector<double> values)
    {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
};

void printFigure(const char* what, double value, const char* unit, double bound)
{
    std::printf("%-60s %10.2f %-6s bound %8.2f  %s\n", what, value, unit, bound,
                value <= bound ? "ok" : "OVER");
}

// The lowest and highest of each repeated figure beside its median.
void spread(const std::map<std::string, std::vector<double>>& repeats)
{
    for (const auto& [name, values] : repeats) {
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        std::printf("  %-58s %zu runs, %.2f to %.2f ms (%.0f%% spread)\n", name.c_str(),
                    values.size(), *low, *high, (*high - *low) / *low * 100.0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    folder();
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Wall-clock figures are the ones bounded; processor-time figures are
    // printed beside them because other work on a shared machine inflates
    // wall-clock times unevenly.
    for (const bool cpu : {false, true}) {
        auto& ms = cpu ? reporter.cpuMs : reporter.ms;
        std::printf("\nFigures (100,000 files), %s:\n", cpu ? "processor time" : "wall-clock time");
        const auto ratio = [&](const char* what, const char* a, const char* b, double bound) {
            if (ms.count(a) && ms.count(b))
                printFigure(what, ms[a] / ms[b], "x", bound);
        };
        ratio("rebuild / bare fstatat loop", "BM_RebuildFileList", "BM_BareFstatatLoop", 2.0);
        for (int k = 0; k <= 7; ++k) { // 6 and 7: natural order
            const std::string name = "BM_SortOrder/" + std::to_string(k);
            if (ms.count(name))
                printFigure(("sort order " + std::to_string(k)).c_str(), ms[name], "ms", 60.0);
        }
        if (ms.count("BM_ChangeName"))
            printFigure("Change_Name without duplicate avoidance", ms["BM_ChangeName"], "ms", 80.0);
        ratio("Change_Name with a date and a series per day / without a date (median)",
              "BM_ChangeNameWithDatePerDay", "BM_ChangeName", 2.0);
        spread(cpu ? reporter.cpuRepeats : reporter.repeats);
        ratio("Change_Name avoiding duplicates / bare fstatat loop",
              "BM_ChangeNameAvoidingDuplicates", "BM_BareFstatatAbsentNames", 1.5);
    }
    std::printf("\n");
    printFigure("memory per item above the names", memoryPerItem(), "bytes", 400.0);
    benchmark::Shutdown();
    return 0;
}
