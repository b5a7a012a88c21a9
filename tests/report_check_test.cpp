// Tests of is_intel_report. The same cases run on the host build and, under
// Wine, on the Windows build.

#include "report_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <string>

namespace {

// Allocations larger than this fail with std::bad_alloc, so that a test can
// give the check less memory than a long word needs.
std::atomic<std::size_t> g_largest_allocation{
    std::numeric_limits<std::size_t>::max()};

}  // namespace

// GCC sees these pair with each other once inlined, and warns that free
// receives memory from operator new; here that is exactly the design.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  if (size > g_largest_allocation.load()) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t /*size*/) noexcept { std::free(memory); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

namespace fs = std::filesystem;

class ReportFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "-" + test->name();
    std::replace(name.begin(), name.end(), '/', '-');
    folder_ = fs::temp_directory_path() / ("report_check_test-" + name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    path_ = (folder_ / "ver_cmt.txt").string();
  }

  void TearDown() override {
    g_largest_allocation = std::numeric_limits<std::size_t>::max();
    std::error_code error;
    fs::remove_all(folder_, error);
  }

  void Write(const std::string& bytes) const {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
  }

  // The check's answer for a report holding exactly `bytes`.
  bool Check(const std::string& bytes) const {
    Write(bytes);
    return is_intel_report(path_.c_str());
  }

  // True when no handle of this process is open on the report any more.
  bool ReportWasClosed() const {
    std::error_code error;
#ifndef _WIN32
    // POSIX deletes open files too; ask the process's descriptor table.
    const fs::path report = fs::canonical(path_, error);
    const fs::directory_iterator open_files("/proc/self/fd", error);
    if (std::any_of(begin(open_files), end(open_files), [&](const auto& fd) {
          return fs::read_symlink(fd.path(), error) == report;
        })) {
      return false;
    }
#endif
    // Windows refuses to delete a file that is still open.
    return fs::remove(path_, error) && !error;
  }

  fs::path folder_;
  std::string path_;
};

// --- One table of report contents --------------------------------------------

struct ReportCase {
  const char* name;
  std::string bytes;
  bool is_intel;
};

std::string Bytes(const char* text, std::size_t size) { return {text, size}; }

const ReportCase kReportCases[] = {
    // The first word decides, however the report goes on.
    {"GenuineIntelThenLineEnd", "GenuineIntel\r\n", true},
    {"GenuineIntelThenLf", "GenuineIntel\n", true},
    {"GenuineIntelThenMoreWords",
     "GenuineIntel Intel(R) Core(TM) i7\r\nfamily 6 model 158\r\n", true},
    {"GenuineIntelAtEndOfFile", "GenuineIntel", true},
    {"JustGenuine", "Genuine", true},
    {"BlankLinesBlanksAndTabsFirst", "\r\n\r\n\n  \t \t GenuineIntel\r\n", true},
    {"AuthenticAMD", "AuthenticAMD\r\nAMD Ryzen 7\r\n", false},
    {"LowerCase", "genuineintel\r\n", false},
    {"UpperCase", "GENUINEINTEL\r\n", false},
    {"MarkInsideWord", "xGenuinex", true},
    {"MarkAtEndOfWord", "NotReallyGenuine\r\n", true},
    {"MarkCutShort", "Genuin", false},
    {"MarkAsSecondWord", "AuthenticAMD GenuineIntel\r\n", false},
    {"MarkOnSecondLine", "unknown\r\nGenuineIntel\r\n", false},
    {"MarkLaterInFirstLine", "CPU: GenuineIntel\r\n", false},

    // Each of the six white-space bytes ends the word, and is skipped before.
    {"TabEndsWord", "Genu\tine", false},
    {"LineFeedEndsWord", "Genu\nine", false},
    {"VerticalTabEndsWord", "Genu\vine", false},
    {"FormFeedEndsWord", "Genu\fine", false},
    {"CarriageReturnEndsWord", "Genu\rine", false},
    {"BlankEndsWord", "Genu ine", false},
    {"AllWhiteSpaceSkipped", "\t\n\v\f\r GenuineIntel", true},
    {"OnlyWhiteSpace", " \t\r\n\v\f\r\n", false},

    // Nothing else is white space: not NUL, not bytes 128 to 255.
    {"NulBeforeMark", Bytes("\0GenuineIntel", 13), true},
    {"NulInsideMark", Bytes("Genu\0ine", 8), false},
    {"NulAfterMark", Bytes("Genuine\0Intel", 13), true},
    {"NoBreakSpaceIsPartOfWord", "\xa0GenuineIntel", true},
    {"NextLineIsPartOfWord", "\x85GenuineIntel", true},
    {"HighByteInsideMark", "Genu\xa0ine", false},
    {"ByteBelowTabIsPartOfWord", "\x08GenuineIntel", true},
    {"ByteAfterCarriageReturnIsPartOfWord", "\x0eGenuineIntel", true},
    {"ByteBeforeBlankIsPartOfWord", "\x1fGenuineIntel", true},

    // Byte 26 ends the text, as in a Windows text-mode file.
    {"Byte26First", "\x1aGenuineIntel\r\n", false},
    {"Byte26AfterWhiteSpace", " \r\n\x1aGenuineIntel", false},
    {"Byte26InsideWord", "x\x1aGenuineIntel", false},
    {"Byte26AfterMark", "GenuineIntel\x1a", true},
    {"Byte26AfterWord", "GenuineIntel\x1a more", true},

    // Words longer than any read buffer.
    {"MarkAfterLongPrefix", std::string(1 << 20, 'x') + "Genuine", true},
    {"MarkAcrossByte8KiB", std::string(8189, 'x') + "Genuine", true},
    {"MarkAcrossByte64KiB", std::string(65533, 'x') + "Genuine", true},
    {"WordEndsAtByte64KiB", std::string(65536, 'x') + " Genuine", false},
    {"Byte26AfterLongWhiteSpace", std::string(70000, ' ') + "\x1aGenuine", false},
    {"LongWhiteSpaceRunFirst", std::string(100000, ' ') + "GenuineIntel", true},
    {"LongFirstWordWithoutMark", std::string(1 << 20, 'x') + " Genuine",
     false},

    {"EmptyReport", "", false},
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReportCase& report_case, std::ostream* out) {
  *out << report_case.name;
}

