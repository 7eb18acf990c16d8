#include "process.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lsde::test {
namespace {

std::string shellQuote(const std::string& s) {
  std::string q(1, '\'');
  for (char c : s) {
    if (c == '\'')
      q.append("'\\''");
    else
      q.push_back(c);
  }
  q.push_back('\'');
  return q;
}

}  // namespace

std::string scratchDir() {
  static std::atomic<int> counter{0};
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) /
                              ("lsde-e2e-" + std::to_string(::getpid()) + "-" + info->name() + "-" +
                               std::to_string(counter++));
  std::filesystem::create_directories(dir);
  return dir.string();
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string twoMasses() {
  return readFile(std::string(LSDE_EXAMPLES) + "/two-masses.csv");
}

RunResult runLsde(const std::vector<std::string>& args, const std::string& cwd, bool closeStdin) {
  const std::string dir = cwd.empty() ? scratchDir() : cwd;
  const std::string out = dir + "/stdout.txt";
  const std::string err = dir + "/stderr.txt";
  std::string command = "cd " + shellQuote(dir) + " && " + shellQuote(LSDE_BINARY);
  for (const auto& a : args) command.append(" ").append(shellQuote(a));
  command.append(closeStdin ? " <&-" : " </dev/null");
  command.append(" >").append(shellQuote(out)).append(" 2>").append(shellQuote(err));
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  result.out = readFile(out);
  result.err = readFile(err);
  return result;
}

}  // namespace lsde::test
