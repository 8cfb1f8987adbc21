// Reads a generated C1A1 log of more than 200 MB with many recordings and
// reports the throughput and the peak memory of the process. The reader
// streams the file, so the peak must stay far below the file size: only
// what the recordings keep (the data texts and samples) stays in memory.

#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "infra/CLogFile.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// 200 MB is the size the import must handle at a steady pace.
constexpr std::uint64_t kTargetBytes = 210ull * 1024 * 1024;
constexpr int kImagesPerRecording = 500;
// The corrector writes a full aberration table and acquisition notes around
// each measurement; the reader has to skip all of it.
constexpr int kNoiseLinesPerImage = 12;

double PeakResidentMB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
}

// The generated log, written once per run into a fresh temporary folder and
// removed with it when the program ends.
class GeneratedLog {
public:
    static GeneratedLog& Instance() {
        static GeneratedLog log;
        return log;
    }
    ~GeneratedLog() {
        std::error_code ignored;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ignored);
    }
    const std::string& Path() const { return m_path; }
    std::uint64_t Bytes() const { return m_nBytes; }
    int Recordings() const { return m_nRecordings; }

private:
    GeneratedLog() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessaric-bench-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!::mkdtemp(buffer.data()))
            return;
        m_dir = buffer.data();
        m_path = m_dir + "/c1a1_large.log";
        Write();
    }

    void Write() {
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        if (!file)
            return;
        std::uint32_t random = 12345;
        const auto next = [&random](int range) {
            random = random * 1664525u + 1013904223u; // Numerical Recipes LCG
            return static_cast<int>((random >> 8) % static_cast<std::uint32_t>(range));
        };
        int clock = 0;
        char line[512];
        const auto put = [&](int length) {
            std::fwrite(line, 1, static_cast<std::size_t>(length), file);
            m_nBytes += static_cast<std::uint64_t>(length);
        };
        while (m_nBytes < kTargetBytes) {
            put(std::snprintf(line, sizeof line,
                              "2021/01/06 14:%02d:%02d Starting C1A1 series (%d images).\r\n"
                              "2021/01/06 14:%02d:%02d C1A1 series successfully started.\r\n"
                              "2021/01/06 14:%02d:%02d dTime: %d s\r\n",
                              clock / 60 % 60, clock % 60, kImagesPerRecording, clock / 60 % 60,
                              clock % 60, clock / 60 % 60, clock % 60, clock));
            for (int image = 1; image <= kImagesPerRecording; ++image) {
                for (int noise = 0; noise < kNoiseLinesPerImage; ++noise)
                    put(std::snprintf(
                        line, sizeof line,
                        "14:%02d:%02d.%03d [Tuning] tableau %d/%d: B2: %d.%dnm / %d.0deg, "
                        "A2: %d.%dnm / %d.0deg, C3: %d.%dum, S3: %d.%dum / %d.0deg, "
                        "A3: %d.%dum / %d.0deg, tilt 18 mrad\r\n",
                        clock / 60 % 60, clock % 60, next(1000), noise + 1, kNoiseLinesPerImage,
                        next(100), next(10), next(360), next(100), next(10), next(360), next(10),
                        next(10), next(10), next(10), next(360), next(10), next(10), next(360)));
                put(std::snprintf(line, sizeof line,
                                  "14:%02d:%02d.%03d Meas. #%d: C1: %d.%dnm / %d.%ddeg, A1: "
                                  "%d.%02dnm / %d.%ddeg, conf. %d cnts, ok\r\n",
                                  clock / 60 % 60, clock % 60, next(1000), image, next(50),
                                  next(10), next(360), next(10), next(5), next(100), next(360),
                                  next(10), 500 + next(400)));
                clock += 2;
            }
            put(std::snprintf(line, sizeof line,
                              "2021/01/06 14:%02d:%02d C1A1 series stopped by user.\r\n"
                              "2021/01/06 14:%02d:%02d dTime: %d s\r\n",
                              clock / 60 % 60, clock % 60, clock / 60 % 60, clock % 60, clock));
            ++m_nRecordings;
        }
        std::fclose(file);
    }

    std::string m_dir;
    std::string m_path;
    std::uint64_t m_nBytes = 0;
    int m_nRecordings = 0;
};

void BM_ImportLargeC1A1Log(benchmark::State& state) {
    const GeneratedLog& generated = GeneratedLog::Instance();
    if (generated.Recordings() == 0) {
        state.SkipWithError("could not write the generated log");
        return;
    }
    std::size_t series = 0;
    std::size_t samples = 0;
    for (auto _ : state) {
        CLogFile log;
        log.SetSink([](const std::string&) {}); // no file, nobody reads the records
        CA1SeriesList list;
        const int added = ImportC1A1Log(generated.Path(), log, 1, 0.0, list);
        benchmark::DoNotOptimize(added);
        series = list.size();
        samples = 0;
        for (const CA1TimeSeries& one : list)
            samples += one.m_Samples.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * generated.Bytes()));
    state.counters["file_MB"] = static_cast<double>(generated.Bytes()) / (1024.0 * 1024.0);
    state.counters["peak_rss_MB"] = PeakResidentMB();
    state.counters["series"] = static_cast<double>(series);
    state.counters["samples"] = static_cast<double>(samples);
}

} // namespace

BENCHMARK(BM_ImportLargeC1A1Log)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
