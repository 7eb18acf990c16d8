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

int run(const std::string& path) {
  lsde::TextBuffer text = lsde::loadText(path);
  if (text.empty()) throw lsde::InputError(0, "the file is empty");
  const long long lines = lsde::countLines(text);  // before any line end is cut
  lsde::Cursor cursor(text);
  const int n = lsde::readSize(cursor);
  std::printf("%d\n", n);
  requireLineCount(lines, n);

  const lsde::Matrix m = lsde::getMatrix(n, n, cursor);
  const lsde::Matrix c = lsde::getMatrix(n, n, cursor);
  const lsde::Matrix k = lsde::getMatrix(n, n, cursor);
  lsde::printMat(m, n, n);
  lsde::printMat(c, n, n);
  lsde::printMat(k, n, n);
  const std::vector<lsde::Driver> drives = lsde::getDrives(cursor, n);
  const std::vector<double> positions = lsde::getRow(cursor, n);
  const std::vector<double> velocities = lsde::getRow(cursor, n);

  if (!lsde::printDrivenLSDE(m, c, k, n, positions, velocities, kTimeStep, kSteps, drives,
                             kReportInterval)) {
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
