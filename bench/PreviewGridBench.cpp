// Figures of the main window with 100,000 listed files (offscreen): the
// preview grid's redraw to the first grab, a second identical redraw beside
// the name generation alone, a redraw with a date in the names and a change
// of its pattern (with the files looked at meanwhile), the switch to the time stamp page and back, a
// dropped folder, the run command renaming every file against a bare loop of
// the same renames, the program's start-up to its first drawn window, and
// the memory the window holds per listed file, and at its peak during a run.
// Each is printed beside its bound after the runs.

#include "BenchFolder.h"
#include "BenchWindow.h"
#include "DurableFile.h"
#include "FileInfo.h"
#include "FilesList.h"
#include "FolderHandle.h"
#include "MainForm.h"
#include "PosixFileSystem.h"
#include "PreviewGrid.h"
#include "ProfileFile.h"
#include "RunDriver.h"
#include "RunFeedback.h"
#include "RunJournal.h"
#include "RunTypes.h"
#include "SettingsRecord.h"
#include "TrashOperation.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QPixmap>
#include <QStyleFactory>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <linux/fs.h>
#include <malloc.h>
#include <map>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// Every look at a file by its name that the program's own code makes (the
// file list's reading is one per file), counted on the way to the C library.
std::atomic<long> fileLooks{0};

extern "C" int fstatat(int folder, const char* name, struct stat* st, int flags) noexcept
{
    using Real = int (*)(int, const char*, struct stat*, int);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fstatat"));
    ++fileLooks;
    return real(folder, name, st, flags);
}

namespace {

using namespace torvel;
using namespace torvel::bench;

void BM_FirstRedraw(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        form().listAll(); // the list read again: every row is written anew
        state.ResumeTiming();
        form().StringGrid1Write(true);
        grabWindow();
    }
    const PreviewGrid& grid = form().previewGrid();
    state.counters["rows"] = grid.RowCount() - 1;
    if (grid.cell(1, grid.RowCount() - 1).empty())
        state.SkipWithError("the grid shows no new names");
}
BENCHMARK(BM_FirstRedraw)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SecondRedraw(benchmark::State& state)
{
    form().StringGrid1Write(true);
    for (auto _ : state) {
        form().StringGrid1Write(true);
        grabWindow();
    }
}
BENCHMARK(BM_SecondRedraw)->Unit(benchmark::kMillisecond)->Iterations(10);

// The generator as the window calls it, for the second redraw's figure.
void BM_NameGeneration(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(form().Change_Name());
}
BENCHMARK(BM_NameGeneration)->Unit(benchmark::kMillisecond)->Iterations(10);

// Read calls of this process so far: reading a file's contents (a shooting
// date) is one or more.
long readCalls()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = 0;
    while (io >> key >> value) {
        if (key == "syscr:")
            return value;
    }
    return -1;
}

// The date in the names, chosen through the date dialog's controls, which
// count at once as the page's do: none, or the time stamp's in a series per
// day.
void chooseDate(DateSource source, const char* pattern)
{
    form()
        .findChild<QComboBox*>(QStringLiteral("DateSourceBox"))
        ->setCurrentIndex(static_cast<int>(source));
    form()
        .findChild<QComboBox*>(QStringLiteral("DateFormatBox"))
        ->setEditText(QString::fromLatin1(pattern));
    form()
        .findChild<QCheckBox*>(QStringLiteral("DateNumberCheck"))
        ->setChecked(source != DateSource::None);
}

void BM_DatedFirstRedraw(benchmark::State& state)
{
    chooseDate(DateSource::Modified, "yyyyMMdd");
    for (auto _ : state) {
        state.PauseTiming();
        form().listAll();
        state.ResumeTiming();
        form().StringGrid1Write(true);
        grabWindow();
    }
    const std::string first = form().fileList().GetNewName(0);
    if (first.size() < 9 || first[8] != '_')
        state.SkipWithError("the names carry no date");
}
BENCHMARK(BM_DatedFirstRedraw)->Unit(benchmark::kMillisecond)->Iterations(5);

