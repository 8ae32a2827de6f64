#pragma once

// The main window the window benchmarks measure, with 100,000 files of the
// shared bench folder listed, and the printing of figures beside their
// bounds.

#include "BenchFolder.h"
#include "MainForm.h"
#include "ProfileFile.h"
#include "RunTypes.h"
#include "SettingsRecord.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace torvel::bench {

inline BenchFolder& folder()
{
    static BenchFolder f(false);
    return f;
}

// The window as the program shows it, with a settings file of its own:
// new names of five digits from 0, so that 100,000 files fit.
class BenchForm : public TForm1
{
public:
    BenchForm()
        : TForm1(Unstarted{benchSettings()})
    {
        SettingsRecord settings;
        settings.searchDir = folder().path;
        settings.changeDir = folder().path;
        settings.rename.identifier = "ZZNEW";
        settings.rename.startNumber = 0;
        settings.rename.digits = 5;
        settings.rename.extension = "dat";
        settings.rename.changeExtension = true;
        settings.preview = true;
        ProfileFile profile = ProfileFile::load(m_settingsFile);
        writeSettings(settings, profile);
        profile.save();
        FormCreate();
    }
    ~BenchForm() override { ::unlink(m_settingsFile.c_str()); }

    void listAll()
    {
        setSelectedFiles(folder().names);
        FileProp();
    }

    // The files of another folder listed and previewed, renamed in place.
    void showFolder(const std::string& path, const std::vector<std::string>& names)
    {
        SearchDirChange(path);
        ChangeDirChange(path);
        setSelectedFiles(names);
        FileSeleSet();
        FileProp();
        RadioButtonIndex(SaveMode::Rename);
        StringGrid1Write(true);
    }

private:
    // Beside the folder, not in it: a dropped folder takes hidden files too.
    static std::string benchSettings()
    {
        return folder().path.substr(0, folder().path.size() - 1) + ".torvel-bench.ini";
    }

    const std::string m_settingsFile = benchSettings();
};

// Made at its first use and deleted before the application ends.
inline BenchForm* shownForm = nullptr;

inline BenchForm& form()
{
    if (shownForm == nullptr) {
        shownForm = new BenchForm;
        shownForm->show();
        QApplication::processEvents();
        shownForm->listAll();
        shownForm->StringGrid1Write(true);
    }
    return *shownForm;
}

inline void grabWindow()
{
    benchmark::DoNotOptimize(form().grab().cacheKey());
}

class FigureReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> ms;
    std::map<std::string, double> counters;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            ms[run.benchmark_name()] = run.GetAdjustedRealTime();
            for (const auto& [name, counter] : run.counters)
                counters[name] = counter.value;
        }
    }
};

inline void printFigure(const char* what, double value, double bound)
{
    std::printf("%-62s %9.1f ms  bound %6.1f ms  %s\n", what, value, bound,
                value <= bound ? "ok" : "OVER");
}

inline void printBytes(const char* what, double value, double bound)
{
    std::printf("%-62s %9.0f B   bound %6.0f B   %s\n", what, value, bound,
                value <= bound ? "ok" : "OVER");
}

inline double figure(FigureReporter& reporter, const std::string& prefix)
{
    for (const auto& [name, value] : reporter.ms) {
        if (name.rfind(prefix, 0) == 0)
            return value;
    }
    return -1;
}

} // namespace torvel::bench
