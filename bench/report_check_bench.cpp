// Benchmarks of is_intel_report on the host (Google Benchmark):
//  - report size with the first word fixed: the time must stay flat, since
//    nothing after the first word is read;
//  - first-word length: throughput, beside the standard library's own
//    operator>> into a std::string on the same files;
//  - peak memory while reading a 64 MiB word.
// ./dev.sh bench runs this and writes BENCHMARKS.md.

#include "report_check.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;

const fs::path& ScratchFolder() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() /
                    ("report_check_bench-" + std::to_string(getpid()));
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

// The path of the scratch file `name`, made by `make` on first use.
std::string ScratchFile(const std::string& name,
                        const std::function<void(const std::string&)>& make) {
  static std::map<std::string, std::string> made;
  const auto [entry, is_new] = made.emplace(name, (ScratchFolder() / name).string());
  if (is_new) make(entry->second);
  return entry->second;
}

// "GenuineIntel\r\n" and then `tail` bytes. The tail is a hole in a sparse
// file: never read by the check, so it costs no disk space.
std::string ReportWithTail(std::int64_t tail) {
  return ScratchFile("tail-" + std::to_string(tail), [tail](const std::string& path) {
    std::ofstream(path, std::ios::binary) << "GenuineIntel\r\n";
    fs::resize_file(path, 14 + static_cast<std::uintmax_t>(tail));
  });
}

// A first word of `length` bytes (no mark in it), then a line end.
std::string ReportWithWord(std::int64_t length) {
  return ScratchFile("word-" + std::to_string(length), [length](const std::string& path) {
    std::ofstream(path, std::ios::binary)
        << std::string(static_cast<std::size_t>(length), 'x') << "\r\n";
  });
}

void BM_ReportSize(benchmark::State& state) {
  const std::string path = ReportWithTail(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(is_intel_report(path.c_str()));
}
BENCHMARK(BM_ReportSize)->Arg(kKiB)->Arg(kMiB)->Arg(256 * kMiB);

void BM_WordLength(benchmark::State& state) {
  const std::string path = ReportWithWord(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(is_intel_report(path.c_str()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WordLength)->RangeMultiplier(4)->Range(kKiB, 64 * kMiB);

// The same reading with the standard library's extraction operator.
void BM_WordLengthStdExtract(benchmark::State& state) {
  const std::string path = ReportWithWord(state.range(0));
  for (auto _ : state) {
    std::ifstream report(path, std::ios::binary);
    std::string word;
    report >> word;
    benchmark::DoNotOptimize(word.find("Genuine"));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WordLengthStdExtract)->RangeMultiplier(4)->Range(kKiB, 64 * kMiB);

std::int64_t StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::atoll(line.c_str() + std::string(field).size());
  }
  return -1;
}

// Peak resident memory that one check adds, for a 64 MiB word. Linux resets
// the peak (VmHWM) on writing 5 to clear_refs.
void BM_PeakMemory64MiBWord(benchmark::State& state) {
  const std::int64_t word = 64 * kMiB;
  const std::string path = ReportWithWord(word);
  double peak_bytes = 0;
  for (auto _ : state) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::int64_t before = StatusKiB("VmRSS:");
    benchmark::DoNotOptimize(is_intel_report(path.c_str()));
    peak_bytes = static_cast<double>((StatusKiB("VmHWM:") - before) * kKiB);
  }
  state.counters["peak_bytes"] = peak_bytes;
  state.counters["peak_per_word_byte"] = peak_bytes / static_cast<double>(word);
}
BENCHMARK(BM_PeakMemory64MiBWord)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code error;
  fs::remove_all(ScratchFolder(), error);
  return 0;
}
