// Fuzz target for is_intel_report: each input is written to a report file,
// checked, and the answer compared with a plain reading of the same bytes.
//
// Built with libFuzzer by the `fuzz` preset; replay_main.cpp runs the same
// target over saved inputs in the host tests.

#include "report_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

// The report's first word, read the simplest way: white space is tab to
// carriage return and blank, byte 26 ends the text.
bool FirstWordHasMark(std::string_view report) {
  const auto is_space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  std::size_t at = 0;
  while (at < report.size() && report[at] != 26 && is_space(report[at])) ++at;
  std::string word;
  while (at < report.size() && report[at] != 26 && !is_space(report[at]))
    word += report[at++];
  return word.find("Genuine") != std::string::npos;
}

const std::string& ReportPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() /
       ("report_check_fuzzer-" + std::to_string(getpid()) + ".txt"))
          .string();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = ReportPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  const std::string_view report(reinterpret_cast<const char*>(data), size);
  if (is_intel_report(path.c_str()) != FirstWordHasMark(report)) {
    std::fprintf(stderr, "is_intel_report disagrees on a %zu-byte report\n", size);
    std::abort();
  }
  return 0;
}
