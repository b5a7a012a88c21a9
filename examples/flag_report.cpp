#include "flag_report.h"

#include <cstdio>

namespace {

// The first line of `text`, without its line end (LF or CR LF).
std::string_view FirstLine(std::string_view text) {
  std::string_view line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// `text` quoted, with control and non-ASCII bytes shown as \xNN.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace

std::optional<FlagLine> parse_flag_line(std::string_view flag_file) {
  const std::string_view line = FirstLine(flag_file);
  const auto equals = line.find('=');
  if (line.empty() || line.front() != '&' || equals == std::string_view::npos ||
      equals == 1) {
    return std::nullopt;
  }
  return FlagLine{std::string(line.substr(1, equals - 1)),
                  std::string(line.substr(equals + 1))};
}

std::string describe_findings(const std::optional<std::string>& flag_file,
                              const std::optional<std::string>& branding) {
  std::string report;
  const auto add = [&report](const char* label, std::string_view finding) {
    report.append(label).append(finding).append("\n");
  };

  if (!flag_file) {
    add("ver.txt:    ", "missing (the launcher did not run, or could not write it)");
    add("processor:  ", "unknown");
  } else if (flag_file->empty()) {
    add("ver.txt:    ", "empty");
    add("processor:  ", "unknown");
  } else if (const auto flag = parse_flag_line(*flag_file)) {
    add("ver.txt:    ", Quoted(FirstLine(*flag_file)));
    add("flag:       ", flag->name + " = " + flag->value);
    if (flag->name != "textfield1") {
      add("processor:  ", "unknown (expected the flag textfield1)");
    } else if (flag->value == "intel") {
      add("processor:  ", "treated as Intel");
    } else if (flag->value == "none") {
      add("processor:  ", "not treated as Intel");
    } else {
      add("processor:  ", "unknown (expected intel or none)");
    }
  } else {
    add("ver.txt:    ", "malformed: " + Quoted(FirstLine(*flag_file)) +
                           " is not &name=value");
    add("processor:  ", "unknown");
  }

  if (!branding) {
    add("branding:   ", "ver_branding.txt missing");
  } else {
    add("branding:   ", Quoted(FirstLine(*branding)));
  }
  return report;
}
