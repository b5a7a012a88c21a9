// is_intel_report in a process whose address space is too small for the
// report's first word. Host only: it limits the address space with
// setrlimit, which a sanitized build cannot run under, so this program is
// built without sanitizers.

#include "report_check.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A first word of 4 GiB: a sparse file reads as NUL bytes, which belong to
// the word, so it costs no disk space.
constexpr off_t kWordSize = off_t{4} << 30;
// How much address space the child process may add to what it already has.
constexpr rlim_t kAddressSpaceAllowance = rlim_t{256} << 20;

constexpr int kExitIntel = 10;
constexpr int kExitNotIntel = 11;

class ReportCheckOutOfMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (fs::temp_directory_path() /
             ("report_check_memory_test-" + std::to_string(getpid())))
                .string();
  }
  void TearDown() override { std::remove(path_.c_str()); }

  // A report whose first word is kWordSize bytes, with `mark` written at
  // `offset` into it.
  void WriteHugeWord(off_t offset, const std::string& mark) const {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(0, fseeko(file, offset, SEEK_SET));
    std::fputs(mark.c_str(), file);
    ASSERT_EQ(0, ftruncate(fileno(file), kWordSize));
    std::fclose(file);
  }

  // Runs the check with the address space limited, and exits with its
  // answer. Runs in the death test's child process.
  [[noreturn]] void CheckWithLimitedMemory() const {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t in_use = static_cast<rlim_t>(pages) *
                          static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    const rlimit limit = {in_use + kAddressSpaceAllowance,
                          in_use + kAddressSpaceAllowance};
    if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(2);
    std::_Exit(is_intel_report(path_.c_str()) ? kExitIntel : kExitNotIntel);
  }

  std::string path_;
};

TEST_F(ReportCheckOutOfMemoryTest, MarkReadBeforeMemoryRunsOutCounts) {
  WriteHugeWord(1024, "Genuine");
  EXPECT_EXIT(CheckWithLimitedMemory(), ::testing::ExitedWithCode(kExitIntel),
              "");
}

TEST_F(ReportCheckOutOfMemoryTest, MarkBeyondMemoryIsNotReached) {
  WriteHugeWord(kWordSize - 8, "Genuine");
  EXPECT_EXIT(CheckWithLimitedMemory(),
              ::testing::ExitedWithCode(kExitNotIntel), "");
}

}  // namespace
