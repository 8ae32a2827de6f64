// Figures of the shooting-date order on 10,000 real JPEG files: the list
// rebuild that reads their dates beside the same rebuild without them, the
// same for choosing and naming the files (by shooting day against by name),
// and the longest time the window would go without a status update while
// the dates are read. Each run is repeated; the median is bounded and the
// spread printed beside it.

#include "BenchFolder.h"
#include "ChangeName.h"
#include "FileProp.h"
#include "FilesList.h"

#include "common/SampleImages.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace torvel;
using namespace torvel::bench;

constexpr int photoCount = 10'000;
constexpr std::string_view templateDate = "2020:01:01 00:00:00";

// The photos: one made by the metadata library, copied with its date
// changed in place, so that every file carries a date of its own.
struct PhotoFolder
{
    std::string path = madeFolder();
    std::vector<std::string> names;

    PhotoFolder()
    {
        test::writeJpeg(path + "template.jpg",
                        {{"Exif.Photo.DateTimeOriginal", std::string(templateDate)},
                         {"Exif.Photo.SubSecTimeOriginal", "00"}});
        std::ifstream in(path + "template.jpg", std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const std::size_t at = bytes.find(templateDate);
        for (int i = 0; i < photoCount; ++i) {
            std::string photo = bytes;
            char date[32];
            std::snprintf(date, sizeof date, "20%02d:%02d:%02d %02d:%02d:%02d", 10 + i % 13,
                          1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 7) % 60);
            photo.replace(at, templateDate.size(), date);
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%05d.JPG", (i * 7919) % photoCount);
            std::ofstream(path + name, std::ios::binary) << photo;
            names.emplace_back(name);
        }
    }
    ~PhotoFolder() { removeFolder(path); }
};

PhotoFolder& photos()
{
    static PhotoFolder f;
    return f;
}

FilePropInput rebuildInput(SortOrder order)
{
    FilePropInput input;
    input.selectedFiles = photos().names;
    input.searchDir = photos().path;
    input.sort = order;
    input.filter = {{".JPG", true}};
    return input;
}

// The longest stretch without a progress call while the dates of one
// rebuild are read, in ms: the window repaints at each call.
std::vector<double> longestGaps;

void rebuild(benchmark::State& state, SortOrder order)
{
    const FilePropInput input = rebuildInput(order);
    TMyFileList list;
    using Clock = std::chrono::steady_clock;
    Clock::time_point last;
    double longest = 0;
    // From the first call, when the reading starts, to the last.
    list.setShootingDateProgress([&](std::size_t done, std::size_t) {
        const Clock::time_point now = Clock::now();
        if (done > 0)
            longest =
                std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    });
    rebuildFileList(list, input); // warm the caches like the others
    for (auto _ : state) {
        longest = 0;
        rebuildFileList(list, input);
        if (order == SortOrder::ShotOldestFirst)
            longestGaps.push_back(longest);
        benchmark::DoNotOptimize(list.Count());
    }
    if (list.Count() != photoCount)
        state.SkipWithError("not every photo was listed");
}

void BM_RebuildByName(benchmark::State& state)
{
    rebuild(state, SortOrder::NameUp);
}
BENCHMARK(BM_RebuildByName)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RebuildByShootingDate(benchmark::State& state)
{
    rebuild(state, SortOrder::ShotOldestFirst);
}
BENCHMARK(BM_RebuildByShootingDate)->Unit(benchmark::kMillisecond)->Repetitions(5);

RenameOptions nameOptions(DateSource date)
{
    RenameOptions in;
    in.identifier = "P_";
    in.startNumber = 1;
    in.digits = 5;
    in.dateSource = date;
    in.datePattern = "yyyyMMdd";
    in.numberPerDate = date != DateSource::None;
    return in;
}

// Choosing the photos, putting them in order and making their new names, as
// the window does before it shows them: the list rebuild and the name
// generator.
void chooseAndName(benchmark::State& state, SortOrder order, const RenameOptions& in)
{
    const FilePropInput input = rebuildInput(order);
    const NameFolders folders{photos().path, photos().path};
    TMyFileList list;
    rebuildFileList(list, input); // warm the caches like the others
    makeNewNames(list, in, folders);
    for (auto _ : state) {
        rebuildFileList(list, input);
        const ChangeNameResult named = makeNewNames(list, in, folders);
        // Every photo is dated: a fallback would time the wrong work.
        if (!named.ok || named.withoutShootingDate != 0)
            state.SkipWithError("the names were not made from every photo's date");
    }
}

void BM_ChooseAndNameByName(benchmark::State& state)
{
    chooseAndName(state, SortOrder::NameUp, nameOptions(DateSource::None));
}
BENCHMARK(BM_ChooseAndNameByName)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_ChooseAndNameByShootingDay(benchmark::State& state)
{
    chooseAndName(state, SortOrder::ShotOldestFirst, nameOptions(DateSource::Shot));
}
BENCHMARK(BM_ChooseAndNameByShootingDay)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Every repetition's time per iteration, wall-clock.
class SpreadReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, std::vector<double>> ms;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                ms[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A bound of 0: the figure is printed for the ratio it is part of.
void printFigure(const char* what, const std::vector<double>& values, const char* unit,
                 double bound)
{
    if (values.empty())
        return;
    const double m = median(values);
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    std::printf("%-52s %9.2f %-3s (%.2f..%.2f, %zu runs)", what, m, unit, *low, *high,
                values.size());
    if (bound > 0)
        std::printf("  bound %7.2f  %s", bound, m <= bound ? "ok" : "OVER");
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    photos();
    SpreadReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Repetition by repetition: the first of one over the first of the other, and so on.
    const auto ratios = [&](const char* dated, const char* plain) {
        const std::vector<double>& a = reporter.ms[dated];
        const std::vector<double>& b = reporter.ms[plain];
        std::vector<double> out;
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            out.push_back(a[i] / b[i]);
        return out;
    };
    std::printf("\nFigures (10,000 JPEG files), wall-clock time, median (lowest..highest):\n");
    // Each ratio's two parts are printed for it, unbounded.
    printFigure("rebuild by name", reporter.ms["BM_RebuildByName"], "ms", 0);
    printFigure("rebuild by shooting date", reporter.ms["BM_RebuildByShootingDate"], "ms", 0);
    printFigure("rebuild by shooting date / rebuild by name",
                ratios("BM_RebuildByShootingDate", "BM_RebuildByName"), "x", 3.0);
    printFigure("choose and name by name", reporter.ms["BM_ChooseAndNameByName"], "ms", 0);
    printFigure("choose, order and name by shooting day",
                reporter.ms["BM_ChooseAndNameByShootingDay"], "ms", 0);
    printFigure("choose, order and name by shooting day / by name",
                ratios("BM_ChooseAndNameByShootingDay", "BM_ChooseAndNameByName"), "x", 3.0);
    printFigure("longest time without a status update", longestGaps, "ms", 100.0);
    benchmark::Shutdown();
    return 0;
}
