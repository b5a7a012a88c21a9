// End-to-end tests of launcher.exe: the real program, its `system` reaching
// the real command interpreter (Wine's cmd.exe), with stand-in programs in
// place of cpuinfo.exe and assets\main.exe.
//
// Each case lays out a deployment folder (launcher.exe, cpuinfo.exe,
// assets\main.exe), starts the launcher there and checks files, bytes and
// processes. The cases remove and recreate c:\User, so they run only under
// Wine, where drive C: is the test run's scratch prefix.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "windows_process.h"

namespace fs = std::filesystem;

namespace {

const fs::path kUserFolder = R"(c:\User)";
const fs::path kWorkFolder = R"(c:\User\ZUQ)";
const fs::path kFlagFile = kWorkFolder / "ver.txt";
const fs::path kReportCapture = kWorkFolder / "ver_cmt.txt";
const fs::path kBrandingCapture = kWorkFolder / "ver_branding.txt";
const fs::path kToolCopy = kWorkFolder / "cpuinfo.exe";

const std::string kIntelFlag = "&textfield1=intel\r\n";
const std::string kNoneFlag = "&textfield1=none\r\n";

const std::string kIntelReport =
    "GenuineIntel\r\nIntel(R) Xeon(R) CPU @ 2.20GHz\r\nfamily 6 model 79\r\n";
const std::string kAmdReport =
    "AuthenticAMD\r\nAMD EPYC 7B12\r\nfamily 23 model 49\r\n";

const std::vector<std::string> kFilesAfterRun = {"ver.txt", "ver_branding.txt",
                                                 "ver_cmt.txt"};

constexpr auto kLauncherTimeout = std::chrono::seconds(60);
constexpr auto kMainTimeout = std::chrono::seconds(30);

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr &&
         GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> FileNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  const fs::directory_iterator entries(folder, error);
  std::transform(begin(entries), end(entries), std::back_inserter(names),
                 [](const auto& entry) { return entry.path().filename().string(); });
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void RemoveUserFolder() {
  std::error_code error;
  fs::remove_all(kUserFolder, error);
}

// What one run of the launcher left behind.
struct Launch {
  bool ended = false;  // false: killed after kLauncherTimeout
  DWORD exit_code = STILL_ACTIVE;
  std::string output;  // the launcher's standard output and error
  std::string errors;
};

// A snapshot of the working folder: its file names and their bytes.
struct WorkFolder {
  std::vector<std::pair<std::string, std::string>> files;
  bool operator==(const WorkFolder& other) const { return files == other.files; }
};

WorkFolder ReadWorkFolder() {
  WorkFolder folder;
  for (const auto& name : FileNames(kWorkFolder))
    folder.files.emplace_back(name, ReadBytes(kWorkFolder / name));
  return folder;
}

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunningUnderWine())
      GTEST_SKIP() << "replaces c:\\User: runs only under Wine";

    const std::string name =
        ::testing::UnitTest::GetInstance()->current_test_info()->name();
    records_ = fs::path(R"(c:\launcher-test\records)") / name;
    std::error_code error;
    fs::remove_all(records_, error);
    fs::create_directories(records_);
    UseDeployFolder(fs::path(R"(c:\launcher-test\deploy)") / name);
    RemoveUserFolder();

    SetEnvironmentVariableA("STANDIN_RECORD_DIR", records_.string().c_str());
    SetEnvironmentVariableA("STANDIN_REPORT_FILE",
                            (records_ / "report.bin").string().c_str());
    SetEnvironmentVariableA("STANDIN_HOLD_UNTIL", nullptr);
    SetReport(kIntelReport);
  }

  void TearDown() override {
    if (!RunningUnderWine()) return;
    // Let a held main application go, and wait for it, so that no process
    // of this case outlives it.
    WriteBytes(records_ / "release", "");
    if (MainStarted()) WaitUntil([this] { return MainEnded(); }, kMainTimeout);
    SetEnvironmentVariableA("STANDIN_HOLD_UNTIL", nullptr);
    RemoveUserFolder();
  }

  // Lays out launcher.exe, cpuinfo.exe and assets\main.exe in `folder`.
  void UseDeployFolder(const fs::path& folder) {
    deploy_ = folder;
    std::error_code error;
    fs::remove_all(deploy_, error);
    fs::create_directories(deploy_ / "assets");
    const fs::path programs = ProgramFolder();
    fs::copy_file(programs / "launcher.exe", deploy_ / "launcher.exe");
    fs::copy_file(programs / "standin_cpuinfo.exe", deploy_ / "cpuinfo.exe");
    fs::copy_file(programs / "standin_main.exe",
                  deploy_ / "assets" / "main.exe");
  }

  void SetReport(const std::string& bytes) {
    WriteBytes(records_ / "report.bin", bytes);
  }

  void HoldMainApplication() {
    SetEnvironmentVariableA("STANDIN_HOLD_UNTIL",
                            (records_ / "release").string().c_str());
  }

  // Starts deploy_\launcher.exe with `arguments`, in deploy_ as its current
  // folder, standard input from NUL and its output into files, and waits for
  // it to end.
  Launch RunLauncher(const std::string& arguments = "") {
    Launch launch;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const std::string output_path = (records_ / "launcher_stdout").string();
    const std::string errors_path = (records_ / "launcher_stderr").string();
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit,
                               OPEN_EXISTING, 0, nullptr);
    HANDLE output = CreateFileA(output_path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    HANDLE errors = CreateFileA(errors_path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, 0, nullptr);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process = {};
    const std::string program = (deploy_ / "launcher.exe").string();
    std::string command_line = "\"" + program + "\"";
    if (!arguments.empty()) command_line += " " + arguments;
    const std::string folder = deploy_.string();

    const BOOL started = CreateProcessA(
        program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
        nullptr, folder.c_str(), &startup, &process);
    CloseHandle(input);
    CloseHandle(output);
    CloseHandle(errors);
    if (started == FALSE) {
      ADD_FAILURE() << "cannot start " << program << ": " << GetLastError();
      return launch;
    }
    const auto timeout_ms = static_cast<DWORD>(
        std::chrono::milliseconds(kLauncherTimeout).count());
    launch.ended = WaitForSingleObject(process.hProcess, timeout_ms) ==
                   WAIT_OBJECT_0;
    if (!launch.ended) TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &launch.exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    launch.output = ReadBytes(output_path);
    launch.errors = ReadBytes(errors_path);
    return launch;
  }

  bool MainStarted() const { return fs::exists(records_ / "main_started"); }
  bool MainEnded() const { return fs::exists(records_ / "main_ended"); }

  // Waits for the main application to have run to its end, and says whether
  // it did.
  bool MainApplicationRan() const {
    return WaitUntil([this] { return MainEnded(); }, kMainTimeout);
  }

  // The bytes of ver.txt as the main application found them at its start,
  // or "(none)".
  std::string FlagSeenByMain() const {
    if (fs::exists(records_ / "main_saw_no_ver")) return "(none)";
    return ReadBytes(records_ / "main_saw_ver");
  }

  // One line per run of the tool: "<its path>|<kind of its stdout>".
  std::vector<std::string> ToolRuns() const {
    return Lines(ReadBytes(records_ / "tool_runs.txt"));
  }

  static void ExpectEndedWithZero(const Launch& launch) {
    EXPECT_TRUE(launch.ended) << "the launcher did not end";
    EXPECT_EQ(0u, launch.exit_code);
  }

  // Checks a complete run: the flag line, both captures holding `report`,
  // two redirected runs of the tool copy, no copy left, and the main
  // application started after the flag file was written.
  void ExpectCompleteRun(const Launch& launch, const std::string& report,
                         const std::string& flag) {
    ExpectEndedWithZero(launch);
    EXPECT_EQ(flag, ReadBytes(kFlagFile));
    EXPECT_EQ(report, ReadBytes(kReportCapture));
    EXPECT_EQ(report, ReadBytes(kBrandingCapture));
    EXPECT_EQ(kFilesAfterRun, FileNames(kWorkFolder));
    const std::string tool_run = Lower(kToolCopy.string()) + "|disk";
    const std::vector<std::string> runs = ToolRuns();
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(tool_run, Lower(runs[0]));
    EXPECT_EQ(tool_run, Lower(runs[1]));
    ASSERT_TRUE(MainApplicationRan());
    EXPECT_EQ(flag, FlagSeenByMain());
  }

  fs::path deploy_;
  fs::path records_;
};

