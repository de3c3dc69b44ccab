// The install-path lookup at start-up: with no prefix at all, and with fourteen prefixes (WINEPREFIX,
// ~/.wine, four Steam roots and the eight further libraries one of them lists) that each hold a
// 64 MB system.reg of hex continuation lines and no game. The crowded lookup should stay within a
// few hundredths of a second of the empty one. Each system.reg is one file under fourteen names.
#include "wine_prefixes.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Homes {
    fs::path root;
    fs::path empty;
    fs::path crowded;

    Homes() {
        std::string pattern = (fs::temp_directory_path() / "quarnel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("bench_install_path: cannot make a folder");
            std::exit(1);
        }
        root = pattern;
        empty = root / "empty";
        crowded = root / "crowded";
        fs::create_directories(empty);

        const fs::path registry = root / "system.reg";
        {
            std::ofstream out(registry, std::ios::binary);
            out << "WINE REGISTRY Version 2\n#arch=win64\n\n[Software\\\\Other]\n\"Blob\"=hex:00,\\\n";
            const std::string line = "  00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,\\\n";
            for (std::size_t written = 0; written < (64u << 20); written += line.size())
                out << line;
            out << "  00\n";
        }
        const fs::path roots[] = {".steam/steam", ".steam/root", ".local/share/Steam",
                                  ".var/app/com.valvesoftware.Steam/.local/share/Steam"};
        std::string vdf = "\"libraryfolders\"\n{\n";
        for (int i = 0; i < 8; ++i)
            vdf += "\t\"" + std::to_string(i + 1) + "\"\t\"" +
                   (crowded / ("lib" + std::to_string(i))).string() + "\"\n";
        vdf += "}\n";
        std::vector<fs::path> prefixes = {crowded / "wineprefix", crowded / ".wine"};
        for (const fs::path& steam : roots)
            prefixes.push_back(crowded / steam / "steamapps/compatdata/361670/pfx");
        for (int i = 0; i < 8; ++i)
            prefixes.push_back(crowded / ("lib" + std::to_string(i)) / "steamapps/compatdata/361670/pfx");
        for (const fs::path& prefix : prefixes) {
            fs::create_directories(prefix);
            fs::create_hard_link(registry, prefix / "system.reg");
        }
        std::ofstream(crowded / roots[0] / "steamapps/libraryfolders.vdf") << vdf;
    }
    ~Homes() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

Homes& TheHomes() {
    static Homes homes;
    return homes;
}

void BM_LookupWithoutPrefixes(benchmark::State& state) {
    const fs::path home = TheHomes().empty;
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::wine::FindInstallPath({home, ""}));
}

void BM_LookupInFourteenCrowdedPrefixes(benchmark::State& state) {
    const Homes& homes = TheHomes();
    if (platform::wine::CandidatePrefixes({homes.crowded, homes.crowded / "wineprefix"}).size() != 14) {
        state.SkipWithError("the fourteen prefixes were not all found");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(
            platform::wine::FindInstallPath({homes.crowded, homes.crowded / "wineprefix"}));
}

} // namespace

BENCHMARK(BM_LookupWithoutPrefixes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupInFourteenCrowdedPrefixes)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_MAIN();
