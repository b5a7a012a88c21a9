// The processor report check: reads the report's first word and looks for
// the vendor mark in it.

#include "report_check.h"

#include <fstream>
#include <string>
#include <string_view>

namespace {

// The vendor identification of Intel processors is "GenuineIntel".
constexpr std::string_view kIntelMark = "Genuine";

// Windows' C runtime reads a text-mode file as ending at this byte.
constexpr int kTextEnd = 26;

// The C locale's white space, fixed here so that neither the locale nor the
// signedness of char can add to it.
bool is_report_space(int byte) {
  return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

}  // namespace

bool is_intel_report(const char* report_path) noexcept {
  std::string word;
  try {
    // Binary mode, with text mode's one rule that can change the word
    // applied below, so that every build reads the same word. Text mode's
    // other rule, CR LF read as LF, cannot: both bytes are white space.
    std::ifstream report(report_path, std::ios::in | std::ios::binary);
    std::streambuf& bytes = *report.rdbuf();
    using traits = std::char_traits<char>;
    const auto ends_text = [](int byte) {
      return byte == traits::eof() || byte == kTextEnd;
    };
    // A report that did not open reads as empty.
    int byte = report.is_open() ? bytes.sgetc() : traits::eof();
    while (!ends_text(byte) && is_report_space(byte)) byte = bytes.snextc();
    while (!ends_text(byte) && !is_report_space(byte)) {
      word.push_back(traits::to_char_type(byte));
      byte = bytes.snextc();
    }
    // Nothing more is read: the report closes here, before the answer.
  } catch (...) {
    // Lack of memory to grow the word, or a read error that the stream
    // buffer threw: the word ends there, and the report is already closed.
  }
  return word.find(kIntelMark) != std::string::npos;
}