class ReportCheckTest : public ReportFile,
                        public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportCheckTest, AnswersFromFirstWord) {
  EXPECT_EQ(GetParam().is_intel, Check(GetParam().bytes));
  EXPECT_TRUE(ReportWasClosed());
}

#ifdef _WIN32
// The check reads in binary mode and applies text mode's rules itself. On
// Windows the C runtime's own text mode is at hand, so compare against it.
bool FirstWordHasMarkInTextMode(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  std::string word;
  int c = std::fgetc(file);
  while (c == ' ' || (c >= '\t' && c <= '\r')) c = std::fgetc(file);
  while (c != EOF && c != ' ' && !(c >= '\t' && c <= '\r')) {
    word.push_back(static_cast<char>(c));
    c = std::fgetc(file);
  }
  std::fclose(file);
  return word.find("Genuine") != std::string::npos;
}

TEST_P(ReportCheckTest, AgreesWithWindowsTextMode) {
  Write(GetParam().bytes);
  EXPECT_EQ(FirstWordHasMarkInTextMode(path_), is_intel_report(path_.c_str()));
}
#endif

INSTANTIATE_TEST_SUITE_P(Reports, ReportCheckTest,
                         ::testing::ValuesIn(kReportCases),
                         [](const auto& test_case) { return test_case.param.name; });

// --- Words and white space across the reader's chunk boundaries ---------------

// Where the check's reads end: it reads 4 KiB, then twice as much each time
// up to 64 KiB.
constexpr std::size_t kChunkEnds[] = {4096, 12288, 28672, 61440, 126976, 192512};

TEST_F(ReportFile, MarkAcrossChunkBoundaryIsFound) {
  for (const std::size_t boundary : kChunkEnds) {
    for (std::size_t start = boundary - 7; start <= boundary; ++start) {
      SCOPED_TRACE("mark at byte " + std::to_string(start));
      EXPECT_TRUE(Check(std::string(start, 'x') + "Genuine tail"));
    }
  }
}

TEST_F(ReportFile, WhiteSpaceAndWordEndsAtChunkBoundary) {
  for (const std::size_t boundary : kChunkEnds) {
    for (std::size_t length = boundary - 1; length <= boundary + 1; ++length) {
      SCOPED_TRACE("run of " + std::to_string(length) + " bytes");
      EXPECT_TRUE(Check(std::string(length, ' ') + "GenuineIntel"));
      EXPECT_FALSE(Check(std::string(length, ' ') + "\x1aGenuineIntel"));
      EXPECT_FALSE(Check(std::string(length, 'x') + " Genuine"));
      EXPECT_FALSE(Check(std::string(length, 'x') + "\x1aGenuine"));
    }
  }
}

// --- Reports that cannot be read ----------------------------------------------

TEST_F(ReportFile, MissingReportIsNotIntel) {
  EXPECT_FALSE(is_intel_report((folder_ / "missing.txt").string().c_str()));
}

TEST_F(ReportFile, MissingFolderIsNotIntel) {
  EXPECT_FALSE(
      is_intel_report((folder_ / "no" / "such" / "ver_cmt.txt").string().c_str()));
}

TEST_F(ReportFile, FolderGivenAsReportIsNotIntel) {
  fs::create_directories(folder_ / "GenuineIntel");
  EXPECT_FALSE(is_intel_report((folder_ / "GenuineIntel").string().c_str()));
}

TEST_F(ReportFile, EmptyPathIsNotIntel) { EXPECT_FALSE(is_intel_report("")); }

TEST_F(ReportFile, ReportHoldingNoWordIsClosed) {
  EXPECT_FALSE(Check("\r\n \t"));
  EXPECT_TRUE(ReportWasClosed());
}

// --- Too little memory for the word --------------------------------------------

class ReportCheckMemoryTest : public ReportFile {
 protected:
  static constexpr std::size_t kMemoryForWord = std::size_t{64} * 1024;
  const std::string filler_ = std::string(4 * kMemoryForWord, 'x');
};

TEST_F(ReportCheckMemoryTest, MarkReadBeforeMemoryRunsOutCounts) {
  Write("Genuine" + filler_ + "\r\n");
  g_largest_allocation = kMemoryForWord;
  EXPECT_TRUE(is_intel_report(path_.c_str()));
  g_largest_allocation = std::numeric_limits<std::size_t>::max();
  EXPECT_TRUE(ReportWasClosed());
}

TEST_F(ReportCheckMemoryTest, MarkBeyondMemoryIsNeverReached) {
  Write(filler_ + "Genuine\r\n");
  g_largest_allocation = kMemoryForWord;
  EXPECT_FALSE(is_intel_report(path_.c_str()));
  g_largest_allocation = std::numeric_limits<std::size_t>::max();
  EXPECT_TRUE(ReportWasClosed());
  // With memory enough, the same report is Intel.
  EXPECT_TRUE(Check(filler_ + "Genuine\r\n"));
}

}  // namespace