// Another pattern typed: the names are made again from the list as it is,
// and no file is looked at or read.
void BM_DatePatternChange(benchmark::State& state)
{
    chooseDate(DateSource::Modified, "yyyyMMdd");
    auto* pattern = form().findChild<QComboBox*>(QStringLiteral("DateFormatBox"));
    const long looks = fileLooks;
    const long reads = readCalls();
    int changes = 0;
    for (auto _ : state) {
        pattern->setEditText(QString::fromLatin1(++changes % 2 ? "yyyy-MM-dd" : "yyyyMMdd"));
        grabWindow();
    }
    state.counters["looks"] = static_cast<double>(fileLooks - looks) / changes;
    state.counters["reads"] = static_cast<double>(readCalls() - reads) / changes;
    if (form().fileList().GetNewName(0).find('-') != 4 && changes % 2 == 1)
        state.SkipWithError("the pattern did not reach the names");
    chooseDate(DateSource::None, "yyyyMMdd");
}
BENCHMARK(BM_DatePatternChange)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ToTimeStampPage(benchmark::State& state)
{
    for (auto _ : state) {
        form().D1Click();
        grabWindow();
        state.PauseTiming();
        if (form().previewGrid().secondColumn() != PreviewGrid::SecondColumn::TimeStamps)
            state.SkipWithError("not on the time stamp page");
        form().R1Click();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ToTimeStampPage)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BackToRenamePage(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        form().D1Click();
        state.ResumeTiming();
        form().R1Click();
        grabWindow();
    }
}
BENCHMARK(BM_BackToRenamePage)->Unit(benchmark::kMillisecond)->Iterations(5);

// No bound is set for it: the stored attributes of every file are read here
// for the first time after the list was read.
void BM_ToAttributePage(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        form().R1Click();
        form().listAll();
        form().StringGrid1Write(true);
        state.ResumeTiming();
        form().P1Click();
        grabWindow();
    }
    form().R1Click();
}
BENCHMARK(BM_ToAttributePage)->Unit(benchmark::kMillisecond)->Iterations(3);

// The file list read again from the selection alone, for the drop's figure.
void BM_ListRebuild(benchmark::State& state)
{
    for (auto _ : state)
        form().listAll();
}
BENCHMARK(BM_ListRebuild)->Unit(benchmark::kMillisecond)->Iterations(5);

// The folder dropped on the grid: its files found, the filter built, the
// list read, the new names made and the grid drawn, to the first grab.
void BM_DropFolder(benchmark::State& state)
{
    const std::vector<std::string> dropped = {folder().path};
    for (auto _ : state) {
        form().FileDrop1FileDrop(nullptr, 1, dropped, 0, 0);
        grabWindow();
    }
    const PreviewGrid& grid = form().previewGrid();
    if (form().fileList().Count() < static_cast<int>(folder().names.size()))
        state.SkipWithError("not every file of the folder was listed");
    else if (grid.cell(1, grid.RowCount() - 1).empty())
        state.SkipWithError("the grid shows no new names");
}
BENCHMARK(BM_DropFolder)->Unit(benchmark::kMillisecond)->Iterations(5);

// Empty files of the bench folder's names in a folder of their own, removed
// at the end: the run renames them, and the bare loop an identical set.
struct NamedFolder
{
    std::string path = madeFolder();
    int fd = -1;

    NamedFolder()
    {
        fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
        for (const std::string& name : folder().names) {
            const int file = openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (file < 0) {
                std::perror(name.c_str());
                std::exit(1);
            }
            close(file);
        }
    }
    ~NamedFolder()
    {
        close(fd);
        removeFolder(path);
    }
    NamedFolder(const NamedFolder&) = delete;
    NamedFolder& operator=(const NamedFolder&) = delete;
};

int renameNoReplace(int dir, const std::string& from, const std::string& to)
{
    return renameat2(dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE);
}

// torvel-cli on the same job in a folder of its own, as a whole process: from
// listing the folder to its last rename.
bool cliRename(const std::string& folderPath, const std::string& extension)
{
    // The window gives every file the extension its box took from the first
    // file chosen.
    std::vector<std::string> args{TORVEL_CLI_EXECUTABLE,
                                  "-i",
                                  "ZZNEW",
                                  "-s",
                                  "0",
                                  "-d",
                                  "5",
                                  "-e",
                                  extension,
                                  "--keep-case",
                                  "--number-only",
                                  "--replace-duplicates",
                                  "--no-same-name",
                                  "--sort=name",
                                  folderPath};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)
           && WEXITSTATUS(status) == 0;
}

