// Whole runs of the built program against checked-in expected output.
#include <gtest/gtest.h>

#include <string>

#include "process.hpp"

namespace lsde::test {
namespace {

const std::string kPrompt = "Press <enter> to quit:\n";

std::string example(const std::string& name) {
  return std::string(LSDE_EXAMPLES) + "/" + name;
}

// Every occurrence of `from` in text replaced by `to`.
std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string withCrlf(const std::string& text) {
  return replaceAll(text, "\n", "\r\n");
}

class ExampleRun : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleRun, PrintsExpectedOutputByteForByte) {
  const std::string name = GetParam();
  const RunResult r = runLsde({example(name + ".csv")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, readFile(example(name + ".expected")));
}

TEST_P(ExampleRun, CrlfLineEndsGiveTheSameBytes) {
  const std::string name = GetParam();
  const std::string dir = scratchDir();
  writeFile(dir + "/crlf.csv", withCrlf(readFile(example(name + ".csv"))));
  const RunResult r = runLsde({"crlf.csv"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, readFile(example(name + ".expected")));
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRun,
                         ::testing::Values("two-masses", "damped-oscillator", "driven-resonance",
                                           "five-mass-chain"));

TEST(Run, TwoMassesHasEchoHundredReportLinesAndPromptLast) {
  const RunResult r = runLsde({example("two-masses.csv")});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("2\n1.000000 0.000000 \n0.000000 1.000000 \n", 0), 0u);
  std::size_t reports = 0;
  for (std::size_t at = r.out.find("\nr= "); at != std::string::npos;
       at = r.out.find("\nr= ", at + 1))
    ++reports;
  EXPECT_EQ(reports, 100u);
  ASSERT_GE(r.out.size(), kPrompt.size());
  EXPECT_EQ(r.out.substr(r.out.size() - kPrompt.size()), kPrompt);
}

TEST(Run, ReadsInputCsvFromTheWorkingDirectoryByDefault) {
  const std::string dir = scratchDir();
  writeFile(dir + "/input.csv", twoMasses());
  const RunResult r = runLsde({}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, readFile(example("two-masses.expected")));
}

TEST(Run, IgnoresArgumentsAfterTheFirst) {
  const RunResult r = runLsde({example("two-masses.csv"), "extra", "--more"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, readFile(example("two-masses.expected")));
}

TEST(Run, EndsWithClosedStandardInput) {
  const RunResult r = runLsde({example("two-masses.csv")}, "", /*closeStdin=*/true);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, readFile(example("two-masses.expected")));
}

// Variants of the two-mass file that must read exactly like it.
struct Variant {
  const char* name;
  std::string (*edit)(std::string);
};

const Variant kEquivalentFiles[] = {
    {"last line without a line feed", [](std::string s) { return s.substr(0, s.size() - 1); }},
    {"text after the size", [](std::string s) { return "2.9,,,junk" + s.substr(1); }},
    {"blanks after a drive line's last value",
     [](std::string s) { return replaceAll(s, "\n1.5,\n", "\n1.5, \t\n"); }},
    {"drive lines without trailing commas",
     [](std::string s) { return replaceAll(s, "\n1,\n0,\n", "\n1\n0\n"); }},
    {"extra fields and lines that are never read",
     [](std::string s) {
       return replaceAll(s, "\n1,0\n", "\n1,0,7,x\n") + "anything\n\nat all\n";
     }},
    {"numbers written differently",
     [](std::string s) { return replaceAll(s, "\n2,-1\n", "\n 0x1p1 ,-1e0x\n"); }},
    {"crlf and no final line feed",
     [](std::string s) { return replaceAll(s.substr(0, s.size() - 1), "\n", "\r\n"); }},
};

TEST(Run, EquivalentFilesPrintTheSameBytes) {
  const std::string expected = readFile(example("two-masses.expected"));
  for (const Variant& v : kEquivalentFiles) {
    SCOPED_TRACE(v.name);
    const std::string dir = scratchDir();
    writeFile(dir + "/v.csv", v.edit(twoMasses()));
    const RunResult r = runLsde({"v.csv"}, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
  }
}

TEST(Run, SingularMassEndsTheLineWithoutReportOrPrompt) {
  const std::string dir = scratchDir();
  writeFile(dir + "/s.csv", "1\n1e-9\n0\n1\n,\n,\n,\n1\n0\n");
  const RunResult r = runLsde({"s.csv"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "1\n0.000000 \n0.000000 \n1.000000 \nError, Singular\n");
  EXPECT_EQ(r.err,
            "lsde: s.csv: the mass matrix M is singular (|det M| < 1e-8); nothing to integrate\n");
}

}  // namespace
}  // namespace lsde::test
