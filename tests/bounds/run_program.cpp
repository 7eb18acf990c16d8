#include "run_program.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace lsde::testing {
namespace {

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// In the child: a process group of its own (so that a kill reaches everything it starts),
// stdin from /dev/null, stdout and stderr to the given files, then exec program through
// peak_memory, which writes the peak to reportPath.
[[noreturn]] void execWithRedirects(const std::string& program,
                                    const std::vector<std::string>& args, const char* outPath,
                                    const char* errPath, const char* reportPath) {
  setpgid(0, 0);
  const int in = open("/dev/null", O_RDONLY);
  const int out = open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0 || err < 0) _exit(126);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  std::vector<char*> argv{const_cast<char*>(LSDE_PEAK_MEMORY), const_cast<char*>(reportPath),
                          const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(LSDE_PEAK_MEMORY, argv.data());
  _exit(127);
}

}  // namespace

Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                   std::chrono::seconds limit) {
  const ScratchDir dir;
  const std::string outPath = dir.write("stdout", "");
  const std::string errPath = dir.write("stderr", "");
  const std::string reportPath = dir.write("peak", "");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    execWithRedirects(program, args, outPath.c_str(), errPath.c_str(), reportPath.c_str());
  }

  Outcome outcome;
  int status = 0;
  for (;;) {
    if (waitpid(child, &status, WNOHANG) == child) break;
    if (std::chrono::steady_clock::now() - start > limit && !outcome.killed) {
      kill(-child, SIGKILL);
      outcome.killed = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.status = WIFEXITED(status) && WEXITSTATUS(status) < 128 ? WEXITSTATUS(status) : -1;
  outcome.peakKiB = std::atol(slurp(reportPath).c_str());
  outcome.out = slurp(outPath);
  outcome.err = slurp(errPath);
  return outcome;
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lsde-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::string& bytes) const {
  const std::filesystem::path file = path_ / name;
  std::ofstream(file, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file.string();
}

}  // namespace lsde::testing
