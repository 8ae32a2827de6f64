// Listing a folder with 10,000 subfolders for the folder tree: the file system
// and sorting share of expanding such a folder.
#include "FolderNamespace.h"

#include <benchmark/benchmark.h>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int removeOne(const char* path, const struct stat*, int, struct FTW*)
{
    ::remove(path);
    return 0;
}

void listTenThousandSubfolders(benchmark::State& state)
{
    std::string root = "/tmp/torvel-bench-XXXXXX";
    if (!::mkdtemp(root.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string big = root + "/big/";
    ::mkdir(big.c_str(), 0755);
    for (int i = 0; i < 10000; ++i) {
        const std::string folder = big + "フォルダ" + std::to_string(i);
        ::mkdir(folder.c_str(), 0755);
        if (i % 3 == 0)
            ::mkdir((folder + "/sub").c_str(), 0755);
    }
    torvel::FolderNamespace names(torvel::FolderPlaces{root + "/", root + "/", {}});
    const auto list = names.parsePath(big);
    for (auto _ : state) {
        auto entries = names.listSubfolders(*list);
        std::sort(entries->begin(), entries->end(),
                  [](const torvel::FolderEntry& a, const torvel::FolderEntry& b) {
                      return a.sortKey < b.sortKey;
                  });
        benchmark::DoNotOptimize(entries->data());
    }
    ::nftw(root.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

BENCHMARK(listTenThousandSubfolders)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