// --- The flag follows the report's first word ------------------------------

struct ReportCase {
  const char* name;
  std::string report;
  std::string flag;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReportCase& report_case, std::ostream* out) {
  *out << report_case.name;
}

class LauncherFlagTest : public LauncherTest,
                         public ::testing::WithParamInterface<ReportCase> {};

TEST_P(LauncherFlagTest, WritesFlagFromFirstWordOfReport) {
  SetReport(GetParam().report);
  ExpectCompleteRun(RunLauncher(), GetParam().report, GetParam().flag);
}

const ReportCase kReportCases[] = {
    {"GenuineIntel", kIntelReport, kIntelFlag},
    {"AuthenticAMD", kAmdReport, kNoneFlag},
    {"EmptyReport", "", kNoneFlag},
    {"BlankLinesBeforeGenuineIntel", "\r\n\r\n \tGenuineIntel\r\n", kIntelFlag},
    {"GenuineIntelAsSecondWord", "unknown GenuineIntel\r\n", kNoneFlag},
    {"Byte26BeforeGenuineIntel", std::string("\x1aGenuineIntel\r\n"),
     kNoneFlag},
    {"NulInsideFirstWord", std::string("x\0GenuineIntel", 14), kIntelFlag},
};

INSTANTIATE_TEST_SUITE_P(Reports, LauncherFlagTest,
                         ::testing::ValuesIn(kReportCases),
                         [](const auto& test_case) { return test_case.param.name; });

