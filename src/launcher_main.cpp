// launcher: prepares c:\User\ZUQ, captures the report of cpuinfo.exe, writes
// the flag file ver.txt ("&textfield1=intel" or "&textfield1=none") and
// starts assets\main.exe without waiting for it.
//
// Every action is one fixed command line for the Windows command interpreter.
// Paths without a drive are relative to the current directory, not to the
// folder that holds the launcher.

#include "command_runner.h"
#include "report_check.h"

namespace {

// The command lines, in the order they run. Each is handed to the
// interpreter exactly as written; nothing is assembled at run time.
const char kMakeWorkFolder[] = R"(mkdir c:\User\ZUQ)";
const char kCopyTool[] = R"(copy cpuinfo.exe c:\User\ZUQ\cpuinfo.exe)";
const char kCaptureReport[] =
    R"(c:\User\ZUQ\cpuinfo.exe > c:\User\ZUQ\ver_cmt.txt)";
const char kCaptureBranding[] =
    R"(c:\User\ZUQ\cpuinfo.exe > c:\User\ZUQ\ver_branding.txt)";
const char kDeleteToolCopy[] = R"(del c:\User\ZUQ\cpuinfo.exe)";
const char kDeleteFlagFile[] = R"(del c:\User\ZUQ\ver.txt)";
// The redirection stands first so that echo leaves no blank before the line
// end, and the caret keeps the ampersand from separating commands.
const char kWriteFlagIntel[] = R"(>> c:\User\ZUQ\ver.txt echo ^&textfield1=intel)";
const char kWriteFlagNone[] = R"(>> c:\User\ZUQ\ver.txt echo ^&textfield1=none)";
const char kStartMainApp[] = R"(start assets\main.exe)";
const char kExit[] = R"(exit)";

// The capture that kCaptureReport writes.
const char kReportPath[] = R"(c:\User\ZUQ\ver_cmt.txt)";

}  // namespace

int main() {
  run_command(kMakeWorkFolder);
  run_command(kCopyTool);
  run_command(kCaptureReport);
  run_command(kCaptureBranding);
  const bool is_intel = is_intel_report(kReportPath);
  run_command(kDeleteToolCopy);
  run_command(kDeleteFlagFile);
  run_command(is_intel ? kWriteFlagIntel : kWriteFlagNone);
  run_command(kStartMainApp);
  run_command(kExit);
  return 0;
}
