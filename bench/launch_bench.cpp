// Times launcher.exe under Wine, with the stand-in tool and main
// application of the tests:
//   launch_to_main   from starting the launcher until the main application
//                    has started (its own clock reading, written at start)
//   launcher_run     from starting the launcher until it has ended
//   ten_exits        ten_exits.exe: ten bare interpreter starts, the floor
//                    under the launcher's ten command lines
// Prints "name median min max" in milliseconds, one line per measure.
//   launch_bench [RUNS]      (default 15, after one warm-up run of each)
// The launcher and ten_exits.exe take turns.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "windows_process.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = R"(c:\launch-bench)";

// Runs `program` in `folder` with its output discarded, and waits for it.
bool Run(const fs::path& program, const fs::path& folder) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process = {};
  std::string command_line = "\"" + program.string() + "\"";
  const BOOL started =
      CreateProcessA(program.string().c_str(), command_line.data(), nullptr,
                     nullptr, TRUE, 0, nullptr, folder.string().c_str(),
                     &startup, &process);
  CloseHandle(nul);
  if (started == FALSE) return false;
  const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

bool WaitForFile(const fs::path& path) {
  for (int waited = 0; waited < 10000; waited += 5) {
    if (fs::exists(path)) return true;
    Sleep(5);
  }
  return false;
}

void Print(const char* name, std::vector<double> samples) {
  if (samples.empty()) {
    std::printf("%s failed\n", name);
    return;
  }
  std::sort(samples.begin(), samples.end());
  std::printf("%s %.1f %.1f %.1f\n", name, samples[samples.size() / 2],
              samples.front(), samples.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const fs::path programs = ProgramFolder();
  const fs::path deploy = kRoot / "deploy";
  const fs::path records = kRoot / "records";
  std::error_code error;
  fs::remove_all(kRoot, error);
  fs::create_directories(deploy / "assets");
  fs::create_directories(records);
  fs::copy_file(programs / "launcher.exe", deploy / "launcher.exe");
  fs::copy_file(programs / "standin_cpuinfo.exe", deploy / "cpuinfo.exe");
  fs::copy_file(programs / "standin_main.exe", deploy / "assets" / "main.exe");
  std::ofstream(records / "report.bin", std::ios::binary) << "GenuineIntel\r\n";
  SetEnvironmentVariableA("STANDIN_RECORD_DIR", records.string().c_str());
  SetEnvironmentVariableA("STANDIN_REPORT_FILE",
                          (records / "report.bin").string().c_str());

  // The launcher and ten_exits.exe take turns, so that a change in the
  // machine's load falls on both alike. Run 0 of each warms up.
  std::vector<double> to_main;
  std::vector<double> whole_run;
  std::vector<double> ten_exits;
  for (int run = 0; run <= runs; ++run) {
    fs::remove_all(R"(c:\User)", error);
    fs::remove(records / "main_started", error);
    fs::remove(records / "main_ended", error);
    double start = SystemClockMs();
    const bool launcher_ended = Run(deploy / "launcher.exe", deploy);
    double end = SystemClockMs();
    if (launcher_ended && WaitForFile(records / "main_ended") && run > 0) {
      unsigned long pid = 0;
      double main_started = 0;
      std::ifstream(records / "main_started") >> pid >> main_started;
      whole_run.push_back(end - start);
      to_main.push_back(main_started - start);
    }

    start = SystemClockMs();
    const bool exits_ended = Run(programs / "ten_exits.exe", deploy);
    end = SystemClockMs();
    if (exits_ended && run > 0) ten_exits.push_back(end - start);
  }

  Print("launch_to_main", to_main);
  Print("launcher_run", whole_run);
  Print("ten_exits", ten_exits);
  fs::remove_all(kRoot, error);
  fs::remove_all(R"(c:\User)", error);
  return 0;
}
