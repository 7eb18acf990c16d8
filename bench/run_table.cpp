// run_table: times whole runs of lsde on generated systems and prints a Markdown table of the
// median wall times with one thread and with lsde's default (every core this process may use),
// for the dense family also without the echo, and the peak resident memory, for n = 2, 4, … up
// to a maximum.
//
//   run_table --lsde PATH --gen PATH [--max-n 2048] [--runs 5] [--timeout 120]
//             [--work DIR] [--families chain,dense]
//
// Each run is a fresh process with standard input from /dev/null and standard output to a
// file, as a user would run it. A run that fails or exceeds the CPU-time limit ends its family.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "matrix/parallel.hpp"

namespace {

struct Options {
  std::string lsde = "build/release/app/lsde";
  std::string gen = "build/release/bench/gen_system";
  std::string work = "build/bench-work";
  std::vector<std::string> families = {"chain", "dense"};
  int maxN = 2048;
  int runs = 5;
  int timeoutSeconds = 120;
};

/// How one process ended: wall time, peak resident set, exit status or signal.
struct Outcome {
  double seconds = 0;
  double peakMiB = 0;
  int status = 0;  // as wait4 reports it
  bool ok() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

std::vector<std::string> splitList(const std::string& s) {
  std::vector<std::string> items;
  for (std::size_t start = 0; start <= s.size();) {
    const std::size_t comma = std::min(s.find(',', start), s.size());
    if (comma > start) items.push_back(s.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

Options parseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const std::string value = argv[i + 1];
    if (key == "--lsde")
      o.lsde = value;
    else if (key == "--gen")
      o.gen = value;
    else if (key == "--work")
      o.work = value;
    else if (key == "--families")
      o.families = splitList(value);
    else if (key == "--max-n")
      o.maxN = std::atoi(value.c_str());
    else if (key == "--runs")
      o.runs = std::max(1, std::atoi(value.c_str()));
    else if (key == "--timeout")
      o.timeoutSeconds = std::max(1, std::atoi(value.c_str()));
    else {
      std::fprintf(stderr, "run_table: unknown option %s\n", key.c_str());
      std::exit(2);
    }
  }
  return o;
}

// In the child: standard input and output redirected, CPU time limited, then exec.
[[noreturn]] void execChild(const std::vector<std::string>& argv, const std::string& out,
                            int cpuSeconds) {
  const int in = ::open("/dev/null", O_RDONLY);
  const int to = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || to < 0 || ::dup2(in, 0) < 0 || ::dup2(to, 1) < 0) ::_exit(126);
  const rlimit limit{static_cast<rlim_t>(cpuSeconds), static_cast<rlim_t>(cpuSeconds) + 1};
  ::setrlimit(RLIMIT_CPU, &limit);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

Outcome runProcess(const std::vector<std::string>& argv, const std::string& out, int cpuSeconds) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) execChild(argv, out, cpuSeconds);
  Outcome o;
  rusage usage{};
  if (pid < 0 || ::wait4(pid, &o.status, 0, &usage) != pid) {
    o.status = 127 << 8;
    return o;
  }
  o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  o.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // Linux reports KiB
  return o;
}

std::string describeFailure(const Outcome& o) {
  if (WIFSIGNALED(o.status)) {
    return WTERMSIG(o.status) == SIGXCPU ? "CPU time limit"
                                         : "signal " + std::to_string(WTERMSIG(o.status));
  }
  return "exit status " + std::to_string(WEXITSTATUS(o.status));
}

std::string formatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// The median wall time of o.runs runs of lsde with args before the input, and their peak
// memory; nothing when a run fails (after printing the row's failure).
std::optional<Outcome> timeRuns(const Options& o, const std::string& family, int n,
                                const std::vector<std::string>& args, const std::string& input) {
  std::vector<std::string> argv{o.lsde};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back(input);
  const std::string output = o.work + "/output.txt";
  std::vector<double> seconds;
  Outcome all;
  for (int r = 0; r < o.runs; ++r) {
    const Outcome run = runProcess(argv, output, o.timeoutSeconds);
    std::remove(output.c_str());
    if (!run.ok()) {
      std::printf("| %s | %d | %s | | | | |\n", family.c_str(), n, describeFailure(run).c_str());
      return std::nullopt;
    }
    seconds.push_back(run.seconds);
    all.peakMiB = std::max(all.peakMiB, run.peakMiB);
  }
  all.seconds = median(seconds);
  return all;
}

// One table row: one thread, the default threads, and for the dense family the default
// threads without the echo. False when the family should stop here.
bool measure(const Options& o, const std::string& family, int n) {
  const std::string input = o.work + "/" + family + "-" + std::to_string(n) + ".csv";
  const Outcome made = runProcess({o.gen, family, std::to_string(n), "1", input}, "/dev/null", 600);
  if (!made.ok()) {
    std::printf("| %s | %d | generator failed: %s | | | | |\n", family.c_str(), n,
                describeFailure(made).c_str());
    return false;
  }
  const std::optional<Outcome> one = timeRuns(o, family, n, {"--threads", "1"}, input);
  const std::optional<Outcome> every = one ? timeRuns(o, family, n, {}, input) : std::nullopt;
  std::optional<Outcome> quiet;
  if (every && family == "dense") quiet = timeRuns(o, family, n, {"--no-echo"}, input);
  std::remove(input.c_str());
  if (!every || (family == "dense" && !quiet)) return false;
  const std::string noEcho = quiet ? formatSeconds(quiet->seconds) : "";
  std::printf("| %s | %d | %.3f | %.3f | %.2f | %s | %.1f |\n", family.c_str(), n, one->seconds,
              every->seconds, one->seconds / every->seconds, noEcho.c_str(),
              std::max(one->peakMiB, every->peakMiB));
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parseOptions(argc, argv);
  const int cores = lsde::availableCores();
  std::error_code error;
  std::filesystem::create_directories(o.work, error);
  if (error) {
    std::fprintf(stderr, "run_table: %s: %s\n", o.work.c_str(), error.message().c_str());
    return 1;
  }
  std::printf(
      "| family | n | 1 thread (s) | %d threads (s) | speed-up | %d threads, --no-echo (s) "
      "| peak RSS (MiB) |\n|---|---:|---:|---:|---:|---:|---:|\n",
      cores, cores);
  std::fflush(stdout);
  for (const std::string& family : o.families) {
    for (int n = 2; n <= o.maxN; n *= 2)
      if (!measure(o, family, n)) break;
  }
  return 0;
}
