// Example main application for launcher.exe.
//
// Reads the flag file c:\User\ZUQ\ver.txt that the launcher wrote just
// before starting it, and the first line of the processor report capture
// ver_branding.txt, and tells what it found: on its console and in main.log
// beside itself. A real main application would read the flag the same way.

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "flag_report.h"

namespace {

const char kFlagFile[] = R"(c:\User\ZUQ\ver.txt)";
const char kBrandingFile[] = R"(c:\User\ZUQ\ver_branding.txt)";

std::optional<std::string> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string{std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>()};
}

// main.log in the folder of this program, wherever it was started from.
std::string LogPath() {
#ifdef _WIN32
  char self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length);
  return path.substr(0, path.find_last_of("\\/") + 1) + "main.log";
#else
  return "main.log";
#endif
}

}  // namespace

int main() {
  const std::string report =
      "main.exe (example) found:\n" +
      describe_findings(ReadFile(kFlagFile), ReadFile(kBrandingFile));
  std::cout << report << std::flush;
  std::ofstream(LogPath()) << report;
  return 0;
}