// --- What a run leaves behind -----------------------------------------------

TEST_F(LauncherTest, ReplacesOldFlagFileOfSeveralLines) {
  fs::create_directories(kWorkFolder);
  WriteBytes(kFlagFile, "&textfield1=intel\r\nline two\r\n\r\nline four\r\n");
  SetReport(kAmdReport);
  ExpectCompleteRun(RunLauncher(), kAmdReport, kNoneFlag);
}

TEST_F(LauncherTest, SecondRunLeavesSameFilesWithSameBytes) {
  ExpectCompleteRun(RunLauncher(), kIntelReport, kIntelFlag);
  const WorkFolder after_first = ReadWorkFolder();
  fs::remove(records_ / "tool_runs.txt");
  fs::remove(records_ / "main_ended");

  ExpectCompleteRun(RunLauncher(), kIntelReport, kIntelFlag);
  EXPECT_EQ(after_first, ReadWorkFolder());
}

TEST_F(LauncherTest, ToolOutputNeverReachesLauncherOutput) {
  const std::string marker = "GenuineIntel-report-marker-5e1f";
  SetReport(marker + "\r\n");
  const Launch launch = RunLauncher();
  ExpectCompleteRun(launch, marker + "\r\n", kIntelFlag);
  EXPECT_EQ(std::string::npos, launch.output.find("report-marker"))
      << launch.output;
  EXPECT_EQ(std::string::npos, launch.errors.find("report-marker"))
      << launch.errors;
}

// --- How it is started ------------------------------------------------------

TEST_F(LauncherTest, EndsWhileMainApplicationStillRuns) {
  HoldMainApplication();
  const Launch launch = RunLauncher();
  ExpectEndedWithZero(launch);
  ASSERT_TRUE(WaitUntil([this] { return MainStarted(); }, kMainTimeout));
  EXPECT_FALSE(MainEnded()) << "main.exe ended before it was released";
  EXPECT_EQ(kIntelFlag, FlagSeenByMain());

  WriteBytes(records_ / "release", "");
  EXPECT_TRUE(MainApplicationRan());
}

TEST_F(LauncherTest, ArgumentsChangeNothing) {
  ExpectCompleteRun(
      RunLauncher(R"(/? --help "c:\User\ZUQ\other.txt" ^& del c:\User)"),
      kIntelReport, kIntelFlag);
}

TEST_F(LauncherTest, WorksFromFolderWhosePathHoldsBlanks) {
  UseDeployFolder(R"(c:\launcher-test\deploy with blanks\a b)");
  ExpectCompleteRun(RunLauncher(), kIntelReport, kIntelFlag);
}

// --- Failures along the way -------------------------------------------------

TEST_F(LauncherTest, UsesWorkingFolderThatAlreadyExists) {
  fs::create_directories(kWorkFolder);
  Launch launch = RunLauncher();
  ExpectCompleteRun(launch, kIntelReport, kIntelFlag);
}

TEST_F(LauncherTest, NoToolAnywhereWritesNoneAndStillStartsMain) {
  fs::remove(deploy_ / "cpuinfo.exe");
  const Launch launch = RunLauncher();
  ExpectEndedWithZero(launch);
  EXPECT_EQ(kNoneFlag, ReadBytes(kFlagFile));
  EXPECT_TRUE(ToolRuns().empty());
  EXPECT_FALSE(fs::exists(kToolCopy));
  ASSERT_TRUE(MainApplicationRan());
  EXPECT_EQ(kNoneFlag, FlagSeenByMain());
}

TEST_F(LauncherTest, StaleToolCopyRunsWhenCurrentFolderHasNoneAndIsRemoved) {
  fs::create_directories(kWorkFolder);
  fs::copy_file(deploy_ / "cpuinfo.exe", kToolCopy);
  fs::remove(deploy_ / "cpuinfo.exe");
  ExpectCompleteRun(RunLauncher(), kIntelReport, kIntelFlag);
}

