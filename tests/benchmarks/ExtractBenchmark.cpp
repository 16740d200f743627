// Extraction throughput of the archive reader against zlib inflating the same
// member streams on its own, and the peak memory of `zoreva-pack extract` for
// a small and a large member. Run: extract_benchmark [benchmark flags].

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "archive/ZLIBArchive.h"
#include "archive/ZLIBArchiveWriter.h"
#include "tests/TestSupport.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMiB = 1 << 20;
constexpr size_t kMemberSize = 4 * kMiB;
constexpr int kMembers = 16;  // 64 MiB in all

// A quarter each of text, random bytes, long runs, and text with noise mixed in.
Bytes MixedMember(int index)
{
    const auto seed = static_cast<uint32_t>(index + 1);
    switch (index % 4) {
    case 0: return SampleText(kMemberSize, seed);
    case 1: return SampleRandom(kMemberSize, seed);
    case 2: {
        Bytes runs(kMemberSize);
        for (size_t i = 0; i < runs.size(); ++i) runs[i] = static_cast<uint8_t>((i / 4096) * 37);
        return runs;
    }
    default: {
        Bytes blend = SampleText(kMemberSize, seed);
        const Bytes noise = SampleRandom(kMemberSize / 8, seed);
        for (size_t i = 0; i < noise.size(); ++i) blend[i * 8] = noise[i];
        return blend;
    }
    }
}

struct TFixture {
    TTempFolder Temp;
    std::string Archive;
    std::vector<TZLBFileEntry> Entries;

    TFixture()
    {
        Archive = Temp / "mixed.x";
        TZLBArchiveWriter writer(Archive, TFileCompressionLevel::fcDefault, true);
        for (int i = 0; i < kMembers; ++i) {
            const std::string source = Temp / "source.bin";
            WriteAll(source, MixedMember(i));
            writer.AddFile(source, "member" + std::to_string(i) + ".bin", "");
        }
        writer.Finish();
        fs::remove(Temp / "source.bin");
        TZLBArchive reader;
        reader.OpenArchive(Archive);
        Entries.resize(static_cast<size_t>(reader.FileCount()));
        for (int i = 0; i < reader.FileCount(); ++i) reader.GetFileEntry(i, Entries[static_cast<size_t>(i)]);
    }
};

TFixture& Fixture()
{
    static TFixture fixture;
    return fixture;
}

struct TThroughput {
    double Bytes = 0;
    double Seconds = 0;
    double MiBPerSecond() const { return Seconds > 0 ? Bytes / kMiB / Seconds : 0; }
};
TThroughput ZlibFigures, ZlibFileFigures, ReaderFigures;

template <typename Work>
void Measure(benchmark::State& state, TThroughput& figures, Work work)
{
    const double total = double(kMemberSize) * kMembers;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        work();
        figures.Seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        figures.Bytes += total;
    }
    state.SetBytesProcessed(static_cast<int64_t>(total) * state.iterations());
}

// zlib alone: read each member's stream from the archive file and inflate it
// into a buffer, then (when writing) to a file of its own as the reader does.
void InflateMembers(const TFixture& fixture, bool writing)
{
    FILE* file = std::fopen(fixture.Archive.c_str(), "rb");
    std::vector<Bytef> input(kInflateBlockSize), output(kInflateBlockSize);
    for (const TZLBFileEntry& entry : fixture.Entries) {
        FILE* target = writing ? std::fopen((fixture.Temp / ("zlib-" + entry.FileName())).c_str(), "wb") : nullptr;
        std::fseek(file, entry.DataOffset(), SEEK_SET);
        z_stream stream{};
        inflateInit(&stream);
        int result = Z_OK;
        while (result != Z_STREAM_END) {
            if (stream.avail_in == 0) {
                stream.avail_in = static_cast<uInt>(std::fread(input.data(), 1, input.size(), file));
                stream.next_in = input.data();
            }
            stream.next_out = output.data();
            stream.avail_out = static_cast<uInt>(output.size());
            result = inflate(&stream, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END) break;
            if (target) std::fwrite(output.data(), 1, output.size() - stream.avail_out, target);
            benchmark::DoNotOptimize(output.data());
        }
        inflateEnd(&stream);
        if (target) std::fclose(target);
    }
    std::fclose(file);
}

void BM_ZlibInflate(benchmark::State& state)
{
    Measure(state, ZlibFigures, [] { InflateMembers(Fixture(), false); });
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_ZlibInflateToFiles(benchmark::State& state)
{
    Measure(state, ZlibFileFigures, [] { InflateMembers(Fixture(), true); });
}
BENCHMARK(BM_ZlibInflateToFiles)->Unit(benchmark::kMillisecond)->MinTime(3);

// The reader as `zoreva-pack extract` uses it: open (whole-file CRC-32),
// extract every member to disk, close.
void BM_ReaderExtract(benchmark::State& state)
{
    TFixture& fixture = Fixture();
    const std::string dest = fixture.Temp / "dest";
    fs::create_directories(dest);
    Measure(state, ReaderFigures, [&] {
        TZLBArchive reader;
        reader.OpenArchive(fixture.Archive);
        reader.ExtractAll(dest + "/");
        reader.CloseArchive();
    });
    fs::remove_all(dest);
}
BENCHMARK(BM_ReaderExtract)->Unit(benchmark::kMillisecond)->MinTime(3);

// Peak resident memory of one `zoreva-pack extract` run, in KiB.
long PeakKiBOfExtract(const std::string& archive, const std::string& dest)
{
    const pid_t child = fork();
    if (child == 0) {
        execl(ZOREVA_PACK, ZOREVA_PACK, "extract", archive.c_str(), dest.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

void ReportPeakMemory()
{
    TTempFolder temp;
    std::printf("\nPeak memory of zoreva-pack extract (one member):\n");
    for (size_t size : {kMiB, 16 * kMiB, 64 * kMiB}) {
        const std::string source = temp / "member.bin", archive = temp / "one.x";
        WriteAll(source, SampleText(size));
        TZLBArchiveWriter writer(archive, TFileCompressionLevel::fcDefault, true);
        writer.AddFile(source, "member.bin", "");
        writer.Finish();
        std::printf("  %3zu MiB member: %6ld KiB\n", size / kMiB, PeakKiBOfExtract(archive, temp / "dest"));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double reader = ReaderFigures.MiBPerSecond();
    std::printf("\nThroughput over 64 MiB of mixed data (MiB/s of output):\n");
    std::printf("  zlib inflate to memory   %6.0f   reader/zlib %.2f\n", ZlibFigures.MiBPerSecond(),
                ZlibFigures.Seconds > 0 ? reader / ZlibFigures.MiBPerSecond() : 0);
    std::printf("  zlib inflate to files    %6.0f   reader/zlib %.2f\n", ZlibFileFigures.MiBPerSecond(),
                ZlibFileFigures.Seconds > 0 ? reader / ZlibFileFigures.MiBPerSecond() : 0);
    std::printf("  reader extract to files  %6.0f\n", reader);
    ReportPeakMemory();
    return 0;
}
