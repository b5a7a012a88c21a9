// The processor report check: reads the report's first word and looks for
// the vendor mark in it.

#include "report_check.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <new>
#include <string>
#include <string_view>

namespace {

// The vendor identification of Intel processors is "GenuineIntel".
constexpr std::string_view kIntelMark = "Genuine";

enum class ByteKind : unsigned char { kWord, kSpace, kTextEnd };

// What each byte is to the reader. White space is the C locale's, fixed here
// so that neither the locale nor the signedness of char can add to it;
// byte 26 ends the text, as Windows' C runtime reads a text-mode file.
constexpr std::array<ByteKind, 256> kByteKinds = [] {
  std::array<ByteKind, 256> kinds{};
  for (const char space : {'\t', '\n', '\v', '\f', '\r', ' '})
    kinds[static_cast<unsigned char>(space)] = ByteKind::kSpace;
  kinds[26] = ByteKind::kTextEnd;
  return kinds;
}();

ByteKind kind_of(char byte) {
  return kByteKinds[static_cast<unsigned char>(byte)];
}

}  // namespace

bool is_intel_report(const char* report_path) noexcept {
  std::string word;
  try {
    // Binary mode, with text mode's one rule that can change the word
    // applied below, so that every build reads the same word. Text mode's
    // other rule, CR LF read as LF, cannot: both bytes are white space.
    std::ifstream report(report_path, std::ios::in | std::ios::binary);
    if (!report.is_open()) return false;

    // Read in chunks and append whole runs of the word: a long word then
    // costs a few large copies rather than a call per byte. The first
    // chunk is small, so that a short word reads little past its end.
    std::array<char, std::size_t{64} * 1024> chunk;
    std::streamsize chunk_size = 4096;
    bool in_word = false;
    for (;;) {
      const std::streamsize got = report.rdbuf()->sgetn(chunk.data(), chunk_size);
      if (got <= 0) break;
      chunk_size = std::min(2 * chunk_size, static_cast<std::streamsize>(chunk.size()));
      const char* next = chunk.data();
      const char* const end = next + got;
      if (!in_word) {
        while (next != end && kind_of(*next) == ByteKind::kSpace) ++next;
        if (next == end) continue;
        in_word = true;
      }
      const char* word_end = next;
      while (word_end != end && kind_of(*word_end) == ByteKind::kWord) ++word_end;
      try {
        word.append(next, word_end);
      } catch (const std::bad_alloc&) {
        // The run did not fit as a whole: keep what fits of it one byte at
        // a time, until the word cannot grow at all.
        std::for_each(next, word_end, [&word](char byte) { word.push_back(byte); });
      }
      if (word_end != end) break;
    }
    // Nothing more is read: the report closes here, before the answer.
  } catch (...) {
    // Lack of memory to grow the word, or a read error that the stream
    // buffer threw: the word ends there, and the report is already closed.
  }
  return word.find(kIntelMark) != std::string::npos;
}
