// Tests of the example main application's reading of ver.txt.

#include "flag_report.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct FlagFileCase {
  const char* name;
  std::optional<std::string> flag_file;
  std::string expected_lines;  // the ver.txt, flag and processor lines
};

void PrintTo(const FlagFileCase& flag_case, std::ostream* out) {
  *out << flag_case.name;
}

const FlagFileCase kFlagFileCases[] = {
    {"Intel", "&textfield1=intel\r\n",
     "ver.txt:    \"&textfield1=intel\"\n"
     "flag:       textfield1 = intel\n"
     "processor:  treated as Intel\n"},
    {"None", "&textfield1=none\r\n",
     "ver.txt:    \"&textfield1=none\"\n"
     "flag:       textfield1 = none\n"
     "processor:  not treated as Intel\n"},
    {"LfLineEndAndNoLineEnd", "&textfield1=intel",
     "ver.txt:    \"&textfield1=intel\"\n"
     "flag:       textfield1 = intel\n"
     "processor:  treated as Intel\n"},
    {"OnlyFirstLineCounts", "&textfield1=none\r\n&textfield1=intel\r\n",
     "ver.txt:    \"&textfield1=none\"\n"
     "flag:       textfield1 = none\n"
     "processor:  not treated as Intel\n"},
    {"BlankBeforeLineEnd", "&textfield1=intel \r\n",
     "ver.txt:    \"&textfield1=intel \"\n"
     "flag:       textfield1 = intel \n"
     "processor:  unknown (expected intel or none)\n"},
    {"OtherFlagName", "&other=intel\r\n",
     "ver.txt:    \"&other=intel\"\n"
     "flag:       other = intel\n"
     "processor:  unknown (expected the flag textfield1)\n"},
    {"Missing", std::nullopt,
     "ver.txt:    missing (the launcher did not run, or could not write it)\n"
     "processor:  unknown\n"},
    {"Empty", "", "ver.txt:    empty\nprocessor:  unknown\n"},
    {"NoAmpersand", "textfield1=intel\r\n",
     "ver.txt:    malformed: \"textfield1=intel\" is not &name=value\n"
     "processor:  unknown\n"},
    {"NoEquals", "&textfield1\r\n",
     "ver.txt:    malformed: \"&textfield1\" is not &name=value\n"
     "processor:  unknown\n"},
    {"EmptyName", "&=intel\r\n",
     "ver.txt:    malformed: \"&=intel\" is not &name=value\n"
     "processor:  unknown\n"},
    {"ControlBytesShown", std::string("\x1a\0\r\n", 4),
     "ver.txt:    malformed: \"\\x1A\\x00\" is not &name=value\n"
     "processor:  unknown\n"},
};

class FlagReportTest : public ::testing::TestWithParam<FlagFileCase> {};

TEST_P(FlagReportTest, DescribesFlagFile) {
  const std::string branding_line = "branding:   \"GenuineIntel\"\n";
  EXPECT_EQ(GetParam().expected_lines + branding_line,
            describe_findings(GetParam().flag_file, "GenuineIntel\r\nbrand\r\n"));
}

INSTANTIATE_TEST_SUITE_P(FlagFiles, FlagReportTest,
                         ::testing::ValuesIn(kFlagFileCases),
                         [](const auto& test_case) { return test_case.param.name; });

TEST(FlagReport, MissingBrandingCaptureIsSaid) {
  const std::string report = describe_findings("&textfield1=none\r\n", std::nullopt);
  EXPECT_NE(std::string::npos, report.find("branding:   ver_branding.txt missing\n"))
      << report;
}

TEST(FlagReport, ParsesNameAndValue) {
  const auto flag = parse_flag_line("&textfield1=a=b\r\n");
  ASSERT_TRUE(flag.has_value());
  EXPECT_EQ("textfield1", flag->name);
  EXPECT_EQ("a=b", flag->value);
}

}  // namespace
