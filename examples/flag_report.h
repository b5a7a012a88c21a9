// How the example main application reads what the launcher left for it.

#ifndef EXAMPLES_FLAG_REPORT_H_
#define EXAMPLES_FLAG_REPORT_H_

#include <optional>
#include <string>
#include <string_view>

// The one line of ver.txt, "&name=value", taken apart.
struct FlagLine {
  std::string name;   // "textfield1"
  std::string value;  // "intel" or "none"
};

// Parses the first line of `flag_file` (the whole of ver.txt). Returns
// nothing when that line is not "&name=value" with a non-empty name.
std::optional<FlagLine> parse_flag_line(std::string_view flag_file);

// The example's report, a few lines of "label: finding". `flag_file` and
// `branding` are the bytes of ver.txt and ver_branding.txt, or nothing when
// the file could not be read.
std::string describe_findings(const std::optional<std::string>& flag_file,
                              const std::optional<std::string>& branding);

#endif  // EXAMPLES_FLAG_REPORT_H_
