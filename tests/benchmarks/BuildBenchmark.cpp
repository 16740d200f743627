// Time and peak memory of `zoreva-pack build` on a 200 MiB workspace of mixed
// data and of unpacking the setup as the setup program does (the payload, then
// every nested archive), side by side with `archive` and `extract --with-paths`
// of the same files. Each step is one child process; its peak resident memory
// comes from wait4. Run: build_benchmark

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/TestSupport.h"
#include "tests/tools/TestPrograms.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMiB = 1 << 20;
constexpr size_t kMemberSize = 8 * kMiB;
constexpr int kAdditionalMembers = 24;  // with Graphics, 200 MiB in all
constexpr int kGraphicsMembers = 4;
constexpr size_t kGraphicsSize = 2 * kMiB;

// A quarter each of text, random bytes, long runs, and text with noise mixed in.
Bytes MixedData(size_t size, int index)
{
    const auto seed = static_cast<uint32_t>(index + 1);
    switch (index % 4) {
    case 0: return SampleText(size, seed);
    case 1: return SampleRandom(size, seed);
    case 2: {
        // Runs of its own for each file: identical files would be stored once, not compressed.
        Bytes runs(size);
        for (size_t i = 0; i < runs.size(); ++i) runs[i] = static_cast<uint8_t>((i / 4096) * 37 + seed);
        return runs;
    }
    default: {
        Bytes blend = SampleText(size, seed);
        const Bytes noise = SampleRandom(size / 8, seed);
        for (size_t i = 0; i < noise.size(); ++i) blend[i * 8] = noise[i];
        return blend;
    }
    }
}

size_t BytesBelow(const fs::path& folder)
{
    size_t total = 0;
    for (const auto& item : fs::recursive_directory_iterator(folder))
        if (item.is_regular_file()) total += item.file_size();
    return total;
}

// Setup.ini, Graphics/*, and Additional spread over folders two deep.
void WriteWorkspace(const fs::path& ws)
{
    const char* const folders[] = {"", "Program", "Program/Data", "Help"};
    for (const char* folder : folders) fs::create_directories(ws / "Additional" / folder);
    fs::create_directories(ws / "Graphics");
    WriteAll(ws / "Setup.ini", TextBytes("[Setup]\r\nTitle=Benchmark\r\n"));
    for (int i = 0; i < kGraphicsMembers; ++i)
        WriteAll(ws / "Graphics" / ("picture" + std::to_string(i) + ".bmp"), MixedData(kGraphicsSize, i + 1));
    for (int i = 0; i < kAdditionalMembers; ++i)
        WriteAll(ws / "Additional" / folders[i % 4] / ("file" + std::to_string(i) + ".bin"), MixedData(kMemberSize, i));
}

// A child's peak memory counts what it had before exec, inherited from this
// process; writing the data in a child of its own keeps this process small.
size_t MakeWorkspace(const fs::path& ws)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        WriteWorkspace(ws);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
    return BytesBelow(ws);
}

struct TFigures {
    double Seconds = 0;
    long PeakKiB = 0;

    void Add(const TFigures& step)
    {
        Seconds += step.Seconds;
        PeakKiB = std::max(PeakKiB, step.PeakKiB);
    }
};

TFigures RunPack(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv{const_cast<char*>(ZOREVA_PACK)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(ZOREVA_PACK, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const TFigures figures{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                           usage.ru_maxrss};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "zoreva-pack %s failed\n", arguments[0].c_str());
        std::exit(1);
    }
    return figures;
}

// The archive into folder, then every nested NAME.x in it into NAME.
void Unpack(const fs::path& archive, const fs::path& folder, TFigures& figures)
{
    figures.Add(RunPack({"extract", archive.string(), folder.string()}));
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.path().extension() != ".x") continue;
        Unpack(item.path(), folder / item.path().stem(), figures);
        fs::remove(item.path());
    }
}

void PrintRow(const char* what, const TFigures& figures, size_t bytes)
{
    std::printf("  %-40s %7.2f s %7.1f MiB/s %8.1f MiB\n", what, figures.Seconds,
                double(bytes) / kMiB / figures.Seconds, double(figures.PeakKiB) / 1024);
}

}  // namespace

int main()
{
    TTempFolder temp;
    const fs::path ws = temp.Path() / "ws";
    std::printf("Writing a workspace of mixed data...\n");
    const size_t input = MakeWorkspace(ws);
    const std::string stub = temp / "stub.exe", setup = temp / "setup.exe", plain = temp / "plain.x";
    TTestProgram program;
    program.Resources = {{"#16", "#1", 0x409, ProgramVersion("setup")}};
    WriteAll(stub, program.Build());

    // The workspace is data, not a setup its Setup.ini check would pass.
    const TFigures build = RunPack({"build", "--no-check", "--stub", stub, "--from", ws.string(), "--out", setup});
    TFigures unpack;
    Unpack(setup, temp.Path() / "unpacked", unpack);
    const TFigures archive = RunPack({"archive", plain, ws.string()});
    const TFigures extract = RunPack({"extract", "--with-paths", plain, temp / "extracted"});

    if (BytesBelow(temp.Path() / "unpacked") != input || BytesBelow(temp.Path() / "extracted") != input) {
        std::fprintf(stderr, "unpacked trees differ in size from the workspace\n");
        return 1;
    }
    std::printf("\n%zu MiB of input; setup.exe %.1f MiB, plain archive %.1f MiB\n", input / kMiB,
                double(fs::file_size(setup)) / kMiB, double(fs::file_size(plain)) / kMiB);
    std::printf("  %-40s %9s %13s %12s\n", "step (MiB/s of input)", "time", "throughput", "peak memory");
    PrintRow("build --stub --from --out", build, input);
    PrintRow("unpack setup.exe (payload, nested .x)", unpack, input);
    PrintRow("archive OUT DIR", archive, input);
    PrintRow("extract --with-paths", extract, input);
    return 0;
}