// Every file back under its name from before the run, untimed.
bool renameBack(int dir, const std::vector<RunRow>& rows)
{
    bool ok = true;
    for (const RunRow& row : rows)
        ok = renameNoReplace(dir, row.newName, row.current) == 0 && ok;
    return ok;
}

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The run command pressed with 100,000 files previewed, to the grid redrawn
// under the new names, with torvel-cli on the same job in an identical
// folder beside it ("cli_ms").
void BM_RunThroughWindow(benchmark::State& state)
{
    NamedFolder ours;
    NamedFolder bare;
    double cliMs = 0;
    for (auto _ : state) {
        form().showFolder(ours.path, folder().names);
        const std::vector<RunRow> rows = form().previewGrid().rows();
        if (rows.size() != folder().names.size() || rows.front().newName.empty()) {
            state.SkipWithError("the grid shows no new names");
            break;
        }
        auto start = std::chrono::steady_clock::now();
        const std::string& first = rows.front().newName;
        const bool cliDone = cliRename(bare.path, first.substr(first.rfind('.') + 1));
        cliMs += msSince(start);
        if (!cliDone || !renameBack(bare.fd, rows)) {
            state.SkipWithError("torvel-cli failed");
            break;
        }

        start = std::chrono::steady_clock::now();
        form().TorvelButtonClick();
        grabWindow();
        state.SetIterationTime(msSince(start) / 1000);

        const PreviewGrid& grid = form().previewGrid();
        const bool shown = form().fileList().Count() == static_cast<int>(rows.size())
                           && grid.currentName(1) == rows.front().newName
                           && grid.cell(1, 1) == rows.front().newName;
        if (!renameBack(ours.fd, rows) || !shown) {
            state.SkipWithError("the run did not rename every file");
            break;
        }
    }
    if (state.iterations() > 0)
        state.counters["cli_ms"] = cliMs / static_cast<double>(state.iterations());
    // The other figures are of the bench folder.
    form().showFolder(folder().path, folder().names);
}
BENCHMARK(BM_RunThroughWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The whole program, launched, until its window has been drawn once.
void BM_StartupToFirstShow(benchmark::State& state)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    env.emplace_back("TORVEL_QUIT_AFTER_SHOW=1");
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = TORVEL_EXECUTABLE;
    char* argv[] = {program.data(), nullptr};

    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), &quiet, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError("cannot start the program");
            break;
        }
        int status = 0;
        waitpid(child, &status, 0);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program did not end well");
            break;
        }
        state.SetIterationTime(took.count());
    }
    posix_spawn_file_actions_destroy(&quiet);
}
BENCHMARK(BM_StartupToFirstShow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// Memory, read from the kernel's count of the process's resident pages.
// Freed memory is given back first, so that only what is held counts.
long statusKilobytes(const char* field)
{
    ::malloc_trim(0);
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return -1;
    char line[256];
    long kb = -1;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
            kb = std::strtol(line + length + 1, nullptr, 10);
    }
    std::fclose(status);
    return kb;
}

