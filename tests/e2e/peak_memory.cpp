// peak_memory REPORT PROGRAM [ARG...]: runs PROGRAM, writes its peak resident memory in KiB to
// REPORT and exits with its status (128 + the signal that ended it). A child forked from a large
// test inherits the test's resident pages as its own peak; forked from here, it does not.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) return std::fputs("usage: peak_memory REPORT PROGRAM [ARG...]\n", stderr), 125;
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return 125;
  if (std::FILE* report = std::fopen(argv[1], "w")) {
    std::fprintf(report, "%ld\n", usage.ru_maxrss);
    std::fclose(report);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
