// The uninstaller's decision on a crafted "setup.log" of the largest size it
// reads (16 MiB), in the shapes that once took it minutes: one line of
// thousands of folders, thousands of shortcuts each beside a folder entry,
// files each in a deep folder of its own, and a plain large installation.
// Each run reads the text as the uninstaller does and plans the removals.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "setup/InstallUndo.h"

namespace {

constexpr size_t kLogBytes = 16 * 1024 * 1024;
const std::string kPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const std::string kInstallation = "C:\\Program Files\\App";

TUndoLimits Limits()
{
    TUndoLimits limits;
    limits.WindowsFolder = "C:\\Windows";
    limits.ShellFolders = {"C:\\Program Files", kPrograms, "C:\\Users\\Public\\Desktop"};
    limits.Installation = kInstallation;
    limits.ProgramsFolders = {kPrograms};
    limits.Desktops = {"C:\\Users\\Public\\Desktop"};
    limits.Title = "App";
    return limits;
}

// Header, then lines from make(i) until the text reaches the log's size or the entries their cap.
template <typename TMake>
std::string Log(TMake make)
{
    std::string text = "SetupLOG\r\nNAME=App\r\nKEY=App\r\n";
    for (size_t i = 0; i < kMaxLogEntries; ++i) {
        const std::string line = make(i) + "\r\n";
        if (text.size() + line.size() > kLogBytes) break;
        text += line;
    }
    return text;
}

std::string OneLineOfFolders(size_t)
{
    std::string line = "DIRECTORY=" + kInstallation;
    while (line.size() < kLogBytes - 64) line += "\\a";
    return line;
}

std::string LinkBesideFolder(size_t i)
{
    const std::string folder = kPrograms + "\\F" + std::to_string(i / 2);
    return i % 2 ? "DIRECTORY=" + folder : "LINK=" + folder + "\\App.lnk";
}

std::string FileInDeepFolder(size_t i)
{
    std::string path = kInstallation;
    for (size_t level = 0; level < 20; ++level) path += "\\d" + std::to_string((i >> level) & 3);
    return "COPYFILE=" + path + "\\f" + std::to_string(i) + ".txt";
}

std::string Installation(size_t i)
{
    return "COPYFILE=" + kInstallation + "\\Data\\Part" + std::to_string(i / 100) + "\\file" + std::to_string(i) + ".dat";
}

void PlanRemovals(benchmark::State& state, const std::string& text)
{
    const TUndoLimits limits = Limits();
    size_t removals = 0;
    for (auto _ : state) {
        TSetupLog log;
        const bool read = ParseSetupLog(text, log);
        const TUndoPlan plan = read ? UndoPlan(log.Entries, limits) : TUndoPlan{};
        benchmark::DoNotOptimize(plan.Removals.data());
        removals = plan.TooLarge ? 0 : plan.Removals.size();
    }
    state.counters["entries"] = static_cast<double>(std::count(text.begin(), text.end(), '\n') - 3);
    state.counters["removals"] = static_cast<double>(removals);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_OneLineOfFolders(benchmark::State& state)
{
    PlanRemovals(state, "SetupLOG\r\nNAME=App\r\nKEY=App\r\n" + OneLineOfFolders(0) + "\r\n");
}

void BM_LinksBesideFolders(benchmark::State& state)
{
    PlanRemovals(state, Log(LinkBesideFolder) + "DIRECTORY=" + kInstallation + "\r\n");
}

void BM_FilesInDeepFolders(benchmark::State& state)
{
    PlanRemovals(state, Log(FileInDeepFolder) + "DIRECTORY=" + kInstallation + "\r\n");
}

void BM_LargeInstallation(benchmark::State& state)
{
    PlanRemovals(state, Log(Installation) + "DIRECTORY=" + kInstallation + "\r\n");
}

BENCHMARK(BM_OneLineOfFolders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinksBesideFolders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilesInDeepFolders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargeInstallation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
