// Runs the fuzz target over saved inputs, without libFuzzer:
//   report_check_fuzz_replay FILE_OR_FOLDER...
// Exits non-zero when an input fails (the target aborts), or none was found.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

void Replay(const fs::path& input) {
  std::ifstream in(input, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in),
                          std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                         bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> inputs;
    if (fs::is_directory(argv[i])) {
      for (const auto& entry : fs::directory_iterator(argv[i]))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
          inputs.push_back(entry.path());
    } else {
      inputs.emplace_back(argv[i]);
    }
    for (const auto& input : inputs) {
      Replay(input);
      ++replayed;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  return replayed > 0 ? 0 : 1;
}