TEST_F(LauncherTest, StaleToolCopyIsReplacedByTheCurrentTool) {
  // Left by an interrupted run; not even a program, so a report can only
  // come from the tool copied over it.
  fs::create_directories(kWorkFolder);
  WriteBytes(kToolCopy, "not a program");
  ExpectCompleteRun(RunLauncher(), kIntelReport, kIntelFlag);
}

TEST_F(LauncherTest, UnwritableWorkingFolderStillStartsMainAndExitsZero) {
  WriteBytes(kUserFolder, "c:\\User is a file, so c:\\User\\ZUQ cannot exist");
  const Launch launch = RunLauncher();
  ExpectEndedWithZero(launch);
  EXPECT_TRUE(fs::is_regular_file(kUserFolder));
  EXPECT_TRUE(ToolRuns().empty());
  ASSERT_TRUE(MainApplicationRan());
  EXPECT_EQ("(none)", FlagSeenByMain());
}

TEST_F(LauncherTest, EveryCommandFailingStillExitsZero) {
  WriteBytes(kUserFolder, "c:\\User is a file");
  fs::remove(deploy_ / "cpuinfo.exe");
  fs::remove(deploy_ / "assets" / "main.exe");
  ExpectEndedWithZero(RunLauncher());
  EXPECT_FALSE(MainStarted());
}

TEST_F(LauncherTest, FlagLineIsAppendedToOldFlagFileThatCannotBeDeleted) {
  const std::string old_flag_file = "&textfield1=none\r\nsecond line\r\n";
  fs::create_directories(kWorkFolder);
  WriteBytes(kFlagFile, old_flag_file);
  // Another reader that shares reading and writing but not deletion.
  HANDLE reader = CreateFileA(kFlagFile.string().c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  const Launch launch = RunLauncher();
  CloseHandle(reader);

  ExpectEndedWithZero(launch);
  EXPECT_EQ(old_flag_file + kIntelFlag, ReadBytes(kFlagFile));
  ASSERT_TRUE(MainApplicationRan());
  EXPECT_EQ(old_flag_file + kIntelFlag, FlagSeenByMain());
}

TEST_F(LauncherTest, MissingMainApplicationStillExitsZero) {
  fs::remove(deploy_ / "assets" / "main.exe");
  const Launch launch = RunLauncher();
  ExpectEndedWithZero(launch);
  EXPECT_EQ(kIntelFlag, ReadBytes(kFlagFile));
  EXPECT_EQ(kFilesAfterRun, FileNames(kWorkFolder));
  EXPECT_FALSE(MainStarted());
}

// --- What launcher.exe carries ---------------------------------------------

std::string ResourceText(const fs::path& program, LPCSTR type, LPCSTR name) {
  HMODULE module = LoadLibraryExA(program.string().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return {};
  std::string text;
  if (HRSRC resource = FindResourceA(module, name, type)) {
    if (HGLOBAL loaded = LoadResource(module, resource)) {
      text.assign(static_cast<const char*>(LockResource(loaded)),
                  SizeofResource(module, resource));
    }
  }
  FreeLibrary(module);
  return text;
}

std::string VersionString(const fs::path& program, const char* key) {
  const std::string path = program.string();
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  if (info.empty() ||
      GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()),
                          info.data()) == FALSE) {
    return {};
  }
  void* value = nullptr;
  UINT length = 0;
  const std::string query = std::string("\\StringFileInfo\\040904b0\\") + key;
  if (VerQueryValueA(info.data(), query.c_str(), &value, &length) == FALSE ||
      length == 0) {
    return {};
  }
  return static_cast<const char*>(value);
}

TEST(LauncherResources, ManifestRunsAsInvokerOnWindows7To11) {
  const std::string manifest = ResourceText(
      ProgramFolder() / "launcher.exe", MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
  EXPECT_NE(std::string::npos, manifest.find(R"(level="asInvoker")")) << manifest;
  for (const char* windows : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                              "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                              "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                              "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
    EXPECT_NE(std::string::npos, manifest.find(windows)) << windows;
  }
}

TEST(LauncherResources, VersionInformationNamesProductAndVersion) {
  const fs::path launcher = ProgramFolder() / "launcher.exe";
  EXPECT_EQ("launcher", VersionString(launcher, "ProductName"));
  EXPECT_EQ(LAUNCHER_VERSION, VersionString(launcher, "ProductVersion"));
  EXPECT_EQ(LAUNCHER_VERSION, VersionString(launcher, "FileVersion"));
  EXPECT_EQ("launcher.exe", VersionString(launcher, "OriginalFilename"));
}

}  // namespace
