// Stand-in for the main application assets\main.exe in the end-to-end tests.
//
// In STANDIN_RECORD_DIR it writes, in this order:
//   main_started    as soon as it runs: "<process id> <clock reading in ms>"
//   main_saw_ver    the bytes of c:\User\ZUQ\ver.txt as it found them, or
//   main_saw_no_ver when that file could not be opened
//   main_ended      last, just before it exits
// With STANDIN_HOLD_UNTIL set to a file path, it keeps running until that
// file exists (two minutes at most) before it writes main_ended.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "windows_process.h"

namespace {

void Touch(const std::string& path, const std::string& bytes = {}) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const char* path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main() {
  const char* record_dir = std::getenv("STANDIN_RECORD_DIR");
  if (record_dir == nullptr) return 0;
  const std::string records(record_dir);

  // The benchmark compares this clock reading with its own.
  char started[64];
  std::snprintf(started, sizeof started, "%lu %.3f", GetCurrentProcessId(),
                SystemClockMs());
  Touch(records + "\\main_started", started);

  std::ifstream flag_file(R"(c:\User\ZUQ\ver.txt)", std::ios::binary);
  if (flag_file) {
    Touch(records + "\\main_saw_ver",
          std::string{std::istreambuf_iterator<char>(flag_file),
                      std::istreambuf_iterator<char>()});
  } else {
    Touch(records + "\\main_saw_no_ver");
  }
  flag_file.close();

  if (const char* hold_until = std::getenv("STANDIN_HOLD_UNTIL")) {
    for (int waited_ms = 0; waited_ms < 120000 && !Exists(hold_until);
         waited_ms += 20) {
      Sleep(20);
    }
  }

  Touch(records + "\\main_ended");
  return 0;
}