// From here on the peak counts only what comes after.
void resetPeak()
{
    ::malloc_trim(0);
    if (FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

struct MemoryFigures
{
    double held = -1;   // bytes per file above the empty window, the files previewed
    double peak = -1;   // bytes per file above the empty window at the run's peak
    double after = -1;  // as held, after the run has listed the files anew
    double engine = -1; // the peak of the same run through the engine alone, its rows included
};

class QuietFeedback : public RunFeedback
{
public:
    void status(const RunStatus&) override {}
    TrashAnswer confirmTrash(const std::string&) override { return TrashAnswer::No; }
    void fileFailed(const std::string&) override {}
    void progress(int, int) override {}
};

// The engine's share of a run's peak: rows as the window makes them, renamed
// in place and back, with a journal as the window keeps one. Kilobytes above
// `before`.
long enginePeak(const std::string& path, long before)
{
    PosixFileSystem fs;
    QuietFeedback feedback;
    TFileOperation operation(fs, &feedback);
    RunJournal journal(stateFolder());
    RunServices services{fs, feedback, operation, &journal};
    RunSettings settings;
    settings.sourceFolder = settings.destinationFolder = path;
    resetPeak();
    long peak = -1;
    {
        std::vector<RunRow> rows(folder().names.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].current = folder().names[i];
            char name[32];
            std::snprintf(name, sizeof name, "ZZNEW%05zu.dat", i);
            rows[i].newName = name;
        }
        const RunResult result = runRenamePage(rows, settings, services);
        peak = statusKilobytes("VmHWM") - before;
        if (result.converted != fileCount)
            std::fprintf(stderr, "the engine did not rename every file\n");
        for (RunRow& row : rows)
            std::swap(row.current, row.newName);
        (void)runRenamePage(rows, settings, services);
    }
    return peak;
}

// The window made empty and drawn, then 100,000 files of a folder of their
// own chosen and previewed, then renamed by the run command. Made before any
// other figure, while the heap holds nothing else of the window's.
MemoryFigures memoryFigures()
{
    MemoryFigures figures;
    shownForm = new BenchForm;
    shownForm->show();
    QApplication::processEvents();
    grabWindow();
    NamedFolder ours;
    NamedFolder forEngine;
    const long empty = statusKilobytes("VmRSS");
    const auto perFile = [](long kb) { return kb * 1024.0 / static_cast<double>(fileCount); };
    figures.engine = perFile(enginePeak(forEngine.path, empty));

    form().showFolder(ours.path, folder().names);
    grabWindow();
    figures.held = perFile(statusKilobytes("VmRSS") - empty);
    const std::string first = form().fileList().GetNewName(0);
    resetPeak();
    form().TorvelButtonClick();
    grabWindow();
    figures.peak = perFile(statusKilobytes("VmHWM") - empty);
    figures.after = perFile(statusKilobytes("VmRSS") - empty);
    if (form().previewGrid().currentName(1) != first)
        std::fprintf(stderr, "the run did not rename the files\n");

    // The other figures are of the bench folder.
    form().showFolder(folder().path, folder().names);
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The journals of the window's runs go to a folder of the benchmark's
    // own, not among the person's own runs.
    char state[] = "/tmp/torvel-bench-state-XXXXXX";
    if (::mkdtemp(state) != nullptr)
        qputenv("XDG_STATE_HOME", state);
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    benchmark::Initialize(&argc, argv);
    const MemoryFigures memory = memoryFigures();
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nFigures (%d files, wall-clock time):\n", form().fileList().Count());
    printFigure("StringGrid1Write(true) to the first grab", figure(reporter, "BM_FirstRedraw"),
                250);
    printFigure("second identical StringGrid1Write(true) beyond the names",
                figure(reporter, "BM_SecondRedraw") - figure(reporter, "BM_NameGeneration"), 50);
    printFigure("a redraw with a date part (time stamp, yyyyMMdd, per day)",
                figure(reporter, "BM_DatedFirstRedraw"), 250);
    printFigure("another date pattern typed, to the grab", figure(reporter, "BM_DatePatternChange"),
                250);
    std::printf("%-62s %9.0f     bound %6.0f     %s\n",
                "  files looked at, and read calls, per change (of 100,000)",
                reporter.counters["looks"] + reporter.counters["reads"], 10.0,
                reporter.counters["looks"] + reporter.counters["reads"] <= 10 ? "ok" : "OVER");
    std::printf("%-62s %9.0f / %.0f\n", "  of which looks / read calls", reporter.counters["looks"],
                reporter.counters["reads"]);
    printFigure("to the time stamp page", figure(reporter, "BM_ToTimeStampPage"), 200);
    printFigure("back to the rename page", figure(reporter, "BM_BackToRenamePage"), 200);
    std::printf("%-62s %9.1f ms  (no bound)\n", "to the attribute page, attributes read afresh",
                figure(reporter, "BM_ToAttributePage"));
    printFigure("dropping the folder, to the grid with new names",
                figure(reporter, "BM_DropFolder"),
                1.6 * (figure(reporter, "BM_ListRebuild") + figure(reporter, "BM_NameGeneration")));
    printFigure("the run command, to the grid under the new names",
                figure(reporter, "BM_RunThroughWindow"),
                1.2 * (reporter.counters["cli_ms"] + figure(reporter, "BM_ListRebuild")));
    std::printf("%-62s %9.1f ms\n", "  torvel-cli on the same job beside it",
                reporter.counters["cli_ms"]);
    printFigure("start-up to the first drawn window", figure(reporter, "BM_StartupToFirstShow"),
                300);
    std::printf("\nMemory per file above the empty window (%d files, resident):\n", fileCount);
    printBytes("the files chosen and previewed", memory.held, 300);
    printBytes("the peak during a run of them (at most twice the above)", memory.peak,
               2 * memory.held);
    printBytes("after the run, the files listed under their new names", memory.after, 300);
    std::printf("%-62s %9.0f B   (the engine's, no bound)\n",
                "  the same run through the engine alone, its rows included", memory.engine);
    delete shownForm;
    benchmark::Shutdown();
    return 0;
}
