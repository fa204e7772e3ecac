// An idle tick of the hotkey poll (nothing pressed: one read of the settings file, every
// function's key taken from it, Alt's three keys and each assigned key queried once) against
// the floor that a poll which reads the file at each tick has to pay: one bare
// open+read+close of the same file. Prints both and their ratio: what the tick costs beyond the
// read it cannot do without. The figure that a user feels is the idle CPU under Wine beside the
// floor of polling, measured by the idle tool; this one only shows where a tick's time goes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fakes/fakes.hpp"
#include "hotkeys/catalogue.hpp"
#include "hotkeys/poll.hpp"
#include "settings/settings.hpp"

namespace {

namespace fs = std::filesystem;

// A settings file as the program writes it once every function has a key: 27 lines.
struct SettingsFolder {
    fs::path folder;
    std::string settings_file;

    SettingsFolder() {
        std::string pattern = (fs::temp_directory_path() / "kestrune-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        settings_file = (folder / "settings.ini").string();
        std::ofstream out(settings_file, std::ios::binary);
        out << "[KEYS]\r\n";
        int code = 112;  // F1, F2, ...
        for (const auto& function : kestrune::kCatalogue) {
            out << function.settings_key << "=" << code << "\r\n";
            out << function.settings_key << "_n=F" << (code - 111) << "\r\n";
            ++code;
        }
        out << "[OTHER]\r\nexecuted=123456\r\n";
    }
    ~SettingsFolder() { fs::remove_all(folder); }
};

SettingsFolder& Folder() {
    static SettingsFolder folder;
    return folder;
}

// Nothing is pressed. The fake keyboard of the tests would add its own bookkeeping to each
// query; what the system's keyboard state costs is measured under Wine (the idle tool's
// "keys" row).
class NothingPressed final : public kestrune::KeyState {
  public:
    std::int16_t Query(std::int32_t) override { return 0; }
};

void BM_IdleTick(benchmark::State& state) {
    NothingPressed keys;
    kestrune::fakes::FakePlayer player;
    kestrune::fakes::FakeHost host(Folder().folder.string());
    kestrune::PollMemory memory;
    for (auto _ : state) kestrune::RunKeyCheckTick(keys, player, host, memory);
    if (!player.received.empty()) state.SkipWithError("an idle tick sent a command");
}
BENCHMARK(BM_IdleTick);

void BM_OneBareRead(benchmark::State& state) {
    const std::string& path = Folder().settings_file;
    char buffer[4096];
    for (auto _ : state) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t n = read(fd, buffer, sizeof buffer);
        close(fd);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_OneBareRead);

// Keeps each benchmark's time per iteration (the median, when repetitions are asked for) so
// that the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[name] = run.GetAdjustedRealTime();
            } else if (run.run_type == Run::RT_Iteration) {
                singles[name] = run.GetAdjustedRealTime();
            }
        }
    }
    double Time(const std::string& name) const {
        if (auto it = medians.find(name); it != medians.end()) return it->second;
        if (auto it = singles.find(name); it != singles.end()) return it->second;
        return 0;
    }

  private:
    std::map<std::string, double> medians;
    std::map<std::string, double> singles;
};

}  // namespace

int main(int argc, char** argv) {
    // Repetitions of the two benchmarks alternate in random order, so that a machine that
    // slows down or speeds up during the run weighs on both sides of the ratio alike. A flag
    // given on the command line comes later and wins.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double tick = reporter.Time("BM_IdleTick");
    const double floor = reporter.Time("BM_OneBareRead");
    if (tick > 0 && floor > 0) {
        std::printf("idle tick %.0f ns, one bare read %.0f ns, ratio %.2f\n", tick, floor,
                    tick / floor);
    }
    return 0;
}
