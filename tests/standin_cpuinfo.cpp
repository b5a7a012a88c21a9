// Stand-in for the companion tool cpuinfo.exe in the end-to-end tests.
//
// Writes the bytes of the file named by STANDIN_REPORT_FILE to standard
// output, unchanged (nothing at all when the variable is unset), and appends
// one line per run to tool_runs.txt in STANDIN_RECORD_DIR:
//   <path of this program>|<kind of its standard output: disk, char, pipe>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string OutputKind(HANDLE output) {
  switch (GetFileType(output)) {
    case FILE_TYPE_DISK: return "disk";
    case FILE_TYPE_CHAR: return "char";
    case FILE_TYPE_PIPE: return "pipe";
    default: return "unknown";
  }
}

}  // namespace

int main() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);

  if (const char* record_dir = std::getenv("STANDIN_RECORD_DIR")) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::ofstream runs(std::string(record_dir) + "\\tool_runs.txt",
                       std::ios::binary | std::ios::app);
    runs << self << '|' << OutputKind(output) << '\n';
  }

  if (const char* report_file = std::getenv("STANDIN_REPORT_FILE")) {
    std::ifstream in(report_file, std::ios::binary);
    const std::string report{std::istreambuf_iterator<char>(in),
                             std::istreambuf_iterator<char>()};
    // WriteFile rather than stdio: no text-mode translation of any byte.
    DWORD written = 0;
    WriteFile(output, report.data(), static_cast<DWORD>(report.size()),
              &written, nullptr);
  }
  return 0;
}
