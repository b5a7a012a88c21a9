// Small Windows helpers shared by the end-to-end tests, their stand-ins and
// the launch benchmark.

#ifndef LAUNCHER_TESTS_WINDOWS_PROCESS_H_
#define LAUNCHER_TESTS_WINDOWS_PROCESS_H_

#include <windows.h>

#include <filesystem>
#include <string>

// The folder that holds the running program: the tests' programs and
// launcher.exe are all built into it.
inline std::filesystem::path ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::filesystem::path(std::string(path, length)).parent_path();
}

// Milliseconds of the system clock. Every process reads the same clock, so
// a time one process writes down can be compared with another's.
inline double SystemClockMs() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const auto ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                     now.dwLowDateTime;
  return static_cast<double>(ticks) / 10000.0;  // 100 ns ticks
}

#endif  // LAUNCHER_TESTS_WINDOWS_PROCESS_H_
