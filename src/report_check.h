// Decides from the processor report captured from cpuinfo.exe whether the
// processor is to be treated as an Intel one.

#ifndef LAUNCHER_REPORT_CHECK_H_
#define LAUNCHER_REPORT_CHECK_H_

/// Returns true when the first white-space-delimited word of the report at
/// `report_path` contains "Genuine" (byte for byte, case-sensitive).
///
/// The report is read as a Windows text-mode file would be: a byte 26 ends
/// the text. White space is exactly tab, line feed, vertical tab, form feed,
/// carriage return and blank; every other byte, NUL and 128-255 included,
/// belongs to the word. Only the first word is read, and the file is closed
/// before the answer is returned.
///
/// Never fails: a report that cannot be opened, or holds no word, answers
/// false. When the word cannot grow for lack of memory, or the file fails
/// part-way through it, the part read so far is tested.
bool is_intel_report(const char* report_path) noexcept;

#endif  // LAUNCHER_REPORT_CHECK_H_
