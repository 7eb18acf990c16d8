// lsde: simulates M·x'' + C·x' + K·x = F(t) from an input file and prints the trajectory.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "dynamics/driven.hpp"
#include "input/cursor.hpp"
#include "input/drives.hpp"
#include "input/input_error.hpp"
#include "input/rows.hpp"
#include "matrix/print.hpp"

namespace {

// Fixed run parameters.
constexpr double kTimeStep = 0.01;
constexpr int kSteps = 1000;
constexpr int kReportInterval = 10;

// A well-formed file has the size line, 3n matrix rows, 3n drive lines and two state rows.
void requireLineCount(long long present, int n) {
  const long long needed = 6LL * n + 3;
  if (present < needed) {
    throw lsde::InputError(0, "n = " + std::to_string(n) + " needs " + std::to_string(needed) +
                                  " lines, the file has " + std::to_string(present));
  }
}

/// What a run reads from its input file.
struct RunInput {
  int n = 0;
  lsde::Matrix m, c, k;
  std::vector<lsde::Driver> drives;
  std::vector<double> positions, velocities;
};

// Loads, parses and echoes the input file. The text buffer, as large as the file, is released
// on return, before the simulation needs its memory.
RunInput readInput(const std::string& path) {
  lsde::TextBuffer text = lsde::loadText(path);
  if (text.empty()) throw lsde::InputError(0, "the file is empty");
  const long long lines = lsde::countLines(text);  // before any line end is cut
  lsde::Cursor cursor(text);
  RunInput in;
  in.n = lsde::readSize(cursor);
  std::printf("%d\n", in.n);
  requireLineCount(lines, in.n);

  in.m = lsde::getMatrix(in.n, in.n, cursor);
  in.c = lsde::getMatrix(in.n, in.n, cursor);
  in.k = lsde::getMatrix(in.n, in.n, cursor);
  lsde::printMat(in.m, in.n, in.n);
  lsde::printMat(in.c, in.n, in.n);
  lsde::printMat(in.k, in.n, in.n);
  in.drives = lsde::getDrives(cursor, in.n);
  in.positions = lsde::getRow(cursor, in.n);
  in.velocities = lsde::getRow(cursor, in.n);
  return in;
}

int run(const std::string& path) {
  const RunInput in = readInput(path);
  if (!lsde::printDrivenLSDE(in.m, in.c, in.k, in.n, in.positions, in.velocities, kTimeStep, kSteps,
                             in.drives, kReportInterval)) {
    std::putchar('\n');  // ends the "Error, Singular" line
    throw lsde::InputError(0,
                           "the mass matrix M is singular (|det M| < 1e-8); nothing to integrate");
  }
  std::puts("Press <enter> to quit:");
  std::fflush(stdout);
  std::getchar();
  return 0;
}

int fail(const std::string& path, int line, const std::string& message) {
  std::fflush(stdout);
  if (line > 0)
    std::fprintf(stderr, "lsde: %s:%d: %s\n", path.c_str(), line, message.c_str());
  else
    std::fprintf(stderr, "lsde: %s: %s\n", path.c_str(), message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc >= 2 ? argv[1] : "input.csv";
  try {
    return run(path);
  } catch (const lsde::InputError& e) {
    return fail(path, e.line(), e.what());
  } catch (const std::bad_alloc&) {
    return fail(path, 0, "out of memory for a system of this size");
  } catch (const std::exception& e) {
    return fail(path, 0, e.what());
  }
}
